// Prepared pages: each output page's paper and its compact object stream, kept
// zlib-compressed once finished; the page list with backgrounds and outline.
#pragma once

#include "core/reportpage.h"
#include "platform/canvas.h"
#include "platform/graphic.h"
#include "platform/stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKSReport;
class TKSCompressThread;

// A page background: position and size in screen pixels (-1: natural size).
struct TKSBkPicture {
    int Left = 0, Top = 0, Width = -1, Height = -1;
    std::shared_ptr<platform::Graphic> Picture;
};

// Largest object stream one prepared page may inflate to; damaged or hostile
// data asking for more is refused instead of exhausting memory.
inline constexpr std::int64_t kMaxPageStreamBytes = std::int64_t(256) << 20;

// zlib stream of the bytes at a level of TKSCompressionLevel (0 none .. 3 max).
std::string CompressPageStream(std::string_view bytes, int compressionLevel);
// Inverse of CompressPageStream; std::runtime_error for damaged data or more
// than `limit` bytes of output.
std::string DecompressPageStream(std::string_view zlibBytes, std::int64_t limit = kMaxPageStreamBytes);

class TKSEndPage {
public:
    TKSEndPage();
    ~TKSEndPage();
    TKSEndPage(const TKSEndPage&) = delete;
    TKSEndPage& operator=(const TKSEndPage&) = delete;

    std::uint16_t PageSize = 9;
    int PageWidth = 2100, PageHeight = 2970;      // tenths of a millimetre
    std::uint8_t PageOrientation = kspoPortrait;
    int PageBin = kDefaultPaperBin;
    int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;  // thousandths of a millimetre
    std::uint8_t Duplex = ksdpNone;
    bool NewPrintJob = false;
    int BackgroundIndex = 0;
    std::uint8_t TemplatePageNo = 1;  // 1-based
    TKSPrintMetrics PrintMetrics;

    // The object stream as held (compressed when IsCompressed()); waits for a
    // pending compression first.
    platform::MemoryStream& Stream();
    bool IsCompressed() const { return compressed_; }
    bool CompressionDone() const { return !thread_; }
    // Blocks, letting the user interface run, until a compression thread of
    // this page has finished and its result is in place.
    void WaitForCompression();
    // Replaces the object stream as held, saying whether it is compressed.
    void SetStream(platform::MemoryStream stream, bool compressed);
    // The object stream's bytes uncompressed (a copy).
    std::string DecompressedBytes();
    // Null unless the page's objects are loaded.
    TKSReportPage* LoadedPage() const { return loaded_.get(); }

private:
    friend class TKSEndPages;
    void finishCompression();

    platform::MemoryStream stream_;
    bool compressed_ = false;
    std::unique_ptr<TKSCompressThread> thread_;  // present while compressing
    std::unique_ptr<TKSReportPage> loaded_;
};

class TKSEndPages {
public:
    explicit TKSEndPages(TKSReport* report = nullptr);
    ~TKSEndPages();
    TKSEndPages(const TKSEndPages&) = delete;
    TKSEndPages& operator=(const TKSEndPages&) = delete;

    TKSReport* Report() const { return report_; }

    int Count() const { return static_cast<int>(pages_.size()); }
    // Null outside the list.
    TKSEndPage* Page(int index) const;
    // Frees the pages, the backgrounds and the outline.
    void Clear();

    // Finishes the previous last page, fires the report's and the template
    // page's OnBeginPage with the report's PreparedPageNo, and appends a page
    // with the template page's paper, metrics, margins, duplex, background.
    TKSEndPage& Add(TKSReportPage& templatePage, int templatePageNo);
    // A page with the same copied fields at index (clamped into the list); no
    // events, nothing finished.
    TKSEndPage& Insert(int index, TKSReportPage& templatePage, int templatePageNo);
    // Appends a page made elsewhere (loading a file).
    TKSEndPage& Append(std::unique_ptr<TKSEndPage> page);
    // Out-of-range indexes do nothing.
    void Delete(int index);
    void Exchange(int a, int b);

    void AddBackground(TKSBkPicture picture);
    int BackgroundCount() const { return static_cast<int>(backgrounds_.size()); }
    // std::out_of_range outside the list.
    const TKSBkPicture& Background(int index) const;

    // Compresses the page when the list is compressed and the page is not yet
    // (on a thread when the report asks for one).
    void FinishPage(int index);
    // Brings a page's stream to the wanted state at the report's level.
    void SetPageCompressed(int index, bool compressed);

    // Reads the page's objects into a fresh TKSReportPage (prepared form);
    // bindEvents binds their script events (preview only). Reading stops at a
    // type byte above 100 or at the end; a damaged record raises an error.
    TKSReportPage* LoadPage(int index, bool bindEvents);
    // Writes the loaded objects back into the page's stream and finishes it.
    void WriteBack(int index);
    void FreePage(int index);
    // Draws the page's objects into r (the caller draws the background). With
    // printing, objects that are not Printable are left out unless the report
    // prints backgrounds; otherwise objects outside the clip are skipped.
    void DrawPage(int index, platform::Canvas& canvas, const platform::Rect& r, bool printing = false);

    // Entries "text\x01page\x01y\x01level".
    std::vector<std::string> Outline;
    bool Compressed = true;
    bool Flag2 = true;

private:
    TKSEndPage& makePage(TKSReportPage& templatePage, int templatePageNo);

    TKSReport* report_;
    std::vector<std::unique_ptr<TKSEndPage>> pages_;
    std::vector<TKSBkPicture> backgrounds_;
};
