// TKSReportPage and TKSDialogPage: stored page records (every record version
// on reading), paper selection and the paper's named values.
#include "core/reportpage.h"

#include "core/picture_record.h"
#include "core/report.h"
#include "objects/band.h"
#include "core/streamio.h"
#include "core/textutil.h"
#include "core/units.h"
#include "platform/colors.h"

#include <cmath>

using platform::ClassInfo;
using platform::Variant;

namespace {

// Window styles of a dialog page as its record stores them.
constexpr std::int32_t kBorderStyleDialog = 3;
constexpr std::int32_t kPositionScreenCenter = 4;

int pixelsOfTenths(int tenthsOfMillimetre)
{
    return toScreenPixels(static_cast<double>(tenthsOfMillimetre) * 100, ksutMMThousandths);
}

int tenthsOfPixels(const Variant& value) { return toMMThousandths(value.toDouble(), ksutScreenPixels); }

} // namespace

const ClassInfo& TKSReportPage::staticClassInfo()
{
    using P = TKSReportPage;
    static const ClassInfo info =
        ClassInfo::define<P>("TKSReportPage", &TKSCustomPage::staticClassInfo())
            .prop("PageSize", &P::PageSize)
            .prop("PageWidth", &P::PageWidth)
            .prop("PageHeight", &P::PageHeight)
            .prop("MarginLeft", &P::MarginLeft)
            .prop("MarginTop", &P::MarginTop)
            .prop("MarginRight", &P::MarginRight)
            .prop("MarginBottom", &P::MarginBottom)
            .prop("PageOrientation", [](const P& p) { return static_cast<int>(p.PageOrientation); },
                  [](P& p, int v) { p.PageOrientation = v == kspoLandscape ? kspoLandscape : kspoPortrait; })
            .prop("PageBin", &P::PageBin)
            .prop("ResetPageNo", &P::ResetPageNo)
            .prop("NewPrintJob", &P::NewPrintJob)
            .prop("Duplex", [](const P& p) { return static_cast<int>(p.Duplex); },
                  [](P& p, int v) { p.Duplex = v >= 0 && v <= ksdpVertical ? TKSDuplex(v) : ksdpNone; })
            .prop("AutoVCenter", &P::AutoVCenter)
            .prop("AutoHCenter", &P::AutoHCenter)
            .prop("ColumnCount", &P::ColumnCount, &P::SetColumnCount)
            .prop("ShowBackPicture", &P::ShowBackPicture)
            .prop("BackPictureLeft", [](const P& p) { return fromMMThousandths(p.BackPictureLeft, designUnit()); },
                  [](P& p, double v) { p.BackPictureLeft = toMMThousandths(v, designUnit()); })
            .prop("BackPictureTop", [](const P& p) { return fromMMThousandths(p.BackPictureTop, designUnit()); },
                  [](P& p, double v) { p.BackPictureTop = toMMThousandths(v, designUnit()); })
            .prop("BackPictureWidth", &P::BackPictureWidth)
            .prop("BackPictureHeight", &P::BackPictureHeight)
            .prop("ColumnGap", [](const P& p) { return fromMMThousandths(p.ColumnGap, designUnit()); },
                  [](P& p, double v) { p.ColumnGap = toMMThousandths(v, designUnit()); });
    return info;
}

TKSReportPage::TKSReportPage()
{
    MarginLeft = MarginTop = MarginRight = MarginBottom = 15000;
    updateMetrics();
}

TKSReportPage::TKSReportPage(int paperSize, int paperWidth, int paperHeight, int bin, TKSPageOrientation orientation)
    : TKSReportPage()
{
    ChangePaper(paperSize, paperWidth, paperHeight, bin, orientation);
}

TKSReportPage::~TKSReportPage() = default;

void TKSReportPage::SetColumnCount(int count)
{
    if (count >= 1)
        columnCount_ = count;
}

// No printer layer yet: every paper is accepted as asked, which is also what
// the printer fallback (custom size with the given width and height) yields.
void TKSReportPage::ChangePaper(int paperSize, int paperWidth, int paperHeight, int bin,
                                TKSPageOrientation orientation)
{
    PageSize = paperSize;
    PageWidth = paperWidth;
    PageHeight = paperHeight;
    PageOrientation = orientation;
    if (bin != kDefaultPaperBin)
        PageBin = bin;
    updateMetrics();
}

