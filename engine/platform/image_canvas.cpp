// Canvas owning a white RGB image: off-screen surfaces and the measuring surface.
#include "platform/image_canvas.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

int validDpi(int dpi) { return dpi > 0 ? dpi : ImageCanvas::kScreenDpi; }

// A surface too large to allocate comes out null; the canvas then draws nothing.
QImage whiteImage(int width, int height, int dpiX, int dpiY)
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpiX / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpiY / 0.0254)));
    return image;
}

} // namespace

ImageCanvas::ImageCanvas(int width, int height, int dpiX, int dpiY)
    : detail::ImageStorage{whiteImage(width, height, validDpi(dpiX), validDpi(dpiY))},
      PainterCanvas(storage, validDpi(dpiX), validDpi(dpiY))
{
}

std::unique_ptr<ImageCanvas> ImageCanvas::createMeasuringCanvas()
{
    return std::make_unique<ImageCanvas>(8, 8, kScreenDpi, kScreenDpi);
}

Color ImageCanvas::pixel(int x, int y) const
{
    if (!storage.valid(x, y))
        return clBlack;
    return fromQColor(QColor(storage.pixel(x, y)));
}

} // namespace platform
