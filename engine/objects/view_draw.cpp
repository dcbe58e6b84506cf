// The common drawing steps of views: the drawing transform, background fill
// (solid and hatched), frame lines and diagonal lines.
#include "objects/view.h"

#include "core/units.h"

#include <algorithm>
#include <cmath>


using platform::Pen;
using platform::PenStyle;

namespace {

double px(int mm) { return fromMMThousandths(mm, ksutScreenPixels); }
int rnd(double v) { return roundHalfEven(v); }

// Hatch pattern of each stored brush style (the stored diagonal names are swapped).
platform::BrushStyle hatchOf(platform::BrushStyle stored)
{
    using B = platform::BrushStyle;
    switch (stored) {
    case B::Clear: return B::BDiagonal;
    case B::BDiagonal: return B::DiagCross;
    case B::DiagCross: return B::BDiagonal;
    default: return stored;
    }
}

} // namespace

void TKSView::BeginDraw()
{
    if (drawing_)
        EndDraw();
    if (Designing()) {
        OffsetX = OffsetY = 0;
        ScaleX = ScaleY = 1.0;
    }
    saved_ = {mmLeft, mmTop, mmWidth, mmHeight, mmGapLeft, mmGapTop,
              {LeftFrame.mmWidth, TopFrame.mmWidth, RightFrame.mmWidth, BottomFrame.mmWidth}};
    drawing_ = true;
    clampGeometry();

    mmLeft = toMMThousandths(OffsetX, ksutScreenPixels) + rnd(mmLeft * ScaleX);
    mmTop = toMMThousandths(OffsetY, ksutScreenPixels) + rnd(mmTop * ScaleY);
    mmWidth = rnd(mmWidth * ScaleX);
    mmHeight = rnd(mmHeight * ScaleY);
    ScaleExtra(ScaleX);
    mmGapLeft = rnd(mmGapLeft * ScaleX);
    mmGapTop = rnd(mmGapTop * ScaleY);
    for (int side = 0; side < 4; ++side) {
        TKSFrameLine& f = Frame(side);
        if (!f.Visible)
            f.mmWidth = 0;
        f.mmWidth = rnd(f.mmWidth * ScaleX);  // all sides by ScaleX, as the frame pens are
    }

    double wl = FramePixels(0), wt = FramePixels(1), wr = FramePixels(2), wb = FramePixels(3);
    double L = px(mmLeft), T = px(mmTop), R = px(mmLeft + mmWidth), B = px(mmTop + mmHeight);
    DrawRect = {rnd(wl / 2) + rnd(L), rnd(wt / 2) + rnd(T), rnd(R) - rnd((wr - 1) / 2) + 1,
                rnd(B) - rnd((wb - 1) / 2) + 1};
    if (LeftFrame.DoubleFrame)
        DrawRect.left += rnd(2 * wl);
    if (TopFrame.DoubleFrame)
        DrawRect.top += rnd(2 * wt);
    if (RightFrame.DoubleFrame)
        DrawRect.right -= rnd(2 * wr);
    if (BottomFrame.DoubleFrame)
        DrawRect.bottom -= rnd(2 * wb);
}

// Geometry beyond ten metres only comes from damaged files or wild scripts;
// drawing takes it at that limit so that the integer arithmetic of the
// transform cannot overflow (EndDraw restores the stored values).
void TKSView::clampGeometry()
{
    constexpr int kLimit = 10'000'000;
    for (int* v : {&mmLeft, &mmTop, &mmWidth, &mmHeight, &mmGapLeft, &mmGapTop})
        *v = std::clamp(*v, -kLimit, kLimit);
    for (int side = 0; side < 4; ++side)
        Frame(side).mmWidth = std::clamp(Frame(side).mmWidth, 0, kLimit);
}

void TKSView::EndDraw()
{
    if (!drawing_)
        return;
    drawing_ = false;
    mmLeft = saved_.left;
    mmTop = saved_.top;
    mmWidth = saved_.width;
    mmHeight = saved_.height;
    mmGapLeft = saved_.gapLeft;
    mmGapTop = saved_.gapTop;
    for (int side = 0; side < 4; ++side)
        Frame(side).mmWidth = saved_.frames[side];
    RestoreExtra();
}

void TKSView::ShowBackground()
{
    platform::Canvas* c = this->Canvas;
    if (!c)
        return;
    bool designing = Designing();
    if (!designing && FillColor == platform::clNone && BrushStyle == platform::BrushStyle::Solid)
        return;
    platform::Brush oldBrush = c->brush();
    auto oldMode = c->backgroundMode();
    auto oldBack = c->backgroundColor();

    if (designing) {
        double L = px(mmLeft), T = px(mmTop), R = px(mmLeft + mmWidth), B = px(mmTop + mmHeight);
        c->setBrush({platform::clWhite, platform::BrushStyle::Solid});
        c->fillRect({rnd(L - FramePixels(0) / 2), rnd(T - FramePixels(1) / 2), rnd(R + FramePixels(2) / 2) + 1,
                     rnd(B + FramePixels(3) / 2) + 1});
    }
    platform::Color fill = FillColor == platform::clNone && designing ? platform::clWhite : FillColor;
    c->setBackgroundMode(platform::BackgroundMode::Opaque);
    if (BrushStyle == platform::BrushStyle::Solid) {
        c->setBrush({fill, platform::BrushStyle::Solid});
    } else {
        // The gaps show the fill colour when there is one, else the canvas's background colour.
        if (platform::isRgbColor(fill))
            c->setBackgroundColor(fill);
        c->setBrush({TopFrame.Color, hatchOf(BrushStyle)});
    }
    c->fillRect(DrawRect);

    c->setBrush(oldBrush);
    c->setBackgroundMode(oldMode);
    c->setBackgroundColor(oldBack);
}

