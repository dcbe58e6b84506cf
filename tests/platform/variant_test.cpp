// Dynamic values: one table of operator and conversion cases, then arrays,
// custom kinds, dates and locale-dependent number text.
#include "platform/gbk.h"
#include "platform/variant.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <sstream>
#include <variant>

using namespace platform;

namespace {

// ---- the table ---------------------------------------------------------------------

Variant I(int v) { return Variant(v); }
Variant I64(long long v) { return Variant(v); }
Variant D(double v) { return Variant(v); }
Variant S(const char* v) { return Variant(v); }
Variant B(bool v) { return Variant(v); }
Variant C(double v) { return Variant(Currency::fromDouble(v)); }
Variant Dt(int y, int m, int d, int h = 0, int n = 0, int s = 0) { return Variant::fromDate(encodeDateTime({y, m, d, h, n, s, 0})); }
const Variant Nul = Variant::null();
const Variant Emp;
constexpr long long kInt64Max = std::numeric_limits<long long>::max();
constexpr long long kInt64Min = std::numeric_limits<long long>::min();

enum class Do {
    Add, Sub, Mul, Div, IntDiv, Mod, And, Or, Xor,
    Eq, Ne, Lt, Le, Gt, Ge,
    Neg, Not,
    Cast,  // castTo(target)
    Text,  // toString()
};

struct Op {
    Do what;
    Nulls nulls = Nulls::Strict;
    VarType target = varEmpty;
};

const Op Add{Do::Add}, Sub{Do::Sub}, Mul{Do::Mul}, Div{Do::Div}, IntDiv{Do::IntDiv}, Mod{Do::Mod};
const Op And{Do::And}, Or{Do::Or}, Xor{Do::Xor}, Neg{Do::Neg}, Not{Do::Not}, Text{Do::Text};
const Op Eq{Do::Eq}, Ne{Do::Ne}, Lt{Do::Lt}, Le{Do::Le}, Gt{Do::Gt}, Ge{Do::Ge};
Op lenient(Op op) { op.nulls = Nulls::Lenient; return op; }
Op castTo(VarType target) { return Op{Do::Cast, Nulls::Strict, target}; }

struct Failure {
    VariantError::Kind kind;
    const char* message;  // exact text, or nullptr to check only the kind
};

struct Case {
    Variant left;
    Op op;
    Variant right;  // unused by unary operations and conversions
    std::variant<Variant, Failure> expected;
};

Variant run(const Case& c)
{
    auto binary = [&](VarOp op) { return binaryOp(op, c.left, c.right, c.op.nulls); };
    auto relation = [&](VarCompare op) { return Variant(compare(op, c.left, c.right, c.op.nulls)); };
    switch (c.op.what) {
    case Do::Add: return binary(VarOp::Add);
    case Do::Sub: return binary(VarOp::Subtract);
    case Do::Mul: return binary(VarOp::Multiply);
    case Do::Div: return binary(VarOp::Divide);
    case Do::IntDiv: return binary(VarOp::IntDivide);
    case Do::Mod: return binary(VarOp::Modulus);
    case Do::And: return binary(VarOp::And);
    case Do::Or: return binary(VarOp::Or);
    case Do::Xor: return binary(VarOp::Xor);
    case Do::Eq: return relation(VarCompare::Equal);
    case Do::Ne: return relation(VarCompare::NotEqual);
    case Do::Lt: return relation(VarCompare::Less);
    case Do::Le: return relation(VarCompare::LessEqual);
    case Do::Gt: return relation(VarCompare::Greater);
    case Do::Ge: return relation(VarCompare::GreaterEqual);
    case Do::Neg: return negate(c.left);
    case Do::Not: return notValue(c.left);
    case Do::Cast: return c.left.castTo(c.op.target);
    case Do::Text: return Variant(c.left.toString());
    }
    return Variant();
}

std::string describe(const Variant& v)
{
    std::ostringstream out;
    PrintTo(v, &out);
    return out.str();
}

const Failure kToDouble{VariantError::Kind::Conversion, "Could not convert variant of type (String) into type (Double)"};
const Failure kOverflow{VariantError::Kind::Overflow, "Arithmetic overflow"};
const Failure kZeroDivide{VariantError::Kind::DivisionByZero, "Division by zero"};
const Failure kFloatZeroDivide{VariantError::Kind::DivisionByZero, "Floating point division by zero"};
const Failure kConvertOverflow{VariantError::Kind::Overflow, nullptr};
const Failure kConversion{VariantError::Kind::Conversion, nullptr};
const Failure kInvalidOp{VariantError::Kind::InvalidOperation, "Invalid variant operation"};

} // namespace

