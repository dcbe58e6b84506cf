// Bindings of group System: TObject's class queries, the variant and script
// array functions, string and arithmetic routines, and the variant type codes.
#include "script/bind_util.h"
#include "script/bindings.h"

#include "platform/gbk.h"
#include "script/array.h"

#include <chrono>
#include <cmath>
#include <random>

namespace {

using namespace bind;

constexpr const char* kUnit = "System";
constexpr std::size_t kMaxStringLength = 64u << 20;  // SetLength refuses larger texts
constexpr std::size_t kMaxArrayElements = 16u << 20;

[[noreturn]] void oneDimensionalOnly() { throw std::runtime_error("Sorry. For one-dimensional arrays only."); }
[[noreturn]] void invalidFloatOperation() { throw std::runtime_error("Invalid floating point operation"); }

TKSScriptArray* scriptArray(const Variant& v)
{
    TKSScriptArray* array = arrayOf(v);
    if (array && array->dimensions() != 1)
        oneDimensionalOnly();
    return array;
}

// Bounds of the first dimension of a variant array (one dimension only).
platform::ArrayBound variantArrayBounds(const Variant& v)
{
    if (v.dimCount() != 1)
        oneDimensionalOnly();
    return v.bounds(1);
}

Variant integerOrInt64(long long n)
{
    if (n >= INT32_MIN && n <= INT32_MAX)
        return Variant(int(n));
    return Variant(n);
}

std::mt19937& randomEngine()
{
    static std::mt19937 engine(12345u);
    return engine;
}

// --- TObject -------------------------------------------------------------------

void registerObject(TKSInterpreterAdapter& r)
{
    ClassBinder(r, platform::Object::staticClassInfo())
        .get("ClassType", 0, [](Variant& v, TKSInterpreterArgs& a) {
            v = makeClassValue(&self<platform::Object>(a).classInfo());
        })
        .get("ClassName", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<platform::Object>(a).className()); })
        .get("ClassNameIs", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant(platform::sameName(self<platform::Object>(a).className(), text(a, 0)));
        })
        .get("ClassParent", 0, [](Variant& v, TKSInterpreterArgs& a) {
            const platform::ClassInfo* parent = self<platform::Object>(a).classInfo().parent();
            v = parent ? makeClassValue(parent) : makePointerValue(0);
        })
        .get("ClassInfo", 0, [](Variant& v, TKSInterpreterArgs& a) {
            v = makePointerValue(reinterpret_cast<std::intptr_t>(&self<platform::Object>(a).classInfo()));
        })
        .get("InheritsFrom", 1, [](Variant& v, TKSInterpreterArgs& a) {
            const platform::ClassInfo* other = classOf(a.arg(0));
            v = Variant(other && self<platform::Object>(a).classInfo().inheritsFrom(*other));
        });
}

// --- Arrays and strings ---------------------------------------------------------

void length(Variant& v, TKSInterpreterArgs& a)
{
    const Variant& x = a.arg(0);
    if (TKSScriptArray* array = scriptArray(x))
        v = Variant(int(array->count()));
    else if (x.isArray())
        v = Variant(std::max(0, variantArrayBounds(x).high - variantArrayBounds(x).low + 1));
    else
        v = Variant(int(x.toString().size()));
}

void lowOrHigh(Variant& v, TKSInterpreterArgs& a, bool high)
{
    const Variant& x = a.arg(0);
    if (TKSScriptArray* array = scriptArray(x))
        v = Variant(high ? array->high(0) : array->low(0));
    else if (x.isArray())
        v = Variant(high ? variantArrayBounds(x).high : variantArrayBounds(x).low);
    else
        v = Variant(high ? int(x.toString().size()) : 1);
}

void setLength(Variant&, TKSInterpreterArgs& a)
{
    const int count = std::max(0, integer(a, 1));
    if (TKSScriptArray* array = arrayOf(a.arg(0))) {
        if (std::size_t(count) > kMaxArrayElements)
            throw std::runtime_error("Out of memory");
        array->resize(std::size_t(count));  // shared storage: the variable sees it
        return;
    }
    if (a.arg(0).isArray())
        throw std::runtime_error("Sorry. Dynamic arrays support is made for one-dimensional arrays only.");
    if (std::size_t(count) > kMaxStringLength)
        throw std::runtime_error("Out of memory");
    std::string s = text(a, 0);
    s.resize(std::size_t(count), ' ');
    setVar(a, 0, Variant(std::move(s)));
}

// The array offset of a script index (the array's own low bound counts).
std::size_t arrayOffset(TKSScriptArray& array, int index)
{
    const long long offset = (long long)index - array.low(0);
    if (offset < 0)
        throw std::out_of_range("Index out of bounds");
    return std::size_t(offset);
}

TKSScriptArray& requiredArray(const Variant& v)
{
    TKSScriptArray* array = scriptArray(v);
    if (!array)
        throw std::runtime_error("Array expected");
    return *array;
}

