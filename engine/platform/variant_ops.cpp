// Variant operators: arithmetic with Delphi's type promotion, logical/bitwise
// operators, negation and comparison, with strict or lenient null operands.
#include "platform/variant.h"
#include "platform/variant_detail.h"

#include <cmath>
#include <limits>

namespace platform {

using namespace detail;

namespace {

// ---- numeric view of an operand ----------------------------------------------------

// Operand kinds in promotion order: the result takes the highest kind present
// (Date is special-cased by each operator).
enum class NumKind { Int, Int64, Currency, Double, Date };

struct Num {
    NumKind kind;
    std::int64_t i = 0;  // Int, Int64, Currency (scaled)
    double d = 0;        // Double, Date
};

Num numOf(const Variant& v)
{
    switch (v.type()) {
    case varEmpty:
        return {NumKind::Int};
    case varBoolean:
        return {NumKind::Int, v.payload() ? -1 : 0};  // Delphi's true is -1
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord:
        return {NumKind::Int, v.payload()};
    case varInt64:
        return {NumKind::Int64, v.payload()};
    case varCurrency:
        return {NumKind::Currency, v.toCurrency().scaled};
    case varSingle: case varDouble: case varString: case varOleStr:
        return {NumKind::Double, 0, v.toDouble()};
    case varDate:
        return {NumKind::Date, 0, v.toDouble()};
    default:
        if (v.isArray())
            throwInvalidOperation();
        throwConversion(v.type(), varDouble);
    }
}

double toDouble(const Num& n)
{
    switch (n.kind) {
    case NumKind::Int: case NumKind::Int64: return double(n.i);
    case NumKind::Currency: return double(n.i) / Currency::kScale;
    default: return n.d;
    }
}

std::int64_t toInt64(const Num& n)
{
    switch (n.kind) {
    case NumKind::Int: case NumKind::Int64: return n.i;
    case NumKind::Currency: return roundCurrency(n.i);
    default:
        if (auto rounded = roundToInt64(n.d))
            return *rounded;
        throwArithmeticOverflow();
    }
}

std::int64_t toScaled(const Num& n)
{
    if (n.kind == NumKind::Currency)
        return n.i;
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(n.i, Currency::kScale, &scaled))
        throwArithmeticOverflow();
    return scaled;
}

// An Int-family result: Integer when it fits in 32 bits, else Int64.
Variant fittedInteger(std::int64_t value)
{
    if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<int>(value));
    return Variant(static_cast<long long>(value));
}

Variant currencyOf(std::int64_t scaled) { return Variant(Currency{scaled}); }

// ---- arithmetic ---------------------------------------------------------------------

std::int64_t checkedInt64(VarOp op, std::int64_t a, std::int64_t b, bool& overflow)
{
    std::int64_t r = 0;
    switch (op) {
    case VarOp::Add: overflow = __builtin_add_overflow(a, b, &r); break;
    case VarOp::Subtract: overflow = __builtin_sub_overflow(a, b, &r); break;
    default: overflow = __builtin_mul_overflow(a, b, &r); break;
    }
    return r;
}

double doubleArith(VarOp op, double a, double b)
{
    switch (op) {
    case VarOp::Add: return a + b;
    case VarOp::Subtract: return a - b;
    default: return a * b;
    }
}

Variant currencyArith(VarOp op, const Num& a, const Num& b)
{
    std::int64_t r = 0;
    if (op == VarOp::Multiply) {
        if (a.kind != NumKind::Currency || b.kind != NumKind::Currency) {
            const Num& money = a.kind == NumKind::Currency ? a : b;
            const Num& factor = a.kind == NumKind::Currency ? b : a;
            if (__builtin_mul_overflow(money.i, factor.i, &r))
                throwArithmeticOverflow();
            return currencyOf(r);
        }
        // Both scaled: divide the exact product by the scale, ties to even.
        __int128 product = __int128(a.i) * b.i;
        __int128 whole = product / Currency::kScale, rest = product % Currency::kScale;
        __int128 magnitude = rest < 0 ? -rest : rest;
        if (magnitude * 2 > Currency::kScale || (magnitude * 2 == Currency::kScale && whole % 2 != 0))
            whole += rest < 0 ? -1 : 1;
        if (whole > std::numeric_limits<std::int64_t>::max() || whole < std::numeric_limits<std::int64_t>::min())
            throwArithmeticOverflow();
        return currencyOf(static_cast<std::int64_t>(whole));
    }
    bool overflow = false;
    r = checkedInt64(op, toScaled(a), toScaled(b), overflow);
    if (overflow)
        throwArithmeticOverflow();
    return currencyOf(r);
}

