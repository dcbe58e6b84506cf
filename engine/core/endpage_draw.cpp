// Prepared pages as objects: loading a page's object stream into views,
// writing them back, freeing them, and drawing a page into a rectangle.
#include "core/endpages.h"

#include "core/report.h"
#include "core/streamio.h"
#include "core/units.h"
#include "objects/viewfactory.h"

#include <cmath>

namespace {

constexpr std::uint8_t kLastObjectType = 100;
constexpr int kClipSlack = 10;  // device pixels around an object that still count as visible

// Reads records until the end, a type byte above 100, or the first record
// that cannot be read: a damaged stream shows the objects before the damage.
void readObjects(platform::Stream& s, TKSReportPage& page, TKSReportContext* report)
{
    while (s.remaining() > 0) {
        try {
            const std::uint8_t type = readByte(s);
            if (type > kLastObjectType)
                return;
            const std::string className = type == kLastObjectType ? readString(s) : std::string();
            std::unique_ptr<TKSView> view = CreateView(type, className);
            if (!view)
                return;  // no body length is stored, so nothing behind it can be found
            view->PreparedForm = true;
            view->ParentReport = report;
            TKSView* placed = view.get();
            page.AddObject(std::move(view));
            try {
                placed->LoadFromStream(s);
            } catch (...) {
                page.RemoveObject(placed);
                throw;
            }
        } catch (const std::exception&) {
            return;
        }
    }
}

} // namespace

TKSReportPage* TKSEndPages::LoadPage(int index, bool bindEvents)
{
    TKSEndPage* page = Page(index);
    if (!page)
        return nullptr;
    page->WaitForCompression();
    FreePage(index);
    auto loaded = std::make_unique<TKSReportPage>();
    loaded->PageSize = page->PageSize;
    loaded->PageWidth = page->PageWidth;
    loaded->PageHeight = page->PageHeight;
    loaded->PageOrientation = static_cast<TKSPageOrientation>(page->PageOrientation);
    loaded->PageBin = page->PageBin;
    loaded->MarginLeft = page->MarginLeft;
    loaded->MarginTop = page->MarginTop;
    loaded->MarginRight = page->MarginRight;
    loaded->MarginBottom = page->MarginBottom;
    loaded->Duplex = static_cast<TKSDuplex>(page->Duplex);
    loaded->PrintMetrics = page->PrintMetrics;
    loaded->PaperWidthPixels = loaded->PaperWidthInPixels();
    loaded->PaperHeightPixels = loaded->PaperHeightInPixels();
    loaded->ParentReport = report_;

    if (page->compressed_) {
        platform::MemoryStream plain(DecompressPageStream(page->stream_.bytes()));
        readObjects(plain, *loaded, report_);
    } else {
        platform::MemoryStream view = platform::MemoryStream::wrap(page->stream_.data(), page->stream_.bytes().size());
        readObjects(view, *loaded, report_);
    }
    if (bindEvents && report_)
        report_->BindPreparedPageEvents(*loaded);
    page->loaded_ = std::move(loaded);
    return page->loaded_.get();
}

void TKSEndPages::WriteBack(int index)
{
    TKSEndPage* page = Page(index);
    if (!page || !page->loaded_)
        return;
    page->WaitForCompression();
    platform::MemoryStream out;
    for (TKSView* view : page->loaded_->Objects()) {
        auto* reportView = dynamic_cast<TKSReportView*>(view);
        if (!reportView)
            continue;
        // A loaded object holds its final text in Memo; the prepared form stores Memo1.
        reportView->Memo1 = reportView->Memo;
        reportView->WriteObjectRecord(out);
    }
    page->stream_ = std::move(out);
    page->compressed_ = false;
    FinishPage(index);
}

void TKSEndPages::FreePage(int index)
{
    TKSEndPage* page = Page(index);
    if (!page)
        return;
    page->WaitForCompression();
    if (report_ && page->loaded_ && report_->CurPage == page->loaded_.get())
        report_->CurPage = nullptr;
    page->loaded_.reset();
}

void TKSEndPages::DrawPage(int index, platform::Canvas& canvas, const platform::Rect& r, bool printing)
{
    TKSEndPage* page = Page(index);
    if (!page)
        return;
    page->WaitForCompression();
    if (report_)
        report_->SetDocMode(printing && report_->PrintScale == 100 && report_->PaperOverride == -1 ? ksdmPrinting
                                                                                                 : ksdmPreviewing);
    TKSReportPage* loaded = page->loaded_.get();
    if (!loaded) {
        try {
            loaded = LoadPage(index, !printing);
        } catch (const std::exception&) {
            return;  // undecodable page data draws nothing, like any view that cannot draw
        }
    }
    if (!loaded)
        return;
    if (report_)
        report_->CurPage = loaded;

    const int paperWidth = loaded->PaperWidthInPixels();
    const int paperHeight = loaded->PaperHeightInPixels();
    if (paperWidth <= 0 || paperHeight <= 0)
        return;
    const double sx = double(r.width()) / paperWidth;
    const double sy = double(r.height()) / paperHeight;
    const int ox = roundHalfEven(fromMMThousandths(page->MarginLeft, ksutScreenPixels) * sx);
    const int oy = roundHalfEven(fromMMThousandths(page->MarginTop, ksutScreenPixels) * sy);
    const bool printBackground = !report_ || report_->PrintBackground();

    for (TKSView* view : loaded->Objects()) {
        if (printing) {
            if (!view->Flag(ksf::Printable) && !printBackground)
                continue;
        } else {
            const int left = r.left + ox + roundHalfEven(view->spLeft() * sx);
            const int top = r.top + oy + roundHalfEven(view->spTop() * sy);
            const platform::Rect area{left - kClipSlack, top - kClipSlack,
                                      left + roundHalfEven(view->spWidth() * sx) + kClipSlack,
                                      top + roundHalfEven(view->spHeight() * sy) + kClipSlack};
            if (!canvas.rectVisible(area))
                continue;
        }
        view->ScaleX = sx;
        view->ScaleY = sy;
        view->OffsetX = r.left + ox;
        view->OffsetY = r.top + oy;
        view->DrawingToPrinter = printing;
        view->Draw(canvas);
    }
}
