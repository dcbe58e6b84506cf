// The drawing surface the engine draws on (screen, printer, off-screen images): GDI-like
// state (font, pen, brush, background, clip) and whole-device-pixel drawing rules.
#pragma once

#include "platform/colors.h"
#include "platform/font.h"

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ImageCanvas;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

// Covers the pixels [left, right) x [top, bottom).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

// Byte values match the stored pen and brush fields of templates.
enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };

// How the pen (and the brush of figures) combines with the surface. Devices without
// raster operations (printers) draw every mode but Nop, Black and White as Copy.
enum class PenMode : std::uint8_t {
    Black, White, Nop, Not, Copy, NotCopy, MergePenNot, MaskPenNot,
    MergeNotPen, MaskNotPen, Merge, NotMerge, Mask, NotMask, Xor, NotXor
};

// Flat: a line covers its start point up to, but excluding, its end point.
// Square: both ends are extended by half the width (a geometric pen); a 1-pixel line
// then covers its end point too, which is what closes the corners of frames.
enum class PenCap : std::uint8_t { Flat, Square };

// A stroke of width w covers the pixels [c - w/2, c - w/2 + w) across its centre line c
// (integer halves). Dash styles repeat on/off runs of, in pen widths, 6/2 (Dash), 2/2
// (Dot), 6/2/2/2 (DashDot) and 6/2/2/2/2/2 (DashDotDot) from the start of each line;
// caps extend only the ends of the whole line, not each dash.
struct Pen {
    Color color = clBlack;
    int width = 1;  // device pixels; values below 1 draw 1 pixel wide
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
    PenCap cap = PenCap::Flat;
    bool operator==(const Pen&) const = default;
};

enum class BrushStyle : std::uint8_t { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

// Hatches repeat every 8 device pixels from the device origin; their lines have the
// brush colour, the gaps the background colour in opaque mode and stay untouched otherwise.
// A style value outside the enumeration (damaged input) fills solid.
struct Brush {
    Color color = clWhite;
    BrushStyle style = BrushStyle::Solid;
    bool operator==(const Brush&) const = default;
};

enum class BackgroundMode : std::uint8_t { Transparent, Opaque };

// Surface: fill the area of the given colour around the seed. Border: fill up to it.
enum class FloodFillMode : std::uint8_t { Surface, Border };

// How drawImage combines a picture with what is under it.
// SourceAnd: bitwise AND (white lets the destination show through).
// TransparentWhite: pure white pixels of the picture are not drawn.
enum class CopyMode : std::uint8_t { Copy, SourceAnd, TransparentWhite };

// extTextOut flags.
inline constexpr unsigned etoOpaque = 1;      // fill the rectangle with the background colour first
inline constexpr unsigned etoClipped = 2;     // clip the text to the rectangle
inline constexpr unsigned etoRtlReading = 4;  // right-to-left reading order

struct TextMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;  // height - character (em) height
    int externalLeading = 0;
    int averageCharWidth = 0;
};

// Measure of a text against a width. positions[i] is the extent of characters 0..i
// (extra spacing included), given for every character of the text.
struct TextFit {
    int chars = 0;  // characters whose extent is at most the width
    int bytes = 0;  // the bytes of those characters
    std::vector<int> positions;
    Size extent;  // of the whole text
};

struct DeviceMetrics {
    int dpiX = 96;
    int dpiY = 96;
    Size physicalSize;   // whole page / surface, device pixels
    Size printableSize;  // the part the device can mark
    Point physicalOffset;  // of the printable part within the page
};

// Text is GBK bytes; one character is one single byte or one double-byte pair.
// Text is drawn with the reference point (x, y) at the top-left of the first character
// cell, rotated counter-clockwise about it by the font's escapement. Measuring uses
// whole-pixel advances per character, and drawing places every character at those
// advances, so a measured width is exactly the drawn width on every device.
class Canvas {
public:
    virtual ~Canvas() = default;

