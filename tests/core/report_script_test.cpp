// The template's script while a report is built: Main runs before the pages,
// stored event bindings call script routines during the build, and a script
// that raises ends the prepare with the script error box and no pages.
#include "core/engine_init.h"
#include "core/endpages.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "platform/dialogs.h"
#include "support/captured_boxes.h"

#include <gtest/gtest.h>

namespace {

// One page, one title band holding Memo1 ("stored").
class ScriptedTemplate : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitTabellomatics();
        auto page = std::make_unique<TKSReportPage>();
        page->SetName("Page1");
        TKSReportPage& p = *page;
        page->ParentReport = &report;
        report.Pages.Add(std::move(page));
        auto band = std::make_unique<TKSBandReportTitle>();
        band->mmTop = 0;
        band->mmHeight = 50000;
        band->mmWidth = 100000;
        p.Adopt(std::move(band));
        auto memo = std::make_unique<TKSMemoView>();
        memo->mmTop = 1000;
        memo->mmWidth = 50000;
        memo->mmHeight = 6000;
        memo->Memo = {"stored"};
        memo1 = &p.Adopt(std::move(memo));
        memo1->SetName("Memo1");
        // Assignments to unknown names land here, so routines can report back.
        report.OnScriptSetValue.code = [this](platform::Object*, platform::EventArgs& args) {
            seen.push_back(args[0].toString() + "=" + args[1].toString());
            args[3] = platform::Variant(true);
        };
    }

    static std::vector<std::string> unit(std::vector<std::string> body)
    {
        std::vector<std::string> lines = {"unit Report;", "", "interface", "", "implementation", ""};
        lines.insert(lines.end(), body.begin(), body.end());
        lines.push_back("end.");
        return lines;
    }

    std::string printedText()
    {
        TKSReportPage* page = report.EndPages.LoadPage(0, false);
        const TKSView* memo = page ? page->FindObject("Memo1") : nullptr;
        std::string text = memo && !memo->Memo.empty() ? memo->Memo[0] : "<none>";
        report.EndPages.FreePage(0);
        return text;
    }

    // The template's Memo1 now (restoring the template after a prepare
    // creates its objects anew).
    const TKSView& storedMemo() { return *report.Pages.Page(0)->FindObject("Memo1"); }

    TKSReport report;
    TKSMemoView* memo1 = nullptr;  // valid until the first prepare
    std::vector<std::string> seen;
};

} // namespace

TEST_F(ScriptedTemplate, MainChangesTextsBeforeThePagesAreBuilt)
{
    report.Script = unit({"procedure Main;", "begin", "  Memo1.Memo.Text := 'from the script';", "end;"});
    CapturedBoxes boxes;
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(report.EndPages.Count(), 1);
    EXPECT_EQ(printedText(), "from the script");
    EXPECT_EQ(storedMemo().Memo, std::vector<std::string>{"stored"}) << "the template is restored";
}

TEST_F(ScriptedTemplate, StoredEventBindingsCallScriptRoutinesDuringTheBuild)
{
    memo1->SetEventBinding("OnBeforePrint", "MemoPrints");
    report.Script = unit({"procedure MemoPrints(Sender: TObject);", "begin", "  Seen := Memo1.Memo.Text;", "end;", "",
                          "procedure Main;", "begin", "  Before := 'main';", "end;"});
    CapturedBoxes boxes;
    ASSERT_TRUE(report.PrepareReport()) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Before=main") << "Main runs first";
    EXPECT_EQ(seen[1].rfind("Seen=stored", 0), 0u) << seen[1];
}

TEST_F(ScriptedTemplate, ScriptErrorShowsTheBoxAndLeavesNoPages)
{
    report.Script = unit({"procedure Main;", "var i: Integer;", "begin", "  i := 0;", "  i := 10 div i;", "end;"});
    CapturedBoxes boxes;
    EXPECT_FALSE(report.PrepareReport());
    EXPECT_EQ(report.EndPages.Count(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("Script Error:\r\n", 0), 0u) << boxes.shown[0].text;
    EXPECT_EQ(storedMemo().Memo, std::vector<std::string>{"stored"});
}

// External routines load any shared library: only a template that came with
// the program (its form data) may declare them; a template handed in as a
// stream may not, and preparing does not change that.
TEST_F(ScriptedTemplate, OnlyTrustedTemplatesMayDeclareExternalRoutines)
{
    report.Script = unit({"function CAbs(X: Integer): Integer; external 'libc.so.6' name 'abs';", "",
                          "procedure Main;", "begin", "  Seen := CAbs(-5);", "end;"});
    for (bool trusted : {false, true}) {
        SCOPED_TRACE(trusted);
        report.TemplateTrusted = trusted;
        seen.clear();
        CapturedBoxes boxes;
        EXPECT_EQ(report.PrepareReport(), trusted);
        if (trusted) {
            EXPECT_EQ(seen, std::vector<std::string>{"Seen=5"});
        } else {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_NE(boxes.shown[0].text.find("Access denied"), std::string::npos) << boxes.shown[0].text;
        }
        EXPECT_EQ(report.TemplateTrusted, trusted) << "the restored template keeps its origin";
    }

    platform::MemoryStream s;
    report.SaveToStream(s);
    s.seek(0);
    report.LoadFromStream(s);
    EXPECT_FALSE(report.TemplateTrusted);
}

TEST_F(ScriptedTemplate, FreeingAReportObjectFromTheScriptLeavesTheReportWhole)
{
    report.Script = unit({"procedure Main;", "begin", "  Memo1.Free;", "end;"});
    CapturedBoxes boxes;
    report.PrepareReport();
    report.PrepareReport();
    EXPECT_EQ(storedMemo().Memo, std::vector<std::string>{"stored"});
}