TEST(VariantRules, OperatorsAndConversionsFollowTheTable)
{
    const Variant bigArray = Variant::arrayOf({I(1)});
    const Case cases[] = {
        // integer arithmetic stays Integer while it fits, then Int64, then fails
        {I(2), Add, I(3), I(5)},
        {Variant::fromSmallint(2), Add, Variant::fromByte(3), I(5)},
        {I(2147483647), Add, I(1), I64(2147483648LL)},
        {I(-2147483647 - 1), Sub, I(1), I64(-2147483649LL)},
        {I(65536), Mul, I(65536), I64(4294967296LL)},
        {Variant::fromLongWord(4294967295u), Mul, Variant::fromLongWord(4294967295u), D(18446744065119617025.0)},
        {I64(kInt64Max), Add, I(1), kOverflow},
        {I64(kInt64Min), Mul, I(-1), kOverflow},
        {I64(10), Sub, I(3), I64(7)},
        // floating point, strings and their mixes
        {I(1), Add, D(2.5), D(3.5)},
        {Variant::fromSingle(1.5f), Add, I(1), D(2.5)},
        {S("1"), Add, S("2"), S("12")},
        {S("1"), Add, I(2), D(3)},
        {S(" 1e3 "), Mul, I(2), D(2000)},
        {S("$FF"), Sub, I(5), D(250)},
        {S("abc"), Add, I(1), kToDouble},
        {S("x"), Mul, I(2), kToDouble},
        {S("1,5"), Add, I(1), kToDouble},
        {Variant::fromOleStr("a"), Add, Variant::fromOleStr("b"), Variant::fromOleStr("ab")},
        {Variant::fromOleStr("a"), Add, S("b"), S("ab")},
        // division: "/" always floating, div and mod on integers
        {I(7), Div, I(2), D(3.5)},
        {I(6), Div, I(3), D(2)},
        {I(1), Div, I(0), kFloatZeroDivide},
        {I(7), IntDiv, I(2), I(3)},
        {I(-7), IntDiv, I(2), I(-3)},
        {I(-7), Mod, I(3), I(-1)},
        {D(7.5), IntDiv, I(2), I(4)},        // 7.5 rounds to 8 (ties to even)
        {D(6.5), Mod, I(4), I(2)},           // 6.5 rounds to 6
        {S("7"), Mod, S("3"), I(1)},
        {I(7), IntDiv, I(0), kZeroDivide},
        {I(7), Mod, D(0.4), kZeroDivide},    // divisor rounds to 0
        {I64(kInt64Min), IntDiv, I(-1), kOverflow},
        {I64(kInt64Min), Mod, I(-1), I64(0)},
        // logical on Booleans, bitwise otherwise (true is -1)
        {B(true), And, B(false), B(false)},
        {B(true), Or, B(false), B(true)},
        {B(true), Xor, B(true), B(false)},
        {B(true), And, S("false"), B(false)},
        {I(12), And, I(10), I(8)},
        {I(12), Or, I(3), I(15)},
        {I(12), Xor, I(10), I(6)},
        {B(true), And, I(5), I(5)},
        {B(true), Add, I(1), I(0)},
        {I64(1), Or, I(2), I64(3)},
        // null and empty operands
        {Nul, Add, I(5), Nul},
        {I(5), Mul, Nul, Nul},
        {Nul, And, B(true), Nul},
        {Nul, lenient(Add), I(5), I(5)},
        {S("x"), lenient(Add), Nul, S("x")},
        {Nul, lenient(And), B(true), B(false)},
        {Nul, lenient(Add), Nul, Nul},         // left becomes 0; 0 + Null is Null
        {Nul, lenient(Mul), D(2.5), D(0)},
        {Emp, Add, I(5), I(5)},
        {Emp, Add, S("x"), S("x")},
        {Emp, Add, Emp, I(0)},
        // currency and dates
        {C(1.5), Add, I(2), C(3.5)},
        {C(1.5), Mul, C(1.5), C(2.25)},
        {C(0.0001), Mul, C(0.5), C(0)},        // 0.00005: ties to even
        {C(0.0003), Mul, C(0.5), C(0.0002)},   // 0.00015: ties to even
        {C(1.5), Add, D(0.25), D(1.75)},
        {C(1), Div, I(4), D(0.25)},
        {Variant(Currency{kInt64Max}), Add, C(1), kOverflow},
        {Dt(2024, 1, 31), Add, I(1), Dt(2024, 2, 1)},
        {Dt(2024, 3, 1), Sub, Dt(2024, 2, 1), D(29)},
        {Dt(2024, 1, 1), Sub, D(0.5), Dt(2023, 12, 31, 12)},
        {Dt(2024, 1, 1), Mul, I(1), D(45292)},
        // references and arrays take no part in arithmetic
        {bigArray, Add, I(1), kInvalidOp},
        {Variant::fromError(5), Add, I(1), Failure{VariantError::Kind::Conversion, "Could not convert variant of type (Error) into type (Double)"}},
        // unary operators
        {I(5), Neg, Emp, I(-5)},
        {I(-2147483647 - 1), Neg, Emp, I64(2147483648LL)},
        {I64(kInt64Min), Neg, Emp, kOverflow},
        {B(true), Neg, Emp, I(1)},
        {S("2.5"), Neg, Emp, D(-2.5)},
        {Nul, Neg, Emp, Nul},
        {C(2.5), Neg, Emp, C(-2.5)},
        {Dt(2000, 1, 1), Neg, Emp, Variant::fromDate(-36526)},
        {B(true), Not, Emp, B(false)},
        {I(0), Not, Emp, I(-1)},
        {I64(0), Not, Emp, I64(-1)},
        {S("False"), Not, Emp, B(true)},
        {D(2.5), Not, Emp, I(-3)},
        {Nul, Not, Emp, Nul},
        // comparisons
        {I(1), Eq, D(1.0), B(true)},
        {I(2), Lt, I(10), B(true)},
        {S("2"), Lt, S("10"), B(false)},          // texts compare as texts
        {S("10"), Gt, I(9), B(true)},             // a number text compares as a number
        {S(" 1e1 "), Eq, I(10), B(true)},
        {S("abc"), Gt, I(5), B(true)},            // not a number: as texts
        {S("abc"), Eq, S("ABC"), B(false)},       // case-sensitive
        {S("\xB0\xA1"), Gt, S("z"), B(true)},     // GBK bytes order after ASCII
        {S("ab"), Lt, S("abc"), B(true)},
        {Nul, Eq, Nul, B(true)},
        {Nul, Lt, I(-1000), B(true)},
        {Nul, Eq, I(0), B(false)},
        {S(""), Gt, Nul, B(true)},
        {Nul, lenient(Eq), I(0), B(true)},
        {S(""), lenient(Eq), Nul, B(true)},
        {Nul, lenient(Eq), B(false), B(true)},
        {B(false), Lt, B(true), B(true)},
        {B(true), Eq, I(-1), B(true)},
        {S("TRUE"), Eq, B(true), B(true)},
        {C(1.5), Eq, D(1.5), B(true)},
        {C(0.0001), Gt, I(0), B(true)},
        {I64(kInt64Max), Gt, I64(kInt64Max - 1), B(true)},   // exact, not through double
        {Emp, Eq, I(0), B(true)},
        {Emp, Eq, S(""), B(true)},
        {Emp, Lt, I(1), B(true)},
        {D(std::nan("")), Eq, D(std::nan("")), B(false)},
        {D(std::nan("")), Ne, I(1), B(true)},
        {D(std::nan("")), Ge, I(1), B(false)},
        {Dt(2024, 1, 31), Eq, S("2024-01-31"), B(true)},
        {Dt(2024, 1, 31, 12), Gt, S("2024-01-31"), B(true)},
        {I(3), Le, I(3), B(true)},
        {I(4), Ge, I(3), B(true)},
        {I(3), Ne, I(3), B(false)},
        {bigArray, Eq, I(1), kInvalidOp},
        // conversions (VarAsType)
        {S("1e3"), castTo(varDouble), Emp, D(1000)},
        {S("-2.5"), castTo(varDouble), Emp, D(-2.5)},
        {S(".5"), castTo(varDouble), Emp, D(0.5)},
        {S(" 42 "), castTo(varInteger), Emp, I(42)},
        {S("$FF"), castTo(varInteger), Emp, I(255)},
        {S("-0x10"), castTo(varInteger), Emp, I(-16)},
        {S("2.5"), castTo(varInteger), Emp, I(2)},
        {S("3.5"), castTo(varInteger), Emp, I(4)},
        {S("12abc"), castTo(varInteger), Emp, Failure{VariantError::Kind::Conversion, "Could not convert variant of type (String) into type (Integer)"}},
        {S(""), castTo(varDouble), Emp, kToDouble},
        {S("1e"), castTo(varDouble), Emp, kToDouble},
        {S("1e999"), castTo(varDouble), Emp, kToDouble},
        {S("9223372036854775808"), castTo(varInt64), Emp, kConvertOverflow},
        {D(-2.5), castTo(varInteger), Emp, I(-2)},
        {D(3e9), castTo(varInteger), Emp, kConvertOverflow},
        {D(1e300), castTo(varInt64), Emp, kConvertOverflow},
        {D(std::nan("")), castTo(varInteger), Emp, kConvertOverflow},
        {D(1e300), castTo(varSingle), Emp, kConvertOverflow},
        {I(70000), castTo(varSmallint), Emp, Failure{VariantError::Kind::Overflow, "Overflow while converting variant of type (Integer) into type (Smallint)"}},
        {I(-1), castTo(varByte), Emp, kConvertOverflow},
        {I(255), castTo(varByte), Emp, Variant::fromByte(255)},
        {I(-1), castTo(varLongWord), Emp, kConvertOverflow},
        {C(2.5), castTo(varInteger), Emp, I(2)},
        {C(-3.5), castTo(varInteger), Emp, I(-4)},
        {B(true), castTo(varInteger), Emp, I(-1)},
        {B(false), castTo(varDouble), Emp, D(0)},
        {S("TRUE"), castTo(varBoolean), Emp, B(true)},
        {S(" false "), castTo(varBoolean), Emp, B(false)},
        {S("0"), castTo(varBoolean), Emp, B(false)},
        {S("2"), castTo(varBoolean), Emp, B(true)},
        {S("yes"), castTo(varBoolean), Emp, kConversion},
        {I(2), castTo(varBoolean), Emp, B(true)},
        {D(1.23456), castTo(varCurrency), Emp, Variant(Currency{12346})},
        {D(0.00005), castTo(varCurrency), Emp, Variant(Currency{0})},
        {D(1e300), castTo(varCurrency), Emp, kConvertOverflow},
        {I64(kInt64Max), castTo(varCurrency), Emp, kConvertOverflow},
        {S("2024-01-31 12:00"), castTo(varDate), Emp, Dt(2024, 1, 31, 12)},
        {S("12:30"), castTo(varDate), Emp, Variant::fromDate(encodeTime(12, 30, 0))},
        {S("45292"), castTo(varDate), Emp, Dt(2024, 1, 1)},
        {S("2023-02-29"), castTo(varDate), Emp, kConversion},
        {D(1e9), castTo(varDate), Emp, kConvertOverflow},
        {I(5), castTo(varOleStr), Emp, Variant::fromOleStr("5")},
        {I(5), castTo(varVariant), Emp, I(5)},
        {I(5), castTo(varInteger | varByRef), Emp, I(5)},
        {I(5), castTo(varEmpty), Emp, Emp},
        {I(5), castTo(varNull), Emp, Nul},
        {Nul, castTo(varInteger), Emp, Failure{VariantError::Kind::Conversion, "Could not convert variant of type (Null) into type (Integer)"}},
        {Nul, castTo(varString), Emp, kConversion},
        {Emp, castTo(varInteger), Emp, I(0)},
        {Emp, castTo(varString), Emp, S("")},
        {Emp, castTo(varBoolean), Emp, B(false)},
        {I(1), castTo(varArray | varVariant), Emp, kConversion},
        {I(1), castTo(varDispatch), Emp, kConversion},
        // text of values (FloatToStr and friends)
        {D(1.5), Text, Emp, S("1.5")},
        {D(0.1 + 0.2), Text, Emp, S("0.3")},
        {D(1.0 / 3), Text, Emp, S("0.333333333333333")},
        {D(2.0 / 3), Text, Emp, S("0.666666666666667")},
        {D(1e15), Text, Emp, S("1E15")},
        {D(123456789012345.0), Text, Emp, S("123456789012345")},
        {D(1e-5), Text, Emp, S("0.00001")},
        {D(1.5e-7), Text, Emp, S("1.5E-7")},
        {D(-0.5), Text, Emp, S("-0.5")},
        {D(-1234.5), Text, Emp, S("-1234.5")},
        {D(100), Text, Emp, S("100")},
        {D(2.5e20), Text, Emp, S("2.5E20")},
        {D(std::numeric_limits<double>::infinity()), Text, Emp, S("INF")},
        {Variant::fromSingle(0.1f), Text, Emp, S("0.1")},
        {C(2.5), Text, Emp, S("2.5")},
        {C(3), Text, Emp, S("3")},
        {C(-0.0001), Text, Emp, S("-0.0001")},
        {Variant(Currency{kInt64Min}), Text, Emp, S("-922337203685477.5808")},
        {B(true), Text, Emp, S("True")},
        {B(false), Text, Emp, S("False")},
        {I64(kInt64Min), Text, Emp, S("-9223372036854775808")},
        {Dt(2024, 1, 31), Text, Emp, S("2024-01-31")},
        {Dt(2024, 1, 31, 13, 5, 9), Text, Emp, S("2024-01-31 13:05:09")},
        {Nul, Text, Emp, Failure{VariantError::Kind::Conversion, "Could not convert variant of type (Null) into type (String)"}},
        {Emp, Text, Emp, S("")},
        {bigArray, Text, Emp, kConversion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.left) + " op#" + std::to_string(int(c.op.what)) + " " + describe(c.right));
        if (const Variant* wanted = std::get_if<Variant>(&c.expected)) {
            try {
                Variant got = run(c);
                EXPECT_TRUE(got.identicalTo(*wanted)) << "got " << describe(got) << ", want " << describe(*wanted);
            } catch (const VariantError& e) {
                ADD_FAILURE() << "unexpected error: " << e.what();
            }
            continue;
        }
        const Failure& failure = std::get<Failure>(c.expected);
        try {
            Variant got = run(c);
            ADD_FAILURE() << "no error, got " << describe(got);
        } catch (const VariantError& e) {
            EXPECT_EQ(e.kind(), failure.kind) << e.what();
            if (failure.message) {
                EXPECT_STREQ(e.what(), failure.message);
            }
        }
    }
}

