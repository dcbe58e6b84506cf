// Expressions over routine locals take a shortcut; their values, value types
// and errors must stay exactly those of the general evaluator.
#include "support.h"

#include "core/engine_init.h"

#include <random>
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

namespace {

// Main of a unit run once as it is and once with a name hook that answers
// nothing: the hook sends every call through the general name lookup, which
// the call shortcut must agree with, in values, errors and error positions.
Outcome runMain(const std::string& declarations, const std::string& body, bool general)
{
    TKSInterpreterProgram p;
    if (general)
        p.OnGetValue = [](TKSInterpreterExpression&, const std::string&, Variant&, TKSInterpreterArgs&) {
            return false;
        };
    p.setSource("unit Calls;\r\n" + declarations + "\r\nfunction Main: Variant;\r\n" + body + "\r\nend.");
    try {
        return {p.Run(), {}};
    } catch (const EKSInterpreterError& e) {
        return {{}, std::to_string(e.code) + " at " + std::to_string(e.position) + ": " + e.message};
    } catch (const std::exception& e) {
        return {{}, e.what()};
    }
}

const char* kRoutines =
    "function Add(A, B: Integer): Integer;\r\nbegin\r\n  Result := A + B;\r\nend;\r\n"
    "function One(X: Integer): Integer;\r\nbegin\r\n  Result := 1;\r\nend;\r\n"
    "function Name(X: Integer): string;\r\nbegin\r\n  Result := 'n' + IntToStr(X);\r\nend;\r\n"
    "function Half(X: Double): Double;\r\nbegin\r\n  Result := X / 2;\r\nend;\r\n"
    "function Divide(A, B: Integer): Integer;\r\nbegin\r\n  Result := A div B;\r\nend;\r\n"
    "function Fib(N: Integer): Integer;\r\nbegin\r\n  if N < 2 then Result := N else Result := Fib(N - 1) + Fib(N - 2);\r\nend;\r\n"
    "function Deep(N: Integer): Integer;\r\nbegin\r\n  Result := Deep(N + 1);\r\nend;\r\n"
    "function Early(X: Integer): Integer;\r\nbegin\r\n  Result := 1;\r\n  if X > 0 then exit;\r\n  Result := 2;\r\nend;\r\n"
    "procedure Twice(var X: Integer);\r\nbegin\r\n  X := X * 2;\r\nend;\r\n"
    "procedure Fail(X: Integer);\r\nbegin\r\n  raise Exception.Create('failed ' + IntToStr(X));\r\nend;\r\n"
    "function Same(A: Integer; A: Integer): Integer;\r\nbegin\r\n  Result := A;\r\nend;\r\n"
    "function IntToStr(X: Integer): string;\r\nbegin\r\n  Result := 'mine';\r\nend;\r\n"
    "function NoArgs: Integer;\r\nbegin\r\n  Result := 7;\r\nend;\r\n"
    "function Concat2(A, B: string): string;\r\nbegin\r\n  Result := A + B;\r\nend;\r\n";

} // namespace

