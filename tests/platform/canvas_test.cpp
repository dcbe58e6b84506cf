// Pixel tests of the image canvas: figures, pens, brushes, clipping, bitmaps and text,
// drawn on small images and compared pixel by pixel.
#include "platform/image_canvas.h"
#include "platform/font_resolver.h"
#include "platform/gbk.h"

#include "support/gui_app.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QRawFont>

#include <algorithm>
#include <functional>
#include <string>

using namespace platform;

namespace {


// The surface as rows of characters: '.' white, '#' black, 'R' red, 'B' blue, 'Y'
// yellow, '?' anything else.
std::string art(const ImageCanvas& canvas)
{
    std::string out;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            switch (canvas.pixel(x, y)) {
            case clWhite: out += '.'; break;
            case clBlack: out += '#'; break;
            case clRed: out += 'R'; break;
            case clBlue: out += 'B'; break;
            case clYellow: out += 'Y'; break;
            default: out += '?'; break;
            }
        }
        out += '\n';
    }
    return out;
}

std::string rows(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* line : lines)
        out += std::string(line) + '\n';
    return out;
}

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < 0; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

InkBox inkBox(const ImageCanvas& canvas, Rect area = {0, 0, 1 << 20, 1 << 20})
{
    InkBox box;
    for (int y = std::max(0, area.top); y < std::min(canvas.height(), area.bottom); ++y)
        for (int x = std::max(0, area.left); x < std::min(canvas.width(), area.right); ++x)
            if (canvas.pixel(x, y) != clWhite) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

Pen solidPen(int width = 1, PenCap cap = PenCap::Flat)
{
    Pen pen;
    pen.width = width;
    pen.cap = cap;
    return pen;
}

} // namespace

// ---------------------------------------------------------------- colours

