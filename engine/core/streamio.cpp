// Binary primitives: strings, text blocks and patched end positions.
#include "core/streamio.h"

#include "core/textutil.h"
#include "platform/gbk.h"

#include <limits>

namespace {

// The longest prefix of at most `limit` bytes that does not split a character.
std::size_t cutOnCharBoundary(std::string_view text, std::size_t limit)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = pos + platform::charLength(text, pos);
        if (next > limit)
            break;
        pos = next;
    }
    return pos;
}

} // namespace

std::string readString(platform::Stream& s)
{
    const std::uint16_t count = readWord(s);
    std::string text(count, '\0');
    s.readExact(text.data(), count);
    return text;
}

void writeString(platform::Stream& s, std::string_view text)
{
    if (text.size() > kMaxStoredStringLength)
        text = text.substr(0, cutOnCharBoundary(text, kMaxStoredStringLength));
    writeWord(s, static_cast<std::uint16_t>(text.size()));
    s.write(text.data(), text.size());
}

std::vector<std::string> readTextBlock(platform::Stream& s)
{
    const std::int32_t count = readInteger(s);
    if (count <= 0)
        return {};
    // Check before allocating: a damaged count must not reserve gigabytes.
    if (count > s.remaining())
        throw platform::StreamError("Stream read error: text block of " + std::to_string(count)
                                    + " bytes at position " + std::to_string(s.position())
                                    + ", " + std::to_string(s.remaining()) + " available");
    std::string text(static_cast<std::size_t>(count), '\0');
    s.readExact(text.data(), text.size());
    return splitLines(text);
}

void writeTextBlock(platform::Stream& s, const std::vector<std::string>& lines)
{
    const std::string text = joinLines(lines);
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw platform::StreamError("Stream write error: text block too large");
    writeInteger(s, static_cast<std::int32_t>(text.size()));
    s.write(text.data(), text.size());
}

std::int64_t writeEndPositionPlaceholder(platform::Stream& s)
{
    const std::int64_t at = s.position();
    writeInteger(s, 0);
    return at;
}

void patchEndPosition(platform::Stream& s, std::int64_t at)
{
    const std::int64_t end = s.position();
    if (end > std::numeric_limits<std::int32_t>::max())
        throw platform::StreamError("Stream write error: end position beyond 2 GB");
    s.seek(at);
    writeInteger(s, static_cast<std::int32_t>(end));
    s.seekToEnd();
}

namespace {

// Stored order swaps bold and italic against the in-memory style set.
constexpr std::uint16_t kStoredItalic = 1, kStoredBold = 2, kStoredUnderline = 4, kStoredStrikeOut = 8;

platform::FontStyles stylesFromStored(std::uint16_t bits)
{
    platform::FontStyles style = 0;
    if (bits & kStoredItalic)
        style |= platform::fsItalic;
    if (bits & kStoredBold)
        style |= platform::fsBold;
    if (bits & kStoredUnderline)
        style |= platform::fsUnderline;
    if (bits & kStoredStrikeOut)
        style |= platform::fsStrikeOut;
    return style;
}

std::uint16_t storedFromStyles(platform::FontStyles style)
{
    std::uint16_t bits = 0;
    if (style & platform::fsItalic)
        bits |= kStoredItalic;
    if (style & platform::fsBold)
        bits |= kStoredBold;
    if (style & platform::fsUnderline)
        bits |= kStoredUnderline;
    if (style & platform::fsStrikeOut)
        bits |= kStoredStrikeOut;
    return bits;
}

} // namespace

void readFont(platform::Stream& s, platform::Font& font)
{
    std::string name = readString(s);
    const std::int32_t size = readInteger(s);
    const std::uint16_t style = readWord(s);
    const std::int32_t colour = readColour(s);
    const std::uint16_t charset = readWord(s);
    // Assign only once the whole record is read: a damaged record leaves the font as it was.
    font.setName(std::move(name));
    font.setPixelsPerInch(platform::Font::kScreenPixelsPerInch);
    if (size < 0)
        font.setHeight(size);
    else
        font.setSize(size);
    font.setStyle(stylesFromStored(style));
    font.setColor(colour);
    font.setCharset(charset);
}

void writeFont(platform::Stream& s, const platform::Font& font)
{
    std::int32_t height = font.height();
    if (font.pixelsPerInch() != platform::Font::kScreenPixelsPerInch)
        height = -platform::mulDiv(font.size(), platform::Font::kScreenPixelsPerInch, 72);
    writeString(s, font.name());
    writeInteger(s, height);
    writeWord(s, storedFromStyles(font.style()));
    writeColour(s, font.color());
    writeWord(s, static_cast<std::uint16_t>(font.charset()));
}