// ---- arrays ---------------------------------------------------------------------------

TEST(VariantArray, BoundsPerDimensionAndFirstDimensionFastest)
{
    Variant grid = Variant::array({{1, 3}, {-1, 0}});
    ASSERT_EQ(grid.type(), varArray | varVariant);
    EXPECT_EQ(grid.dimCount(), 2);
    EXPECT_EQ(grid.bounds(1), (ArrayBound{1, 3}));
    EXPECT_EQ(grid.bounds(2), (ArrayBound{-1, 0}));
    EXPECT_EQ(grid.elementCount(), 6u);
    EXPECT_TRUE(grid.at(std::array{2, -1}).isEmpty());

    for (int i = 1; i <= 3; ++i)
        for (int j = -1; j <= 0; ++j)
            grid.setAt(std::array{i, j}, Variant(i * 10 + j));
    EXPECT_EQ(grid.at(std::array{3, -1}).toInteger(), 29);
    EXPECT_EQ(grid.at(std::array{1, 0}).toInteger(), 10);

    auto expectBoundsError = [&](std::vector<int> index) {
        SCOPED_TRACE(index.size());
        EXPECT_THROW(grid.at(index), VariantError);
        EXPECT_THROW(grid.setAt(index, Variant(1)), VariantError);
    };
    expectBoundsError({0, 0});
    expectBoundsError({4, 0});
    expectBoundsError({1, 1});
    expectBoundsError({1});
    expectBoundsError({1, 0, 0});
    EXPECT_THROW(grid.bounds(3), VariantError);
    EXPECT_THROW(Variant(1).at(std::array{0}), VariantError);
}

