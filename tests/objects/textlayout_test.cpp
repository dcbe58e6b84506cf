// Line layout on the measuring canvas: wrapping of mixed GBK text, the punctuation
// rule, backquote splitting, the marker line, pitch and height, font fitting.
#include "objects/textlayout.h"
#include "textlayout_recording_canvas.h"

#include <gtest/gtest.h>

using testing_text::gbk;
using testing_text::RecordingCanvas;

namespace {

// 12 points at 96 dpi: em 16, so double-byte 16, most letters 8, " il.,'" 4 pixels.
TextLayoutSettings settings(int available, bool wrap = true)
{
    TextLayoutSettings s;
    s.available = available;
    s.wordWrap = wrap;
    s.font.faceName = "Test";
    s.font.height = -16;
    return s;
}

std::vector<std::string> gbkLines(std::initializer_list<const char*> utf8)
{
    std::vector<std::string> lines;
    for (const char* line : utf8)
        lines.push_back(gbk(line));
    return lines;
}

struct WrapCase {
    const char* name;
    std::vector<const char*> source;
    int available;
    bool wordBreak;
    bool mangeTag;
    std::vector<const char*> expected;  // without the marker line
};

class WrapTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTest, WrapsByWholeCharacters)
{
    const WrapCase& c = GetParam();
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(c.available);
    s.wordBreak = c.wordBreak;
    s.mangeTag = c.mangeTag;
    std::vector<std::string> source;
    for (const char* line : c.source)
        source.push_back(gbk(line));
    TextLayoutResult result;
    layoutText(source, s, measurer, result);

    ASSERT_TRUE(endsWithLaidOutMarker(result.lines));
    std::vector<std::string> expected;
    for (const char* line : c.expected)
        expected.push_back(gbk(line));
    expected.emplace_back(kLaidOutMarker);
    EXPECT_EQ(result.lines, expected);
    EXPECT_EQ(result.linePitch, 18);
    EXPECT_EQ(result.textHeight, int(c.expected.size()) * 18 - 2);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, WrapTest,
    ::testing::Values(
        // "hello " is 36 px, "world" 36: the blank stays at the end of the first line.
        WrapCase{"BreaksAfterBlank", {"hello world"}, 60, false, false, {"hello ", "world"}},
        WrapCase{"FitsExactly", {"hello world"}, 72, false, false, {"hello world"}},
        WrapCase{"Chinese", {"中文字符测试"}, 50, false, false, {"中文字", "符测试"}},
        WrapCase{"MixedScripts", {"ab中文cd"}, 40, false, false, {"ab中", "文cd"}},
        WrapCase{"BreaksAfterHyphen", {"ab-cd"}, 30, false, false, {"ab-", "cd"}},
        // A word wider than the line: characters staying strictly below the width.
        WrapCase{"LongWordCut", {"abcdefghij"}, 30, false, false, {"abc", "def", "ghij"}},
        WrapCase{"WideCharAlone", {"中文"}, 10, false, false, {"中", "文"}},
        WrapCase{"CommaMayStartLine", {"中文字，好"}, 48, false, false, {"中文字", "，好"}},
        WrapCase{"WordBreakKeepsComma", {"中文字，好"}, 48, true, false, {"中文", "字，好"}},
        WrapCase{"WordBreakAtTextEnd", {"中文字，"}, 48, true, false, {"中文", "字，"}},
        WrapCase{"WordBreakNotForSingleByte", {"中文字,"}, 48, true, false, {"中文字", ","}},
        WrapCase{"WordBreakOnlyPunctuation", {"中文字a好"}, 48, true, false, {"中文字", "a好"}},
        WrapCase{"EmptyLineStays", {"", "ab"}, 40, false, false, {"", "ab"}},
        WrapCase{"BackquoteSplitsWithTag", {"ab`cd"}, 100, false, true, {"ab", "cd"}},
        WrapCase{"BackquoteKeptWithoutTag", {"ab`cd"}, 100, false, false, {"ab`cd"}},
        WrapCase{"LineFeedDeleted", {"ab\ncd"}, 100, false, false, {"abcd"}},
        WrapCase{"CarriageReturnSplits", {"ab\rcd"}, 100, false, false, {"ab", "cd"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextLayout, NeverSplitsDoubleByteCharacters)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    std::string text = gbk("电话号码abc中文x文字测试，联系人张三lili的手机");
    for (int width = 1; width < 200; width += 3) {
        TextLayoutResult result;
        layoutText({text}, settings(width), measurer, result);
        std::string joined;
        for (std::size_t i = 0; i + 1 < result.lines.size(); ++i) {
            const std::string& line = result.lines[i];
            ASSERT_FALSE(line.empty());
            for (std::size_t pos = 0; pos < line.size(); pos += platform::charLength(line, pos))
                ASSERT_LE(pos + platform::charLength(line, pos), line.size()) << width;
            joined += line;
        }
        EXPECT_EQ(joined, text) << width;
    }
}

TEST(TextLayout, MarkerAndHeightByRotation)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    auto source = gbkLines({"abc", "def"});
    struct Case {
        TKSRotationType rotation;
        bool marker;
    } cases[] = {{ksrtNone, true}, {ksrt90, false}, {ksrt180, false}, {ksrt270, false}, {ksrt360, true}};
    for (const Case& c : cases) {
        TextLayoutSettings s = settings(200, false);
        s.rotation = c.rotation;
        TextLayoutResult result;
        layoutText(source, s, measurer, result);
        EXPECT_EQ(endsWithLaidOutMarker(result.lines), c.marker) << int(c.rotation);
        EXPECT_EQ(result.lines.size(), c.marker ? 3u : 2u);
        EXPECT_EQ(result.textHeight, 2 * 18 - 2);
    }
}

TEST(TextLayout, LaidOutTextIsNotWrappedAgain)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(10);
    s.laidOut = true;
    TextLayoutResult result;
    layoutText(gbkLines({"hello world", "x"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"hello world", "x"}));
    EXPECT_EQ(result.textHeight, 34);
}

