// Canvas over QPainter on any QPaintDevice (image, printer, widget), mapping the
// integer pixel rules of the Canvas contract onto aliased Qt drawing.
#pragma once

#include "platform/canvas.h"

#include <QFont>
#include <QPainter>

#include <cstdint>
#include <unordered_map>

class QPaintDevice;

namespace platform {

class PainterCanvas : public Canvas {
public:
    // Paints on device, which must outlive the canvas. A resolution of 0 takes the
    // device's own logical resolution.
    explicit PainterCanvas(QPaintDevice& device, int dpiX = 0, int dpiY = 0);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;

    void selectFont(const LogicalFont& font) override;
    const LogicalFont& logicalFont() const override { return logicalFont_; }
    void setTextColor(Color color) override { textColor_ = color; }
    Color textColor() const override { return textColor_; }
    void setBackgroundMode(BackgroundMode mode) override { backgroundMode_ = mode; }
    BackgroundMode backgroundMode() const override { return backgroundMode_; }
    void setBackgroundColor(Color color) override { backgroundColor_ = color; }
    Color backgroundColor() const override { return backgroundColor_; }
    void setTextCharacterExtra(int extra) override { characterExtra_ = extra; }
    int textCharacterExtra() const override { return characterExtra_; }

    void textOut(int x, int y, std::string_view gbk) override;
    void extTextOut(int x, int y, unsigned flags, const Rect* rect, std::string_view gbk,
                    const std::vector<int>* advances = nullptr) override;
    Size textExtent(std::string_view gbk) override;
    TextFit textExtentFit(std::string_view gbk, int maxWidth) override;
    TextMetrics textMetrics() override;

    void setPen(const Pen& pen) override { pen_ = pen; }
    const Pen& pen() const override { return pen_; }
    void setBrush(const Brush& brush) override { brush_ = brush; }
    const Brush& brush() const override { return brush_; }

    void fillRect(const Rect& rect) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void roundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    Point penPos() const override { return penPos_; }
    bool floodFill(int x, int y, Color color, FloodFillMode mode) override;

    std::optional<QRegion> clipRegion() const override { return clip_; }
    void selectClipRegion(const std::optional<QRegion>& region) override;
    void intersectClipRect(const Rect& rect) override;
    void excludeClipRect(const Rect& rect) override;
    bool rectVisible(const Rect& rect) const override;

    void drawImage(const Rect& dest, const QImage& image, CopyMode mode = CopyMode::Copy) override;
    std::unique_ptr<ImageCanvas> createCompatible(int width, int height) const override;

    DeviceMetrics deviceMetrics() const override;

protected:
    QPainter& painter() { return painter_; }
    QPaintDevice& device() { return device_; }

private:
    struct Glyph {
        QString text;
        int bytes = 1;
        int advance = 0;
    };

    void ensureFont();
    const Glyph& glyph(std::string_view gbk, std::size_t pos);
    std::vector<Glyph> glyphsOf(std::string_view gbk);
    void drawGlyphs(std::vector<Glyph>& glyphs, bool rightToLeft);
    std::vector<int> visualOrder(std::vector<Glyph>& glyphs) const;

    int penWidth() const;
    bool penDraws() const;
    Color penColor() const;
    bool beginMode();
    void endMode();
    QBrush hatchBrush() const;
    void fillBrushRect(const QRect& rect);
    void strokeBand(const QRect& band, bool horizontal, bool reversed);
    QPen qpen(int width) const;
    void strokeLine(Point from, Point to);
    void strokeThinDiagonal(Point from, Point to);
    void drawCurvedFigure(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight,
                          bool ellipse);

    QRect surfaceRect() const;
    QRegion effectiveClip() const;
    void setPainterClip(const QRegion& region);
    void fillWithin(const QRegion& region, const QColor& color);

    QPaintDevice& device_;
    QPainter painter_;
    int dpiX_;
    int dpiY_;
    bool rasterOps_;

    LogicalFont logicalFont_;
    bool fontReady_ = false;  // qfont_, metrics_ and the glyph cache match logicalFont_
    QFont qfont_;
    TextMetrics metrics_;
    int underlinePos_ = 0;
    int strikeOutPos_ = 0;
    int lineThickness_ = 1;
    std::unordered_map<std::uint32_t, Glyph> glyphCache_;

    Color textColor_ = clBlack;
    BackgroundMode backgroundMode_ = BackgroundMode::Opaque;
    Color backgroundColor_ = clWhite;
    int characterExtra_ = 0;

    Pen pen_;
    Brush brush_;
    Point penPos_;
    std::optional<QRegion> clip_;
};

} // namespace platform
