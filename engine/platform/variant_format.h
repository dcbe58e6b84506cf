// Locale settings and number text: the separators and formats every layer reads,
// and the number <-> text conversions of dynamic values (FloatToStr-style output).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The user's locale settings. One process-wide instance (formatSettings());
// texts are GBK bytes.
struct FormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '-';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "yyyy-mm-dd";
    std::string LongDateFormat = "yyyy'\xC4\xEA'm'\xD4\xC2'd'\xC8\xD5'";  // yyyy'年'm'月'd'日'
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
};

// The process-wide settings (user-interface thread only).
FormatSettings& formatSettings();

// FloatToStr: up to `precision` significant digits, no trailing zeros, fixed
// notation unless the exponent is >= precision or < -5 ("1E15", "1.5E-7").
// NaN and infinities print as "NAN", "INF", "-INF".
std::string formatFloat(double value, int precision = 15,
                        const FormatSettings& settings = formatSettings());

// CurrToStr of a value scaled by 10000: up to four decimals, no trailing zeros.
std::string formatCurrency(std::int64_t scaled, const FormatSettings& settings = formatSettings());

// An integer text: optional blanks, sign, decimal digits or hex after "$" / "0x".
// Hex texts may use all 64 bits (as two's complement). Nothing else is accepted.
std::optional<std::int64_t> parseInteger(std::string_view text);

// A floating-point text with the locale's decimal separator: optional blanks,
// sign, digits with an optional fraction, optional exponent ("1e3", "-2.5", ".5").
// Out-of-range values are rejected. Integer texts (also hex) are accepted too.
std::optional<double> parseFloat(std::string_view text,
                                 const FormatSettings& settings = formatSettings());

} // namespace platform
