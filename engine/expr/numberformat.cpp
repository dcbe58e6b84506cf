// Number patterns and decimal rounding. Values are taken as their 15
// significant decimal digits first, so that rounding follows the printed
// digits rather than the binary fraction behind them.
#include "expr/numberformat.h"

#include "platform/gbk.h"
#include "platform/variant_format.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <vector>

namespace numberformat {

Decimal toDecimal(double value)
{
    Decimal number;
    if (value == 0 || !std::isfinite(value))
        return number;
    number.negative = value < 0;
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));  // d.ddddddddddddddde+XX
    std::size_t e = text.find('e');
    number.digits.push_back(text[0]);
    number.digits.append(text.substr(2, e - 2));
    int exponent = 0;
    std::string_view exponentText = text.substr(e + 1);
    if (!exponentText.empty() && exponentText[0] == '+')
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    number.pointPos = exponent + 1;
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    return number;
}

void roundDecimal(Decimal& number, int decimals)
{
    long keep = static_cast<long>(number.pointPos) + decimals;
    if (keep >= static_cast<long>(number.digits.size()))
        return;
    if (keep < 0) {
        number.digits.clear();
        return;
    }
    bool roundUp = number.digits[static_cast<std::size_t>(keep)] >= '5';
    number.digits.resize(static_cast<std::size_t>(keep));
    if (roundUp) {
        long i = keep - 1;
        while (i >= 0 && number.digits[static_cast<std::size_t>(i)] == '9') {
            number.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            number.digits.insert(number.digits.begin(), '1');
            ++number.pointPos;
        } else {
            ++number.digits[static_cast<std::size_t>(i)];
        }
    }
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
}

namespace {

double toDouble(const Decimal& number)
{
    if (number.digits.empty())
        return 0;
    std::string text = (number.negative ? "-0." : "0.") + number.digits + "e" + std::to_string(number.pointPos);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// What one section of a pattern asks for.
struct Layout {
    int intCount = 0;       // digit placeholders before the point
    int minInt = 0;         // integer digits always shown ("0" placeholders from the first one)
    int fracCount = 0;      // digit placeholders after the point
    int minFrac = 0;        // decimals always shown (up to the last "0")
    bool thousands = false;
    bool scientific = false;
    char exponentSign = '+';
    int exponentDigits = 0;
};

bool isExponentAt(std::string_view section, std::size_t i)
{
    return (section[i] == 'E' || section[i] == 'e') && i + 1 < section.size()
        && (section[i + 1] == '+' || section[i + 1] == '-');
}

// Index after the literal that opens at `i` (quote included on both sides).
std::size_t skipLiteral(std::string_view section, std::size_t i)
{
    std::size_t end = section.find(section[i], i + 1);
    return end == std::string_view::npos ? section.size() : end + 1;
}

Layout analyse(std::string_view section)
{
    Layout layout;
    bool afterPoint = false;
    int firstZero = -1;
    for (std::size_t i = 0; i < section.size();) {
        char c = section[i];
        if (c == '\'' || c == '"') {
            i = skipLiteral(section, i);
            continue;
        }
        if (isExponentAt(section, i)) {
            layout.scientific = true;
            layout.exponentSign = section[i + 1];
            i += 2;
            while (i < section.size() && section[i] == '0') {
                ++layout.exponentDigits;
                ++i;
            }
            continue;
        }
        if (c == '0' || c == '#') {
            if (afterPoint) {
                ++layout.fracCount;
                if (c == '0')
                    layout.minFrac = layout.fracCount;
            } else {
                if (c == '0' && firstZero < 0)
                    firstZero = layout.intCount;
                ++layout.intCount;
            }
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            layout.thousands = true;
        }
        i += platform::charLength(section, i);
    }
    layout.minInt = firstZero < 0 ? 0 : layout.intCount - firstZero;
    return layout;
}

// At most three sections; a fourth ";" and what follows are ignored.
std::vector<std::string_view> splitSections(std::string_view pattern)
{
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\'' || c == '"') {
            i = skipLiteral(pattern, i);
        } else if (c == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = ++i;
            if (sections.size() == 3)
                return sections;
        } else {
            i += platform::charLength(pattern, i);
        }
    }
    sections.push_back(pattern.substr(start));
    return sections;
}

// The digits of a rounded number: integer part (padded to minInt) and
// decimals (trimmed to minFrac where they end in zeros).
struct Digits {
    std::string integer;
    std::string fraction;
    bool zero = true;
};

Digits layoutDigits(const Decimal& number, const Layout& layout)
{
    Digits out;
    out.zero = number.digits.empty();
    for (int i = 0; i < number.pointPos; ++i)
        out.integer.push_back(i < static_cast<int>(number.digits.size()) ? number.digits[static_cast<std::size_t>(i)] : '0');
    if (static_cast<int>(out.integer.size()) < layout.minInt)
        out.integer.insert(0, static_cast<std::size_t>(layout.minInt) - out.integer.size(), '0');
    for (int i = 0; i < layout.fracCount; ++i) {
        int index = number.pointPos + i;
        bool inside = index >= 0 && index < static_cast<int>(number.digits.size());
        out.fraction.push_back(inside ? number.digits[static_cast<std::size_t>(index)] : '0');
    }
    while (static_cast<int>(out.fraction.size()) > layout.minFrac && out.fraction.back() == '0')
        out.fraction.pop_back();
    return out;
}

