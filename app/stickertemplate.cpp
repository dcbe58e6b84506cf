// The sticker sheet: a landscape A4 page whose report title band holds the
// advertisement, the address and phone lines inside four frame lines, and
// 28 strips below carrying the phone number turned on its side.
#include "stickertemplate.h"

#include "core/report.h"
#include "core/reportpage.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/shape.h"
#include "platform/stream.h"

#include <memory>

namespace {

// Face names as the engine stores them (GBK).
constexpr const char* kSongTi = "\xCB\xCE\xCC\xE5";  // 宋体
constexpr const char* kHeiTi = "\xBA\xDA\xCC\xE5";   // 黑体

constexpr int kGap = 529;  // 2 pixels

struct Box {
    int left, top, width, height;
};

template <class T>
T& place(TKSCustomPage& page, std::unique_ptr<T> view, const char* name, Box box, std::uint32_t flags)
{
    T& v = *view;
    v.mmLeft = box.left;
    v.mmTop = box.top;
    v.mmWidth = box.width;
    v.mmHeight = box.height;
    v.mmGapLeft = v.mmGapTop = kGap;
    v.Flags = flags;
    page.Adopt(std::move(view));
    v.SetName(name);
    return v;
}

platform::Font textFont(const char* face, int pixelHeight)
{
    platform::Font font;
    font.setName(face);
    font.setHeight(-pixelHeight);
    font.setStyle(platform::fsBold);
    font.setColor(platform::clBlack);
    font.setCharset(134);
    return font;
}

TKSReportPage& addPage(TKSReport& report)
{
    auto page = std::make_unique<TKSReportPage>(9, 2970, 2100, kDefaultPaperBin, kspoLandscape);
    TKSReportPage& p = *page;
    p.SetName("Page1");
    p.MarginLeft = p.MarginRight = 14000;
    p.MarginTop = p.MarginBottom = 15000;
    page->ParentReport = &report;
    report.Pages.Add(std::move(page));
    return p;
}

void addTitleBand(TKSReportPage& page)
{
    using namespace ksf;
    place(page, std::make_unique<TKSBandReportTitle>(), "ReportTitle1", {0, 1058, 269082, 176213},
          PrintFrame | Printable | ksbf::PrintColumnFirst);
}

void addStrips(TKSReportPage& page)
{
    using namespace ksf;
    for (int i = 0; i < 28; ++i) {
        // Twenty strips on a 36-pixel grid, eight more one pixel to the left
        // of it, as the sheet was laid out by hand.
        int left = i < 20 ? 1058 + 9525 * i : 191294 + 9525 * (i - 20);
        if (i == 9)
            left = 86784;
        const std::string name = "Memo" + std::to_string(4 + i);
        auto& memo = place(page, std::make_unique<TKSMemoView>(), name.c_str(), {left, 122767, 9525, 54504},
                           Stretched | PrintFrame | Printable | HideZeros);
        for (int side = 0; side < 4; ++side) {
            TKSFrameLine& frame = memo.Frame(side);
            frame.Visible = true;
            frame.Style = platform::PenStyle::Solid;
            frame.Color = platform::clBlack;
            frame.mmWidth = TKSFrameLine::kDefaultWidth;
        }
        memo.Font = textFont(kHeiTi, 29);
        memo.HAlign = kshCenter;
        memo.VAlign = ksvCenter;
        memo.RotationType = ksrt270;
        memo.Memo = {std::string(kSamplePhoneNumber)};
    }
}

void addTextLines(TKSReportPage& page)
{
    using namespace ksf;
    struct Line {
        const char* name;
        int top, height;
        const char* face;
        int pixelHeight;
        const char* text;
    };
    const Line lines[] = {
        {"Memo1", 12700, 24871, kSongTi, 96, "123"},  // advertisement
        {"Memo2", 47625, 17463, kHeiTi, 64, "234"},   // address
        {"Memo3", 74083, 16404, kSongTi, 64, "345"},  // phone
    };
    for (const Line& line : lines) {
        auto& memo = place(page, std::make_unique<TKSMemoView>(), line.name, {4233, line.top, 260351, line.height},
                           StretchedMax | PrintFrame | Printable | HideZeros);
        memo.Font = textFont(line.face, line.pixelHeight);
        memo.HAlign = kshCenter;
        memo.VAlign = ksvTop;
        memo.Memo = {line.text};
    }
}

void addFrameLines(TKSReportPage& page)
{
    struct Line {
        const char* name;
        TKSShapeType shape;
        Box box;
    };
    const Line lines[] = {
        {"Shape1", ksHorLine, {1852, 9525, 264584, 529}},
        {"Shape2", ksHorLine, {1852, 104775, 264584, 529}},
        {"Shape3", ksRightAndLeft, {2117, 10054, 0, 94721}},
        {"Shape4", ksRightAndLeft, {266436, 10054, 0, 94986}},
    };
    for (const Line& line : lines) {
        auto& shape = place(page, std::make_unique<TKSShapeView>(), line.name, line.box,
                            ksf::PrintFrame | ksf::Printable);
        shape.Shape = line.shape;
        shape.Pen = platform::Pen{};  // black, solid, 1 pixel, copy
        shape.Brush = platform::Brush{platform::clWhite, platform::BrushStyle::Horizontal};
    }
}

std::vector<std::string> stickerScript()
{
    std::vector<std::string> script = {"unit Report;", "", "interface", "", "implementation", "",
                                       "procedure Main;", "begin",
                                       "Memo1.Memo.Text := Form1.Edit1.Text;",
                                       "Memo2.Memo.Text := Form1.Edit4.Text;",
                                       "Memo3.Memo.Text := Form1.Edit5.Text;"};
    for (int i = 4; i <= 31; ++i)
        script.push_back("Memo" + std::to_string(i) + ".Memo.Text := Form1.Edit3.Text;");
    script.insert(script.end(), {"end;", "", "end."});
    return script;
}

} // namespace

void BuildStickerTemplate(TKSReport& report)
{
    for (int i = 0; i < report.Pages.Count(); ++i)
        report.Pages.Page(i)->ClearObjects();
    report.Pages.Clear();
    report.Dictionary.Clear();
    report.ReportInfo = {"Tearvello", "", "", "", ""};
    report.ColorPrint = true;
    report.mmPrintOffsetTop = report.mmPrintOffsetLeft = 0;
    report.PageOrder = ksReportPerReport;
    report.Taoda = false;
    report.SetDoublePass(false);
    report.SelectPrinter("Default Printer");
    report.ReportFlags = 0;
    report.SetStrictNulls(false);
    report.Script = stickerScript();

    TKSReportPage& page = addPage(report);
    addTitleBand(page);
    addStrips(page);
    addTextLines(page);
    addFrameLines(page);
}

std::string StickerTemplateStream()
{
    TKSReport report;
    BuildStickerTemplate(report);
    platform::MemoryStream s;
    report.SaveToStream(s);
    return s.toString();
}
