// Unit conversions. Each follows the stored formula step by step in double,
// with the float constant widened, so results match to the last rounding.
#include "core/units.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

TKSUnitType currentDesignUnit = ksutScreenPixels;

constexpr double inchesPerMillimetre = static_cast<double>(kInchesPerMillimetre);

double nearestEven(double value)
{
    // std::nearbyint honours the rounding mode; the engine never changes it,
    // but be explicit so a foreign fesetround cannot alter stored lengths.
    const int saved = std::fegetround();
    if (saved == FE_TONEAREST)
        return std::nearbyint(value);
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return rounded;
}

} // namespace

std::int32_t roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = nearestEven(value);
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

double roundDecimalsHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return nearestEven(value * scale) / scale;
}

std::int32_t toMMThousandths(double value, TKSUnitType unit)
{
    switch (unit) {
    case ksutScreenPixels:
        return roundHalfEven(value / kScreenPixelsPerInch / inchesPerMillimetre * 1000);
    case ksutInches:
        return roundHalfEven(value / inchesPerMillimetre * 1000);
    case ksutMillimeters:
        return roundHalfEven(value * 1000);
    case ksutMMThousandths:
        return roundHalfEven(value);
    }
    return 0;
}

double fromMMThousandths(std::int32_t value, TKSUnitType unit)
{
    const double a = value;
    switch (unit) {
    case ksutScreenPixels:
        return roundDecimalsHalfEven(a / 1000 * inchesPerMillimetre * kScreenPixelsPerInch, 2);
    case ksutInches:
        return roundDecimalsHalfEven(a / 1000 * inchesPerMillimetre, 4);
    case ksutMillimeters:
        return a / 1000;
    case ksutMMThousandths:
        return a;
    }
    return 0;
}

std::int32_t toScreenPixels(double value, TKSUnitType unit)
{
    return roundHalfEven(fromMMThousandths(toMMThousandths(value, unit), ksutScreenPixels));
}

TKSUnitType designUnit()
{
    return currentDesignUnit;
}

void setDesignUnit(TKSUnitType unit)
{
    currentDesignUnit = unit;
}