namespace {

// A geometric frame pen; nothing to draw for psClear.
bool framePen(const TKSFrameLine& line, double widthPixels, Pen& pen)
{
    if (line.Style == PenStyle::Clear)
        return false;
    pen.color = line.Color;
    pen.width = std::max(1, rnd(widthPixels));
    // Inside-frame and styles unknown to this system (damaged records) draw solid.
    pen.style = line.Style >= PenStyle::InsideFrame ? PenStyle::Solid : line.Style;
    pen.cap = platform::PenCap::Square;
    return true;
}

void line(platform::Canvas& c, int x1, int y1, int x2, int y2)
{
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
}

bool sameLook(const TKSFrameLine& a, const TKSFrameLine& b)
{
    return a.Visible && b.Visible && a.Style == b.Style && a.Color == b.Color && a.mmWidth == b.mmWidth;
}

} // namespace

void TKSReportView::ShowFrame()
{
    platform::Canvas* c = this->Canvas;
    if (!c)
        return;
    bool designing = Designing();
    bool anyVisible = LeftFrame.Visible || TopFrame.Visible || RightFrame.Visible || BottomFrame.Visible;
    if (!designing && !anyVisible && DiagonalLines == 0)
        return;
    if (!designing && !Flag(ksf::PrintFrame) && !(ParentReport ? ParentReport->PrintBackground() : true))
        return;

    // Far edges from the untransformed sums keep neighbouring cells edge to edge at any zoom.
    const SavedGeometry& u = drawing_ ? saved_ : SavedGeometry{mmLeft, mmTop, mmWidth, mmHeight, 0, 0, {}};
    int x1 = rnd(px(mmLeft)), y1 = rnd(px(mmTop));
    int x2 = rnd(px(rnd((double(u.left) + u.width) * ScaleX)) + OffsetX);
    int y2 = rnd(px(rnd((double(u.top) + u.height) * ScaleY)) + OffsetY);
    Pen oldPen = c->pen();

    if (designing && mmWidth > 0 && mmHeight > 0) {
        c->setPen({platform::clBlack, 1, PenStyle::Solid, platform::PenMode::Copy, platform::PenCap::Flat});
        line(*c, x1, y1 + 3, x1, y1), line(*c, x1, y1, x1 + 4, y1);
        line(*c, x1, y2 - 3, x1, y2), line(*c, x1, y2, x1 + 4, y2);
        line(*c, x2 - 3, y1, x2, y1), line(*c, x2, y1, x2, y1 + 4);
        line(*c, x2 - 3, y2, x2, y2), line(*c, x2, y2, x2, y2 - 4);
    }

    Pen pen;
    if (sameLook(LeftFrame, TopFrame) && sameLook(LeftFrame, RightFrame) && sameLook(LeftFrame, BottomFrame)) {
        double w = FramePixels(0);
        if (framePen(LeftFrame, w, pen)) {
            c->setPen(pen);
            int d = 0;
            for (int pass = 0; pass < (LeftFrame.DoubleFrame ? 2 : 1); ++pass, d = rnd(2 * w)) {
                line(*c, x1 + d, y1 + d, x1 + d, y2 - d);
                line(*c, x1 + d, y1 + d, x2 - d, y1 + d);
                line(*c, x2 - d, y1 + d, x2 - d, y2 - d);
                line(*c, x1 + d, y2 - d, x2 - d, y2 - d);
            }
        }
    } else {
        // Per side: the line, and its inward twin for a double side.
        struct Side { int ax, ay, bx, by, dx, dy; };
        const Side sides[4] = {{x1, y1, x1, y2, 1, 0}, {x1, y1, x2, y1, 0, 1},
                               {x2, y1, x2, y2, -1, 0}, {x1, y2, x2, y2, 0, -1}};
        for (int s = 0; s < 4; ++s) {
            const TKSFrameLine& f = Frame(s);
            double w = FramePixels(s);
            if (!f.Visible || !framePen(f, w, pen))
                continue;
            c->setPen(pen);
            const Side& sd = sides[s];
            line(*c, sd.ax, sd.ay, sd.bx, sd.by);
            if (f.DoubleFrame) {
                int d = rnd(2 * w);
                line(*c, sd.ax + sd.dx * d, sd.ay + sd.dy * d, sd.bx + sd.dx * d, sd.by + sd.dy * d);
            }
        }
    }

    if (DiagonalLines >= 1 && DiagonalLines <= 6) {
        c->setPen({platform::clBlack, 1, PenStyle::Solid, platform::PenMode::Copy, platform::PenCap::Flat});
        int xm = x1 + (x2 - x1) / 2, ym = y1 + (y2 - y1) / 2;
        int kind = DiagonalLines;
        if (kind == 1 || kind == 3)
            line(*c, x1, y1, x2, y2);
        if (kind == 2 || kind == 3)
            line(*c, x1, y1, xm, y2), line(*c, x1, y1, x2, ym);
        if (kind == 4 || kind == 6)
            line(*c, x1, y2, x2, y1);
        if (kind == 5 || kind == 6)
            line(*c, x1, ym, x2, y1), line(*c, xm, y2, x2, y1);
    }
    c->setPen(oldPen);
}
