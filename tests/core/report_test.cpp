// The report component without windows: page lists, the prepare sequence
// (passes, template restore, errors), form data, print settings, names.
#include "core/engine_init.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "platform/dialogs.h"
#include "platform/formtext.h"
#include "platform/gbk.h"
#include "support/captured_boxes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <stdexcept>

using platform::Variant;

namespace {

std::string gbk(const char* utf8) { return platform::utf8ToGbk(utf8); }

// A report whose page loop is supplied by the test.
class ScriptedReport : public TKSReport {
public:
    using TKSReport::TKSReport;
    std::function<void(ScriptedReport&)> loop;
    TKSReportPage paper;
    void AddPreparedPage(int templatePage = 1, std::string data = {})
    {
        EndPages.Add(paper, templatePage).Stream().write(data.data(), data.size());
        ++PreparedPageNo;
        ShowProgressPage(PreparedPageNo);
    }

protected:
    void RunPageLoop() override
    {
        if (loop)
            loop(*this);
    }
};

} // namespace

// --- Page lists -------------------------------------------------------------

TEST(ReportPageList, ParsesNumbersRangesAndBlanks)
{
    struct Case {
        const char* text;
        int pageCount;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"1,3,5-7", 10, {1, 3, 5, 6, 7}},
        {"8-", 10, {8, 9, 10}},
        {"5-3", 10, {}},
        {"2,2", 10, {2, 2}},
        {" 1 , 2 ", 10, {1, 2}},
        {"", 3, {1, 2, 3}},
        {"  ", 2, {1, 2}},
        {"2-9", 4, {2, 3, 4}},           // a range stops at the last page
        {"1-2000000000", 3, {1, 2, 3}},  // without allocating the whole range
        {"12", 3, {12}},                 // single numbers are left to the print job
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParsePageList(c.text, c.pageCount), c.pages) << '"' << c.text << '"';
}

TEST(ReportPageList, RejectsPartsThatAreNoNumbers)
{
    for (const char* text : {"x", "1,a", ",", "1,,2", "-", "3-x", "99999999999"})
        EXPECT_THROW(ParsePageList(text, 5), std::invalid_argument) << text;
}

// --- Prepare ----------------------------------------------------------------

TEST(ReportPrepare, EmptyReportPreparesNothingWithoutError)
{
    CapturedBoxes capture;
    TKSReport report;
    EXPECT_TRUE(report.PrepareReport());
    EXPECT_EQ(report.EndPages.Count(), 0);
    EXPECT_FALSE(report.ErrorFlag);
    report.ShowReport();
    EXPECT_TRUE(capture.shown.empty());
    EXPECT_EQ(CurReport, &report);
}

TEST(ReportPrepare, ReturnsFalseWhenReentered)
{
    CapturedBoxes capture;
    ScriptedReport report;
    int innerResult = -1;
    report.loop = [&](ScriptedReport& r) {
        r.AddPreparedPage();
        innerResult = r.PrepareReport();
    };
    EXPECT_TRUE(report.PrepareReport());
    EXPECT_EQ(innerResult, 0);
    EXPECT_EQ(report.EndPages.Count(), 1) << "the inner call must not touch the running prepare";
    report.loop = nullptr;
    EXPECT_TRUE(report.PrepareReport()) << "the flag is cleared afterwards";
}

TEST(ReportPrepare, RestoresTemplateAfterSuccessAndFailure)
{
    CapturedBoxes capture;
    for (bool fail : {false, true}) {
        ScriptedReport report;
        report.ReportInfo.ReportTitle = "Sticker";
        report.Script = {"// sticker"};
        report.loop = [fail](ScriptedReport& r) {
            r.ReportInfo.ReportTitle = "changed";
            r.Script.push_back("// changed");
            if (fail)
                throw std::runtime_error("boom");
        };
        EXPECT_EQ(report.PrepareReport(), !fail);
        EXPECT_EQ(report.ReportInfo.ReportTitle, "Sticker") << fail;
        EXPECT_EQ(report.Script, (std::vector<std::string>{"// sticker"})) << fail;
    }
}

TEST(ReportPrepare, ErrorEmptiesPagesAndShowsOneBox)
{
    CapturedBoxes capture;
    ScriptedReport report;
    report.SetDoublePass(true);
    int passes = 0;
    report.loop = [&](ScriptedReport& r) {
        ++passes;
        r.AddPreparedPage();
        r.ReportError("Evaluation failed");
        throw std::runtime_error("stop");
    };
    EXPECT_FALSE(report.PrepareReport());
    EXPECT_EQ(passes, 1) << "an error ends the passes";
    EXPECT_TRUE(report.ErrorFlag);
    EXPECT_TRUE(report.Terminated);
    EXPECT_EQ(report.EndPages.Count(), 0);
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].text, "Evaluation failed");
    EXPECT_EQ(capture.shown[0].caption, gbk("错误"));
    EXPECT_EQ(capture.shown[0].flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
    EXPECT_FALSE(report.IsPreparing());
}

