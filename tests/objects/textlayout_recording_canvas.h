// A canvas with fixed, simple glyph metrics that records every text output: what the
// text layout tests measure with and compare (positions, advances, fonts), not pixels.
#pragma once

#include "platform/canvas.h"
#include "platform/gbk.h"
#include "platform/image_canvas.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace testing_text {

// Metrics from the em height e: double-byte characters e, " il.,'" e/4, others e/2;
// with an average width w set: double-byte 2w, others w. Cell height: e + e/4.
class RecordingCanvas : public platform::Canvas {
public:
    struct TextOut {
        int x, y;
        unsigned flags;
        platform::Rect rect;
        std::string text;
        std::vector<int> advances;  // empty: drawn with measured advances
        int extra;
        platform::LogicalFont font;
    };

    explicit RecordingCanvas(int dpi = 96) : dpi_(dpi) {}

    std::vector<TextOut> outputs;

    static int em(const platform::LogicalFont& f) { return f.height < 0 ? -f.height : f.height * 4 / 5; }
    int advance(std::string_view gbk, std::size_t pos) const
    {
        int e = em(font_);
        bool wide = platform::charLength(gbk, pos) == 2;
        if (font_.width > 0)
            return wide ? 2 * font_.width : font_.width;
        if (wide)
            return e;
        return std::string_view(" il.,'").find(gbk[pos]) != std::string_view::npos ? e / 4 : e / 2;
    }

    void selectFont(const platform::LogicalFont& font) override { font_ = font; }
    const platform::LogicalFont& logicalFont() const override { return font_; }
    void setTextColor(platform::Color c) override { color_ = c; }
    platform::Color textColor() const override { return color_; }
    void setBackgroundMode(platform::BackgroundMode m) override { mode_ = m; }
    platform::BackgroundMode backgroundMode() const override { return mode_; }
    void setBackgroundColor(platform::Color c) override { background_ = c; }
    platform::Color backgroundColor() const override { return background_; }
    void setTextCharacterExtra(int extra) override { extra_ = extra; }
    int textCharacterExtra() const override { return extra_; }

    void textOut(int x, int y, std::string_view gbk) override { extTextOut(x, y, 0, nullptr, gbk); }
    void extTextOut(int x, int y, unsigned flags, const platform::Rect* rect, std::string_view gbk,
                    const std::vector<int>* advances = nullptr) override
    {
        outputs.push_back({x, y, flags, rect ? *rect : platform::Rect{}, std::string(gbk),
                           advances ? *advances : std::vector<int>{}, extra_, font_});
    }
    platform::Size textExtent(std::string_view gbk) override
    {
        int width = 0;
        for (std::size_t pos = 0; pos < gbk.size(); pos += platform::charLength(gbk, pos))
            width += advance(gbk, pos) + extra_;
        return {width, em(font_) + em(font_) / 4};
    }
    platform::TextFit textExtentFit(std::string_view gbk, int maxWidth) override
    {
        platform::TextFit fit;
        int position = 0;
        for (std::size_t pos = 0; pos < gbk.size(); pos += platform::charLength(gbk, pos)) {
            position += advance(gbk, pos) + extra_;
            fit.positions.push_back(position);
            if (position <= maxWidth && fit.chars == int(fit.positions.size()) - 1) {
                ++fit.chars;
                fit.bytes = int(pos + platform::charLength(gbk, pos));
            }
        }
        fit.extent = {position, em(font_) + em(font_) / 4};
        return fit;
    }
    platform::TextMetrics textMetrics() override
    {
        int e = em(font_);
        return {e + e / 4, e, e / 4, e / 4, 0, e / 2};
    }

    void setPen(const platform::Pen& p) override { pen_ = p; }
    const platform::Pen& pen() const override { return pen_; }
    void setBrush(const platform::Brush& b) override { brush_ = b; }
    const platform::Brush& brush() const override { return brush_; }
    void fillRect(const platform::Rect&) override {}
    void rectangle(int, int, int, int) override {}
    void roundRect(int, int, int, int, int, int) override {}
    void ellipse(int, int, int, int) override {}
    void moveTo(int x, int y) override { pos_ = {x, y}; }
    void lineTo(int x, int y) override
    {
        lines.push_back({pos_, {x, y}});
        pos_ = {x, y};
    }
    platform::Point penPos() const override { return pos_; }
    bool floodFill(int, int, platform::Color, platform::FloodFillMode) override { return false; }
    std::optional<QRegion> clipRegion() const override { return std::nullopt; }
    void selectClipRegion(const std::optional<QRegion>&) override {}
    void intersectClipRect(const platform::Rect&) override {}
    void excludeClipRect(const platform::Rect&) override {}
    bool rectVisible(const platform::Rect&) const override { return true; }
    void drawImage(const platform::Rect&, const QImage&, platform::CopyMode) override {}
    std::unique_ptr<platform::ImageCanvas> createCompatible(int w, int h) const override
    {
        return std::make_unique<platform::ImageCanvas>(w, h, dpi_, dpi_);
    }
    platform::DeviceMetrics deviceMetrics() const override
    {
        platform::DeviceMetrics m;
        m.dpiX = m.dpiY = dpi_;
        return m;
    }

    struct Line {
        platform::Point from, to;
    };
    std::vector<Line> lines;

private:
    int dpi_;
    platform::LogicalFont font_;
    platform::Color color_ = platform::clBlack;
    platform::Color background_ = platform::clWhite;
    platform::BackgroundMode mode_ = platform::BackgroundMode::Opaque;
    int extra_ = 0;
    platform::Pen pen_;
    platform::Brush brush_;
    platform::Point pos_;
};

inline std::string gbk(const char* utf8) { return platform::utf8ToGbk(utf8); }

} // namespace testing_text
