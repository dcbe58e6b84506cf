// The page builder through whole prepares: templates built in code, checked by
// loading the prepared pages and reading their objects' positions and texts.
#include "pagebuilder_support.h"

using namespace pagebuilder_test;

// --- Fixed bands ----------------------------------------------------------------

TEST_F(PageBuilderTest, TitleBandPrintsItsObjectsAtTheTopAtTheirStoredLeft)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "Title", 1058, 176213);
    addMemo(page, "A", 5000, 1058 + 2000);
    addMemo(page, "B", 70000, 1058 + 150000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].text, "A");
    EXPECT_EQ(printed[0].left, 5000);
    EXPECT_EQ(printed[0].top, 2000);
    EXPECT_EQ(printed[1].left, 70000);
    EXPECT_EQ(printed[1].top, 150000);
}

TEST_F(PageBuilderTest, UnattachedObjectsKeepTheirDesignPosition)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "Title", 0, 20000);
    addMemo(page, "free", 3000, 100000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].top, 100000);
}

TEST_F(PageBuilderTest, PageHeaderAndFooterFollowFirstAndLastPageFlags)
{
    struct Case {
        bool headerOnFirst, footerOnFirst, footerOnLast;
        std::vector<int> headers, footers;  // per prepared page
    };
    const Case cases[] = {
        {true, true, true, {1, 1, 1}, {1, 1, 1}},
        {false, true, true, {0, 1, 1}, {1, 1, 1}},
        {true, false, true, {1, 1, 1}, {0, 1, 1}},
        {true, true, false, {1, 1, 1}, {1, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.headerOnFirst << c.footerOnFirst << c.footerOnLast);
        report = new TKSReport(&host);
        report->ShowProgress = false;
        TKSReportPage& page = addPage();
        TKSBand& header = addBand(page, ksbtPageHeader, "PH", 0, kLine);
        addMemo(page, "header", 0, 0);
        TKSBand& footer = addBand(page, ksbtPageFooter, "PF", 250000, kLine);
        addMemo(page, "footer", 0, 250000);
        header.SetFlag(ksbf::PrintOnFirstPage, c.headerOnFirst);
        footer.SetFlag(ksbf::PrintOnFirstPage, c.footerOnFirst);
        footer.SetFlag(ksbf::PrintOnLastPage, c.footerOnLast);
        addRows(page, "Rows", 50, 50000, "row");  // 50 rows of 10 mm: three pages
        ASSERT_TRUE(prepare()) << report->ErrorText;
        ASSERT_EQ(pages(), 3);
        EXPECT_EQ(rowsPerPage("header"), c.headers);
        EXPECT_EQ(rowsPerPage("footer"), c.footers);
        // The footer sits at the bottom limit: paper (as whole pixels) less margins less its height.
        const int paper = toMMThousandths(toScreenPixels(297000, ksutMMThousandths), ksutScreenPixels);
        for (const Printed& p : objects(1)) {
            if (p.text == "footer") {
                EXPECT_EQ(p.top, paper - 30000 - kLine);
            }
        }
        delete report;
    }
    report = new TKSReport(&host);
}

// --- Data bands -------------------------------------------------------------------

TEST_F(PageBuilderTest, CountDatasetPrintsTheBandOncePerRecord)
{
    TKSReportPage& page = addPage();
    addRows(page, "Rows", 3, 20000, "row [_KS_Line]");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(printed[std::size_t(i)].text, "row " + std::to_string(i + 1));
        EXPECT_EQ(printed[std::size_t(i)].top, i * kLine);
    }
}

TEST_F(PageBuilderTest, EmptyMasterIsSkippedWithHeaderAndFooterUnlessPrintIfEmpty)
{
    for (bool printIfEmpty : {false, true}) {
        report = new TKSReport(&host);
        report->ShowProgress = false;
        installTable(host, *report, {}, printIfEmpty ? "Empty2" : "Empty1");
        TKSReportPage& page = addPage();
        addBand(page, ksbtHeader, "H", 0, kLine);
        addMemo(page, "head", 0, 0);
        TKSBand& data = addBand(page, ksbtMasterData, "M", 20000, kLine);
        data.SetDataSetName(printIfEmpty ? "Empty2" : "Empty1");
        data.SetFlag(ksbf::PrintIfEmpty, printIfEmpty);
        addMemo(page, "row", 0, 20000);
        addBand(page, ksbtFooter, "F", 40000, kLine);
        addMemo(page, "foot", 0, 40000);
        ASSERT_TRUE(prepare()) << report->ErrorText;
        const std::vector<std::string> expected =
            printIfEmpty ? std::vector<std::string>{"head", "foot"} : std::vector<std::string>{};
        EXPECT_EQ(texts(0), expected) << printIfEmpty;
        delete report;
    }
    report = new TKSReport(&host);
}

