// Number patterns ("#,##0.00", "0.###;(0.###);zero") and decimal rounding
// half away from zero, on the value's 15 significant decimal digits.
#pragma once

#include <string>
#include <string_view>

namespace numberformat {

// A finite value as decimal digits: value = 0.digits x 10^pointPos, sign apart.
// `digits` has no leading or trailing zeros; zero has no digits.
struct Decimal {
    std::string digits;
    int pointPos = 0;
    bool negative = false;
};

// The value's 15 significant digits (the precision of its shortest text).
Decimal toDecimal(double value);

// Rounds to `decimals` places after the point (negative: to tens, hundreds...),
// half away from zero.
void roundDecimal(Decimal& number, int decimals);

// Rounds half away from zero at `decimals` places, on the 15 significant digits
// (so 1.005 rounds to 1.01 although its binary value is a little less).
double roundHalfAway(double value, int decimals);

// FormatFloat's pattern language. Sections "positive;negative;zero"; "0" a
// digit or 0, "#" a digit or nothing, the first "." the decimal point (shown
// only when a decimal digit follows), a "," before it groups thousands,
// "E+0"/"E-0" scientific notation, '...' and "..." literal text; other bytes
// are copied. An empty pattern gives the shortest text (FloatToStr).
std::string formatNumber(std::string_view pattern, double value, char decimalSeparator,
                         char thousandSeparator);
// The same with the locale's separators.
std::string formatNumber(std::string_view pattern, double value);

} // namespace numberformat
