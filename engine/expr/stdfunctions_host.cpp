// Standard functions that reach outside the expression: command-line
// arguments, host components' properties, message and input boxes, and the
// report's dictionary and aggregates through the parser's owner.
#include "expr/stdfunctions_detail.h"

#include "expr/exprtext.h"
#include "platform/component.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace stdfunctions {

namespace {

// The program's path (n = 0) or its n-th argument, as GBK; empty when absent.
std::string programArgument(int n)
{
    if (n == 0) {
        std::error_code error;
        std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error)
            return platform::utf8ToGbk(exe.string());
    }
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    for (int index = 0; start < all.size(); ++index) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        if (index == n)
            return platform::utf8ToGbk(std::string_view(all).substr(start, end - start));
        start = end + 1;
    }
    return {};
}

// "A.B.C": window or data module A, then owned components; a plain name: a
// component owned by the report's owner.
platform::Component* findComponent(std::string_view name, platform::Component* reportOwner)
{
    std::size_t dot = name.find('.');
    if (dot == std::string_view::npos)
        return reportOwner ? reportOwner->findComponent(name) : nullptr;
    platform::Component* current = platform::screen::find(name.substr(0, dot));
    while (current && dot != std::string_view::npos) {
        name.remove_prefix(dot + 1);
        dot = name.find('.');
        current = current->findComponent(name.substr(0, dot));
    }
    return current;
}

Variant propertyValue(const platform::Component& component, std::string_view propertyName)
{
    const platform::PropInfo* prop = platform::findProperty(component, propertyName);
    if (!prop)
        return Variant(0);
    switch (prop->kind()) {
    case platform::PropKind::Integer:
    case platform::PropKind::Enumeration: {
        Variant value = prop->get(component);
        return value.isBoolean() ? Variant(value.toBool() ? 1 : 0) : Variant(value.toInteger());
    }
    case platform::PropKind::Float:
    case platform::PropKind::String:
        return prop->get(component);
    default:
        return Variant(0);
    }
}

Variant getControlPropValue(Call& call)
{
    std::string propertyName = call.value(2).toString();
    std::string componentName = call.value(1).toString();
    TKSParserOwner* owner = call.parser().Owner;
    platform::Component* component = nullptr;
    try {
        component = findComponent(componentName, owner ? owner->ComponentOwner() : nullptr);
    } catch (const std::exception&) {
        throw EKSExpressionError("Missing " + componentName);
    }
    return component ? propertyValue(*component, propertyName) : Variant(0);
}

// The field reference as written, or the text of a quoted or handed-in value.
std::string fieldReference(Call& call)
{
    if (call.parser().ArgumentsAreValues)
        return call.value(1).toString();
    std::string written = call.raw(1).toString();
    std::string_view text = exprtext::trimmed(written);
    if (text.starts_with('\''))
        return call.value(1).toString();
    return std::string(text);
}

constexpr const char* kAggregateNames[] = {"AVG", "COUNT", "MAX", "MIN", "SUM"};

Variant aggregate(int number, Call& call)
{
    int kind = number - 32;  // 10 AVG .. 14 SUM
    Variant result;
    TKSParserOwner* owner = call.parser().Owner;
    if (!owner || !owner->CalcAggregate(call.parser(), kind, call.arguments(), result))
        throw EKSExpressionError(std::string("The aggregate function ") + kAggregateNames[kind - 10]
                                 + " is not available here (only in the text objects of a report's bands)");
    return result;
}

} // namespace

std::optional<Variant> callHostFunction(int number, Call& call)
{
    using L = TKSStdFunctionLibrary;
    switch (number) {
    case L::fnParamStr:
        return Variant(programArgument(call.value(1).toInteger()));
    case L::fnGetControlPropValue:
        return getControlPropValue(call);
    case L::fnInput: {
        std::string prompt = call.textOrEmpty(1);
        return Variant(platform::inputBox("", prompt, call.textOrEmpty(2)));
    }
    case L::fnMessageBox: {
        std::string text = call.textOrEmpty(1);
        std::string caption = call.textOrEmpty(2);
        return Variant(platform::messageBox(text, caption, call.valueOrZero(3).toInteger()));
    }
    case L::fnShowMessage:
        platform::showMessage(call.textOrEmpty(1));
        return std::nullopt;
    case L::fnFieldIsNull: {
        TKSParserOwner* owner = call.parser().Owner;
        return Variant(owner != nullptr && owner->FieldIsNull(fieldReference(call)));
    }
    case L::fnAvg: case L::fnCount: case L::fnMax: case L::fnMin: case L::fnSum:
        return aggregate(number, call);
    default:
        return std::nullopt;
    }
}

} // namespace stdfunctions
