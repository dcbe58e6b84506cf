// TKSReport: the prepared-report file (".ksp"): writing it, and reading it in
// every stored version into the prepared-page list.
#include "core/report.h"

#include "core/picture_record.h"
#include "core/streamio.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "platform/uitexts.h"
#include "script/error.h"
#include "script/fm.h"

#include <filesystem>

namespace {

constexpr std::uint8_t kPreparedVersion = 62;
// Smallest stored background entry (four Integers, picture kind and end
// position) and page entry (end position and fields, no objects): counts
// that need more bytes than the stream holds are damaged.
constexpr std::int64_t kMinBackgroundBytes = 4 * 4 + 1 + 4;
constexpr std::int64_t kMinPageEntryBytes = 4 + 2 + 4 + 4 + 1 + 4 + 4 * 4 + 1;

const std::string& preparedMagic()
{
    static const std::string magic = std::string("Tabellomatics Prepared Report File") + '\x1A';
    return magic;
}

std::int32_t readCount(platform::Stream& s, std::int64_t minBytesEach, const char* what)
{
    const std::int32_t count = readInteger(s);
    if (count < 0 || count * minBytesEach > s.remaining())
        throw platform::StreamError(std::string("Damaged prepared report: bad ") + what + " count "
                                    + std::to_string(count));
    return count;
}

// Restores a flag on leaving a scope, also by an exception.
struct RestoreFlag {
    bool& flag;
    bool saved = flag;
    ~RestoreFlag() { flag = saved; }
};

bool fileMissing(const std::string& fileName)
{
    std::error_code error;
    return !std::filesystem::exists(std::filesystem::u8path(platform::gbkToUtf8(fileName)), error);
}

} // namespace

void TKSReport::SavePreparedReport(const std::string& fileName)
{
    platform::FileStream file(fileName, platform::FileStream::Mode::Create);
    SavePreparedToStream(file);
}

void TKSReport::SavePreparedToStream(platform::Stream& s)
{
    RestoreFlag threadOff{CompressThread};
    CompressThread = false;

    writeString(s, preparedMagic());
    writeByte(s, kPreparedVersion);
    writeBoolean(s, EndPages.Compressed);
    writeByte(s, 1);
    writeInteger(s, EndPages.BackgroundCount());
    for (int i = 0; i < EndPages.BackgroundCount(); ++i) {
        const TKSBkPicture& picture = EndPages.Background(i);
        for (int value : {picture.Left, picture.Top, picture.Width, picture.Height})
            writeInteger(s, value);
        writePicture(s, picture.Picture.get());
    }
    writeString(s, PrinterName);
    for (const std::string* text : {&ReportInfo.ReportTitle, &ReportInfo.ReportInfo2, &ReportInfo.ReportInfo3,
                                    &ReportInfo.ReportInfo4, &ReportInfo.ReportInfo5})
        writeString(s, *text);
    writeInteger(s, 0);
    writeTextBlock(s, Script);
    writeTextBlock(s, EndPages.Outline);
    writeInteger(s, EndPages.Count());
    for (int i = 0; i < EndPages.Count(); ++i) {
        if (!IsBuilding()) {
            EndPages.LoadPage(i, false);
            EndPages.WriteBack(i);
            EndPages.FreePage(i);
        }
        // A page still open in a build is not finished yet; field 3 covers all pages.
        EndPages.SetPageCompressed(i, EndPages.Compressed);
        TKSEndPage& page = *EndPages.Page(i);
        const std::int64_t at = writeEndPositionPlaceholder(s);
        writeWord(s, page.PageSize);
        writeInteger(s, page.PageWidth);
        writeInteger(s, page.PageHeight);
        writeByte(s, page.PageOrientation);
        writeInteger(s, page.PageBin);
        for (int margin : {page.MarginLeft, page.MarginTop, page.MarginRight, page.MarginBottom})
            writeInteger(s, margin);
        writeByte(s, page.Duplex);
        writeBoolean(s, page.NewPrintJob);
        writeInteger(s, page.BackgroundIndex);
        const std::string_view bytes = page.Stream().bytes();
        s.write(bytes.data(), bytes.size());
        patchEndPosition(s, at);
    }
}

bool TKSReport::LoadPreparedReport(const std::string& fileName)
{
    if (fileMissing(fileName))
        return false;
    platform::FileStream file(fileName, platform::FileStream::Mode::Read);
    return LoadPreparedFromStream(file);
}

