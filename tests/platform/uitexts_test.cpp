// Numbered texts: the embedded table, the table notation and the 1023-byte cut.
#include "platform/uitexts.h"

#include "platform/gbk.h"

#include <gtest/gtest.h>

#include <stdexcept>

using platform::loadText;

namespace {

std::string gbk(const char* utf8) { return platform::utf8ToGbk(utf8); }

TEST(UiTexts, EmbeddedTableHoldsTheNumberedTexts)
{
    struct Case { int id; const char* utf8; };
    const Case cases[] = {
        {45000, "查找文本"},
        {45048, "输入页号或页范围,逗号分隔.例如: 1,3,5-12"},
        {46856, "有%d篇文档正在等待打印"},
        {47008, "Letter, 8 1/2 x 11\""},
        {47027, "#10 Envelope, 4 1/8  x 9 1/2\""},
        {47076, "[无]"},
        {47094, "无"},
        {47176, "yyyy'年'mm'月'dd'日'"},
        {47206, "错误"},
        {47209, "Untitled"},
        {47337, "134"},
        {47483, "1"},
        {47499, "不是Tabellomatics报表文件！"},
        {47501, "不是Tabellomatics报表文件!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadText(c.id), gbk(c.utf8)) << c.id;
}

TEST(UiTexts, UnknownNumbersAreEmpty)
{
    for (int id : {0, -1, 44999, 47190, 47228, 47503, 99999})
        EXPECT_EQ(loadText(id), "") << id;
}

TEST(UiTexts, TableNotation)
{
    auto table = platform::parseTextTable("# comment\n\n1\tA\\nB\\tC\\\\D\\q\r\n2\t\n3\t#5 \xe5\x9b\xbe");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1], "A\nB\tC\\D\\q");
    EXPECT_EQ(table[2], "");
    EXPECT_EQ(table[3], "#5 " + gbk("图"));
}

TEST(UiTexts, MalformedTableLinesNameTheLine)
{
    struct Case { const char* text; const char* message; };
    const Case cases[] = {
        {"1\ta\n2 b\n", "line 2: no tab"},
        {"x1\ta\n", "line 1: the number is malformed"},
        {"12x\ta\n", "line 1: the number is malformed"},
        {"1\ta\n\n1\tb\n", "line 3: the number appears twice"},
    };
    for (const Case& c : cases) {
        try {
            platform::parseTextTable(c.text);
            ADD_FAILURE() << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(UiTexts, LongTextsAreCutWithoutSplittingACharacter)
{
    // 1022 single bytes then a double-byte character: it does not fit whole.
    std::string text(1022, 'a');
    auto table = platform::parseTextTable("7\t" + text + "中文");
    EXPECT_EQ(table[7], text);

    std::string chinese;
    for (int i = 0; i < 600; ++i)
        chinese += "中";
    table = platform::parseTextTable("8\t" + chinese);
    EXPECT_EQ(table[8].size(), 1022u);
    EXPECT_EQ(platform::cutGbk(std::string(1023, 'b') + "x", 1023), std::string(1023, 'b'));
    EXPECT_EQ(platform::cutGbk("ab", 1023), "ab");
}

} // namespace
