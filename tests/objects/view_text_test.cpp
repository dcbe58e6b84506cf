// Text side of views: bracket expansion, placing on a prepared page, named
// values for the script, automatic names and alignment inside bands.
#include "objects/band.h"
#include "objects/custompage.h"
#include "objects/shape.h"
#include "view_fake_report.h"

#include "core/streamio.h"
#include "core/units.h"

#include <gtest/gtest.h>

namespace {

class ViewText : public ::testing::Test {
protected:
    void SetUp() override
    {
        report.values["x"] = platform::Variant(5);
        report.values["a[1]"] = platform::Variant("A1");
        report.values["\"]\""] = platform::Variant("quoted");
        report.values["'['"] = platform::Variant("single");
        report.values["y"] = platform::Variant("[x]");
        report.values["s"] = platform::Variant("two\r\nlines");
        view.ParentReport = &report;
    }
    FakeReport report;
    TKSReportView view;
};

} // namespace

TEST_F(ViewText, ExpandTextCases)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a [x] b", "a 5 b"},
        {"no brackets", "no brackets"},
        {"[x][x]", "55"},
        {"[a[1]]!", "A1!"},                  // nested brackets
        {"<[\"]\"]>", "<quoted>"},           // a closing bracket inside double quotes
        {"<['[']>", "<single>"},             // an opening bracket inside single quotes
        {"[y]", "[x]"},                      // a result is never expanded again
        {"[unknown] end", " end"},           // unknown names are Null: empty output
        {"abc[", "abc"},                     // a bracket at the very end
        {"[xq", "5"},                        // unclosed: the text less its last byte
        {"\xB0[[x]", "\xB0[5"},              // GBK character whose trail byte is "["
        {"\xB0]x", "\xB0]x"},                // ... or "]"
        {"[x]\xD6\xD0", "5\xD6\xD0"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(view.ExpandText(in), out) << in;
    EXPECT_FALSE(report.expanding) << "flag cleared after expanding";
    EXPECT_GT(report.expandingCalls, 0);
}

TEST_F(ViewText, EvaluationErrorsClearTheFlag)
{
    struct Throwing : FakeReport {
        platform::Variant EvaluateExpression(TKSReportView&, std::string_view) override
        {
            throw std::runtime_error("bad expression");
        }
    } throwing;
    view.ParentReport = &throwing;
    EXPECT_THROW(view.ExpandText("a [1/] b"), std::runtime_error);
    EXPECT_FALSE(throwing.expanding);
}

TEST_F(ViewText, PlaceOnEndPageWritesExpandedPreparedRecord)
{
    view.Memo = {"v=[x]", "", "[s]"};
    platform::MemoryStream out;
    view.PlaceOnEndPage(out);
    EXPECT_EQ(view.Memo1, (std::vector<std::string>{"v=5", "", "two", "lines"}));
    out.seek(0);
    ASSERT_EQ(readByte(out), ksgtAddIn);
    EXPECT_EQ(readString(out), "TKSReportView");
    TKSReportView back;
    back.PreparedForm = true;
    back.LoadFromStream(out);
    EXPECT_EQ(back.Memo, view.Memo1);

    view.SetFlag(ksf::TextOnly, true);
    platform::MemoryStream again;
    view.PlaceOnEndPage(again);
    EXPECT_EQ(view.Memo1.front(), "v=[x]");

    view.Visible = false;
    platform::MemoryStream none;
    view.PlaceOnEndPage(none);
    EXPECT_EQ(none.size(), 0);
}

TEST_F(ViewText, NamedValuesForTheScript)
{
    platform::Variant v;
    view.Memo = {"one", "two"};
    ASSERT_TRUE(view.GetPropValue("MEMO", {}, v));
    EXPECT_EQ(v.toString(), "one\r\ntwo");
    ASSERT_TRUE(view.GetPropValue("VALUE", {}, v));
    EXPECT_EQ(v.toInteger(), 0) << "empty working text without text value";
    view.IsTextValue = true;
    view.GetPropValue("VALUE", {}, v);
    EXPECT_TRUE(v.isString());
    EXPECT_EQ(v.toString(), "");
    view.Memo1 = {"1\x01" "2.5", "x"};
    view.GetPropValue("ASFLOAT", {}, v);
    EXPECT_DOUBLE_EQ(v.toDouble(), 12.5);
    ASSERT_TRUE(view.SetPropValue("TEXT", platform::Variant("a\r\nb")));
    EXPECT_EQ(view.Memo, (std::vector<std::string>{"a", "b"}));
    view.GetPropValue("SETSPBOUNDS", {10, 20, 30, 40}, v);
    EXPECT_EQ(view.spLeft(), 10);
    EXPECT_EQ(view.spHeight(), 40);
    view.GetPropValue("SETFRAMEVISIBLE", {true}, v);
    EXPECT_TRUE(view.BottomFrame.Visible);
    view.SetName("Box7");
    ASSERT_TRUE(view.GetPropValue("NAME", {}, v)) << "published properties by name";
    EXPECT_EQ(v.toString(), "Box7");
}

