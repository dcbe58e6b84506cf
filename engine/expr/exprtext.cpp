// Scanning of expression text shared by the parser and the function splitter.
// Every walk steps over double-byte characters whole, so a trail byte that
// looks like "[" or "'" never counts.
#include "expr/exprtext.h"

#include "platform/gbk.h"

namespace exprtext {

std::size_t findQuoteEnd(std::string_view text, std::size_t open)
{
    std::size_t i = open + 1;
    while (i < text.size()) {
        if (text[i] == '\'') {
            if (i + 1 < text.size() && text[i + 1] == '\'') {
                i += 2;
                continue;
            }
            return i;
        }
        i += platform::charLength(text, i);
    }
    return npos;
}

std::size_t findMatchingBracket(std::string_view text, std::size_t open)
{
    int depth = 0;
    bool inSingle = false;
    bool inDouble = false;
    for (std::size_t i = open; i < text.size(); i += platform::charLength(text, i)) {
        char c = text[i];
        if (c == '"' && !inSingle)
            inDouble = !inDouble;
        else if (c == '\'' && !inDouble)
            inSingle = !inSingle;
        else if (!inSingle && !inDouble) {
            if (c == '[')
                ++depth;
            else if (c == ']' && --depth == 0)
                return i;
        }
    }
    return npos;
}

bool isTokenDelimiter(char c)
{
    switch (c) {
    case '\r': case ' ': case '(': case ')': case '*': case '+':
    case '-': case '/': case '<': case '=': case '>': case '[': case ';':
        return true;
    default:
        return false;
    }
}

std::string_view readToken(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ')
        ++pos;
    std::size_t start = pos;
    bool inDouble = false;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '"')
            inDouble = !inDouble;
        else if (!inDouble && isTokenDelimiter(c))
            break;
        pos += platform::charLength(text, pos);
    }
    return text.substr(start, pos - start);
}

void scanArguments(std::string_view text, std::size_t& pos, CallArguments& arguments)
{
    arguments.items.fill({});
    arguments.count = 0;
    int depth = 1;
    bool inQuote = false;
    std::size_t start = pos;
    std::size_t i = pos;
    for (; i < text.size(); i += platform::charLength(text, i)) {
        char c = text[i];
        if (c == '\'') {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote)
            continue;
        if (c == '(')
            ++depth;
        else if (c == ')' && --depth == 0)
            break;
        else if (c == ',' && depth == 1) {
            if (arguments.count + 1 >= CallArguments::kMax)
                throw EKSExpressionError("Too many arguments in a function call (at most 10)");
            arguments.items[arguments.count++] = text.substr(start, i - start);
            start = i + 1;
        }
    }
    if (depth != 0)
        throw EKSExpressionError("Missing ')' in a function call");
    arguments.items[arguments.count++] = text.substr(start, i - start);
    pos = i + 1;
}

std::string_view trimmed(std::string_view text)
{
    std::size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    std::size_t last = text.size();
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

} // namespace exprtext