TEST(ScriptFastExpressions, CallsAgreeWithTheGeneralLookup)
{
    const char* bodies[] = {
        "var S: Integer; begin S := Add(2, 3) * 10; Result := S; end;",
        "var S, I: Integer; begin S := 0; for I := 1 to 50 do S := Add(S, I) mod 7; Result := S; end;",
        "begin Result := One(0) + 2147483647; end;",           // the tail leaves 32 bits
        "begin Result := Name(3) + 'x'; end;",                 // the call gives a string
        "begin Result := Add(1, 2) + Name(0); end;",           // the tail is not pure
        "begin Result := (Add(1, 2)) - Add(One(5), -1); end;",
        "begin Result := Add(1); end;",                        // too few arguments
        "begin Result := Add(1, 2, 3); end;",                  // too many
        "begin Result := Add(1, 2) 3; end;",                   // missing operator
        "begin Result := Add('a', 2); end;",                   // type mismatch at the parameter
        "begin Result := Half(3); end;",                       // converted to Double
        "begin Result := Divide(1, 0); end;",                  // fails inside the routine
        "begin Result := Fib(15); end;",
        "begin Result := Deep(0); end;",                       // recursion without end
        "begin Result := Early(1) * 10 + Early(0); end;",
        "var X: Integer; begin X := 5; Twice(X); Twice(X); Result := X; end;",
        "begin Fail(4); end;",
        "begin try Fail(5) except on E: Exception do Result := E.Message end; end;",
        "begin Result := Same(1, 2); end;",                    // duplicate parameter names
        "begin Result := IntToStr(3); end;",                   // the host function comes first
        "var Add: Integer; begin Add := 4; Result := Add; end;",  // a local hides the routine
        "begin Result := NoArgs + NoArgs() * 2; end;",
        "var S: string; begin S := 'b'; Result := Concat2('a', S) + Concat2(S, S); end;",
        "begin Result := Add(Add(1, 2), Add(3, Add(4, 5))); end;",
        "var X, Y: Integer; begin X := 7; Y := 2; Result := Divide(X, Y) * 10 + Divide(Y, X - 5); end;",
        "var A: array[1..2] of Integer; begin A[1] := 3; Result := Add(A[1], 1); end;",
    };
    for (const char* body : bodies) {
        const Outcome shortcut = runMain(kRoutines, body, false);
        const Outcome expected = runMain(kRoutines, body, true);
        EXPECT_EQ(shortcut.error, expected.error) << body;
        EXPECT_TRUE(shortcut.value.identicalTo(expected.value))
            << body << ": " << shortcut.value.toString() << " of " << shortcut.value.typeName() << ", expected "
            << expected.value.toString() << " of " << expected.value.typeName();
    }
    // The table itself must reach the interesting outcomes, not only agree.
    EXPECT_EQ(runMain(kRoutines, bodies[1], false).value.toInteger(), 1275 % 7);
    EXPECT_EQ(runMain(kRoutines, bodies[12], false).value.toInteger(), 610);
    EXPECT_EQ(runMain(kRoutines, bodies[15], false).value.toInteger(), 20);
    EXPECT_EQ(runMain(kRoutines, bodies[6], false).error.substr(0, 4), "182 ");
    EXPECT_EQ(runMain(kRoutines, bodies[7], false).error.substr(0, 4), "181 ");
    EXPECT_NE(runMain(kRoutines, bodies[13], false).error, "");
    EXPECT_EQ(runMain(kRoutines, bodies[24], false).value.toInteger(), 31);
}

TEST(ScriptFastExpressions, TypedVariablesTakeValuesAsStoresDo)
{
    // A local Integer or Boolean variable takes a pure result of its own type
    // in place. Passed through a routine first, the same value reaches the
    // variable by the ordinary store: both must leave the same value or error.
    const char* expressions[] = {"A + B", "A > B", "A * 65536 * 65536", "A div (B - 3)", "-A", "(A + B) mod 7 = 3"};
    const char* types[] = {"Integer", "Boolean", "Double", "Variant", "string"};
    auto run = [](const std::string& type, const std::string& value) {
        return outcomeOf([&] {
            return runScript("unit T;\r\nfunction Same(X: Variant): Variant;\r\nbegin\r\n  Result := X;\r\nend;\r\n"
                             "function Main: Variant;\r\nvar A, B: Integer; V: " + type +
                             ";\r\nbegin\r\n  A := 7;\r\n  B := 3;\r\n  V := " + value +
                             ";\r\n  Result := V;\r\nend;\r\nend.");
        });
    };
    for (const char* type : types) {
        for (const char* expression : expressions) {
            const Outcome direct = run(type, expression);
            const Outcome passed = run(type, std::string("Same(") + expression + ")");
            EXPECT_EQ(direct.error, passed.error) << expression << " into " << type;
            EXPECT_TRUE(direct.value.identicalTo(passed.value))
                << expression << " into " << type << ": " << direct.value.toString() << " of "
                << direct.value.typeName() << ", expected " << passed.value.toString() << " of "
                << passed.value.typeName();
        }
    }
    EXPECT_EQ(run("Boolean", "A + 1").value.type(), platform::varBoolean);
    EXPECT_EQ(run("Integer", "A > B").value.toInteger(), 1);
}

