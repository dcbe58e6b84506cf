// Scanning of expression text shared by the parser and the function splitter:
// quoted literals, bracketed parts, tokens and the argument list of a call.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised for malformed expressions (unbalanced brackets or quotes, unknown
// operators, too many arguments, nesting too deep). The message says what.
class EKSExpressionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace exprtext {

constexpr std::size_t npos = std::string_view::npos;

// Index of the single quote closing the literal that opens at `open`; doubled
// quotes inside are part of the literal. npos when the text ends first.
std::size_t findQuoteEnd(std::string_view text, std::size_t open);

// Index of the "]" matching the "[" at `open`. Brackets nest; brackets inside
// single- or double-quoted text do not count; double-byte characters are
// skipped whole. npos when the text ends before the depth returns to 0.
std::size_t findMatchingBracket(std::string_view text, std::size_t open);

// True for the bytes that end a token: CR, blank, ( ) * + - / < = > [ and
// the ";" that ends an expression.
bool isTokenDelimiter(char c);

// Reads a token from `pos`: bytes up to 32 are skipped, then bytes are taken
// up to the next delimiter outside double quotes. `pos` moves past the token.
std::string_view readToken(std::string_view text, std::size_t& pos);

// The argument texts of a call, untrimmed, as written between the parentheses.
struct CallArguments {
    static constexpr int kMax = 10;
    std::array<std::string_view, kMax> items;
    int count = 0;
};

// Splits the argument list starting just after an opening parenthesis at
// `pos`; on return `pos` is just after the closing parenthesis. Raises
// EKSExpressionError for an unclosed list or more than ten arguments.
void scanArguments(std::string_view text, std::size_t& pos, CallArguments& arguments);

// The text with leading and trailing bytes at or below the blank removed.
std::string_view trimmed(std::string_view text);

} // namespace exprtext