TEST(VariantArray, AssignmentCopiesTheElements)
{
    Variant a = Variant::arrayOf({Variant(1), Variant("two")});
    Variant b = a;
    b.setAt(std::array{0}, Variant(100));
    EXPECT_EQ(a.at(std::array{0}).toInteger(), 1);
    EXPECT_EQ(b.at(std::array{0}).toInteger(), 100);
    EXPECT_EQ(b.at(std::array{1}).toString(), "two");
    EXPECT_FALSE(a.identicalTo(b));
    b.setAt(std::array{0}, Variant(1));
    EXPECT_TRUE(a.identicalTo(b));
}

TEST(VariantArray, TypedElementsAreConvertedOnStore)
{
    Variant numbers = Variant::array({{0, 1}}, varInteger);
    EXPECT_EQ(numbers.type(), varArray | varInteger);
    EXPECT_TRUE(numbers.at(std::array{1}).identicalTo(Variant(0)));
    numbers.setAt(std::array{0}, Variant("42"));
    EXPECT_TRUE(numbers.at(std::array{0}).identicalTo(Variant(42)));
    EXPECT_THROW(numbers.setAt(std::array{1}, Variant("x")), VariantError);
}

TEST(VariantArray, RefusesBadOrHugeShapes)
{
    EXPECT_EQ(Variant::array({{5, 4}}).elementCount(), 0u);      // empty dimension
    EXPECT_THROW(Variant::array({{5, 3}}), VariantError);
    EXPECT_THROW(Variant::array({}), VariantError);
    EXPECT_THROW(Variant::array({{0, 2000000000}}), VariantError);
    EXPECT_THROW(Variant::array({{0, 100000}, {0, 100000}}), VariantError);
    EXPECT_THROW(Variant::array({{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}}), VariantError);
    EXPECT_THROW(Variant::array(std::vector<ArrayBound>(65, ArrayBound{0, 0})), VariantError);
}

