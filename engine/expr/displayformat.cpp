// Display formats: preset patterns from the numbered texts, deriving the
// record from a format text, and formatting a value with it.
#include "expr/displayformat.h"

#include "expr/numberformat.h"
#include "platform/uitexts.h"

#include <array>

namespace {

struct Preset {
    int textId;
    const char* builtIn;  // used when the string table has no text
};

constexpr Preset kBooleanPresets[] = {
    {47169, "0;1"}, {47170, "No;Yes"}, {47171, "_;x"}, {47172, "False;True"},
};
constexpr Preset kDatePresets[] = {
    {47174, "yy.mm.dd"},
    {47175, "yyyy.mm.dd"},
    {47176, "yyyy'\xC4\xEA'mm'\xD4\xC2'dd'\xC8\xD5'"},  // yyyy'年'mm'月'dd'日'
    {47177, "yyyy MM dd"},
    {47178, "yyyy/mm/dd"},
    {47179, "dddd yyyy MM dd"},
    {47180, "dddd yyyy'\xC4\xEA'M'\xD4\xC2'd'\xC8\xD5'"},  // dddd yyyy'年'M'月'd'日'
};
constexpr Preset kTimePresets[] = {
    {47181, "hh:nn:ss"}, {47182, "h:nn:ss"}, {47183, "hh:nn"}, {47184, "h:nn"},
};

struct PresetTables {
    std::array<std::string, 4> booleans;
    std::array<std::string, 7> dates;
    std::array<std::string, 4> times;
};

template <std::size_t N>
void load(std::array<std::string, N>& table, const Preset (&presets)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        table[i] = platform::loadText(presets[i].textId);
        if (table[i].empty())
            table[i] = presets[i].builtIn;
    }
}

const PresetTables& presets()
{
    static const PresetTables tables = [] {
        PresetTables t;
        load(t.booleans, kBooleanPresets);
        load(t.dates, kDatePresets);
        load(t.times, kTimePresets);
        return t;
    }();
    return tables;
}

std::string numberPattern(const TKSDisplayFormat& format, std::string_view pattern)
{
    std::size_t decimals = format.FormatDecimals;
    switch (format.FormatIndex) {
    case 0: return "##0." + std::string(decimals, '#');
    case 1: return "0." + std::string(decimals, '0');
    case 2: return "#,##0." + std::string(decimals, '#');
    case 3: return "#,##0." + std::string(decimals, '0');
    default: return std::string(pattern);
    }
}

std::string formatDateTimeValue(const platform::Variant& value, std::string_view pattern)
{
    platform::FormatSettings settings = platform::formatSettings();
    if (pattern.find('/') != std::string_view::npos)
        settings.DateSeparator = '/';
    return platform::formatDateTime(pattern, value.toDate(), settings);
}

std::string formatValue(const platform::Variant& value, const TKSDisplayFormat& format, std::string_view pattern)
{
    const platform::FormatSettings& locale = platform::formatSettings();
    switch (format.FormatKind) {
    case ksfkNumber: {
        char separator = format.FormatSeparator ? format.FormatSeparator : locale.DecimalSeparator;
        return numberformat::formatNumber(numberPattern(format, pattern), value.toDouble(), separator,
                                          locale.ThousandSeparator);
    }
    case ksfkDate: {
        std::string preset = DisplayFormatPreset(ksfkDate, format.FormatIndex);
        return formatDateTimeValue(value, format.FormatIndex < 7 ? std::string_view(preset) : pattern);
    }
    case ksfkTime: {
        std::string preset = DisplayFormatPreset(ksfkTime, format.FormatIndex);
        return formatDateTimeValue(value, format.FormatIndex < 4 ? std::string_view(preset) : pattern);
    }
    case ksfkBoolean: {
        std::string preset = DisplayFormatPreset(ksfkBoolean, format.FormatIndex);
        std::string_view choices = format.FormatIndex < 4 ? std::string_view(preset) : pattern;
        std::size_t semicolon = choices.find(';');
        bool isTrue = value.toInteger() != 0;
        if (semicolon == std::string_view::npos)
            return isTrue ? std::string(choices) : std::string();
        return std::string(isTrue ? choices.substr(semicolon + 1) : choices.substr(0, semicolon));
    }
    default:
        if (value.isFloat())
            return numberformat::formatNumber("0.########", value.toDouble());
        return value.toString();
    }
}

bool isBlankText(const platform::Variant& value)
{
    if (!value.isString())
        return false;
    for (char c : value.stringValue()) {
        if (c != ' ')
            return false;
    }
    return true;
}

} // namespace

int CustomFormatIndex(std::uint8_t kind)
{
    return kind == ksfkDate ? 7 : kind == ksfkText ? 0 : 4;
}

std::string DisplayFormatPreset(std::uint8_t kind, int index)
{
    const PresetTables& tables = presets();
    auto pick = [index](const auto& table) {
        return index >= 0 && static_cast<std::size_t>(index) < table.size() ? table[index] : std::string();
    };
    switch (kind) {
    case ksfkBoolean: return pick(tables.booleans);
    case ksfkDate: return pick(tables.dates);
    case ksfkTime: return pick(tables.times);
    default: return {};
    }
}

bool DeriveDisplayFormat(std::string_view formatText, TKSDisplayFormat& format, std::string& pattern)
{
    if (formatText.empty()) {
        format.FormatKind = ksfkText;
        format.FormatIndex = 0;
        format.FormatSeparator = platform::formatSettings().DecimalSeparator;
        pattern.clear();
        return true;
    }
    char first = formatText[0];
    if ((first >= '0' && first <= '9') || first == 'N' || first == 'n') {
        format.FormatKind = ksfkNumber;
        format.FormatSeparator = '.';
    } else if (first == 'B' || first == 'b') {
        format.FormatKind = ksfkBoolean;
    } else if (first == 'D' || first == 'd') {
        format.FormatKind = ksfkDate;
    } else if (first == 'T' || first == 't') {
        format.FormatKind = ksfkTime;
    } else {
        return false;
    }
    format.FormatIndex = static_cast<std::uint8_t>(CustomFormatIndex(format.FormatKind));
    pattern = platform::cutGbk(std::string(formatText.substr(1)), 255);
    return true;
}

std::string FormatDisplayValue(const platform::Variant& value, const TKSDisplayFormat& format,
                               std::string_view pattern)
{
    if (value.isEmpty() || value.isNull())
        return {};
    if (isBlankText(value))
        return value.stringValue();
    try {
        return formatValue(value, format, pattern);
    } catch (const std::exception&) {
        try {
            return value.toString();
        } catch (const std::exception&) {
            return {};
        }
    }
}
