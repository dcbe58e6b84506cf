// The standard function library and the library registry: each function
// group through expressions, null rules, laziness of IF/IIF, boxes, host
// components, and the owner seams (dictionary, aggregates).
#include "expr/evalcontext.h"
#include "expr/stdfunctions.h"
#include "platform/component.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::Variant;

namespace {

// Side effects for laziness tests: TOUCH('x') records x; BOOM() fails.
class ProbeLibrary : public TKSFunctionLibrary {
public:
    static inline std::vector<std::string> touched;

    ProbeLibrary()
    {
        AddFunctionName("TOUCH");
        AddFunctionName("BOOM");
    }
    void DoFunction(TKSParser& parser, int number, TKSArguments& arguments, Variant& result) override
    {
        if (number == 1)
            throw EKSExpressionError("BOOM evaluated");
        Variant value = parser.CalcArgument(arguments[0]);
        touched.push_back(value.toString());
        result = value;
    }
    static const TKSFunctionLibraryClass& Class()
    {
        static const TKSFunctionLibraryClass libraryClass{
            "ProbeLibrary", []() -> std::unique_ptr<TKSCustomFunctionLibrary> { return std::make_unique<ProbeLibrary>(); }};
        return libraryClass;
    }
};

// An owner with a dictionary, aggregates and a host window, all recorded.
class RecordingContext : public TKSEvalContext {
public:
    std::string fieldAsked;
    int aggregateKind = 0;
    std::string aggregateArgument;
    platform::Component* componentOwner = nullptr;

    bool FieldIsNull(std::string_view reference) override
    {
        fieldAsked = reference;
        return reference == "T.EMPTY";
    }
    bool CalcAggregate(TKSParser&, int kind, TKSArguments& arguments, Variant& result) override
    {
        aggregateKind = kind;
        aggregateArgument = arguments[0].toString();
        result = Variant(42.0);
        return true;
    }
    platform::Component* ComponentOwner() const override { return componentOwner; }
};

struct ValueCase {
    const char* expression;
    Variant expected;
};

class StdFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterStdFunctionLibrary();
        RegisterFunctionLibrary(ProbeLibrary::Class());
        ProbeLibrary::touched.clear();
        context.Variables.SetValue("NULLV", Variant::null());
        context.Variables.SetValue("PRICE", Variant(12.5));
    }
    void TearDown() override { UnRegisterFunctionLibrary(ProbeLibrary::Class()); }

    Variant eval(std::string_view expression) { return context.Evaluate(platform::utf8ToGbk(expression)); }
    std::string text(std::string_view expression) { return platform::gbkToUtf8(eval(expression).toString()); }

    void expectAll(std::initializer_list<ValueCase> cases)
    {
        for (const ValueCase& c : cases) {
            Variant value = eval(c.expression);
            EXPECT_TRUE(value.identicalTo(c.expected))
                << c.expression << " gave " << platform::gbkToUtf8(value.toString()) << " (" << value.typeName() << ")";
        }
    }

    RecordingContext context;
};

TEST_F(StdFunctionsTest, TextFunctionsCountBytesAndKeepCharactersWhole)
{
    const std::string withTrailA = "\x81\x41";   // a GBK character whose trail byte is "A"
    const std::string withTrailLower = "\x81\x61";  // ... and one whose trail byte is "a"
    context.Variables.SetValue("TA", Variant(withTrailA + "A"));
    context.Variables.SetValue("TL", Variant("b" + withTrailLower));
    expectAll({
        {"LENGTH('中a')", Variant(3)},
        {"LENGTH(nullv)", Variant(0)},
        {"POS('b', 'a中b')", Variant(4)},
        {"POS('A', ta)", Variant(3)},  // not the trail byte at 2
        {"POS('', 'abc')", Variant(0)},
        {"POS('x', 'abc')", Variant(0)},
        {"COPY('中文abc', 3, 2)", Variant(platform::utf8ToGbk("文"))},
        {"COPY('abc', 0, 2)", Variant("ab")},
        {"COPY('abc', 2, 99)", Variant("bc")},
        {"COPY('abc', 5, 1)", Variant("")},
        {"COPY('abc', 1, -1)", Variant("")},
        {"UPPERCASE(tl)", Variant("B" + withTrailLower)},
        {"LOWERCASE(ta)", Variant(withTrailA + "a")},
        {"NAMECASE('abc dEF')", Variant("Abc dEF")},
        {"NAMECASE('')", Variant("")},
        {"TRIM('  a b \r\n')", Variant("a b")},
        {"STRINGOFCHAR('xy', 3)", Variant("xxx")},
        {"STRINGOFCHAR('中', 2)", Variant(platform::utf8ToGbk("中中"))},
        {"STRINGOFCHAR('', 3)", Variant("")},
        {"STRINGOFCHAR('x', -1)", Variant("")},
        {"EXTRACTFILEPATH('C:\\dir\\file.txt')", Variant("C:\\dir\\")},
        {"EXTRACTFILEPATH('/tmp/a.ksp')", Variant("/tmp/")},
        {"EXTRACTFILEPATH('file')", Variant("")},
        {"FORMATTEXT('000-0000', '1234567')", Variant("123-4567")},
        {"FORMATTEXT('(000) 000', 12345)", Variant("(123) 45 ")},
        {"FORMATTEXT('>LL', 'ab')", Variant("AB")},
    });
    EXPECT_THROW(eval("STRINGOFCHAR('x', 100000000)"), EKSExpressionError);
}