// ---- custom kinds -----------------------------------------------------------------------

namespace {

// A reference kind as the script registers them: compared by payload, shown by name.
class TaggedRef : public CustomVariantType {
public:
    std::optional<int> compare(const Variant& self, const Variant& other) const override
    {
        if (other.type() != self.type())
            return std::nullopt;
        return (self.payload() > other.payload()) - (self.payload() < other.payload());
    }
    std::optional<std::string> toString(const Variant& self) const override
    {
        return "ref#" + std::to_string(self.payload());
    }
    std::optional<Variant> castTo(const Variant& self, VarType target) const override
    {
        if (target == varInteger || target == varDouble)
            return Variant(int(self.payload()));
        return std::nullopt;
    }
    std::optional<Variant> castFrom(const Variant& source, VarType code) const override
    {
        if (source.type() == varInteger)
            return Variant::custom(code, source.payload());
        return std::nullopt;
    }
};

VarType tagged()
{
    static const VarType code = registerCustomType("TaggedRef", std::make_shared<TaggedRef>());
    return code;
}

VarType bare()
{
    static const VarType code = registerCustomType("BareRef");
    return code;
}

} // namespace

TEST(VariantCustom, RegisteredKindsGetFreshCodesAndNames)
{
    EXPECT_GE(tagged(), varFirstCustom);
    EXPECT_LE(tagged(), varTypeMask);
    EXPECT_NE(tagged(), bare());
    EXPECT_TRUE(isCustomType(bare()));
    EXPECT_FALSE(isCustomType(varString));
    EXPECT_FALSE(isCustomType(VarType(0x0FFF)));
    EXPECT_EQ(typeName(tagged()), "TaggedRef");
    EXPECT_EQ(typeName(varArray | varInteger), "Array Integer");
    EXPECT_THROW(Variant::custom(VarType(0x0FFE), 1), VariantError);
}