TEST(Colors, PlatformValuesConvertToQColor)
{
    EXPECT_EQ(toQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(clBlue), QColor(0, 0, 255));
    EXPECT_EQ(toQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(toQColor(clWindowText), QColor(0, 0, 0));
    EXPECT_EQ(toQColor(clBtnFace), QColor(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(toQColor(clWindow), QColor(255, 255, 255));
    EXPECT_EQ(fromQColor(QColor(0x56, 0x34, 0x12)), 0x123456);
}

TEST(Colors, NoneAndDefaultAreNotColours)
{
    EXPECT_EQ(clNone, 536870911);
    EXPECT_FALSE(isRgbColor(clNone));
    EXPECT_FALSE(isRgbColor(clDefault));
    EXPECT_FALSE(isRgbColor(systemColor(200)));
    EXPECT_TRUE(isRgbColor(clBtnFace));
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
}

// ---------------------------------------------------------------- figures

TEST(CanvasFigures, RectangleExcludesRightColumnAndBottomRow)
{
    ImageCanvas c(8, 8);
    c.setBrush({clRed, BrushStyle::Solid});
    c.rectangle(1, 1, 5, 5);
    EXPECT_EQ(art(c), rows({"........",
                            ".####...",
                            ".#RR#...",
                            ".#RR#...",
                            ".####...",
                            "........",
                            "........",
                            "........"}));
}

TEST(CanvasFigures, RectangleWithoutPenFillsOnePixelLess)
{
    ImageCanvas c(8, 8);
    c.setPen({clBlack, 1, PenStyle::Clear});
    c.setBrush({clRed, BrushStyle::Solid});
    c.rectangle(1, 1, 5, 5);
    EXPECT_EQ(art(c), rows({"........",
                            ".RRR....",
                            ".RRR....",
                            ".RRR....",
                            "........",
                            "........",
                            "........",
                            "........"}));
}

TEST(CanvasFigures, WidePenIsCentredOnTheEdgeUnlessInsideFrame)
{
    ImageCanvas centred(8, 8);
    centred.setPen(solidPen(2));
    centred.setBrush({clRed, BrushStyle::Solid});
    centred.rectangle(1, 1, 7, 7);
    EXPECT_EQ(art(centred), rows({"#######.",
                                  "#######.",
                                  "##RRR##.",
                                  "##RRR##.",
                                  "##RRR##.",
                                  "#######.",
                                  "#######.",
                                  "........"}));

    ImageCanvas inside(8, 8);
    inside.setPen({clBlack, 2, PenStyle::InsideFrame});
    inside.setBrush({clRed, BrushStyle::Solid});
    inside.rectangle(1, 1, 7, 7);
    EXPECT_EQ(art(inside), rows({"........",
                                 ".######.",
                                 ".######.",
                                 ".##RR##.",
                                 ".##RR##.",
                                 ".######.",
                                 ".######.",
                                 "........"}));
}

TEST(CanvasFigures, FillRectCoversHalfOpenBoxAndIgnoresPen)
{
    ImageCanvas c(8, 8);
    c.setBrush({clBlue, BrushStyle::Solid});
    c.fillRect({1, 2, 4, 4});
    c.fillRect({6, 6, 6, 8});  // empty
    EXPECT_EQ(art(c), rows({"........",
                            "........",
                            ".BBB....",
                            ".BBB....",
                            "........",
                            "........",
                            "........",
                            "........"}));
}

TEST(CanvasFigures, LineExcludesItsEndPoint)
{
    struct Case {
        const char* name;
        Point from, to;
        Pen pen;
        std::vector<Point> ink;
    };
    const Case cases[] = {
        {"rightwards", {1, 2}, {5, 2}, solidPen(), {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {"leftwards", {5, 2}, {1, 2}, solidPen(), {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
        {"downwards", {2, 1}, {2, 4}, solidPen(), {{2, 1}, {2, 2}, {2, 3}}},
        {"diagonal", {1, 1}, {5, 5}, solidPen(), {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {"diagonal back", {5, 5}, {1, 1}, solidPen(), {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},
        {"shallow", {0, 0}, {6, 2}, solidPen(), {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}},
        {"dotted diagonal", {0, 0}, {7, 7}, Pen{clBlack, 1, PenStyle::Dot}, {{0, 0}, {1, 1}, {4, 4}, {5, 5}}},
        {"square cap reaches the end", {1, 2}, {4, 2}, solidPen(1, PenCap::Square), {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {"two pixels wide", {1, 3}, {4, 3}, solidPen(2), {{1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}}},
        {"zero length", {3, 3}, {3, 3}, solidPen(), {}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        ImageCanvas c(8, 8);
        c.setPen(tc.pen);
        c.moveTo(tc.from.x, tc.from.y);
        c.lineTo(tc.to.x, tc.to.y);
        EXPECT_EQ(c.penPos(), tc.to);
        ImageCanvas expected(8, 8);
        for (Point p : tc.ink) {
            expected.setBrush({clBlack, BrushStyle::Solid});
            expected.fillRect({p.x, p.y, p.x + 1, p.y + 1});
        }
        EXPECT_EQ(art(c), art(expected));
    }
}

TEST(CanvasFigures, SquareCapsCloseTheCornersOfAFrame)
{
    ImageCanvas c(8, 8);
    c.setPen(solidPen(1, PenCap::Square));
    const Point corners[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}, {1, 1}};
    c.moveTo(1, 1);
    for (Point p : corners)
        c.lineTo(p.x, p.y);
    EXPECT_EQ(art(c), rows({"........",
                            ".######.",
                            ".#....#.",
                            ".#....#.",
                            ".#....#.",
                            ".#....#.",
                            ".######.",
                            "........"}));
}

TEST(CanvasFigures, EllipseStaysInsideItsBox)
{
    ImageCanvas c(12, 12);
    c.setBrush({clRed, BrushStyle::Solid});
    c.ellipse(1, 2, 11, 10);
    InkBox box = inkBox(c);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.bottom, 9);
    EXPECT_EQ(c.pixel(1, 2), clWhite);    // corners of the box stay clear
    EXPECT_EQ(c.pixel(10, 9), clWhite);
    EXPECT_EQ(c.pixel(5, 5), clRed);      // interior takes the brush
    EXPECT_EQ(c.pixel(1, 5), clBlack);    // outline on the left and right edge
    EXPECT_EQ(c.pixel(10, 5), clBlack);

    ImageCanvas noPen(12, 12);
    noPen.setPen({clBlack, 1, PenStyle::Clear});
    noPen.setBrush({clRed, BrushStyle::Solid});
    noPen.ellipse(1, 2, 11, 10);
    InkBox fill = inkBox(noPen);  // without a pen the fill ends one pixel earlier
    EXPECT_GE(fill.left, 1);
    EXPECT_GE(fill.top, 2);
    EXPECT_EQ(fill.right, 9);
    EXPECT_EQ(fill.bottom, 8);
    EXPECT_EQ(noPen.pixel(5, 6), clRed);
}

TEST(CanvasFigures, RoundRectKeepsItsBoxAndRoundsTheCorners)
{
    ImageCanvas c(16, 16);
    c.setBrush({clRed, BrushStyle::Solid});
    c.roundRect(1, 1, 15, 13, 8, 8);
    InkBox box = inkBox(c);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 14);
    EXPECT_EQ(box.bottom, 12);
    EXPECT_EQ(c.pixel(1, 1), clWhite);
    EXPECT_EQ(c.pixel(8, 1), clBlack);
    EXPECT_EQ(c.pixel(8, 6), clRed);
}

TEST(CanvasFigures, DashStylesLeaveGaps)
{
    struct Case {
        PenStyle style;
        int width;
        const char* row;  // first 24 pixels of the line
    };
    const Case cases[] = {
        {PenStyle::Solid, 1, "########################"},
        {PenStyle::InsideFrame, 1, "########################"},
        {PenStyle::Dash, 1, "######..######..######.."},
        {PenStyle::Dot, 1, "##..##..##..##..##..##.."},
        {PenStyle::DashDot, 1, "######..##..######..##.."},
        {PenStyle::DashDotDot, 1, "######..##..##..######.."},
        {PenStyle::Dot, 2, "####....####....####...."},
        {PenStyle::Clear, 1, "........................"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(int(tc.style));
        ImageCanvas c(24, 3);
        c.setPen({clBlack, tc.width, tc.style});
        c.moveTo(0, 1);
        c.lineTo(30, 1);
        std::string row = art(c).substr(25, 24);
        EXPECT_EQ(row, tc.row);
    }
}

TEST(CanvasFigures, DashedRectangleOutlineHasGaps)
{
    ImageCanvas c(24, 24);
    c.setPen({clBlack, 1, PenStyle::Dash});
    c.setBrush({clWhite, BrushStyle::Clear});
    c.rectangle(0, 0, 20, 20);
    std::string top = art(c).substr(0, 20);
    EXPECT_EQ(top, "######..######..####");
    EXPECT_EQ(c.pixel(0, 10), clBlack);
    EXPECT_EQ(c.pixel(0, 12), clWhite);  // a gap on the left side
}

TEST(CanvasFigures, ExtremeCoordinatesAreDrawnWithoutOverflowOrEndlessWork)
{
    const int huge = 2000000000;
    ImageCanvas dotted(16, 16);
    dotted.setPen({clBlack, 1, PenStyle::Dash});
    dotted.moveTo(-huge, -huge);
    dotted.lineTo(huge, huge);
    dotted.moveTo(-huge, 12);
    dotted.lineTo(huge, 12);
    EXPECT_EQ(dotted.pixel(3, 3), clBlack);
    EXPECT_EQ(dotted.pixel(4, 3), clWhite);
    // The dashes keep their phase from the (clamped) start far to the left.
    EXPECT_EQ(art(dotted).substr(12 * 17, 16), "######..######..");

    ImageCanvas wide(8, 8);
    wide.setPen({clBlack, huge, PenStyle::Dot});
    wide.moveTo(0, 4);
    wide.lineTo(huge, 4);
    wide.setPen({clBlack, huge});
    wide.moveTo(1, 1);
    wide.lineTo(5, 3);
    wide.setBrush({clRed, BrushStyle::Cross});
    wide.rectangle(-huge, -huge, huge, huge);
    wide.ellipse(-huge, -huge, huge, huge);
    EXPECT_EQ(wide.pixel(3, 3), clRed);  // the interiors cover the surface with the hatch
}

TEST(CanvasBrushes, HatchesRepeatEveryEightPixelsFromTheOrigin)
{
    struct Case {
        BrushStyle style;
        std::function<bool(int, int)> ink;
    };
    auto hor = [](int, int y) { return y % 8 == 3; };
    auto ver = [](int x, int) { return x % 8 == 3; };
    auto fdiag = [](int x, int y) { return x % 8 == y % 8; };
    auto bdiag = [](int x, int y) { return x % 8 + y % 8 == 7; };
    const Case cases[] = {
        {BrushStyle::Horizontal, hor},
        {BrushStyle::Vertical, ver},
        {BrushStyle::FDiagonal, fdiag},
        {BrushStyle::BDiagonal, bdiag},
        {BrushStyle::Cross, [&](int x, int y) { return hor(x, y) || ver(x, y); }},
        {BrushStyle::DiagCross, [&](int x, int y) { return fdiag(x, y) || bdiag(x, y); }},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(int(tc.style));
        ImageCanvas c(20, 20);
        c.setBackgroundMode(BackgroundMode::Transparent);
        c.setBrush({clBlue, tc.style});
        c.fillRect({2, 5, 20, 20});  // not at the origin: the pattern must still line up with it
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                bool inside = x >= 2 && y >= 5;
                ASSERT_EQ(c.pixel(x, y), inside && tc.ink(x, y) ? clBlue : clWhite) << x << "," << y;
            }
    }
}

TEST(CanvasBrushes, HatchGapsTakeTheBackgroundOnlyWhenOpaque)
{
    ImageCanvas c(8, 8);
    c.setBrush({clRed, BrushStyle::Solid});
    c.fillRect({0, 0, 8, 8});
    c.setBrush({clBlue, BrushStyle::Horizontal});
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.fillRect({0, 0, 8, 4});
    c.setBackgroundMode(BackgroundMode::Opaque);
    c.setBackgroundColor(clYellow);
    c.fillRect({0, 4, 8, 8});
    EXPECT_EQ(art(c), rows({"RRRRRRRR",
                            "RRRRRRRR",
                            "RRRRRRRR",
                            "BBBBBBBB",
                            "YYYYYYYY",
                            "YYYYYYYY",
                            "YYYYYYYY",
                            "YYYYYYYY"}));
}

TEST(CanvasBrushes, ClearBrushLeavesTheInteriorAndUnknownStylesFillSolid)
{
    ImageCanvas c(8, 8);
    c.setBrush({clRed, BrushStyle::Solid});
    c.fillRect({0, 0, 8, 8});
    c.setBrush({clRed, BrushStyle::Clear});
    c.rectangle(1, 1, 7, 7);
    EXPECT_EQ(c.pixel(3, 3), clRed);
    EXPECT_EQ(c.pixel(1, 1), clBlack);

    c.setBrush({clBlue, BrushStyle(200)});  // a damaged style value fills solid
    c.fillRect({4, 4, 6, 6});
    EXPECT_EQ(c.pixel(5, 5), clBlue);
}

TEST(CanvasPens, XorTwiceRestoresTheSurface)
{
    ImageCanvas c(10, 10);
    c.setBrush({clRed, BrushStyle::Solid});
    c.fillRect({0, 0, 5, 10});
    QImage before = c.image();

    c.setPen({clWhite, 1, PenStyle::Solid, PenMode::Xor});
    c.setBrush({clWhite, BrushStyle::Clear});
    auto draw = [&] {
        for (int y = 1; y < 9; ++y) {
            c.moveTo(0, y);
            c.lineTo(10, y);
        }
        c.rectangle(2, 2, 8, 8);
    };
    draw();
    EXPECT_NE(c.image(), before);
    EXPECT_EQ(c.pixel(0, 1), 0xFFFF00);  // white XOR red = cyan in platform order
    EXPECT_EQ(c.pixel(9, 1), clBlack);   // white XOR white
    draw();
    EXPECT_EQ(c.image(), before);
}

TEST(CanvasPens, NopModeDrawsNothing)
{
    ImageCanvas c(8, 8);
    c.setPen({clBlack, 1, PenStyle::Solid, PenMode::Nop});
    c.setBrush({clRed, BrushStyle::Solid});
    c.moveTo(0, 0);
    c.lineTo(7, 7);
    c.rectangle(1, 1, 6, 6);
    EXPECT_TRUE(inkBox(c).empty());
}

TEST(CanvasFloodFill, SurfaceAndBorderModes)
{
    auto frame = [] {
        auto c = std::make_unique<ImageCanvas>(8, 8);
        c->setBrush({clWhite, BrushStyle::Clear});
        c->rectangle(1, 1, 6, 6);
        c->setBrush({clRed, BrushStyle::Solid});
        return c;
    };
    const std::string inside = rows({"........",
                                     ".#####..",
                                     ".#RRR#..",
                                     ".#RRR#..",
                                     ".#RRR#..",
                                     ".#####..",
                                     "........",
                                     "........"});
    auto surface = frame();
    EXPECT_TRUE(surface->floodFill(3, 3, clWhite, FloodFillMode::Surface));
    EXPECT_EQ(art(*surface), inside);

    auto border = frame();
    EXPECT_TRUE(border->floodFill(3, 3, clBlack, FloodFillMode::Border));
    EXPECT_EQ(art(*border), inside);

    auto outside = frame();
    EXPECT_TRUE(outside->floodFill(0, 0, clWhite, FloodFillMode::Surface));
    EXPECT_EQ(outside->pixel(7, 7), clRed);
    EXPECT_EQ(outside->pixel(3, 3), clWhite);
}

TEST(CanvasFloodFill, RefusedSeedsChangeNothing)
{
    ImageCanvas c(8, 8);
    c.setBrush({clRed, BrushStyle::Solid});
    QImage before = c.image();
    EXPECT_FALSE(c.floodFill(3, 3, clNone, FloodFillMode::Surface));   // no pixel has "no colour"
    EXPECT_FALSE(c.floodFill(3, 3, clBlack, FloodFillMode::Surface));  // seed is not black
    EXPECT_FALSE(c.floodFill(3, 3, clWhite, FloodFillMode::Border));   // seed is on the border colour
    EXPECT_FALSE(c.floodFill(-1, 3, clWhite, FloodFillMode::Surface));
    EXPECT_FALSE(c.floodFill(3, 8, clWhite, FloodFillMode::Surface));
    c.intersectClipRect({0, 0, 4, 4});
    EXPECT_FALSE(c.floodFill(6, 6, clWhite, FloodFillMode::Surface));
    EXPECT_EQ(c.image(), before);
}

TEST(CanvasFloodFill, StaysInsideTheClip)
{
    ImageCanvas c(8, 8);
    c.setBrush({clRed, BrushStyle::Solid});
    c.intersectClipRect({0, 0, 4, 8});
    EXPECT_TRUE(c.floodFill(1, 1, clWhite, FloodFillMode::Surface));
    EXPECT_EQ(inkBox(c).right, 3);
    EXPECT_EQ(inkBox(c).bottom, 7);
}

// ---------------------------------------------------------------- clipping

TEST(CanvasClipping, IntersectExcludeAndRestore)
{
    ImageCanvas c(8, 8);
    EXPECT_FALSE(c.clipRegion().has_value());
    c.saveClip();
    c.intersectClipRect({1, 1, 7, 7});
    c.excludeClipRect({3, 3, 5, 5});
    EXPECT_TRUE(c.rectVisible({0, 0, 2, 2}));
    EXPECT_FALSE(c.rectVisible({3, 3, 5, 5}));
    EXPECT_FALSE(c.rectVisible({7, 0, 8, 8}));
    c.setBrush({clRed, BrushStyle::Solid});
    c.fillRect({0, 0, 8, 8});
    EXPECT_EQ(art(c), rows({"........",
                            ".RRRRRR.",
                            ".RRRRRR.",
                            ".RR..RR.",
                            ".RR..RR.",
                            ".RRRRRR.",
                            ".RRRRRR.",
                            "........"}));
    c.restoreClip();
    EXPECT_FALSE(c.clipRegion().has_value());
    c.setBrush({clBlue, BrushStyle::Solid});
    c.fillRect({0, 0, 1, 1});
    EXPECT_EQ(c.pixel(0, 0), clBlue);
    c.restoreClip();  // nothing saved: no effect
    EXPECT_FALSE(c.clipRegion().has_value());
}

TEST(CanvasClipping, EmptyRegionClipsEverything)
{
    ImageCanvas c(8, 8);
    c.intersectClipRect({2, 2, 4, 4});
    c.intersectClipRect({5, 5, 7, 7});
    ASSERT_TRUE(c.clipRegion().has_value());
    EXPECT_TRUE(c.clipRegion()->isEmpty());
    EXPECT_FALSE(c.rectVisible({0, 0, 8, 8}));
    c.setBrush({clRed, BrushStyle::Solid});
    c.fillRect({0, 0, 8, 8});
    c.moveTo(0, 0);
    c.lineTo(8, 8);
    EXPECT_TRUE(inkBox(c).empty());

    c.selectClipRegion(QRegion(QRect(6, 6, 2, 2)));
    c.fillRect({0, 0, 8, 8});
    EXPECT_EQ(inkBox(c).left, 6);
    c.selectClipRegion(std::nullopt);
    EXPECT_TRUE(c.rectVisible({7, 7, 8, 8}));
    EXPECT_FALSE(c.rectVisible({8, 8, 9, 9}));  // off the surface
}

// ---------------------------------------------------------------- bitmaps and device

TEST(CanvasBitmaps, StretchingDoesNotSmooth)
{
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 0, 255));
    ImageCanvas c(8, 3);
    c.drawImage({1, 0, 7, 2}, picture);
    EXPECT_EQ(art(c), rows({".RRRBBB.",
                            ".RRRBBB.",
                            "........"}));
}

TEST(CanvasBitmaps, CopyModes)
{
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 255, 255));
    picture.setPixel(1, 0, qRgb(255, 0, 0));
    struct Case {
        CopyMode mode;
        const char* row;
    };
    // Destination yellow: white shows it through; yellow AND red is red.
    const Case cases[] = {
        {CopyMode::Copy, ".R"},
        {CopyMode::SourceAnd, "YR"},
        {CopyMode::TransparentWhite, "YR"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(int(tc.mode));
        ImageCanvas c(2, 1);
        c.setBrush({clYellow, BrushStyle::Solid});
        c.fillRect({0, 0, 2, 1});
        c.drawImage({0, 0, 2, 1}, picture, tc.mode);
        EXPECT_EQ(art(c), std::string(tc.row) + "\n");
    }
}

TEST(CanvasDevice, MetricsAndCompatibleSurfaces)
{
    ImageCanvas printerLike(100, 50, 600, 300);
    DeviceMetrics m = printerLike.deviceMetrics();
    EXPECT_EQ(m.dpiX, 600);
    EXPECT_EQ(m.dpiY, 300);
    EXPECT_EQ(m.physicalSize, (Size{100, 50}));
    EXPECT_EQ(m.printableSize, (Size{100, 50}));
    EXPECT_EQ(m.physicalOffset, (Point{0, 0}));

    auto compatible = printerLike.createCompatible(4, 3);
    EXPECT_EQ(compatible->deviceMetrics().dpiX, 600);
    EXPECT_EQ(compatible->deviceMetrics().dpiY, 300);
    EXPECT_EQ(art(*compatible), rows({"....", "....", "...."}));

    auto measuring = ImageCanvas::createMeasuringCanvas();
    EXPECT_EQ(measuring->width(), 8);
    EXPECT_EQ(measuring->height(), 8);
    EXPECT_EQ(measuring->deviceMetrics().dpiY, 96);
}

// ---------------------------------------------------------------- text

namespace {

const char kContactPhone[] = "\xC1\xAA\xCF\xB5\xB5\xE7\xBB\xB0";  // 联系电话
const char kHeiti[] = "\xBA\xDA\xCC\xE5";                          // 黑体

class CanvasText : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApp(); }

    static LogicalFont font(const char* face, int height, int escapement = 0)
    {
        LogicalFont lf;
        lf.faceName = face;
        lf.height = height;
        lf.escapement = escapement;
        lf.charset = kGbkCharset;
        return lf;
    }
};

} // namespace

TEST_F(CanvasText, HeitiDrawsRealChineseGlyphs)
{
    LogicalFont lf = font(kHeiti, -29);
    lf.weight = kFontWeightBold;
    QFont qf = makeQFont(lf);
    EXPECT_EQ(QFontInfo(qf).family(), "WenQuanYi Zen Hei");
    QRawFont raw = QRawFont::fromFont(qf);
    QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUtf8("联系电话"));
    ASSERT_EQ(glyphs.size(), 4);
    for (quint32 g : glyphs)
        EXPECT_NE(g, 0u);

    ImageCanvas c(160, 40);
    c.selectFont(lf);
    c.setBackgroundMode(BackgroundMode::Transparent);
    TextFit fit = c.textExtentFit(kContactPhone, 1000);
    ASSERT_EQ(fit.positions.size(), 4u);
    c.textOut(4, 4, kContactPhone);
    int cellLeft = 4;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        int cellRight = 4 + fit.positions[std::size_t(i)];
        InkBox cell = inkBox(c, {cellLeft, 0, cellRight, 40});
        EXPECT_FALSE(cell.empty());
        EXPECT_GT(cell.width() * cell.height(), 100);  // a real glyph, not a dot or a box edge
        cellLeft = cellRight;
    }
}

TEST_F(CanvasText, ExtentIsStableAndTheSumOfCharacterAdvances)
{
    ImageCanvas c(8, 8);
    c.selectFont(font("Arial", -13));
    const std::string text = std::string("Wij ") + kContactPhone + "1.";
    Size first = c.textExtent(text);
    EXPECT_EQ(c.textExtent(text), first);

    int sum = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += charLength(text, pos))
        sum += c.textExtent(text.substr(pos, charLength(text, pos))).cx;
    EXPECT_EQ(first.cx, sum);
    EXPECT_EQ(first.cy, c.textMetrics().height);

    TextFit fit = c.textExtentFit(text, first.cx);
    EXPECT_EQ(fit.chars, 10);
    EXPECT_EQ(fit.bytes, int(text.size()));
    EXPECT_EQ(fit.extent, first);
    EXPECT_EQ(fit.positions.back(), first.cx);
    EXPECT_TRUE(std::is_sorted(fit.positions.begin(), fit.positions.end()));

    c.setTextCharacterExtra(3);
    EXPECT_EQ(c.textExtent(text).cx, first.cx + 3 * 10);
}

TEST_F(CanvasText, FitCountsWholeCharactersAndTheirBytes)
{
    ImageCanvas c(8, 8);
    c.selectFont(font(kHeiti, -16));
    const std::string text = std::string("a") + kContactPhone;  // a联系电话
    TextFit all = c.textExtentFit(text, 1 << 20);
    ASSERT_EQ(all.positions.size(), 5u);
    struct Case {
        int maxWidth;
        int chars;
        int bytes;
    };
    const Case cases[] = {
        {-5, 0, 0},
        {all.positions[0] - 1, 0, 0},
        {all.positions[0], 1, 1},
        {all.positions[2] - 1, 2, 3},
        {all.positions[2], 3, 5},
        {all.positions[4], 5, 9},
    };
    for (const Case& tc : cases) {
        TextFit fit = c.textExtentFit(text, tc.maxWidth);
        EXPECT_EQ(fit.chars, tc.chars) << tc.maxWidth;
        EXPECT_EQ(fit.bytes, tc.bytes) << tc.maxWidth;
        EXPECT_EQ(fit.positions, all.positions);
    }
}

TEST_F(CanvasText, DamagedAndEmptyTextIsMeasuredWithoutFault)
{
    ImageCanvas c(40, 20);
    c.selectFont(font(kHeiti, -12));
    EXPECT_EQ(c.textExtent("").cx, 0);
    EXPECT_EQ(c.textExtentFit("", 10).chars, 0);
    TextFit lone = c.textExtentFit("ab\xC1", 1000);  // lead byte without its trail byte
    EXPECT_EQ(lone.chars, 3);
    EXPECT_EQ(lone.bytes, 3);
    c.textOut(0, 0, "ab\xC1");
    c.textOut(0, 0, std::string("a\0b", 3));
    std::vector<int> tooFew{5};
    c.extTextOut(0, 0, 0, nullptr, "abc", &tooFew);

    std::vector<int> huge{2000000000, 2000000000, 2000000000};
    c.extTextOut(-2000000000, 0, 0, nullptr, "abc", &huge);
    c.setTextCharacterExtra(2000000000);
    EXPECT_GT(c.textExtent("abcd").cx, 0);
    std::vector<int> positions = c.textExtentFit("abcd", 0).positions;
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    c.setTextCharacterExtra(0);

    c.selectFont(font("Arial", -2000000000));
    EXPECT_GT(c.textExtent("a").cx, 0);
}

TEST_F(CanvasText, MetricsFollowTheHeightSign)
{
    ImageCanvas c(8, 8);
    c.selectFont(font("Arial", -20));
    TextMetrics em = c.textMetrics();
    EXPECT_EQ(em.height, em.ascent + em.descent);
    EXPECT_GE(em.height, 20);
    EXPECT_EQ(em.internalLeading, em.height - 20);
    EXPECT_GT(em.averageCharWidth, 0);

    c.selectFont(font("Arial", 20));
    TextMetrics cell = c.textMetrics();
    EXPECT_LE(cell.height, 20);
    EXPECT_GE(cell.height, 18);
    EXPECT_LT(cell.height, em.height);
}

TEST_F(CanvasText, RotationTurnsTheTextAboutTheReferencePoint)
{
    struct Case {
        int escapement;
        bool runsDown;  // -90 degrees: downwards, cell left of x; +90: upwards, cell right of x
    };
    const Case cases[] = {{2700, true}, {-900, true}, {900, false}};
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.escapement);
        ImageCanvas c(60, 120);
        c.selectFont(font("Arial", -16, tc.escapement));
        c.setBackgroundMode(BackgroundMode::Transparent);
        c.textOut(30, 60, "HHHHH");
        int extent = c.textExtent("HHHHH").cx;
        int height = c.textMetrics().height;
        InkBox box = inkBox(c);
        ASSERT_FALSE(box.empty());
        EXPECT_GT(box.height(), 2 * box.width());
        if (tc.runsDown) {
            EXPECT_GE(box.top, 60);
            EXPECT_LE(box.bottom, 60 + extent);
            EXPECT_GE(box.left, 30 - height);
            EXPECT_LE(box.right, 30);
        } else {
            EXPECT_LE(box.bottom, 60);
            EXPECT_GE(box.top, 60 - extent);
            EXPECT_GE(box.left, 30);
            EXPECT_LE(box.right, 30 + height);
        }
    }
}

