// Drawing of views onto small images: frames, shared edges at every zoom, fills,
// hatches, dash styles, diagonal lines, shapes and pictures.
#include "objects/picture.h"
#include "objects/shape.h"

#include "core/units.h"
#include "platform/image_canvas.h"

#include <gtest/gtest.h>

#include <set>

using platform::ImageCanvas;

namespace {

int mm(int pixels) { return toMMThousandths(pixels, ksutScreenPixels); }

void place(TKSView& v, int x, int y, int w, int h)
{
    v.mmLeft = mm(x), v.mmTop = mm(y), v.mmWidth = mm(w), v.mmHeight = mm(h);
}

bool ink(const ImageCanvas& c, int x, int y) { return c.pixel(x, y) != platform::clWhite; }

// Columns of a row that carry ink.
std::set<int> inkColumns(const ImageCanvas& c, int y)
{
    std::set<int> cols;
    for (int x = 0; x < c.width(); ++x)
        if (ink(c, x, y))
            cols.insert(x);
    return cols;
}

void allFrames(TKSView& v, bool visible)
{
    for (int side = 0; side < 4; ++side)
        v.Frame(side).Visible = visible;
}

} // namespace

TEST(ViewDraw, OnePixelFrameAroundA36By206Rectangle)
{
    TKSReportView v;
    place(v, 2, 2, 36, 206);
    allFrames(v, true);
    ImageCanvas c(60, 230);
    v.Draw(c);
    for (int y = 2; y <= 208; ++y) {
        EXPECT_TRUE(ink(c, 2, y)) << y;
        EXPECT_TRUE(ink(c, 38, y)) << y;
        EXPECT_FALSE(ink(c, 1, y));
        EXPECT_FALSE(ink(c, 39, y));
    }
    for (int x = 2; x <= 38; ++x) {
        EXPECT_TRUE(ink(c, x, 2)) << x;
        EXPECT_TRUE(ink(c, x, 208)) << x;
        EXPECT_FALSE(ink(c, x, 1));
        EXPECT_FALSE(ink(c, x, 209));
    }
    EXPECT_FALSE(ink(c, 20, 100));
    EXPECT_EQ(v.mmWidth, mm(36)) << "geometry restored after drawing";
    EXPECT_EQ(v.LeftFrame.mmWidth, 265);
}

TEST(ViewDraw, NeighbouringCellsShareTheirEdgeAtEveryZoom)
{
    // Odd internal sizes, so that transformed left + transformed width would round differently.
    for (double zoom : {0.37, 0.5, 0.75, 1.0, 1.33, 1.5, 2.0, 2.71, 3.7}) {
        SCOPED_TRACE(zoom);
        TKSReportView a, b;
        a.mmLeft = 1111, a.mmTop = 1000, a.mmWidth = 7777, a.mmHeight = 5000;
        b.mmLeft = 8888, b.mmTop = 1000, b.mmWidth = 5555, b.mmHeight = 5000;
        a.RightFrame.Visible = true;
        b.LeftFrame.Visible = true;
        ImageCanvas ca(300, 120), cb(300, 120);
        a.ScaleX = a.ScaleY = b.ScaleX = b.ScaleY = zoom;
        a.Draw(ca);
        b.Draw(cb);
        int row = static_cast<int>(roundHalfEven(fromMMThousandths(3500, ksutScreenPixels) * zoom));
        std::set<int> right = inkColumns(ca, row), left = inkColumns(cb, row);
        ASSERT_FALSE(right.empty());
        EXPECT_EQ(right, left);
    }
}

TEST(ViewDraw, FrameWidthFollowsScaleAndInsetsText)
{
    TKSReportView v;
    place(v, 4, 4, 20, 20);
    v.LeftFrame.Visible = true;
    v.ScaleX = v.ScaleY = 2;
    ImageCanvas c(80, 80);
    v.Draw(c);
    std::set<int> cols = inkColumns(c, 20);
    EXPECT_EQ(cols.size(), 2u) << "1 pixel at zoom 2 is 2 pixels wide";
    v.BeginDraw();
    EXPECT_EQ(v.FrameInset(0), 1);
    v.EndDraw();
}

