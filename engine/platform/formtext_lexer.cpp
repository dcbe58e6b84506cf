// Tokens of the window description format: identifiers, numbers, strings with
// quotes and character codes, symbols, and the hex digits of binary data.
#include "platform/formtext_lexer.h"

#include "platform/formtext.h"
#include "platform/gbk.h"

#include <cctype>
#include <charconv>

namespace platform::formtext {

namespace {

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// UTF-8 of one Unicode code point.
std::string utf8Of(char32_t cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

} // namespace

void Lexer::fail(const std::string& message) const
{
    throw FormTextError(line_, message);
}

Token Lexer::next()
{
    Token token = current_;
    advance();
    return token;
}

void Lexer::skipBlanks()
{
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\n')
            ++line_;
        else if (c != ' ' && c != '\t' && c != '\r')
            return;
        ++pos_;
    }
}

void Lexer::advance()
{
    skipBlanks();
    current_ = Token{};
    current_.line = line_;
    if (pos_ >= text_.size())
        return;
    char c = text_[pos_];
    if (isIdentStart(c)) {
        std::size_t start = pos_;
        while (pos_ < text_.size() && isIdentChar(text_[pos_]))
            ++pos_;
        current_.kind = Token::Kind::Identifier;
        current_.text = std::string(text_.substr(start, pos_ - start));
    } else if (c == '\'' || c == '#') {
        readString(current_);
    } else if (isDigit(c) || c == '$' || ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                                          (isDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '.'))) {
        readNumber(current_);
    } else if (c == '{') {
        readBinary(current_);
    } else if (std::string_view("=:[](),+<>.").find(c) != std::string_view::npos) {
        current_.kind = Token::Kind::Symbol;
        current_.text = std::string(1, c);
        ++pos_;
    } else {
        fail("Unexpected character '" + std::string(1, c) + "'");
    }
}

void Lexer::readString(Token& token)
{
    token.kind = Token::Kind::String;
    while (pos_ < text_.size()) {
        if (text_[pos_] == '\'')
            readQuoted(token.text);
        else if (text_[pos_] == '#')
            readCharCode(token.text);
        else
            break;
    }
}

// 'text' with '' for a quote; the UTF-8 text becomes GBK.
void Lexer::readQuoted(std::string& out)
{
    std::string utf8;
    ++pos_;
    while (true) {
        if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
            fail("Unterminated string");
        char c = text_[pos_++];
        if (c == '\'') {
            if (pos_ < text_.size() && text_[pos_] == '\'') {
                utf8 += '\'';
                ++pos_;
                continue;
            }
            break;
        }
        utf8 += c;
    }
    out += utf8ToGbk(utf8);
}

// #NNN or #$HH: a byte below 256, else a Unicode code point.
void Lexer::readCharCode(std::string& out)
{
    ++pos_;
    unsigned long code = 0;
    int base = 10;
    if (pos_ < text_.size() && text_[pos_] == '$') {
        base = 16;
        ++pos_;
    }
    std::size_t start = pos_;
    while (pos_ < text_.size() && (base == 16 ? hexValue(text_[pos_]) >= 0 : isDigit(text_[pos_])))
        ++pos_;
    auto [end, err] = std::from_chars(text_.data() + start, text_.data() + pos_, code, base);
    if (start == pos_ || err != std::errc() || code > 0x10FFFF)
        fail("Invalid character code");
    if (code < 256)
        out += static_cast<char>(code);
    else
        out += utf8ToGbk(utf8Of(static_cast<char32_t>(code)));
}

void Lexer::readNumber(Token& token)
{
    std::size_t start = pos_;
    token.kind = Token::Kind::Integer;
    if (text_[pos_] == '$') {
        ++pos_;
        while (pos_ < text_.size() && hexValue(text_[pos_]) >= 0)
            ++pos_;
        if (pos_ == start + 1)
            fail("Invalid number");
        token.text = std::string(text_.substr(start, pos_ - start));
        return;
    }
    if (text_[pos_] == '-' || text_[pos_] == '+')
        ++pos_;
    while (pos_ < text_.size() && isDigit(text_[pos_]))
        ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '.' && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1])) {
        token.kind = Token::Kind::Float;
        ++pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_]))
            ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
        std::size_t exp = pos_ + 1;
        if (exp < text_.size() && (text_[exp] == '+' || text_[exp] == '-'))
            ++exp;
        if (exp < text_.size() && isDigit(text_[exp])) {
            token.kind = Token::Kind::Float;
            pos_ = exp;
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
        }
    }
    token.text = std::string(text_.substr(start, pos_ - start));
    if (pos_ < text_.size() && isIdentChar(text_[pos_]))
        fail("Invalid number");
}

// {hex digits}, blanks and line breaks allowed between the digits.
void Lexer::readBinary(Token& token)
{
    token.kind = Token::Kind::Binary;
    ++pos_;
    int high = -1;
    while (true) {
        if (pos_ >= text_.size())
            fail("Unterminated binary data");
        char c = text_[pos_++];
        if (c == '}')
            break;
        if (c == '\n') {
            ++line_;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r')
            continue;
        int digit = hexValue(c);
        if (digit < 0)
            fail("Invalid binary data");
        if (high < 0) {
            high = digit;
        } else {
            token.text += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    if (high >= 0)
        fail("Binary data has an odd number of hex digits");
}

} // namespace platform::formtext
