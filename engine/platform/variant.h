// Dynamic values (variants) used by expressions and the script: a small tagged
// union with the Delphi type codes, arithmetic, comparison and conversion.
#pragma once

#include "platform/variant_date.h"
#include "platform/variant_format.h"

#include <compare>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Type codes, numerically those of Delphi variants. Codes of custom kinds are
// handed out at run time by registerCustomType (0x010F upward).
enum VarType : std::uint16_t {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varSingle = 0x0004,
    varDouble = 0x0005,
    varCurrency = 0x0006,
    varDate = 0x0007,
    varOleStr = 0x0008,   // held as GBK bytes like varString; keeps its own tag
    varDispatch = 0x0009,
    varError = 0x000A,
    varBoolean = 0x000B,
    varVariant = 0x000C,
    varUnknown = 0x000D,
    varShortInt = 0x0010,
    varByte = 0x0011,
    varWord = 0x0012,
    varLongWord = 0x0013,
    varInt64 = 0x0014,
    varFirstCustom = 0x010F,
    varString = 0x0100,   // GBK bytes
    varTypeMask = 0x0FFF,
    varArray = 0x2000,
    varByRef = 0x4000,
};

constexpr VarType operator|(VarType a, VarType b) { return VarType(unsigned(a) | unsigned(b)); }
constexpr VarType operator&(VarType a, VarType b) { return VarType(unsigned(a) & unsigned(b)); }
constexpr VarType operator~(VarType a) { return VarType(~unsigned(a) & 0xFFFFu); }

// Raised by every failing variant operation; the message is the user-facing text
// ("Could not convert variant of type (String) into type (Double)").
class VariantError : public std::runtime_error {
public:
    enum class Kind { Conversion, Overflow, DivisionByZero, InvalidOperation, ArrayBounds, ArrayCreate };
    VariantError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// Fixed-point money: the value times 10000.
struct Currency {
    static constexpr std::int64_t kScale = 10000;
    std::int64_t scaled = 0;
    // Rounds to four decimals (ties to even); VariantError when out of range.
    static Currency fromDouble(double value);
    double toDouble() const noexcept { return double(scaled) / kScale; }
    friend bool operator==(Currency, Currency) = default;
};

// Bounds of one dimension of a variant array; high = low - 1 is an empty dimension.
struct ArrayBound {
    int low = 0;
    int high = -1;
    friend bool operator==(ArrayBound, ArrayBound) = default;
};

class Variant;

// Behaviour of a custom kind. Every operation answers nullopt when the kind does
// not support it; the caller then raises the conversion error.
class CustomVariantType {
public:
    virtual ~CustomVariantType();
    // <0, 0, >0 comparing `self` (of this kind) with `other` (any kind).
    virtual std::optional<int> compare(const Variant& self, const Variant& other) const;
    virtual std::optional<std::string> toString(const Variant& self) const;
    // Conversion of `self` into another type code.
    virtual std::optional<Variant> castTo(const Variant& self, VarType target) const;
    // Conversion of a value of another kind into this kind (`code` is this kind's code).
    virtual std::optional<Variant> castFrom(const Variant& source, VarType code) const;
};

// Registers a custom kind (start-up only; kinds live for the program's lifetime)
// and returns its new type code (0x010F, 0x0110, ...). `name` appears in messages.
VarType registerCustomType(std::string name, std::shared_ptr<const CustomVariantType> handler = nullptr);
bool isCustomType(VarType code) noexcept;
const CustomVariantType* customTypeHandler(VarType code) noexcept;  // null when none

// Message text of a type code: "Integer", "String", "Array Variant", custom names.
std::string typeName(VarType code);

class Variant {
public:
    Variant() noexcept = default;  // varEmpty
    Variant(bool value) noexcept : type_(varBoolean) { value_.b = value; }
    Variant(int value) noexcept : type_(varInteger) { value_.i = value; }
    Variant(long value) noexcept : type_(varInt64) { value_.i = value; }
    Variant(long long value) noexcept : type_(varInt64) { value_.i = value; }
    Variant(unsigned value) noexcept : type_(varLongWord) { value_.i = value; }
    Variant(double value) noexcept : type_(varDouble) { value_.d = value; }
    Variant(Currency value) noexcept : type_(varCurrency) { value_.i = value.scaled; }
    Variant(const char* gbk) : Variant(std::string(gbk)) {}
    Variant(char* gbk) : Variant(std::string(gbk)) {}
    Variant(std::string_view gbk) : Variant(std::string(gbk)) {}
    Variant(std::string gbk);
    template <class T> Variant(T*) = delete;  // no silent pointer -> bool
    Variant(char) = delete;                   // a character is a one-byte string, say so

