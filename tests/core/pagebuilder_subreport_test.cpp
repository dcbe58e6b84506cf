// Sub-reports in the page builder: fixed ones merged page by page into the
// main pages, child ones built inside a data band, and broken links.
#include "pagebuilder_support.h"

#include "objects/subreport.h"

using namespace pagebuilder_test;

namespace {

class SubReportTest : public PageBuilderTest {
protected:
    TKSSubReportView& addSubReport(TKSReportPage& page, int subPage, TKSSubReportType type, int left, int top,
                                   int width, int height)
    {
        TKSSubReportView& ref = page.Adopt(std::make_unique<TKSSubReportView>());
        ref.SetName("Sub" + std::to_string(subPage));
        ref.SubPage = subPage;
        ref.SubReportType = type;
        ref.mmLeft = left;
        ref.mmTop = top;
        ref.mmWidth = width;
        ref.mmHeight = height;
        return ref;
    }
    std::vector<Printed> withPrefix(int index, const std::string& prefix)
    {
        std::vector<Printed> result;
        for (const Printed& p : objects(index))
            if (p.text.rfind(prefix, 0) == 0)
                result.push_back(p);
        return result;
    }
};

} // namespace

TEST_F(SubReportTest, FixedSubReportIsMergedAtItsObjectsPosition)
{
    TKSReportPage& main = addPage("Main");
    addBand(main, ksbtReportTitle, "T", 0, kLine);
    addMemo(main, "title", 0, 0);
    addSubReport(main, 1, ksstFixed, 20000, 30000, 100000, 50000);
    TKSReportPage& sub = addPage("Part");
    addRows(sub, "S", 3, 0, "s[_KS_Line]");
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);  // the sub-report page prints only inside the main page
    const auto printed = objects(0);
    ASSERT_EQ(printed.size(), 4u);
    EXPECT_EQ(printed[0].text, "title");
    for (int i = 0; i < 3; ++i) {
        const Printed& p = printed[std::size_t(i) + 1];
        EXPECT_EQ(p.text, "s" + std::to_string(i + 1));
        EXPECT_EQ(p.left, 20000 + 1000);
        EXPECT_EQ(p.top, 30000 + i * kLine);
    }
}

TEST_F(SubReportTest, LongFixedSubReportAddsMainPages)
{
    TKSReportPage& main = addPage("Main");
    addBand(main, ksbtReportTitle, "T", 0, kLine);
    addMemo(main, "title", 0, 0);
    addSubReport(main, 1, ksstFixed, 0, 20000, 100000, 50000);
    TKSReportPage& sub = addPage("Part");
    addRows(sub, "S", 12, 0, "s");  // about five rows fit in 50 mm
    ASSERT_TRUE(prepare()) << report->ErrorText;
    const std::vector<int> perPage = rowsPerPage("s");
    ASSERT_EQ(perPage.size(), 3u);
    EXPECT_EQ(perPage[0] + perPage[1] + perPage[2], 12);
    EXPECT_GT(perPage[2], 0);
    EXPECT_EQ(rowsPerPage("title"), (std::vector<int>{1, 0, 0}));
}

TEST_F(SubReportTest, ReprintLastPageRepeatsAShortSubReportOnLaterMainPages)
{
    for (bool reprint : {false, true}) {
        SCOPED_TRACE(reprint);
        report = new TKSReport(&host);
        report->ShowProgress = false;
        TKSReportPage& main = addPage("Main");
        addRows(main, "M", 40, 0, "m");  // two main pages
        addSubReport(main, 1, ksstFixed, 120000, 0, 50000, 20000).SetFlag(ksf::ReprintLastPage, reprint);
        TKSReportPage& sub = addPage("Part");
        addBand(sub, ksbtReportTitle, "ST", 0, kLine);
        addMemo(sub, "stamp", 0, 0);
        ASSERT_TRUE(prepare()) << report->ErrorText;
        EXPECT_EQ(rowsPerPage("stamp"), (std::vector<int>{1, reprint ? 1 : 0}));
        delete report;
    }
    report = new TKSReport(&host);
}

