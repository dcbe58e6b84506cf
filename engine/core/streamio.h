// Binary primitives of every stored engine structure: little-endian numbers,
// Word-counted strings, Integer-counted text blocks and fonts (the picture
// record is in picture_record.h).
#pragma once

#include "platform/font.h"
#include "platform/stream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Longest string a String primitive can hold; longer ones are cut (streamio.cpp).
inline constexpr std::size_t kMaxStoredStringLength = 65535;

inline std::uint8_t readByte(platform::Stream& s)
{
    std::uint8_t b;
    s.readExact(&b, 1);
    return b;
}

inline bool readBoolean(platform::Stream& s) { return readByte(s) != 0; }

inline std::uint16_t readWord(platform::Stream& s)
{
    unsigned char b[2];
    s.readExact(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

inline std::uint32_t readLongWord(platform::Stream& s)
{
    unsigned char b[4];
    s.readExact(b, 4);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16)
         | (std::uint32_t(b[3]) << 24);
}

inline std::int32_t readInteger(platform::Stream& s) { return static_cast<std::int32_t>(readLongWord(s)); }
// A platform colour value: low three bytes red, green, blue.
inline std::int32_t readColour(platform::Stream& s) { return readInteger(s); }

inline void writeByte(platform::Stream& s, std::uint8_t value) { s.write(&value, 1); }
inline void writeBoolean(platform::Stream& s, bool value) { writeByte(s, value ? 1 : 0); }

inline void writeWord(platform::Stream& s, std::uint16_t value)
{
    const unsigned char b[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    s.write(b, 2);
}

inline void writeLongWord(platform::Stream& s, std::uint32_t value)
{
    const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    s.write(b, 4);
}

inline void writeInteger(platform::Stream& s, std::int32_t value) { writeLongWord(s, static_cast<std::uint32_t>(value)); }
inline void writeColour(platform::Stream& s, std::int32_t value) { writeInteger(s, value); }

// Word byte count, then the bytes. Text longer than kMaxStoredStringLength is
// cut to that length on a character boundary so that what is stored stays
// readable (a wrapped 16-bit count would misframe everything after it).
std::string readString(platform::Stream& s);
void writeString(platform::Stream& s, std::string_view text);

// Integer byte count, then the lines each followed by CR LF. A count of 0 or
// less reads as no lines; a count beyond the stream's end is a StreamError.
std::vector<std::string> readTextBlock(platform::Stream& s);
void writeTextBlock(platform::Stream& s, const std::vector<std::string>& lines);

// Writes an Integer placeholder and returns its position, for end positions
// that are known only after the data behind them is written.
std::int64_t writeEndPositionPlaceholder(platform::Stream& s);
// Patches the placeholder at `at` with the current position, then returns to the end.
void patchEndPosition(platform::Stream& s, std::int64_t at);

// Face name, Integer size (negative: character height in pixels, else points),
// Word style bits (bit 0 italic, bit 1 bold, bit 2 underline, bit 3 strike-out),
// Colour, Word character set. Writers store the size as a pixel height at 96
// pixels per inch, the resolution readers assume.
void readFont(platform::Stream& s, platform::Font& font);
void writeFont(platform::Stream& s, const platform::Font& font);
