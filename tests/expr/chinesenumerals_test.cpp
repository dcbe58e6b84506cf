// Chinese numerals through the standard functions: money amounts, lower-case
// numbers, single capital digits, digit strings and dates.
#include "expr/evalcontext.h"
#include "expr/stdfunctions.h"
#include "platform/gbk.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* expression;
    const char* expected;  // UTF-8
};

class ChineseNumeralsTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterStdFunctionLibrary(); }

    std::string eval(const char* expression)
    {
        return platform::gbkToUtf8(context.Evaluate(platform::utf8ToGbk(expression)).toString());
    }

    void expectAll(std::initializer_list<TextCase> cases)
    {
        for (const TextCase& c : cases)
            EXPECT_EQ(eval(c.expression), c.expected) << c.expression;
    }

    TKSEvalContext context;
};

TEST_F(ChineseNumeralsTest, MoneyAmountsInCapitalNumerals)
{
    expectAll({
        {"CURRTOBIGNUM(1234.56)", "壹仟贰佰叁拾肆元伍角陆分"},
        {"CURRTOBIGNUM(100)", "壹佰元整"},
        {"CURRTOBIGNUM(10.5)", "壹拾元零伍角整"},
        {"CURRTOBIGNUM(1001)", "壹仟零壹元整"},
        {"CURRTOBIGNUM(10000)", "壹万元整"},
        {"CURRTOBIGNUM(100000001)", "壹亿零壹元整"},
        {"CURRTOBIGNUM(0.5)", "零伍角整"},
        {"CURRTOBIGNUM(12.05)", "壹拾贰元零伍分"},
        {"CURRTOBIGNUM(0)", "零整"},
        {"CURRTOBIGNUM(-5)", "负伍元整"},
        // zeros inside groups and empty groups across 万 and 亿
        {"CURRTOBIGNUM(100010)", "壹拾万零壹拾元整"},
        {"CURRTOBIGNUM(1010000)", "壹佰零壹万元整"},
        {"CURRTOBIGNUM(100001000)", "壹亿零壹仟元整"},
        {"CURRTOBIGNUM(110000000)", "壹亿壹仟万元整"},
        {"CURRTOBIGNUM(100100000000)", "壹仟零壹亿元整"},
        {"CURRTOBIGNUM(1000000000000)", "壹兆元整"},
        {"CURRTOBIGNUM(1000000.1)", "壹佰万元零壹角整"},
        // cents only, and one 零 where the units and the tenths are both zero
        {"CURRTOBIGNUM(0.05)", "零伍分"},
        {"CURRTOBIGNUM(10.05)", "壹拾元零伍分"},
        {"CURRTOBIGNUM(20000000.02)", "贰仟万元零贰分"},
        {"CURRTOBIGNUM(0.125)", "零壹角贰分伍厘"},  // 12.5 fen rounds to 12: no 整
        {"CURRTOBIGNUM(-1234.5)", "负壹仟贰佰叁拾肆元伍角整"},
        {"CURRTOBIGNUM('')", "零整"},
        {"CURRTOBIGNUM('88.8')", "捌拾捌元捌角整"},
    });
}

TEST_F(ChineseNumeralsTest, NumbersInLowerCaseNumerals)
{
    expectAll({
        {"CNUMBER('1234')", "一千二百三十四"},
        {"CNUMBER('10')", "十"},
        {"CNUMBER('15')", "十五"},
        {"CNUMBER('105')", "一百零五"},
        {"CNUMBER('100005')", "十万零五"},
        {"CNUMBER('1000000')", "一百万"},
        {"CNUMBER('100000000')", "一亿"},
        {"CNUMBER('12.5')", "十二点五"},
        {"CNUMBER('0.05')", "点零五"},
        {"CNUMBER('0.5')", "点五"},
        {"CNUMBER('0')", ""},
        {"CNUMBER('-3')", "负三"},
        {"CNUMBER('110000000')", "一亿一千万"},
        {"CNUMBER('100010000')", "一亿零一万"},
        {"CNUMBER('10010')", "一万零一十"},
        {"CNUMBER('1001')", "一千零一"},
        {"CNUMBER('20.25')", "二十点二五"},
        {"CNUMBER('12.345')", "十二点三五"},
        {"CNUMBER(999999999)", "九亿九千九百九十九万九千九百九十九"},
    });
    EXPECT_THROW(eval("CNUMBER('1000000000')"), std::exception);
    EXPECT_THROW(eval("CNUMBER('abc')"), platform::VariantError);
    EXPECT_THROW(eval("CNUMBER('')"), platform::VariantError);
}

TEST_F(ChineseNumeralsTest, SingleCapitalDigitsAndDigitStrings)
{
    expectAll({
        {"SINGNUMTOBIG(1234.5, 2)", "叁"},
        {"SINGNUMTOBIG(1234.5, 1)", "肆"},
        {"SINGNUMTOBIG(1234.5, 4)", "壹"},
        {"SINGNUMTOBIG(1234.5, 5)", ""},
        {"SINGNUMTOBIG(1234.5, 0)", ""},
        {"SINGNUMTOBIG(1234, 1)", "肆"},  // whole numbers count from their last digit
        {"SINGNUMTOBIG(1234.56, -1)", "伍"},
        {"SINGNUMTOBIG(1234.56, -2)", "陆"},
        {"SINGNUMTOBIG(1234.5, -2)", ""},
        {"SINGNUMTOBIG(-12.5, 3)", ""},  // the minus sign is no digit
        {"SMALLTOBIG('2024')", "贰零贰肆"},
        {"SMALLTOBIG(' 12 ')", "壹贰"},
        {"SMALLTOBIG('')", ""},
    });
    EXPECT_THROW(eval("SMALLTOBIG('12a')"), platform::VariantError);
    EXPECT_THROW(eval("SMALLTOBIG('-1')"), platform::VariantError);
}

TEST_F(ChineseNumeralsTest, DatesInChineseCharacters)
{
    expectAll({
        {"CHINADATE(STRTODATE('2024-10-20'))", "二０二四年十月二十日"},
        {"CHINADATE(STRTODATE('2009-01-05'))", "二００九年一月五日"},
        {"CHINADATE(STRTODATE('1999-12-31'))", "一九九九年十二月三十一日"},
        {"CHINADATE(STRTODATE('2011-11-10'))", "二０一一年十一月十日"},
        {"CHINADATE(0)", "一八九九年十二月三十日"},
    });
}

} // namespace
