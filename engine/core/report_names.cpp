// TKSReport: the names expressions and scripts can use: built-in variables,
// variables, objects by (dotted) name, report functions and named values.
#include "core/report.h"

#include "core/engine_init.h"
#include "core/units.h"
#include "expr/exprtext.h"
#include "expr/functionlibrary.h"
#include "objects/view.h"
#include "platform/gbk.h"
#include "preview/progress.h"
#include "script/args.h"
#include "script/values.h"

#include <cmath>
#include <utility>

using platform::Variant;
using platform::sameName;

namespace {

bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (std::string_view candidate : names)
        if (platform::compareTextIgnoreCase(name, candidate) == 0)
            return true;
    return false;
}

bool namesReport(std::string_view name) { return isOneOf(name, {"Self", "KSCurReport", "CurReport"}); }

std::string upper(std::string_view name) { return platform::upperCase(name); }

TKSPropArgs argumentsOf(const TKSInterpreterArgs& args)
{
    return TKSPropArgs(args.values.begin(), args.values.begin() + std::min<std::size_t>(args.count, args.values.size()));
}

} // namespace

platform::Variant TKSReport::EvaluateExpression(TKSReportView& view, std::string_view expression)
{
    currentView_ = &view;
    return parser_.Evaluate(expression);
}

TKSView* TKSReport::FindObject(std::string_view name) const
{
    for (int i = 0; i < Pages.Count(); ++i)
        if (TKSView* view = Pages.Page(i)->FindObject(name))
            return view;
    return nullptr;
}

bool TKSReport::dictionaryValue(std::string_view, Variant&) { return false; }
bool TKSReport::dictionaryVariable(std::string_view, Variant&) { return false; }
bool TKSReport::setDictionaryVariable(std::string_view, const Variant&) { return false; }

void TKSReport::GetValue(std::string_view name, Variant& value)
{
    if (name.empty())
        return;
    value = Variant();
    platform::EventArgs args{Variant(name), Variant()};
    if (fire(OnGetValue, args) && !args[1].isEmpty()) {
        value = args[1];
        return;
    }
    value = Variant(0);
    if (dictionaryValue(name, value))
        return;
    if (auto builtIn = BuiltInVariable(name)) {
        value = *builtIn;
        return;
    }
    if (const Variant* global = KSApplication().KSVariables().Find(name)) {
        value = *global;
        return;
    }
    if (const Variant* own = Variables.Find(name)) {
        value = *own;
        return;
    }
    if (name.find('.') != std::string_view::npos) {
        if (auto found = ObjectPathValue(name)) {
            value = *found;
            return;
        }
    } else if (currentView_ && currentView_->GetPropValue(upper(name), {}, value)) {
        return;
    }
    if (name != resolving_) {
        resolving_ = std::string(name);
        try {
            Variant expressionValue;
            if (!dictionaryVariable(name, expressionValue))
                expressionValue = parser_.Calc(parser_.Convert(name));
            value = expressionValue;
        } catch (...) {
            resolving_.clear();
            throw;
        }
        resolving_.clear();
        return;
    }
    if (NamesAsText) {
        value = Variant(name);
        return;
    }
    TKSArguments none;
    none.fill(Variant(std::string()));
    Variant result;
    if (CallFunctionLibraries(parser_, name, none, result) || userFunction(name, none, result)) {
        value = result;
        return;
    }
    value = KeepUnknownNames ? Variant("[" + std::string(name) + "]") : Variant::null();
}

bool TKSReport::userFunction(std::string_view name, const TKSArguments& arguments, Variant& value)
{
    if (!OnUserFunction)
        return false;
    platform::EventArgs args{Variant(name), Variant::arrayOf(std::vector<Variant>(arguments.begin(), arguments.end())), value,
                             Variant(false)};
    OnUserFunction(this, args);
    if (!args[3].toBool())
        return false;
    value = args[2];
    return true;
}

void TKSReport::CallFunction(std::string_view name, TKSArguments& arguments, bool& handled, Variant& value)
{
    handled = CallFunctionLibraries(parser_, name, arguments, value) || userFunction(name, arguments, value);
    if (handled)
        return;
    std::vector<Variant> values;
    for (const Variant& argument : arguments)
        values.push_back(parser_.CalcArgument(argument));
    handled = ReportFunction(name, values, value);
    if (!handled)
        throw EKSExpressionError("Unknown function " + std::string(name));
}

