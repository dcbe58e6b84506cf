// GBK text: engine strings are GBK bytes in std::string, exactly as stored.
// Conversions to Unicode happen only at the Qt edge (qtext.h) and in the tool.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True for a GBK lead byte (0x81..0xFE): it and the next byte form one character.
constexpr bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Byte length (1 or 2) of the character starting at pos. A lead byte at the
// end of the text, with no trail byte, counts as one byte.
std::size_t charLength(std::string_view text, std::size_t pos);

// GBK <-> UTF-8. Bytes that do not convert become U+FFFD / '?' instead of failing.
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);

// Case mapping of the single-byte letters; double-byte characters are left intact
// (a trail byte in the ASCII letter range is never changed).
std::string upperCase(std::string_view gbk);
std::string lowerCase(std::string_view gbk);

// Case-insensitive comparison (<0, 0, >0) of GBK texts.
int compareTextIgnoreCase(std::string_view a, std::string_view b);

// The engine name rule: equal byte length and case-insensitively equal.
bool sameName(std::string_view a, std::string_view b);

} // namespace platform