TEST(ReportPrepare, ScriptCompileErrorBecomesScriptErrorText)
{
    CapturedBoxes capture;
    TKSReport report;
    report.Script = {"unit Report;", "implementation", "procedure Main;", "begin", "  x := ;", "end;", "end."};
    EXPECT_FALSE(report.PrepareReport());
    ASSERT_EQ(capture.shown.size(), 1u);
    EXPECT_EQ(capture.shown[0].text.rfind("Script Error:\r\n", 0), 0u) << capture.shown[0].text;
    EXPECT_NE(capture.shown[0].text.find("at Postion:"), std::string::npos) << capture.shown[0].text;
}

TEST(ReportPrepare, OneLineScriptIsNotCompiled)
{
    CapturedBoxes capture;
    TKSReport report;
    report.Script = {"this is not a script"};
    EXPECT_TRUE(report.PrepareReport());
    EXPECT_TRUE(capture.shown.empty());
}

TEST(ReportPrepare, DoublePassKnowsTheFirstPassTotal)
{
    CapturedBoxes capture;
    ScriptedReport report;
    report.SetDoublePass(true);
    std::vector<std::pair<bool, int>> seen;  // FinalPass, TotalPages at pass start
    std::vector<int> progress;
    report.OnProgress.code = [&](platform::Object*, platform::EventArgs& args) { progress.push_back(args[0].toInteger()); };
    report.loop = [&](ScriptedReport& r) {
        seen.emplace_back(r.FinalPass(), r.TotalPages);
        for (int i = 0; i < 3; ++i)
            r.AddPreparedPage();
    };
    EXPECT_TRUE(report.PrepareReport());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0].first);
    EXPECT_TRUE(seen[1].first);
    EXPECT_EQ(seen[1].second, 3);
    EXPECT_EQ(report.EndPages.Count(), 3) << "the first pass's pages are discarded";
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

TEST(ReportPrepare, DocumentEventsAndCleanupWhenEndDocThrows)
{
    CapturedBoxes capture;
    TKSReport report;
    report.ReportInfo.ReportTitle = "kept";
    std::vector<std::string> events;
    report.OnBeginDoc.code = [&](platform::Object*, platform::EventArgs&) { events.push_back("begin"); };
    report.OnEndDoc.code = [&](platform::Object*, platform::EventArgs&) {
        events.push_back("end");
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(report.PrepareReport(), std::runtime_error);
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "end"}));
    EXPECT_FALSE(report.IsPreparing());
    EXPECT_EQ(report.ReportInfo.ReportTitle, "kept");
    report.OnEndDoc = {};
    EXPECT_TRUE(report.PrepareReport());
}

TEST(ReportPrepare, PagePerPageInterleavesTemplatePages)
{
    CapturedBoxes capture;
    ScriptedReport report;
    report.Pages.Add(std::make_unique<TKSReportPage>());
    report.Pages.Add(std::make_unique<TKSReportPage>());
    report.PageOrder = ksPagePerPage;
    report.loop = [](ScriptedReport& r) {
        r.AddPreparedPage(1, "1a");
        r.AddPreparedPage(1, "1b");
        r.AddPreparedPage(2, "2a");
        r.AddPreparedPage(2, "2b");
    };
    ASSERT_TRUE(report.PrepareReport());
    std::vector<std::string> order;
    for (int i = 0; i < report.EndPages.Count(); ++i)
        order.push_back(report.EndPages.Page(i)->DecompressedBytes());
    EXPECT_EQ(order, (std::vector<std::string>{"1a", "2a", "1b", "2b"}));
}

TEST(ReportShow, PreviewCaptionFallsBackToUntitled)
{
    TKSReport report;
    EXPECT_EQ(report.PreviewCaption(), gbk("预览") + " - Untitled");
    report.ReportInfo.ReportTitle = "Sticker";
    EXPECT_EQ(report.PreviewCaption(), gbk("预览") + " - Sticker");
}