class SectionWriter {
public:
    SectionWriter(const Layout& layout, const Digits& digits, std::string exponent, char decimalSeparator,
                  char thousandSeparator)
        : layout_(layout), digits_(digits), exponent_(std::move(exponent)),
          decimalSeparator_(decimalSeparator), thousandSeparator_(thousandSeparator)
    {
    }

    std::string write(std::string_view section)
    {
        for (std::size_t i = 0; i < section.size();) {
            char c = section[i];
            if (c == '\'' || c == '"') {
                std::size_t closing = section.find(c, i + 1);
                if (closing == std::string_view::npos)
                    closing = section.size();
                out_.append(section.substr(i + 1, closing - i - 1));
                i = std::min(closing + 1, section.size());
            } else if (isExponentAt(section, i)) {
                out_.append(exponent_);
                i += 2;
                while (i < section.size() && section[i] == '0')
                    ++i;
            } else if (c == '0' || c == '#') {
                placeholder();
                ++i;
            } else if (c == '.') {
                point();
                ++i;
            } else if (c == ',') {
                ++i;
            } else {
                std::size_t length = platform::charLength(section, i);
                out_.append(section.substr(i, length));
                i += length;
            }
        }
        if (!pointSeen_)
            flushInteger(digits_.integer.size());  // a pattern without placeholders
        return std::move(out_);
    }

private:
    void placeholder()
    {
        if (pointSeen_) {
            if (fracIndex_ < digits_.fraction.size())
                out_.push_back(digits_.fraction[fracIndex_]);
            ++fracIndex_;
            return;
        }
        // Placeholder j shows the digit j places from the right end of the
        // pattern's integer part; the first one also shows any excess digits.
        int fromRight = layout_.intCount - 1 - intIndex_++;
        std::size_t length = digits_.integer.size();
        std::size_t upTo = fromRight < static_cast<int>(length) ? length - static_cast<std::size_t>(fromRight) : 0;
        flushInteger(upTo);
    }

    void point()
    {
        if (pointSeen_)
            return;
        flushInteger(digits_.integer.size());
        pointSeen_ = true;
        if (!digits_.fraction.empty())
            out_.push_back(decimalSeparator_);
    }

    // Emits the integer digits before index `upTo` that are still pending.
    void flushInteger(std::size_t upTo)
    {
        std::size_t length = digits_.integer.size();
        for (; intEmitted_ < upTo; ++intEmitted_) {
            out_.push_back(digits_.integer[intEmitted_]);
            std::size_t right = length - 1 - intEmitted_;
            if (layout_.thousands && right > 0 && right % 3 == 0)
                out_.push_back(thousandSeparator_);
        }
    }

    const Layout& layout_;
    const Digits& digits_;
    std::string exponent_;
    char decimalSeparator_;
    char thousandSeparator_;
    std::string out_;
    int intIndex_ = 0;
    std::size_t intEmitted_ = 0;
    std::size_t fracIndex_ = 0;
    bool pointSeen_ = false;
};

std::string generalFormat(double value, char decimalSeparator)
{
    platform::FormatSettings settings = platform::formatSettings();
    settings.DecimalSeparator = decimalSeparator;
    return platform::formatFloat(value, 15, settings);
}

} // namespace

double roundHalfAway(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    Decimal number = toDecimal(value);
    roundDecimal(number, decimals);
    return toDouble(number);
}

std::string formatNumber(std::string_view pattern, double value, char decimalSeparator, char thousandSeparator)
{
    if (pattern.empty() || !std::isfinite(value))
        return generalFormat(value, decimalSeparator);
    std::vector<std::string_view> sections = splitSections(pattern);
    std::string_view section = sections[0];
    bool showSign = true;
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        section = sections[1];
        showSign = false;
    }
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        section = sections[2];
    if (section.empty())
        return generalFormat(value, decimalSeparator);

    Layout layout = analyse(section);
    Decimal number = toDecimal(value);
    std::string exponent;
    if (layout.scientific) {
        int integerDigits = std::max(layout.intCount, 1);
        int shift = number.digits.empty() ? 0 : number.pointPos - integerDigits;
        number.pointPos -= shift;
        roundDecimal(number, layout.fracCount);
        if (number.pointPos > integerDigits) {  // 9.99 rounded up to 10.0
            --number.pointPos;
            ++shift;
        }
        std::string magnitude = std::to_string(std::abs(shift));
        if (static_cast<int>(magnitude.size()) < layout.exponentDigits)
            magnitude.insert(0, static_cast<std::size_t>(layout.exponentDigits) - magnitude.size(), '0');
        exponent = "E";
        if (shift < 0)
            exponent += '-';
        else if (layout.exponentSign == '+')
            exponent += '+';
        exponent += magnitude;
    } else {
        roundDecimal(number, layout.fracCount);
    }
    Digits digits = layoutDigits(number, layout);
    std::string text = SectionWriter(layout, digits, exponent, decimalSeparator, thousandSeparator).write(section);
    if (showSign && value < 0 && !digits.zero)
        text.insert(0, 1, '-');
    return text;
}

std::string formatNumber(std::string_view pattern, double value)
{
    const platform::FormatSettings& settings = platform::formatSettings();
    return formatNumber(pattern, value, settings.DecimalSeparator, settings.ThousandSeparator);
}

} // namespace numberformat
