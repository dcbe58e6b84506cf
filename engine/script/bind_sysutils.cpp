// Bindings of group SysUtils: Exception and its subclasses, text, number and
// date routines, double-byte helpers and the file-mode constants.
#include "script/bind_format.h"
#include "script/bind_util.h"
#include "script/bindings.h"

#include "expr/numberformat.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "platform/uitexts.h"
#include "script/hostexception.h"

#include <cmath>

// Exception classes scripts can name that the interpreter itself never raises.
#define TK_SCRIPT_EXCEPTION(Type, Parent)                                                                  \
    class Type : public Parent {                                                                           \
    public:                                                                                                \
        TK_CLASS_INFO                                                                                      \
        using Parent::Parent;                                                                              \
    };                                                                                                     \
    const platform::ClassInfo& Type::staticClassInfo()                                                     \
    {                                                                                                      \
        static const platform::ClassInfo info = platform::ClassInfo::define<Type>(#Type, &Parent::staticClassInfo()); \
        return info;                                                                                       \
    }

namespace {

TK_SCRIPT_EXCEPTION(EAbort, Exception)
TK_SCRIPT_EXCEPTION(EOutOfMemory, Exception)
TK_SCRIPT_EXCEPTION(EInOutError, Exception)
TK_SCRIPT_EXCEPTION(EInvalidOp, EMathError)
TK_SCRIPT_EXCEPTION(EOverflow, EMathError)
TK_SCRIPT_EXCEPTION(EUnderflow, EMathError)
TK_SCRIPT_EXCEPTION(EInvalidPointer, Exception)
TK_SCRIPT_EXCEPTION(EInvalidCast, Exception)
TK_SCRIPT_EXCEPTION(EAccessViolation, Exception)
TK_SCRIPT_EXCEPTION(EPrivilege, Exception)
TK_SCRIPT_EXCEPTION(EControlC, Exception)
TK_SCRIPT_EXCEPTION(EPropReadOnly, Exception)
TK_SCRIPT_EXCEPTION(EPropWriteOnly, Exception)
TK_SCRIPT_EXCEPTION(EExternalException, Exception)
TK_SCRIPT_EXCEPTION(EAssertionFailed, Exception)
TK_SCRIPT_EXCEPTION(EAbstractError, Exception)
TK_SCRIPT_EXCEPTION(EIntfCastError, Exception)
TK_SCRIPT_EXCEPTION(EInvalidContainer, Exception)
TK_SCRIPT_EXCEPTION(EInvalidInsert, Exception)
TK_SCRIPT_EXCEPTION(EPackageError, Exception)
TK_SCRIPT_EXCEPTION(EOSError, Exception)

using namespace bind;

constexpr const char* kUnit = "SysUtils";

[[noreturn]] void convertError(const std::string& text, const char* what)
{
    throw EConvertError("'" + text + "' is not a valid " + what);
}

// Elements of an array literal (Format's open array argument).
std::vector<Variant> openArray(const Variant& v)
{
    if (!v.isArray())
        return {v};
    if (v.dimCount() != 1)
        throw std::runtime_error("Sorry.For one-dimensional arrays only.");
    const platform::ArrayBound b = v.bounds(1);
    if (b.high - b.low + 1 > 33)
        throw std::runtime_error("Too many arguments for Format (at most 33)");
    std::vector<Variant> items;
    for (int i = b.low; i <= b.high; ++i)
        items.push_back(v.at(std::span<const int>(&i, 1)));
    return items;
}

std::string formatWith(const TKSInterpreterArgs& a, int formatArg, int arrayArg)
{
    const std::vector<Variant> items = openArray(a.arg(arrayArg));
    return formatArguments(text(a, formatArg), items);
}

// --- Exception --------------------------------------------------------------------

Exception* newException(const TKSInterpreterArgs& a, std::string message, int helpContext = 0)
{
    const platform::ClassInfo* cls = classOf(a.object);
    std::unique_ptr<platform::Object> object = cls ? cls->create() : nullptr;
    auto* exception = dynamic_cast<Exception*>(object.get());
    if (!exception)
        invalidCast();
    object.release();
    exception->setMessage(std::move(message));
    exception->setHelpContext(helpContext);
    return exception;
}

void registerException(TKSInterpreterAdapter& r)
{
    const platform::ClassInfo& cls = Exception::staticClassInfo();
    r.RegisterHostClass(kUnit, &cls);
    auto created = [](Exception* e) { return makeObjectValue(e); };
    ClassBinder(r, cls)
        .get("Create", 1, [=](Variant& v, TKSInterpreterArgs& a) { v = created(newException(a, text(a, 0))); })
        .get("CreateFmt", 2, [=](Variant& v, TKSInterpreterArgs& a) { v = created(newException(a, formatWith(a, 0, 1))); })
        .get("CreateRes", 1, [=](Variant& v, TKSInterpreterArgs& a) {
            v = created(newException(a, platform::loadText(integer(a, 0))));
        })
        .get("CreateResFmt", 2, [=](Variant& v, TKSInterpreterArgs& a) {
            v = created(newException(a, formatArguments(platform::loadText(integer(a, 0)), openArray(a.arg(1)))));
        })
        .get("CreateHelp", 2, [=](Variant& v, TKSInterpreterArgs& a) {
            v = created(newException(a, text(a, 0), integer(a, 1)));
        })
        .get("CreateFmtHelp", 3, [=](Variant& v, TKSInterpreterArgs& a) {
            v = created(newException(a, formatWith(a, 0, 1), integer(a, 2)));
        })
        .get("CreateResHelp", 2, [=](Variant& v, TKSInterpreterArgs& a) {
            v = created(newException(a, platform::loadText(integer(a, 0)), integer(a, 1)));
        })
        .get("CreateResFmtHelp", 3, [=](Variant& v, TKSInterpreterArgs& a) {
            v = created(newException(a, formatArguments(platform::loadText(integer(a, 0)), openArray(a.arg(1))),
                                     integer(a, 2)));
        })
        .get("Message", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Exception>(a).message()); })
        .set("Message", [](Variant& v, TKSInterpreterArgs& a) { self<Exception>(a).setMessage(v.toString()); })
        .get("HelpContext", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Exception>(a).helpContext()); })
        .set("HelpContext", [](Variant& v, TKSInterpreterArgs& a) { self<Exception>(a).setHelpContext(v.toInteger()); });

    for (const platform::ClassInfo* c :
         {&EAbort::staticClassInfo(), &EOutOfMemory::staticClassInfo(), &EInOutError::staticClassInfo(),
          &EIntError::staticClassInfo(), &EDivByZero::staticClassInfo(), &ERangeError::staticClassInfo(),
          &EIntOverflow::staticClassInfo(), &EMathError::staticClassInfo(), &EInvalidOp::staticClassInfo(),
          &EZeroDivide::staticClassInfo(), &EOverflow::staticClassInfo(), &EUnderflow::staticClassInfo(),
          &EInvalidPointer::staticClassInfo(), &EInvalidCast::staticClassInfo(), &EConvertError::staticClassInfo(),
          &EAccessViolation::staticClassInfo(), &EPrivilege::staticClassInfo(), &EControlC::staticClassInfo(),
          &EVariantError::staticClassInfo(), &EPropReadOnly::staticClassInfo(), &EPropWriteOnly::staticClassInfo(),
          &EExternalException::staticClassInfo(), &EAssertionFailed::staticClassInfo(),
          &EAbstractError::staticClassInfo(), &EIntfCastError::staticClassInfo(),
          &EInvalidContainer::staticClassInfo(), &EInvalidInsert::staticClassInfo(),
          &EPackageError::staticClassInfo(), &EOSError::staticClassInfo()})
        r.RegisterHostClass(kUnit, c);

    function(r, kUnit, "Abort", 0, [](Variant&, TKSInterpreterArgs&) { throw EAbort("Operation aborted"); });
    function(r, kUnit, "OutOfMemoryError", 0, [](Variant&, TKSInterpreterArgs&) { throw EOutOfMemory("Out of memory"); });
    function(r, kUnit, "ShowException", 2, [](Variant&, TKSInterpreterArgs& a) {
        platform::showMessage(objectArg<Exception>(a, 0)->message());
    });
}