TEST_F(StdFunctionsTest, NumberFunctions)
{
    expectAll({
        {"STRTOFLOAT('2.5')", Variant(2.5)},
        {"STRTOFLOAT('')", Variant(0)},
        {"STRTOFLOAT(nullv)", Variant(0)},
        {"STRTOINT('42')", Variant(42)},
        {"STRTOINT(' -7')", Variant(-7)},
        {"STRTOINT('')", Variant(0)},
        {"ABS(-3)", Variant(3.0)},
        {"ABS(nullv)", Variant(0.0)},
        {"KSROUND(2.5, 0)", Variant(2.0)},
        {"KSROUND(3.5, 0)", Variant(4.0)},
        {"KSROUND(2.25, 1)", Variant(2.3)},
        {"KSROUND(-2.25, 1)", Variant(-2.3)},
        {"KSROUND(1.005, 2)", Variant(1.01)},
        {"KSROUND(1234, -2)", Variant(1200.0)},
        {"KSROUND(nullv, 1)", Variant(0.0)},
        {"DIV(7, 2)", Variant(3)},
        {"DIV(nullv, 2)", Variant(0)},
        {"MAXNUM(3, 5)", Variant(5.0)},
        {"MAXNUM(5, 3)", Variant(5.0)},
        {"MINNUM(3, 5)", Variant(3.0)},
        {"MINNUM('b', 'a')", Variant("a")},
        {"FORMATFLOAT('#,##0.00', 1234567.891)", Variant("1,234,567.89")},
        {"FORMATFLOAT('0.00;(0.00)', -5)", Variant("(5.00)")},
        {"FORMATFLOAT(nullv, 2.5)", Variant("2.5")},
        {"KSFORMAT(1234.5, 'N0.00')", Variant("1234.50")},
        {"KSFORMAT(0, 'BNo;Yes')", Variant("No")},
        {"KSFORMAT(2.5, '')", Variant("2.5")},
    });
    const char* failing[] = {
        "STRTOFLOAT('x')", "STRTOINT('4.2')", "STRTOINT('99999999999')", "DIV(7, 0)",
        "DIV(7, nullv)",   "KSROUND(2.5, nullv)", "SINGNUMTOBIG(1, nullv)",
    };
    for (const char* expression : failing)
        EXPECT_THROW(eval(expression), platform::VariantError) << expression;
}

