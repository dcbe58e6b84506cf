// TKSReportPage: sub-reports: fixed ones built into their own prepared pages
// and merged page by page, child ones built in place inside a data band.
#include "core/endpages.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "core/streamio.h"
#include "core/units.h"
#include "objects/band.h"
#include "objects/subreport.h"
#include "objects/viewfactory.h"

#include "core/outline_entry.h"

#include <algorithm>

TKSEndPages& TKSReportPage::OutputPages() const { return Output ? *Output : Report()->EndPages; }

bool TKSReportPage::isChildSubReport() const { return childParent_ != nullptr; }

TKSReportPage& TKSReportPage::subReportPage(const TKSSubReportView& view) const
{
    TKSReport& report = *Report();
    auto* page = dynamic_cast<TKSReportPage*>(report.Pages.Page(view.SubPage));
    if (!page)
        throw std::runtime_error("Sub-report " + view.Name() + " on page " + Name() + " names no report page (index " +
                                 std::to_string(view.SubPage) + ")");
    return *page;
}

void TKSReportPage::LinkSubReports()
{
    for (TKSView* view : Objects())
        if (auto* sub = dynamic_cast<TKSSubReportView*>(view)) {
            if (&subReportPage(*sub) == this)
                throw std::runtime_error("Page " + Name() + " is its own sub-report");
            sub->Prepare();
        }
}

// Each fixed sub-report's page is built before this page, into a list of its own.
void TKSReportPage::buildFixedSubReports()
{
    subBuilds_.clear();
    TKSReport& report = *Report();
    for (TKSSubReportView* view : FixedSubReports) {
        TKSReportPage& page = subReportPage(*view);
        SubReportBuild build;
        build.view = view;
        build.pages = std::make_unique<TKSEndPages>(&report);
        build.pages->Compressed = false;  // merged soon, and freed after this page
        const int savedNo = report.PreparedPageNo;
        TKSCustomPage* savedPage = report.CurPage;
        const bool savedContinues = report.PageContinues;
        report.PreparedPageNo = 0;
        report.PageContinues = false;
        report.CurPage = &page;
        page.Output = build.pages.get();
        page.BuiltAsSubReport = true;
        auto restore = [&] {
            page.Output = nullptr;
            report.PreparedPageNo = savedNo;
            report.CurPage = savedPage;
            report.PageContinues = savedContinues;
        };
        try {
            page.BuildPage();
        } catch (...) {
            restore();
            throw;
        }
        restore();
        subBuilds_.push_back(std::move(build));
    }
}

// Writes page `index` (absolute) of every fixed sub-report into the main page
// closing at that index, moved by the sub-report object's position.
void TKSReportPage::mergeSubReportPages(int index)
{
    TKSReport& report = *Report();
    const int i = index - FirstPageIndex;
    for (SubReportBuild& build : subBuilds_) {
        const int count = build.pages->Count();
        int source = i < count ? i : -1;
        if (source < 0 && count > 0 && build.view->Flag(ksf::ReprintLastPage))
            source = count - 1;
        if (source < 0)
            continue;
        platform::MemoryStream in(build.pages->Page(source)->DecompressedBytes());
        platform::Stream& out = pageStream();
        while (in.position() < in.size()) {
            const std::uint8_t type = readByte(in);
            if (type > ksgtAddIn)
                break;
            const std::string className = type == ksgtAddIn ? readString(in) : std::string();
            std::unique_ptr<TKSView> view = CreateView(type, className);
            if (!view)
                throw std::runtime_error("Sub-report " + build.view->Name() + ": damaged prepared page");
            view->PreparedForm = true;
            view->ParentReport = ParentReport;
            view->LoadFromStream(in);
            view->mmLeft += build.view->mmLeft;
            view->mmTop += build.view->mmTop;
            view->Memo1 = view->Memo;  // a loaded object holds its final text in Memo
            if (auto* object = dynamic_cast<TKSReportView*>(view.get()))
                object->WriteObjectRecord(out);
        }
        if (source != i)
            continue;  // a reprinted last page brings no outline entries
        const int dy = toScreenPixels(build.view->mmTop, ksutMMThousandths);
        for (const std::string& entry : build.pages->Outline)
            if (outlinePage(entry) == source)
                report.EndPages.Outline.push_back(movedOutlineEntry(entry, index, dy));
    }
}

bool TKSReportPage::subReportPagesPending() const
{
    const int merged = Report()->PreparedPageNo - FirstPageIndex + 1;
    return std::any_of(subBuilds_.begin(), subBuilds_.end(),
                       [merged](const SubReportBuild& b) { return b.pages->Count() > merged; });
}

// The last page of this page's output, then further pages while a fixed
// sub-report has more pages than this page.
void TKSReportPage::finishSubReportPages()
{
    if (subBuilds_.empty())
        return;
    TKSReport& report = *Report();
    mergeSubReportPages(report.PreparedPageNo);
    while (subReportPagesPending() && !report.Terminated) {
        report.PreparedPageNo = OutputPages().Count();
        startPreparedPage();
        CurY = 0;
        PrintBand(FirstBand(ksbtOverlay));
        mergeSubReportPages(report.PreparedPageNo);
    }
}

// A child sub-report page built at (x, y) of this page's current prepared page.
void TKSReportPage::buildAsChild(TKSReportPage& parent, int x, int y)
{
    // The child prints on its parent's paper.
    PageSize = parent.PageSize;
    PageWidth = parent.PageWidth;
    PageHeight = parent.PageHeight;
    PageOrientation = parent.PageOrientation;
    PaperWidthPixels = parent.PaperWidthPixels;
    PaperHeightPixels = parent.PaperHeightPixels;
    PrintMetrics = parent.PrintMetrics;
    TemplatePageNo = parent.TemplatePageNo;
    Output = parent.Output;
    childParent_ = &parent;
    CurX = OriginX = x;
    CurY = y;
    TKSReport& report = *Report();
    TKSCustomPage* savedPage = report.CurPage;
    report.CurPage = this;
    auto restore = [&] {
        childParent_ = nullptr;
        Output = nullptr;
        report.CurPage = savedPage;
    };
    try {
        BuildPage();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TKSReportPage::buildChildSubReports(TKSBand& band, int height)
{
    if (band.ChildSubReports.empty())
        return;
    TKSReport& report = *Report();
    const int startPage = report.PreparedPageNo;
    const int bandTop = band.mmTop;
    int end = bandTop + height;
    bool ranOn = false;
    for (TKSView* view : band.ChildSubReports) {
        auto* sub = dynamic_cast<TKSSubReportView*>(view);
        if (!sub || report.Terminated)
            continue;
        TKSReportPage& page = subReportPage(*sub);
        const int pageBefore = report.PreparedPageNo;
        page.buildAsChild(*this, CurX + XOffset + sub->mmLeft, bandTop + YOffset + sub->mmTop);
        // Space of the band below the sub-report object goes on below its output.
        const int below = std::max(0, height - (sub->mmTop + sub->mmHeight));
        const int subEnd = page.CurY + below;
        if (report.PreparedPageNo != pageBefore) {
            ranOn = true;
            end = subEnd;
        } else {
            end = std::max(end, std::max(subEnd, bandTop + sub->mmTop + sub->mmHeight + below));
        }
    }
    band.Advance = false;
    CurY = ranOn || report.PreparedPageNo != startPage ? end : std::max(end, bandTop + height);
}