// --- Text -------------------------------------------------------------------------

std::string asciiCase(std::string s, bool upper)
{
    for (char& c : s) {
        if (upper && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return s;
}

int sign(int n) { return (n > 0) - (n < 0); }

// CompareStr: the difference of the first differing bytes, else of the lengths.
int compareBytes(std::string_view a, std::string_view b)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            return int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i]));
    return int(a.size()) - int(b.size());
}

std::string trimmed(std::string_view s, bool left, bool right)
{
    std::size_t begin = 0, end = s.size();
    while (left && begin < end && static_cast<unsigned char>(s[begin]) <= ' ')
        ++begin;
    while (right && end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ')
        --end;
    return std::string(s.substr(begin, end - begin));
}

std::string quoted(std::string_view s, char quote)
{
    std::string out(1, quote);
    for (char c : s) {
        out += c;
        if (c == quote)
            out += quote;
    }
    return out + quote;
}

// The text inside leading quotes with doubled quotes undone; the rest of the
// text after the closing quote is returned through `rest`.
std::string dequoted(std::string_view s, char quote, std::string* rest = nullptr)
{
    if (s.empty() || s[0] != quote) {
        if (rest)
            *rest = std::string(s);
        return {};
    }
    std::string out;
    std::size_t i = 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        const std::size_t n = platform::charLength(s, i);
        out.append(s.substr(i, n));
        i += n;
    }
    if (rest)
        *rest = std::string(s.substr(std::min(i, s.size())));
    return out;
}

