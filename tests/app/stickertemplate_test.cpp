// The stored sticker template: the form data holds exactly the sheet described
// in code, and that sheet has the header, page and objects the program prints.
#include "formdata.h"
#include "stickertemplate.h"

#include "core/engine_init.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "core/streamio.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/shape.h"

#include <gtest/gtest.h>

namespace {

// The bytes of ReportData behind its 32-bit count, from the embedded form text.
std::string storedTemplate()
{
    const std::string form = EmbeddedFormText("form1.dfm");
    const std::size_t open = form.find("ReportData = {");
    const std::size_t close = form.find('}', open);
    if (open == std::string::npos || close == std::string::npos)
        return {};
    std::string bytes;
    int high = -1;
    for (std::size_t i = open + 14; i < close; ++i) {
        const char c = form[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            continue;
        if (high < 0) {
            high = digit;
        } else {
            bytes += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    if (bytes.size() < 4)
        return {};
    platform::MemoryStream s(bytes);
    const std::int32_t count = readInteger(s);
    return count == static_cast<std::int32_t>(bytes.size() - 4) ? bytes.substr(4) : std::string();
}

class StickerTemplate : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitTabellomatics();
        stored = storedTemplate();
        ASSERT_FALSE(stored.empty()) << "form1.dfm holds no template with a matching count";
        platform::MemoryStream s(stored);
        report.LoadFromStream(s);
        ASSERT_FALSE(report.ErrorFlag) << report.ErrorText;
        ASSERT_EQ(report.Pages.Count(), 1);
        page = dynamic_cast<TKSReportPage*>(report.Pages.Page(0));
        ASSERT_NE(page, nullptr);
    }

    template <class T>
    T& object(const char* name)
    {
        TKSView* view = page->FindObject(name);
        EXPECT_NE(view, nullptr) << name;
        auto* typed = dynamic_cast<T*>(view);
        if (!typed)
            throw std::runtime_error(std::string(name) + " missing or of another class");
        return *typed;
    }

    std::string stored;
    TKSReport report;
    TKSReportPage* page = nullptr;
};

constexpr std::uint32_t bit(int n) { return 1u << n; }

} // namespace

TEST_F(StickerTemplate, FormDataHoldsTheSheetDescribedInCode)
{
    EXPECT_EQ(stored, StickerTemplateStream()) << "run: tabellomatics sticker --update-form resources/app/form1.dfm";
    platform::MemoryStream again;
    report.SaveToStream(again);
    EXPECT_EQ(again.toString(), stored) << "loads back to the same objects";
}

TEST_F(StickerTemplate, Header)
{
    platform::MemoryStream s(stored);
    EXPECT_EQ(readString(s), std::string("Tabellomatics Report File 3.0") + '\x1A');
    EXPECT_EQ(readWord(s), 62);
    EXPECT_EQ(report.ReportInfo.ReportTitle, "Tearvello");
    for (const std::string* info : {&report.ReportInfo.ReportInfo2, &report.ReportInfo.ReportInfo3,
                                    &report.ReportInfo.ReportInfo4, &report.ReportInfo.ReportInfo5})
        EXPECT_EQ(*info, "");
    EXPECT_TRUE(report.ColorPrint);
    EXPECT_EQ(report.PageOrder, ksReportPerReport);
    EXPECT_FALSE(report.Taoda);
    EXPECT_FALSE(report.DoublePass());
    EXPECT_EQ(report.StoredPrinterName(), "Default Printer");
    EXPECT_EQ(report.ReportFlags, 0);
    EXPECT_FALSE(report.StrictNulls());
    EXPECT_TRUE(report.Dictionary.Empty());
    EXPECT_EQ(static_cast<std::uint8_t>(stored.at(stored.size() - 1 - 4 - 4 - 35 - 2)), 254)
        << "the dictionary block (empty lists) ends the stream";
}

TEST_F(StickerTemplate, ScriptCopiesTheFieldsIntoTheTexts)
{
    std::vector<std::string> expected = {"unit Report;", "", "interface", "", "implementation", "",
                                         "procedure Main;", "begin", "Memo1.Memo.Text := Form1.Edit1.Text;",
                                         "Memo2.Memo.Text := Form1.Edit4.Text;",
                                         "Memo3.Memo.Text := Form1.Edit5.Text;"};
    for (int i = 4; i <= 31; ++i)
        expected.push_back("Memo" + std::to_string(i) + ".Memo.Text := Form1.Edit3.Text;");
    expected.insert(expected.end(), {"end;", "", "end."});
    EXPECT_EQ(report.Script, expected);
}

TEST_F(StickerTemplate, Page)
{
    EXPECT_EQ(page->Name(), "Page1");
    EXPECT_TRUE(page->Visible);
    EXPECT_EQ(page->PageSize, 9);
    EXPECT_EQ(page->PageWidth, 2970);
    EXPECT_EQ(page->PageHeight, 2100);
    EXPECT_EQ(page->PageOrientation, kspoLandscape);
    EXPECT_EQ(page->MarginLeft, 14000);
    EXPECT_EQ(page->MarginTop, 15000);
    EXPECT_EQ(page->MarginRight, 14000);
    EXPECT_EQ(page->MarginBottom, 15000);
    EXPECT_EQ(page->PageBin, 65535);
    EXPECT_FALSE(page->PrintToPrevPage);
    EXPECT_FALSE(page->ResetPageNo);
    EXPECT_FALSE(page->NewPrintJob);
    EXPECT_EQ(page->BackPicture, nullptr);
    EXPECT_EQ(page->BackPictureWidth, -1);
    EXPECT_EQ(page->BackPictureHeight, -1);
    EXPECT_EQ(page->Duplex, ksdpNone);
    EXPECT_FALSE(page->AutoHCenter || page->AutoVCenter);
    EXPECT_EQ(page->ColumnCount(), 1);
    EXPECT_EQ(page->ColumnGap, 0);
    EXPECT_TRUE(page->EventBindings().empty());
    EXPECT_EQ(page->OutlineText(), "");
}

TEST_F(StickerTemplate, ObjectsInStoredOrder)
{
    std::vector<std::string> names = {"ReportTitle1"};
    for (int i = 4; i <= 31; ++i)
        names.push_back("Memo" + std::to_string(i));
    for (const char* n : {"Memo1", "Memo2", "Memo3", "Shape1", "Shape2", "Shape3", "Shape4"})
        names.push_back(n);
    ASSERT_EQ(page->Objects().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TKSView& v = *page->Objects()[i];
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(v.Name(), names[i]);
        EXPECT_TRUE(v.Visible);
        EXPECT_TRUE(v.EventBindings().empty());
        EXPECT_EQ(v.mmGapLeft, 529);
        EXPECT_EQ(v.mmGapTop, 529);
        EXPECT_EQ(v.FillColor, platform::clNone);
        EXPECT_EQ(v.ExpressionDelimiters, "[;]");
        EXPECT_EQ(v.Restrictions, 0);
    }
}

TEST_F(StickerTemplate, TitleBand)
{
    auto& band = object<TKSBandReportTitle>("ReportTitle1");
    EXPECT_EQ(band.mmLeft, 0);
    EXPECT_EQ(band.mmTop, 1058);
    EXPECT_EQ(band.mmWidth, 269082);
    EXPECT_EQ(band.mmHeight, 176213);
    EXPECT_EQ(band.Flags, bit(28) | bit(27) | bit(9));
    EXPECT_EQ(band.mmColumnWidth, 52917);
    EXPECT_EQ(band.mmColumnGap, 5292);
    EXPECT_EQ(band.Columns, 1);
    EXPECT_EQ(band.LinesPerPage, 0);
    EXPECT_EQ(band.RangeBegin, ksrbDefault);
    EXPECT_EQ(band.RangeEnd, ksreDefault);
    EXPECT_EQ(band.ChildBand(), "");
    EXPECT_EQ(band.DataSetName(), "");
    EXPECT_EQ(band.Font.name(), "MS Sans Serif");
    EXPECT_EQ(band.Font.height(), -11);
    for (int side = 0; side < 4; ++side)
        EXPECT_FALSE(band.Frame(side).Visible);
}

TEST_F(StickerTemplate, Strips)
{
    const int lefts[28] = {4, 40, 76, 112, 148, 184, 220, 256, 292, 328, 364, 400, 436, 472,
                           508, 544, 580, 616, 652, 688, 723, 759, 795, 831, 867, 903, 939, 975};
    for (int i = 0; i < 28; ++i) {
        const std::string name = "Memo" + std::to_string(i + 4);
        SCOPED_TRACE(name);
        auto& memo = object<TKSMemoView>(name.c_str());
        EXPECT_EQ(memo.spLeft(), lefts[i]);
        const int stored = i < 20 ? (i == 9 ? 86784 : 1058 + 9525 * i) : 191294 + 9525 * (i - 20);
        EXPECT_EQ(memo.mmLeft, stored);
        EXPECT_EQ(memo.mmTop, 122767);
        EXPECT_EQ(memo.mmWidth, 9525);
        EXPECT_EQ(memo.mmHeight, 54504);
        EXPECT_EQ(memo.Flags, bit(31) | bit(28) | bit(27) | bit(5));
        for (int side = 0; side < 4; ++side) {
            const TKSFrameLine& f = memo.Frame(side);
            EXPECT_TRUE(f.Visible);
            EXPECT_EQ(f.Style, platform::PenStyle::Solid);
            EXPECT_EQ(f.Color, platform::clBlack);
            EXPECT_EQ(f.mmWidth, 265);
            EXPECT_FALSE(f.DoubleFrame);
        }
        EXPECT_EQ(memo.Font.name(), "\xBA\xDA\xCC\xE5");  // 黑体
        EXPECT_EQ(memo.Font.height(), -29);
        EXPECT_EQ(memo.Font.style(), platform::fsBold);
        EXPECT_EQ(memo.Font.color(), platform::clBlack);
        EXPECT_EQ(memo.Font.charset(), 134);
        EXPECT_EQ(memo.HAlign, kshCenter);
        EXPECT_EQ(memo.VAlign, ksvCenter);
        EXPECT_EQ(memo.RotationType, ksrt270);
        EXPECT_EQ(memo.LineSpacing, 2);
        EXPECT_EQ(memo.CharacterSpacing, 0);
        EXPECT_EQ(memo.ScaleFontType, ksstNone);
        ASSERT_EQ(memo.Memo.size(), 1u);
        EXPECT_EQ(memo.Memo[0].find_first_not_of("0123456789"), std::string::npos);
    }
}

TEST_F(StickerTemplate, TextLines)
{
    struct Line {
        const char* name;
        int top, height;
        const char* face;
        int pixelHeight;
        const char* text;
    } const lines[] = {
        {"Memo1", 12700, 24871, "\xCB\xCE\xCC\xE5", 96, "123"},
        {"Memo2", 47625, 17463, "\xBA\xDA\xCC\xE5", 64, "234"},
        {"Memo3", 74083, 16404, "\xCB\xCE\xCC\xE5", 64, "345"},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.name);
        auto& memo = object<TKSMemoView>(line.name);
        EXPECT_EQ(memo.mmLeft, 4233);
        EXPECT_EQ(memo.mmTop, line.top);
        EXPECT_EQ(memo.mmWidth, 260351);
        EXPECT_EQ(memo.mmHeight, line.height);
        EXPECT_EQ(memo.Flags, bit(28) | bit(27) | bit(16) | bit(5));
        for (int side = 0; side < 4; ++side)
            EXPECT_FALSE(memo.Frame(side).Visible);
        EXPECT_EQ(memo.Font.name(), line.face);
        EXPECT_EQ(memo.Font.height(), -line.pixelHeight);
        EXPECT_EQ(memo.Font.style(), platform::fsBold);
        EXPECT_EQ(memo.Font.charset(), 134);
        EXPECT_EQ(memo.HAlign, kshCenter);
        EXPECT_EQ(memo.VAlign, ksvTop);
        EXPECT_EQ(memo.RotationType, ksrtNone);
        EXPECT_EQ(memo.LineSpacing, 2);
        EXPECT_EQ(memo.Memo, std::vector<std::string>{line.text});
    }
}