int TKSReportPage::PaperWidthInPixels() const { return pixelsOfTenths(PageWidth); }
int TKSReportPage::PaperHeightInPixels() const { return pixelsOfTenths(PageHeight); }

void TKSReportPage::updateMetrics()
{
    PaperWidthPixels = PaperWidthInPixels();
    PaperHeightPixels = PaperHeightInPixels();
    PrintMetrics.PageWidthPixels = PaperWidthPixels;
    PrintMetrics.PageHeightPixels = PaperHeightPixels;
    // A 600 dpi device with no unprintable border stands in for the printer.
    PrintMetrics.PaperWidth = static_cast<int>(std::lround(PageWidth * 600.0 / 254.0));
    PrintMetrics.PaperHeight = static_cast<int>(std::lround(PageHeight * 600.0 / 254.0));
    PrintMetrics.OffsetLeft = PrintMetrics.OffsetTop = 0;
}

void TKSReportPage::LoadFromStream(platform::Stream& s)
{
    const std::uint16_t version = readWord(s);
    SetName(readString(s));
    Visible = readBoolean(s);
    const int size = readInteger(s);
    const int width = readInteger(s);
    const int height = readInteger(s);
    for (int* margin : {&MarginLeft, &MarginTop, &MarginRight, &MarginBottom})
        *margin = readInteger(s);
    const auto orientation = readByte(s) == kspoLandscape ? kspoLandscape : kspoPortrait;
    PrintToPrevPage = readBoolean(s);
    const int bin = readInteger(s);
    ResetPageNo = readBoolean(s);
    NewPrintJob = readBoolean(s);
    BackPicture = readPicture(s);
    for (int* v : {&BackPictureLeft, &BackPictureTop, &BackPictureWidth, &BackPictureHeight})
        *v = readInteger(s);
    const std::uint8_t duplex = readByte(s);
    Duplex = duplex <= ksdpVertical ? TKSDuplex(duplex) : ksdpNone;
    AutoVCenter = AutoHCenter = false;
    Reserved = 0;
    columnCount_ = 1;
    ColumnGap = 0;
    if (version >= 1) {
        AutoVCenter = readBoolean(s);
        AutoHCenter = readBoolean(s);
        Reserved = readWord(s);
    }
    if (version >= 2) {
        SetColumnCount(readInteger(s));
        ColumnGap = readInteger(s);
    }
    if (version >= 3)
        ReadEventBindings(s);
    if (version >= 4)
        SetOutlineText(readString(s));
    PageBin = bin;
    ChangePaper(size, width, height, bin, orientation);
}

void TKSReportPage::SaveToStream(platform::Stream& s) const
{
    writeWord(s, kRecordVersion);
    writeString(s, Name());
    writeBoolean(s, Visible);
    writeInteger(s, PageSize);
    writeInteger(s, PageWidth);
    writeInteger(s, PageHeight);
    for (int margin : {MarginLeft, MarginTop, MarginRight, MarginBottom})
        writeInteger(s, margin);
    writeByte(s, PageOrientation);
    writeBoolean(s, PrintToPrevPage);
    writeInteger(s, PageBin);
    writeBoolean(s, ResetPageNo);
    writeBoolean(s, NewPrintJob);
    writePicture(s, BackPicture.get());
    for (int v : {BackPictureLeft, BackPictureTop, BackPictureWidth, BackPictureHeight})
        writeInteger(s, v);
    writeByte(s, Duplex);
    writeBoolean(s, AutoVCenter);
    writeBoolean(s, AutoHCenter);
    writeWord(s, Reserved);
    writeInteger(s, columnCount_);
    writeInteger(s, ColumnGap);
    WriteEventBindings(s);
    writeString(s, OutlineText());
}