    static Variant null() noexcept;
    static Variant fromSmallint(std::int16_t value) noexcept;
    static Variant fromShortInt(std::int8_t value) noexcept;
    static Variant fromByte(std::uint8_t value) noexcept;
    static Variant fromWord(std::uint16_t value) noexcept;
    static Variant fromLongWord(std::uint32_t value) noexcept;
    static Variant fromSingle(float value) noexcept;
    static Variant fromDate(double dayNumber) noexcept;
    static Variant fromOleStr(std::string gbk);
    static Variant fromError(std::int32_t code) noexcept;
    // A reference value: a registered custom code, varDispatch or varUnknown,
    // with a payload and an optional holder that keeps the referent alive.
    static Variant custom(VarType code, std::intptr_t payload, std::shared_ptr<void> holder = {});
    // A variant array (1..64 dimensions) of elements of `elementType`
    // (varVariant: any value, starting Empty; otherwise elements start at the
    // type's zero value and stored values are converted to it).
    static Variant array(std::vector<ArrayBound> bounds, VarType elementType = varVariant);
    // One dimension 0..n-1 holding the given values (VarArrayOf).
    static Variant arrayOf(std::vector<Variant> items);

    VarType type() const noexcept { return type_; }
    bool isEmpty() const noexcept { return type_ == varEmpty; }
    bool isNull() const noexcept { return type_ == varNull; }
    bool isBoolean() const noexcept { return type_ == varBoolean; }
    bool isString() const noexcept { return type_ == varString || type_ == varOleStr; }
    bool isDate() const noexcept { return type_ == varDate; }
    bool isArray() const noexcept { return (type_ & varArray) != 0; }
    bool isCustom() const noexcept { return isCustomType(type_); }
    bool isInteger() const noexcept;  // Smallint, Integer, ShortInt, Byte, Word, LongWord, Int64
    bool isFloat() const noexcept { return type_ == varSingle || type_ == varDouble; }
    bool isNumeric() const noexcept { return isInteger() || isFloat() || type_ == varCurrency; }

    // The held text of a string kind (VariantError for other kinds).
    const std::string& stringValue() const;
    // The payload of a reference kind, the value of an integer kind or Boolean
    // (true = 1); 0 for other kinds.
    std::intptr_t payload() const noexcept;
    // payload() inline, for hot paths that already know the kind is an
    // integer kind or Boolean.
    std::int64_t integerBits() const noexcept { return type_ == varBoolean ? (value_.b ? 1 : 0) : value_.i; }
    const std::shared_ptr<void>& holder() const noexcept { return ref_; }

    // Replace the value by an Integer or a Boolean in place, as assigning
    // Variant(value) does: script loops store one per step, and a temporary
    // costs a reference-count check on either side.
    void setInteger(std::int32_t value) noexcept
    {
        if (ref_)
            ref_.reset();
        type_ = varInteger;
        value_.i = value;
    }
    // Appends to a String whose text no other variant shares, in place (a
    // script building a text piece by piece then copies it once, not once per
    // piece); false, with nothing changed, for any other value.
    bool appendToSoleString(std::string_view tail);
    // The same text storage as `other` (both strings or arrays sharing it).
    bool sharesStorageWith(const Variant& other) const noexcept { return ref_ && ref_ == other.ref_; }

    void setBoolean(bool value) noexcept
    {
        if (ref_)
            ref_.reset();
        type_ = varBoolean;
        value_.i = 0;
        value_.b = value;
    }

    // Conversions as VarAsType does them; VariantError when impossible. Empty
    // converts to 0 / "" / false; Null converts only to Null and Variant.
    // Booleans convert to -1 (true) and 0; floats to integers round ties to even.
    std::int32_t toInteger() const;
    std::int64_t toInt64() const;
    double toDouble() const;
    Currency toCurrency() const;
    bool toBool() const;
    std::string toString() const;
    double toDate() const;
    Variant castTo(VarType target) const;

