// Tests of units and routines: main, nested calls and recursion, var and value
// parameters, records, uses clauses, programs, calls from the host.
#include "support.h"

#include "script/fm.h"
#include "script/record.h"
#include "script/symbols.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace {

const char* kUnit = R"(unit Report;
interface
implementation
var Total: Integer;
const Greeting = 'hi';
type TPair = record A, B: Integer; Name: string; end;

function Add(X, Y: Integer): Integer;
begin
  Result := X + Y;
end;

function Fact(N: Integer): Integer;
begin
  if N <= 1 then Result := 1 else Result := N * Fact(N - 1);
end;

procedure Bump(var V: Integer; W: Integer);
begin
  V := V + 1;
  W := W + 1;
end;

procedure Fill(var P: TPair);
begin
  P.A := 7;
end;

procedure Touch(P: TPair);
begin
  P.A := 99;
end;

function Fails(N: Integer): Integer;
begin
  Result := N div 0;
end;

function Guarded: string;
begin
  try
    Fails(1);
    Result := 'no';
  except
    Result := 'caught across routines';
  end;
end;

procedure Main;
var I, K: Integer;
    P, Q: TPair;
begin
  Total := Add(2, 3);
  I := 1; K := 1;
  Bump(I, K);
  Total := Total * 100 + I * 10 + K;
  P.A := 1; P.Name := 'p';
  Q := P;
  Q.A := 2;
  Fill(P);
  Touch(P);
end;

end.)";

TEST(ScriptUnits, RunsMainWithRoutinesParametersAndRecords)
{
    TKSInterpreterProgram p;
    p.setSource(kUnit);
    p.Run();
    EXPECT_EQ(p.callRoutine("Add", {Variant(4), Variant(5)}).toInteger(), 9);
    EXPECT_EQ(p.callRoutine("Fact", {Variant(10)}).toInteger(), 3628800);
    EXPECT_EQ(p.callRoutine("Guarded", {}).toString(), "caught across routines");
    // Total = Add(2,3) * 100 + I * 10 + K: I changed through var, K not.
    Variant total;
    TKSInterpreterArgs args;
    ASSERT_TRUE(p.GetValue(internSymbol("Total"), "Total", total, args));
    EXPECT_EQ(total.toInteger(), 521);
}

TEST(ScriptUnits, RecordsCopyOnAssignmentAndShareThroughVarParameters)
{
    TKSInterpreterProgram p;
    p.setSource(std::string(kUnit).replace(std::string(kUnit).find("procedure Main;"), 0,
                                           "function Check: string;\nvar P, Q: TPair;\nbegin\n"
                                           "  P.A := 1; Q := P; Q.A := 2; Fill(P); Touch(P);\n"
                                           "  Result := IntToText(P.A) + IntToText(Q.A);\nend;\n\n"));
    p.adapter().RegisterFunction("Test", "IntToText", 1, {0}, 256,
                                 [](Variant& r, TKSInterpreterArgs& a) { r = Variant(a.arg(0).toString()); });
    p.Compile();
    EXPECT_EQ(p.callRoutine("Check", {}).toString(), "72");
}

TEST(ScriptUnits, RoutineCallErrors)
{
    const struct {
        const char* call;
        int code;
    } cases[] = {
        {"Add(1, 2, 3)", kserr::TooManyParams},
        {"Add(1)", kserr::NotEnoughParams},
        {"Nothing(1)", kserr::Undeclared},
    };
    for (const auto& c : cases) {
        TKSInterpreterProgram p;
        std::string source = kUnit;
        source.replace(source.find("  Total := Add(2, 3);"), 0, std::string("  Total := ") + c.call + ";\n");
        p.setSource(source);
        try {
            p.Run();
            ADD_FAILURE() << c.call;
        } catch (const EKSInterpreterError& e) {
            EXPECT_EQ(e.code, c.code) << c.call << ": " << e.message;
            EXPECT_EQ(e.unitName, "Report");
            EXPECT_EQ(e.line, 53) << e.message;
            EXPECT_NE(e.message.find("Error in unit 'Report' on line 53 : "), std::string::npos) << e.message;
        }
    }
}

TEST(ScriptUnits, RecursionDepthIsLimited)
{
    const char* source = "unit U; function Down(N: Integer): Integer; begin if N = 0 then Result := 0 "
                         "else Result := Down(N - 1) + 1; end; procedure Main; begin end; end.";
    TKSInterpreterProgram p;
    p.setSource(source);
    p.Compile();
    EXPECT_EQ(p.callRoutine("Down", {Variant(150)}).toInteger(), 150);
    try {
        p.callRoutine("Down", {Variant(100000)});
        FAIL() << "deep recursion ran";
    } catch (const EKSInterpreterError& e) {
        EXPECT_EQ(e.code, kserr::Internal);
        EXPECT_NE(e.message.find("Internal interpreter error: "), std::string::npos);
    }
    // The interpreter is usable again afterwards.
    EXPECT_EQ(p.callRoutine("Down", {Variant(3)}).toInteger(), 3);
}

TEST(ScriptUnits, MainIsFoundCaseInsensitivelyAndRequiredOnlyToRun)
{
    TKSInterpreterProgram p;
    p.setSource("unit Report;\r\ninterface\r\nimplementation\r\nprocedure MAIN;\r\nbegin\r\nend;\r\nend.");
    EXPECT_NO_THROW(p.Run());
    p.setSource("unit Report; procedure Other; begin end; end.");
    EXPECT_NO_THROW(p.Compile());
    try {
        p.Run();
        FAIL();
    } catch (const EKSInterpreterError& e) {
        EXPECT_EQ(e.code, kserr::MainUndefined);
    }
}