namespace {

// The named paper values: sizes in tenths of a millimetre and codes as
// stored, margins, column gap and background position in screen pixels.
int* pixelField(TKSReportPage& p, std::string_view name)
{
    static constexpr std::pair<std::string_view, int TKSReportPage::*> fields[] = {
        {"SPMARGINLEFT", &TKSReportPage::MarginLeft},   {"SPMARGINTOP", &TKSReportPage::MarginTop},
        {"SPMARGINRIGHT", &TKSReportPage::MarginRight}, {"SPMARGINBOTTOM", &TKSReportPage::MarginBottom},
        {"SPCOLUMNGAP", &TKSReportPage::ColumnGap},     {"SPBACKGROUNDLEFT", &TKSReportPage::BackPictureLeft},
        {"SPBACKGROUNDTOP", &TKSReportPage::BackPictureTop},
    };
    for (const auto& [key, member] : fields)
        if (name == key)
            return &(p.*member);
    return nullptr;
}

} // namespace

bool TKSReportPage::GetPropValue(std::string_view name, const TKSPropArgs& args, Variant& value)
{
    if (int* field = pixelField(*this, name)) {
        value = Variant(toScreenPixels(*field, ksutMMThousandths));
        return true;
    }
    if (TKSReport* report = Report(); report && (name == "CURPAGENO" || name == "TOTALPAGES")) {
        value = Variant(name == "CURPAGENO" ? report->PreparedPageNo - FirstPageIndex + 1
                                            : report->TotalPages - FirstPageIndex);
        return true;
    }
    if (name == "CURRENTCOLUMN") value = Variant(CurColumn);
    else if (name == "PAGEWIDTH") value = Variant(PageWidth);
    else if (name == "PAGEHEIGHT") value = Variant(PageHeight);
    else if (name == "PAGESIZE") value = Variant(PageSize);
    else if (name == "PAGEORIENTATION") value = Variant(static_cast<int>(PageOrientation));
    else if (name == "PAGEBIN") value = Variant(PageBin);
    else return TKSCustomPage::GetPropValue(name, args, value);
    return true;
}

bool TKSReportPage::SetPropValue(std::string_view name, const Variant& value)
{
    if (int* field = pixelField(*this, name)) {
        *field = tenthsOfPixels(value);
        return true;
    }
    return TKSCustomPage::SetPropValue(name, value);
}

const ClassInfo& TKSDialogPage::staticClassInfo()
{
    using P = TKSDialogPage;
    static const ClassInfo info = ClassInfo::define<P>("TKSDialogPage", &TKSCustomPage::staticClassInfo())
                                      .prop("Caption", &P::Caption)
                                      .prop("Left", &P::Left)
                                      .prop("Top", &P::Top)
                                      .prop("Width", &P::Width)
                                      .prop("Height", &P::Height)
                                      .prop("Color", &P::Color)
                                      .prop("BorderStyle", &P::BorderStyle)
                                      .prop("Position", &P::Position);
    return info;
}

TKSDialogPage::TKSDialogPage()
    : Color(static_cast<std::int32_t>(platform::clBtnFace)), BorderStyle(kBorderStyleDialog),
      Position(kPositionScreenCenter)
{
    Font.setName("\xCB\xCE\xCC\xE5");  // 宋体
    Font.setSize(9);
    Font.setCharset(134);
}

void TKSDialogPage::LoadFromStream(platform::Stream& s)
{
    const std::uint16_t version = readWord(s);
    SetName(readString(s));
    Visible = readBoolean(s);
    Caption = readString(s);
    for (int* v : {&Left, &Top, &Width, &Height, &Color, &BorderStyle, &Position})
        *v = readInteger(s);
    if (version >= 1)
        ReadEventBindings(s);
}

void TKSDialogPage::SaveToStream(platform::Stream& s) const
{
    writeWord(s, kRecordVersion);
    writeString(s, Name());
    writeBoolean(s, Visible);
    writeString(s, Caption);
    for (int v : {Left, Top, Width, Height, Color, BorderStyle, Position})
        writeInteger(s, v);
    WriteEventBindings(s);
}

std::unique_ptr<TKSCustomPage> CreatePage(std::string_view className)
{
    if (namesEqual(className, "TKSReportPage"))
        return std::make_unique<TKSReportPage>();
    if (namesEqual(className, "TKSDialogPage"))
        return std::make_unique<TKSDialogPage>();
    return nullptr;
}
