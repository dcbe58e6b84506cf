// Canvas that owns its picture: off-screen surfaces, screen-resolution bitmaps and the
// small measuring surface on which all text layout is done.
#pragma once

#include "platform/painter_canvas.h"

#include <QImage>

#include <memory>
#include <string_view>

namespace platform {

namespace detail {
// Holds the image so that it exists before the painter of PainterCanvas begins on it.
struct ImageStorage {
    QImage storage;
};
} // namespace detail

class ImageCanvas : private detail::ImageStorage, public PainterCanvas {
public:
    static constexpr int kScreenDpi = 96;

    // A white surface of width x height pixels at the given resolution (sizes below 1
    // count as 1).
    ImageCanvas(int width, int height, int dpiX = kScreenDpi, int dpiY = kScreenDpi);

    // The 8 x 8 surface at 96 pixels per inch used for measuring text.
    static std::unique_ptr<ImageCanvas> createMeasuringCanvas();

    int width() const { return storage.width(); }
    int height() const { return storage.height(); }

    // A copy of the picture as drawn so far.
    QImage image() const { return storage.copy(); }
    // RGB of one pixel (0 outside the surface).
    Color pixel(int x, int y) const;
};

// Writes the canvas's picture as a PNG file (path in engine text, GBK); false
// when the file cannot be written.
bool savePng(const ImageCanvas& canvas, std::string_view path);

} // namespace platform