TEST_F(ViewText, PublishedGeometryUnitsAndRestrictions)
{
    view.mmLeft = 26458;  // 100 pixels
    EXPECT_DOUBLE_EQ(view.Left(), 100.0) << "running: screen pixels";
    report.mode = ksdmDesigning;
    setDesignUnit(ksutMillimeters);
    EXPECT_NEAR(view.Left(), 26.458, 0.01);
    setDesignUnit(ksutScreenPixels);

    struct Designer : FakeReport {
        bool DesignerOn() const override { return true; }
    } designer;
    view.ParentReport = &designer;
    view.Restrictions = ksrtDontMove;
    view.SetLeft(5);
    view.SetWidth(7);
    EXPECT_EQ(view.mmLeft, 26458) << "move refused";
    EXPECT_EQ(view.spWidth(), 7) << "size allowed";
}

TEST_F(ViewText, AutomaticNamesTakeTheFirstFreeNumber)
{
    TKSCustomPage page;
    page.ParentReport = &report;
    report.pages.push_back(&page);
    auto first = std::make_unique<TKSShapeView>();
    first->SetParentPage(&page);
    (void)first.release();
    auto third = std::make_unique<TKSShapeView>();
    TKSShapeView* raw = third.get();
    third->SetParentPage(&page);
    (void)third.release();
    EXPECT_EQ(raw->Name(), "Shape2");
    raw->SetName("Shape3");
    auto next = std::make_unique<TKSShapeView>();
    TKSShapeView* n = next.get();
    next->SetParentPage(&page);
    (void)next.release();
    EXPECT_EQ(n->Name(), "Shape2");
    EXPECT_EQ(page.Objects().size(), 3u);

    TKSCustomPage other;
    other.ParentReport = &report;
    n->SetParentPage(&other);
    EXPECT_EQ(page.Objects().size(), 2u);
    EXPECT_EQ(other.Objects().size(), 1u);
    EXPECT_EQ(n->ParentPage, &other);
}

TEST_F(ViewText, AlignInBand)
{
    TKSCustomPage page;
    page.PageWidth = 2970;
    page.MarginLeft = page.MarginRight = 14000;  // 269 mm printable
    int pageWidth = page.PrintableWidthPixels();
    EXPECT_EQ(pageWidth, toScreenPixels(269000, ksutMMThousandths));
    view.ParentPage = &page;
    view.SetspWidth(100);

    TKSBandPageHeader header;
    header.mmTop = 5000, header.mmHeight = 8000;
    TKSBandCrossData cross;
    cross.mmLeft = 10000, cross.mmWidth = 30000;

    report.band = &header;
    view.BandAlign = ksbaRight;
    view.AlignInBand(nullptr);
    EXPECT_EQ(view.spLeft() + view.spWidth(), pageWidth);

    report.band = &cross;
    view.AlignInBand(nullptr);
    EXPECT_EQ(view.mmLeft + view.mmWidth, 40000);

    report.band = &header;
    view.BandAlign = ksbaBottom;
    view.mmHeight = 3000;
    view.AlignInBand(nullptr);
    EXPECT_EQ(view.mmTop, 10000);

    view.BandAlign = ksbaCenter;
    view.AlignInBand(nullptr);
    EXPECT_EQ(view.spLeft(), (pageWidth - 100) / 2);

    view.BandAlign = ksbaNone;
    view.SetFlag(ksf::ParentWidth, true);
    view.SetFlag(ksf::ParentHeight, true);
    view.AlignInBand(nullptr);
    EXPECT_EQ(view.mmLeft, 0);
    EXPECT_EQ(view.spWidth(), pageWidth);
    EXPECT_EQ(view.mmTop, 5000);
    EXPECT_EQ(view.mmHeight, 8000);

    report.band = nullptr;
    view.mmLeft = 77;
    view.AlignInBand(nullptr);
    EXPECT_EQ(view.mmLeft, 77) << "no band: nothing happens";
}
