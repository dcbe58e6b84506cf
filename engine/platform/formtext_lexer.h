// Tokens of the window description format (internal to the form reader).
// Strings come out as GBK; numbers keep their text; every token has its line.
#pragma once

#include <string>
#include <string_view>

namespace platform::formtext {

struct Token {
    enum class Kind { End, Identifier, Integer, Float, String, Symbol, Binary };
    Kind kind = Kind::End;
    std::string text;  // identifier, number text, GBK string value, symbol or binary bytes
    int line = 1;

    bool is(Kind k, std::string_view t) const { return kind == k && text == t; }
    bool isSymbol(char c) const { return kind == Kind::Symbol && text.size() == 1 && text[0] == c; }
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) { advance(); }

    const Token& peek() const { return current_; }
    Token next();
    int line() const { return current_.line; }

private:
    void advance();
    void skipBlanks();
    void readString(Token& token);
    void readQuoted(std::string& out);
    void readCharCode(std::string& out);
    void readNumber(Token& token);
    void readBinary(Token& token);
    [[noreturn]] void fail(const std::string& message) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    Token current_;
};

} // namespace platform::formtext