// +, - and * of two numeric operands.
Variant numericArith(VarOp op, const Num& a, const Num& b)
{
    bool aDate = a.kind == NumKind::Date, bDate = b.kind == NumKind::Date;
    if (aDate || bDate) {
        double r = doubleArith(op, toDouble(a), toDouble(b));
        if (op == VarOp::Multiply || (op == VarOp::Subtract && aDate && bDate))
            return Variant(r);
        return Variant::fromDate(r);
    }
    NumKind top = std::max(a.kind, b.kind);
    if (top == NumKind::Double)
        return Variant(doubleArith(op, toDouble(a), toDouble(b)));
    if (top == NumKind::Currency)
        return currencyArith(op, a, b);
    bool overflow = false;
    std::int64_t r = checkedInt64(op, a.i, b.i, overflow);
    if (top == NumKind::Int64) {
        if (overflow)
            throwArithmeticOverflow();
        return Variant(static_cast<long long>(r));
    }
    // 32-bit operands (LongWord included) overflow Int64 only when multiplied.
    if (overflow)
        return Variant(double(a.i) * double(b.i));
    return fittedInteger(r);
}

Variant divide(const Num& a, const Num& b)
{
    double divisor = toDouble(b);
    if (divisor == 0)
        throw VariantError(VariantError::Kind::DivisionByZero, "Floating point division by zero");
    return Variant(toDouble(a) / divisor);
}

Variant integerDivide(VarOp op, const Num& a, const Num& b)
{
    std::int64_t x = toInt64(a), y = toInt64(b);
    if (y == 0)
        throwDivisionByZero();
    std::int64_t r = 0;
    if (y == -1)  // the one quotient that can overflow: min / -1
        r = op == VarOp::Modulus ? 0 : (x == std::numeric_limits<std::int64_t>::min() ? (throwArithmeticOverflow(), 0) : -x);
    else
        r = op == VarOp::Modulus ? x % y : x / y;
    if (a.kind == NumKind::Int64 || b.kind == NumKind::Int64)
        return Variant(static_cast<long long>(r));
    return fittedInteger(r);
}

// ---- logical and bitwise ---------------------------------------------------------------

// A Boolean view for logical operators: Booleans, Empty (false) and texts "True"/"False".
std::optional<bool> logicalOf(const Variant& v)
{
    if (v.isBoolean())
        return v.payload() != 0;
    if (v.isEmpty())
        return false;
    if (v.isString())
        return parseBoolText(v.stringValue());
    return std::nullopt;
}

Variant logicalOrBitwise(VarOp op, const Variant& left, const Variant& right)
{
    std::optional<bool> a = logicalOf(left), b = logicalOf(right);
    if (a && b && (left.isBoolean() || right.isBoolean())) {
        switch (op) {
        case VarOp::And: return Variant(*a && *b);
        case VarOp::Or: return Variant(*a || *b);
        default: return Variant(*a != *b);
        }
    }
    Num na = numOf(left), nb = numOf(right);
    std::int64_t x = toInt64(na), y = toInt64(nb);
    std::int64_t r = op == VarOp::And ? (x & y) : op == VarOp::Or ? (x | y) : (x ^ y);
    if (na.kind == NumKind::Int64 || nb.kind == NumKind::Int64)
        return Variant(static_cast<long long>(r));
    return fittedInteger(r);
}

