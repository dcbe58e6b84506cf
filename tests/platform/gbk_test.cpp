// GBK text: character boundaries, UTF-8 conversion, case mapping, name rule,
// and the QString edge.
#include "platform/gbk.h"
#include "platform/qtext.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(GbkChars, LeadByteStartsATwoByteCharacter)
{
    const std::string text = "a\xC1\xAA" "b\xC1";  // a 联? b, lone lead byte at the end
    EXPECT_EQ(platform::charLength(text, 0), 1u);
    EXPECT_EQ(platform::charLength(text, 1), 2u);
    EXPECT_EQ(platform::charLength(text, 3), 1u);
    EXPECT_EQ(platform::charLength(text, 4), 1u);
}

TEST(GbkConversion, ToUtf8AndBack)
{
    struct Case {
        const char* gbk;
        const char* utf8;
        bool roundTrips;  // utf8ToGbk(utf8) gives gbk again
    };
    const Case cases[] = {
        {"", "", true},
        {"Tearvello 1.0", "Tearvello 1.0", true},
        {"\xC1\xAA\xCF\xB5\xB5\xE7\xBB\xB0\xA3\xBA" "138", "联系电话：138", true},
        {"\xB5\xD8\xD6\xB7", "地址", true},
        {"\x81\x61\x81\x5B", "乤乕", true},                     // trail bytes 'a' and '['
        {"ab\xC1", "ab\xEF\xBF\xBD", false},                    // lone lead byte at the end
        {"\xC1\x20x", "\xEF\xBF\xBD x", false},                 // lead byte before a blank
        {"\xFF" "a", "\xEF\xBF\xBD" "a", false},                // never a GBK byte
        {"\xA1\x40" "b", "\xEF\xBF\xBD" "b", false},            // well-formed but unmapped pair
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
        if (c.roundTrips) {
            EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
        }
    }
}

TEST(GbkConversion, Utf8ThatGbkCannotHoldBecomesQuestionMarks)
{
    struct Case {
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        {"a\xED\x95\x9C" "b", "a?b"},             // Hangul 한 has no GBK code
        {"\xF0\x9F\x98\x80!", "?!"},              // emoji
        {"x\xC3", "x?"},                          // truncated sequence at the end
        {"\xE4\xB8" "z", "?z"},                   // truncated three-byte sequence
        {"\x80\x80", "??"},                       // stray continuation bytes
        {std::string("a\0b", 3), std::string("a\0b", 3)},  // embedded zero byte kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gbk);
        EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
    }
}

TEST(GbkConversion, LongMixedTextSurvivesBufferBoundaries)
{
    std::string gbk, utf8;
    for (int i = 0; i < 700; ++i) {
        gbk += "\xC1\xAA" "a";
        utf8 += "联a";
    }
    gbk += "\xC1";  // broken tail after more than one conversion buffer
    utf8 += "\xEF\xBF\xBD";
    EXPECT_EQ(gbkToUtf8(gbk), utf8);
}

TEST(GbkCase, OnlySingleByteLettersChange)
{
    struct Case {
        const char* text;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {"Memo1", "MEMO1", "memo1"},
        {"\x81\x61x", "\x81\x61X", "\x81\x61x"},            // trail 'a' kept
        {"\x81\x41x", "\x81\x41X", "\x81\x41x"},            // trail 'A' kept by lowerCase
        {"\x81\x5B\x81\x5D", "\x81\x5B\x81\x5D", "\x81\x5B\x81\x5D"},  // trails '[' ']'
        {"z\xC1", "Z\xC1", "z\xC1"},                        // lone lead byte at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(upperCase(c.text), c.upper);
        EXPECT_EQ(lowerCase(c.text), c.lower);
    }
}

TEST(GbkCase, CompareIgnoringCaseAndTheNameRule)
{
    struct Case {
        const char* a;
        const char* b;
        int order;      // sign of compareTextIgnoreCase
        bool sameName;
    };
    const Case cases[] = {
        {"Memo1", "MEMO1", 0, true},
        {"memo1", "memo2", -1, false},
        {"Memo1", "Memo1 ", -1, false},                     // trailing blank: not the same name
        {"\xC1\xAA" "a", "\xC1\xAA" "A", 0, true},
        {"\x81\x61", "\x81\x41", 1, false},                 // trail bytes are not letters
        {"b", "\xC1\xAA", -1, false},                       // GBK bytes sort after ASCII
        {"", "", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        int order = compareTextIgnoreCase(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order);
        EXPECT_EQ(-compareTextIgnoreCase(c.b, c.a) > 0, c.order > 0);
        EXPECT_EQ(sameName(c.a, c.b), c.sameName);
    }
}

TEST(QtText, GbkToQStringAndBack)
{
    const std::string gbk = "\xC1\xAA\xCF\xB5\xB5\xE7\xBB\xB0: 138";
    QString text = toQString(gbk);
    EXPECT_EQ(text, QString::fromUtf8("联系电话: 138"));
    EXPECT_EQ(fromQString(text), gbk);
    EXPECT_EQ(fromQString(QString::fromUtf8("한")), "?");
    EXPECT_EQ(toQString("\xC1"), QString(QChar(0xFFFD)));
}
