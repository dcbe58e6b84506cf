// The program's own artwork, drawn at start-up: the print and exit button
// glyphs (PNG) and the about box's emblem (JPEG).
#pragma once

#include <string>

// 32 x 16: the normal glyph, then its disabled form.
std::string PrintGlyphPng();
// 16 x 16.
std::string ExitGlyphPng();
// 129 x 129.
std::string EmblemJpeg();