std::string adjustLineBreaks(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            out += "\r\n";
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool isValidIdent(std::string_view s)
{
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (s.empty() || !alpha(s[0]))
        return false;
    for (char c : s)
        if (!alpha(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

// The byte offset of each whole character's start.
std::vector<std::size_t> characterStarts(std::string_view s)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); i += platform::charLength(s, i))
        starts.push_back(i);
    return starts;
}

// 0 single byte, 1 lead byte, 2 trail byte of the byte at a 0-based offset.
int byteType(std::string_view s, std::size_t offset)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = platform::charLength(s, i);
        if (offset < i + n)
            return n == 1 ? 0 : (offset == i ? 1 : 2);
        i += n;
    }
    return 0;
}

// AnsiPos: a match counts only when it starts on a character boundary.
int ansiPos(std::string_view sub, std::string_view s)
{
    if (sub.empty())
        return 0;
    for (std::size_t i = 0; i < s.size(); i += platform::charLength(s, i))
        if (s.substr(i, sub.size()) == sub)
            return int(i) + 1;
    return 0;
}

std::string lastCharacter(std::string_view s)
{
    const std::vector<std::size_t> starts = characterStarts(s);
    return starts.empty() ? std::string() : std::string(s.substr(starts.back()));
}

int lastDelimiter(std::string_view delimiters, std::string_view s)
{
    int found = 0;
    for (std::size_t i = 0; i < s.size(); i += platform::charLength(s, i))
        if (platform::charLength(s, i) == 1 && delimiters.find(s[i]) != std::string_view::npos)
            found = int(i) + 1;
    return found;
}

bool isDelimiterAt(std::string_view delimiters, std::string_view s, int index)
{
    if (index < 1 || std::size_t(index) > s.size() || byteType(s, std::size_t(index) - 1) != 0)
        return false;
    return delimiters.find(s[std::size_t(index) - 1]) != std::string_view::npos;
}

