// TKSEvalContext: variables and function libraries behind a parser, resolved
// in the order a report uses for names it has no dictionary entry for.
#include "expr/evalcontext.h"

#include "expr/functionlibrary.h"

#include <utility>

using platform::Variant;

TKSEvalContext::TKSEvalContext()
{
    parser_.Owner = this;
    parser_.OnGetValue = [this](std::string_view name, Variant& value) { getValue(name, value); };
    parser_.OnFunction = [this](std::string_view name, TKSArguments& arguments, bool& handled, Variant& value) {
        callFunction(name, arguments, handled, value);
    };
}

Variant TKSEvalContext::Evaluate(std::string_view expression)
{
    return parser_.Evaluate(expression);
}

void TKSEvalContext::getValue(std::string_view name, Variant& value)
{
    if (const Variant* variable = Variables.Find(name)) {
        value = *variable;
        return;
    }
    if (name != resolving_) {
        std::string saved = std::exchange(resolving_, std::string(name));
        try {
            value = parser_.Evaluate(name);
        } catch (...) {
            resolving_ = std::move(saved);
            throw;
        }
        resolving_ = std::move(saved);
        return;
    }
    TKSArguments none;
    none.fill(Variant(std::string()));
    value = Variant::null();
    CallFunctionLibraries(parser_, name, none, value);
}

void TKSEvalContext::callFunction(std::string_view name, TKSArguments& arguments, bool& handled, Variant& value)
{
    handled = CallFunctionLibraries(parser_, name, arguments, value);
    if (!handled)
        throw EKSExpressionError("Unknown function " + std::string(name));
}
