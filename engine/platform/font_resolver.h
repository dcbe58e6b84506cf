// Face names found in templates (Windows fonts, often in Chinese) mapped to fonts
// installed here, and QFonts built from logical font descriptions.
#pragma once

#include "platform/font.h"

#include <QFont>
#include <QString>

#include <string_view>

namespace platform {

// The installed family used for a face name (GBK). Known Windows faces map to their free
// look-alikes, an installed family is used as is, anything else gets the system default.
QString resolveFontFamily(std::string_view gbkFaceName);

// Family that supplies Chinese glyphs a resolved face lacks.
QString cjkFallbackFamily();

// QFont for a logical font: pixel size from the height (negative: character height,
// positive: cell height), width as a horizontal stretch, weight, italic, underline and
// strike-out. Unhinted and unkerned, so advances depend only on font and pixel size.
// Fonts for the GBK character set fall back to the CJK family for Chinese glyphs.
QFont makeQFont(const LogicalFont& font);

} // namespace platform
