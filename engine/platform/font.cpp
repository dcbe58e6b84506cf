// The engine's font object: point size and pixel height kept consistent through the
// font's resolution, and its logical description for a device.
#include "platform/font.h"

#include <cstdint>
#include <cstdlib>

namespace platform {

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    std::int64_t num = std::int64_t(a) * b;
    std::int64_t q = (std::llabs(num) * 2 + std::llabs(c)) / (std::int64_t(std::llabs(c)) * 2);
    return int((num < 0) != (c < 0) ? -q : q);
}

Font::Font() : name_("MS Sans Serif"), height_(-11), color_(clWindowText) {}

int Font::size() const { return -mulDiv(height_, 72, pixelsPerInch_); }

void Font::setSize(int points) { height_ = -mulDiv(points, pixelsPerInch_, 72); }

void Font::assign(const Font& other)
{
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    charset_ = other.charset_;
    pitch_ = other.pitch_;
    if (other.pixelsPerInch_ != pixelsPerInch_)
        setSize(other.size());
}

LogicalFont Font::logical(int deviceDpiY) const
{
    LogicalFont lf;
    lf.faceName = name_;
    lf.height = height_;
    if (deviceDpiY > 0 && deviceDpiY != pixelsPerInch_)
        lf.height = -mulDiv(size(), deviceDpiY, 72);
    lf.weight = (style_ & fsBold) ? kFontWeightBold : kFontWeightNormal;
    lf.italic = (style_ & fsItalic) != 0;
    lf.underline = (style_ & fsUnderline) != 0;
    lf.strikeOut = (style_ & fsStrikeOut) != 0;
    lf.charset = charset_;
    lf.pitch = pitch_;
    return lf;
}

} // namespace platform
