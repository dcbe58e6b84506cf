// Stream primitives: exact encodings, round trips, strings, text blocks and
// damaged input (truncation at every byte of a record).
#include "core/picture_record.h"
#include "core/streamio.h"

#include <gtest/gtest.h>

#include <functional>

using platform::MemoryStream;
using platform::StreamError;

namespace {

std::string written(const std::function<void(platform::Stream&)>& write)
{
    MemoryStream s;
    write(s);
    return s.toString();
}

} // namespace

struct NumberCase {
    const char* name;
    std::function<void(platform::Stream&)> write;
    std::string bytes;
    std::function<std::int64_t(platform::Stream&)> read;
    std::int64_t value;
};

TEST(StreamPrimitives, NumbersAreLittleEndianAndRoundTrip)
{
    const NumberCase cases[] = {
        {"byte", [](auto& s) { writeByte(s, 0xAB); }, "\xAB", [](auto& s) { return readByte(s); }, 0xAB},
        {"true", [](auto& s) { writeBoolean(s, true); }, "\x01", [](auto& s) { return readBoolean(s); }, 1},
        {"false", [](auto& s) { writeBoolean(s, false); }, std::string(1, '\0'),
         [](auto& s) { return readBoolean(s); }, 0},
        {"word", [](auto& s) { writeWord(s, 0xBEEF); }, "\xEF\xBE", [](auto& s) { return readWord(s); }, 0xBEEF},
        {"integer", [](auto& s) { writeInteger(s, -2); }, "\xFE\xFF\xFF\xFF",
         [](auto& s) { return readInteger(s); }, -2},
        {"integer min", [](auto& s) { writeInteger(s, INT32_MIN); }, std::string("\0\0\0\x80", 4),
         [](auto& s) { return readInteger(s); }, INT32_MIN},
        {"longword", [](auto& s) { writeLongWord(s, 0x80000001u); }, std::string("\x01\0\0\x80", 4),
         [](auto& s) { return readLongWord(s); }, 0x80000001LL},
        {"colour", [](auto& s) { writeColour(s, 0x00123456); }, std::string("\x56\x34\x12\0", 4),
         [](auto& s) { return readColour(s); }, 0x123456},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = written(c.write);
        EXPECT_EQ(bytes, c.bytes);
        MemoryStream in(bytes);
        EXPECT_EQ(c.read(in), c.value);
        EXPECT_EQ(in.remaining(), 0);
    }
}

TEST(StreamPrimitives, AnyNonZeroByteReadsAsTrue)
{
    MemoryStream in(std::string_view("\x7F\xFF", 2));
    EXPECT_TRUE(readBoolean(in));
    EXPECT_TRUE(readBoolean(in));
}

TEST(StreamPrimitives, StringsAreWordCounted)
{
    EXPECT_EQ(written([](auto& s) { writeString(s, ""); }), std::string(2, '\0'));
    const std::string gbk = "\xB5\xD8\xD6\xB7\xA3\xBA" "A1";  // 地址：A1
    const std::string bytes = written([&](auto& s) { writeString(s, gbk); });
    EXPECT_EQ(bytes, std::string("\x08\0", 2) + gbk);
    MemoryStream in(bytes);
    EXPECT_EQ(readString(in), gbk);
}

TEST(StreamPrimitives, OverlongStringIsCutOnACharacterBoundary)
{
    struct Case {
        std::string text;
        std::size_t stored;
    } cases[] = {
        {std::string(65535, 'a'), 65535},
        {std::string(70000, 'a'), 65535},
        // A double-byte character straddling the limit goes entirely.
        {std::string(65534, 'a') + "\xB5\xD8" + "tail", 65534},
        {std::string(65533, 'a') + "\xB5\xD8" + "tail", 65535},
    };
    for (const auto& c : cases) {
        MemoryStream s;
        writeString(s, c.text);
        writeByte(s, 0x5A);  // what follows must stay framed
        s.seek(0);
        const std::string back = readString(s);
        EXPECT_EQ(back.size(), c.stored);
        EXPECT_EQ(back, c.text.substr(0, c.stored));
        EXPECT_EQ(readByte(s), 0x5A);
    }
}

TEST(StreamPrimitives, TextBlockSplitsAtEveryKindOfLineBreak)
{
    struct Case {
        std::string block;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\xB5\xD8\r\n\xD6\xB7", {"\xB5\xD8", "\xD6\xB7"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        MemoryStream s;
        writeInteger(s, static_cast<std::int32_t>(c.block.size()));
        s.write(c.block.data(), c.block.size());
        s.seek(0);
        EXPECT_EQ(readTextBlock(s), c.lines);
        EXPECT_EQ(s.remaining(), 0);
    }
}

TEST(StreamPrimitives, TextBlockWritesEachLineWithCrLf)
{
    const std::vector<std::string> lines = {"begin", "", "end."};
    const std::string bytes = written([&](auto& s) { writeTextBlock(s, lines); });
    EXPECT_EQ(bytes, std::string("\x0F\0\0\0", 4) + "begin\r\n\r\nend.\r\n");
    MemoryStream in(bytes);
    EXPECT_EQ(readTextBlock(in), lines);
    EXPECT_EQ(written([](auto& s) { writeTextBlock(s, {}); }), std::string(4, '\0'));
}

