// The tear-off strip of the sticker sheet drawn for real: a 36 x 206 px memo with a
// 29 px bold phone number turned by 270 degrees, centred; the glyphs must lie inside
// the frame and be centred both ways. The image is kept under /tmp for looking at.
#include "objects/memo.h"

#include "platform/gbk.h"
#include "platform/image_canvas.h"

#include "support/gui_app.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {


class PreviewReport : public TKSReportContext {
public:
    int DocMode() const override { return ksdmPreviewing; }
    platform::Variant EvaluateExpression(TKSReportView&, std::string_view) override { return {}; }
    void SetExpandingText(bool) override {}
    void SetCurrentView(TKSView*) override {}
    void FireBeforePrint(std::vector<std::string>&, TKSView&) override {}
    std::unique_ptr<TKSBandDataset> CreateCountDataset() override { return nullptr; }
    void ReportError(const std::string&) override {}
    TKSView* FindObject(std::string_view) const override { return nullptr; }
};

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

bool isInk(const platform::ImageCanvas& c, int x, int y)
{
    platform::Color p = c.pixel(x, y);
    int r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
    return r + g + b < 3 * 160;
}

Box inkWithin(const platform::ImageCanvas& c, int left, int top, int right, int bottom)
{
    Box box;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (isInk(c, x, y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// A strip at (10, 10) on a 60 x 230 white image; returns the canvas drawn on.
std::unique_ptr<platform::ImageCanvas> drawStrip(const std::string& number, const char* savedAs)
{
    ensureGuiApp();
    PreviewReport report;
    TKSMemoView strip;
    strip.ParentReport = &report;
    strip.SetspLeft(10);
    strip.SetspTop(10);
    strip.SetspWidth(36);
    strip.SetspHeight(206);
    for (int side = 0; side < 4; ++side)
        strip.Frame(side).Visible = true;
    strip.Font.setName(platform::utf8ToGbk("黑体"));
    strip.Font.setHeight(-29);
    strip.Font.setStyle(platform::fsBold);
    strip.Font.setCharset(platform::kGbkCharset);
    strip.HAlign = kshCenter;
    strip.VAlign = ksvCenter;
    strip.RotationType = ksrt270;
    strip.SetFlag(ksf::Stretched, true);
    strip.Memo = {number};
    auto canvas = std::make_unique<platform::ImageCanvas>(60, 230);
    strip.Draw(*canvas);
    canvas->image().save(savedAs);
    return canvas;
}

TEST(MemoSticker, PhoneNumberTurnedAndCentredInTheStrip)
{
    auto canvas = drawStrip("13912345678", "/tmp/memo_sticker_strip.png");
    // The frame runs along x = 10 and 46, y = 10 and 216; the text lies strictly inside.
    Box outside = inkWithin(*canvas, 0, 0, 59, 8);
    EXPECT_TRUE(outside.empty());
    Box ink = inkWithin(*canvas, 12, 12, 44, 214);
    ASSERT_FALSE(ink.empty());
    EXPECT_TRUE(inkWithin(*canvas, 47, 0, 59, 229).empty()) << "ink right of the frame";
    EXPECT_TRUE(inkWithin(*canvas, 0, 217, 59, 229).empty()) << "ink below the frame";
    // Turned by 270 degrees: the number runs down the strip, so it is tall and narrow.
    EXPECT_GT(ink.bottom - ink.top, 3 * (ink.right - ink.left));
    int leftGap = ink.left - 11, rightGap = 45 - ink.right;
    int topGap = ink.top - 11, bottomGap = 215 - ink.bottom;
    EXPECT_LE(std::abs(leftGap - rightGap), 3) << leftGap << " / " << rightGap;
    EXPECT_LE(std::abs(topGap - bottomGap), 3) << topGap << " / " << bottomGap;
}

TEST(MemoSticker, NumberLongerThanTheStripStaysOneLineAndIsCut)
{
    auto canvas = drawStrip("1391234567813912345678", "/tmp/memo_sticker_long.png");
    Box ink = inkWithin(*canvas, 11, 11, 45, 215);
    ASSERT_FALSE(ink.empty());
    EXPECT_LE(ink.right - ink.left, 30) << "wrapped into a second line";
    EXPECT_TRUE(inkWithin(*canvas, 0, 0, 59, 9).empty()) << "not clipped at the top";
    EXPECT_TRUE(inkWithin(*canvas, 0, 217, 59, 229).empty()) << "not clipped at the bottom";
    EXPECT_LE(ink.top, 13);
    EXPECT_GE(ink.bottom, 213);
}

} // namespace
