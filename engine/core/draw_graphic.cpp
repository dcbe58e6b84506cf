// The graphic drawing routine. Every graphic this platform can decode is an
// image already, so the "convert to a bitmap" steps reduce to using it.
#include "core/draw_graphic.h"

#include <exception>

TKSDeviceCompatibleCanvas::TKSDeviceCompatibleCanvas(const platform::Canvas& device, int width, int height)
    : surface_(device.createCompatible(width, height))
{
}

void TKSDeviceCompatibleCanvas::stretchImage(const QImage& image)
{
    surface_->drawImage({0, 0, width(), height()}, image, platform::CopyMode::Copy);
}

void TKSDeviceCompatibleCanvas::copyTo(platform::Canvas& dest, const platform::Rect& rect, bool transparent) const
{
    dest.drawImage(rect, surface_->image(),
                   transparent ? platform::CopyMode::TransparentWhite : platform::CopyMode::Copy);
}

namespace {

// The platform stretch-draw; the transparent switch is the canvas copy mode
// the picture object selects (source AND destination).
void stretchDraw(platform::Canvas& canvas, const platform::Rect& rect, const QImage& image, bool transparent)
{
    canvas.drawImage(rect, image, transparent ? platform::CopyMode::SourceAnd : platform::CopyMode::Copy);
}

// An off-screen surface as large as the destination could exhaust memory when
// zoomed far in; beyond the graphic bounds the image is stretched directly.
bool fitsOffScreen(const platform::Rect& rect)
{
    return rect.width() <= platform::kMaxGraphicSide && rect.height() <= platform::kMaxGraphicSide
        && std::int64_t(rect.width()) * rect.height() <= platform::kMaxGraphicPixels;
}

void drawThroughOffScreen(platform::Canvas& canvas, const platform::Rect& rect, const QImage& image,
                          bool transparent)
{
    if (!fitsOffScreen(rect)) {
        stretchDraw(canvas, rect, image, transparent);
        return;
    }
    TKSDeviceCompatibleCanvas offScreen(canvas, rect.width(), rect.height());
    offScreen.stretchImage(image);
    offScreen.copyTo(canvas, rect, transparent);
}

bool drawsDirectly(const platform::Graphic& graphic, bool deviceExact, bool direct)
{
    using platform::GraphicKind;
    if (!deviceExact || graphic.kind() == GraphicKind::Metafile || graphic.kind() == GraphicKind::Icon)
        return true;
    if (graphic.kind() == GraphicKind::Bitmap)
        return direct && graphic.monochrome();
    return direct;
}

} // namespace

void drawGraphic(platform::Canvas& canvas, const platform::Rect& rect, const platform::Graphic& graphic,
                 bool deviceExact, bool direct, bool transparent)
{
    try {
        if (rect.isEmpty() || !graphic.drawable())
            return;
        if (drawsDirectly(graphic, deviceExact, direct))
            stretchDraw(canvas, rect, graphic.image(), transparent);
        else
            drawThroughOffScreen(canvas, rect, graphic.image(), transparent);
    } catch (const std::exception&) {
        // Drawing never raises (views draw what they can); a failed
        // allocation of the off-screen surface just leaves the area as it is.
    }
}