TEST(ScriptFastExpressions, AppendedTextsEqualTheOrdinaryConcatenation)
{
    // `S := S + piece` on a local text may append in place; the same lines on
    // unit variables take the ordinary path. Both must end alike, also when
    // another name shares the text or the piece changes S meanwhile.
    const char* routines = "function Bang(var X: string): string;\r\nbegin\r\n  X := 'changed';\r\n  Result := '!';\r\n"
                           "end;\r\n";
    const struct {
        const char* type;
        const char* body;
    } cases[] = {
        {"string", "S := 'a'; for I := 1 to 5 do S := S + 'bc'; Result := S"},
        {"string", "S := 'a'; T := S; S := S + 'x'; S := S + 'y'; Result := T + '|' + S"},
        {"string", "S := ''; S := S + 'q'; T := S; S := S + 'r'; Result := T + '|' + S"},
        {"string", "S := 'abc'; S := S + Bang(S); Result := S"},
        {"string", "S := 'a'; S := S + 'b' + 'c'; Result := S"},
        {"string", "S := '1'; S := S + 2; Result := S"},
        {"string", "S := 'x'; S := S + 2; Result := S"},
        {"string", "S := 'a'; S := S + IntToStr(1 div 0); Result := S"},
        {"Variant", "S := 'v'; S := S + 'w'; T := S; S := S + 'z'; Result := T + S"},
        {"Variant", "S := 5; S := S + 'w'; Result := S"},
    };
    for (const auto& c : cases) {
        auto run = [&](bool local) {
            const std::string vars = std::string("var S, T: ") + c.type + "; I: Integer;\r\n";
            return outcomeOf([&] {
                return runScript("unit T1;\r\n" + std::string(local ? "" : vars) + routines +
                                 "function Main: Variant;\r\n" + (local ? vars : "") + "begin\r\n  " + c.body +
                                 ";\r\nend;\r\nend.");
            });
        };
        const Outcome local = run(true);
        const Outcome unitLevel = run(false);
        EXPECT_EQ(local.error, unitLevel.error) << c.body;
        EXPECT_TRUE(local.value.identicalTo(unitLevel.value))
            << c.body << ": " << local.value.toString() << " of " << local.value.typeName() << ", expected "
            << unitLevel.value.toString() << " of " << unitLevel.value.typeName();
    }
    EXPECT_EQ(runScript("unit T1;\r\nfunction Main: Variant;\r\nvar S, T: string;\r\nbegin\r\n  S := 'a'; T := S; "
                        "S := S + 'x'; Result := T + '|' + S;\r\nend;\r\nend.")
                  .toString(),
              "a|ax");
}

TEST(ScriptFastExpressions, ShortcutsSurviveDamagedSources)
{
    // A unit that takes every shortcut (calls, frame layouts, in-place
    // stores, appends, raised objects), damaged byte by byte: each damaged
    // text runs to a value or an error, never to a crash, a leak or a hang.
    const std::string unit = "unit Fz;\r\nvar G: string;\r\n"
                             "function Add(A, B: Integer): Integer;\r\nbegin\r\n  Result := A + B;\r\nend;\r\n"
                             "function Name(X: Integer): string;\r\nbegin\r\n  Result := 'n' + IntToStr(X);\r\nend;\r\n"
                             "procedure Twice(var X: Integer);\r\nbegin\r\n  X := X * 2;\r\nend;\r\n"
                             "function Main: Variant;\r\nvar i, s: Integer; t, u: string;\r\nbegin\r\n"
                             "  s := 0; t := '';\r\n"
                             "  for i := 1 to 20 do begin\r\n"
                             "    s := Add(s, i) mod 1000; t := t + Name(i); u := t; t := t + 'x'; Twice(s);\r\n"
                             "  end;\r\n"
                             "  try raise Exception.Create('e' + u) except on E: Exception do begin t := E.Message; "
                             "E.Free end end;\r\n"
                             "  Result := t + IntToStr(s);\r\nend;\r\nend.";
    InitTabellomatics();  // IntToStr and Exception
    ASSERT_EQ(runScript(unit).toString(), "en1xn2xn3xn4xn5xn6xn7xn8xn9xn10xn11xn12xn13xn14xn15xn16xn17xn18xn19xn20" "260");
    std::mt19937 random(5);
    const std::string alphabet = "();:=+-*,.[]'0123456789abeAEtsS ";
    for (int round = 0; round < 600; ++round) {
        std::string source = unit;
        for (int edits = 1 + int(random() % 4); edits > 0; --edits) {
            const std::size_t at = random() % source.size();
            switch (random() % 3) {
            case 0: source[at] = alphabet[random() % alphabet.size()]; break;
            case 1: source.erase(at, 1 + random() % 6); break;
            default: source.insert(at, source.substr(random() % source.size(), 1 + random() % 12));
            }
        }
        TKSInterpreterProgram p;
        int steps = 0;
        p.OnStatement = [&](TKSInterpreterProgram&) {
            if (++steps > 20000)
                throw EKSInterpreterError(kserr::UserBreak);
        };
        p.setSource(source);
        try {
            p.Run();
        } catch (const std::exception&) {
        }
    }
}
