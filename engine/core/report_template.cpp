// TKSReport: the template stream — header, page records, framed object records
// and the dictionary block — and the reactions to damaged streams.
#include "core/report.h"

#include "core/reportpage.h"
#include "core/streamio.h"
#include "objects/subreport.h"
#include "objects/viewfactory.h"
#include "platform/dialogs.h"
#include "platform/uitexts.h"

#include <stdexcept>

namespace {

constexpr std::uint16_t kTemplateVersion = 62;
// Versions from which the header carries its end position and the report
// flags, and from which it carries StrictNulls.
constexpr std::uint16_t kFirstFramedHeader = 52;
constexpr std::uint16_t kFirstStrictNulls = 57;
// Up to this version a page record names its class by one byte.
constexpr std::uint16_t kLastByteClassPage = 50;

constexpr std::uint8_t kDictionaryRecord = 254;
constexpr std::uint8_t kPageRecord = 255;
constexpr std::uint8_t kLastObjectType = 100;

const std::string& templateMagic()
{
    static const std::string magic = std::string("Tabellomatics Report File 3.0") + '\x1A';
    return magic;
}

void showError(int textId, std::string_view text = {})
{
    platform::messageBox(text.empty() ? platform::loadText(textId) : text, platform::loadText(47206),
                         platform::MB_OK | platform::MB_ICONERROR);
}

// Positions a reader takes from the stream are trusted only when they move
// forward inside it: anything else would re-read records for ever or jump
// past the data.
void seekForward(platform::Stream& s, std::int64_t from, std::int64_t to, const char* what)
{
    if (to <= from || to > s.size())
        throw platform::StreamError(std::string("Damaged report template: ") + what + " points outside the stream");
    s.seek(to);
}

} // namespace

std::string TKSReport::StoredPrinterName() const
{
    if (PrinterIndex == 0)
        return "Default Printer";
    if (PrinterIndex == 1)
        return "Virtual Printer";
    return PrinterName;
}

void TKSReport::SaveToStream(platform::Stream& s) const
{
    writeString(s, templateMagic());
    writeWord(s, kTemplateVersion);
    writeWord(s, 0);
    const std::int64_t headerEnd = writeEndPositionPlaceholder(s);
    for (const std::string* text : {&ReportInfo.ReportTitle, &ReportInfo.ReportInfo2, &ReportInfo.ReportInfo3,
                                    &ReportInfo.ReportInfo4, &ReportInfo.ReportInfo5})
        writeString(s, *text);
    writeBoolean(s, ColorPrint);
    writeInteger(s, mmPrintOffsetTop);
    writeInteger(s, mmPrintOffsetLeft);
    writeByte(s, static_cast<std::uint8_t>(PageOrder));
    writeBoolean(s, Taoda);
    writeBoolean(s, doublePass_);
    writeString(s, StoredPrinterName());
    writeTextBlock(s, Script);
    writeWord(s, ReportFlags);
    writeBoolean(s, strictNulls_);
    patchEndPosition(s, headerEnd);

    for (int i = 0; i < Pages.Count(); ++i) {
        const TKSCustomPage& page = *Pages.Page(i);
        writeByte(s, kPageRecord);
        writeString(s, page.classInfo().name());
        page.SaveToStream(s);
    }
    for (int i = 0; i < Pages.Count(); ++i) {
        for (TKSView* view : Pages.Page(i)->Objects()) {
            writeByte(s, view->ObjectType);
            writeString(s, view->classInfo().name());
            const std::int64_t end = writeEndPositionPlaceholder(s);
            writeByte(s, static_cast<std::uint8_t>(i));
            view->SaveToStream(s);
            patchEndPosition(s, end);
        }
    }
    writeByte(s, kDictionaryRecord);
    Dictionary.SaveToStream(s);
}

void TKSReport::clearTemplate()
{
    for (int i = 0; i < Pages.Count(); ++i)
        Pages.Page(i)->ClearObjects();
    Pages.Clear();
    Dictionary.Clear();
    Script.clear();
    CurPage = nullptr;
}

void TKSReport::addPage(std::unique_ptr<TKSCustomPage> page)
{
    page->ParentReport = this;
    Pages.Add(std::move(page));
}

void TKSReport::LoadFromStream(platform::Stream& s)
{
    ErrorText.clear();
    ErrorFlag = false;
    TemplateTrusted = false;  // whoever hands in a stream vouches for it afterwards
    docMode_ = ksdmDesigning;
    clearTemplate();
    strictNulls_ = true;
    if (s.size() - s.position() <= 9)
        return;

    if (readString(s) != templateMagic()) {
        ErrorFlag = true;
        ErrorText = "Not Tabellomatics Report File!";
        showError(47499);
        addPage(std::make_unique<TKSReportPage>());
        return;
    }
    const bool complete = readTemplateBody(s);
    if (complete)
        afterTemplateLoad();
    LoadReportSetting();
}

