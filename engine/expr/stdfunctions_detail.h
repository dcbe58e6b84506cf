// Internal to the standard function library: argument access with the null
// rules of the function table, and the function groups the dispatch calls.
#pragma once

#include "expr/stdfunctions.h"

#include <optional>
#include <string>

namespace stdfunctions {

using platform::Variant;

// The arguments of one call, numbered from 1 and evaluated on demand, so that
// a function evaluates only what it needs and in the table's order.
class Call {
public:
    Call(TKSParser& parser, TKSArguments& arguments) : parser_(parser), arguments_(arguments) {}

    TKSParser& parser() const { return parser_; }
    TKSArguments& arguments() const { return arguments_; }
    // Argument n as written (text) or as handed in (value).
    const Variant& raw(int n) const { return arguments_[static_cast<std::size_t>(n - 1)]; }

    Variant value(int n) { return parser_.CalcArgument(raw(n)); }
    // null -> Integer 0
    Variant valueOrZero(int n);
    // null -> ''
    std::string textOrEmpty(int n);

private:
    TKSParser& parser_;
    TKSArguments& arguments_;
};

// Empty, Null or the empty text.
bool isEmptyText(const Variant& value);

// Each group answers the function's value, or nothing to keep the preset "0".
std::optional<Variant> callTextFunction(int number, Call& call);
std::optional<Variant> callNumberFunction(int number, Call& call);
std::optional<Variant> callDateFunction(int number, Call& call);
std::optional<Variant> callHostFunction(int number, Call& call);

} // namespace stdfunctions
