// Page-builder flow: keep-together, kept children and footers, page-break
// conditions, blank rows, outlines, reports per record, manual builds and the
// builder's script names.
#include "pagebuilder_support.h"

#include "script/args.h"

#include <map>

using namespace pagebuilder_test;

namespace {

class FlowTest : public PageBuilderTest {
protected:
    void renew()
    {
        delete report;
        report = new TKSReport(&host);
        report->ShowProgress = false;
    }
    int topOf(int page, const std::string& text)
    {
        for (const Printed& p : objects(page))
            if (p.text == text)
                return p.top;
        return -1;
    }
};

} // namespace

TEST_F(FlowTest, KeepTogetherGroupMovesWholeToTheNextPage)
{
    std::vector<std::string> values(20, "a");
    values.insert(values.end(), 10, "b");
    installTable(host, *report, values);
    TKSReportPage& page = addPage();
    TKSBand& group = addBand(page, ksbtGroupHeader, "G", 0, kLine);
    group.SetPrintCondition("V");
    group.SetFlag2(ksbf2::KeepTogether, true);
    group.SetOutlineText("V");
    // Re-emitted objects end the moved block: full-height memos keep the rows' pitch.
    addMemo(page, "G:[V]", 0, 0, kLine);
    addBand(page, ksbtMasterData, "M", 20000, kLine).SetDataSetName("Data1");
    addMemo(page, "r:[V]", 0, 20000, kLine);
    addBand(page, ksbtGroupFooter, "GF", 40000, kLine);
    addMemo(page, "end:[V]", 0, 40000, kLine);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 2);
    // Group "b" would start at 220 mm with room for three rows; it is cut and re-emitted whole.
    EXPECT_EQ(rowsPerPage("G:b"), (std::vector<int>{0, 1}));
    EXPECT_EQ(rowsPerPage("r:b"), (std::vector<int>{0, 10}));
    EXPECT_EQ(topOf(1, "G:b"), 0);
    const auto second = objects(1);
    ASSERT_EQ(second.size(), 12u);
    for (std::size_t i = 0; i < second.size(); ++i)
        EXPECT_EQ(second[i].top, int(i) * kLine) << second[i].text;
    // The group's outline entry moved with it: page 1, at its top.
    const auto& outline = report->EndPages.Outline;
    ASSERT_EQ(outline.size(), 2u);
    EXPECT_EQ(outline[0].substr(0, 4), std::string("a\x01" "0\x01"));
    EXPECT_EQ(outline[1], std::string("b\x01" "1\x01" "0\x01") + outline[1].substr(outline[1].rfind('\x01') + 1));
}

TEST_F(FlowTest, KeepChildAndKeepFooterMoveTheRowWithWhatMustFollowIt)
{
    struct Case {
        const char* name;
        bool keep;
        std::vector<int> rows, followers;
    };
    // Rows of 10 mm with a 15 mm child: the 11th row fits at 250 mm, its child does not.
    const Case childCases[] = {{"child, not kept", false, {11, 1}, {10, 2}},
                               {"child, kept", true, {10, 2}, {10, 2}}};
    for (const Case& c : childCases) {
        SCOPED_TRACE(c.name);
        renew();
        TKSReportPage& page = addPage();
        TKSBand& rows = addRows(page, "M", 12, 0, "row");
        rows.SetChildBand("C");
        rows.SetFlag2(ksbf2::KeepChild, c.keep);
        addBand(page, ksbtChild, "C", 20000, 15000);
        addMemo(page, "child", 0, 20000);
        ASSERT_TRUE(prepare()) << report->ErrorText;
        EXPECT_EQ(rowsPerPage("row"), c.rows);
        EXPECT_EQ(rowsPerPage("child"), c.followers);
    }
    // 25 rows fill 250 mm; a 30 mm footer does not fit below them.
    const Case footerCases[] = {{"footer, not kept", false, {25, 0}, {0, 1}}, {"footer, kept", true, {23, 2}, {0, 1}}};
    for (const Case& c : footerCases) {
        SCOPED_TRACE(c.name);
        renew();
        TKSReportPage& page = addPage();
        TKSBand& rows = addRows(page, "M", 25, 0, "row");
        rows.SetFlag2(ksbf2::KeepFooter, c.keep);
        addBand(page, ksbtFooter, "F", 20000, 30000);
        addMemo(page, "footer", 0, 20000);
        ASSERT_TRUE(prepare()) << report->ErrorText;
        EXPECT_EQ(rowsPerPage("row"), c.rows);
        EXPECT_EQ(rowsPerPage("footer"), c.followers);
    }
}

