// Name rule, #1-separated fields, quoted and numeric text.
#include "core/textutil.h"

#include <gtest/gtest.h>

TEST(TextUtil, NameRule)
{
    EXPECT_TRUE(namesEqual("Memo1", "MEMO1"));
    EXPECT_TRUE(namesEqual("\xB5\xD8Memo", "\xB5\xD8memo"));
    EXPECT_FALSE(namesEqual("Memo1", "Memo1 "));
    EXPECT_FALSE(namesEqual("Memo1", "Memo2"));
}

TEST(TextUtil, ListField)
{
    const std::string list = "Title\x01" "3\x01" "\x01" "last";
    struct Case {
        int n;
        const char* field;
    } cases[] = {
        {1, "Title"}, {2, "3"}, {3, ""},
        {4, ""},  // "last" has no closing separator
        {0, ""}, {-1, ""}, {99, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listField(list, c.n), c.field) << c.n;
    EXPECT_EQ(listField("", 1), "");
}

TEST(TextUtil, QuotedText)
{
    struct Case {
        const char* text;
        const char* result;
    } cases[] = {
        {"\"abc\"", "abc"}, {"\"a\"", "a"}, {"\"\"", "\"\""}, {"\"", "\""},
        {"\"abc", "\"abc"}, {"abc\"", "abc\""}, {"plain", "plain"}, {"\"\"\"", "\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unquotedText(c.text), c.result) << c.text;
}

TEST(TextUtil, NumericText)
{
    struct Case {
        const char* text;
        char separator;
        const char* result;
    } cases[] = {
        {"  1,234.50  ", ',', "1234.50"},
        {"\xA3\xA4" "1,234,567.00\xD4\xAA", ',', "1234567.00"},  // currency sign and unit around it
        {"abc-12.5xyz", ',', "-12.5"},
        {"1.234,5", '.', "1234,5"},
        {"total: 42.", ',', "42"},
        {"no digits", ',', ""},
        {"-", ',', ""},
        {"", ',', ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numericText(c.text, c.separator), c.result) << c.text;
}

TEST(TextUtil, JoinAndSplitLines)
{
    const std::vector<std::string> lines = {"a", "", "b"};
    EXPECT_EQ(joinLines(lines), "a\r\n\r\nb\r\n");
    EXPECT_EQ(splitLines(joinLines(lines)), lines);
}
