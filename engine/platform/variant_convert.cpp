// Variant conversions (VarAsType): to each simple type, with range checks and
// Delphi's messages, and through the handlers of custom kinds.
#include "platform/variant.h"
#include "platform/variant_detail.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace platform {

namespace detail {

void throwConversion(VarType from, VarType to)
{
    throw VariantError(VariantError::Kind::Conversion,
                       "Could not convert variant of type (" + typeName(from) + ") into type (" + typeName(to) + ")");
}

void throwConversionOverflow(VarType from, VarType to)
{
    throw VariantError(VariantError::Kind::Overflow,
                       "Overflow while converting variant of type (" + typeName(from) + ") into type (" + typeName(to) + ")");
}

void throwArithmeticOverflow() { throw VariantError(VariantError::Kind::Overflow, "Arithmetic overflow"); }
void throwDivisionByZero() { throw VariantError(VariantError::Kind::DivisionByZero, "Division by zero"); }
void throwInvalidOperation() { throw VariantError(VariantError::Kind::InvalidOperation, "Invalid variant operation"); }

std::optional<std::int64_t> roundToInt64(double value)
{
    double rounded = std::nearbyint(value);  // the default rounding mode: ties to even
    // 2^63 is exact as a double; the range is [-2^63, 2^63).
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

std::int64_t roundCurrency(std::int64_t scaled)
{
    std::int64_t whole = scaled / Currency::kScale;
    std::int64_t rest = scaled % Currency::kScale;
    std::int64_t half = Currency::kScale / 2;
    std::int64_t magnitude = rest < 0 ? -rest : rest;
    if (magnitude > half || (magnitude == half && whole % 2 != 0))
        whole += rest < 0 ? -1 : 1;
    return whole;
}

std::optional<bool> parseBoolText(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    auto equalsIgnoreCase = [&](std::string_view word) {
        if (text.size() != word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            if (c != word[i])
                return false;
        }
        return true;
    };
    if (equalsIgnoreCase("true"))
        return true;
    if (equalsIgnoreCase("false"))
        return false;
    return std::nullopt;
}

} // namespace detail

using namespace detail;

Currency Currency::fromDouble(double value)
{
    auto scaled = roundToInt64(value * double(kScale));
    if (!scaled)
        throwConversionOverflow(varDouble, varCurrency);
    return Currency{*scaled};
}

namespace {

// The value of a custom kind converted by its handler into a simple target.
Variant castCustom(const Variant& value, VarType target)
{
    if (const CustomVariantType* handler = customTypeHandler(value.type()))
        if (std::optional<Variant> result = handler->castTo(value, target); result && !result->isCustom())
            return *result;
    throwConversion(value.type(), target);
}

template <class Int>
Int narrowInteger(std::int64_t value, VarType from, VarType to)
{
    if (value < std::int64_t(std::numeric_limits<Int>::min()) || value > std::int64_t(std::numeric_limits<Int>::max()))
        throwConversionOverflow(from, to);
    return static_cast<Int>(value);
}

} // namespace

// ---- numbers --------------------------------------------------------------------

namespace {

std::int64_t int64FromText(const std::string& text, VarType from, VarType target)
{
    if (auto integer = parseInteger(text))
        return *integer;
    auto number = parseFloat(text);
    if (!number)
        throwConversion(from, target);
    auto rounded = roundToInt64(*number);
    if (!rounded)
        throwConversionOverflow(from, target);
    return *rounded;
}

// Int64 value of `v` for a conversion into `target` (named in messages).
std::int64_t int64Of(const Variant& v, VarType target)
{
    switch (v.type()) {
    case varEmpty:
        return 0;
    case varBoolean:
        return v.payload() ? -1 : 0;
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64:
        return v.payload();
    case varSingle: case varDouble: case varDate: {
        auto rounded = roundToInt64(v.toDouble());
        if (!rounded)
            throwConversionOverflow(v.type(), target);
        return *rounded;
    }
    case varCurrency:
        return roundCurrency(v.toCurrency().scaled);
    case varString: case varOleStr:
        return int64FromText(v.stringValue(), v.type(), target);
    default:
        if (v.isCustom())
            return int64Of(castCustom(v, target), target);
        throwConversion(v.type(), target);
    }
}

} // namespace

std::int64_t Variant::toInt64() const
{
    if (type_ == varInt64)
        return value_.i;
    return int64Of(*this, varInt64);
}

std::int32_t Variant::toInteger() const
{
    if (type_ == varInteger)
        return static_cast<std::int32_t>(value_.i);
    return narrowInteger<std::int32_t>(int64Of(*this, varInteger), type_, varInteger);
}

double Variant::toDouble() const
{
    switch (type_) {
    case varEmpty:
        return 0;
    case varBoolean:
        return value_.b ? -1 : 0;
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64:
        return double(value_.i);
    case varSingle:
        return value_.f;
    case varDouble: case varDate:
        return value_.d;
    case varCurrency:
        return double(value_.i) / Currency::kScale;
    case varString: case varOleStr:
        if (auto number = parseFloat(stringValue()))
            return *number;
        throwConversion(type_, varDouble);
    default:
        if (isCustom())
            return castCustom(*this, varDouble).toDouble();
        throwConversion(type_, varDouble);
    }
}

Currency Variant::toCurrency() const
{
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / Currency::kScale;
    switch (type_) {
    case varCurrency:
        return Currency{value_.i};
    case varEmpty: case varBoolean:
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64: {
        std::int64_t whole = int64Of(*this, varCurrency);
        if (whole > kLimit || whole < -kLimit)
            throwConversionOverflow(type_, varCurrency);
        return Currency{whole * Currency::kScale};
    }
    case varSingle: case varDouble: case varDate: case varString: case varOleStr: {
        double value = 0;
        if (isString()) {
            auto number = parseFloat(stringValue());
            if (!number)
                throwConversion(type_, varCurrency);
            value = *number;
        } else {
            value = toDouble();
        }
        auto scaled = roundToInt64(value * double(Currency::kScale));
        if (!scaled)
            throwConversionOverflow(type_, varCurrency);
        return Currency{*scaled};
    }
    default:
        if (isCustom())
            return castCustom(*this, varCurrency).toCurrency();
        throwConversion(type_, varCurrency);
    }
}

bool Variant::toBool() const
{
    switch (type_) {
    case varEmpty:
        return false;
    case varBoolean:
        return value_.b;
    case varString: case varOleStr:
        if (auto flag = parseBoolText(stringValue()))
            return *flag;
        if (auto number = parseFloat(stringValue()))
            return *number != 0;
        throwConversion(type_, varBoolean);
    default:
        if (isInteger() || type_ == varCurrency)
            return value_.i != 0;
        if (isFloat() || isDate())
            return toDouble() != 0;
        if (isCustom())
            return castCustom(*this, varBoolean).toBool();
        throwConversion(type_, varBoolean);
    }
}

double Variant::toDate() const
{
    double value = 0;
    if (isString()) {
        if (auto date = parseDateTime(stringValue()))
            return *date;
        auto number = parseFloat(stringValue());
        if (!number)
            throwConversion(type_, varDate);
        value = *number;
    } else if (isCustom()) {
        return castCustom(*this, varDate).toDate();
    } else if (isNumeric() || isDate() || isEmpty() || isBoolean()) {
        value = toDouble();
    } else {
        throwConversion(type_, varDate);
    }
    // Day numbers of years 1..9999 only, so that every date can be shown.
    if (!(value >= -693593.0 && value < 2958466.0))
        throwConversionOverflow(type_, varDate);
    return value;
}

// ---- text ----------------------------------------------------------------------

std::string Variant::toString() const
{
    switch (type_) {
    case varEmpty:
        return std::string();
    case varBoolean:
        return value_.b ? "True" : "False";
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64:
        return std::to_string(value_.i);
    case varSingle:
        return formatFloat(value_.f, 7);
    case varDouble:
        return formatFloat(value_.d);
    case varCurrency:
        return formatCurrency(value_.i);
    case varDate:
        try {
            return dateTimeToString(value_.d);
        } catch (const VariantError&) {
            throwConversionOverflow(type_, varString);
        }
    case varString: case varOleStr:
        return stringValue();
    default:
        if (const CustomVariantType* handler = customTypeHandler(type_))
            if (auto text = handler->toString(*this))
                return *text;
        throwConversion(type_, varString);
    }
}

// ---- VarAsType ---------------------------------------------------------------------

Variant Variant::castTo(VarType target) const
{
    target = target & ~varByRef;  // values are never held by reference
    if (target == type_ || target == varVariant)
        return *this;
    if (target & varArray) {
        if (isArray() && (target & varTypeMask) == varVariant)
            return *this;
        throwConversion(type_, target);
    }
    if (isNull() && target != varEmpty)
        throwConversion(type_, target);
    if (isCustomType(target)) {
        if (const CustomVariantType* handler = customTypeHandler(target))
            if (auto result = handler->castFrom(*this, target); result && result->type() == target)
                return *result;
        throwConversion(type_, target);
    }
    if (isCustom())
        return castCustom(*this, target).castTo(target);
    switch (target) {
    case varEmpty: return Variant();
    case varNull: return Variant::null();
    case varSmallint: return fromSmallint(narrowInteger<std::int16_t>(int64Of(*this, target), type_, target));
    case varInteger: return Variant(toInteger());
    case varShortInt: return fromShortInt(narrowInteger<std::int8_t>(int64Of(*this, target), type_, target));
    case varByte: return fromByte(narrowInteger<std::uint8_t>(int64Of(*this, target), type_, target));
    case varWord: return fromWord(narrowInteger<std::uint16_t>(int64Of(*this, target), type_, target));
    case varLongWord: return fromLongWord(narrowInteger<std::uint32_t>(int64Of(*this, target), type_, target));
    case varInt64: return Variant(static_cast<long long>(toInt64()));
    case varSingle: {
        double value = toDouble();
        if (std::isfinite(value) && std::fabs(value) > double(FLT_MAX))
            throwConversionOverflow(type_, target);
        return fromSingle(static_cast<float>(value));
    }
    case varDouble: return Variant(toDouble());
    case varCurrency: return Variant(toCurrency());
    case varDate: return fromDate(toDate());
    case varBoolean: return Variant(toBool());
    case varString: return Variant(toString());
    case varOleStr: return fromOleStr(toString());
    default: throwConversion(type_, target);
    }
}

} // namespace platform