TEST(ReportPrint, ResetsPrintStateAfterJob)
{
    ScriptedReport report;
    EXPECT_FALSE(report.PrintPreparedReport("", 1, false, ksppAll)) << "no prepared pages";
    report.EndPages.Add(report.paper, 1);
    report.PrintScale = 50;
    report.PaperOverride = 9;
    report.SetPrintBackground(false);
    report.PrintPreparedReport("1", 1, false, ksppAll);
    EXPECT_EQ(report.PrintScale, 100);
    EXPECT_EQ(report.PaperOverride, -1);
    EXPECT_TRUE(report.PrintBackground());
    EXPECT_EQ(report.DocMode(), ksdmPrinted);
    EXPECT_THROW(report.PrintPreparedReport("1,x", 1, false, ksppAll), std::invalid_argument);
}

// --- Form data ---------------------------------------------------------------

namespace {

struct Host {
    platform::Component root;
    Host() { root.setName("Host"); }
};

} // namespace

TEST(ReportFormData, RoundTripsTheTemplateWithStoreInDFM)
{
    TKSReport::staticClassInfo();
    Host source;
    auto* report = new TKSReport(&source.root);
    report->setName("KSReport1");
    report->StoreInDFM = true;
    report->ReportInfo.ReportTitle = "Tearvello";
    report->Script = {"unit Report;", "", "end."};
    report->SetDoublePass(true);
    const std::string text = platform::writeForm(source.root);
    ASSERT_NE(text.find("ReportData"), std::string::npos);

    Host target;
    platform::readForm(text, target.root);
    auto* copy = dynamic_cast<TKSReport*>(target.root.findComponent("KSReport1"));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->StoreInDFM);
    EXPECT_EQ(copy->ReportInfo.ReportTitle, "Tearvello");
    EXPECT_EQ(copy->Script, report->Script);
    EXPECT_TRUE(copy->DoublePass());
}

TEST(ReportFormData, WithoutStoreInDFMIgnoresAndWritesNoData)
{
    TKSReport::staticClassInfo();
    Host source;
    auto* report = new TKSReport(&source.root);
    report->setName("KSReport1");
    report->StoreInDFM = true;
    report->ReportInfo.ReportTitle = "Stored";
    std::string text = platform::writeForm(source.root);
    const auto at = text.find("StoreInDFM = True");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 17, "StoreInDFM = False");

    Host target;
    platform::readForm(text, target.root);
    auto* copy = dynamic_cast<TKSReport*>(target.root.findComponent("KSReport1"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ReportInfo.ReportTitle, "") << "stored data ignored";
    EXPECT_EQ(copy->ReportDataBytes(), "");
    const std::string written = platform::writeForm(target.root);
    EXPECT_NE(written.find("ReportData"), std::string::npos) << written;
    EXPECT_EQ(written.find("ReportData = {0"), std::string::npos) << "no bytes without StoreInDFM:\n" << written;
}

TEST(ReportFormData, DamagedCountIsAClearError)
{
    TKSReport report;
    report.StoreInDFM = true;
    EXPECT_THROW(report.SetReportDataBytes(std::string("\xff\x00\x00\x00" "ab", 6)), platform::StreamError);
    EXPECT_THROW(report.SetReportDataBytes(std::string("\x01\x02", 2)), platform::StreamError);
    report.SetReportDataBytes(std::string("\x00\x00\x00\x00", 4));
    EXPECT_NO_THROW(report.loaded()) << "an empty template leaves the report empty";
}

// --- Print settings ------------------------------------------------------------

TEST(ReportSettings, SaveAndLoadThroughIniFile)
{
    QTemporaryDir dir;
    const std::string ini = dir.filePath("report.ini").toStdString();
    auto configure = [&](TKSReport& r) {
        r.SaveReportOptions()->AutoLoadSaveSetting = true;
        r.SaveReportOptions()->UseRegistry = false;
        r.SaveReportOptions()->IniFileName = ini;
        r.ReportInfo.ReportTitle = "Sales";
        r.Pages.Add(std::make_unique<TKSReportPage>());
        r.Pages.Add(std::make_unique<TKSReportPage>());
    };
    TKSReport saved;
    configure(saved);
    saved.Taoda = true;
    saved.mmPrintOffsetTop = 1200;
    saved.mmPrintOffsetLeft = -300;
    saved.ColorPrint = false;
    saved.SetDoublePass(true);
    saved.Pages.Page(1)->MarginLeft = 14000;
    saved.Pages.Page(1)->MarginBottom = 15000;
    saved.SaveReportSetting();

    TKSReport loaded;
    configure(loaded);
    loaded.LoadReportSetting();
    EXPECT_TRUE(loaded.Taoda);
    EXPECT_EQ(loaded.mmPrintOffsetTop, 1200);
    EXPECT_EQ(loaded.mmPrintOffsetLeft, -300);
    EXPECT_FALSE(loaded.ColorPrint);
    EXPECT_TRUE(loaded.DoublePass());
    EXPECT_EQ(loaded.Pages.Page(1)->MarginLeft, 14000);
    EXPECT_EQ(loaded.Pages.Page(1)->MarginBottom, 15000);

    TKSReport other;
    configure(other);
    other.ReportInfo.ReportTitle = "Other";
    other.Taoda = false;
    other.LoadReportSetting();
    EXPECT_FALSE(other.Taoda) << "another section is not read";
}

