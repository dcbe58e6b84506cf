// Host exceptions seen by script handlers: `on E: Class do` binds E to an
// object of the host exception's class, matched along its class chain.
#include "script/hostexception.h"
#include "support.h"

#include <stdexcept>

namespace {

// A unit whose Check function runs `body` inside try and the given handlers.
std::string unitWith(const std::string& body, const std::string& handlers)
{
    return "unit Report;\r\n"
           "function Check: string;\r\n"
           "begin\r\n"
           "  Result := 'none';\r\n"
           "  try\r\n    " + body + ";\r\n"
           "  except\r\n    " + handlers + "\r\n"
           "  end;\r\n"
           "end;\r\n"
           "end.";
}

void registerExceptionHost(TKSInterpreterAdapter& r)
{
    r.RegisterHostUnit("Test");
    for (const platform::ClassInfo* cls :
         {&Exception::staticClassInfo(), &EScriptError::staticClassInfo(), &EConvertError::staticClassInfo(),
          &EVariantError::staticClassInfo(), &EIntError::staticClassInfo(), &EDivByZero::staticClassInfo(),
          &EMathError::staticClassInfo(), &EZeroDivide::staticClassInfo()})
        r.RegisterHostClass("Test", cls);
    r.RegisterFunction("Test", "FailConvert", 0, {}, 0,
                       [](Variant&, TKSInterpreterArgs&) { throw EConvertError("'x1' is not a valid integer value"); });
    r.RegisterFunction("Test", "FailPlain", 0, {}, 0,
                       [](Variant&, TKSInterpreterArgs&) { throw std::runtime_error("plain failure"); });
}

} // namespace

TEST(ScriptHostExceptions, HandlerBindsTheHostExceptionByClass)
{
    const struct {
        const char* body;
        const char* handlers;
        const char* expected;
    } cases[] = {
        {"Result := 1 div 0", "on E: EDivByZero do Result := E.Message;", "Division by zero"},
        {"Result := 1 div 0", "on E: EIntError do Result := E.Message;", "Division by zero"},
        {"Result := 1 / 0", "on E: EIntError do Result := 'int'; on E: EMathError do Result := E.Message;",
         "Floating point division by zero"},
        {"Result := 1 div 0", "on E: EZeroDivide do Result := 'real'; on E: Exception do Result := 'any';", "any"},
        {"FailConvert", "on E: EConvertError do Result := E.Message;", "'x1' is not a valid integer value"},
        {"FailConvert", "on E: EVariantError do Result := 'variant' else Result := 'else';", "else"},
        {"FailPlain", "on E: EConvertError do Result := 'convert'; on E: Exception do Result := E.Message;",
         "plain failure"},
        {"Result := 'a' - 1", "on E: EKSInterpreterError do Result := 'script';", "script"},
        {"Result := Undeclared1", "on E: Exception do Result := 'bound ' + E.Message;",
         "bound Undeclared Identifier 'Undeclared1'"},
        // The handler's name is writable like any local and gone after the handler.
        {"FailPlain", "on E: Exception do begin E.Message := 'changed'; Result := E.Message end;", "changed"},
        // The handler's object belongs to the exception: freeing it there must
        // not free it twice.
        {"FailConvert", "on E: Exception do begin Result := E.Message; E.Free end;",
         "'x1' is not a valid integer value"},
        {"Result := 1 div 0", "on E: Exception do begin E.Free; E.Free; Result := 'freed' end;", "freed"},
    };
    for (const auto& c : cases) {
        TKSInterpreterProgram p;
        registerExceptionHost(p.adapter());
        p.setSource(unitWith(c.body, c.handlers));
        try {
            p.Compile();
            EXPECT_EQ(p.callRoutine("Check", {}).toString(), c.expected) << c.body << " / " << c.handlers;
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.body << " / " << c.handlers << ": " << e.what();
        }
    }
}

TEST(ScriptHostExceptions, UnmatchedHostExceptionLeavesUnchanged)
{
    TKSInterpreterProgram p;
    registerExceptionHost(p.adapter());
    p.setSource(unitWith("FailConvert", "on E: EMathError do Result := 'math';"));
    p.Compile();
    try {
        p.callRoutine("Check", {});
        FAIL() << "the exception should leave the routine";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
}

TEST(ScriptHostExceptions, MapsCaughtErrorsToTheirClasses)
{
    const struct {
        std::exception_ptr error;
        const char* className;
        const char* message;
    } cases[] = {
        {std::make_exception_ptr(EDivByZero("d")), "EDivByZero", "d"},
        {std::make_exception_ptr(platform::VariantError(platform::VariantError::Kind::Conversion, "c")),
         "EVariantError", "c"},
        {std::make_exception_ptr(std::out_of_range("r")), "ERangeError", "r"},
        {std::make_exception_ptr(EKSInterpreterError(kserr::Undeclared, -1, "X")), "EKSInterpreterError",
         "Undeclared Identifier 'X'"},
        {std::make_exception_ptr(42), "Exception", "Unknown exception"},
    };
    for (const auto& c : cases) {
        std::shared_ptr<Exception> e = hostExceptionFor(c.error);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->className(), c.className);
        EXPECT_EQ(e->message(), c.message);
        EXPECT_TRUE(e->inheritsFrom("Exception"));
    }
}
