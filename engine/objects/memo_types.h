// Enumerations of the text object: rotation, font scaling and the two alignments.
// Their byte values are the ones stored in template and prepared-page records.
#pragma once

#include <cstdint>

enum TKSRotationType : std::uint8_t { ksrtNone, ksrt90, ksrt180, ksrt270, ksrt360 };
enum TKSScaleFontType : std::uint8_t { ksstNone, ksstByWidth, ksstByHeight };
enum TKSHAlign : std::uint8_t { kshLeft, kshCenter, kshRight, kshEuqal };
enum TKSVAlign : std::uint8_t { ksvTop, ksvCenter, ksvBottom };