TEST_F(StdFunctionsTest, DateFunctions)
{
    expectAll({
        {"DAY(nullv)", Variant(30)},
        {"MONTH(nullv)", Variant(12)},
        {"YEAR(nullv)", Variant(1899)},
        {"DAY(STRTODATE('2024-10-20'))", Variant(20)},
        {"YEAR(STRTODATE('2024-10-20'))", Variant(2024)},
        {"MONTHTOENGLISHSHORT(3)", Variant("Mar")},
        {"MONTHTOENGLISHLONG(12)", Variant("December")},
        {"MONTHTOENGLISHLONG(13)", Variant("")},
        {"MONTHTOENGLISHSHORT(nullv)", Variant("")},
        {"FORMATDATETIME('yyyy.mm.dd', STRTODATE('2024-10-20'))", Variant("2024.10.20")},
        {"FORMATDATETIME('yyyy', nullv)", Variant("0")},
        {"FORMATDATETIME('hh:nn', STRTOTIME('10:30'))", Variant("10:30")},
    });
    EXPECT_TRUE(eval("STRTODATE('2024-10-20')").isDate());
    EXPECT_TRUE(eval("DATE").isDate());
    EXPECT_LT(eval("TIME").toDouble(), 1.0);
    EXPECT_THROW(eval("STRTODATE('20.20.20.20')"), platform::VariantError);
}

TEST_F(StdFunctionsTest, IfAndIifEvaluateOnlyTheChosenBranch)
{
    expectAll({
        {"IF(1 > 2, TOUCH('a'), TOUCH('b'))", Variant("b")},
        {"IIF(2 > 1, TOUCH('c'), BOOM())", Variant("c")},
        {"IIF(nullv, BOOM(), 'else')", Variant("else")},
        {"if(0, 1)", Variant(0)},  // missing branch: the empty argument is 0
    });
    EXPECT_EQ(ProbeLibrary::touched, (std::vector<std::string>{"b", "c"}));
    EXPECT_THROW(eval("IIF(1, BOOM(), 0)"), EKSExpressionError);
}

TEST_F(StdFunctionsTest, FunctionNamesInAnyCase)
{
    for (const char* expression : {"CurrToBigNum(100)", "currtobignum(100)", "CURRTOBIGNUM(100)"})
        EXPECT_EQ(text(expression), "壹佰元整") << expression;
    EXPECT_THROW(eval("NOSUCHFUNCTION(1)"), EKSExpressionError);
}

TEST_F(StdFunctionsTest, BoxesGoThroughThePlatformDialogs)
{
    std::vector<platform::DialogRequest> requests;
    platform::ScopedDialogHook hook([&](const platform::DialogRequest& request) {
        requests.push_back(request);
        if (request.kind == platform::DialogRequest::Kind::Input)
            return platform::DialogAnswer{platform::IDOK, "typed"};
        return platform::DialogAnswer{platform::IDYES, ""};
    });
    expectAll({
        {"MESSAGEBOX('text', 'caption', 4)", Variant(platform::IDYES)},
        {"INPUT('prompt', 'default')", Variant("typed")},
        {"SHOWMESSAGE('hello')", Variant("0")},
    });
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].text, "text");
    EXPECT_EQ(requests[0].caption, "caption");
    EXPECT_EQ(requests[0].flags, 4);
    EXPECT_EQ(requests[1].text, "prompt");
    EXPECT_EQ(requests[1].defaultText, "default");
    EXPECT_EQ(requests[2].text, "hello");
}

TEST_F(StdFunctionsTest, FieldIsNullAsksTheOwnersDictionary)
{
    EXPECT_TRUE(eval("FIELDISNULL(T.EMPTY)").identicalTo(Variant(true)));
    EXPECT_EQ(context.fieldAsked, "T.EMPTY");
    EXPECT_TRUE(eval("FIELDISNULL('T.' + 'OTHER')").identicalTo(Variant(false)));
    EXPECT_EQ(context.fieldAsked, "T.OTHER");

    TKSEvalContext noDictionary;
    EXPECT_TRUE(noDictionary.Evaluate("FIELDISNULL(T.EMPTY)").identicalTo(Variant(false)));
}

TEST_F(StdFunctionsTest, AggregatesNeedTheOwnersAggregateStore)
{
    EXPECT_TRUE(eval("SUM(price)").identicalTo(Variant(42.0)));
    EXPECT_EQ(context.aggregateKind, 14);
    EXPECT_EQ(context.aggregateArgument, "price");
    eval("COUNT(MasterData1)");
    EXPECT_EQ(context.aggregateKind, 11);

    TKSEvalContext noStore;
    try {
        noStore.Evaluate("AVG(price)");
        ADD_FAILURE() << "AVG without an aggregate store";
    } catch (const EKSExpressionError& error) {
        EXPECT_NE(std::string(error.what()).find("AVG"), std::string::npos) << error.what();
    }
}