TEST_F(FlowTest, NewPageConditionAndNewPageAfterBreakBetweenRows)
{
    installTable(host, *report, {"a", "a", "b", "b", "b"});
    TKSReportPage& page = addPage();
    TKSBand& rows = addBand(page, ksbtMasterData, "M", 0, kLine);
    rows.SetDataSetName("Data1");
    rows.SetNewPageCondition("V = 'b'");  // read on the record that follows
    addMemo(page, "r:[V]", 0, 0);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(rowsPerPage("r:"), (std::vector<int>{2, 1, 1, 1}));

    renew();
    TKSReportPage& second = addPage();
    addRows(second, "M", 3, 0, "row").SetFlag(ksbf::NewPageAfter, true);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(rowsPerPage("row"), (std::vector<int>{1, 1, 1}));  // no empty page after the last row
}

TEST_F(FlowTest, AutoAppendBlankFillsUpToLinesPerPageBeforeTheFooter)
{
    for (bool blank : {false, true}) {
        SCOPED_TRACE(blank);
        renew();
        TKSReportPage& page = addPage();
        TKSBand& rows = addRows(page, "M", 3, 0, "row");
        rows.LinesPerPage = 5;
        rows.SetFlag(ksbf::AutoAppendBlank, blank);
        addBand(page, ksbtFooter, "F", 20000, kLine);
        addMemo(page, "footer", 0, 20000);
        ASSERT_TRUE(prepare()) << report->ErrorText;
        ASSERT_EQ(pages(), 1);
        EXPECT_EQ(topOf(0, "footer"), (blank ? 5 : 3) * kLine);
    }
}

TEST_F(FlowTest, OutlineHasThePageAndEachRowWithPageIndexAndPixelY)
{
    std::vector<std::string> values;
    for (int i = 1; i <= 30; ++i)
        values.push_back("x" + std::to_string(i));
    installTable(host, *report, values);
    TKSReportPage& page = addPage();
    page.SetOutlineText("'Main'");
    TKSBand& rows = addBand(page, ksbtMasterData, "M", 0, kLine);
    rows.SetDataSetName("Data1");
    rows.SetOutlineText("V");
    addMemo(page, "row", 0, 0);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const auto& outline = report->EndPages.Outline;
    ASSERT_EQ(outline.size(), 31u);
    EXPECT_EQ(outline[0], std::string("Main\x01") + "0\x01" + "0\x01" + "0");
    const int rowPixels = toScreenPixels(kLine, ksutMMThousandths);
    EXPECT_EQ(outline[2], "x2\x01" "0\x01" + std::to_string(rowPixels) + "\x01" "0");
    EXPECT_EQ(outline[27], "x27\x01" "1\x01" "0\x01" "0");  // first row of the second page
}

TEST_F(FlowTest, MultipleReportBuildsThePagesOncePerRecord)
{
    TableData& table = installTable(host, *report, {"a", "b", "c"});
    report->ReportType = ksrtMultiple;
    report->SetDataset(table.dataset);
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "T", 0, kLine);
    addMemo(page, "[V]/[_KS_Page]", 0, 0);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 3);
    EXPECT_EQ(texts(0), std::vector<std::string>{"a/1"});
    EXPECT_EQ(texts(1), std::vector<std::string>{"b/2"});
    EXPECT_EQ(texts(2), std::vector<std::string>{"c/3"});
}

TEST_F(FlowTest, OnManualBuildReplacesTheBandOrder)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "T", 0, kLine);
    addMemo(page, "title", 0, 0);
    addBand(page, ksbtChild, "B1", 20000, kLine);
    addMemo(page, "one", 0, 20000);
    addBand(page, ksbtChild, "B2", 40000, kLine);
    addMemo(page, "two", 0, 40000);
    report->OnManualBuild.code = [this](platform::Object*, platform::EventArgs&) {
        Variant none;
        report->ReportFunction("SHOWBAND", {Variant("B2")}, none);
        report->ReportFunction("SHOWBAND", {Variant("B1")}, none);
        report->ReportFunction("NEWPAGE", {}, none);
        report->ReportFunction("SHOWBAND", {Variant("B2")}, none);
    };
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 2);
    const auto first = objects(0);
    ASSERT_EQ(first.size(), 2u);  // no title: the handler decides what prints
    EXPECT_EQ(first[0].text, "two");
    EXPECT_EQ(first[0].top, 0);
    EXPECT_EQ(first[1].text, "one");
    EXPECT_EQ(first[1].top, kLine);
    EXPECT_EQ(texts(1), std::vector<std::string>{"two"});
}