TEST_F(CanvasText, AdvancesPlaceEveryCharacter)
{
    auto draw = [this](const std::vector<int>* advances, int extra) {
        auto c = std::make_unique<ImageCanvas>(120, 24);
        c->selectFont(font("Arial", -16));
        c->setBackgroundMode(BackgroundMode::Transparent);
        c->setTextCharacterExtra(extra);
        c->extTextOut(2, 2, 0, nullptr, "IIII", advances);
        return c;
    };
    auto plain = draw(nullptr, 0);
    TextFit fit = plain->textExtentFit("IIII", 1000);
    std::vector<int> measured;
    for (std::size_t i = 0; i < fit.positions.size(); ++i)
        measured.push_back(fit.positions[i] - (i ? fit.positions[i - 1] : 0));
    EXPECT_EQ(draw(&measured, 0)->image(), plain->image());
    EXPECT_EQ(draw(&measured, 9)->image(), plain->image());  // advances replace the extra

    auto ink = [](const ImageCanvas& c, int from, int to) { return !inkBox(c, {from, 0, to, 24}).empty(); };
    std::vector<int> wide{25, 25, 25, 25};
    auto spread = draw(&wide, 0);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(ink(*spread, 2 + 25 * i, 2 + 25 * i + measured[0]));
        EXPECT_FALSE(ink(*spread, 2 + 25 * i + measured[0] + 1, 2 + 25 * (i + 1)));
    }
    auto extra = draw(nullptr, 21);
    // The last character starts 3 advances in: 3 x (measured + 21) against 3 x 25.
    EXPECT_EQ(inkBox(*extra).right - inkBox(*spread).right, 3 * (measured[0] + 21 - 25));
}

