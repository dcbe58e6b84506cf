// Drawing a graphic stretched into a rectangle of a canvas, directly or
// through an off-screen surface compatible with the destination device.
#pragma once

#include "platform/canvas.h"
#include "platform/graphic.h"
#include "platform/image_canvas.h"

#include <memory>

// An off-screen surface of the destination device's resolution, filled white,
// in device pixels. Fonts set on it are scaled to the device's vertical resolution.
class TKSDeviceCompatibleCanvas {
public:
    TKSDeviceCompatibleCanvas(const platform::Canvas& device, int width, int height);

    platform::Canvas& canvas() { return *surface_; }
    int width() const { return surface_->width(); }
    int height() const { return surface_->height(); }
    // Stretches the image over the whole surface.
    void stretchImage(const QImage& image);
    // Copies the surface onto dest; transparent lets dest show through white pixels.
    void copyTo(platform::Canvas& dest, const platform::Rect& rect, bool transparent) const;

private:
    std::unique_ptr<platform::ImageCanvas> surface_;
};

// Draws graphic stretched into rect. deviceExact asks for device-pixel exact
// output (printing); direct skips the off-screen surface where allowed;
// transparent lets the destination show through white areas. Never raises:
// an empty or undecodable graphic draws nothing.
void drawGraphic(platform::Canvas& canvas, const platform::Rect& rect, const platform::Graphic& graphic,
                 bool deviceExact, bool direct, bool transparent);
