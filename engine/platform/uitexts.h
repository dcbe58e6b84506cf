// Numbered user-interface texts: the program's string table, loaded by number.
// Texts are handed out as GBK, cut to what a 1024-byte loader buffer holds.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace platform {

// Longest text handed out, in bytes: a 1024-byte buffer less its terminator.
inline constexpr std::size_t kMaxTextBytes = 1023;

// The text with that number as GBK; an unknown number yields an empty text.
// The table is read once from the embedded resource; safe from any thread.
std::string loadText(int id);

// Parses a table in the string-table notation: per line a number, a tab and the
// UTF-8 text with the escapes \n, \t and \\; '#' lines and empty lines are
// skipped. Texts come back as GBK, cut to kMaxTextBytes without splitting a
// double-byte character. A malformed line throws std::runtime_error.
std::map<int, std::string> parseTextTable(std::string_view utf8);

// Cuts GBK text to at most maxBytes bytes, never inside a double-byte character.
std::string cutGbk(std::string gbk, std::size_t maxBytes);

} // namespace platform
