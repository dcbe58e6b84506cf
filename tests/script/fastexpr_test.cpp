// Expressions over routine locals take a shortcut; their values, value types
// and errors must stay exactly those of the general evaluator.
#include "support.h"

#include <regex>

namespace {

struct Outcome {
    Variant value;
    std::string error;  // the error text, empty when the expression gave a value
};

template <class Run> Outcome outcomeOf(Run&& run)
{
    try {
        return {run(), {}};
    } catch (const EKSInterpreterError& e) {
        return {{}, e.messageWithoutPosition};
    } catch (const std::exception& e) {
        return {{}, e.what()};
    }
}

// The expression over locals A and B inside a routine body.
Outcome overLocals(const std::string& expression, const std::string& a, const std::string& b)
{
    return outcomeOf([&] {
        return runScript("var A, B: Variant;\r\nbegin\r\n  A := " + a + ";\r\n  B := " + b + ";\r\n  Result := " +
                         expression + ";\r\nend");
    });
}

// The same expression with the values written in, read by the plain
// expression evaluator (no routine frame, so no shortcut).
Outcome general(const std::string& expression, const std::string& a, const std::string& b)
{
    std::string text = std::regex_replace(expression, std::regex("\\bA\\b"), "(" + a + ")");
    text = std::regex_replace(text, std::regex("\\bB\\b"), "(" + b + ")");
    return outcomeOf([&] {
        TKSInterpreterExpression e;
        e.setSource(text);
        return e.Run();
    });
}

} // namespace

TEST(ScriptFastExpressions, AgreeWithTheGeneralEvaluator)
{
    const struct {
        const char* expression;
        const char* a;
        const char* b;
    } cases[] = {
        {"(A + B) mod 1000", "999", "5"},
        {"A + B * 2 - -A", "3", "4"},
        {"-A * B", "3", "-4"},
        {"A + 1", "2147483647", "0"},          // leaves 32 bits: Int64
        {"A * B", "65536", "65536"},
        {"-A", "-2147483647 - 1", "0"},
        {"A div B", "-2147483647 - 1", "-1"},
        {"A mod B", "7", "-1"},
        {"A div B", "7", "0"},                 // division by zero
        {"A mod B", "7", "0"},
        {"A / B", "7", "2"},                   // always Double
        {"A < B", "1", "2"},
        {"(A >= B) = (B <> A)", "2", "2"},
        {"A and B", "6", "3"},
        {"A or B", "True", "False"},
        {"A = B", "True", "True"},
        {"A + B", "True", "1"},
        {"A + B", "'x'", "1"},                 // not a number: type error
        {"A + B", "1.5", "2"},
        {"A", "'text'", "0"},
        {"((A))", "5", "0"},
    };
    for (const auto& c : cases) {
        const Outcome fast = overLocals(c.expression, c.a, c.b);
        const Outcome expected = general(c.expression, c.a, c.b);
        EXPECT_EQ(fast.error, expected.error) << c.expression << " with " << c.a << ", " << c.b;
        EXPECT_TRUE(fast.value.identicalTo(expected.value))
            << c.expression << " with " << c.a << ", " << c.b << ": " << fast.value.toString() << " of "
            << fast.value.typeName() << ", expected " << expected.value.toString() << " of "
            << expected.value.typeName();
    }
}

TEST(ScriptFastExpressions, LocalsAreFoundAgainInEveryFrame)
{
    // The same expression runs in frames of different layouts (recursion with
    // a local declared after the parameters, and a routine whose local hides a
    // unit variable of the same name); each time it must read this frame's name.
    TKSInterpreterProgram p;
    p.setSource("unit Report;\r\n"
                "var N: Integer;\r\n"
                "function Sum(K: Integer): Integer;\r\n"
                "var N: Integer;\r\n"
                "begin\r\n"
                "  N := K * 10;\r\n"
                "  if K > 0 then Result := N + Sum(K - 1) else Result := N;\r\n"
                "end;\r\n"
                "function Outer: Integer;\r\n"
                "begin\r\n"
                "  N := 7;\r\n"
                "  Result := N + Sum(3);\r\n"
                "end;\r\n"
                "end.");
    p.Compile();
    EXPECT_EQ(p.callRoutine("Sum", {Variant(3)}).toInteger(), 60);
    EXPECT_EQ(p.callRoutine("Outer", {}).toInteger(), 67);
}
