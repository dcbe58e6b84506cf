// TKSParser: converts bracketed expressions into a postfix form with one-byte
// operators and evaluates that form through its owner's value and function lookups.
#pragma once

#include "expr/exprtext.h"
#include "platform/variant.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Component;
}

class TKSParser;

// The ten arguments of a function call: the argument texts as written (missing
// ones empty), or values when the parser's ArgumentsAreValues is set.
using TKSArguments = std::array<platform::Variant, 10>;

// What a parser asks of the report that owns it beyond the two lookups. The
// defaults describe an owner without dictionary, aggregates or host window.
class TKSParserOwner {
public:
    virtual ~TKSParserOwner() = default;
    // Null operands of binary operators keep the variant rules when set.
    virtual bool StrictNulls() const { return false; }
    // FIELDISNULL: true when the text names a dataset field whose value is null.
    virtual bool FieldIsNull(std::string_view /*fieldReference*/) { return false; }
    // AVG, COUNT, MAX, MIN, SUM (kind codes 10 to 14); false when the owner
    // has no aggregate store, which makes the call an error.
    virtual bool CalcAggregate(TKSParser& /*parser*/, int /*kind*/, TKSArguments& /*arguments*/,
                               platform::Variant& /*result*/)
    {
        return false;
    }
    // The object whose owned components GETCONTROLPROPVALUE searches for a
    // plain name (the report's owner); null when there is none.
    virtual platform::Component* ComponentOwner() const { return nullptr; }
};

class TKSParser {
public:
    // Value of a name (upper-cased) or of a bracketed sub-expression (its text
    // unchanged). `value` holds the stack slot's previous content on entry.
    using ValueCallback = std::function<void(std::string_view name, platform::Variant& value)>;
    // A function call: the upper-cased name and the ten arguments. `handled`
    // starts false; `value` is pushed whatever the callback answers.
    using FunctionCallback = std::function<void(std::string_view name, TKSArguments& arguments,
                                                bool& handled, platform::Variant& value)>;

    // Calls nested deeper than this (sub-expressions, function arguments,
    // indexed names) raise EKSExpressionError instead of exhausting the stack.
    static constexpr int kMaxNesting = 200;

    TKSParser();
    ~TKSParser();
    TKSParser(const TKSParser&) = delete;
    TKSParser& operator=(const TKSParser&) = delete;

    bool ArgumentsAreValues = false;
    // Set while the script calls into expressions; the report clears it
    // before every build.
    bool ScriptCall = false;
    TKSParserOwner* Owner = nullptr;
    ValueCallback OnGetValue;
    FunctionCallback OnFunction;

    // The converted (postfix) form of an expression; EKSExpressionError for
    // malformed text.
    std::string Convert(std::string_view expression) const;
    // The value of a converted form; an empty form gives Integer 0.
    platform::Variant Calc(std::string_view converted);
    // A function argument's value: the value itself with ArgumentsAreValues,
    // else its text converted and evaluated.
    platform::Variant CalcArgument(const platform::Variant& argument);
    // Converts and evaluates an expression text.
    platform::Variant Evaluate(std::string_view expression);
    // A condition: the expression's value is true when it is not 0 (Null and
    // Empty are false).
    bool CalcCondition(std::string_view expression);
    static bool IsTrue(const platform::Variant& value);

    // Whether a name's expression form is just the name itself (the form the
    // report and the dictionary do not record as an alias).
    static bool IsPlainForm(std::string_view name, std::string_view converted);

private:
    class Evaluation;

    bool strictNulls() const { return Owner && Owner->StrictNulls(); }
    // Pushes the value of the token operand at `pos`; returns the position after it.
    std::size_t pushToken(Evaluation& work, std::string_view form, std::size_t pos);

    int depth_ = 0;
    // One evaluation workspace per nesting level, reused so that evaluating a
    // numeric form allocates nothing once warmed up.
    std::vector<std::unique_ptr<Evaluation>> workspaces_;
};
