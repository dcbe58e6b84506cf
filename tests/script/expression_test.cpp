// Tests of expression evaluation: operator priorities, mixed types, sets,
// literals and the errors of malformed expressions.
#include "support.h"

#include "script/values.h"

namespace {

struct ValueCase {
    const char* source;
    Variant expected;
};

TEST(ScriptExpression, EvaluatesOperatorsWithTheirPriorities)
{
    const ValueCase cases[] = {
        {"2 + 3 * 4", Variant(14)},
        {"2 * 3 + 4", Variant(10)},
        {"10 - 4 - 3", Variant(3)},
        {"(2 + 3) * 4", Variant(20)},
        {"-2 * 3", Variant(-6)},
        {"- (2 + 3)", Variant(-5)},
        {"+7", Variant(7)},
        {"7 div 2", Variant(3)},
        {"7 mod 3", Variant(1)},
        {"7 / 2", Variant(3.5)},
        {"1 = 1", Variant(true)},
        {"(1 = 1) >= false", Variant(true)},
        {"not 1 = 2", Variant(false)},       // (not 1) = 2: -2 = 2
        {"not true", Variant(false)},
        {"not 0", Variant(-1)},
        {"true and false or true", Variant(true)},
        {"6 and 3", Variant(2)},
        {"6 or 3", Variant(7)},
        {"1 < 2", Variant(true)},
        {"2 <> 2", Variant(false)},
        {"3 <= 3", Variant(true)},
        {"'ab' + 'cd'", Variant("abcd")},
        {"'ab' < 'b'", Variant(true)},
        {"'it''s'", Variant("it's")},
        {"1.5 + 1", Variant(2.5)},
        {"$10 + 1", Variant(17)},
        {"2147483647 + 1", Variant(2147483648LL)},
    };
    for (const ValueCase& c : cases) {
        const Variant v = runScript(c.source);
        EXPECT_TRUE(v.identicalTo(c.expected)) << c.source << " gave " << v.toString() << " of " << v.typeName();
    }
}

TEST(ScriptExpression, SetConstructorsAndSetOperators)
{
    EXPECT_EQ(setMaskOf(runScript("[1, 3]")), 0b1010u);
    EXPECT_EQ(setMaskOf(runScript("[]")), 0u);
    EXPECT_EQ(setMaskOf(runScript("[1, 2] + [4]")), 0b10110u);
    EXPECT_EQ(setMaskOf(runScript("[1, 2, 3] - [2]")), 0b1010u);
    EXPECT_TRUE(runScript("[1, 3] = [3, 1]").toBool());
    EXPECT_TRUE(runScript("[1] <> [2]").toBool());
    EXPECT_TRUE(isSetValue(runScript("[0]")));
}

TEST(ScriptExpression, NilComparesByPayload)
{
    EXPECT_TRUE(runScript("nil = nil").toBool());
    EXPECT_TRUE(runScript("TObject(nil) = nil").toBool());
    EXPECT_TRUE(runScript("Null = Null").toBool() || runScript("Null = Null").isNull());
}

struct ErrorCase {
    const char* source;
    int code;
    const char* message;
    int position;  // -1: not checked
};

TEST(ScriptExpression, MalformedExpressionsRaiseTheirErrors)
{
    const ErrorCase cases[] = {
        {"'a' 'b'", kserr::MissingOperator, "Missing operator or semicolon", 7},
        {"1 2", kserr::MissingOperator, "Missing operator or semicolon", 3},
        {"(1 + 2", kserr::Expected, "')' expected but End of File found", 6},
        {"1 +", kserr::Expected, "Expression expected but End of File found", 3},
        {"1 + )", kserr::Expected, "Expression expected but ')' found", 4},
        {"Foo + 1", kserr::Undeclared, "Undeclared Identifier 'Foo'", 0},
        {"'a' - 1", kserr::TypeMismatch, "Type mistmatch", -1},
        {"[1, 'x']", kserr::IntegerRequired, "Type of expression must be integer", -1},
        {"[1 2]", kserr::Expected, "']' expected but '2' found", 3},
        {"1 { open", kserr::Remark, "Error in remark", 2},
        {"1 div 0", kserr::ExternalInUnit, nullptr, -1},
    };
    for (const ErrorCase& c : cases) {
        TKSInterpreterProgram p;
        try {
            runScript(c.source, &p);
            ADD_FAILURE() << c.source << " ran";
        } catch (const EKSInterpreterError& e) {
            EXPECT_EQ(e.code, c.code) << c.source << ": " << e.message;
            if (c.message) {
                EXPECT_EQ(e.message, c.message) << c.source;
            }
            if (c.position >= 0) {
                EXPECT_EQ(e.position, c.position) << c.source;
            }
        } catch (const std::exception& e) {
            // Host errors propagate unchanged and are recorded as error 6.
            EXPECT_EQ(c.code, kserr::ExternalInUnit) << c.source << ": " << e.what();
            EXPECT_EQ(p.lastError().code, kserr::ExternalInUnit);
        }
    }
}

TEST(ScriptExpression, TooManyPendingOperandsOverflow)
{
    std::string deep;
    for (int i = 0; i < 201; ++i)
        deep += "1+(";
    deep += "1" + std::string(201, ')');
    auto error = scriptError(deep);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::TooComplex);

    std::string fine;
    for (int i = 0; i < 150; ++i)
        fine += "1+(";
    fine += "1" + std::string(150, ')');
    EXPECT_EQ(runScript(fine).toInteger(), 151);
}

TEST(ScriptExpression, HugeNestingEndsWithAnErrorNotACrash)
{
    const std::string parens = std::string(200000, '(') + "1" + std::string(200000, ')');
    auto error = scriptError(parens);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::TooComplex);
}

} // namespace
