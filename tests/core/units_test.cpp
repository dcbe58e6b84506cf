// Unit conversions: the fixed constants (96 px per inch, 0.03937 as a float),
// ties to even, and the decimal rounding of results.
#include "core/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Units, ToInternalUnits)
{
    struct Case {
        double value;
        TKSUnitType unit;
        std::int32_t expected;
    } cases[] = {
        {96, ksutScreenPixels, 25400},      // 25 400.05
        {1, ksutScreenPixels, 265},         // 264.58
        {316, ksutScreenPixels, 83608},     // 83 608.4998 with the float constant, .5006 with 0.03937 exact
        {-1, ksutScreenPixels, -265},
        {1, ksutInches, 25400},
        {1.5, ksutMillimeters, 1500},
        {2.5, ksutMMThousandths, 2},        // ties to even
        {3.5, ksutMMThousandths, 4},
        {-2.5, ksutMMThousandths, -2},
        {1e12, ksutMMThousandths, std::numeric_limits<std::int32_t>::max()},
        {std::nan(""), ksutMillimeters, 0},
        {5, static_cast<TKSUnitType>(9), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toMMThousandths(c.value, c.unit), c.expected) << c.value << " in unit " << c.unit;
}

TEST(Units, FromInternalUnits)
{
    struct Case {
        std::int32_t value;
        TKSUnitType unit;
        double expected;
    } cases[] = {
        {15000, ksutScreenPixels, 56.69},   // 56.6928
        {14000, ksutScreenPixels, 52.91},   // 52.9133
        {26084, ksutScreenPixels, 98.59},   // 98.5850006 with the float constant
        {25400, ksutInches, 1.0},
        {12345, ksutInches, 0.486},         // 0.48602...
        {1500, ksutMillimeters, 1.5},
        {-7, ksutMMThousandths, -7},
        {5, static_cast<TKSUnitType>(-1), 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(fromMMThousandths(c.value, c.unit), c.expected) << c.value << " in unit " << c.unit;
}

TEST(Units, WholePixelsRoundTwiceWithTiesToEven)
{
    struct Case {
        double value;
        TKSUnitType unit;
        std::int32_t expected;
    } cases[] = {
        {15000, ksutMMThousandths, 57},
        {14000, ksutMMThousandths, 53},
        {396, ksutMMThousandths, 2},   // 1.4967 -> 1.50 -> 2 (rounded once it would be 1)
        {661, ksutMMThousandths, 2},   // 2.4983 -> 2.50 -> 2, not 3
        {96, ksutScreenPixels, 96},
        {15, ksutMillimeters, 57},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toScreenPixels(c.value, c.unit), c.expected) << c.value << " in unit " << c.unit;
}

TEST(Units, DesignUnitIsProcessWide)
{
    EXPECT_EQ(designUnit(), ksutScreenPixels);
    setDesignUnit(ksutMillimeters);
    EXPECT_EQ(designUnit(), ksutMillimeters);
    setDesignUnit(ksutScreenPixels);
}