TEST_F(SubReportTest, ChildSubReportPrintsInsideEachRowAndPushesTheNextRowDown)
{
    TKSReportPage& main = addPage("Main");
    addRows(main, "M", 2, 0, "m[_KS_Line]");
    addSubReport(main, 1, ksstChild, 30000, 0, 60000, kLine);
    TKSReportPage& sub = addPage("Lines");
    TKSBand& lines = addBand(sub, ksbtMasterData, "L", 0, 5000);
    lines.SetDataSetName("3");
    addMemo(sub, "c[_KS_Line]", 0, 0, 5000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 1);
    const auto printed = objects(0);
    std::vector<std::string> order;
    for (const Printed& p : printed)
        order.push_back(p.text + "@" + std::to_string(p.top));
    // Three 5 mm lines (15 mm) outgrow the 10 mm row: the next row starts below them.
    EXPECT_EQ(order, (std::vector<std::string>{"m1@0", "c1@0", "c2@5000", "c3@10000", "m2@15000", "c1@15000",
                                               "c2@20000", "c3@25000"}));
    for (const Printed& p : printed)
        if (p.text[0] == 'c') {
            EXPECT_EQ(p.left, 30000);
        }
}

TEST_F(SubReportTest, ChildSubReportRunningOffThePageContinuesBelowTheNextPagesHeader)
{
    TKSReportPage& main = addPage("Main");
    addBand(main, ksbtPageHeader, "PH", 0, kLine);
    addMemo(main, "head", 0, 0);
    addRows(main, "M", 1, 20000, "m");
    addSubReport(main, 1, ksstChild, 0, 20000, 60000, kLine);
    TKSReportPage& sub = addPage("Lines");
    addRows(sub, "L", 40, 0, "c");
    addBand(main, ksbtReportSummary, "Sum", 40000, kLine);
    addMemo(main, "sum", 0, 40000);
    ASSERT_TRUE(prepare()) << report->ErrorText;
    ASSERT_EQ(pages(), 2);
    EXPECT_EQ(rowsPerPage("head"), (std::vector<int>{1, 1}));
    const std::vector<int> lines = rowsPerPage("c");
    EXPECT_EQ(lines[0] + lines[1], 40);
    EXPECT_EQ(lines[0], 25);  // 267 mm less the 10 mm header
    const auto second = objects(1);
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second.front().text, "head");
    const auto firstLine = withPrefix(1, "c");
    ASSERT_FALSE(firstLine.empty());
    EXPECT_EQ(firstLine.front().top, kLine);
    // The summary follows the last line of the sub-report.
    const auto sum = withPrefix(1, "sum");
    ASSERT_EQ(sum.size(), 1u);
    EXPECT_EQ(sum[0].top, kLine + lines[1] * kLine);
}

TEST_F(SubReportTest, BrokenSubReportLinksEndWithAClearError)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> links;  // page index -> sub page index
        TKSSubReportType type;
        const char* message;
    };
    const Case cases[] = {
        {"own page", {{0, 0}}, ksstFixed, "is its own sub-report"},
        {"through another page", {{0, 1}, {1, 0}}, ksstFixed, "is its own sub-report"},
        {"child cycle", {{0, 1}, {1, 0}}, ksstChild, "is its own sub-report"},
        {"missing page", {{0, 7}}, ksstFixed, "names no report page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        report = new TKSReport(&host);
        report->ShowProgress = false;
        messages.clear();
        TKSReportPage* pages[] = {&addPage("P1"), &addPage("P2")};
        for (TKSReportPage* page : pages)
            addRows(*page, "M", 1, 0, "row");
        for (auto [from, to] : c.links)
            addSubReport(*pages[from], to, c.type, 0, 0, 50000, kLine);
        EXPECT_FALSE(prepare());
        EXPECT_TRUE(report->ErrorFlag);
        EXPECT_NE(report->ErrorText.find(c.message), std::string::npos) << report->ErrorText;
        EXPECT_EQ(messages.size(), 1u);
        delete report;
    }
    report = new TKSReport(&host);
}
