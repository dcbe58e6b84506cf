// Platform colour values: an Integer with red in the low byte, then green and blue;
// system colours carry the top bit and index a fixed palette. Conversion to QColor.
#pragma once

#include <QColor>

#include <array>
#include <cstdint>

namespace platform {

using Color = std::int32_t;

inline constexpr Color clBlack = 0x000000;
inline constexpr Color clMaroon = 0x000080;
inline constexpr Color clGreen = 0x008000;
inline constexpr Color clOlive = 0x008080;
inline constexpr Color clNavy = 0x800000;
inline constexpr Color clPurple = 0x800080;
inline constexpr Color clTeal = 0x808000;
inline constexpr Color clGray = 0x808080;
inline constexpr Color clSilver = 0xC0C0C0;
inline constexpr Color clRed = 0x0000FF;
inline constexpr Color clLime = 0x00FF00;
inline constexpr Color clYellow = 0x00FFFF;
inline constexpr Color clBlue = 0xFF0000;
inline constexpr Color clFuchsia = 0xFF00FF;
inline constexpr Color clAqua = 0xFFFF00;
inline constexpr Color clLtGray = clSilver;
inline constexpr Color clDkGray = clGray;
inline constexpr Color clWhite = 0xFFFFFF;
inline constexpr Color clMoneyGreen = 0xC0DCC0;
inline constexpr Color clSkyBlue = 0xF0CAA6;
inline constexpr Color clCream = 0xF0FBFF;
inline constexpr Color clMedGray = 0xA4A0A0;

// "No colour" and "the default colour": not RGB values, they never match a pixel.
inline constexpr Color clNone = 0x1FFFFFFF;
inline constexpr Color clDefault = 0x20000000;

// System colours: top bit set, low byte the index into systemPalette below.
constexpr Color systemColor(int index) { return static_cast<Color>(0x80000000u | static_cast<std::uint32_t>(index)); }
inline constexpr Color clScrollBar = systemColor(0);
inline constexpr Color clBackground = systemColor(1);
inline constexpr Color clActiveCaption = systemColor(2);
inline constexpr Color clInactiveCaption = systemColor(3);
inline constexpr Color clMenu = systemColor(4);
inline constexpr Color clWindow = systemColor(5);
inline constexpr Color clWindowFrame = systemColor(6);
inline constexpr Color clMenuText = systemColor(7);
inline constexpr Color clWindowText = systemColor(8);
inline constexpr Color clCaptionText = systemColor(9);
inline constexpr Color clActiveBorder = systemColor(10);
inline constexpr Color clInactiveBorder = systemColor(11);
inline constexpr Color clAppWorkSpace = systemColor(12);
inline constexpr Color clHighlight = systemColor(13);
inline constexpr Color clHighlightText = systemColor(14);
inline constexpr Color clBtnFace = systemColor(15);
inline constexpr Color clBtnShadow = systemColor(16);
inline constexpr Color clGrayText = systemColor(17);
inline constexpr Color clBtnText = systemColor(18);
inline constexpr Color clInactiveCaptionText = systemColor(19);
inline constexpr Color clBtnHighlight = systemColor(20);
inline constexpr Color cl3DDkShadow = systemColor(21);
inline constexpr Color cl3DLight = systemColor(22);
inline constexpr Color clInfoText = systemColor(23);
inline constexpr Color clInfoBk = systemColor(24);
inline constexpr Color clHotLight = systemColor(26);
inline constexpr Color clGradientActiveCaption = systemColor(27);
inline constexpr Color clGradientInactiveCaption = systemColor(28);
inline constexpr Color clMenuHighlight = systemColor(29);
inline constexpr Color clMenuBar = systemColor(30);

// The classic desktop scheme, fixed so that output does not depend on the user's theme
// (values in platform order, red in the low byte).
inline constexpr std::array<Color, 31> systemPalette = {
    0xC8C8C8, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4};

constexpr bool isSystemColor(Color c) { return (static_cast<std::uint32_t>(c) & 0xFF000000u) == 0x80000000u; }

// True when c names an RGB value (directly or through the system palette).
constexpr bool isRgbColor(Color c)
{
    auto u = static_cast<std::uint32_t>(c);
    if (isSystemColor(c))
        return (u & 0xFFu) < systemPalette.size();
    return (u & 0xFF000000u) == 0;
}

// The RGB value of c: system colours are looked up, other values keep their low three
// bytes (clNone and clDefault therefore have no meaningful RGB; test isRgbColor first).
constexpr Color colorToRgb(Color c)
{
    auto u = static_cast<std::uint32_t>(c);
    if (isSystemColor(c))
        return (u & 0xFFu) < systemPalette.size() ? systemPalette[u & 0xFFu] : clBlack;
    return static_cast<Color>(u & 0xFFFFFFu);
}

// QColor of c; clNone, clDefault and other non-RGB values give a transparent colour.
inline QColor toQColor(Color c)
{
    if (!isRgbColor(c))
        return QColor(Qt::transparent);
    auto rgb = static_cast<std::uint32_t>(colorToRgb(c));
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

// Platform colour of an opaque QColor (alpha is ignored).
inline Color fromQColor(const QColor& q)
{
    return static_cast<Color>(unsigned(q.red()) | (unsigned(q.green()) << 8) | (unsigned(q.blue()) << 16));
}

} // namespace platform