TEST(VariantCustom, HandlerAnswersComparisonTextAndCasts)
{
    Variant a = Variant::custom(tagged(), 7), b = Variant::custom(tagged(), 7), c = Variant::custom(tagged(), 9);
    EXPECT_TRUE(compare(VarCompare::Equal, a, b));
    EXPECT_TRUE(compare(VarCompare::Less, a, c));
    EXPECT_TRUE(compare(VarCompare::Greater, c, a));
    EXPECT_EQ(a.toString(), "ref#7");
    EXPECT_EQ(a.toInteger(), 7);
    EXPECT_TRUE(a.castTo(varInteger).identicalTo(Variant(7)));
    EXPECT_TRUE(Variant(9).castTo(tagged()).identicalTo(c));
    EXPECT_THROW(Variant("9").castTo(tagged()), VariantError);
    // Arithmetic is not the handler's business: conversion error.
    EXPECT_THROW(a + Variant(1), VariantError);
    EXPECT_THROW(compare(VarCompare::Equal, a, Variant(7)), VariantError);
}

TEST(VariantCustom, KindWithoutHandlerRaisesTheConversionError)
{
    Variant v = Variant::custom(bare(), 3);
    try {
        (void)v.toString();
        FAIL() << "no error";
    } catch (const VariantError& e) {
        EXPECT_STREQ(e.what(), "Could not convert variant of type (BareRef) into type (String)");
    }
    EXPECT_THROW((void)v.toDouble(), VariantError);
    EXPECT_THROW((void)v.toBool(), VariantError);
    EXPECT_THROW(compare(VarCompare::Equal, v, v), VariantError);
    EXPECT_THROW(negate(v), VariantError);
}

