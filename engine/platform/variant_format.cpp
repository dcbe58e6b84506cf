// Number text of dynamic values: FloatToStr/CurrToStr output and the integer and
// floating-point text parsers. Locale-independent underneath (to_chars/from_chars).
#include "platform/variant_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace platform {

FormatSettings& formatSettings()
{
    static FormatSettings settings;
    return settings;
}

namespace {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::uint64_t> parseHexDigits(std::string_view digits)
{
    if (digits.empty() || digits.size() > 16)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int h = hexValue(c);
        if (h < 0)
            return std::nullopt;
        value = value << 4 | unsigned(h);
    }
    return value;
}

// Decimal digits no larger than `limit`.
std::optional<std::uint64_t> parseDecimalDigits(std::string_view digits, std::uint64_t limit)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        unsigned d = unsigned(c - '0');
        if (value > (limit - d) / 10)
            return std::nullopt;
        value = value * 10 + d;
    }
    return value;
}

} // namespace

std::optional<std::int64_t> parseInteger(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::optional<std::uint64_t> magnitude;
    if (!text.empty() && text[0] == '$')
        magnitude = parseHexDigits(text.substr(1));
    else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        magnitude = parseHexDigits(text.substr(2));
    else {
        const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : std::uint64_t(INT64_MAX);
        magnitude = parseDecimalDigits(text, limit);
    }
    if (!magnitude)
        return std::nullopt;
    // Unsigned negation: hex texts wrap as two's complement, -2^63 stays exact.
    std::uint64_t bits = negative ? ~*magnitude + 1 : *magnitude;
    return static_cast<std::int64_t>(bits);
}

std::optional<double> parseFloat(std::string_view text, const FormatSettings& settings)
{
    text = trimBlanks(text);
    if (auto integer = parseInteger(text))
        return double(*integer);
    // Validate the Delphi float syntax, copying it with '.' as the separator.
    std::string normal;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-')
            normal += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++mantissaDigits)
        normal += text[i];
    if (i < text.size() && text[i] == settings.DecimalSeparator) {
        normal += '.';
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++mantissaDigits)
            normal += text[i];
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            normal += text[i++];
        int exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++exponentDigits)
            normal += text[i];
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error != std::errc() || end != normal.data() + normal.size())
        return std::nullopt;
    return value;
}

std::string formatFloat(double value, int precision, const FormatSettings& settings)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    precision = precision < 1 ? 1 : precision > 17 ? 17 : precision;

    // "d.ddde±x": the digits rounded to `precision`, and the decimal exponent.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision - 1);
    std::string_view scientific(buffer, std::size_t(result.ptr - buffer));
    std::size_t ePos = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, ePos))
        if (isDigit(c))
            digits += c;
    int exponent = std::atoi(std::string(scientific.substr(ePos + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = value < 0 ? "-" : "";
    if (exponent >= precision || exponent < -5) {
        text += digits[0];
        if (digits.size() > 1)
            text += settings.DecimalSeparator + digits.substr(1);
        text += 'E';
        if (exponent < 0)
            text += '-';
        text += std::to_string(std::abs(exponent));
    } else if (exponent >= 0) {
        std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() < whole)
            digits.append(whole - digits.size(), '0');
        text += digits.substr(0, whole);
        if (digits.size() > whole)
            text += settings.DecimalSeparator + digits.substr(whole);
    } else {
        text += '0';
        text += settings.DecimalSeparator;
        text.append(std::size_t(-exponent - 1), '0');
        text += digits;
    }
    return text;
}

std::string formatCurrency(std::int64_t scaled, const FormatSettings& settings)
{
    // Unsigned magnitude so that the most negative value needs no negation.
    std::uint64_t magnitude = scaled < 0 ? ~std::uint64_t(scaled) + 1 : std::uint64_t(scaled);
    std::string text = scaled < 0 ? "-" : "";
    text += std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        text += settings.DecimalSeparator + fraction;
    return text;
}

} // namespace platform