std::string limited(std::string_view s, int maxLength)
{
    return std::string(s.substr(0, std::size_t(std::max(0, maxLength))));
}

void registerTexts(TKSInterpreterAdapter& r)
{
    using F = std::string (*)(std::string_view);
    auto textFunction = [&r](const char* name, F f) {
        function(r, kUnit, name, 1, [f](Variant& v, TKSInterpreterArgs& a) { v = Variant(f(text(a, 0))); });
    };
    auto compareFunction = [&r](const char* name, int params, int (*f)(std::string_view, std::string_view)) {
        function(r, kUnit, name, params, [f, params](Variant& v, TKSInterpreterArgs& a) {
            std::string x = text(a, 0), y = text(a, 1);
            if (params == 3) {
                x = limited(x, integer(a, 2));
                y = limited(y, integer(a, 2));
            }
            v = Variant(f(x, y));
        });
    };
    F upperAscii = [](std::string_view s) { return asciiCase(std::string(s), true); };
    F lowerAscii = [](std::string_view s) { return asciiCase(std::string(s), false); };
    F upperAnsi = [](std::string_view s) { return platform::upperCase(s); };
    F lowerAnsi = [](std::string_view s) { return platform::lowerCase(s); };
    textFunction("UpperCase", upperAscii);
    textFunction("LowerCase", lowerAscii);
    textFunction("StrUpper", upperAscii);
    textFunction("StrLower", lowerAscii);
    textFunction("AnsiUpperCase", upperAnsi);
    textFunction("AnsiLowerCase", lowerAnsi);
    textFunction("AnsiStrUpper", upperAnsi);
    textFunction("AnsiStrLower", lowerAnsi);
    textFunction("AnsiUpperCaseFileName", upperAnsi);
    textFunction("AnsiLowerCaseFileName", lowerAnsi);
    textFunction("StrPas", [](std::string_view s) { return std::string(s); });
    textFunction("Trim", [](std::string_view s) { return trimmed(s, true, true); });
    textFunction("TrimLeft", [](std::string_view s) { return trimmed(s, true, false); });
    textFunction("TrimRight", [](std::string_view s) { return trimmed(s, false, true); });
    textFunction("QuotedStr", [](std::string_view s) { return quoted(s, '\''); });
    textFunction("AdjustLineBreaks", adjustLineBreaks);
    textFunction("AnsiLastChar", lastCharacter);
    textFunction("AnsiStrLastChar", lastCharacter);

    auto bytes = [](std::string_view a, std::string_view b) { return compareBytes(a, b); };
    auto asciiText = [](std::string_view a, std::string_view b) {
        return compareBytes(asciiCase(std::string(a), true), asciiCase(std::string(b), true));
    };
    auto ansiBytes = [](std::string_view a, std::string_view b) { return sign(compareBytes(a, b)); };
    auto ansiText = [](std::string_view a, std::string_view b) { return sign(platform::compareTextIgnoreCase(a, b)); };
    compareFunction("CompareStr", 2, bytes);
    compareFunction("CompareText", 2, asciiText);
    compareFunction("StrComp", 2, bytes);
    compareFunction("StrIComp", 2, asciiText);
    compareFunction("StrLComp", 3, bytes);
    compareFunction("StrLIComp", 3, asciiText);
    compareFunction("AnsiCompareStr", 2, ansiBytes);
    compareFunction("AnsiCompareText", 2, ansiText);
    compareFunction("AnsiStrComp", 2, ansiBytes);
    compareFunction("AnsiStrIComp", 2, ansiText);
    compareFunction("AnsiStrLComp", 3, ansiBytes);
    compareFunction("AnsiStrLIComp", 3, ansiText);
    compareFunction("AnsiCompareFileName", 2, ansiText);

    function(r, kUnit, "StrLen", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string s = text(a, 0);
        v = Variant(int(std::min(s.size(), s.find('\0'))));
    });
    function(r, kUnit, "AnsiQuotedStr", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string q = text(a, 1);
        v = Variant(quoted(text(a, 0), q.empty() ? '\'' : q[0]));
    });
    function(r, kUnit, "AnsiExtractQuotedStr", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string q = text(a, 1);
        std::string rest;
        v = Variant(dequoted(text(a, 0), q.empty() ? '\'' : q[0], &rest));
        setVar(a, 0, Variant(rest));
    }, {kstype::VarParam | 256, 256});
    function(r, kUnit, "ExtractQuotedString", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string q = text(a, 1);
        v = Variant(dequoted(text(a, 0), q.empty() ? '\'' : q[0]));
    });
    function(r, kUnit, "IsValidIdent", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(isValidIdent(text(a, 0))); });
    function(r, kUnit, "LoadStr", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(platform::loadText(integer(a, 0))); });
    function(r, kUnit, "AnsiPos", 2, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(ansiPos(text(a, 0), text(a, 1))); });
    function(r, kUnit, "ByteType", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(byteType(text(a, 0), std::size_t(std::max(1, integer(a, 1))) - 1));
    });
    function(r, kUnit, "StrByteType", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(byteType(text(a, 0), std::size_t(std::max(0, integer(a, 1)))));
    });
    function(r, kUnit, "ByteToCharLen", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string s = text(a, 0);
        const std::vector<std::size_t> starts = characterStarts(limited(s, integer(a, 1)));
        v = Variant(int(starts.size()));
    });
    function(r, kUnit, "CharToByteLen", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string s = text(a, 0);
        const std::vector<std::size_t> starts = characterStarts(s);
        const int chars = integer(a, 1);
        v = Variant(chars <= 0 ? 0 : std::size_t(chars) >= starts.size() ? int(s.size()) : int(starts[std::size_t(chars)]));
    });
    function(r, kUnit, "ByteToCharIndex", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string s = text(a, 0);
        const int index = integer(a, 1);
        int result = 0;
        if (index >= 1 && std::size_t(index) <= s.size()) {
            const std::vector<std::size_t> starts = characterStarts(s);
            result = int(std::upper_bound(starts.begin(), starts.end(), std::size_t(index) - 1) - starts.begin());
        }
        v = Variant(result);
    });
    function(r, kUnit, "CharToByteIndex", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::vector<std::size_t> starts = characterStarts(text(a, 0));
        const int index = integer(a, 1);
        v = Variant(index >= 1 && std::size_t(index) <= starts.size() ? int(starts[std::size_t(index) - 1]) + 1 : 0);
    });
    function(r, kUnit, "IsPathDelimiter", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(isDelimiterAt("\\/", text(a, 0), integer(a, 1)));
    });
    function(r, kUnit, "IsDelimiter", 3, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(isDelimiterAt(text(a, 0), text(a, 1), integer(a, 2)));
    });
    function(r, kUnit, "LastDelimiter", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(lastDelimiter(text(a, 0), text(a, 1)));
    });
}

