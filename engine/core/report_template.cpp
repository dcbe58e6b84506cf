// TKSReport: the stored template. Interim form: the report-level settings
// only; the template format with pages and objects replaces these two bodies.
#include "core/report.h"

#include "core/streamio.h"

namespace {

// Marks the interim settings record, so that it is never taken for a
// template of the full format (which starts with its own magic text).
constexpr char kSettingsTag[] = "TKSReportSettings";
constexpr std::uint16_t kSettingsVersion = 1;

} // namespace

void TKSReport::SaveToStream(platform::Stream& s) const
{
    writeString(s, kSettingsTag);
    writeWord(s, kSettingsVersion);
    for (const std::string* text : {&ReportInfo.ReportTitle, &ReportInfo.ReportInfo2, &ReportInfo.ReportInfo3,
                                    &ReportInfo.ReportInfo4, &ReportInfo.ReportInfo5})
        writeString(s, *text);
    writeBoolean(s, ColorPrint);
    writeInteger(s, mmPrintOffsetTop);
    writeInteger(s, mmPrintOffsetLeft);
    writeByte(s, static_cast<std::uint8_t>(PageOrder));
    writeBoolean(s, Taoda);
    writeBoolean(s, doublePass_);
    writeString(s, PrinterName);
    writeWord(s, ReportFlags);
    writeBoolean(s, strictNulls_);
    writeTextBlock(s, Script);
}

void TKSReport::LoadFromStream(platform::Stream& s)
{
    const int savedMode = docMode_;
    docMode_ = ksdmDesigning;
    if (readString(s) != kSettingsTag || readWord(s) > kSettingsVersion) {
        docMode_ = savedMode;
        throw platform::StreamError("Not a report settings record");
    }
    TKSReportInfo info;
    for (std::string* text : {&info.ReportTitle, &info.ReportInfo2, &info.ReportInfo3, &info.ReportInfo4,
                              &info.ReportInfo5})
        *text = readString(s);
    const bool colorPrint = readBoolean(s);
    const int offsetTop = readInteger(s);
    const int offsetLeft = readInteger(s);
    const auto pageOrder = readByte(s) == ksPagePerPage ? ksPagePerPage : ksReportPerReport;
    const bool taoda = readBoolean(s);
    const bool doublePass = readBoolean(s);
    std::string printerName = readString(s);
    const std::uint16_t flags = readWord(s);
    const bool strictNulls = readBoolean(s);
    std::vector<std::string> script = readTextBlock(s);

    // Assigned only once the whole record has been read.
    ReportInfo = std::move(info);
    ColorPrint = colorPrint;
    mmPrintOffsetTop = offsetTop;
    mmPrintOffsetLeft = offsetLeft;
    PageOrder = pageOrder;
    Taoda = taoda;
    doublePass_ = doublePass;
    PrinterName = std::move(printerName);
    ReportFlags = flags;
    strictNulls_ = strictNulls;
    Script = std::move(script);
    docMode_ = savedMode;
    LoadReportSetting();
}