bool TKSReport::LoadPreparedFromStream(platform::Stream& s, bool append)
{
    if (!append)
        EndPages.Clear();
    std::string magic;
    try {
        magic = readString(s);
    } catch (const platform::StreamError&) {
        magic.clear();
    }
    if (magic != preparedMagic()) {
        platform::messageBox(platform::loadText(47501), platform::loadText(47206), platform::MB_ICONERROR);
        return false;
    }
    try {
        const std::uint8_t version = readByte(s);
        if (version > kPreparedVersion)
            throw platform::StreamError("Unsupported prepared report version " + std::to_string(version));
        bool fileCompressed = false;
        if (version >= 54) {
            fileCompressed = readBoolean(s);
            EndPages.Flag2 = readByte(s) != 0;
        }

        const std::int32_t backgrounds = readCount(s, kMinBackgroundBytes, "background picture");
        for (std::int32_t i = 0; i < backgrounds; ++i) {
            TKSBkPicture picture;
            picture.Left = readInteger(s);
            picture.Top = readInteger(s);
            picture.Width = readInteger(s);
            picture.Height = readInteger(s);
            picture.Picture = readPicture(s);
            EndPages.AddBackground(std::move(picture));
        }
        SelectPrinter(readString(s));
        if (version > 55)
            for (std::string* text : {&ReportInfo.ReportTitle, &ReportInfo.ReportInfo2, &ReportInfo.ReportInfo3,
                                      &ReportInfo.ReportInfo4, &ReportInfo.ReportInfo5})
                *text = readString(s);
        if (version > 56) {
            readInteger(s);
            Script = readTextBlock(s);
            std::vector<std::string> outline = readTextBlock(s);
            EndPages.Outline.insert(EndPages.Outline.end(), outline.begin(), outline.end());
            compilePreparedScript();
        }

        const bool wantCompressed = CompressLevel != kszcNone;
        const std::int32_t pages = readCount(s, kMinPageEntryBytes, "page");
        for (std::int32_t i = 0; i < pages; ++i) {
            if (OnLoadProgress)
                OnLoadProgress(i + 1, pages);
            readPreparedPage(s, version, fileCompressed, wantCompressed);
        }
        EndPages.Compressed = wantCompressed;
        building_ = false;
    } catch (...) {
        if (!append)
            EndPages.Clear();
        throw;
    }
    return true;
}

void TKSReport::readPreparedPage(platform::Stream& s, int version, bool fileCompressed, bool wantCompressed)
{
    const std::int32_t end = readInteger(s);
    auto page = std::make_unique<TKSEndPage>();
    page->PageSize = readWord(s);
    page->PageWidth = readInteger(s);
    page->PageHeight = readInteger(s);
    page->PageOrientation = readByte(s);
    page->PageBin = readInteger(s);
    page->MarginLeft = readInteger(s);
    page->MarginTop = readInteger(s);
    page->MarginRight = readInteger(s);
    page->MarginBottom = readInteger(s);
    page->Duplex = readByte(s);
    if (version >= 55)
        page->NewPrintJob = readBoolean(s);
    if (version > 61)
        page->BackgroundIndex = readInteger(s);
    if (end < s.position() || end > s.size())
        throw platform::StreamError("Damaged prepared report: page end position " + std::to_string(end)
                                    + " outside the file");
    std::vector<unsigned char> bytes(static_cast<std::size_t>(end - s.position()));
    s.readExact(bytes.data(), bytes.size());
    page->SetStream(platform::MemoryStream(std::move(bytes)), fileCompressed);

    // The printer gives the metrics of the page's paper.
    TKSReportPage paper;
    paper.ChangePaper(page->PageSize, page->PageWidth, page->PageHeight, page->PageBin,
                      static_cast<TKSPageOrientation>(page->PageOrientation));
    page->PrintMetrics = paper.PrintMetrics;

    EndPages.Append(std::move(page));
    EndPages.SetPageCompressed(EndPages.Count() - 1, wantCompressed);
    s.seek(end);
}

// Only click handlers of the preview run from this script; a script read from
// a file may not reach external libraries, and one that does not compile
// leaves the pages viewable without handlers.
void TKSReport::compilePreparedScript()
{
    interpreter_->setPas(Script);
    interpreter_->AllowExternalRoutines = false;
    TemplateTrusted = false;  // Script now holds the file's script
    if (Script.size() <= 1)
        return;
    try {
        interpreter_->Compile();
    } catch (const EKSInterpreterError&) {
    }
}