    // --- Font and text state
    virtual void selectFont(const LogicalFont& font) = 0;
    virtual const LogicalFont& logicalFont() const = 0;
    // Selects font.logical(dpiY of this device) and takes the font's colour as text colour.
    void setFont(const Font& font)
    {
        selectFont(font.logical(deviceMetrics().dpiY));
        setTextColor(font.color());
    }

    virtual void setTextColor(Color color) = 0;
    virtual Color textColor() const = 0;
    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual BackgroundMode backgroundMode() const = 0;
    virtual void setBackgroundColor(Color color) = 0;
    virtual Color backgroundColor() const = 0;
    // Extra pixels added after every character, by measuring and by drawing without advances.
    virtual void setTextCharacterExtra(int extra) = 0;
    virtual int textCharacterExtra() const = 0;

    // --- Text
    virtual void textOut(int x, int y, std::string_view gbk) = 0;
    // rect (may be null) is used by etoOpaque and etoClipped. advances (may be null) hold the
    // pen movement after each character, one entry per character (a double-byte character
    // is one character; callers with per-byte values add the two entries of a pair); when
    // given, the character extra is not added. Missing entries use the measured advance
    // plus the extra.
    virtual void extTextOut(int x, int y, unsigned flags, const Rect* rect, std::string_view gbk,
                            const std::vector<int>* advances = nullptr) = 0;
    // Width along the baseline (escapement ignored) and cell height.
    virtual Size textExtent(std::string_view gbk) = 0;
    virtual TextFit textExtentFit(std::string_view gbk, int maxWidth) = 0;
    virtual TextMetrics textMetrics() = 0;

    // --- Pen and brush
    virtual void setPen(const Pen& pen) = 0;
    virtual const Pen& pen() const = 0;
    virtual void setBrush(const Brush& brush) = 0;
    virtual const Brush& brush() const = 0;

    // --- Figures. A box (l, t, r, b) excludes its right column and bottom row.
    // Fills [l, r) x [t, b) with the brush; no pen.
    virtual void fillRect(const Rect& rect) = 0;
    // Outline along the box's edge pixels with the pen (InsideFrame keeps a wide pen inside
    // the box), interior with the brush. With a Clear pen the fill covers [l, r-1) x [t, b-1).
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void roundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) = 0;
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;  // then the pen position is (x, y)
    virtual Point penPos() const = 0;
    // Fills the 4-connected area around the seed with the brush, within the clip; false when
    // the device cannot be read back (printers), the seed is outside the surface or the
    // clip, or the seed pixel does not qualify. A colour that is no RGB value (clNone)
    // matches no pixel.
    virtual bool floodFill(int x, int y, Color color, FloodFillMode mode) = 0;

    // --- Clipping, in device pixels. No region means the whole surface.
    virtual std::optional<QRegion> clipRegion() const = 0;
    virtual void selectClipRegion(const std::optional<QRegion>& region) = 0;
    virtual void intersectClipRect(const Rect& rect) = 0;
    virtual void excludeClipRect(const Rect& rect) = 0;
    virtual bool rectVisible(const Rect& rect) const = 0;
    // A stack of clip regions over the calls above.
    void saveClip() { savedClips_.push_back(clipRegion()); }
    void restoreClip()  // does nothing when nothing was saved
    {
        if (savedClips_.empty())
            return;
        selectClipRegion(savedClips_.back());
        savedClips_.pop_back();
    }

    // --- Bitmaps. The picture is stretched into dest without smoothing.
    virtual void drawImage(const Rect& dest, const QImage& image, CopyMode mode = CopyMode::Copy) = 0;
    // An off-screen image canvas of this device's resolution, filled white.
    virtual std::unique_ptr<ImageCanvas> createCompatible(int width, int height) const = 0;

    // --- Device
    virtual DeviceMetrics deviceMetrics() const = 0;

private:
    std::vector<std::optional<QRegion>> savedClips_;
};

} // namespace platform