TEST(ScriptUnits, ProgramsAndTheirErrors)
{
    TKSInterpreterProgram p;
    p.setSource("program Demo; var X: Integer; begin X := 1 end.");
    EXPECT_NO_THROW(p.Run());
    p.setSource("{c} program Demo; begin end.");
    auto error = scriptError(p.source(), &p);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::Expected);
    p.setSource("program Demo; begin end");
    error = scriptError(p.source(), &p);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Error in unit 'Demo' on line 1 : '.' expected but End of File found");
}

TEST(ScriptUnits, UsesLoadsUnitsThroughTheHookAndFiles)
{
    TKSInterpreterFm p;
    int requests = 0;
    p.OnGetUnitSource = [&](TKSInterpreterUnit&, const std::string& name, std::string& source) {
        ++requests;
        if (name != "Lib")
            return false;
        source = "unit Lib; function Twice(X: Integer): Integer; begin Result := X * 2 end; end.";
        return true;
    };
    p.setSource("unit Report; implementation uses Lib; procedure Main; begin end; "
                "function Go: Integer; begin Result := Twice(4) + Lib.Twice(1) end; end.");
    p.Compile();
    EXPECT_EQ(p.callRoutine("Go", {}).toInteger(), 10);
    EXPECT_EQ(requests, 1);

    // In the interface section a uses clause loads nothing by default.
    p.setSource("unit Report; interface uses Missing; implementation procedure Main; begin end; end.");
    EXPECT_NO_THROW(p.Run());
    // In the implementation section the unit's source is needed.
    p.setSource("unit Report; implementation uses Missing; procedure Main; begin end; end.");
    auto error = scriptError(p.source(), &p);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::UnitNotFound);
    EXPECT_EQ(error->message, "Error in unit 'Report' on line 1 : Unit 'Missing' not found");

    // A unit file along the search path.
    const auto folder = std::filesystem::temp_directory_path() / "tk_script_units";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Helper.pas") << "unit Helper;\nfunction Three: Integer;\nbegin\n  Result := 3\nend;\nend.\n";
    TKSInterpreterFm files;
    files.SearchPath = "/nonexistent;" + folder.string();
    files.setSource("unit Report; implementation uses Helper; procedure Main; begin end; "
                    "function Go: Integer; begin Result := Three end; end.");
    files.Compile();
    EXPECT_EQ(files.callRoutine("Go", {}).toInteger(), 3);
    std::filesystem::remove_all(folder);
}

TEST(ScriptUnits, ErrorsInsideALoadedUnitNameThatUnit)
{
    TKSInterpreterFm p;
    p.OnGetUnitSource = [](TKSInterpreterUnit&, const std::string&, std::string& source) {
        source = "unit Broken;\r\n\r\nprocedure X; begin end;\r\n  oops\r\nend.";
        return true;
    };
    p.setSource("unit Report; implementation uses Broken; procedure Main; begin end; end.");
    auto error = scriptError(p.source(), &p);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::Expected);
    EXPECT_EQ(error->unitName, "Broken");
    EXPECT_EQ(error->line, 4);
}

TEST(ScriptUnits, ExternalRoutinesAreRefusedUnlessAllowed)
{
    const std::string source = "unit U; function CAbs(X: Integer): Integer; external 'libc.so.6' name 'abs'; "
                               "procedure Main; begin end; function Go: Integer; begin Result := CAbs(-5) end; end.";
    TKSInterpreterProgram refused;
    refused.setSource(source);
    try {
        refused.Compile();
        FAIL() << "external routine accepted";
    } catch (const EKSInterpreterError& e) {
        EXPECT_EQ(e.code, kserr::AccessDenied);
        EXPECT_NE(e.message.find("Access denied to 'external routine CAbs'"), std::string::npos);
    }
    TKSInterpreterProgram allowed;
    allowed.AllowExternalRoutines = true;
    allowed.setSource(source);
    allowed.Compile();
    EXPECT_EQ(allowed.callRoutine("Go", {}).toInteger(), 5);

    allowed.setSource("unit U; function F: Integer; external 'no-such-library.so' name 'f'; "
                      "procedure Main; begin F end; end.");
    auto error = scriptError(allowed.source(), &allowed);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::LibraryLoad);
    allowed.setSource("unit U; function F: Integer; external 'libc.so.6' name 'no_such_export_xyz'; "
                      "procedure Main; begin F end; end.");
    error = scriptError(allowed.source(), &allowed);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::ProcAddress);
}

TEST(ScriptUnits, MalformedSourcesOfAnyBytesNeverCrash)
{
    std::mt19937 random(99);
    const std::string pieces[] = {"begin", "end", "if", "then", "else", "while", "do", "for", ":=", "to", "repeat",
                                  "until", "try", "except", "finally", "case", "of", "(", ")", "[", "]", ";", ",",
                                  "x", "1", "'s'", "+", "*", "raise", "var", "unit", "procedure", ".", "{", "}",
                                  "exit", "break", "..", "\xB5", "Result", "on", ":"};
    for (int round = 0; round < 3000; ++round) {
        std::string source = round % 2 ? "begin " : "unit U; procedure Main; begin ";
        const int n = int(random() % 30);
        for (int i = 0; i < n; ++i) {
            if (random() % 5 == 0)
                source += char(random() % 256);
            else
                source += pieces[random() % std::size(pieces)];
            source += ' ';
        }
        TKSInterpreterProgram p;
        int steps = 0;
        p.OnStatement = [&](TKSInterpreterProgram&) {
            if (++steps > 10000)
                throw EKSInterpreterError(kserr::UserBreak);
        };
        p.setSource(source);
        try {
            p.Run();
        } catch (const std::exception&) {
        }
    }
}

} // namespace