TEST_F(FlowTest, ScriptNamesReadAndMoveTheBuildPosition)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "T", 0, kLine);
    addMemo(page, "title", 0, 0);
    TKSBand& summary = addBand(page, ksbtReportSummary, "S", 20000, kLine);
    addMemo(page, "[CurY()]/[FreeSpace()]", 0, 20000);
    const int gapPixels = 100;
    summary.OnBeforePrint.code = [&](platform::Object*, platform::EventArgs&) {
        Variant y;
        ASSERT_TRUE(report->ReportFunction("CurY", {}, y));
        TKSInterpreterArgs args;
        ASSERT_TRUE(report->ScriptSetValue("CurY", Variant(y.toInteger() + gapPixels), args));
    };
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const int y = toMMThousandths(toScreenPixels(kLine, ksutMMThousandths) + gapPixels, ksutScreenPixels);
    EXPECT_EQ(topOf(0, "title"), 0);
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[1].top, y);
    const int bottom = toMMThousandths(toScreenPixels(297000, ksutMMThousandths), ksutScreenPixels) - 30000;
    EXPECT_EQ(printed[1].text, std::to_string(toScreenPixels(y, ksutMMThousandths)) + "/" +
                                   std::to_string(toScreenPixels(bottom - y, ksutMMThousandths)));
}

TEST_F(FlowTest, PageNumberRestartsOnAResetPageNoPage)
{
    TKSReportPage& first = addPage("P1");
    addRows(first, "M1", 30, 0, "a");  // two pages
    TKSReportPage& second = addPage("P2");
    second.ResetPageNo = true;
    addRows(second, "M2", 30, 0, "p[_KS_Page]");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 4);
    EXPECT_EQ(texts(2).front(), "p1");
    EXPECT_EQ(texts(3).front(), "p2");
}

TEST_F(FlowTest, MergedRepeatedValuesStopAtAPageBreak)
{
    installTable(host, *report, std::vector<std::string>(30, "same"));
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "T", 0, 2 * kLine);  // the first page's run starts lower
    addBand(page, ksbtMasterData, "M", 30000, kLine).SetDataSetName("Data1");
    TKSMemoView& memo = addMemo(page, "[V]", 0, 30000, kLine);
    memo.RepeatedOptions.SuppressRepeated = true;
    memo.RepeatedOptions.MergeRepeated = true;
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto printed = objects(i);
        ASSERT_EQ(printed.size(), 1u);  // one merged object per page, starting at its top
        EXPECT_EQ(printed[0].text, "same");
        EXPECT_EQ(printed[0].top, i == 0 ? 2 * kLine : 0);
    }
}