// --- Numbers ---------------------------------------------------------------------

long long integerOf(const std::string& s)
{
    const std::optional<std::int64_t> n = platform::parseInteger(s);
    if (!n || *n < INT32_MIN || *n > UINT32_MAX)
        convertError(s, "integer value");
    return *n;
}

double floatOf(const std::string& s)
{
    const std::optional<double> d = platform::parseFloat(s);
    if (!d)
        convertError(s, "floating point value");
    return *d;
}

// FloatToStrF formats: general, exponent, fixed, number, currency.
std::string floatToStrF(double value, int format, int precision, int digits)
{
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    // Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + string temporaries.
    auto pattern = [](const char* integer, int decimals, int exponentDigits = 0) {
        std::string text = integer;
        if (decimals > 0)
            text.append(".").append(std::size_t(decimals), '0');
        if (exponentDigits > 0)
            text.append("E+").append(std::size_t(exponentDigits), '0');
        return text;
    };
    switch (format) {
    case 1: return numberformat::formatNumber(pattern("0", precision - 1, std::max(1, digits)), value);
    case 2: return numberformat::formatNumber(pattern("0", digits), value);
    case 3:
    case 4: return numberformat::formatNumber(pattern("#,##0", digits), value);
    default: return platform::formatFloat(value, precision);
    }
}