TEST_F(PageBuilderTest, MasterDetailPrintsDetailsUnderEachMaster)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtHeader, "H", 0, kLine);
    addMemo(page, "head", 0, 0);
    addRows(page, "M", 2, 20000, "M[_KS_Line]");
    TKSBand& detail = addBand(page, ksbtDetailData, "D", 40000, kLine);
    detail.SetDataSetName("2");
    detail.SetMasterBandName("M");
    addMemo(page, "D[_KS_Line]", 0, 40000);
    addBand(page, ksbtFooter, "F", 60000, kLine).SetDataBandName("M");
    addMemo(page, "foot", 0, 60000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(texts(0), (std::vector<std::string>{"head", "M1", "D1", "D2", "M2", "D1", "D2", "foot"}));
}

TEST_F(PageBuilderTest, GroupsPrintHeaderAndFooterAroundEachValueAndFooterSeesLastRecord)
{
    installTable(host, *report, {"a", "a", "b"});
    TKSReportPage& page = addPage();
    TKSBand& group = addBand(page, ksbtGroupHeader, "G", 0, kLine);
    group.SetPrintCondition("V");
    addMemo(page, "G:[V]", 0, 0);
    TKSBand& data = addBand(page, ksbtMasterData, "M", 20000, kLine);
    data.SetDataSetName("Data1");
    addMemo(page, "r:[V]", 0, 20000);
    addBand(page, ksbtGroupFooter, "GF", 40000, kLine);
    addMemo(page, "end:[V]", 0, 40000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(texts(0), (std::vector<std::string>{"G:a", "r:a", "r:a", "end:a", "G:b", "r:b", "end:b"}));
}

TEST_F(PageBuilderTest, PrintConditionSkipsRowsAndNullDoesNotSkip)
{
    installTable(host, *report, {"1", "0", "1"});
    TKSReportPage& page = addPage();
    TKSBand& data = addBand(page, ksbtMasterData, "M", 20000, kLine);
    data.SetDataSetName("Data1");
    data.SetPrintCondition("V = '1'");
    addMemo(page, "r[_KS_Current]", 0, 20000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(texts(0), (std::vector<std::string>{"r1", "r2"}));
}

TEST_F(PageBuilderTest, LinesPerPageBreaksPages)
{
    TKSReportPage& page = addPage();
    TKSBand& rows = addRows(page, "M", 10, 20000, "row");
    rows.LinesPerPage = 3;
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(rowsPerPage("row"), (std::vector<int>{3, 3, 3, 1}));
}

TEST_F(PageBuilderTest, RowsOverflowToNewPagesWithRepeatedHeaderAndGroup)
{
    installTable(host, *report, std::vector<std::string>(40, "x"));
    TKSReportPage& page = addPage();
    TKSBand& header = addBand(page, ksbtHeader, "H", 0, kLine);
    header.SetFlag(ksbf::ReprintOnNewPage, true);
    addMemo(page, "head", 0, 0);
    TKSBand& group = addBand(page, ksbtGroupHeader, "G", 15000, kLine);
    group.SetPrintCondition("V");
    group.SetFlag(ksbf::ReprintOnNewPage, true);
    addMemo(page, "group", 0, 15000);
    TKSBand& data = addBand(page, ksbtMasterData, "M", 30000, kLine);
    data.SetDataSetName("Data1");
    addMemo(page, "row", 0, 30000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    // 267 mm printable: header, group and 24 rows, then 25 rows below the repeats.
    EXPECT_EQ(rowsPerPage("row"), (std::vector<int>{24, 16}));
    EXPECT_EQ(rowsPerPage("head"), (std::vector<int>{1, 1}));
    EXPECT_EQ(rowsPerPage("group"), (std::vector<int>{1, 1}));
    const auto second = objects(1);
    ASSERT_GE(second.size(), 3u);
    EXPECT_EQ(second[0].text, "group");  // groups repeat first, then the data header
    EXPECT_EQ(second[1].text, "head");
    EXPECT_EQ(second[2].top, 2 * kLine);
}

// --- Stretching and splitting ---------------------------------------------------------

TEST_F(PageBuilderTest, StretchedBandGrowsWithItsTextAndPushesLaterBandsDown)
{
    TKSReportPage& page = addPage();
    TKSBand& title = addBand(page, ksbtReportTitle, "T", 0, kLine);
    title.SetFlag(ksbf::Stretched, true);
    TKSMemoView& memo = addMemo(page, "one\r\ntwo\r\nthree\r\nfour\r\nfive", 0, 0, kLine);
    memo.Memo = {"one", "two", "three", "four", "five"};
    memo.SetFlag(ksf::Stretched, true);
    addBand(page, ksbtReportSummary, "S", 50000, kLine);
    addMemo(page, "summary", 0, 50000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_GT(printed[1].top, kLine) << "the summary moves below the grown title";
    EXPECT_EQ(printed[0].text.substr(0, 7), "one|two");
}

TEST_F(PageBuilderTest, TallStretchedTextSplitsAcrossPages)
{
    TKSReportPage& page = addPage();
    TKSBand& title = addBand(page, ksbtReportTitle, "T", 0, kLine);
    title.SetFlag(ksbf::Stretched, true);
    title.SetFlag(ksbf::PageBreaked, true);
    TKSMemoView& memo = addMemo(page, "", 0, 0, kLine);
    memo.Memo.clear();
    for (int i = 1; i <= 120; ++i)
        memo.Memo.push_back("line " + std::to_string(i));
    memo.SetFlag(ksf::Stretched, true);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_GE(pages(), 2);
    std::string all;
    for (int i = 0; i < pages(); ++i)
        for (const std::string& t : texts(i))
            all += t + "|";
    EXPECT_NE(all.find("line 1|"), std::string::npos);
    EXPECT_NE(all.find("line 120|"), std::string::npos) << "no line is lost between the parts";
    EXPECT_EQ(objects(1).at(0).top, 0) << "the continuation starts at the top of the next page";
}

TEST_F(PageBuilderTest, BandTallerThanThePageEndsWithAnErrorNotALoop)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtPageHeader, "PH", 0, 300000);  // taller than the page itself
    addMemo(page, "huge", 0, 0, 290000);
    addRows(page, "M", 40, 300000, "row");  // the rows need a second page, whose header cannot fit
    EXPECT_FALSE(prepare());
    EXPECT_TRUE(report->ErrorFlag);
    EXPECT_EQ(pages(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("PH"), std::string::npos);
}

// --- Columns ------------------------------------------------------------------------------

TEST_F(PageBuilderTest, PageColumnsFillLeftColumnFirst)
{
    TKSReportPage& page = addPage();
    page.SetColumnCount(2);
    page.ColumnGap = 10000;
    addRows(page, "M", 30, 0, "row");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 30u);
    const int paper = toMMThousandths(toScreenPixels(210000, ksutMMThousandths), ksutScreenPixels);
    const int columnWidth = (paper - 30000 - 10000) / 2;
    EXPECT_EQ(printed[25].left, printed[0].left);
    EXPECT_EQ(printed[26].left, printed[0].left + columnWidth + 10000);
    EXPECT_EQ(printed[26].top, 0);
}

TEST_F(PageBuilderTest, BandColumnsPrintAcrossWithPrintColumnFirst)
{
    TKSReportPage& page = addPage();
    TKSBand& rows = addRows(page, "M", 5, 0, "row");
    rows.Columns = 2;
    rows.mmColumnWidth = 60000;
    rows.mmColumnGap = 5000;
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const auto p = objects(0);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[1].left - p[0].left, 65000);
    EXPECT_EQ(p[1].top, p[0].top);
    EXPECT_EQ(p[2].left, p[0].left);
    EXPECT_EQ(p[2].top, kLine);
}

TEST_F(PageBuilderTest, ColumnCountZeroReadsAsOne)
{
    TKSReportPage& page = addPage();
    page.SetColumnCount(0);
    EXPECT_EQ(page.ColumnCount(), 1);
}

// --- The report pass ------------------------------------------------------------------------

TEST_F(PageBuilderTest, InvisiblePageWithoutOnActivateGivesNoPage)
{
    TKSReportPage& hidden = addPage("Hidden");
    hidden.Visible = false;
    addBand(hidden, ksbtReportTitle, "T1", 0, kLine);
    TKSReportPage& shown = addPage("Shown");
    addBand(shown, ksbtReportTitle, "T2", 0, kLine);
    addMemo(shown, "shown", 0, 0);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);
    EXPECT_EQ(texts(0), std::vector<std::string>{"shown"});
}

