// TKSEvalContext: a stand-alone owner of a parser with the lookups a report
// provides (its variables and the registered function libraries), used where
// no report exists, such as the command-line tool.
#pragma once

#include "expr/parser.h"
#include "expr/variables.h"

#include <string>
#include <string_view>

class TKSEvalContext : public TKSParserOwner {
public:
    TKSEvalContext();
    TKSEvalContext(const TKSEvalContext&) = delete;
    TKSEvalContext& operator=(const TKSEvalContext&) = delete;

    // The report variables that names resolve to.
    TKSVariables Variables;
    // Null operands of binary operators keep the variant rules when set.
    bool Strict = false;

    TKSParser& Parser() { return parser_; }
    // Converts and evaluates an expression; errors propagate.
    platform::Variant Evaluate(std::string_view expression);

    bool StrictNulls() const override { return Strict; }

private:
    // Name resolution as a report does it without dictionary and objects:
    // a variable; else the name's expression form is evaluated (bracketed
    // sub-expressions); a name that resolves to itself is a function without
    // arguments, else Null.
    void getValue(std::string_view name, platform::Variant& value);
    // The registered function libraries in order; an unknown name is an error.
    void callFunction(std::string_view name, TKSArguments& arguments, bool& handled, platform::Variant& value);

    TKSParser parser_;
    std::string resolving_;  // recursion guard: the name being resolved
};