TEST(ViewDraw, FourEqualSidesDrawAsOneOutlineOtherwiseSideBySide)
{
    TKSReportView v;
    place(v, 2, 2, 20, 10);
    allFrames(v, true);
    v.BottomFrame.Color = platform::clRed;
    ImageCanvas c(40, 20);
    v.Draw(c);
    EXPECT_EQ(c.pixel(10, 12), platform::clRed);
    EXPECT_EQ(c.pixel(10, 2), platform::clBlack);
    EXPECT_EQ(c.pixel(2, 7), platform::clBlack);
}

TEST(ViewDraw, DoubleFrameDrawsInnerOutline)
{
    TKSReportView v;
    place(v, 2, 2, 20, 20);
    allFrames(v, true);
    v.LeftFrame.DoubleFrame = v.TopFrame.DoubleFrame = v.RightFrame.DoubleFrame = v.BottomFrame.DoubleFrame = true;
    ImageCanvas c(40, 40);
    v.Draw(c);
    EXPECT_EQ(inkColumns(c, 12), (std::set<int>{2, 4, 20, 22}));
}

TEST(ViewDraw, DashStylesOfFrameLines)
{
    struct Case {
        platform::PenStyle style;
        bool anyInk;
        bool gaps;
    };
    const Case cases[] = {
        {platform::PenStyle::Solid, true, false},       {platform::PenStyle::InsideFrame, true, false},
        {platform::PenStyle::Dash, true, true},         {platform::PenStyle::Dot, true, true},
        {platform::PenStyle::DashDot, true, true},      {platform::PenStyle::DashDotDot, true, true},
        {platform::PenStyle::Clear, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.style));
        TKSReportView v;
        place(v, 2, 2, 80, 10);
        v.TopFrame.Visible = true;
        v.TopFrame.Style = k.style;
        ImageCanvas c(100, 20);
        v.Draw(c);
        std::set<int> cols = inkColumns(c, 2);
        EXPECT_EQ(!cols.empty(), k.anyInk);
        EXPECT_EQ(cols.size() < 79, k.gaps) << cols.size();
    }
}

TEST(ViewDraw, DiagonalLines)
{
    const std::pair<int, int> cases[] = {{1, 1}, {3, 3}, {4, 1}, {6, 3}, {7, 0}, {0, 0}};
    for (auto [kind, lines] : cases) {
        SCOPED_TRACE(kind);
        TKSReportView v;
        place(v, 0, 0, 40, 40);
        v.DiagonalLines = static_cast<std::uint16_t>(kind);
        ImageCanvas c(50, 50);
        v.Draw(c);
        // Count the lines leaving the top-left corner region along the left half.
        int inkCount = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x)
                inkCount += ink(c, x, y);
        if (lines == 0) {
            EXPECT_EQ(inkCount, 0);
        } else {
            EXPECT_GE(inkCount, 40 * lines - 4);
        }
        if (kind == 3) {
            EXPECT_TRUE(ink(c, 10, 20) && ink(c, 20, 10) && ink(c, 20, 20));
        }
    }
}

TEST(ViewDraw, BackgroundOnlyWhenFilledOrWhiteInDesign)
{
    TKSReportView v;
    place(v, 2, 2, 10, 10);
    ImageCanvas c(20, 20);
    c.setBrush({platform::clRed, platform::BrushStyle::Solid});
    c.fillRect({0, 0, 20, 20});
    v.Draw(c);
    EXPECT_EQ(c.pixel(6, 6), platform::clRed) << "no fill colour: nothing painted";
    v.FillColor = platform::clLime;
    v.Draw(c);
    EXPECT_EQ(c.pixel(6, 6), platform::clLime);
    EXPECT_EQ(c.pixel(12, 12), platform::clLime) << "DrawRect reaches the right/bottom edge pixel";
    EXPECT_EQ(c.pixel(13, 13), platform::clRed);
}

