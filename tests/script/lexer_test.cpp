// Tests of the script lexer: token splitting, classification, literal values,
// comments and malformed input.
#include "script/error.h"
#include "script/lexer.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::string> lexAll(const std::string& source)
{
    TKSInterpreterParser parser;
    parser.setSource(source);
    std::vector<std::string> out;
    for (std::string t = parser.readToken(); !t.empty(); t = parser.readToken())
        out.push_back(t);
    return out;
}

std::vector<std::string> tokenTexts(const std::string& source)
{
    auto stream = TKSInterpreterParser::tokenize(source);
    std::vector<std::string> out;
    for (const TKSToken& t : stream->tokens)
        if (t.code != tok::EndOfText)
            out.push_back(t.text);
    return out;
}

struct SplitCase {
    const char* source;
    std::vector<std::string> tokens;
};

TEST(ScriptLexer, SplitsTokensTheSameWayInBothModes)
{
    const SplitCase cases[] = {
        {"a:=1", {"a", ":", "=", "1"}},
        {"x[1..5]", {"x", "[", "1", "..", "5", "]"}},
        {"1.5 1.2.3", {"1.5", "1.2.3"}},
        {"1e5", {"1", "e5"}},
        {"a<>b<=c>=d<e>f", {"a", "<>", "b", "<=", "c", ">=", "d", "<", "e", ">", "f"}},
        {"'it''s'", {"'it's'"}},
        {"''''", {"'''"}},
        {"''", {"''"}},
        {"#65#321", {"'A'", "'A'"}},
        {"'a'#13#10", {"'a'", "'\r'", "'\n'"}},
        {"$1F $ #x", {"$1F", "$", "#", "x"}},
        {"a { c } b (* d *) c // e\r\nf", {"a", "b", "c", "f"}},
        {"\xB5\xD8x", {"\xB5", "\xD8", "x"}},
        {"'open", {"'open"}},
    };
    for (const SplitCase& c : cases) {
        std::string source = c.source;
        EXPECT_EQ(lexAll(source), c.tokens) << c.source;
        EXPECT_EQ(tokenTexts(source), c.tokens) << c.source;
    }
    std::string withZero("a\0b", 3);
    EXPECT_EQ(tokenTexts(withZero), std::vector<std::string>{"a"});
}

TEST(ScriptLexer, ClassifiesTokenTexts)
{
    const std::pair<const char*, int> cases[] = {
        {"", tok::EndOfText},     {"abc_1", tok::Identifier}, {"_", tok::Identifier},
        {"7", tok::IntegerLit},   {"$fF", tok::IntegerLit},   {"12.5", tok::FloatLit},
        {"1.2.3", tok::Invalid},  {"'x'", tok::StringLit},    {"'open", tok::Invalid},
        {"Begin", tok::Begin},    {"BEGIN", tok::Begin},      {"beginx", tok::Identifier},
        {"implementation", tok::Implementation},              {"DownTo", tok::Downto},
        {"xor", tok::Identifier}, {"nil", tok::Identifier},   {"with", tok::Identifier},
        {"..", tok::DotDot},      {"\"", tok::DoubleQuote},   {"@", tok::Invalid},
        {"\xB5", tok::Invalid},   {"True", tok::True},        {"false", tok::False},
        {"div", tok::Div},        {"mod", tok::Mod},          {"<>", tok::NotEqual},
    };
    for (auto [text, code] : cases)
        EXPECT_EQ(TKSInterpreterParser::classify(text), code) << text;
}