// Copy(S, Index, Count) with the 1-based index clipped as the runtime does.
std::string copyText(const std::string& s, int index, int count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || std::size_t(index) > s.size())
        return {};
    return s.substr(std::size_t(index) - 1, std::size_t(count));
}

void registerStrings(TKSInterpreterAdapter& r)
{
    function(r, kUnit, "Length", 1, length);
    function(r, kUnit, "Low", 1, [](Variant& v, TKSInterpreterArgs& a) { lowOrHigh(v, a, false); });
    function(r, kUnit, "High", 1, [](Variant& v, TKSInterpreterArgs& a) { lowOrHigh(v, a, true); });
    function(r, kUnit, "SetLength", 2, setLength, {kstype::VarParam, 3});
    function(r, kUnit, "DeleteFromArray", 2, [](Variant&, TKSInterpreterArgs& a) {
        TKSScriptArray& array = requiredArray(a.arg(0));
        array.erase(arrayOffset(array, integer(a, 1)));
    });
    function(r, kUnit, "InsertIntoArray", 3, [](Variant&, TKSInterpreterArgs& a) {
        TKSScriptArray& array = requiredArray(a.arg(0));
        array.insert(arrayOffset(array, integer(a, 1)), a.arg(2));
    });
    function(r, kUnit, "Copy", 3, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(copyText(text(a, 0), integer(a, 1), integer(a, 2)));
    });
    function(r, kUnit, "Pos", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string sub = text(a, 0), s = text(a, 1);
        const std::size_t at = sub.empty() ? std::string::npos : s.find(sub);
        v = Variant(at == std::string::npos ? 0 : int(at) + 1);
    });
    function(r, kUnit, "Delete", 3, [](Variant&, TKSInterpreterArgs& a) {
        std::string s = text(a, 0);
        const int index = integer(a, 1), count = integer(a, 2);
        if (index >= 1 && std::size_t(index) <= s.size() && count > 0)
            s.erase(std::size_t(index) - 1, std::size_t(count));
        setVar(a, 0, Variant(std::move(s)));
    }, {kstype::VarParam | 256, 3, 3});
    function(r, kUnit, "Insert", 3, [](Variant&, TKSInterpreterArgs& a) {
        std::string s = text(a, 1);
        const int index = std::clamp(integer(a, 2), 1, int(s.size()) + 1);
        s.insert(std::size_t(index) - 1, text(a, 0));
        setVar(a, 1, Variant(std::move(s)));
    }, {256, kstype::VarParam | 256, 3});
    function(r, kUnit, "ord", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const Variant& x = a.arg(0);
        if (x.isString())
            v = Variant(x.stringValue().empty() ? 0 : int(static_cast<unsigned char>(x.stringValue()[0])));
        else if (x.isBoolean())
            v = Variant(x.toBool() ? 1 : 0);
        else
            v = Variant(x.toInteger());
    });
    function(r, kUnit, "Chr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(std::string(1, char(static_cast<unsigned char>(integer(a, 0)))));
    });
    function(r, kUnit, "UpCase", 1, [](Variant& v, TKSInterpreterArgs& a) {
        std::string s = text(a, 0).substr(0, 1);
        if (!s.empty() && s[0] >= 'a' && s[0] <= 'z')
            s[0] = char(s[0] - 'a' + 'A');
        v = Variant(std::move(s));
    });
}

// --- Arithmetic -----------------------------------------------------------------

template <double (*F)(double)> void mathFunction(Variant& v, TKSInterpreterArgs& a) { v = Variant(F(number(a, 0))); }

void registerArithmetic(TKSInterpreterAdapter& r)
{
    function(r, kUnit, "Abs", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const Variant& x = a.arg(0);
        v = x.isInteger() ? integerOrInt64(std::llabs(x.toInt64())) : Variant(std::fabs(x.toDouble()));
    });
    function(r, kUnit, "Sqr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const Variant& x = a.arg(0);
        v = x.isInteger() ? x * x : Variant(x.toDouble() * x.toDouble());
    });
    function(r, kUnit, "Round", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const double x = std::nearbyint(number(a, 0));  // ties to even, as the runtime rounds
        if (!std::isfinite(x) || std::fabs(x) > 9.2e18)
            invalidFloatOperation();
        v = integerOrInt64((long long)x);
    });
    function(r, kUnit, "Trunc", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const double x = std::trunc(number(a, 0));
        if (!std::isfinite(x) || std::fabs(x) > 9.2e18)
            invalidFloatOperation();
        v = integerOrInt64((long long)x);
    });
    function(r, kUnit, "Sqrt", 1, [](Variant& v, TKSInterpreterArgs& a) {
        if (number(a, 0) < 0)
            invalidFloatOperation();
        v = Variant(std::sqrt(number(a, 0)));
    });
    function(r, kUnit, "Ln", 1, [](Variant& v, TKSInterpreterArgs& a) {
        if (number(a, 0) <= 0)
            invalidFloatOperation();
        v = Variant(std::log(number(a, 0)));
    });
    function(r, kUnit, "Exp", 1, mathFunction<std::exp>);
    function(r, kUnit, "Sin", 1, mathFunction<std::sin>);
    function(r, kUnit, "Cos", 1, mathFunction<std::cos>);
    function(r, kUnit, "Tan", 1, mathFunction<std::tan>);
    function(r, kUnit, "ArcTan", 1, mathFunction<std::atan>);
    function(r, kUnit, "Randomize", 0, [](Variant&, TKSInterpreterArgs&) {
        randomEngine().seed(unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
    });
    function(r, kUnit, "Random", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const int range = integer(a, 0);
        v = Variant(range <= 0 ? 0 : int(std::uniform_int_distribution<int>(0, range - 1)(randomEngine())));
    });
    function(r, kUnit, "ParamCount", 0, [](Variant& v, TKSInterpreterArgs&) {
        v = Variant(ScriptParams().empty() ? 0 : int(ScriptParams().size()) - 1);
    });
    function(r, kUnit, "ParamStr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const int i = integer(a, 0);
        v = Variant(i >= 0 && std::size_t(i) < ScriptParams().size() ? ScriptParams()[std::size_t(i)] : std::string());
    });
}