    // Variant arrays. Dimensions are numbered from 1; indexes are one per
    // dimension. Copies share storage until one of them is written (so assigning
    // an array behaves as a copy).
    int dimCount() const noexcept;
    ArrayBound bounds(int dim) const;
    std::size_t elementCount() const noexcept;
    VarType elementType() const noexcept;
    const Variant& at(std::span<const int> indexes) const;
    void setAt(std::span<const int> indexes, Variant value);

    std::string typeName() const { return platform::typeName(type_); }

    // Same type code and same held value (strings by bytes, arrays element by
    // element, references by payload). Not the variant "=" operator.
    bool identicalTo(const Variant& other) const;

    friend void PrintTo(const Variant& value, std::ostream* os);

private:
    struct ArrayData;
    const ArrayData& arrayData() const;

    VarType type_ = varEmpty;
    union Scalar {
        std::int64_t i;  // every integer kind, Currency (scaled), varError, payloads
        double d;        // Double, Date
        float f;
        bool b;
    } value_{0};
    std::shared_ptr<void> ref_;  // string (std::string), array (ArrayData) or holder
};

// Binary operators of the variant library.
enum class VarOp { Add, Subtract, Multiply, Divide, IntDivide, Modulus, And, Or, Xor };
enum class VarCompare { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

// How null operands behave. Strict: variant rules (any arithmetic with Null is
// Null; Null equals Null and is less than every other value). Lenient (report
// expressions without StrictNulls): before the operation a single null operand
// becomes the empty value of the other's type ("" for strings, false for
// Booleans, Integer 0 otherwise), and when both are null the left becomes 0.
enum class Nulls { Strict, Lenient };

// The lenient replacement itself, for callers that apply it on their own.
void relaxNullOperands(Variant& left, Variant& right);

// Integer op integer stays Integer while the result fits in 32 bits, else Int64
// (Double only for LongWord * LongWord beyond Int64); Int64 overflow raises
// "Arithmetic overflow". "+" on two strings concatenates; a string meeting a
// number is converted to Double. Any float operand gives Double (Single too);
// Currency with integers or Currency stays Currency. "/" always gives Double.
// div and mod round floats to integers ("Division by zero" for a zero divisor).
// And, or and xor are logical when a Boolean meets a Boolean (or a "True"/"False"
// text), bitwise otherwise. Booleans count as -1 / 0 and Empty as 0 / "" in
// arithmetic; Empty op Empty is Integer 0 op 0. Dates plus or minus numbers stay
// dates; date minus date and date times anything are Double.
Variant binaryOp(VarOp op, const Variant& left, const Variant& right, Nulls nulls = Nulls::Strict);

// Three-way comparison: numbers numerically (integers and Currency exactly),
// strings by bytes (case-sensitive), a string and a number numerically when the
// string holds a number (else both as texts), a string and a date as dates when
// the string holds one, a string and a Boolean as Booleans when it says
// True/False; false < true; Empty is 0 / "" / false; Null equals Null and is less
// than anything else. NaN is unordered. Arrays raise "Invalid variant operation";
// custom kinds need a handler, references of one kind compare by payload.
std::partial_ordering compareValues(const Variant& left, const Variant& right, Nulls nulls = Nulls::Strict);
bool compare(VarCompare op, const Variant& left, const Variant& right, Nulls nulls = Nulls::Strict);

Variant negate(const Variant& value);      // unary minus; Null stays Null
Variant notValue(const Variant& value);    // logical on Booleans, bitwise on integers

inline Variant operator+(const Variant& a, const Variant& b) { return binaryOp(VarOp::Add, a, b); }
inline Variant operator-(const Variant& a, const Variant& b) { return binaryOp(VarOp::Subtract, a, b); }
inline Variant operator*(const Variant& a, const Variant& b) { return binaryOp(VarOp::Multiply, a, b); }
inline Variant operator/(const Variant& a, const Variant& b) { return binaryOp(VarOp::Divide, a, b); }
inline Variant operator-(const Variant& a) { return negate(a); }

} // namespace platform