TEST(ScriptLexer, AllKeywordsAreFoundAndNothingElse)
{
    const char* words[] = {"true", "false", "or", "and", "not", "div", "mod", "begin", "end", "if", "then",
                           "else", "while", "do", "repeat", "until", "procedure", "function", "for", "to",
                           "break", "continue", "var", "try", "finally", "except", "on", "raise", "external",
                           "unit", "uses", "const", "public", "private", "protected", "published", "property",
                           "class", "type", "interface", "implementation", "exit", "array", "of", "case",
                           "program", "in", "record", "downto"};
    for (const char* w : words) {
        EXPECT_NE(keywordCode(w), 0) << w;
        EXPECT_EQ(keywordCode(std::string(w) + "x"), 0) << w;
    }
    for (const char* w : {"a", "ends", "procedur", "goto", "shl", "xx", "implementations"})
        EXPECT_EQ(keywordCode(w), 0) << w;
}

TEST(ScriptLexer, DecodesLiteralValues)
{
    auto stream = TKSInterpreterParser::tokenize("'it''s' '''' '' #65 $FF $FFFFFFFF 2147483647 3000000000 2.5 TRUE");
    const auto& t = stream->tokens;
    EXPECT_EQ(t[0].stringValue, "it's");
    EXPECT_EQ(t[1].stringValue, "'");
    EXPECT_EQ(t[2].stringValue, "");
    EXPECT_EQ(t[3].stringValue, "A");
    EXPECT_EQ(t[4].intValue, 255);
    EXPECT_EQ(t[5].intValue, -1);
    EXPECT_EQ(t[6].intValue, 2147483647);
    EXPECT_TRUE(t[7].bigInteger);
    EXPECT_DOUBLE_EQ(t[7].floatValue, 3000000000.0);
    EXPECT_DOUBLE_EQ(t[8].floatValue, 2.5);
    EXPECT_EQ(t[9].kind, TKSLiteralKind::Boolean);
    EXPECT_EQ(t[9].intValue, 1);
    EXPECT_EQ(t[0].start, 0);
    EXPECT_EQ(t[0].end, 7);
}

TEST(ScriptLexer, BrokenCommentsRaiseErrorInRemarkAtTheirStart)
{
    const std::pair<const char*, int> cases[] = {
        {"a { open", 2}, {"a (* open *", 2}, {"ab } c", 3}, {"x *) y", 2},
    };
    for (auto [source, position] : cases) {
        TKSInterpreterParser parser;
        parser.setSource(source);
        parser.readToken();
        try {
            parser.readToken();
            ADD_FAILURE() << source;
        } catch (const EKSInterpreterError& e) {
            EXPECT_EQ(e.code, kserr::Remark) << source;
            EXPECT_EQ(e.position, position) << source;
            EXPECT_EQ(e.message, "Error in remark");
        }
        // The token array keeps the error as a token that raises when it is read.
        auto stream = TKSInterpreterParser::tokenize(source);
        ASSERT_GE(stream->tokens.size(), 2u);
        EXPECT_EQ(stream->tokens[1].errorCode, kserr::Remark) << source;
        EXPECT_EQ(stream->tokens[1].errorPosition, position) << source;
    }
}

TEST(ScriptLexer, PositionsCanBeSavedAndRestored)
{
    TKSInterpreterParser parser;
    parser.setSource("while x do y");
    parser.readToken();
    const int saved = parser.position();
    EXPECT_EQ(parser.readToken(), "x");
    EXPECT_EQ(parser.tokenStart(), 6);
    parser.readToken();
    parser.setPosition(saved);
    EXPECT_EQ(parser.readToken(), "x");
    parser.setPosition(1000);
    EXPECT_EQ(parser.readToken(), "");
    EXPECT_EQ(parser.readToken(), "");
}

TEST(ScriptLexer, ArbitraryBytesNeverCrashTheLexer)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string source(random() % 40, '\0');
        for (char& c : source)
            c = char(random() % 256);
        try {
            auto stream = TKSInterpreterParser::tokenize(source);
            ASSERT_FALSE(stream->tokens.empty());
            EXPECT_EQ(stream->tokens.back().code, tok::EndOfText);
        } catch (const EKSInterpreterError& e) {
            EXPECT_EQ(e.code, kserr::Internal);
        }
    }
}

} // namespace