TEST_F(CanvasText, MeasuredLayoutKeepsItsWidthAtPrinterResolution)
{
    auto measuring = ImageCanvas::createMeasuringCanvas();
    measuring->selectFont(font("Arial", -13));
    const std::string text = "Tear-off sheet 1234";
    TextFit layout = measuring->textExtentFit(text, 1 << 20);

    const double scale = 600.0 / 96.0;
    std::vector<int> advances;
    int previous = 0, scaledTotal = 0;
    for (int position : layout.positions) {
        int target = int(std::lround(position * scale));
        advances.push_back(target - previous);
        previous = target;
        scaledTotal = target;
    }
    ImageCanvas printer(800, 120, 600, 600);
    printer.selectFont(font("Arial", -81));
    printer.setBackgroundMode(BackgroundMode::Transparent);
    printer.extTextOut(10, 10, 0, nullptr, text, &advances);
    InkBox box = inkBox(printer);
    int lastAdvance = advances.back();
    EXPECT_GE(box.right, 10 + scaledTotal - lastAdvance);
    EXPECT_LT(box.right, 10 + scaledTotal);
}

TEST_F(CanvasText, BackgroundModeAndOpaqueRectangle)
{
    ImageCanvas transparent(60, 30);
    transparent.selectFont(font("Arial", -14));
    transparent.setBackgroundMode(BackgroundMode::Transparent);
    transparent.setBackgroundColor(clYellow);
    transparent.textOut(5, 5, "x");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_NE(transparent.pixel(x, y), clYellow);

    ImageCanvas opaque(60, 30);
    opaque.selectFont(font("Arial", -14));
    opaque.setBackgroundColor(clYellow);
    Size cell = opaque.textExtent("x");
    opaque.textOut(5, 5, "x");
    EXPECT_EQ(opaque.pixel(5, 5), clYellow);
    EXPECT_EQ(opaque.pixel(5 + cell.cx - 1, 5 + cell.cy - 1), clYellow);
    EXPECT_EQ(opaque.pixel(5 + cell.cx, 5), clWhite);
    EXPECT_EQ(opaque.pixel(5, 5 + cell.cy), clWhite);

    ImageCanvas rect(60, 30);
    rect.selectFont(font("Arial", -14));
    rect.setBackgroundMode(BackgroundMode::Transparent);
    rect.setBackgroundColor(clYellow);
    Rect box{20, 2, 40, 28};
    rect.extTextOut(22, 4, etoOpaque, &box, "x");
    EXPECT_EQ(rect.pixel(20, 2), clYellow);
    EXPECT_EQ(rect.pixel(39, 27), clYellow);
    EXPECT_EQ(rect.pixel(40, 27), clWhite);
}

