// Drawing laid-out lines: origins of the five rotation modes, spreading of widths,
// clipping, the display range, and identical line breaks and proportions at 96 and 600 dpi.
#include "objects/textlayout_draw.h"
#include "textlayout_recording_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using testing_text::gbk;
using testing_text::RecordingCanvas;

namespace {

platform::Font testFont(int pixelHeight)
{
    platform::Font font;
    font.setName("Test");
    font.setHeight(-pixelHeight);
    font.setColor(platform::clBlack);
    return font;
}

// A 100 x 50 rectangle at (10, 20), gaps 2, 12-point font (em 16, pitch 18).
TextDrawSettings boxSettings()
{
    TextDrawSettings s;
    s.drawRect = {10, 20, 110, 70};
    s.gapLeft = s.gapTop = 2;
    s.font = testFont(16);
    s.textHeight = 16;
    return s;
}

struct OriginCase {
    TKSRotationType rotation;
    TKSHAlign h;
    TKSVAlign v;
    int x, y;
};

class OriginTest : public ::testing::TestWithParam<OriginCase> {};

TEST_P(OriginTest, FirstCharacterOrLineStartsWhereTheModeSays)
{
    const OriginCase& c = GetParam();
    RecordingCanvas measuring, out;
    TextMeasurer measurer(measuring);
    TextDrawSettings s = boxSettings();
    s.rotation = c.rotation;
    s.hAlign = c.h;
    s.vAlign = c.v;
    // "ab中" is 32 px wide; the two-character columns and rows use "ab".
    bool byCharacter = c.rotation == ksrt180 || c.rotation == ksrt360;
    std::string line = byCharacter ? "ab" : gbk("ab中");
    TextPainter painter(out, measurer, s);
    EXPECT_EQ(painter.draw({line}), 1);
    ASSERT_FALSE(out.outputs.empty());
    const auto& first = out.outputs.front();
    EXPECT_EQ(first.x, c.x);
    EXPECT_EQ(first.y, c.y);
    int escapement = c.rotation == ksrt90 || c.rotation == ksrt360 ? 900 : c.rotation == ksrt270 ? -900 : 0;
    EXPECT_EQ(first.font.escapement, escapement);
    EXPECT_TRUE(first.flags & platform::etoClipped);
    EXPECT_EQ(first.rect, s.drawRect);
    EXPECT_EQ(out.outputs.size(), byCharacter ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Draw, OriginTest,
    ::testing::Values(OriginCase{ksrtNone, kshLeft, ksvTop, 12, 22}, OriginCase{ksrtNone, kshCenter, ksvCenter, 44, 36},
                      OriginCase{ksrtNone, kshRight, ksvBottom, 76, 51},
                      OriginCase{ksrt90, kshLeft, ksvTop, 12, 68}, OriginCase{ksrt90, kshCenter, ksvCenter, 52, 61},
                      OriginCase{ksrt90, kshRight, ksvBottom, 92, 54},
                      OriginCase{ksrt270, kshLeft, ksvTop, 108, 22}, OriginCase{ksrt270, kshCenter, ksvCenter, 68, 29},
                      OriginCase{ksrt270, kshRight, ksvBottom, 28, 36},
                      // Upright columns: a character is drawn at (right edge - its width, y).
                      OriginCase{ksrt180, kshLeft, ksvTop, 100, 22}, OriginCase{ksrt180, kshCenter, ksvCenter, 56, 23},
                      OriginCase{ksrt180, kshRight, ksvBottom, 12, 28},
                      // Turned rows: a character is drawn at (x, y + its width).
                      OriginCase{ksrt360, kshLeft, ksvTop, 12, 30}, OriginCase{ksrt360, kshCenter, ksvCenter, 40, 45},
                      OriginCase{ksrt360, kshRight, ksvBottom, 68, 60}));

TEST(TextDraw, SecondLineFollowsInTheModesDirection)
{
    struct Case {
        TKSRotationType rotation;
        int dx, dy;
    } cases[] = {{ksrtNone, 0, 18}, {ksrt90, 18, 0}, {ksrt270, -18, 0}, {ksrt360, 0, 18}};
    for (const Case& c : cases) {
        RecordingCanvas measuring, out;
        TextMeasurer measurer(measuring);
        TextDrawSettings s = boxSettings();
        s.rotation = c.rotation;
        s.textHeight = 34;
        TextPainter painter(out, measurer, s);
        EXPECT_EQ(painter.draw({"a", "a"}), 2);
        ASSERT_EQ(out.outputs.size(), 2u);
        EXPECT_EQ(out.outputs[1].x - out.outputs[0].x, c.dx) << int(c.rotation);
        EXPECT_EQ(out.outputs[1].y - out.outputs[0].y, c.dy) << int(c.rotation);
    }
}

TEST(TextDraw, SpreadDifference)
{
    struct Case {
        std::vector<int> start;
        int m, d;
        std::vector<int> expected;
    } cases[] = {
        {{0, 0, 0, 0, 9}, 4, 6, {2, 1, 2, 1, 9}},   // 1 each, then 2 units at 0 and 2
        {{5, 5, 5, 5, 5, 5}, 5, -3, {4, 4, 4, 5, 5, 5}},
        {{0, 0, 0}, 3, 7, {3, 2, 2}},
        {{1, 1}, 2, 0, {1, 1}},
        {{0, 0, 0, 0, 0, 0, 0}, 6, 1, {1, 0, 0, 0, 0, 0, 0}},
    };
    for (auto& c : cases) {
        std::vector<int> advances = c.start;
        spreadDifference(advances, c.m, c.d);
        EXPECT_EQ(advances, c.expected) << c.m << " " << c.d;
        int before = std::accumulate(c.start.begin(), c.start.end(), 0);
        EXPECT_EQ(std::accumulate(advances.begin(), advances.end(), 0), before + c.d);
    }
}

TEST(TextDraw, SameBreaksAndProportionsAt96And600Dpi)
{
    // 9 points: em 12 at 96 dpi (12, 6, 3 px) but 75 at 600 dpi (75, 37, 18 px), so the
    // printer's own widths are not proportional and every line must be fitted.
    RecordingCanvas measuring;
    TextMeasurer measurer(measuring);
    TextLayoutSettings layout;
    layout.wordWrap = true;
    layout.available = 96;
    layout.font = testFont(12).logical();
    TextLayoutResult laidOut;
    layoutText({gbk("联系电话 13912345678 地址：北京市海淀区 mixed words and 中文 text")}, layout, measurer,
               laidOut);
    laidOut.lines.pop_back();  // the marker
    ASSERT_GE(laidOut.lines.size(), 3u);

    const double scale = 600.0 / 96.0;
    TextDrawSettings screen;
    screen.drawRect = {40, 40, 140, 240};
    screen.font = testFont(12);
    screen.textHeight = laidOut.textHeight;
    screen.hAlign = kshCenter;
    TextDrawSettings printer = screen;
    printer.scaleX = printer.scaleY = scale;
    printer.printing = true;
    printer.drawRect = {250, 250, 875, 1500};  // the same rectangle at 600 dpi
    printer.gapLeft = printer.gapTop = 0;
    RecordingCanvas out96(96), out600(600);
    TextPainter(out96, measurer, screen).draw(laidOut.lines);
    TextPainter(out600, measurer, printer).draw(laidOut.lines);

    ASSERT_EQ(out96.outputs.size(), laidOut.lines.size());
    ASSERT_EQ(out600.outputs.size(), out96.outputs.size());
    for (std::size_t i = 0; i < out96.outputs.size(); ++i) {
        const auto& a = out96.outputs[i];
        const auto& b = out600.outputs[i];
        EXPECT_EQ(a.text, b.text);
        EXPECT_EQ(b.font.height, -75);
        int width96 = out96.textExtent(a.text).cx;
        ASSERT_FALSE(b.advances.empty()) << "printer line " << i << " not fitted";
        int width600 = std::accumulate(b.advances.begin(), b.advances.end(), 0);
        EXPECT_EQ(width600, std::lround(width96 * scale)) << i;
        EXPECT_NEAR(b.x, a.x * scale, scale) << i;
        EXPECT_NEAR(b.y, a.y * scale, 2 * scale) << i;
        // Every character keeps its proportional place along the line: the fitting
        // spreads the difference, so no place drifts by a whole screen pixel.
        int pos96 = 0, pos600 = 0;
        std::size_t k = 0;
        for (std::size_t p = 0; p < a.text.size(); p += platform::charLength(a.text, p), ++k) {
            EXPECT_NEAR(pos600, pos96 * scale, scale) << i << ":" << k;  // within one screen pixel
            pos96 += out96.advance(a.text, p);
            pos600 += b.advances[k];
        }
    }
}

TEST(TextDraw, LongTurnedLineStaysOneLineClippedToTheRectangle)
{
    RecordingCanvas measuring, out;
    TextMeasurer measurer(measuring);
    TextDrawSettings s = boxSettings();
    s.drawRect = {0, 0, 37, 60};
    s.rotation = ksrt270;
    s.hAlign = kshCenter;
    s.vAlign = ksvCenter;
    TextPainter painter(out, measurer, s);
    std::string number = "139123456789012";  // 120 px along a 60 px strip
    EXPECT_EQ(painter.draw({number}), 1);
    ASSERT_EQ(out.outputs.size(), 1u);
    EXPECT_EQ(out.outputs[0].text, number);
    EXPECT_EQ(out.outputs[0].y, (60 - 120) / 2);  // centred, both ends cut off
    EXPECT_TRUE(out.outputs[0].flags & platform::etoClipped);
    EXPECT_EQ(out.outputs[0].rect, s.drawRect);
}

TEST(TextDraw, MeasuringStopsAtFirstLineThatDoesNotFit)
{
    RecordingCanvas measuring, out;
    TextMeasurer measurer(measuring);
    TextDrawSettings s = boxSettings();  // lines at 22, 40, 58; 58 + 16 > 70
    s.measuring = true;
    EXPECT_EQ(TextPainter(out, measurer, s).draw({"a", "b", "c", "d"}), 2);
    s.measuring = false;
    EXPECT_EQ(TextPainter(out, measurer, s).draw({"a", "b", "c", "d"}), 4);
}

TEST(TextDraw, DisplayRange)
{
    struct Case {
        int begin, end;
        std::vector<std::string> drawn;
    } cases[] = {{1, 1, {"b"}}, {-1, 1, {"a", "b", "c"}}, {1, -1, {"a", "b", "c"}}, {1, 9, {"b", "c"}}, {3, 5, {}}};
    for (const Case& c : cases) {
        RecordingCanvas measuring, out;
        TextMeasurer measurer(measuring);
        TextDrawSettings s = boxSettings();
        s.displayBeginLine = c.begin;
        s.displayEndLine = c.end;
        EXPECT_EQ(TextPainter(out, measurer, s).draw({"a", "b", "c"}), int(c.drawn.size()));
        std::vector<std::string> texts;
        for (const auto& o : out.outputs)
            texts.push_back(o.text);
        EXPECT_EQ(texts, c.drawn) << c.begin << ".." << c.end;
    }
}

TEST(TextDraw, EqualSpreadsCharactersOverTheWidth)
{
    RecordingCanvas measuring, out;
    TextMeasurer measurer(measuring);
    TextDrawSettings s = boxSettings();
    s.hAlign = kshEuqal;
    TextPainter(out, measurer, s).draw({"abc"});  // 24 px; 72 spread over 2 gaps
    ASSERT_EQ(out.outputs.size(), 3u);
    EXPECT_EQ(out.outputs[0].x, 12);
    EXPECT_EQ(out.outputs[1].x, 56);
    EXPECT_EQ(out.outputs[2].x, 100);
}

TEST(TextDraw, SizeMarkersSwitchToHalfSize)
{
    RecordingCanvas measuring, out;
    TextMeasurer measurer(measuring);
    TextDrawSettings s = boxSettings();
    s.mangeTag = true;
    TextPainter(out, measurer, s).draw({"a~b|c"});
    ASSERT_EQ(out.outputs.size(), 3u);
    EXPECT_EQ(out.outputs[0].font.height, -16);
    EXPECT_EQ(out.outputs[1].font.height, -8);  // 12 pt div 2 = 6 pt
    EXPECT_EQ(out.outputs[1].x, 20);
    EXPECT_EQ(out.outputs[2].font.height, -16);
    EXPECT_EQ(out.outputs[2].x, 24);
}

TEST(TextDraw, RightToLeftReading)
{
    RecordingCanvas measuring, out;
    TextMeasurer measurer(measuring);
    TextDrawSettings s = boxSettings();
    s.rightToLeft = true;
    TextPainter(out, measurer, s).draw({"ab"});
    ASSERT_EQ(out.outputs.size(), 1u);
    EXPECT_TRUE(out.outputs[0].flags & platform::etoRtlReading);
}

} // namespace