void registerNumbers(TKSInterpreterAdapter& r)
{
    function(r, kUnit, "IntToStr", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(std::to_string(a.arg(0).toInt64())); });
    function(r, kUnit, "IntToHex", 2, [](Variant& v, TKSInterpreterArgs& a) {
        Variant args[] = {a.arg(0)};
        const int digits = std::clamp(integer(a, 1), 0, 32);
        v = Variant(formatArguments("%." + std::to_string(digits) + "x", args));
    });
    function(r, kUnit, "StrToInt", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(int(integerOf(text(a, 0)))); });
    function(r, kUnit, "StrToIntDef", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::optional<std::int64_t> n = platform::parseInteger(text(a, 0));
        v = Variant(n && *n >= INT32_MIN && *n <= UINT32_MAX ? int(*n) : integer(a, 1));
    });
    function(r, kUnit, "StrToFloat", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(floatOf(text(a, 0))); });
    function(r, kUnit, "StrToCurr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::Currency::fromDouble(floatOf(text(a, 0))));
    });
    function(r, kUnit, "FloatToStr", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(platform::formatFloat(number(a, 0))); });
    function(r, kUnit, "CurrToStr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::formatCurrency(a.arg(0).toCurrency().scaled));
    });
    function(r, kUnit, "FloatToStrF", 4, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(floatToStrF(number(a, 0), integer(a, 1), integer(a, 2), integer(a, 3)));
    });
    function(r, kUnit, "CurrToStrF", 3, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(floatToStrF(number(a, 0), integer(a, 1), 18, integer(a, 2)));
    });
    for (const char* name : {"FormatFloat", "FormatCurr"})
        function(r, kUnit, name, 2, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant(numberformat::formatNumber(text(a, 0), number(a, 1)));
        });
    function(r, kUnit, "Format", 2, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(formatWith(a, 0, 1)); });
    function(r, kUnit, "FmtStr", 3, [](Variant&, TKSInterpreterArgs& a) { setVar(a, 0, Variant(formatWith(a, 1, 2))); },
             {kstype::VarParam | 256, 256, 0});
}

// --- Dates -----------------------------------------------------------------------

double dateOf(const std::string& s, const char* what)
{
    const std::optional<double> d = platform::parseDateTime(s);
    if (!d)
        convertError(s, what);
    return *d;
}

double incMonth(double date, int months)
{
    platform::DateTimeParts p = platform::decodeDateTime(date);
    long long month = (long long)p.year * 12 + (p.month - 1) + months;
    p.year = int(month / 12);
    p.month = int(month % 12) + 1;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = days[p.month - 1] + (p.month == 2 && platform::isLeapYear(p.year) ? 1 : 0);
    p.day = std::min(p.day, last);
    return platform::encodeDateTime(p);
}