std::optional<Variant> TKSReport::BuiltInVariable(std::string_view name) const
{
    if (isOneOf(name, {"_KS_Page"}))
        return Variant(PageNumber());
    if (isOneOf(name, {"_KS_ApplicationPath"}))
        return Variant(ApplicationPath());
    if (isOneOf(name, {"_KS_Date"}))
        return Variant::fromDate(StartDate);
    if (isOneOf(name, {"_KS_Time"}))
        return Variant::fromDate(StartTime);
    if (isOneOf(name, {"_KS_DateTime"}))
        return Variant::fromDate(StartDateTime);
    if (isOneOf(name, {"_KS_Line"}))
        return Variant(CurLine);
    if (isOneOf(name, {"_KS_LineThough"}))
        return Variant(CurLineThrough);
    if (isOneOf(name, {"_KS_Column"}))
        return Variant(CurColumn);
    if (isOneOf(name, {"_KS_Current"}))
        return Variant(CurPosition);
    if (isOneOf(name, {"_KS_TotalPages"}))
        return Variant(TotalPages);
    if (isOneOf(name, {"Value"}))
        return CurrentValue;
    return std::nullopt;
}

platform::Object* TKSReport::FindNamedObject(std::string_view name)
{
    if (TKSView* view = FindObject(name))
        return view;
    if (TKSCustomPage* page = Pages.FindPage(name))
        return page;
    if (namesReport(name))
        return this;
    if (platform::Component* window = platform::screen::find(name))
        return window;
    if (owner())
        return owner()->findComponent(name);
    return nullptr;
}

std::optional<Variant> TKSReport::ObjectPathValue(std::string_view path)
{
    std::size_t dot = path.find('.');
    platform::Object* object = FindNamedObject(path.substr(0, dot));
    while (object && dot != std::string_view::npos) {
        const std::size_t next = path.find('.', dot + 1);
        if (next == std::string_view::npos)
            break;
        auto* component = dynamic_cast<platform::Component*>(object);
        object = component ? component->findComponent(path.substr(dot + 1, next - dot - 1)) : nullptr;
        dot = next;
    }
    if (!object || dot == std::string_view::npos)
        return std::nullopt;
    const std::string last = upper(path.substr(dot + 1));
    Variant value;
    if (auto* persistent = dynamic_cast<TKSPersistent*>(object))
        return persistent->GetPropValue(last, {}, value) ? std::optional(value) : std::nullopt;
    if (auto* engine = dynamic_cast<TKSComponent*>(object))
        return engine->GetNamedValue(last, {}, value) ? std::optional(value) : std::nullopt;
    return platform::getProperty(*object, path.substr(dot + 1));
}

bool TKSReport::ReportFunction(std::string_view name, const std::vector<Variant>& args, Variant& value)
{
    auto arg = [&args](std::size_t i) { return i < args.size() ? args[i] : Variant(); };
    // Dictionary fields and variables are answered by the dictionary.
    if (isOneOf(name, {"GetFieldValue", "Get", "FieldIsNull", "GetArray", "GetVariable", "SetArray", "SetVariable"}))
        return false;
    TKSArguments arguments;
    for (std::size_t i = 0; i < arguments.size() && i < args.size(); ++i)
        arguments[i] = args[i];
    const bool valuesBefore = std::exchange(parser_.ArgumentsAreValues, true);
    bool found = false;
    try {
        found = CallFunctionLibraries(parser_, upper(name), arguments, value) || userFunction(name, arguments, value);
    } catch (...) {
        parser_.ArgumentsAreValues = valuesBefore;
        throw;
    }
    parser_.ArgumentsAreValues = valuesBefore;
    if (found)
        return true;
    if (isOneOf(name, {"Int"})) {
        value = Variant(std::trunc(arg(0).toDouble()));
    } else if (isOneOf(name, {"Frac"})) {
        const double x = arg(0).toDouble();
        value = Variant(x - std::trunc(x));
    } else if (isOneOf(name, {"Round"})) {
        value = Variant(static_cast<long long>(roundHalfEven(arg(0).toDouble())));
    } else if (isOneOf(name, {"Str"})) {
        value = Variant(arg(0).toString());
    } else if (isOneOf(name, {"STOPREPORT"})) {
        Terminated = true;
        if (CurReport)
            CurReport->Terminated = true;
        StopPages = true;
    } else if (isOneOf(name, {"FINALPASS"})) {
        value = Variant(finalPass_);
    } else {
        return BuilderFunction(name, args, value);
    }
    return true;
}

bool TKSReport::GetNamedValue(std::string_view name, const TKSPropArgs& args, Variant& value)
{
    if (isOneOf(name, {"APPENDBLANKING"}))
        value = Variant(appendBlanking_);
    else if (isOneOf(name, {"SPPRINTOFFSETLEFT"}))
        value = Variant(fromMMThousandths(mmPrintOffsetLeft, ksutScreenPixels));
    else if (isOneOf(name, {"SPPRINTOFFSETTOP"}))
        value = Variant(fromMMThousandths(mmPrintOffsetTop, ksutScreenPixels));
    else
        return TKSCustomReport::GetNamedValue(name, args, value);
    return true;
}