TEST_F(StdFunctionsTest, GetControlPropValueReadsPublishedPropertiesOfHostComponents)
{
    platform::Component form;
    form.setName("Form1");
    auto* edit = new platform::Component(&form);
    edit->setName("Edit1");
    edit->setTag(7);
    auto* inner = new platform::Component(edit);
    inner->setName("Inner");
    inner->setTag(9);
    platform::screen::add(&form);
    context.componentOwner = &form;

    expectAll({
        {"GETCONTROLPROPVALUE('Form1.Edit1', 'Tag')", Variant(7)},
        {"GETCONTROLPROPVALUE('form1.edit1.inner', 'TAG')", Variant(9)},
        {"GETCONTROLPROPVALUE('Form1.Edit1', 'Name')", Variant("Edit1")},
        {"GETCONTROLPROPVALUE('Edit1', 'Tag')", Variant(7)},  // owned by the report's owner
        {"GETCONTROLPROPVALUE('Form1.Missing', 'Tag')", Variant(0)},
        {"GETCONTROLPROPVALUE('Form1.Edit1', 'NoSuchProperty')", Variant(0)},
        {"GETCONTROLPROPVALUE('NoForm.Edit1', 'Tag')", Variant(0)},
    });
    platform::screen::remove(&form);
}

TEST_F(StdFunctionsTest, RegistryKeepsOneInstancePerClassInOrder)
{
    auto names = [] {
        std::vector<std::string> found;
        for (TKSCustomFunctionLibrary* library : FunctionLibraries())
            found.push_back(library->FunctionNames().front());
        return found;
    };
    const std::vector<std::string> expected = {"STRTOFLOAT", "TOUCH"};
    EXPECT_EQ(names(), expected);
    RegisterFunctionLibrary(ProbeLibrary::Class());
    EXPECT_EQ(names(), expected);

    TKSCustomFunctionLibrary* before = FunctionLibraries()[1];
    RefreshFunctionLibraries();
    EXPECT_EQ(names(), expected);  // re-created, same order
    (void)before;

    UnRegisterFunctionLibrary(ProbeLibrary::Class());
    EXPECT_EQ(names(), std::vector<std::string>{"STRTOFLOAT"});
    UnRegisterFunctionLibrary(ProbeLibrary::Class());  // not registered: nothing happens
    EXPECT_THROW(eval("TOUCH(1)"), EKSExpressionError);
}

TEST_F(StdFunctionsTest, StandardLibraryDescribesItsFunctions)
{
    TKSStdFunctionLibrary library;
    EXPECT_EQ(library.FunctionNames().size(), 47u);
    EXPECT_EQ(library.IndexOf("sum"), TKSStdFunctionLibrary::fnSum);
    EXPECT_EQ(library.IndexOf("IF"), TKSStdFunctionLibrary::fnIf);
    const std::vector<TKSFunctionDesc>& descs = library.FunctionDescs();
    ASSERT_EQ(descs.size(), 76u);
    EXPECT_EQ(descs.front().FuncName, "Avg");
    EXPECT_EQ(descs.front().FuncPara, "NSN");
    EXPECT_EQ(descs.back().FuncName, "StopReport");
    auto iif = std::find_if(descs.begin(), descs.end(), [](const TKSFunctionDesc& d) { return d.FuncName == "IIF"; });
    ASSERT_NE(iif, descs.end());
    EXPECT_EQ(iif->FuncPara, "BVV");
}

TEST_F(StdFunctionsTest, ArgumentsAsValuesFromTheScript)
{
    TKSParser& parser = context.Parser();
    parser.ArgumentsAreValues = true;
    TKSArguments arguments;
    arguments.fill(Variant(std::string()));
    arguments[0] = Variant(1234.56);
    Variant result;
    ASSERT_TRUE(CallFunctionLibraries(parser, "CurrToBigNum", arguments, result));
    EXPECT_EQ(platform::gbkToUtf8(result.toString()), "壹仟贰佰叁拾肆元伍角陆分");
    arguments[0] = Variant("1 + 1");  // a value, not an expression
    ASSERT_TRUE(CallFunctionLibraries(parser, "LENGTH", arguments, result));
    EXPECT_TRUE(result.identicalTo(Variant(5)));
    parser.ArgumentsAreValues = false;
}

} // namespace