void registerDates(TKSInterpreterAdapter& r)
{
    auto date = [](double d) { return Variant::fromDate(d); };
    function(r, kUnit, "EncodeDate", 3, [=](Variant& v, TKSInterpreterArgs& a) {
        v = date(platform::encodeDate(integer(a, 0), integer(a, 1), integer(a, 2)));
    });
    function(r, kUnit, "EncodeTime", 4, [=](Variant& v, TKSInterpreterArgs& a) {
        v = date(platform::encodeTime(integer(a, 0), integer(a, 1), integer(a, 2), integer(a, 3)));
    });
    const int var = kstype::VarParam;
    function(r, kUnit, "DecodeDate", 4, [](Variant&, TKSInterpreterArgs& a) {
        const platform::DateTimeParts p = platform::decodeDateTime(a.arg(0).toDate());
        setVar(a, 1, Variant(p.year));
        setVar(a, 2, Variant(p.month));
        setVar(a, 3, Variant(p.day));
    }, {0, var, var, var});
    function(r, kUnit, "DecodeTime", 5, [](Variant&, TKSInterpreterArgs& a) {
        const platform::DateTimeParts p = platform::decodeDateTime(a.arg(0).toDate());
        setVar(a, 1, Variant(p.hour));
        setVar(a, 2, Variant(p.minute));
        setVar(a, 3, Variant(p.second));
        setVar(a, 4, Variant(p.msec));
    }, {0, var, var, var, var});
    function(r, kUnit, "DayOfWeek", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(platform::dayOfWeek(a.arg(0).toDate())); });
    function(r, kUnit, "Date", 0, [=](Variant& v, TKSInterpreterArgs&) { v = date(platform::currentDate()); });
    function(r, kUnit, "Now", 0, [=](Variant& v, TKSInterpreterArgs&) { v = date(platform::currentDateTime()); });
    function(r, kUnit, "Time", 0, [=](Variant& v, TKSInterpreterArgs&) {
        const double now = platform::currentDateTime();
        v = date(now - std::floor(now));
    });
    function(r, kUnit, "IncMonth", 2, [=](Variant& v, TKSInterpreterArgs& a) { v = date(incMonth(a.arg(0).toDate(), integer(a, 1))); });
    function(r, kUnit, "IsLeapYear", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(platform::isLeapYear(integer(a, 0))); });
    function(r, kUnit, "DateToStr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::formatDateTime(platform::formatSettings().ShortDateFormat, a.arg(0).toDate()));
    });
    function(r, kUnit, "TimeToStr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::formatDateTime(platform::formatSettings().LongTimeFormat, a.arg(0).toDate()));
    });
    function(r, kUnit, "DateTimeToStr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::dateTimeToString(a.arg(0).toDate()));
    });
    function(r, kUnit, "StrToDate", 1, [=](Variant& v, TKSInterpreterArgs& a) {
        v = date(std::floor(dateOf(text(a, 0), "date")));
    });
    function(r, kUnit, "StrToTime", 1, [=](Variant& v, TKSInterpreterArgs& a) {
        const double d = dateOf(text(a, 0), "time");
        v = date(d - std::floor(d));
    });
    function(r, kUnit, "StrToDateTime", 1, [=](Variant& v, TKSInterpreterArgs& a) { v = date(dateOf(text(a, 0), "date and time")); });
    function(r, kUnit, "FormatDateTime", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::formatDateTime(text(a, 0), a.arg(1).toDate()));
    });
    function(r, kUnit, "DateTimeToString", 3, [](Variant&, TKSInterpreterArgs& a) {
        setVar(a, 0, Variant(platform::formatDateTime(text(a, 1), a.arg(2).toDate())));
    }, {var | 256, 256, 0});
}

} // namespace

void registerSysUtilsBindings(TKSInterpreterAdapter& registry)
{
    registerException(registry);
    registerTexts(registry);
    registerNumbers(registry);
    registerDates(registry);
    registerSysUtilsFileBindings(registry);
    constants(registry, kUnit,
              {{"fmOpenRead", 0},        {"fmOpenWrite", 1},       {"fmOpenReadWrite", 2},   {"fmShareCompat", 0},
               {"fmShareExclusive", 0x10}, {"fmShareDenyWrite", 0x20}, {"fmShareDenyRead", 0x30},
               {"fmShareDenyNone", 0x40}, {"faReadOnly", 1},        {"faHidden", 2},          {"faSysFile", 4},
               {"faVolumeID", 8},        {"faDirectory", 0x10},    {"faArchive", 0x20},      {"faAnyFile", 0x3F}});
}
