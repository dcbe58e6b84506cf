// TKSEndPage and TKSEndPages: the prepared-page list, its backgrounds and the
// finishing (compression) of pages.
#include "core/endpages.h"

#include "core/compressthread.h"
#include "core/report.h"

#include <algorithm>
#include <stdexcept>

namespace {

platform::MemoryStream streamOf(std::string bytes)
{
    return platform::MemoryStream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

int compressionLevelOf(const TKSReport* report)
{
    return report ? report->CompressLevel : kszcDefault;
}

} // namespace

// ---------------------------------------------------------------- TKSEndPage

TKSEndPage::TKSEndPage() = default;

TKSEndPage::~TKSEndPage()
{
    loaded_.reset();
    thread_.reset();  // waits for the work; its handler does not run any more
}

void TKSEndPage::WaitForCompression()
{
    if (!thread_)
        return;
    thread_->WaitFor();
    thread_.reset();
}

platform::MemoryStream& TKSEndPage::Stream()
{
    WaitForCompression();
    return stream_;
}

void TKSEndPage::SetStream(platform::MemoryStream stream, bool compressed)
{
    WaitForCompression();
    stream_ = std::move(stream);
    compressed_ = compressed;
}

std::string TKSEndPage::DecompressedBytes()
{
    WaitForCompression();
    return compressed_ ? DecompressPageStream(stream_.bytes()) : stream_.toString();
}

// ---------------------------------------------------------------- TKSEndPages

TKSEndPages::TKSEndPages(TKSReport* report) : report_(report) {}

TKSEndPages::~TKSEndPages() = default;

TKSEndPage* TKSEndPages::Page(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

void TKSEndPages::Clear()
{
    if (report_)
        for (const auto& page : pages_)
            if (page->loaded_ && report_->CurPage == page->loaded_.get())
                report_->CurPage = nullptr;
    pages_.clear();
    backgrounds_.clear();
    Outline.clear();
}

TKSEndPage& TKSEndPages::makePage(TKSReportPage& templatePage, int templatePageNo)
{
    auto page = std::make_unique<TKSEndPage>();
    page->PageSize = static_cast<std::uint16_t>(templatePage.PageSize);
    page->PageWidth = templatePage.PageWidth;
    page->PageHeight = templatePage.PageHeight;
    page->PageOrientation = templatePage.PageOrientation;
    page->PageBin = templatePage.PageBin;
    page->MarginLeft = templatePage.MarginLeft;
    page->MarginTop = templatePage.MarginTop;
    page->MarginRight = templatePage.MarginRight;
    page->MarginBottom = templatePage.MarginBottom;
    page->Duplex = templatePage.Duplex;
    page->TemplatePageNo = static_cast<std::uint8_t>(templatePageNo);
    page->PrintMetrics = templatePage.PrintMetrics;
    page->BackgroundIndex = templatePage.ShowBackPicture ? std::max(0, BackgroundCount() - 1) : 0;
    TKSEndPage& result = *page;
    pages_.push_back(std::move(page));
    return result;
}

TKSEndPage& TKSEndPages::Add(TKSReportPage& templatePage, int templatePageNo)
{
    FinishPage(Count() - 1);
    if (report_)
        report_->FireBeginPage(&templatePage);
    return makePage(templatePage, templatePageNo);
}

TKSEndPage& TKSEndPages::Insert(int index, TKSReportPage& templatePage, int templatePageNo)
{
    makePage(templatePage, templatePageNo);
    index = std::clamp(index, 0, Count() - 1);
    std::rotate(pages_.begin() + index, pages_.end() - 1, pages_.end());
    return *pages_[static_cast<std::size_t>(index)];
}

TKSEndPage& TKSEndPages::Append(std::unique_ptr<TKSEndPage> page)
{
    if (!page)
        throw std::invalid_argument("TKSEndPages::Append: no page");
    pages_.push_back(std::move(page));
    return *pages_.back();
}

void TKSEndPages::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FreePage(index);
    pages_.erase(pages_.begin() + index);
}

void TKSEndPages::Exchange(int a, int b)
{
    if (!Page(a) || !Page(b))
        throw std::out_of_range("TKSEndPages::Exchange: page index out of range");
    std::swap(pages_[static_cast<std::size_t>(a)], pages_[static_cast<std::size_t>(b)]);
}

void TKSEndPages::AddBackground(TKSBkPicture picture)
{
    backgrounds_.push_back(std::move(picture));
}

const TKSBkPicture& TKSEndPages::Background(int index) const
{
    if (index < 0 || index >= BackgroundCount())
        throw std::out_of_range("TKSEndPages::Background: index out of range");
    return backgrounds_[static_cast<std::size_t>(index)];
}

void TKSEndPages::FinishPage(int index)
{
    TKSEndPage* page = Page(index);
    if (!page || !Compressed || page->compressed_)
        return;
    page->WaitForCompression();
    page->compressed_ = true;
    const int level = compressionLevelOf(report_);
    if (report_ && report_->CompressThread) {
        page->thread_ = std::make_unique<TKSCompressThread>(
            page->stream_.bytes(), level, [page](std::optional<std::string> packed) {
                if (packed)
                    page->stream_ = streamOf(std::move(*packed));
                else
                    page->compressed_ = false;  // kept as it was
            });
    } else {
        page->stream_ = streamOf(CompressPageStream(page->stream_.bytes(), level));
    }
}

void TKSEndPages::SetPageCompressed(int index, bool compressed)
{
    TKSEndPage* page = Page(index);
    if (!page)
        return;
    page->WaitForCompression();
    if (page->compressed_ == compressed)
        return;
    page->stream_ = streamOf(compressed ? CompressPageStream(page->stream_.bytes(), compressionLevelOf(report_))
                                        : DecompressPageStream(page->stream_.bytes()));
    page->compressed_ = compressed;
}