TEST_F(FlowTest, CrossColumnsPrintPerCrossRecordAndContinueOnTheNextPage)
{
    struct Case {
        const char* name;
        int columnPixels;  // set by OnPrintColumn; 0: the cross-data band's 40 mm
        std::vector<std::string> firstPage, secondPage;  // "text@left" of the first row
    };
    const Case cases[] = {
        {"design width", 0, {"h1@1000", "c1@31000", "c2@71000", "c3@111000"}, {"c4@1000", "c5@41000", "f@81000"}},
        {"narrowed by OnPrintColumn", 72,  // 19.05 mm
         {"h1@1000", "c1@31000", "c2@50050", "c3@69100", "c4@88150", "c5@107200", "f@126250"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        renew();
        TKSReportPage& page = addPage();
        TKSBand& rows = addRows(page, "M", 2, 0, "row");  // its memo stands in no cross band
        rows.SetCrossDataSetName("5");
        auto cross = [&](int type, const char* name, int left, const std::string& text) {
            TKSBand& band = addBand(page, type, name, 0, 200000);
            band.mmLeft = left;
            band.mmWidth = type == ksbtCrossData ? 40000 : 30000;
            addMemo(page, text, left + 1000, 0, kLine).mmWidth = 20000;
        };
        cross(ksbtCrossHeader, "CH", 0, "h[_KS_Line]");
        cross(ksbtCrossData, "CD", 30000, "c[_KS_Column]");
        cross(ksbtCrossFooter, "CF", 70000, "f");
        int begun = 0;
        report->OnBeginColumn.code = [&](platform::Object*, platform::EventArgs&) { ++begun; };
        if (c.columnPixels)
            report->OnPrintColumn.code = [&](platform::Object*, platform::EventArgs& args) {
                args[1] = Variant(c.columnPixels);
            };
        ASSERT_TRUE(prepare()) << report->ErrorText;
        EXPECT_EQ(begun, 2);
        ASSERT_EQ(pages(), c.secondPage.empty() ? 1 : 2);
        for (int i = 0; i < pages(); ++i) {
            std::vector<std::string> firstRow;
            int secondRow = 0;
            for (const Printed& p : objects(i)) {
                if (p.text == "row")
                    continue;  // printed once per row, on the row's page
                if (p.top == 0)
                    firstRow.push_back(p.text + "@" + std::to_string(p.left));
                else if (p.top == kLine)
                    ++secondRow;
            }
            EXPECT_EQ(firstRow, i == 0 ? c.firstPage : c.secondPage);
            EXPECT_EQ(secondRow, int(firstRow.size()));
        }
    }
}

TEST_F(FlowTest, ReprintOnOverFlowRepeatsAnObjectOnEveryPartOfASplitBand)
{
    for (bool reprint : {false, true}) {
        SCOPED_TRACE(reprint);
        renew();
        TKSReportPage& page = addPage();
        TKSBand& title = addBand(page, ksbtReportTitle, "T", 0, kLine);
        title.SetFlag(ksbf::Stretched, true);
        title.SetFlag(ksbf::PageBreaked, true);
        TKSMemoView& text = addMemo(page, "", 60000, 0, kLine);
        text.Memo.clear();
        for (int i = 1; i <= 120; ++i)
            text.Memo.push_back("line " + std::to_string(i));
        text.SetFlag(ksf::Stretched, true);
        addMemo(page, "label", 0, 0, 5000).SetFlag(ksf::ReprintOnOverFlow, reprint);
        ASSERT_TRUE(prepare()) << report->ErrorText;
        ASSERT_GE(pages(), 2);
        std::vector<int> expected(std::size_t(pages()), reprint ? 1 : 0);
        expected[0] = 1;
        EXPECT_EQ(rowsPerPage("label"), expected);
        if (reprint) {
            EXPECT_EQ(topOf(1, "label"), 0);
        }
    }
}

TEST_F(FlowTest, ShiftWithAndStretchWithFollowTheGrowthOfTheirPartner)
{
    TKSReportPage& page = addPage();
    TKSBand& band = addBand(page, ksbtReportTitle, "T", 0, 20000);
    band.SetFlag(ksbf::Stretched, true);
    TKSMemoView& grow = addMemo(page, "", 0, 0, 5000);
    grow.SetName("Grow");
    grow.Memo = {"1", "2", "3", "4", "5", "6", "7", "8"};
    grow.SetFlag(ksf::Stretched, true);
    grow.SetFlag(ksf::StretchedMax, false);  // keeps the height its text needs
    TKSMemoView& below = addMemo(page, "below", 0, 7000, 5000);  // 2 mm under its partner
    below.SetShiftWith("Grow");
    TKSMemoView& beside = addMemo(page, "beside", 60000, 0, 5000);
    beside.SetStretchWith("Grow");
    addBand(page, ksbtReportSummary, "S", 30000, kLine);
    addMemo(page, "after", 0, 30000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    std::map<std::string, Printed> byText;
    for (const Printed& p : objects(0))
        byText[p.text.substr(0, 6)] = p;  // the grown text by its first lines
    const Printed& grown = byText.at("1|2|3|");
    ASSERT_GT(grown.height, 5000);
    EXPECT_EQ(byText.at("below").top, grown.height + 2000);
    EXPECT_EQ(byText.at("beside").height, grown.height);
    EXPECT_EQ(byText.at("after").top, grown.height + 2000 + 5000);  // the band grew around the shifted object
}