TEST(VariantCustom, HolderKeepsTheReferentAliveAcrossCopies)
{
    auto referent = std::make_shared<std::string>("record");
    std::weak_ptr<std::string> watch = referent;
    Variant copy;
    {
        Variant v = Variant::custom(bare(), reinterpret_cast<std::intptr_t>(referent.get()), referent);
        referent.reset();
        copy = v;
    }
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(*static_cast<std::string*>(copy.holder().get()), "record");
    EXPECT_EQ(copy.payload(), reinterpret_cast<std::intptr_t>(copy.holder().get()));
    copy = Variant();
    EXPECT_TRUE(watch.expired());
}

// ---- dates ---------------------------------------------------------------------------------

TEST(VariantDate, DayNumbersOfKnownDates)
{
    struct Case {
        int year, month, day;
        double dayNumber;
        int weekday;  // 1 = Sunday
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 7},
        {1900, 1, 1, 2, 2},
        {2000, 2, 29, 36585, 3},
        {2024, 1, 31, 45322, 4},
        {1, 1, 1, -693593, 2},
        {9999, 12, 31, 2958465, 6},
        {1600, 3, 1, -109511, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        EXPECT_EQ(encodeDate(c.year, c.month, c.day), c.dayNumber);
        DateTimeParts parts = decodeDateTime(c.dayNumber);
        EXPECT_EQ(parts.year, c.year);
        EXPECT_EQ(parts.month, c.month);
        EXPECT_EQ(parts.day, c.day);
        EXPECT_EQ(dayOfWeek(c.dayNumber), c.weekday);
    }
    EXPECT_FALSE(tryEncodeDate(2023, 2, 29));
    EXPECT_FALSE(tryEncodeDate(2024, 13, 1));
    EXPECT_FALSE(tryEncodeDate(10000, 1, 1));
    EXPECT_FALSE(tryEncodeTime(24, 0, 0, 0));
    EXPECT_THROW(encodeDate(2023, 2, 29), VariantError);
    EXPECT_THROW(decodeDateTime(1e12), VariantError);
    EXPECT_THROW(decodeDateTime(std::nan("")), VariantError);
}

