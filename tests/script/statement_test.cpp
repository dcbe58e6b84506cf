// Tests of statements: every statement form run as a routine body whose Result
// is checked, loops with break/continue/exit, exceptions, and their errors.
#include "support.h"

namespace {

struct BodyCase {
    const char* name;
    const char* body;
    Variant expected;
};

TEST(ScriptStatements, RunEveryStatementForm)
{
    const BodyCase cases[] = {
        {"assignment", "var a: Integer; begin a := 2; Result := a * 3 end", Variant(6)},
        {"typed conversion", "var a: Integer; begin a := 2.6; Result := a end", Variant(3)},
        {"boolean to integer", "var a: Integer; begin a := true; Result := a end", Variant(1)},
        {"string variable", "var s: string; begin s := 12; Result := s + 'x' end", Variant("12x")},
        {"if then", "begin Result := 1; if 1 < 2 then Result := 2 end", Variant(2)},
        {"if else", "begin if 1 > 2 then Result := 1 else Result := 3 end", Variant(3)},
        {"nested if", "begin if true then if false then Result := 1 else Result := 2 end", Variant(2)},
        {"while", "var i: Integer; begin i := 0; while i < 5 do i := i + 1; Result := i end", Variant(5)},
        {"repeat", "var i: Integer; begin i := 0; repeat i := i + 2 until i >= 7; Result := i end", Variant(8)},
        {"for to", "var i, s: Integer; begin s := 0; for i := 1 to 4 do s := s + i; Result := s end", Variant(10)},
        {"for downto", "var i: Integer; s: string; begin for i := 3 downto 1 do s := s + IntS(i); Result := s end",
         Variant("321")},
        {"empty for range", "var i, s: Integer; begin s := 7; for i := 5 to 1 do s := 0; Result := s end", Variant(7)},
        {"for bound read once",
         "var i, n, c: Integer; begin n := 3; for i := 1 to n do begin n := 10; c := c + 1 end; Result := c end",
         Variant(3)},
        {"for var change does not alter sequence",
         "var i, c: Integer; begin for i := 1 to 3 do begin c := c + 1; i := 100 end; Result := c end", Variant(3)},
        {"case single", "begin case 2 of 1: Result := 'a'; 2: Result := 'b'; 3: Result := 'c' end end", Variant("b")},
        {"case range and list", "begin case 7 of 1, 2: Result := 1; 5..8: Result := 2 end end", Variant(2)},
        {"case else", "begin case 9 of 1: Result := 1 else Result := 0 end end", Variant(0)},
        {"case no match", "begin Result := 5; case 9 of 1: Result := 1 end end", Variant(5)},
        {"break in nested block",
         "var i: Integer; begin i := 0; while true do begin i := i + 1; if i = 3 then begin break end end; Result := i end",
         Variant(3)},
        {"continue",
         "var i, s: Integer; begin for i := 1 to 5 do begin if i mod 2 = 0 then continue; s := s + i end; Result := s end",
         Variant(9)},
        {"continue in repeat",
         "var i, s: Integer; begin repeat i := i + 1; if i = 2 then continue; s := s + i until i >= 4; Result := s end",
         Variant(8)},
        {"break in repeat", "var i: Integer; begin repeat i := i + 1; if i = 3 then break until false; Result := i end",
         Variant(3)},
        {"break only inner loop",
         "var i, j, c: Integer; begin for i := 1 to 3 do for j := 1 to 10 do begin if j = 2 then break; c := c + 1 end; "
         "Result := c end",
         Variant(3)},
        {"exit leaves body", "var i: Integer; begin Result := 1; for i := 1 to 10 do begin Result := i; if i = 4 then exit end; Result := 99 end",
         Variant(4)},
        {"finally after exit",
         "begin Result := 0; try Result := 1; exit; Result := 2 finally Result := Result + 10; Result := Result + 100 end end",
         Variant(111)},
        {"except handles", "begin try Result := 1 div 0 except Result := 'caught' end end", Variant("caught")},
        {"except skipped without error", "begin try Result := 1 except Result := 2 end end", Variant(1)},
        {"finally then reraise handled outside",
         "begin Result := ''; try try Foo := 1 finally Result := 'f' end except Result := Result + 'e' end end",
         Variant("fe")},
        {"on clause else", "begin try Result := 1 div 0 except on E: TObject do Result := 'obj' else Result := 'else' end end",
         Variant("obj")},
        {"bare raise reraises to outer",
         "begin Result := ''; try try Result := 1 div 0 except Result := 'in'; raise end except Result := Result + 'out' end end",
         Variant("inout")},
        {"error in handler is discarded",
         "begin try Result := 1 div 0 except Result := 'a'; Result := Undefined; Result := 'b' end end", Variant("a")},
        {"const section", "var X: Integer; const K = 6; begin Result := K * 7 end", Variant(42)},
        {"string index", "var s: string; begin s := 'abc'; Result := s[2] end", Variant("b")},
        {"string element assignment", "var s: string; begin s := 'abc'; s[2] := 'x'; Result := s end", Variant("axc")},
        {"case-insensitive names", "var Counter: Integer; BEGIN counter := 4; RESULT := COUNTER End", Variant(4)},
        {"comments and empty statements", "begin { a } ; (* b *) ; // c\r\n Result := 1; ; end", Variant(1)},
        {"syntax error in branch never taken", "begin if false then Result := := ) else Result := 2 end", Variant(2)},
        {"bad statement after exit not reached", "begin Result := 1; exit; Result := ) end", Variant(1)},
    };
    for (const BodyCase& c : cases) {
        TKSInterpreterProgram p;
        // A small host function used by a few cases.
        p.adapter().RegisterHostClass("Test", &platform::Object::staticClassInfo());
        p.adapter().RegisterFunction("Test", "IntS", 1, {3}, 256, [](Variant& r, TKSInterpreterArgs& a) {
            r = Variant(a.arg(0).toString());
        });
        try {
            const Variant v = runScript(c.body, &p);
            EXPECT_TRUE(v.identicalTo(c.expected)) << c.name << " gave " << v.toString() << " of " << v.typeName();
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.name << ": " << e.what();
        }
    }
}

TEST(ScriptStatements, ErrorsCarryCodeMessageAndPosition)
{
    const struct {
        const char* body;
        int code;
        const char* message;
        int position;
    } cases[] = {
        {"begin if 1 then Result := 1 end", kserr::BooleanRequired, "Type of expression must be boolean", -1},
        {"var i: Integer; begin for i := 1.5 to 3 do ; end", kserr::IntegerRequired,
         "Type of expression must be integer", -1},
        {"begin while 1 do ; end", kserr::BooleanRequired, "Type of expression must be boolean", 11},
        {"begin if true do Result := 1 end", kserr::Expected, "'then' expected but 'do' found", 14},
        {"begin if true Result := 1 end", kserr::MissingOperator, "Missing operator or semicolon", 20},
        {"begin Result := 1 (2) end", kserr::Expected, "';' expected but '(' found", 18},
        {"begin Result := 1 Result := 2 end", kserr::MissingOperator, "Missing operator or semicolon", 24},
        {"begin Result = 1 end", kserr::Expected, "';' expected but '=' found", 13},
        {"begin x := 1 end", kserr::Undeclared, "Undeclared Identifier 'x'", 6},
        {"begin Result : 1 end", kserr::Expected, "'=' expected but '1' found", 15},
        {"begin Result := 1", kserr::Expected, "';' expected but End of File found", 17},
        {"begin Result := 1;", kserr::Expected, "'end' expected but End of File found", 18},
        {"begin for 1 to 2 do ; end", kserr::Expected, "Identifier expected but '1' found", 10},
        {"var i: Integer; begin for i := 1 do ; end", kserr::Expected, "'to' or 'downto' expected but 'do' found", 33},
        {"begin case 1 of 1 do Result := 1 end end", kserr::Expected, "':' expected but 'do' found", 18},
        {"begin case 'a' of 1: ; end end", kserr::IntegerRequired, nullptr, -1},
        {"begin try Result := 1 end", kserr::Expected, "'finally' expected but 'end' found", 22},
        {"begin repeat Result := 1 end", kserr::Expected, "'until' expected but 'end' found", 25},
        {"begin raise end", kserr::ReRaise, "Re-raising an exception only allowed in exception handler", -1},
        {"begin raise 5 end", kserr::ClassRequired, "Class type required", -1},
        {"var a: Integer; a: string; begin end", kserr::Redeclared, "Identifier redeclared: 'a'", -1},
        {"var a: array [1..2, 1..2, 1..2, 1..2, 1..2, 1..2, 1..2, 1..2, 1..2, 1..2, 1..2] of Integer; begin end",
         kserr::InvalidDimension, "Invalid array dimension", -1},
        {"var a: array [3..1] of Integer; begin end", kserr::InvalidRange, "Invalid array range", -1},
        {"var a: array 5 of Integer; begin end", kserr::Expected, "'[' or 'Of' expected but '5' found", 13},
        {"var a: array [1 2] of Integer; begin end", kserr::Expected, "'..' expected but '2' found", 16},
        {"var x: Integer; const K 5; begin end", kserr::Expected, "= expected but '5' found", 24},
        {"x := 1", kserr::Undeclared, "Undeclared Identifier 'x'", 0},
        {"var s: string; begin Result := s[1] end", kserr::ExternalInUnit, nullptr, -1},
        {"var s: string; begin s := 'ab'; Result := s[1, 2] end", kserr::TooManyBounds, "Too many array bounds", -1},
        {"var i: Integer; begin Result := i[1] end", kserr::ArrayRequired, "Array type required", -1},
    };
    for (const auto& c : cases) {
        TKSInterpreterProgram p;
        try {
            runScript(c.body, &p);
            ADD_FAILURE() << c.body << " ran";
        } catch (const EKSInterpreterError& e) {
            EXPECT_EQ(e.code, c.code) << c.body << ": " << e.message;
            if (c.message) {
                EXPECT_EQ(e.message, c.message) << c.body;
            }
            if (c.position >= 0) {
                EXPECT_EQ(e.position, c.position) << c.body;
            }
        } catch (const std::exception& e) {
            EXPECT_EQ(c.code, kserr::ExternalInUnit) << c.body << ": " << e.what();
            EXPECT_EQ(p.lastError().code, kserr::ExternalInUnit) << c.body;
            if (c.code == kserr::ExternalInUnit) {
                EXPECT_STREQ(e.what(), "range check error");
            }
        }
    }
}

TEST(ScriptStatements, StatementHookStopsAnEndlessLoop)
{
    TKSInterpreterProgram p;
    int statements = 0;
    bool terminated = false;
    p.OnStatement = [&](TKSInterpreterProgram&) {
        if (++statements == 1000)
            terminated = true;  // what a report's cancel button does
        if (terminated)
            throw EKSInterpreterError(kserr::UserBreak);
    };
    auto error = scriptError("begin while true do begin end end", &p);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::UserBreak);
    EXPECT_EQ(error->message, "User break");
}

