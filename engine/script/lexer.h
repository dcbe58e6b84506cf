// TKSInterpreterParser: the script lexer. Reads token texts from a source and
// classifies them; tokenize() lexes a whole source once into a token array.
#pragma once

#include "platform/variant.h"
#include "script/tokens.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The literal value a token carries (identifiers: their text).
enum class TKSLiteralKind : uint8_t { None, Integer, Float, String, Boolean };

struct TKSToken {
    int start = 0;          // offset of the token's first character
    int end = 0;            // offset just after it: the lexer position after reading it
    int code = tok::EndOfText;
    int symbol = -1;        // interned name for identifiers and keywords
    int errorCode = 0;      // non-zero: the lexer failed here and reading this token raises it
    int errorPosition = -1;
    TKSLiteralKind kind = TKSLiteralKind::None;
    int32_t intValue = 0;   // Integer literal, Boolean (0/1)
    double floatValue = 0;  // Float literal, or an integer literal beyond 32 bits
    bool bigInteger = false;
    std::string text;       // the token text as the lexer returns it
    std::string stringValue; // String literal: the text between the quotes
    platform::Variant value; // the literal's value, ready to copy into an operand
};

// A source lexed once: the token array always ends with an end-of-text token.
struct TKSTokenStream {
    std::string source;
    std::vector<TKSToken> tokens;
};

class TKSInterpreterParser {
public:
    void setSource(std::string source);
    const std::string& source() const { return source_; }

    // Skips blanks and comments and returns the next token's text (empty at the
    // end); raises error 101 for a broken comment.
    std::string readToken();
    int position() const { return position_; }
    void setPosition(int position);
    // Start offset of the token that readToken returned last.
    int tokenStart() const { return tokenStart_; }

    static int classify(std::string_view text);
    // Fills the literal value of a classified token (raises error 2 for a float
    // literal that does not convert).
    static void decodeLiteral(TKSToken& token);

    // The whole source as tokens; lexer errors become error tokens.
    static std::shared_ptr<const TKSTokenStream> tokenize(std::string source);

private:
    std::string source_;
    int position_ = 0;
    int tokenStart_ = 0;
};