TEST_F(StickerTemplate, FrameLines)
{
    struct Line {
        const char* name;
        TKSShapeType shape;
        int left, top, width, height;
    } const lines[] = {
        {"Shape1", ksHorLine, 1852, 9525, 264584, 529},
        {"Shape2", ksHorLine, 1852, 104775, 264584, 529},
        {"Shape3", ksRightAndLeft, 2117, 10054, 0, 94721},
        {"Shape4", ksRightAndLeft, 266436, 10054, 0, 94986},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.name);
        auto& shape = object<TKSShapeView>(line.name);
        EXPECT_EQ(shape.Shape, line.shape);
        EXPECT_EQ(shape.mmLeft, line.left);
        EXPECT_EQ(shape.mmTop, line.top);
        EXPECT_EQ(shape.mmWidth, line.width);
        EXPECT_EQ(shape.mmHeight, line.height);
        EXPECT_EQ(shape.Flags, bit(28) | bit(27));
        EXPECT_EQ(shape.Pen.color, platform::clBlack);
        EXPECT_EQ(shape.Pen.style, platform::PenStyle::Solid);
        EXPECT_EQ(shape.Pen.width, 1);
        EXPECT_EQ(shape.Brush.color, platform::clWhite);
        EXPECT_EQ(static_cast<int>(shape.Brush.style), 2);
    }
}