TEST_F(PageBuilderTest, PrintToPrevPageContinuesBelowThePreviousPage)
{
    TKSReportPage& first = addPage("P1");
    addRows(first, "M1", 2, 0, "first");
    TKSReportPage& second = addPage("P2");
    second.PrintToPrevPage = true;
    addRows(second, "M2", 2, 0, "second");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);
    const auto p = objects(0);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[2].text, "second");
    EXPECT_EQ(p[2].top, 2 * kLine);
}

TEST_F(PageBuilderTest, ResetPageNoCountsFromThePagesOwnStart)
{
    TKSReportPage& first = addPage("P1");
    addRows(first, "M1", 30, 0, "a");  // two pages
    TKSReportPage& second = addPage("P2");
    second.ResetPageNo = true;
    addBand(second, ksbtReportTitle, "T", 0, kLine);
    addMemo(second, "[P2.CURPAGENO]", 0, 0);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 3);
    EXPECT_EQ(texts(2), std::vector<std::string>{"1"});
}

TEST_F(PageBuilderTest, DoublePassKnowsTheTotalPageCount)
{
    report->SetDoublePass(true);
    TKSReportPage& page = addPage();
    addBand(page, ksbtPageHeader, "PH", 0, kLine);
    addMemo(page, "[_KS_Page]/[_KS_TotalPages]", 0, 0);
    addRows(page, "M", 40, 20000, "row");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 2);
    EXPECT_EQ(texts(0).at(0), "1/2");
    EXPECT_EQ(texts(1).at(0), "2/2");
}