// --- Variants -------------------------------------------------------------------

Variant createVariantArray(const Variant& boundsList, int elementType)
{
    if (!boundsList.isArray() || boundsList.dimCount() != 1)
        throw std::runtime_error("Error creating variant array");
    const platform::ArrayBound b = boundsList.bounds(1);
    const int values = b.high - b.low + 1;
    if (values < 2 || values % 2 != 0 || values / 2 > 64)
        throw std::runtime_error("Error creating variant array");
    std::vector<platform::ArrayBound> bounds;
    std::size_t total = 1;
    for (int i = b.low; i <= b.high; i += 2) {
        const int j = i + 1;
        platform::ArrayBound dim{boundsList.at(std::span<const int>(&i, 1)).toInteger(),
                                 boundsList.at(std::span<const int>(&j, 1)).toInteger()};
        const long long size = (long long)dim.high - dim.low + 1;
        if (size < 0 || (size > 0 && total > kMaxArrayElements / std::size_t(size)))
            throw std::runtime_error("Error creating variant array");
        total *= std::size_t(std::max(1LL, size));
        bounds.push_back(dim);
    }
    return Variant::array(std::move(bounds), VarType(elementType & platform::varTypeMask));
}

void registerVariants(TKSInterpreterAdapter& r)
{
    function(r, kUnit, "VarType", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(int(a.arg(0).type())); });
    function(r, kUnit, "VarAsType", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = a.arg(0).castTo(VarType(integer(a, 1)));
    });
    function(r, kUnit, "VarIsEmpty", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(a.arg(0).isEmpty()); });
    function(r, kUnit, "VarIsNull", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(a.arg(0).isNull()); });
    function(r, kUnit, "VarIsArray", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(a.arg(0).isArray()); });
    function(r, kUnit, "VarToStr", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(a.arg(0).isNull() ? std::string() : a.arg(0).toString());
    });
    function(r, kUnit, "VarFromDateTime", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant::fromDate(a.arg(0).toDate());
    });
    function(r, kUnit, "VarToDateTime", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant::fromDate(a.arg(0).toDate());
    });
    function(r, kUnit, "VarArrayCreate", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = createVariantArray(a.arg(0), integer(a, 1));
    });
    function(r, kUnit, "VarArrayOf", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = a.arg(0).isArray() ? a.arg(0) : Variant::arrayOf({a.arg(0)});
    });
    function(r, kUnit, "VarArrayDimCount", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(a.arg(0).isArray() ? a.arg(0).dimCount() : 0);
    });
    function(r, kUnit, "VarArrayLowBound", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(a.arg(0).bounds(integer(a, 1)).low);
    });
    function(r, kUnit, "VarArrayHighBound", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(a.arg(0).bounds(integer(a, 1)).high);
    });
    // The string type code is registered under this spelling.
    constants(r, "cSystem",
              {{"varEmpty", 0x0000},    {"varSmallint", 0x0002}, {"varInteger", 0x0003}, {"varSingle", 0x0004},
               {"varCurrency", 0x0006}, {"varDouble", 0x0005},   {"varDate", 0x0007},    {"varOleStr", 0x0008},
               {"varDispatch", 0x0009}, {"varError", 0x000A},    {"varBoolean", 0x000B}, {"varVariant", 0x000C},
               {"varUnknown", 0x000D},  {"varByte", 0x0011},     {"varStrArg", 0x0048},  {"varSrting", 0x0100},
               {"varAny", 0x0101},      {"varTypeMask", 0x0FFF}, {"varArray", 0x2000},   {"varByRef", 0x4000},
               {"varShortInt", 0x0010}, {"varWord", 0x0012},     {"varLongWord", 0x0013}, {"varInt64", 0x0014}});
}

} // namespace

void registerSystemBindings(TKSInterpreterAdapter& registry)
{
    registerObject(registry);
    registerStrings(registry);
    registerArithmetic(registry);
    registerVariants(registry);
}