TEST_F(CanvasText, ClippedTextStaysInItsRectangle)
{
    ImageCanvas c(80, 30);
    c.selectFont(font("Arial", -20));
    c.setBackgroundMode(BackgroundMode::Transparent);
    Rect box{10, 0, 25, 30};
    c.extTextOut(5, 2, etoClipped, &box, "WWWWW");
    InkBox ink = inkBox(c);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 24);
    EXPECT_FALSE(c.clipRegion().has_value());  // the canvas clip is not changed
}

TEST_F(CanvasText, TextColourUnderlineAndStrikeOut)
{
    ImageCanvas c(60, 30);
    LogicalFont lf = font("Arial", -20);
    lf.underline = true;
    c.selectFont(lf);
    c.setTextColor(clRed);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.textOut(5, 2, "..");
    TextMetrics m = c.textMetrics();
    int width = c.textExtent("..").cx;
    int redRows = 0;
    for (int y = 2 + m.ascent; y < 2 + m.height; ++y) {
        bool full = true;
        for (int x = 5; x < 5 + width; ++x)
            full = full && c.pixel(x, y) == clRed;
        redRows += full;
    }
    EXPECT_GE(redRows, 1);

    ImageCanvas s(60, 30);
    lf.underline = false;
    lf.strikeOut = true;
    s.selectFont(lf);
    s.setBackgroundMode(BackgroundMode::Transparent);
    s.textOut(5, 2, "  ");
    InkBox strike = inkBox(s);
    ASSERT_FALSE(strike.empty());
    EXPECT_LT(strike.bottom, 2 + m.ascent);
    EXPECT_EQ(strike.width(), width);
}