bool isReferenceKind(const Variant& v)
{
    return v.isCustom() || v.type() == varDispatch || v.type() == varUnknown || v.type() == varError;
}

Variant concatenate(const Variant& left, const Variant& right)
{
    std::string text = left.isString() ? left.stringValue() : std::string();
    if (right.isString())
        text += right.stringValue();
    bool ole = (left.type() == varOleStr || left.isEmpty()) && (right.type() == varOleStr || right.isEmpty());
    return ole ? Variant::fromOleStr(std::move(text)) : Variant(std::move(text));
}

Variant strictBinaryOp(VarOp op, const Variant& left, const Variant& right)
{
    if (left.isNull() || right.isNull())
        return Variant::null();
    if (left.isArray() || right.isArray())
        throwInvalidOperation();
    if (isReferenceKind(left))
        throwConversion(left.type(), right.isString() ? varString : varDouble);
    if (isReferenceKind(right))
        throwConversion(right.type(), left.isString() ? varString : varDouble);
    switch (op) {
    case VarOp::Add:
        if ((left.isString() || left.isEmpty()) && (right.isString() || right.isEmpty())
            && (left.isString() || right.isString()))
            return concatenate(left, right);
        [[fallthrough]];
    case VarOp::Subtract:
    case VarOp::Multiply:
        return numericArith(op, numOf(left), numOf(right));
    case VarOp::Divide:
        return divide(numOf(left), numOf(right));
    case VarOp::IntDivide:
    case VarOp::Modulus:
        return integerDivide(op, numOf(left), numOf(right));
    default:
        return logicalOrBitwise(op, left, right);
    }
}

// ---- comparison -----------------------------------------------------------------------

std::partial_ordering orderOf(int sign)
{
    return sign < 0 ? std::partial_ordering::less : sign > 0 ? std::partial_ordering::greater
                                                           : std::partial_ordering::equivalent;
}

std::partial_ordering compareText(const std::string& a, const std::string& b)
{
    return orderOf(a.compare(b));  // char_traits<char>::compare orders bytes as unsigned
}

std::partial_ordering compareNumbers(const Num& a, const Num& b)
{
    bool aExact = a.kind == NumKind::Int || a.kind == NumKind::Int64;
    bool bExact = b.kind == NumKind::Int || b.kind == NumKind::Int64;
    if (aExact && bExact)
        return a.i <=> b.i;
    if ((aExact || a.kind == NumKind::Currency) && (bExact || b.kind == NumKind::Currency)) {
        auto scaled = [](const Num& n) { return n.kind == NumKind::Currency ? __int128(n.i) : __int128(n.i) * Currency::kScale; };
        return scaled(a) <=> scaled(b);
    }
    return toDouble(a) <=> toDouble(b);
}

std::partial_ordering compareReferences(const Variant& left, const Variant& right)
{
    if (left.isCustom()) {
        if (const CustomVariantType* handler = customTypeHandler(left.type()))
            if (auto sign = handler->compare(left, right))
                return orderOf(*sign);
    }
    if (right.isCustom()) {
        if (const CustomVariantType* handler = customTypeHandler(right.type()))
            if (auto sign = handler->compare(right, left))
                return orderOf(-*sign);
    }
    if (!left.isCustom() && !right.isCustom() && left.type() == right.type())
        return left.payload() <=> right.payload();  // Dispatch, Unknown, Error: identity
    if (isReferenceKind(left))
        throwConversion(left.type(), right.type());
    throwConversion(right.type(), left.type());
}

// A string against a non-string value: by the value's kind when the string
// converts to it, else both as texts.
std::partial_ordering compareStringWith(const Variant& text, const Variant& other)
{
    const std::string& s = text.stringValue();
    if (other.isBoolean()) {
        if (auto flag = parseBoolText(s))
            return *flag <=> (other.payload() != 0);
    } else if (other.isDate()) {
        if (auto date = parseDateTime(s))
            return *date <=> other.toDouble();
        if (auto number = parseFloat(s))
            return *number <=> other.toDouble();
    } else if (auto number = parseFloat(s)) {
        return compareNumbers({NumKind::Double, 0, *number}, numOf(other));
    }
    return compareText(s, other.toString());
}

