// Measurement units: every length is held in thousandths of a millimetre and
// converted at the edges; the process-wide design unit of published lengths.
#pragma once

#include <cstdint>

// A fixed underlying type: a stored or scripted value outside the list is
// legal and converts to 0.
enum TKSUnitType : int { ksutScreenPixels, ksutInches, ksutMillimeters, ksutMMThousandths };

// Fixed conversion constants, not the real screen: 96 pixels per inch, and
// inches per millimetre as the single-precision value that takes part in
// every conversion (results depend on its exact float value).
inline constexpr double kScreenPixelsPerInch = 96.0;
inline constexpr float kInchesPerMillimetre = 0.03937f;

// Nearest whole number, ties to even, clamped to the Integer range (NaN gives 0).
std::int32_t roundHalfEven(double value);
// Rounds to `decimals` places, ties to even.
double roundDecimalsHalfEven(double value, int decimals);

// Internal units from a value in `unit` (rounded); an unknown unit gives 0.
std::int32_t toMMThousandths(double value, TKSUnitType unit);
// A value in internal units expressed in `unit` (pixels to 2, inches to 4 decimals).
double fromMMThousandths(std::int32_t value, TKSUnitType unit);
// Whole screen pixels for a value in `unit`: internal units, pixels, rounded.
std::int32_t toScreenPixels(double value, TKSUnitType unit);

// The unit the floating-point published lengths are read and written in.
TKSUnitType designUnit();
void setDesignUnit(TKSUnitType unit);
