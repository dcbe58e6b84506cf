// Display formats (record, presets, deriving from a format text, formatting a
// value) and the number pattern language beneath them.
#include "expr/displayformat.h"
#include "expr/numberformat.h"
#include "platform/gbk.h"

#include <gtest/gtest.h>

using platform::Variant;

namespace {

TEST(NumberPatternTest, FormatsAndRoundsHalfAwayFromZero)
{
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"0.00", 1.005, "1.01"},  // the printed digits decide, not the binary fraction
        {"0.00", 2.675, "2.68"},
        {"0", 0.5, "1"},
        {"0", -0.5, "-1"},
        {"0", 2.5, "3"},
        {"0.0", -0.04, "0.0"},  // no minus sign on a zero
        {"#.##", 0, ""},
        {"#.", 2.0, "2"},
        {"#.0", 0.25, ".3"},
        {"0.###", 1.5, "1.5"},
        {"0.0#", 1.5, "1.5"},
        {"0.0#", 1.555, "1.56"},
        {"#,##0", 1234567, "1,234,567"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0", 999, "999"},
        {"000", 7, "007"},
        {"00-00", 1234, "12-34"},
        {"0", 123456, "123456"},
        {"0", 1e20, "100000000000000000000"},
        {"0.00;(0.00)", -5, "(5.00)"},
        {"0.00;(0.00)", 5, "5.00"},
        {"0;-0;'zero'", 0, "zero"},
        {"'$'#,##0.00", 1234.5, "$1,234.50"},
        {"\"n=\"0", 3, "n=3"},
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.0E-0", 0.00123, "1.2E-3"},
        {"0.0E+00", 9.99, "1.0E+01"},
        {"", 2.5, "2.5"},
        {"", 1.0 / 3.0, "0.333333333333333"},
        {"##0.", 1234.4, "1234"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(numberformat::formatNumber(c.pattern, c.value, '.', ','), c.expected)
            << c.pattern << " with " << c.value;
    EXPECT_EQ(numberformat::formatNumber("#,##0.00", 1234.5, ',', ' '), "1 234,50");
}

TEST(NumberPatternTest, RoundingToDecimalPlaces)
{
    EXPECT_DOUBLE_EQ(numberformat::roundHalfAway(2.25, 1), 2.3);
    EXPECT_DOUBLE_EQ(numberformat::roundHalfAway(-2.25, 1), -2.3);
    EXPECT_DOUBLE_EQ(numberformat::roundHalfAway(0.045, 2), 0.05);
    EXPECT_DOUBLE_EQ(numberformat::roundHalfAway(9.995, 2), 10.0);
    EXPECT_DOUBLE_EQ(numberformat::roundHalfAway(1250, -2), 1300);
    EXPECT_DOUBLE_EQ(numberformat::roundHalfAway(0.004, 2), 0);
}

class DisplayFormatTest : public ::testing::Test {
protected:
    static std::string format(const Variant& value, TKSDisplayFormat record, std::string_view pattern = {})
    {
        return platform::gbkToUtf8(FormatDisplayValue(value, record, pattern));
    }
    static std::string formatWith(const Variant& value, std::string_view formatText)
    {
        TKSDisplayFormat record;
        std::string pattern;
        DeriveDisplayFormat(formatText, record, pattern);
        return format(value, record, pattern);
    }
    static Variant date(int y, int m, int d) { return Variant::fromDate(platform::encodeDate(y, m, d)); }
};

TEST_F(DisplayFormatTest, DerivesTheRecordFromAFormatText)
{
    struct Case {
        const char* text;
        std::uint8_t kind;
        std::uint8_t index;
        const char* pattern;
    };
    const Case cases[] = {
        {"N0.00", ksfkNumber, 4, "0.00"},
        {"n#,##0", ksfkNumber, 4, "#,##0"},
        {"0.00", ksfkNumber, 4, ".00"},  // the leading digit is taken as the kind letter
        {"Dyyyy-mm-dd", ksfkDate, 7, "yyyy-mm-dd"},
        {"th:nn", ksfkTime, 4, "h:nn"},
        {"BNo;Yes", ksfkBoolean, 4, "No;Yes"},
    };
    for (const Case& c : cases) {
        TKSDisplayFormat record;
        record.FormatSeparator = ',';
        std::string pattern;
        EXPECT_TRUE(DeriveDisplayFormat(c.text, record, pattern));
        EXPECT_EQ(record.FormatKind, c.kind) << c.text;
        EXPECT_EQ(record.FormatIndex, c.index) << c.text;
        EXPECT_EQ(pattern, c.pattern) << c.text;
        if (c.kind == ksfkNumber) {
            EXPECT_EQ(record.FormatSeparator, '.') << c.text;
        }
    }

    TKSDisplayFormat record{ksfkNumber, 2, 3, ','};
    std::string pattern = "keep";
    EXPECT_FALSE(DeriveDisplayFormat("Xabc", record, pattern));
    EXPECT_EQ(record.FormatKind, ksfkNumber);
    EXPECT_EQ(pattern, "keep");
    EXPECT_TRUE(DeriveDisplayFormat("", record, pattern));
    EXPECT_EQ(record.FormatKind, ksfkText);
    EXPECT_EQ(record.FormatIndex, 0);
    EXPECT_EQ(record.FormatDecimals, 3);  // unchanged
    EXPECT_EQ(record.FormatSeparator, platform::formatSettings().DecimalSeparator);

    std::string longText = "N" + std::string(300, '0');
    DeriveDisplayFormat(longText, record, pattern);
    EXPECT_EQ(pattern.size(), 255u);
}

TEST_F(DisplayFormatTest, NumberPresetsUseTheRecordsDecimalsAndSeparator)
{
    const Variant value(1234.5);
    EXPECT_EQ(format(value, {ksfkNumber, 0, 2, '.'}), "1234.5");
    EXPECT_EQ(format(value, {ksfkNumber, 1, 2, '.'}), "1234.50");
    EXPECT_EQ(format(value, {ksfkNumber, 2, 2, '.'}), "1,234.5");
    EXPECT_EQ(format(value, {ksfkNumber, 3, 2, '.'}), "1,234.50");
    EXPECT_EQ(format(value, {ksfkNumber, 1, 2, ','}), "1234,50");
    EXPECT_EQ(format(value, {ksfkNumber, 1, 0, '.'}), "1235");
    EXPECT_EQ(format(value, {ksfkNumber, 4, 2, '.'}, "0.000"), "1234.500");
    EXPECT_EQ(formatWith(Variant(1234.5), "N0.00"), "1234.50");
}

TEST_F(DisplayFormatTest, DatesTimesAndBooleans)
{
    const Variant day = date(2024, 10, 20);
    EXPECT_EQ(format(day, {ksfkDate, 1, 2, '.'}), "2024.10.20");
    EXPECT_EQ(format(day, {ksfkDate, 2, 2, '.'}), "2024年10月20日");
    EXPECT_EQ(format(day, {ksfkDate, 4, 2, '.'}), "2024/10/20");  // slashes whatever the locale says
    EXPECT_EQ(formatWith(day, "Dyyyy/mm/dd"), "2024/10/20");
    EXPECT_EQ(formatWith(day, "Dyyyy-mm-dd"), "2024-10-20");

    const Variant afternoon = Variant::fromDate(platform::encodeTime(14, 5, 9));
    EXPECT_EQ(format(afternoon, {ksfkTime, 0, 2, '.'}), "14:05:09");
    EXPECT_EQ(format(afternoon, {ksfkTime, 3, 2, '.'}), "14:05");
    EXPECT_EQ(formatWith(afternoon, "Th:nn"), "14:05");

    EXPECT_EQ(format(Variant(true), {ksfkBoolean, 1, 2, '.'}), "Yes");
    EXPECT_EQ(format(Variant(false), {ksfkBoolean, 1, 2, '.'}), "No");
    EXPECT_EQ(format(Variant(1), {ksfkBoolean, 0, 2, '.'}), "1");
    EXPECT_EQ(format(Variant(0), {ksfkBoolean, 3, 2, '.'}), "False");
    EXPECT_EQ(formatWith(Variant(1), "BNo;Yes"), "Yes");
    EXPECT_EQ(formatWith(Variant(1), "Bon"), "on");  // no ";": the whole text for true
}

TEST_F(DisplayFormatTest, TextKindEmptyValuesAndFailures)
{
    const TKSDisplayFormat text{};
    EXPECT_EQ(format(Variant(2.5), text), "2.5");
    EXPECT_EQ(format(Variant(1.0 / 3.0), text), "0.33333333");
    EXPECT_EQ(format(Variant(7), text), "7");
    EXPECT_EQ(format(Variant("abc"), text), "abc");
    EXPECT_EQ(format(Variant::null(), {ksfkNumber, 1, 2, '.'}), "");
    EXPECT_EQ(format(Variant(), {ksfkNumber, 1, 2, '.'}), "");
    EXPECT_EQ(format(Variant("   "), {ksfkNumber, 1, 2, '.'}), "   ");
    // A value the format cannot take prints as plain text.
    EXPECT_EQ(format(Variant("abc"), {ksfkNumber, 1, 2, '.'}), "abc");
    EXPECT_EQ(format(Variant("abc"), {ksfkDate, 1, 2, '.'}), "abc");
}

TEST_F(DisplayFormatTest, PresetsComeFromTheNumberedTexts)
{
    EXPECT_EQ(DisplayFormatPreset(ksfkBoolean, 2), "_;x");
    EXPECT_EQ(platform::gbkToUtf8(DisplayFormatPreset(ksfkDate, 6)), "dddd yyyy'年'M'月'd'日'");
    EXPECT_EQ(DisplayFormatPreset(ksfkTime, 1), "h:nn:ss");
    EXPECT_EQ(DisplayFormatPreset(ksfkTime, 4), "");
    EXPECT_EQ(DisplayFormatPreset(ksfkNumber, 0), "");
}

} // namespace
