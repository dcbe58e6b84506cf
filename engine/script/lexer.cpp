// The script lexer: skipping of blanks and comments, token scanning and the
// classification of token texts into codes and literal values.
#include "script/lexer.h"

#include "script/error.h"
#include "script/symbols.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <climits>

using platform::Variant;

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

struct Scanned {
    int start = 0;
    int end = 0;
    std::string text;
};

// The source up to its terminating zero byte: nothing after a zero is ever read.
std::string_view effectiveText(std::string_view source)
{
    auto zero = source.find('\0');
    return zero == std::string_view::npos ? source : source.substr(0, zero);
}

// Skips blanks and comments from pos; returns the new position.
int skipBlanks(std::string_view s, int pos)
{
    const int n = int(s.size());
    for (;;) {
        const int before = pos;
        while (pos < n && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r'))
            ++pos;
        if (pos < n && s[pos] == '{') {
            auto close = s.find('}', std::size_t(pos) + 1);
            if (close == std::string_view::npos)
                throw EKSInterpreterError(kserr::Remark, pos);
            pos = int(close) + 1;
        } else if (pos + 1 < n && s[pos] == '(' && s[pos + 1] == '*') {
            auto close = s.find("*)", std::size_t(pos) + 2);
            if (close == std::string_view::npos)
                throw EKSInterpreterError(kserr::Remark, pos);
            pos = int(close) + 2;
        } else if (pos + 1 < n && s[pos] == '/' && s[pos + 1] == '/') {
            while (pos < n && s[pos] != '\n' && s[pos] != '\r')
                ++pos;
        } else if (pos < n && s[pos] == '}') {
            throw EKSInterpreterError(kserr::Remark, pos);
        } else if (pos + 1 < n && s[pos] == '*' && s[pos + 1] == ')') {
            throw EKSInterpreterError(kserr::Remark, pos);
        }
        if (pos == before)
            return pos;
    }
}

Scanned scanQuoted(std::string_view s, int pos)
{
    const int n = int(s.size());
    Scanned out{pos, pos, "'"};
    int i = pos + 1;
    for (;;) {
        if (i >= n) {  // no closing quote: the rest of the text, classified as invalid
            out.end = n;
            return out;
        }
        if (s[i] == '\'') {
            if (i + 1 < n && s[i + 1] == '\'') {
                out.text += '\'';
                i += 2;
                continue;
            }
            out.text += '\'';
            out.end = i + 1;
            return out;
        }
        out.text += s[i++];
    }
}

Scanned scanToken(std::string_view s, int pos)
{
    const int n = int(s.size());
    Scanned out{pos, pos, {}};
    if (pos >= n)
        return out;
    const char c = s[pos];
    int i = pos;
    if (isDigit(c)) {
        while (i < n && (isDigit(s[i]) || s[i] == '.')) {
            if (s[i] == '.' && i + 1 < n && s[i + 1] == '.')
                break;
            ++i;
        }
    } else if (isLetter(c)) {
        while (i < n && (isLetter(s[i]) || isDigit(s[i])))
            ++i;
    } else if (c == '$' && i + 1 < n && isHexDigit(s[i + 1])) {
        ++i;
        while (i < n && isHexDigit(s[i]))
            ++i;
    } else if (c == '\'') {
        return scanQuoted(s, pos);
    } else if (c == '#' && i + 1 < n && isDigit(s[i + 1])) {
        ++i;
        unsigned code = 0;
        while (i < n && isDigit(s[i]))
            code = (code * 10 + unsigned(s[i++] - '0')) % 256;
        out.end = i;
        out.text = std::string("'") + char(code) + "'";
        return out;
    } else if (i + 1 < n && ((c == '.' && s[i + 1] == '.') || (c == '>' && s[i + 1] == '=') ||
                             (c == '<' && (s[i + 1] == '=' || s[i + 1] == '>')))) {
        i += 2;
    } else {
        i += 1;
    }
    out.end = i;
    out.text.assign(s.substr(std::size_t(pos), std::size_t(i - pos)));
    return out;
}

bool onlyDigitsAndOneDot(std::string_view text, bool& hasDot)
{
    hasDot = false;
    for (char c : text) {
        if (c == '.') {
            if (hasDot)
                return false;
            hasDot = true;
        } else if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

void TKSInterpreterParser::setSource(std::string source)
{
    source_ = std::move(source);
    position_ = 0;
    tokenStart_ = 0;
}

void TKSInterpreterParser::setPosition(int position)
{
    position_ = std::max(0, std::min(position, int(effectiveText(source_).size())));
}

std::string TKSInterpreterParser::readToken()
{
    std::string_view text = effectiveText(source_);
    position_ = skipBlanks(text, position_);
    Scanned scanned = scanToken(text, position_);
    tokenStart_ = scanned.start;
    position_ = scanned.end;
    return std::move(scanned.text);
}

int TKSInterpreterParser::classify(std::string_view text)
{
    if (text.empty())
        return tok::EndOfText;
    if (text.size() == 1) {
        switch (text[0]) {
        case '(': return tok::LParen;
        case ')': return tok::RParen;
        case '*': return tok::Star;
        case '+': return tok::Plus;
        case ',': return tok::Comma;
        case '-': return tok::Minus;
        case '.': return tok::Dot;
        case '/': return tok::Slash;
        case ':': return tok::Colon;
        case ';': return tok::Semicolon;
        case '<': return tok::Less;
        case '=': return tok::Equal;
        case '>': return tok::Greater;
        case '[': return tok::LBracket;
        case ']': return tok::RBracket;
        case '"': return tok::DoubleQuote;
        default:
            if (isDigit(text[0]))
                return tok::IntegerLit;
            if (isLetter(text[0]))
                return tok::Identifier;
            return tok::Invalid;
        }
    }
    if (text[0] == '$' && text.size() > 1) {
        bool allHex = true;
        for (char c : text.substr(1))
            allHex = allHex && isHexDigit(c);
        if (allHex)
            return tok::IntegerLit;
    }
    if (text == "..")
        return tok::DotDot;
    if (text == "<=")
        return tok::LessEqual;
    if (text == "<>")
        return tok::NotEqual;
    if (text == ">=")
        return tok::GreaterEqual;
    bool hasDot = false;
    if (onlyDigitsAndOneDot(text, hasDot) && isDigit(text[0]))
        return hasDot ? tok::FloatLit : tok::IntegerLit;
    if (text.front() == '\'' && text.back() == '\'')
        return tok::StringLit;
    if (int code = keywordCode(text))
        return code;
    if (isLetter(text[0])) {
        for (char c : text) {
            if (!isLetter(c) && !isDigit(c))
                return tok::Invalid;
        }
        return tok::Identifier;
    }
    return tok::Invalid;
}

void TKSInterpreterParser::decodeLiteral(TKSToken& token)
{
    const std::string& t = token.text;
    switch (token.code) {
    case tok::IntegerLit: {
        const bool hex = t[0] == '$';
        std::string_view digits = std::string_view(t).substr(hex ? 1 : 0);
        uint64_t value = 0;
        bool overflow = false;
        for (char c : digits) {
            unsigned d = isDigit(c) ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
            if (value > (UINT64_MAX >> 4) / 10) {  // keeps the arithmetic below exact
                overflow = true;
                break;
            }
            value = value * (hex ? 16 : 10) + d;
        }
        token.kind = TKSLiteralKind::Integer;
        token.value = Variant(0);
        if (!overflow && !hex && value <= uint64_t(INT32_MAX)) {
            token.intValue = int32_t(value);
        } else if (!overflow && hex && value <= UINT32_MAX) {
            token.intValue = int32_t(uint32_t(value));  // $FFFFFFFF reads as -1
        } else {
            // Beyond 32 bits the literal keeps its magnitude as a float.
            token.bigInteger = true;
            token.floatValue = overflow ? HUGE_VAL : double(value);
        }
        token.value = token.bigInteger ? Variant(token.floatValue) : Variant(int(token.intValue));
        break;
    }
    case tok::FloatLit: {
        double value = 0;
        std::string digits = t.back() == '.' ? t + "0" : t;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size())
            throw EKSInterpreterError(kserr::Internal, token.start, "invalid floating literal " + t);
        token.kind = TKSLiteralKind::Float;
        token.floatValue = value;
        token.value = Variant(value);
        break;
    }
    case tok::StringLit:
        token.kind = TKSLiteralKind::String;
        token.stringValue = t.substr(1, t.size() - 2);
        token.value = Variant(token.stringValue);
        break;
    case tok::True:
    case tok::False:
        token.kind = TKSLiteralKind::Boolean;
        token.intValue = token.code == tok::True;
        token.value = Variant(token.code == tok::True);
        break;
    default:
        break;
    }
    if (token.code == tok::Identifier || keywordCode(t) != 0)
        token.symbol = internSymbol(t);
}

std::shared_ptr<const TKSTokenStream> TKSInterpreterParser::tokenize(std::string source)
{
    auto stream = std::make_shared<TKSTokenStream>();
    stream->source = std::move(source);
    std::string_view text = effectiveText(stream->source);
    int pos = 0;
    for (;;) {
        TKSToken token;
        try {
            pos = skipBlanks(text, pos);
            Scanned scanned = scanToken(text, pos);
            token.start = scanned.start;
            token.end = scanned.end;
            token.text = std::move(scanned.text);
            token.code = classify(token.text);
            decodeLiteral(token);
        } catch (const EKSInterpreterError& e) {
            token = TKSToken{};
            token.start = token.end = e.position < 0 ? pos : e.position;
            token.errorCode = e.code;
            token.errorPosition = e.position;
            token.text = e.name1;
            stream->tokens.push_back(std::move(token));
            TKSToken end;
            end.start = end.end = int(text.size());
            stream->tokens.push_back(std::move(end));
            return stream;
        }
        pos = token.end;
        const bool atEnd = token.code == tok::EndOfText;
        stream->tokens.push_back(std::move(token));
        if (atEnd)
            return stream;
    }
}