bool TKSReport::readTemplateBody(platform::Stream& s)
{
    const std::uint16_t version = readWord(s);
    std::int64_t headerEnd = -1;
    if (version >= kFirstFramedHeader) {
        readWord(s);
        headerEnd = readInteger(s);
    }
    for (std::string* text : {&ReportInfo.ReportTitle, &ReportInfo.ReportInfo2, &ReportInfo.ReportInfo3,
                              &ReportInfo.ReportInfo4, &ReportInfo.ReportInfo5})
        *text = readString(s);
    ColorPrint = readBoolean(s);
    // Stored offsets belong to the machine that wrote them.
    readInteger(s);
    readInteger(s);
    mmPrintOffsetTop = mmPrintOffsetLeft = 0;
    PageOrder = readByte(s) == ksPagePerPage ? ksPagePerPage : ksReportPerReport;
    Taoda = readBoolean(s);
    doublePass_ = readBoolean(s);
    SelectPrinter(readString(s));
    Script = readTextBlock(s);
    ReportFlags = 0;
    if (version >= kFirstFramedHeader) {
        const std::int64_t fieldsStart = s.position();
        ReportFlags = readWord(s);
        if (version >= kFirstStrictNulls)
            strictNulls_ = readBoolean(s);
        if (headerEnd != s.position())
            seekForward(s, fieldsStart, headerEnd, "the header end");
    }

    std::string missing;
    while (s.position() < s.size()) {
        const std::uint8_t type = readByte(s);
        if (type == kDictionaryRecord) {
            if (!Dictionary.LoadFromStream(s)) {
                showError(47500);
                break;  // what follows a foreign block cannot be framed
            }
        } else if (type == kPageRecord) {
            readPageRecord(s, version);
        } else if (type > kLastObjectType) {
            throw platform::StreamError("Damaged report template: unknown record type " + std::to_string(type));
        } else {
            readObjectRecord(s, type, missing);
        }
    }
    if (missing.empty())
        return true;
    ErrorFlag = true;
    showError(0, "Opened report contains the following non-plugged components:\r" + missing +
                     "Use appropriate component from KS component palette");
    return false;
}

void TKSReport::readPageRecord(platform::Stream& s, std::uint16_t version)
{
    std::unique_ptr<TKSCustomPage> page;
    if (version <= kLastByteClassPage) {
        if (readByte(s) != 0)
            page = std::make_unique<TKSReportPage>();
        else
            page = std::make_unique<TKSDialogPage>();
    } else {
        const std::string className = readString(s);
        page = CreatePage(className);
        if (!page)
            throw platform::StreamError("Damaged report template: unknown page class " + className);
    }
    TKSCustomPage& added = *page;
    addPage(std::move(page));
    added.LoadFromStream(s);
}

void TKSReport::readObjectRecord(platform::Stream& s, std::uint8_t type, std::string& missing)
{
    const std::int64_t start = s.position() - 1;
    const std::string className = readString(s);
    const std::int64_t end = readInteger(s);
    const int pageIndex = readByte(s);
    TKSCustomPage* page = Pages.Page(pageIndex);
    if (!page) {
        seekForward(s, start, end, "an object's end position");
        return;
    }
    CurPage = page;
    std::unique_ptr<TKSView> view;
    try {
        view = CreateView(type, className);
    } catch (const EKSClassNotFound&) {
        missing += className + '\r';
        seekForward(s, start, end, "an object's end position");
        return;
    }
    if (view) {
        TKSView& added = *view.release();
        added.SetParentPage(page);  // adopts the view
        try {
            added.LoadFromStream(s);
        } catch (const std::exception&) {
            // The object keeps what it read; the frame tells where the next record starts.
        }
    }
    seekForward(s, start, end, "an object's end position");
}

void TKSReport::afterTemplateLoad()
{
    for (int i = 0; i < Pages.Count(); ++i)
        Pages.Page(i)->AfterLoad();
    for (int i = 0; i < Pages.Count(); ++i) {
        for (TKSView* view : Pages.Page(i)->Objects()) {
            if (auto* sub = dynamic_cast<TKSSubReportView*>(view))
                if (TKSCustomPage* target = Pages.Page(sub->SubPage))
                    target->IsSubReportPage = true;
            view->NotifyChanged();
            view->AfterLoad();
        }
    }
}