TEST(TextLayout, TurnedTextSplitsAtBackquotesOnlyWhenWrapped)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(40);
    s.rotation = ksrt270;
    s.mangeTag = true;
    TextLayoutResult result;
    layoutText(gbkLines({"ab`中文字"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"ab", "中文", "字"}));
    s.wordWrap = false;
    layoutText(gbkLines({"ab`中文字"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"ab`中文字"}));
}

TEST(TextLayout, UprightColumnsMeasureCharacterHeights)
{
    // Cell height 20 (16 + 16/4); markers switch to the half size (6 points: em 8, cell 10).
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(45);
    s.rotation = ksrt180;
    TextLayoutResult result;
    layoutText(gbkLines({"abcd"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"ab", "cd"}));

    s.mangeTag = true;
    layoutText(gbkLines({"a~bc|d"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"a~bc|", "d"}));  // a 20 + b, c 10 each: 40
}

TEST(TextLayout, DesignModeKeepsWideExpressionLine)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(20);
    s.designMode = true;
    TextLayoutResult result;
    layoutText(gbkLines({"[Table.LongFieldName]"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"[Table.LongFieldName]"}));
    layoutText(gbkLines({"Table.Name"}), s, measurer, result);
    EXPECT_GT(result.lines.size(), 2u);
}

TEST(TextLayout, CharacterSpacingCountsInWidths)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(48);
    TextLayoutResult result;
    layoutText(gbkLines({"中文字"}), s, measurer, result);
    EXPECT_EQ(result.lines.size(), 2u);
    s.characterSpacing = 1;
    layoutText(gbkLines({"中文字"}), s, measurer, result);
    EXPECT_EQ(result.lines, gbkLines({"中文", "字", "\x01"}));
    EXPECT_EQ(canvas.textCharacterExtra(), 0);
}

TEST(TextLayout, FontShrinksUntilEveryLineFits)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    TextLayoutSettings s = settings(64);
    // 12 pt: 中文字符测 is 80 px. 9 pt (em 12): 60 px fits.
    EXPECT_EQ(fitFontSizeToWidth(gbkLines({"ab", "中文字符测"}), s, measurer, 12), 9);
    EXPECT_EQ(fitFontSizeToWidth(gbkLines({"ab"}), s, measurer, 12), 12);
    s.available = -1;
    EXPECT_EQ(fitFontSizeToWidth(gbkLines({"ab"}), s, measurer, 12), 0);
}

TEST(TextLayout, MeasurerCachesWidthsPerFont)
{
    RecordingCanvas canvas;
    TextMeasurer measurer(canvas);
    platform::LogicalFont a;
    a.height = -16;
    platform::LogicalFont b = a;
    b.height = -32;
    measurer.setFont(a, 0);
    EXPECT_EQ(measurer.width(gbk("中a")), 24);
    measurer.setFont(b, 2);
    EXPECT_EQ(measurer.width(gbk("中a")), 48 + 4);
    measurer.setFont(a, 0);
    EXPECT_EQ(measurer.width(gbk("中a")), 24);
}

} // namespace