TEST(ScriptStatements, ArraysShareAndCheckBounds)
{
    const BodyCase cases[] = {
        {"element types", "var a: array [1..3] of Integer; begin a[2] := '7'; Result := a[2] + a[1] end", Variant(7)},
        {"two dimensions",
         "var a: array [0..1, 1..3] of string; begin a[1, 3] := 'x'; a[0, 1] := 'y'; Result := a[0, 1] + a[1, 3] end",
         Variant("yx")},
        {"negative bounds", "var a: array [-2..2] of Double; begin a[-2] := 1.5; Result := a[-2] end", Variant(1.5)},
        {"arrays are shared on assignment",
         "var a, b: array [1..2] of Integer; begin a[1] := 1; b := a; b[1] := 5; Result := a[1] end", Variant(5)},
        {"variant elements start empty", "var a: array [1..2] of Variant; begin Result := a[1] end", Variant()},
    };
    for (const BodyCase& c : cases) {
        try {
            const Variant v = runScript(c.body);
            EXPECT_TRUE(v.identicalTo(c.expected)) << c.name << " gave " << v.toString();
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.name << ": " << e.what();
        }
    }
    const struct {
        const char* body;
        int code;
    } errors[] = {
        {"var a: array [1..3] of Integer; begin Result := a[4] end", kserr::IndexOutOfBounds},
        {"var a: array [1..3] of Integer; begin a[0] := 1 end", kserr::IndexOutOfBounds},
        {"var a: array [1..3, 1..2] of Integer; begin Result := a[1] end", kserr::NotEnoughBounds},
        {"var a: array [1..3] of Integer; begin Result := a[1, 1] end", kserr::TooManyBounds},
        {"var a: array of Integer; begin Result := a[0] end", kserr::IndexOutOfBounds},
    };
    for (const auto& c : errors) {
        auto error = scriptError(c.body);
        ASSERT_TRUE(error) << c.body;
        EXPECT_EQ(error->code, c.code) << c.body << ": " << error->message;
    }
}

} // namespace