std::partial_ordering strictCompare(const Variant& left, const Variant& right)
{
    if (left.isNull() || right.isNull())
        return int(!left.isNull()) <=> int(!right.isNull());  // Null is the smallest value
    if (left.isArray() || right.isArray())
        throwInvalidOperation();
    if (isReferenceKind(left) || isReferenceKind(right))
        return compareReferences(left, right);
    if (left.isEmpty() && right.isEmpty())
        return std::partial_ordering::equivalent;
    if (left.isString() && right.isString())
        return compareText(left.stringValue(), right.stringValue());
    if (left.isString())
        return right.isEmpty() ? compareText(left.stringValue(), std::string()) : compareStringWith(left, right);
    if (right.isString())
        return left.isEmpty() ? compareText(std::string(), right.stringValue()) : 0 <=> compareStringWith(right, left);
    if (left.isBoolean() && (right.isBoolean() || right.isEmpty()))
        return (left.payload() != 0) <=> (right.payload() != 0);
    if (right.isBoolean() && left.isEmpty())
        return false <=> (right.payload() != 0);
    return compareNumbers(numOf(left), numOf(right));
}

} // namespace

void relaxNullOperands(Variant& left, Variant& right)
{
    auto emptyValueLike = [](const Variant& other) {
        if (other.isString())
            return Variant(std::string());
        if (other.isBoolean())
            return Variant(false);
        return Variant(0);
    };
    if (left.isNull() && right.isNull())
        left = Variant(0);
    else if (left.isNull())
        left = emptyValueLike(right);
    else if (right.isNull())
        right = emptyValueLike(left);
}

Variant binaryOp(VarOp op, const Variant& left, const Variant& right, Nulls nulls)
{
    if (nulls == Nulls::Lenient && (left.isNull() || right.isNull())) {
        Variant l = left, r = right;
        relaxNullOperands(l, r);
        return strictBinaryOp(op, l, r);
    }
    return strictBinaryOp(op, left, right);
}

std::partial_ordering compareValues(const Variant& left, const Variant& right, Nulls nulls)
{
    if (nulls == Nulls::Lenient && (left.isNull() || right.isNull())) {
        Variant l = left, r = right;
        relaxNullOperands(l, r);
        return strictCompare(l, r);
    }
    return strictCompare(left, right);
}

bool compare(VarCompare op, const Variant& left, const Variant& right, Nulls nulls)
{
    std::partial_ordering order = compareValues(left, right, nulls);
    switch (op) {
    case VarCompare::Equal: return order == 0;
    case VarCompare::NotEqual: return order != 0;
    case VarCompare::Less: return order < 0;
    case VarCompare::LessEqual: return order <= 0;
    case VarCompare::Greater: return order > 0;
    case VarCompare::GreaterEqual: return order >= 0;
    }
    return false;
}

Variant negate(const Variant& value)
{
    switch (value.type()) {
    case varNull:
        return value;
    case varSingle:
        return Variant::fromSingle(-static_cast<float>(value.toDouble()));
    case varDouble:
        return Variant(-value.toDouble());
    case varDate:
        return Variant::fromDate(-value.toDouble());
    default:
        return numericArith(VarOp::Subtract, Num{NumKind::Int}, numOf(value));
    }
}

Variant notValue(const Variant& value)
{
    if (value.isNull())
        return value;
    if (value.isBoolean())
        return Variant(value.payload() == 0);
    if (value.isString())
        if (auto flag = parseBoolText(value.stringValue()))
            return Variant(!*flag);
    Num n = numOf(value);
    std::int64_t r = ~toInt64(n);
    if (n.kind == NumKind::Int64)
        return Variant(static_cast<long long>(r));
    return fittedInteger(r);
}

} // namespace platform