TEST(ViewDraw, HatchPatternsByStoredBrushStyle)
{
    using B = platform::BrushStyle;
    // Pixels of hatch lines in a 16 x 16 cell; single hatches about 32, crossed ones about 60.
    struct Case {
        B style;
        bool fullRow, fullColumn, crossedDiagonals;
    };
    const Case cases[] = {
        {B::Horizontal, true, false, false}, {B::Vertical, false, true, false}, {B::Cross, true, true, false},
        {B::Clear, false, false, false},     {B::FDiagonal, false, false, false},
        {B::BDiagonal, false, false, true},  {B::DiagCross, false, false, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.style));
        TKSReportView v;
        place(v, 0, 0, 15, 15);
        v.FillColor = platform::clWhite;
        v.BrushStyle = k.style;
        v.TopFrame.Color = platform::clRed;
        ImageCanvas c(16, 16);
        v.Draw(c);
        bool fullRow = false, fullColumn = false;
        int red = 0;
        for (int i = 0; i < 16; ++i) {
            bool row = true, col = true;
            for (int j = 0; j < 16; ++j) {
                row &= c.pixel(j, i) == platform::clRed;
                col &= c.pixel(i, j) == platform::clRed;
                red += c.pixel(i, j) == platform::clRed;
            }
            fullRow |= row, fullColumn |= col;
        }
        EXPECT_EQ(fullRow, k.fullRow);
        EXPECT_EQ(fullColumn, k.fullColumn);
        EXPECT_GT(red, 0);
        if (!k.fullRow && !k.fullColumn) {
            EXPECT_EQ(red > 40, k.crossedDiagonals) << red;
        }
    }
}

TEST(ShapeDraw, FigureBoxesIncludeTheFarEdgePixels)
{
    TKSShapeView s;
    place(s, 2, 2, 10, 6);
    ImageCanvas c(20, 20);
    s.Draw(c);
    EXPECT_TRUE(ink(c, 12, 5)) << "right column X2";
    EXPECT_FALSE(ink(c, 13, 5));
    EXPECT_TRUE(ink(c, 5, 8)) << "bottom row Y2";
    EXPECT_FALSE(ink(c, 5, 9));
    EXPECT_TRUE(ink(c, 2, 2));
}

TEST(ShapeDraw, LinesOfTheStickerSheet)
{
    {
        TKSShapeView s;
        s.Shape = ksHorLine;
        place(s, 2, 4, 20, 2);
        ImageCanvas c(30, 10);
        s.Draw(c);
        EXPECT_TRUE(ink(c, 10, 5));
        EXPECT_FALSE(ink(c, 10, 4));
        EXPECT_FALSE(ink(c, 10, 6));
    }
    {
        TKSShapeView s;
        s.Shape = ksRightAndLeft;
        place(s, 10, 2, 0, 10);
        ImageCanvas c(20, 20);
        s.Draw(c);
        EXPECT_EQ(inkColumns(c, 6), (std::set<int>{9, 10}));
    }
    {
        TKSShapeView s;
        s.Shape = ksRightAndLeft;
        place(s, 2, 2, 10, 10);
        ImageCanvas c(20, 20);
        s.Draw(c);
        EXPECT_EQ(inkColumns(c, 6), (std::set<int>{2, 11}));
    }
}

TEST(ShapeDraw, PenNeverThinnerThanOnePixel)
{
    TKSShapeView s;
    s.Shape = ksVertLine;
    place(s, 2, 2, 20, 20);
    s.ScaleX = s.ScaleY = 0.5;
    ImageCanvas c(30, 30);
    s.Draw(c);
    EXPECT_EQ(inkColumns(c, 5).size(), 1u);
}