bool TKSReport::SetNamedValue(std::string_view name, const Variant& value)
{
    if (isOneOf(name, {"SPPRINTOFFSETLEFT"}))
        mmPrintOffsetLeft = toMMThousandths(value.toDouble(), ksutScreenPixels);
    else if (isOneOf(name, {"SPPRINTOFFSETTOP"}))
        mmPrintOffsetTop = toMMThousandths(value.toDouble(), ksutScreenPixels);
    else
        return TKSCustomReport::SetNamedValue(name, value);
    return true;
}

bool TKSReport::ScriptGetValue(const std::string& identifier, Variant& value, TKSInterpreterArgs& args)
{
    value = Variant();
    platform::EventArgs event{Variant(identifier), Variant()};
    if (fire(OnGetValue, event) && !event[1].isEmpty()) {
        value = event[1];
        return true;
    }
    const TKSPropArgs propArgs = argumentsOf(args);
    if (args.hasObject()) {
        platform::Object* object = objectOf(args.object);
        if (auto* persistent = dynamic_cast<TKSPersistent*>(object)) {
            if (persistent->GetPropValue(upper(identifier), propArgs, value))
                return true;
        } else if (object == this) {
            if (ReportFunction(identifier, propArgs, value) || GetNamedValue(upper(identifier), propArgs, value))
                return true;
        } else if (auto* engine = dynamic_cast<TKSComponent*>(object)) {
            if (engine->GetNamedValue(upper(identifier), propArgs, value))
                return true;
        } else if (auto* component = dynamic_cast<platform::Component*>(object)) {
            if (platform::Component* owned = component->findComponent(identifier)) {
                value = makeObjectValue(owned);
                return true;
            }
        }
    } else {
        if (TKSView* view = FindObject(identifier)) {
            value = makeObjectValue(view);
            return true;
        }
        if (TKSCustomPage* page = Pages.FindPage(identifier)) {
            value = makeObjectValue(page);
            return true;
        }
        if (namesReport(identifier)) {
            value = makeObjectValue(this);
            return true;
        }
        if (auto builtIn = BuiltInVariable(identifier)) {
            value = *builtIn;
            return true;
        }
        if (dictionaryVariable(identifier, value))
            return true;
        if (const Variant* global = KSApplication().KSVariables().Find(identifier)) {
            value = *global;
            return true;
        }
        if (ReportFunction(identifier, propArgs, value))
            return true;
        if (platform::Component* window = platform::screen::find(identifier)) {
            value = makeObjectValue(window);
            return true;
        }
        if (platform::Component* owned = owner() ? owner()->findComponent(identifier) : nullptr) {
            value = makeObjectValue(owned);
            return true;
        }
    }
    if (!OnScriptGetValue)
        return false;
    platform::EventArgs last{Variant(identifier), Variant(), Variant::arrayOf(propArgs), Variant(false)};
    OnScriptGetValue(this, last);
    if (!last[3].toBool())
        return false;
    value = last[1];
    return true;
}

// The report's assignable names, for members of the report and plain names.
bool TKSReport::reportName(std::string_view name, const Variant& value)
{
    if (isOneOf(name, {"MODALRESULT"}))
        return false;  // answered by dialog pages, which the page builder runs
    if (isOneOf(name, {"PROGRESS"})) {
        if (progress_)
            progress_->SetLine2(value.toString());
        ProcessPendingMessages();
        return true;
    }
    if (isOneOf(name, {"CurY"}))
        return SetBuilderY(value);
    if (isOneOf(name, {"SetArray", "SetVariable"}))
        return false;  // dictionary variables
    return SetNamedValue(upper(name), value);
}

bool TKSReport::ScriptSetValue(const std::string& identifier, const Variant& value, TKSInterpreterArgs& args)
{
    bool done = false;
    if (args.hasObject()) {
        platform::Object* object = objectOf(args.object);
        if (object == this)
            done = reportName(identifier, value);
        else if (auto* persistent = dynamic_cast<TKSPersistent*>(object))
            done = persistent->SetPropValue(upper(identifier), value);
    } else {
        done = setDictionaryVariable(identifier, value) || reportName(identifier, value);
    }
    if (done || !OnScriptSetValue)
        return done;
    platform::EventArgs last{Variant(identifier), value, Variant::arrayOf(argumentsOf(args)), Variant(false)};
    OnScriptSetValue(this, last);
    return last[3].toBool();
}

bool TKSReport::UnitSource(const std::string& unit, std::string& source)
{
    std::string path = KSApplication().KSExtendFormPath + unit + ".pas";
    for (char& c : path)
        if (c == '\\')
            c = '/';
    source.clear();
    try {
        platform::FileStream file(path, platform::FileStream::Mode::Read);
        source.resize(static_cast<std::size_t>(file.size()));
        file.readExact(source.data(), source.size());
    } catch (const platform::StreamError&) {
        source.clear();  // a missing unit compiles as an empty text
    }
    return true;
}