TEST(ReportSettings, NothingWithoutAutoLoadSaveOrWhenAHandlerDecides)
{
    QTemporaryDir dir;
    const std::string ini = dir.filePath("report.ini").toStdString();
    TKSReport report;
    report.SaveReportOptions()->UseRegistry = false;
    report.SaveReportOptions()->IniFileName = ini;
    report.ReportInfo.ReportTitle = "Sales";
    report.SaveReportSetting();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ini)));

    report.SaveReportOptions()->AutoLoadSaveSetting = true;
    int calls = 0;
    report.OnSaveReportSetting.code = [&](platform::Object*, platform::EventArgs&) { ++calls; };
    report.SaveReportSetting();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ini)));
}

// --- Names -----------------------------------------------------------------------

TEST(ReportNames, ExpressionLookupOrder)
{
    InitTabellomatics();
    platform::Component host;
    auto* report = new TKSReport(&host);
    auto* box = new platform::Component(&host);
    box->setName("Box");
    box->setTag(7);
    report->TotalPages = 4;
    report->mmPrintOffsetLeft = 2646;
    report->Variables.SetValue("Own", Variant(5));
    KSApplication().KSVariables().SetValue("GlobalOnly", Variant(11));
    KSApplication().KSVariables().SetValue("Shadowed", Variant(1));
    report->Variables.SetValue("Shadowed", Variant(2));

    struct Case {
        const char* expression;
        Variant expected;
    };
    const Case cases[] = {
        {"_KS_TotalPages + 1", Variant(5)},
        {"_ks_totalpages", Variant(4)},
        {"Own * 2", Variant(10)},
        {"GlobalOnly", Variant(11)},
        {"Shadowed", Variant(1)},  // global variables come before the report's own
        {"Box.Tag", Variant(7)},
        {"Self.SPPRINTOFFSETLEFT", Variant(10.0)},
    };
    for (const Case& c : cases) {
        const Variant value = report->Parser().Evaluate(c.expression);
        EXPECT_TRUE(platform::compare(platform::VarCompare::Equal, value, c.expected))
            << c.expression << " gave " << value.toString();
    }
    EXPECT_TRUE(report->Parser().Evaluate("NoSuchName").isNull());
    EXPECT_TRUE(report->Parser().Evaluate("Box.NoSuchProperty").isNull());
    report->KeepUnknownNames = true;
    EXPECT_EQ(report->Parser().Evaluate("NoSuchName").toString(), "[NOSUCHNAME]");

    report->OnGetValue.code = [](platform::Object*, platform::EventArgs& args) {
        if (args[0].toString() == "OWN")
            args[1] = Variant(99);
    };
    EXPECT_EQ(report->Parser().Evaluate("Own").toInteger(), 99) << "OnGetValue comes first";
    KSApplication().KSVariables().Clear();
}

TEST(ReportNames, ScriptVisibleProperties)
{
    TKSReport report;
    Variant value;
    ASSERT_TRUE(report.SetNamedValue("SPPRINTOFFSETTOP", Variant(96)));
    EXPECT_EQ(report.mmPrintOffsetTop, 25400);
    ASSERT_TRUE(report.GetNamedValue("SPPRINTOFFSETTOP", {}, value));
    EXPECT_DOUBLE_EQ(value.toDouble(), 96.0);
    ASSERT_TRUE(report.GetNamedValue("APPENDBLANKING", {}, value));
    EXPECT_FALSE(value.toBool());
    EXPECT_FALSE(report.GetNamedValue("NOSUCHVALUE", {}, value));
}

TEST(ReportNames, StopReportFunctionTerminates)
{
    TKSReport report;
    Variant value;
    EXPECT_TRUE(report.ReportFunction("stopreport", {}, value));
    EXPECT_TRUE(report.Terminated);
    EXPECT_TRUE(report.StopPages);
    EXPECT_TRUE(report.ReportFunction("Frac", {Variant(2.25)}, value));
    EXPECT_DOUBLE_EQ(value.toDouble(), 0.25);
    EXPECT_FALSE(report.ReportFunction("NoSuchFunction", {}, value));
}
