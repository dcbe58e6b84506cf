// The engine's font object (face, pixel height or point size, style, colour, character
// set) and the logical font description a canvas draws with.
#pragma once

#include "platform/colors.h"

#include <cstdint>
#include <string>

namespace platform {

// Style set as a bitmask, bit n = element n of the set (bold, italic, underline,
// strike-out). Stored streams use another order; the stream code swaps.
using FontStyles = std::uint8_t;
inline constexpr FontStyles fsBold = 1;
inline constexpr FontStyles fsItalic = 2;
inline constexpr FontStyles fsUnderline = 4;
inline constexpr FontStyles fsStrikeOut = 8;

enum class FontPitch : std::uint8_t { Default, Variable, Fixed };

inline constexpr int kAnsiCharset = 0;
inline constexpr int kDefaultCharset = 1;
inline constexpr int kGbkCharset = 134;

inline constexpr int kFontWeightNormal = 400;
inline constexpr int kFontWeightBold = 700;

// What a canvas needs to create a font. Lengths in device pixels.
struct LogicalFont {
    std::string faceName;  // GBK bytes
    int height = 0;        // < 0: character (em) height; > 0: cell height (ascent + descent); 0: default
    int width = 0;         // average character width; 0 keeps the font's own proportions
    int escapement = 0;    // baseline angle, tenths of a degree counter-clockwise
    int orientation = 0;   // kept for completeness; glyphs always follow the escapement
    int weight = kFontWeightNormal;  // 1..1000; 0 means normal
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = kDefaultCharset;
    FontPitch pitch = FontPitch::Default;

    bool operator==(const LogicalFont&) const = default;
};

// Font as the engine and its scripts see it. Height and Size are two views of one value:
// Size = -Height * 72 / PixelsPerInch, rounded half away from zero.
class Font {
public:
    static constexpr int kScreenPixelsPerInch = 96;

    // Defaults: "MS Sans Serif", 8 points (height -11), clWindowText, default charset.
    Font();

    const std::string& name() const { return name_; }
    void setName(std::string gbkName) { name_ = std::move(gbkName); }

    int height() const { return height_; }
    void setHeight(int pixels) { height_ = pixels; }

    int size() const;
    void setSize(int points);

    FontStyles style() const { return style_; }
    void setStyle(FontStyles style) { style_ = style & (fsBold | fsItalic | fsUnderline | fsStrikeOut); }

    Color color() const { return color_; }
    void setColor(Color color) { color_ = color; }

    int charset() const { return charset_; }
    void setCharset(int charset) { charset_ = charset; }

    FontPitch pitch() const { return pitch_; }
    void setPitch(FontPitch pitch) { pitch_ = pitch; }

    // Changing the resolution keeps Height, so Size follows.
    int pixelsPerInch() const { return pixelsPerInch_; }
    void setPixelsPerInch(int ppi) { pixelsPerInch_ = ppi > 0 ? ppi : kScreenPixelsPerInch; }

    // Copies the description but keeps this font's resolution; when the two resolutions
    // differ the point size is what carries over (a screen font on a printer keeps its size).
    void assign(const Font& other);

    // The description of this font for a device with the given vertical resolution
    // (0 = this font's own): the height is re-derived from the point size when they differ.
    LogicalFont logical(int deviceDpiY = 0) const;

    bool operator==(const Font&) const = default;

private:
    std::string name_;
    int height_;
    FontStyles style_ = 0;
    Color color_;
    int charset_ = kDefaultCharset;
    FontPitch pitch_ = FontPitch::Default;
    int pixelsPerInch_ = kScreenPixelsPerInch;
};

// a * b / c rounded half away from zero, computed without overflow; c = 0 gives -1
// (the classic integer helper the size/height conversions are defined with).
int mulDiv(int a, int b, int c);

} // namespace platform
