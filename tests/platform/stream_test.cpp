// Memory and file streams: positions, short reads, read-only views, files.
#include "platform/stream.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::FileStream;
using platform::MemoryStream;
using platform::StreamError;

TEST(MemoryStream, WritesGrowAndReadBack)
{
    MemoryStream s;
    for (int i = 0; i < 1000; ++i)
        s.write("abc", 3);
    EXPECT_EQ(s.size(), 3000);
    EXPECT_EQ(s.position(), 3000);
    s.seek(2997);
    char buf[3];
    s.readExact(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_EQ(s.read(buf, 3), 0u);
}

TEST(MemoryStream, ShortReadThrowsAndConsumesNothing)
{
    MemoryStream s(std::string_view("12345"));
    s.seek(3);
    char buf[4];
    try {
        s.readExact(buf, 4);
        FAIL() << "no StreamError";
    } catch (const StreamError& e) {
        EXPECT_NE(std::string(e.what()).find("Stream read error"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("4 bytes expected"), std::string::npos);
    }
    EXPECT_EQ(s.position(), 3);
    EXPECT_EQ(s.read(buf, 4), 2u);
    EXPECT_EQ(std::string(buf, 2), "45");
}

TEST(MemoryStream, SeekPastEndReadsNothingAndWriteFillsGapWithZeros)
{
    MemoryStream s(std::string_view("ab"));
    s.seek(5);
    char c;
    EXPECT_EQ(s.read(&c, 1), 0u);
    EXPECT_THROW(s.readExact(&c, 1), StreamError);
    EXPECT_EQ(s.remaining(), 0);
    s.write("z", 1);
    EXPECT_EQ(s.bytes(), std::string_view("ab\0\0\0z", 6));
    EXPECT_THROW(s.seek(-1), StreamError);
}

TEST(MemoryStream, SetSizeTruncatesAndClampsPosition)
{
    MemoryStream s(std::string_view("abcdef"));
    s.seek(6);
    s.setSize(2);
    EXPECT_EQ(s.position(), 2);
    EXPECT_EQ(s.bytes(), "ab");
    s.setSize(4);
    EXPECT_EQ(s.bytes(), std::string_view("ab\0\0", 4));
}

TEST(MemoryStream, WrappedBytesAreReadOnlyAndSurviveMoves)
{
    const std::string owner = "wrapped";
    MemoryStream view = MemoryStream::wrap(owner.data(), owner.size());
    EXPECT_TRUE(view.readOnly());
    EXPECT_THROW(view.write("x", 1), StreamError);
    EXPECT_THROW(view.setSize(1), StreamError);
    view.seek(2);
    MemoryStream moved = std::move(view);
    char buf[5];
    moved.readExact(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "apped");
    EXPECT_EQ(view.size(), 0);

    MemoryStream owned(std::string_view("own"));
    MemoryStream target;
    target = std::move(owned);
    target.seekToEnd();
    target.write("ed", 2);
    EXPECT_EQ(target.bytes(), "owned");
}

TEST(MemoryStream, CopyFromTakesExactlyCountBytes)
{
    MemoryStream source(std::string_view("0123456789"));
    source.seek(2);
    MemoryStream target;
    target.copyFrom(source, 5);
    EXPECT_EQ(target.bytes(), "23456");
    EXPECT_EQ(source.position(), 7);
    EXPECT_THROW(target.copyFrom(source, 4), StreamError);
    EXPECT_THROW(target.copyFrom(source, -1), StreamError);
}

class FileStreamTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return QDir(dir.path()).filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(FileStreamTest, MissingFileNamesTheFile)
{
    const std::string missing = path("missing.bin");
    try {
        FileStream f(missing, FileStream::Mode::Read);
        FAIL() << "no StreamError";
    } catch (const StreamError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
}

TEST_F(FileStreamTest, CreateWriteReopenRead)
{
    const std::string file = path("data.bin");
    {
        FileStream f(file, FileStream::Mode::Create);
        f.write("hello world", 11);
        f.seek(0);
        f.write("J", 1);
        EXPECT_EQ(f.size(), 11);
    }
    FileStream f(file, FileStream::Mode::Read);
    EXPECT_EQ(f.size(), 11);
    char buf[11];
    f.readExact(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "Jello");
    EXPECT_THROW(f.readExact(buf, 7), StreamError);
    EXPECT_EQ(f.position(), 5);  // a failed read leaves the position alone
    EXPECT_THROW(f.write("x", 1), StreamError);
}

TEST_F(FileStreamTest, SetSizeAndCopyToMemory)
{
    const std::string file = path("sized.bin");
    FileStream f(file, FileStream::Mode::Create);
    f.write("abcdefgh", 8);
    f.setSize(3);
    EXPECT_EQ(f.size(), 3);
    EXPECT_EQ(f.position(), 3);
    f.seek(0);
    MemoryStream m;
    m.copyFrom(f, 3);
    EXPECT_EQ(m.bytes(), "abc");
}