TEST_F(PageBuilderTest, TerminatedStopsBuildingAndKeepsPagesBuiltSoFar)
{
    TKSReportPage& page = addPage();
    addRows(page, "M", 100, 0, "row");
    int seen = 0;
    report->OnBeforePrintBand.code = [&](platform::Object*, platform::EventArgs&) {
        if (++seen == 30)
            report->Terminated = true;
    };
    prepare();
    EXPECT_FALSE(report->ErrorFlag);
    EXPECT_EQ(pages(), 2);
    int rows = 0;
    for (int n : rowsPerPage("row"))
        rows += n;
    EXPECT_EQ(rows, 29);
}

TEST_F(PageBuilderTest, OnBeforePrintBandCanSkipABand)
{
    TKSReportPage& page = addPage();
    addBand(page, ksbtReportTitle, "T", 0, kLine);
    addMemo(page, "title", 0, 0);
    addRows(page, "M", 2, 20000, "row");
    report->OnBeforePrintBand.code = [](platform::Object*, platform::EventArgs& args) {
        auto* band = dynamic_cast<TKSBand*>(objectOf(args[0]));
        if (band && band->BandType == ksbtReportTitle)
            args[1] = Variant(false);
    };
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_EQ(texts(0), (std::vector<std::string>{"row", "row"}));
}

TEST_F(PageBuilderTest, FittingTheLastPageShrinksItToItsContent)
{
    report->ReportFlags = 1;
    TKSReportPage& page = addPage();
    addRows(page, "M", 3, 0, "row");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    TKSEndPage* last = report->EndPages.Page(0);
    ASSERT_NE(last, nullptr);
    const int bottomPixels = toScreenPixels(2 * kLine + 8000, ksutMMThousandths);
    const int marginPixels = toScreenPixels(15000, ksutMMThousandths);
    EXPECT_EQ(last->PageSize, kCustomPaperSize);
    EXPECT_EQ(last->MarginBottom, 0);
    EXPECT_EQ(last->PrintMetrics.PageHeightPixels, bottomPixels + marginPixels + 1);
    EXPECT_EQ(last->PageWidth, 2100);
}

TEST_F(PageBuilderTest, HorizontalCentringMovesContentToTheMiddle)
{
    TKSReportPage& page = addPage();
    page.AutoHCenter = true;
    addBand(page, ksbtReportTitle, "T", 0, kLine);
    addMemo(page, "x", 0, 0);  // 50 mm wide at the left edge
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const auto p = objects(0);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(p[0].left, (180000 - 50000) / 2, 300);
}

TEST_F(PageBuilderTest, MissingDatasetLeavesTheBandOut)
{
    TKSReportPage& page = addPage();
    TKSBand& band = addBand(page, ksbtMasterData, "M", 0, kLine);
    band.SetDataSetName("NoSuchData");
    addMemo(page, "row", 0, 0);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    EXPECT_TRUE(texts(0).empty());
}
