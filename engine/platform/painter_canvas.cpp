// Canvas over QPainter: half-open boxes, lines without their end point, 8-pixel hatches,
// raster-op pen modes and whole-pixel text advances on any QPaintDevice.
#include "platform/painter_canvas.h"

#include "platform/font_resolver.h"
#include "platform/gbk.h"
#include "platform/image_canvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>

namespace platform {
namespace {

// Coordinates are clamped to 27 bits and pen widths to 16, so that no pixel arithmetic
// can overflow and no stroke loop can outgrow the surface it is clipped to.
constexpr int kMaxCoordinate = 1 << 26;
constexpr int kMaxPenWidth = 1 << 16;

int clampCoordinate(long long v)
{
    return int(std::clamp<long long>(v, -kMaxCoordinate, kMaxCoordinate));
}

// A figure's bounding box within the drawable range, corners in order.
void normalizeBox(int& left, int& top, int& right, int& bottom)
{
    left = clampCoordinate(left);
    top = clampCoordinate(top);
    right = clampCoordinate(right);
    bottom = clampCoordinate(bottom);
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

QRect toQRect(const Rect& r)
{
    if (r.isEmpty())
        return {};
    int left = clampCoordinate(r.left), top = clampCoordinate(r.top);
    return QRect(left, top, clampCoordinate(r.right) - left, clampCoordinate(r.bottom) - top);
}

// One row per pattern, bit 7 is the leftmost pixel; rows and columns count from the
// device origin so that neighbouring fills continue each other's lines.
constexpr std::uint8_t kHatchRows[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal: top-left to bottom-right
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal: bottom-left to top-right
    {0x10, 0x10, 0x10, 0xFF, 0x10, 0x10, 0x10, 0x10},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

// On/off lengths in multiples of the pen width.
std::vector<int> dashPattern(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return {6, 2};
    case PenStyle::Dot: return {2, 2};
    case PenStyle::DashDot: return {6, 2, 2, 2};
    case PenStyle::DashDotDot: return {6, 2, 2, 2, 2, 2};
    default: return {};
    }
}

std::optional<QPainter::CompositionMode> rasterOpOf(PenMode mode)
{
    switch (mode) {
    case PenMode::Not: return QPainter::RasterOp_NotDestination;
    case PenMode::NotCopy: return QPainter::RasterOp_NotSource;
    case PenMode::MergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case PenMode::MaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case PenMode::MergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case PenMode::MaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case PenMode::Merge: return QPainter::RasterOp_SourceOrDestination;
    case PenMode::NotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case PenMode::Mask: return QPainter::RasterOp_SourceAndDestination;
    case PenMode::NotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case PenMode::Xor: return QPainter::RasterOp_SourceXorDestination;
    case PenMode::NotXor: return QPainter::RasterOp_NotSourceXorDestination;
    default: return std::nullopt;
    }
}

std::uint32_t glyphKey(std::string_view gbk, std::size_t pos, std::size_t len)
{
    auto b0 = static_cast<unsigned char>(gbk[pos]);
    if (len == 1)
        return b0;
    return 0x10000u | (std::uint32_t(b0) << 8) | static_cast<unsigned char>(gbk[pos + 1]);
}

} // namespace

PainterCanvas::PainterCanvas(QPaintDevice& device, int dpiX, int dpiY)
    : device_(device),
      dpiX_(dpiX > 0 ? dpiX : device.logicalDpiX()),
      dpiY_(dpiY > 0 ? dpiY : device.logicalDpiY())
{
    painter_.begin(&device_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    rasterOps_ = painter_.isActive() && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    logicalFont_ = Font().logical();
}

PainterCanvas::~PainterCanvas()
{
    if (painter_.isActive())
        painter_.end();
}

DeviceMetrics PainterCanvas::deviceMetrics() const
{
    DeviceMetrics m;
    m.dpiX = dpiX_;
    m.dpiY = dpiY_;
    m.physicalSize = {device_.width(), device_.height()};
    m.printableSize = m.physicalSize;
    return m;
}

std::unique_ptr<ImageCanvas> PainterCanvas::createCompatible(int width, int height) const
{
    return std::make_unique<ImageCanvas>(width, height, dpiX_, dpiY_);
}

// ---------------------------------------------------------------- text

void PainterCanvas::selectFont(const LogicalFont& font)
{
    if (fontReady_ && font == logicalFont_)
        return;
    logicalFont_ = font;
    fontReady_ = false;
}

void PainterCanvas::ensureFont()
{
    if (fontReady_)
        return;
    qfont_ = makeQFont(logicalFont_);
    QFontMetricsF fm(qfont_);
    metrics_.ascent = int(std::lround(fm.ascent()));
    metrics_.descent = int(std::lround(fm.descent()));
    metrics_.height = metrics_.ascent + metrics_.descent;
    metrics_.internalLeading = std::max(0, metrics_.height - qfont_.pixelSize());
    metrics_.externalLeading = std::max(0, int(std::lround(fm.leading())));
    metrics_.averageCharWidth = int(std::lround(fm.averageCharWidth()));
    lineThickness_ = std::max(1, int(std::lround(fm.lineWidth())));
    underlinePos_ = int(std::lround(fm.underlinePos()));
    strikeOutPos_ = int(std::lround(fm.strikeOutPos()));
    glyphCache_.clear();
    fontReady_ = true;
}

TextMetrics PainterCanvas::textMetrics()
{
    ensureFont();
    return metrics_;
}

const PainterCanvas::Glyph& PainterCanvas::glyph(std::string_view gbk, std::size_t pos)
{
    std::size_t len = charLength(gbk, pos);
    std::uint32_t key = glyphKey(gbk, pos, len);
    auto it = glyphCache_.find(key);
    if (it != glyphCache_.end())
        return it->second;
    Glyph g;
    g.text = QString::fromUtf8(gbkToUtf8(gbk.substr(pos, len)));
    g.bytes = int(len);
    g.advance = int(std::lround(QFontMetricsF(qfont_).horizontalAdvance(g.text)));
    return glyphCache_.emplace(key, std::move(g)).first->second;
}

std::vector<PainterCanvas::Glyph> PainterCanvas::glyphsOf(std::string_view gbk)
{
    ensureFont();
    std::vector<Glyph> glyphs;
    for (std::size_t pos = 0; pos < gbk.size();) {
        const Glyph& g = glyph(gbk, pos);
        glyphs.push_back(g);
        pos += std::size_t(g.bytes);
    }
    return glyphs;
}

Size PainterCanvas::textExtent(std::string_view gbk)
{
    long long width = 0;
    for (const Glyph& g : glyphsOf(gbk))
        width += g.advance + characterExtra_;
    return {clampCoordinate(width), metrics_.height};
}

TextFit PainterCanvas::textExtentFit(std::string_view gbk, int maxWidth)
{
    TextFit fit;
    bool fitting = true;
    long long position = 0;
    for (const Glyph& g : glyphsOf(gbk)) {
        position += g.advance + characterExtra_;
        fit.positions.push_back(clampCoordinate(position));
        fitting = fitting && position <= maxWidth;
        if (fitting) {
            ++fit.chars;
            fit.bytes += g.bytes;
        }
    }
    fit.extent = {clampCoordinate(position), metrics_.height};
    return fit;
}

void PainterCanvas::textOut(int x, int y, std::string_view gbk)
{
    extTextOut(x, y, 0, nullptr, gbk, nullptr);
}

void PainterCanvas::extTextOut(int x, int y, unsigned flags, const Rect* rect, std::string_view gbk,
                               const std::vector<int>* advances)
{
    std::vector<Glyph> glyphs = glyphsOf(gbk);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        int advance = advances && i < advances->size() ? (*advances)[i] : glyphs[i].advance + characterExtra_;
        glyphs[i].advance = std::clamp(advance, -kMaxCoordinate, kMaxCoordinate);
    }

    painter_.save();
    QRegion clip = effectiveClip();
    if (rect && (flags & etoOpaque))
        fillWithin(clip & QRegion(toQRect(*rect)), toQColor(backgroundColor_));
    if (rect && (flags & etoClipped))
        clip &= QRegion(toQRect(*rect));
    setPainterClip(clip);
    painter_.translate(clampCoordinate(x), clampCoordinate(y));
    if (logicalFont_.escapement % 3600 != 0)
        painter_.rotate(-logicalFont_.escapement / 10.0);
    drawGlyphs(glyphs, (flags & etoRtlReading) != 0);
    painter_.restore();
}

// Draws at the reference point (0, 0) of the painter's current transform.
void PainterCanvas::drawGlyphs(std::vector<Glyph>& glyphs, bool rightToLeft)
{
    long long sum = 0;
    for (const Glyph& g : glyphs)
        sum += g.advance;
    const int total = clampCoordinate(sum);
    if (backgroundMode_ == BackgroundMode::Opaque && total > 0)
        painter_.fillRect(QRect(0, 0, total, metrics_.height), toQColor(backgroundColor_));

    QFont plain = qfont_;
    plain.setUnderline(false);
    plain.setStrikeOut(false);
    painter_.setFont(plain);
    QColor color = toQColor(textColor_);
    painter_.setPen(color);

    std::vector<int> order(glyphs.size());
    std::iota(order.begin(), order.end(), 0);
    if (rightToLeft)
        order = visualOrder(glyphs);
    // Characters wholly off the surface are skipped, which keeps very long lines cheap.
    QRect visible = painter_.transform().inverted().mapRect(QRectF(surfaceRect())).toAlignedRect();
    long long x = 0;
    for (int i : order) {
        const Glyph& g = glyphs[std::size_t(i)];
        int reach = std::max(std::abs(g.advance), metrics_.height) * 2;  // glyph ink may overhang its cell
        if (x + reach >= visible.left() && x - reach <= visible.right())
            painter_.drawText(QPointF(double(x), metrics_.ascent), g.text);
        x += g.advance;
    }
    if (logicalFont_.underline && total > 0)
        painter_.fillRect(QRect(0, metrics_.ascent + underlinePos_, total, lineThickness_), color);
    if (logicalFont_.strikeOut && total > 0)
        painter_.fillRect(QRect(0, metrics_.ascent - strikeOutPos_, total, lineThickness_), color);
}

// Left-to-right order of the characters of a right-to-left paragraph (the bidi
// algorithm of Qt's text layout); characters of right-to-left runs are mirrored.
std::vector<int> PainterCanvas::visualOrder(std::vector<Glyph>& glyphs) const
{
    QString full;
    std::vector<int> start;
    for (const Glyph& g : glyphs) {
        start.push_back(int(full.size()));
        full += g.text;
    }
    QTextLayout layout(full, qfont_);
    QTextOption option;
    option.setTextDirection(Qt::RightToLeft);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();

    std::vector<std::pair<double, int>> lefts;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        QString& text = glyphs[i].text;
        double left = 0;
        bool rightToLeftRun = false;
        if (line.isValid() && !text.isEmpty()) {
            left = std::numeric_limits<double>::max();
            for (const QGlyphRun& run : line.glyphRuns(start[i], int(text.size()))) {
                rightToLeftRun = rightToLeftRun || run.isRightToLeft();
                for (const QPointF& p : run.positions())
                    left = std::min(left, p.x());
            }
        }
        if (rightToLeftRun && text.size() == 1 && text[0].hasMirrored())
            text = QString(text[0].mirroredChar());
        lefts.emplace_back(left, int(i));
    }
    std::stable_sort(lefts.begin(), lefts.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> order;
    for (const auto& l : lefts)
        order.push_back(l.second);
    return order;
}

// ---------------------------------------------------------------- pen modes and brushes

int PainterCanvas::penWidth() const
{
    return std::clamp(pen_.width, 1, kMaxPenWidth);
}

bool PainterCanvas::penDraws() const
{
    return pen_.style != PenStyle::Clear && pen_.mode != PenMode::Nop;
}

Color PainterCanvas::penColor() const
{
    if (pen_.mode == PenMode::Black)
        return clBlack;
    if (pen_.mode == PenMode::White)
        return clWhite;
    return pen_.color;
}

// Devices without raster operations (printers) draw every mode but Nop as a copy.
bool PainterCanvas::beginMode()
{
    if (pen_.mode == PenMode::Nop)
        return false;
    if (auto op = rasterOpOf(pen_.mode); op && rasterOps_)
        painter_.setCompositionMode(*op);
    return true;
}

void PainterCanvas::endMode()
{
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QBrush PainterCanvas::hatchBrush() const
{
    int index = int(brush_.style) - int(BrushStyle::Horizontal);
    if (index < 0 || index >= int(std::size(kHatchRows)))
        return QBrush(toQColor(brush_.color));  // a damaged style value fills solid
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    QRgb line = toQColor(brush_.color).rgba();
    QRgb gap = backgroundMode_ == BackgroundMode::Opaque ? toQColor(backgroundColor_).rgba() : 0;
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            tile.setPixel(col, row, (kHatchRows[index][row] & (0x80 >> col)) ? line : gap);
    return QBrush(tile);
}

void PainterCanvas::fillBrushRect(const QRect& rect)
{
    if (rect.isEmpty() || brush_.style == BrushStyle::Clear)
        return;
    if (brush_.style == BrushStyle::Solid)
        painter_.fillRect(rect, toQColor(brush_.color));
    else
        painter_.fillRect(rect, hatchBrush());
}

void PainterCanvas::fillRect(const Rect& rect)
{
    fillBrushRect(toQRect(rect));
}

// ---------------------------------------------------------------- lines

// A band is the pixels a straight horizontal or vertical stroke covers; dashes run from
// the stroke's start, which is the band's far end when the line was drawn backwards.
void PainterCanvas::strokeBand(const QRect& band, bool horizontal, bool reversed)
{
    QColor color = toQColor(penColor());
    std::vector<int> pattern = dashPattern(pen_.style);
    if (pattern.empty()) {
        painter_.fillRect(band, color);
        return;
    }
    const int width = penWidth();
    const int cycle = std::accumulate(pattern.begin(), pattern.end(), 0) * width;
    const int start = horizontal ? band.left() : band.top();
    const int length = horizontal ? band.width() : band.height();
    // Only the runs over the surface are walked; the pattern stays anchored at the start.
    QRect surface = surfaceRect();
    int visibleFrom = std::max(start, horizontal ? surface.left() : surface.top());
    int visibleTo = std::min(start + length, horizontal ? surface.right() + 1 : surface.bottom() + 1);
    if (visibleFrom >= visibleTo)
        return;
    int firstOffset = reversed ? start + length - visibleTo : visibleFrom - start;
    int lastOffset = reversed ? start + length - visibleFrom : visibleTo - start;
    int offset = firstOffset / cycle * cycle;
    for (std::size_t k = 0; offset < lastOffset; k = (k + 1) % pattern.size()) {
        int run = std::min(pattern[k] * width, length - offset);
        if (k % 2 == 0) {
            int from = reversed ? length - offset - run : offset;
            QRect piece = horizontal ? QRect(band.left() + from, band.top(), run, band.height())
                                     : QRect(band.left(), band.top() + from, band.width(), run);
            painter_.fillRect(piece, color);
        }
        offset += run;
    }
}

QPen PainterCanvas::qpen(int width) const
{
    QPen pen(toQColor(penColor()));
    pen.setWidth(width);
    pen.setCapStyle(pen_.cap == PenCap::Square ? Qt::SquareCap : Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    std::vector<int> pattern = dashPattern(pen_.style);
    if (!pattern.empty())
        pen.setDashPattern(QList<qreal>(pattern.begin(), pattern.end()));
    return pen;
}

void PainterCanvas::strokeLine(Point from, Point to)
{
    int w = penWidth();
    int across = w / 2;  // a wide stroke covers [c - w/2, c - w/2 + w) across its centre c
    bool square = pen_.cap == PenCap::Square;
    if (from == to) {
        if (square)
            painter_.fillRect(QRect(from.x - across, from.y - across, w, w), toQColor(penColor()));
        return;
    }
    if (from.y == to.y || from.x == to.x) {
        bool horizontal = from.y == to.y;
        int a = horizontal ? from.x : from.y;
        int b = horizontal ? to.x : to.y;
        int lo, hi;  // covered pixels along the line, inclusive
        if (square) {
            lo = std::min(a, b) - w / 2;
            hi = std::max(a, b) + (w + 1) / 2 - 1;
        } else {
            lo = a < b ? a : b + 1;
            hi = a < b ? b - 1 : a;
        }
        QRect band = horizontal ? QRect(lo, from.y - across, hi - lo + 1, w)
                                : QRect(from.x - across, lo, w, hi - lo + 1);
        strokeBand(band, horizontal, b < a);
        return;
    }
    if (w == 1) {
        strokeThinDiagonal(from, to);
        return;
    }
    // Wide strokes are filled polygons sampled at pixel centres.
    painter_.setPen(qpen(w));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawLine(QPointF(from.x + 0.5, from.y + 0.5), QPointF(to.x + 0.5, to.y + 0.5));
}

// One pixel per step along the major axis, rounded to the nearest pixel across it, the
// end point left out; consecutive pixels of one row (or column) are filled as one run.
void PainterCanvas::strokeThinDiagonal(Point from, Point to)
{
    const int dx = to.x - from.x, dy = to.y - from.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::vector<int> pattern = dashPattern(pen_.style);
    const int cycle = std::accumulate(pattern.begin(), pattern.end(), 0);
    auto on = [&](int i) {
        if (pattern.empty())
            return true;
        int phase = i % cycle;
        for (std::size_t k = 0; k < pattern.size(); phase -= pattern[k], ++k)
            if (phase < pattern[k])
                return k % 2 == 0;
        return false;
    };
    auto nearest = [steps](long long a) {  // a / steps rounded half away from zero
        return int((2 * a + (a < 0 ? -steps : steps)) / (2LL * steps));
    };
    // Only the steps whose major coordinate lies on the surface are walked.
    const QRect surface = surfaceRect();
    const int major0 = xMajor ? from.x : from.y;
    const int direction = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int low = xMajor ? surface.left() : surface.top();
    const int high = xMajor ? surface.right() : surface.bottom();
    int firstStep = std::max(0, direction > 0 ? low - major0 : major0 - high);
    int lastStep = std::min(steps, (direction > 0 ? high - major0 : major0 - low) + 1);

    const QColor color = toQColor(penColor());
    bool open = false;
    QPoint first, last;
    auto flush = [&] {
        if (open)
            painter_.fillRect(QRect(QPoint(std::min(first.x(), last.x()), std::min(first.y(), last.y())),
                                    QPoint(std::max(first.x(), last.x()), std::max(first.y(), last.y()))),
                              color);
        open = false;
    };
    for (int i = firstStep; i < lastStep; ++i) {
        QPoint p(from.x + nearest(1LL * i * dx), from.y + nearest(1LL * i * dy));
        if (!on(i)) {
            flush();
            continue;
        }
        bool continues = open && (xMajor ? p.y() == last.y() : p.x() == last.x());
        if (!continues) {
            flush();
            first = p;
            open = true;
        }
        last = p;
    }
    flush();
}

void PainterCanvas::moveTo(int x, int y)
{
    penPos_ = {clampCoordinate(x), clampCoordinate(y)};
}

void PainterCanvas::lineTo(int x, int y)
{
    Point from = penPos_;
    moveTo(x, y);
    if (!penDraws() || !beginMode())
        return;
    strokeLine(from, penPos_);
    endMode();
}

// ---------------------------------------------------------------- figures

void PainterCanvas::rectangle(int left, int top, int right, int bottom)
{
    normalizeBox(left, top, right, bottom);
    if (!beginMode())
        return;
    if (!penDraws()) {
        fillBrushRect(QRect(left, top, right - left - 1, bottom - top - 1));
        endMode();
        return;
    }
    int w = penWidth();
    // Centre lines of the outline: the box's edge pixels, moved inward for InsideFrame.
    int x0 = left, y0 = top, x1 = right - 1, y1 = bottom - 1;
    if (pen_.style == PenStyle::InsideFrame && w > 1) {
        x0 = left + w / 2;
        y0 = top + w / 2;
        x1 = std::max(x0, right - w + w / 2);
        y1 = std::max(y0, bottom - w + w / 2);
    }
    int lo = -(w / 2), hi = lo + w - 1;  // offsets of a stroke's pixels from its centre line
    fillBrushRect(QRect(QPoint(x0 + hi + 1, y0 + hi + 1), QPoint(x1 + lo - 1, y1 + lo - 1)));

    QRect topBand(QPoint(x0 + lo, y0 + lo), QPoint(x1 + hi, y0 + hi));
    QRect bottomBand(QPoint(x0 + lo, y1 + lo), QPoint(x1 + hi, y1 + hi));
    QRect leftBand(QPoint(x0 + lo, y0 + hi + 1), QPoint(x0 + hi, y1 + lo - 1));
    QRect rightBand(QPoint(x1 + lo, y0 + hi + 1), QPoint(x1 + hi, y1 + lo - 1));
    if (pen_.style == PenStyle::Solid || pen_.style == PenStyle::InsideFrame) {
        // One region, so that overlapping bands of a tiny box are painted once (XOR).
        QRegion outline = QRegion(topBand) | bottomBand | leftBand | rightBand;
        QColor color = toQColor(penColor());
        for (const QRect& r : outline)
            painter_.fillRect(r, color);
    } else {
        strokeBand(topBand, true, false);
        if (y1 != y0)
            strokeBand(bottomBand, true, true);
        if (!leftBand.isEmpty())
            strokeBand(leftBand, false, true);
        if (!rightBand.isEmpty() && x1 != x0)
            strokeBand(rightBand, false, false);
    }
    endMode();
}

void PainterCanvas::drawCurvedFigure(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight,
                                     bool ellipse)
{
    normalizeBox(left, top, right, bottom);
    if (!beginMode())
        return;
    bool outline = penDraws();
    int w = penWidth();
    // The path runs through the centres of the box's edge pixels.
    QRectF box(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
    if (outline && pen_.style == PenStyle::InsideFrame && w > 1)
        box.adjust((w - 1) / 2.0, (w - 1) / 2.0, -(w - 1) / 2.0, -(w - 1) / 2.0);
    if (!outline)
        box.adjust(-0.5, -0.5, -0.5, -0.5);
    if (box.width() < 0 || box.height() < 0) {
        endMode();
        return;
    }

    if (brush_.style == BrushStyle::Clear)
        painter_.setBrush(Qt::NoBrush);
    else if (brush_.style == BrushStyle::Solid)
        painter_.setBrush(toQColor(brush_.color));
    else
        painter_.setBrush(hatchBrush());
    if (outline)
        painter_.setPen(qpen(w == 1 ? 0 : w));
    else
        painter_.setPen(Qt::NoPen);

    if (ellipse)
        painter_.drawEllipse(box);
    else
        painter_.drawRoundedRect(box, std::fabs(double(ellipseWidth)) / 2.0,
                                  std::fabs(double(ellipseHeight)) / 2.0);
    painter_.setBrush(Qt::NoBrush);
    endMode();
}

void PainterCanvas::roundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    drawCurvedFigure(left, top, right, bottom, ellipseWidth, ellipseHeight, false);
}

void PainterCanvas::ellipse(int left, int top, int right, int bottom)
{
    drawCurvedFigure(left, top, right, bottom, 0, 0, true);
}

// ---------------------------------------------------------------- flood fill

bool PainterCanvas::floodFill(int x, int y, Color color, FloodFillMode mode)
{
    if (device_.devType() != QInternal::Image)
        return false;
    const QImage& image = static_cast<const QImage&>(device_);
    QRegion allowed = effectiveClip() & QRegion(surfaceRect());
    if (!allowed.contains(QPoint(x, y)))
        return false;

    bool rgb = isRgbColor(color);
    QRgb key = toQColor(color).rgb() & 0xFFFFFFu;
    auto matches = [&](int px, int py) { return rgb && (image.pixel(px, py) & 0xFFFFFFu) == key; };
    auto fillable = [&](int px, int py) {
        return mode == FloodFillMode::Surface ? matches(px, py) : !matches(px, py);
    };
    if (!fillable(x, y))
        return false;

    const int width = image.width();
    const int height = image.height();
    std::vector<bool> inside(std::size_t(width) * std::size_t(height), false);
    for (const QRect& r : allowed)
        for (int py = r.top(); py <= r.bottom(); ++py)
            std::fill_n(inside.begin() + std::ptrdiff_t(py) * width + r.left(), r.width(), true);
    auto open = [&](int px, int py) {
        std::size_t i = std::size_t(py) * std::size_t(width) + std::size_t(px);
        return inside[i] && fillable(px, py);
    };

    // Scanline fill: every span found is marked closed at once, so each pixel is visited
    // a bounded number of times and the work list never grows beyond the surface.
    std::vector<QRect> spans;
    std::vector<QPoint> seeds{QPoint(x, y)};
    while (!seeds.empty()) {
        QPoint seed = seeds.back();
        seeds.pop_back();
        if (!open(seed.x(), seed.y()))
            continue;
        int l = seed.x(), r = seed.x();
        while (l > 0 && open(l - 1, seed.y()))
            --l;
        while (r + 1 < width && open(r + 1, seed.y()))
            ++r;
        std::size_t row = std::size_t(seed.y()) * std::size_t(width);
        std::fill(inside.begin() + std::ptrdiff_t(row + std::size_t(l)),
                  inside.begin() + std::ptrdiff_t(row + std::size_t(r) + 1), false);
        spans.emplace_back(l, seed.y(), r - l + 1, 1);
        for (int ny : {seed.y() - 1, seed.y() + 1}) {
            if (ny < 0 || ny >= height)
                continue;
            for (int px = l; px <= r; ++px)
                if (open(px, ny) && (px == l || !open(px - 1, ny)))
                    seeds.emplace_back(px, ny);
        }
    }
    for (const QRect& span : spans)
        fillBrushRect(span);
    return true;
}

// ---------------------------------------------------------------- clipping

QRect PainterCanvas::surfaceRect() const
{
    return QRect(0, 0, device_.width(), device_.height());
}

QRegion PainterCanvas::effectiveClip() const
{
    return clip_ ? *clip_ : QRegion(surfaceRect());
}

void PainterCanvas::setPainterClip(const QRegion& region)
{
    // An empty region would switch clipping off; a rectangle off the surface clips all.
    if (region.isEmpty())
        painter_.setClipRect(QRect(-2, -2, 1, 1));
    else
        painter_.setClipRegion(region);
}

void PainterCanvas::selectClipRegion(const std::optional<QRegion>& region)
{
    clip_ = region;
    if (clip_)
        setPainterClip(*clip_);
    else
        painter_.setClipping(false);
}

void PainterCanvas::intersectClipRect(const Rect& rect)
{
    selectClipRegion(effectiveClip() & QRegion(toQRect(rect)));
}

void PainterCanvas::excludeClipRect(const Rect& rect)
{
    selectClipRegion(effectiveClip() - QRegion(toQRect(rect)));
}

bool PainterCanvas::rectVisible(const Rect& rect) const
{
    QRect r = toQRect(rect);
    return !r.isEmpty() && effectiveClip().intersects(r);
}

void PainterCanvas::fillWithin(const QRegion& region, const QColor& color)
{
    for (const QRect& r : region)
        painter_.fillRect(r, color);
}

// ---------------------------------------------------------------- bitmaps

void PainterCanvas::drawImage(const Rect& dest, const QImage& image, CopyMode mode)
{
    QRect target = toQRect(dest);
    if (target.isEmpty() || image.isNull())
        return;
    if (mode == CopyMode::SourceAnd && rasterOps_) {
        painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter_.drawImage(target, image.convertToFormat(QImage::Format_RGB32));
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    if (mode == CopyMode::Copy) {
        painter_.drawImage(target, image);
        return;
    }
    // White lets the destination show through: as a mask where the device cannot AND.
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < masked.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(row));
        for (int col = 0; col < masked.width(); ++col)
            if ((line[col] & 0xFFFFFFu) == 0xFFFFFFu)
                line[col] = 0;
    }
    painter_.drawImage(target, masked);
}

} // namespace platform