TEST(VariantDate, TimeOfDayAndNegativeDayNumbers)
{
    DateTimeParts parts = decodeDateTime(-1.25);  // the time counts from midnight of 29 Dec 1899
    EXPECT_EQ(parts.day, 29);
    EXPECT_EQ(parts.hour, 6);
    EXPECT_EQ(encodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);

    double t = encodeDateTime({2024, 1, 31, 23, 59, 59, 999});
    parts = decodeDateTime(t);
    EXPECT_EQ(parts.day, 31);
    EXPECT_EQ(parts.hour, 23);
    EXPECT_EQ(parts.minute, 59);
    EXPECT_EQ(parts.second, 59);
    EXPECT_EQ(parts.msec, 999);

    double now = currentDateTime();
    EXPECT_GT(now, encodeDate(2020, 1, 1));
    EXPECT_EQ(currentDate(), std::trunc(currentDate()));
}

TEST(VariantDate, FormatPatterns)
{
    const double when = encodeDateTime({2024, 3, 7, 14, 5, 9, 42});
    struct Case {
        const char* pattern;
        std::string expected;
    };
    const Case cases[] = {
        {"yyyy-mm-dd", "2024-03-07"},
        {"yy.m.d", "24.3.7"},
        {"yyyy'\xC4\xEA'mm'\xD4\xC2'dd'\xC8\xD5'", "2024\xC4\xEA" "03\xD4\xC2" "07\xC8\xD5"},  // 年 月 日
        {"yyyy/mm/dd", "2024-03-07"},          // "/" is the locale's date separator
        {"hh:mm:ss", "14:05:09"},              // m after h is minutes
        {"h:n:s.zzz", "14:5:9.042"},
        {"hh:nn am/pm", "02:05 pm"},
        {"h A/P", "2 P"},
        {"dddd", utf8ToGbk("星期四")},
        {"ddd mmm", utf8ToGbk("周四 3月")},
        {"c", "2024-03-07 14:05:09"},
        {"\"d\"d", "d7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(formatDateTime(c.pattern, when), c.expected);
    }
    EXPECT_EQ(dateTimeToString(encodeDate(2024, 3, 7)), "2024-03-07");
}

TEST(VariantDate, ParseDateTimeText)
{
    struct Case {
        const char* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"2024-03-07", encodeDate(2024, 3, 7)},
        {" 2024/3/7 ", encodeDate(2024, 3, 7)},
        {"2024-03-07 14:05", encodeDateTime({2024, 3, 7, 14, 5, 0, 0})},
        {"2024-03-07 02:05:09 PM", encodeDateTime({2024, 3, 7, 14, 5, 9, 0})},
        {"14:05:09.5", encodeTime(14, 5, 9, 5)},
        {"1899-12-29 06:00", -1.25},
        {"2024-02-30", std::nullopt},
        {"2024-03-07x", std::nullopt},
        {"25:00", std::nullopt},
        {"7", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseDateTime(c.text), c.expected);
    }
}

// ---- locale-dependent number text -------------------------------------------------------------

TEST(VariantLocale, DecimalSeparatorOfTheSettingsIsUsed)
{
    FormatSettings comma;
    comma.DecimalSeparator = ',';
    EXPECT_EQ(formatFloat(1234.5, 15, comma), "1234,5");
    EXPECT_EQ(formatFloat(1.5e-7, 15, comma), "1,5E-7");
    EXPECT_EQ(formatCurrency(15000, comma), "1,5");
    EXPECT_EQ(parseFloat("2,5", comma), 2.5);
    EXPECT_EQ(parseFloat("2.5", comma), std::nullopt);

    FormatSettings saved = formatSettings();
    formatSettings().DecimalSeparator = ',';
    EXPECT_EQ(Variant(2.5).toString(), "2,5");
    EXPECT_EQ(Variant("1,5").toDouble(), 1.5);
    formatSettings() = saved;
    EXPECT_EQ(Variant(2.5).toString(), "2.5");
}

TEST(VariantLocale, IntegerTextForms)
{
    struct Case {
        const char* text;
        std::optional<std::int64_t> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"+12", 12},
        {" -12 ", -12},
        {"$7fffffffffffffff", std::numeric_limits<std::int64_t>::max()},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", std::nullopt},
        {"$", std::nullopt},
        {"$10000000000000000", std::nullopt},
        {"1.0", std::nullopt},
        {"- 1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseInteger(c.text), c.expected);
    }
}
