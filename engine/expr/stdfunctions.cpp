// TKSStdFunctionLibrary: its name list, its picker descriptors and the
// dispatch of a call to the function groups.
#include "expr/stdfunctions.h"

#include "expr/stdfunctions_detail.h"
#include "platform/uitexts.h"

namespace {

// In function-number order (the Function enumeration).
constexpr const char* kFunctionNames[] = {
    "STRTOFLOAT", "PARAMSTR", "EXTRACTFILEPATH", "STRINGOFCHAR", "MONTHTOENGLISHSHORT",
    "MONTHTOENGLISHLONG", "SINGNUMTOBIG", "SMALLTOBIG", "CURRTOBIGNUM", "KSROUND",
    "STRTOINT", "ABS", "GETCONTROLPROPVALUE", "FORMATDATETIME", "FORMATFLOAT",
    "FORMATTEXT", "LENGTH", "LOWERCASE", "NAMECASE", "POS",
    "TRIM", "UPPERCASE", "DIV", "MAXNUM", "MINNUM",
    "DAY", "MONTH", "YEAR", "INPUT", "MESSAGEBOX",
    "SHOWMESSAGE", "DATE", "TIME", "FIELDISNULL", "CHINADATE",
    "IIF", "KSFORMAT", "STRTODATE", "STRTOTIME", "CNUMBER",
    "COPY", "IF", "AVG", "COUNT", "MAX",
    "MIN", "SUM",
};

struct DescriptorGroup {
    int categoryTextId;
    std::initializer_list<std::pair<const char*, const char*>> entries;  // display name, parameters
};

// The function picker's entries by category. Several name operators, built-in
// names and report functions implemented elsewhere.
const DescriptorGroup kDescriptorGroups[] = {
    {47358, {{"Avg", "NSN"}, {"Count", "S"}, {"Max", "NSN"}, {"Min", "NSN"}, {"Sum", "NSN"}}},
    {47351, {{"Copy", "SNN"}, {"FormatDateTime", "SE"}, {"FormatFloat", "SV"}, {"FormatText", "SS"},
             {"Length", "S"}, {"LowerCase", "S"}, {"NameCase", "S"}, {"Pos", "SS"}, {"Str", "N"},
             {"Trim", "S"}, {"UpperCase", "S"}, {"CNumber", "N"}, {"ParamStr", "S"},
             {"ExtractFilePath", "S"}, {"StringOfChar", "SN"}, {"SinglNumToBig", "NN"},
             {"SmallToBig", "N"}, {"CurrToBigNum", "N"}, {"ChinaDate", "D"}, {"KSFormat", "SS"}}},
    {47353, {{"Dec", "N"}, {"Div", "NN"}, {"Frac", "N"}, {"Inc", "N"}, {"Int", "N"}, {"MaxNum", "NN"},
             {"MinNum", "NN"}, {"Mod", ""}, {"Round", ""}, {"StrToFloat", "S"}, {"KSRound", "NN"},
             {"StrToInt", "S"}, {"Abs", "N"}}},
    {47350, {{"Date", ""}, {"Day", "D"}, {"Month", "D"}, {"StrtoDate", "S"}, {"StrtoTime", "S"},
             {"Time", ""}, {"Year", "D"}, {"MonthtoEnglishShort", "N"}, {"MonthtoEnglishLong", "N"}}},
    {47354, {{"IF", "BVV"}, {"IIF", "BVV"}, {"TRUE", ""}, {"FALSE", ""}, {"AND", ""}, {"NOT", ""},
             {"OR", ""}, {"FieldIsNull", "S"}}},
    {47352, {{"Input", "SS"}, {"MessageBox", "SSS"}, {"_KS_Column", ""}, {"_KS_Line", ""},
             {"_KS_LineThough", ""}, {"_KS_Page", ""}, {"_KS_TotalPages", ""},
             {"GetControlPropValue", "SS"}}},
    {47355, {{"CurY", ""}, {"FinalPass", ""}, {"FreeSpace", ""}, {"ModalResult", ""}, {"mrCancel", ""},
             {"mrOK", ""}, {"NewColumn", ""}, {"NewPage", ""}, {"PageHeight", ""}, {"PageWidth", ""},
             {"Progress", ""}, {"ShowBand", ""}, {"StopReport", ""}}},
};

constexpr int kFirstDescriptionTextId = 47362;

} // namespace

namespace stdfunctions {

Variant Call::valueOrZero(int n)
{
    Variant v = value(n);
    return v.isNull() ? Variant(0) : v;
}

std::string Call::textOrEmpty(int n)
{
    Variant v = value(n);
    return v.isNull() ? std::string() : v.toString();
}

bool isEmptyText(const Variant& value)
{
    return value.isEmpty() || value.isNull() || (value.isString() && value.stringValue().empty());
}

} // namespace stdfunctions

TKSStdFunctionLibrary::TKSStdFunctionLibrary()
{
    for (const char* name : kFunctionNames)
        AddFunctionName(name);
    int descriptionId = kFirstDescriptionTextId;
    for (const DescriptorGroup& group : kDescriptorGroups) {
        std::string category = platform::loadText(group.categoryTextId);
        for (const auto& [name, parameters] : group.entries)
            AddFunctionDesc(name, category, parameters, platform::loadText(descriptionId++));
    }
}

const TKSFunctionLibraryClass& TKSStdFunctionLibrary::Class()
{
    static const TKSFunctionLibraryClass libraryClass{
        "TKSStdFunctionLibrary",
        []() -> std::unique_ptr<TKSCustomFunctionLibrary> { return std::make_unique<TKSStdFunctionLibrary>(); },
    };
    return libraryClass;
}

void TKSStdFunctionLibrary::DoFunction(TKSParser& parser, int number, TKSArguments& arguments,
                                       platform::Variant& result)
{
    result = platform::Variant("0");
    stdfunctions::Call call(parser, arguments);
    std::optional<platform::Variant> value;
    switch (number) {
    case fnParamStr: case fnGetControlPropValue: case fnInput: case fnMessageBox: case fnShowMessage:
    case fnFieldIsNull: case fnAvg: case fnCount: case fnMax: case fnMin: case fnSum:
        value = stdfunctions::callHostFunction(number, call);
        break;
    case fnDay: case fnMonth: case fnYear: case fnDate: case fnTime: case fnChinaDate:
    case fnStrToDate: case fnStrToTime: case fnFormatDateTime: case fnMonthToEnglishShort:
    case fnMonthToEnglishLong:
        value = stdfunctions::callDateFunction(number, call);
        break;
    case fnExtractFilePath: case fnStringOfChar: case fnFormatText: case fnLength: case fnLowerCase:
    case fnNameCase: case fnPos: case fnTrim: case fnUpperCase: case fnCopy: case fnKSFormat:
        value = stdfunctions::callTextFunction(number, call);
        break;
    default:
        value = stdfunctions::callNumberFunction(number, call);
        break;
    }
    if (value)
        result = std::move(*value);
}

void RegisterStdFunctionLibrary()
{
    RegisterFunctionLibrary(TKSStdFunctionLibrary::Class());
    RefreshFunctionLibraries();
}