TEST(StreamPrimitives, TextBlockCountAtOrBelowZeroIsEmpty)
{
    for (std::int32_t count : {0, -1, INT32_MIN}) {
        MemoryStream s;
        writeInteger(s, count);
        writeByte(s, 7);
        s.seek(0);
        EXPECT_TRUE(readTextBlock(s).empty());
        EXPECT_EQ(readByte(s), 7);  // only the count was consumed
    }
}

TEST(StreamPrimitives, TextBlockCountPastTheEndIsAnError)
{
    for (std::int32_t count : {5, INT32_MAX}) {
        MemoryStream s;
        writeInteger(s, count);
        s.write("abcd", 4);
        s.seek(0);
        EXPECT_THROW(readTextBlock(s), StreamError) << count;
    }
}

TEST(StreamPrimitives, PatchedEndPositionPointsBehindTheData)
{
    MemoryStream s;
    writeByte(s, 1);
    const std::int64_t at = writeEndPositionPlaceholder(s);
    s.write("data", 4);
    patchEndPosition(s, at);
    EXPECT_EQ(s.position(), s.size());
    s.seek(at);
    EXPECT_EQ(readInteger(s), 9);
}

// Every record must refuse every truncated form of itself with StreamError:
// never read past the end, never return garbage silently.
TEST(StreamPrimitives, TruncationAtEveryByteRaisesStreamError)
{
    platform::Graphic jpegBytes(platform::GraphicKind::Jpeg);
    jpegBytes.loadFromBytes("\xFF\xD8 not really a picture");
    const std::string full = written([&](auto& s) {
        writeByte(s, 3);
        writeBoolean(s, true);
        writeWord(s, 300);
        writeInteger(s, -7);
        writeLongWord(s, 9);
        writeColour(s, 0xFF);
        writeString(s, "name\xB5\xD8");
        writeTextBlock(s, {"line 1", "line 2"});
        writePicture(s, &jpegBytes);
    });
    auto readAll = [](platform::Stream& s) {
        readByte(s);
        readBoolean(s);
        readWord(s);
        readInteger(s);
        readLongWord(s);
        readColour(s);
        readString(s);
        readTextBlock(s);
        return readPicture(s);
    };
    MemoryStream whole(full);
    ASSERT_NE(readAll(whole), nullptr);
    EXPECT_EQ(whole.remaining(), 0);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        MemoryStream prefix = MemoryStream::wrap(full.data(), cut);
        EXPECT_THROW(readAll(prefix), StreamError) << "cut at " << cut;
    }
}

namespace {

std::string fontRecord(std::int32_t size, std::uint16_t style)
{
    return written([&](auto& s) {
        writeString(s, "\xCB\xCE\xCC\xE5");  // 宋体
        writeInteger(s, size);
        writeWord(s, style);
        writeColour(s, 0x0000FF);
        writeWord(s, 134);
    });
}

} // namespace

TEST(StreamPrimitives, FontRecordSizesAndSwappedStyleBits)
{
    using namespace platform;
    struct Case {
        std::int32_t size;
        std::uint16_t style;
        int points, height;
        FontStyles styles;
    } cases[] = {
        {9, 0, 9, -12, 0},
        {-12, 0, 9, -12, 0},
        {-13, 1, 10, -13, fsItalic},
        {0, 2, 0, 0, fsBold},
        {10, 0xFFF0 | 4 | 8, 10, -13, fsUnderline | fsStrikeOut},  // higher bits ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        MemoryStream in(fontRecord(c.size, c.style));
        Font font;
        readFont(in, font);
        EXPECT_EQ(font.name(), "\xCB\xCE\xCC\xE5");
        EXPECT_EQ(font.size(), c.points);
        EXPECT_EQ(font.height(), c.height);
        EXPECT_EQ(font.style(), c.styles);
        EXPECT_EQ(font.color(), 0x0000FF);
        EXPECT_EQ(font.charset(), 134);
        EXPECT_EQ(in.remaining(), 0);
    }
}

TEST(StreamPrimitives, FontIsWrittenAsNegativePixelHeight)
{
    platform::Font font;
    font.setName("Arial");
    font.setSize(9);
    font.setStyle(platform::fsBold | platform::fsStrikeOut);
    font.setColor(0x123456);
    font.setCharset(134);
    const std::string bytes = written([&](auto& s) { writeFont(s, font); });
    EXPECT_EQ(bytes, std::string("\x05\0Arial\xF4\xFF\xFF\xFF\x0A\0\x56\x34\x12\0\x86\0", 19));
    MemoryStream in(bytes);
    platform::Font back;
    readFont(in, back);
    EXPECT_EQ(back, font);

    // A font at printer resolution is stored at the 96 pixels per inch readers assume.
    platform::Font printerFont;
    printerFont.setPixelsPerInch(600);
    printerFont.setSize(9);
    MemoryStream out;
    writeFont(out, printerFont);
    out.seek(0);
    readFont(out, back);
    EXPECT_EQ(back.height(), -12);
}

TEST(StreamPrimitives, TruncatedFontLeavesTheFontUnchanged)
{
    const std::string full = fontRecord(9, 2);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        MemoryStream in = MemoryStream::wrap(full.data(), cut);
        platform::Font font;
        const platform::Font before = font;
        EXPECT_THROW(readFont(in, font), StreamError) << cut;
        EXPECT_EQ(font, before);
    }
}
