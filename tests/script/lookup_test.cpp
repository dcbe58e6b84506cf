// A script routine called by a plain name is remembered between calls; every
// change that gives the name another meaning must be seen at the next call.
#include "support.h"

#include "platform/gbk.h"

#include "script/symbols.h"

namespace {

const char* kUnit = "unit U;\r\n"
                    "function Twice(X: Integer): Integer;\r\n"
                    "begin\r\n"
                    "  Result := X * 2;\r\n"
                    "end;\r\n"
                    "function Go: Variant;\r\n"
                    "begin\r\n"
                    "  Result := Twice(5);\r\n"
                    "end;\r\n"
                    "function Hidden: Variant;\r\n"
                    "var Twice: string;\r\n"
                    "begin\r\n"
                    "  Twice := 'local';\r\n"
                    "  Result := Twice + '!';\r\n"
                    "end;\r\n"
                    "procedure Main; begin end;\r\n"
                    "end.";

// A registry whose own lookup answers one name its tables do not hold.
class AnsweringRegistry : public TKSInterpreterAdapter {
public:
    bool GetValue(TKSInterpreterExpression& expr, int symbol, const std::string& identifier, TKSInterpreterArgs& args,
                  Variant& value) override
    {
        if (!args.hasObject() && symbol == internSymbol("TWICE")) {
            value = Variant("registry");
            return true;
        }
        return TKSInterpreterAdapter::GetValue(expr, symbol, identifier, args, value);
    }
};

class CallSites : public ::testing::Test {
protected:
    void SetUp() override
    {
        p.setSource(kUnit);
        p.Compile();
        ASSERT_EQ(go().toInteger(), 10);  // the routine is found and remembered
    }
    Variant go() { return p.callRoutine("Go", {}); }

    TKSInterpreterProgram p;
};

} // namespace

TEST_F(CallSites, FollowNewRegistryEntriesAndHooks)
{
    p.adapter().RegisterFunction("U", "Twice", 1, {0}, 0,
                                 [](Variant& result, TKSInterpreterArgs&) { result = Variant("function"); });
    EXPECT_EQ(go().toString(), "function");
}

TEST_F(CallSites, FollowARegistryHookAddedLater)
{
    p.adapter().RegisterGetHook([](TKSInterpreterExpression&, const std::string& name, Variant& v, TKSInterpreterArgs&) {
        v = Variant("hook " + name);
        return true;
    });
    EXPECT_EQ(go().toString(), "hook Twice");
}

TEST_F(CallSites, FollowOnGetValueSetLater)
{
    p.OnGetValue = [](TKSInterpreterExpression&, const std::string& name, Variant& v, TKSInterpreterArgs&) {
        if (!platform::sameName(name, "Twice"))
            return false;
        v = Variant("event");
        return true;
    };
    EXPECT_EQ(go().toString(), "event");
    p.OnGetValue = [](TKSInterpreterExpression&, const std::string&, Variant&, TKSInterpreterArgs&) { return false; };
    EXPECT_EQ(go().toInteger(), 10);  // a hook that declines leaves the routine
}

TEST_F(CallSites, ALocalOfTheSameNameHidesTheRoutine)
{
    EXPECT_EQ(p.callRoutine("Hidden", {}).toString(), "local!");
    EXPECT_EQ(go().toInteger(), 10);
}

TEST_F(CallSites, AGlobalRegistryWithItsOwnLookupIsAsked)
{
    AnsweringRegistry registry;
    p.setGlobalAdapter(&registry);
    EXPECT_EQ(go().toString(), "registry");
}

TEST_F(CallSites, ANewSourceBringsItsOwnRoutine)
{
    std::string changed = kUnit;
    changed.replace(changed.find("X * 2"), 5, "X * 3");
    p.setSource(changed);
    p.Compile();
    EXPECT_EQ(go().toInteger(), 15);
}

TEST(ScriptCallSites, TheSameNameInAnotherUnitIsThatUnitsRoutine)
{
    TKSInterpreterProgram p;
    p.OnGetUnitSource = [](TKSInterpreterUnit&, const std::string& name, std::string& source) {
        if (!platform::sameName(name, "Other"))
            return false;
        source = "unit Other;\r\n"
                 "function Helper: string; begin Result := 'other' end;\r\n"
                 "function FromOther: string; begin Result := Helper end;\r\n"
                 "end.";
        return true;
    };
    p.setSource("unit Report;\r\n"
                "uses Other;\r\n"
                "function Helper: string; begin Result := 'report' end;\r\n"
                "function Both: string;\r\n"
                "begin\r\n"
                "  Result := Helper + ' ' + FromOther + ' ' + Helper;\r\n"
                "end;\r\n"
                "procedure Main; begin end;\r\n"
                "end.");
    p.Compile();
    EXPECT_EQ(p.callRoutine("Both", {}).toString(), "report other report");
}