TEST(PictureDraw, StretchedRatioCentredTarget)
{
    TKSPictureView p;
    p.SetFlag(ksf::PictureCenter, true);
    p.DrawRect = {10, 20, 110, 120};
    EXPECT_EQ(p.TargetRect(200, 100), (platform::Rect{10, 45, 110, 95}));
    p.SetFlag(ksf::PictureRatio, false);
    EXPECT_EQ(p.TargetRect(200, 100), p.DrawRect);
    p.SetFlag(ksf::PictureStretched, false);
    p.ScaleX = p.ScaleY = 0.5;
    EXPECT_EQ(p.TargetRect(40, 20), (platform::Rect{50, 65, 70, 75}));
}

TEST(PictureDraw, EmptyOrMissingPicturesDrawOnlyFillAndFrame)
{
    TKSPictureView p;
    place(p, 2, 2, 10, 10);
    allFrames(p, true);
    ImageCanvas c(20, 20);
    p.Draw(c);
    EXPECT_TRUE(ink(c, 2, 2));
    EXPECT_FALSE(ink(c, 6, 6));
    p.Picture = std::make_unique<platform::Graphic>(platform::GraphicKind::Jpeg);
    p.Picture->loadFromBytes("not a jpeg");
    EXPECT_NO_THROW(p.Draw(c));
    EXPECT_FALSE(ink(c, 6, 6));

    p.PictureSource = kspsFileName;
    p.Memo = {"/nonexistent/none.bmp"};
    platform::MemoryStream out;
    EXPECT_NO_THROW(p.PlaceOnEndPage(out));
    EXPECT_EQ(p.Picture, nullptr);
    EXPECT_GT(out.size(), 0);
}

TEST(PictureDraw, BitmapIsDrawnIntoItsTarget)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    TKSPictureView p;
    p.Picture = std::make_unique<platform::Graphic>(platform::GraphicKind::Bitmap);
    p.Picture->assignImage(image);
    place(p, 2, 2, 10, 10);
    ImageCanvas c(20, 20);
    p.Draw(c);
    EXPECT_EQ(c.pixel(6, 6), platform::clBlue);
    EXPECT_FALSE(ink(c, 15, 15));
}

TEST(PictureBlob, KindDetection)
{
    using namespace std::string_literals;
    const std::pair<std::string, TKSBlobType> cases[] = {
        {"BMxxxx", ksbtBitmap},
        {"GIF89a", ksbtBitmap},
        {"\xFF\xD8\x01\x02\xFF\xD9"s, ksbtJPEG},
        {"\xFF\xD8\xFF\xD9"s, ksbtBitmap},
        {"\x00\x00\x01\x00\x05"s, ksbtIcon},
        {"\xD7\xCD\xC6\x9A\x00"s, ksbtMetafile},
        {"\x01\x00\x00\x00\x78\x00\x00"s, ksbtMetafile},
        {"zzzz"s, ksbtBitmap},
        {""s, ksbtBitmap},
    };
    for (const auto& [bytes, kind] : cases)
        EXPECT_EQ(TKSPictureView::DetectKind(bytes), kind) << bytes;
}

TEST(PictureBlob, WrapperRemovalAndDamagedWrappers)
{
    using namespace std::string_literals;
    std::string header(20, '\0');
    header[0] = '\x15', header[1] = '\x1C';
    header[2] = 20;  // header size
    header[4] = 3;   // object type
    std::string body(12, '\0');
    body += "DIB"s + '\0';
    body += std::string(8, '\0');
    std::string data = "DATA";
    std::string count = "\x04\x00\x00\x00"s;
    std::string wrapped = header + body.substr(0, 12 + 4) + std::string(8, '\0') + count + data;
    std::string out = TKSPictureView::Unwrap(wrapped);
    ASSERT_EQ(out.size(), 18u);
    EXPECT_EQ(out.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(out[2]), 18);
    EXPECT_EQ(out.substr(14), "DATA");
    for (std::size_t cut : {0u, 3u, 19u, 30u, 40u})
        EXPECT_NO_THROW((void)TKSPictureView::Unwrap(wrapped.substr(0, cut))) << cut;
}