TEST_F(CanvasText, RightToLeftReadingMovesNeutralsToTheLeft)
{
    auto draw = [this](const char* text, unsigned flags) {
        auto c = std::make_unique<ImageCanvas>(120, 24);
        c->selectFont(font("Arial", -16));
        c->setBackgroundMode(BackgroundMode::Transparent);
        c->extTextOut(2, 2, flags, nullptr, text);
        return c->image();
    };
    EXPECT_EQ(draw("ab.", etoRtlReading), draw(".ab", 0));
    EXPECT_EQ(draw("(ab", etoRtlReading), draw("ab)", 0));  // the parenthesis turns round too
    EXPECT_EQ(draw("ab 12", etoRtlReading), draw("ab 12", 0));
    EXPECT_NE(draw("ab.", 0), draw(".ab", 0));
}

TEST_F(CanvasText, ScreenFontKeepsItsPointSizeOnAPrinterCanvas)
{
    Font screenFont;
    screenFont.setName("Arial");
    screenFont.setSize(10);
    screenFont.setColor(clRed);
    ImageCanvas printer(10, 10, 600, 600);
    printer.setFont(screenFont);
    EXPECT_EQ(printer.logicalFont().height, -83);
    EXPECT_EQ(printer.textColor(), clRed);
    ImageCanvas screen(10, 10);
    screen.setFont(screenFont);
    EXPECT_EQ(screen.logicalFont().height, -13);
}
