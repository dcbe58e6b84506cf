// TKSReportPage: building one template page: start position, fixed bands,
// new pages and columns with their headers and footers, and the page outline.
#include "core/report.h"
#include "core/reportpage.h"
#include "core/textutil.h"
#include "core/units.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/subreport.h"
#include "script/values.h"

#include <algorithm>

namespace {

std::string outlineEntry(const std::string& text, int page, int y, int level)
{
    return text + '\x01' + std::to_string(page) + '\x01' + std::to_string(toScreenPixels(y, ksutMMThousandths)) +
           '\x01' + std::to_string(level);
}

} // namespace

platform::Stream& TKSReportPage::pageStream()
{
    TKSReport& report = *Report();
    TKSEndPage* page = OutputPages().Page(report.PreparedPageNo);
    if (!page)
        throw std::logic_error("No prepared page " + std::to_string(report.PreparedPageNo) + " to write into");
    // Cross columns go back to a page that was finished when the next one started.
    if (page->IsCompressed())
        OutputPages().SetPageCompressed(report.PreparedPageNo, false);
    platform::Stream& s = page->Stream();
    s.seek(s.size());
    return s;
}

void TKSReportPage::startPreparedPage()
{
    TKSReport& report = *Report();
    OutputPages().Add(*this, TemplatePageNo);
    // The list is the authority on where the new page is.
    report.PreparedPageNo = OutputPages().Count() - 1;
}

void TKSReportPage::writePageOutline()
{
    if (OutlineText().empty())
        return;
    TKSReport& report = *Report();
    platform::Variant value = report.EvaluateText(OutlineText());
    std::string text = value.isNull() ? "[None]" : value.toString();
    OutputPages().Outline.push_back(outlineEntry(text, report.PreparedPageNo, CurY, OutlineLevel));
}

void TKSReportPage::BuildPage()
{
    if (inBuild_)
        throw std::runtime_error("Page " + Name() + " is its own sub-report");
    inBuild_ = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{inBuild_};
    TKSReport& report = *Report();
    OutlineLevel = 0;
    keep_ = {};
    printQueue_.clear();
    Finishing = false;
    buildFixedSubReports();
    FirstPageIndex = PageNoBase = report.PreparedPageNo;
    CurColumn = 0;
    platform::EventArgs none;
    OnActivate(this, none);
    const bool child = isChildSubReport();
    if (child) {
        // CurX, CurY and OriginX were set by the band that holds the sub-report.
        BottomLimit = PageBottom();
    } else if (report.PageContinues && report.SavedCurY != report.SavedBottom &&
               OutputPages().Page(report.PreparedPageNo)) {
        CurX = 0;
        BottomLimit = report.SavedBottom;
        CurY = report.SavedCurY;
        writePageOutline();
    } else {
        CurX = 0;
        BottomLimit = PageBottom();
        startPreparedPage();
        FirstPageIndex = PageNoBase = report.PreparedPageNo;
        CurY = 0;
        writePageOutline();
        PrintBand(FirstBand(ksbtOverlay));
        PrintBand(FirstBand(ksbtNone));
    }
    const bool manual = static_cast<bool>(report.OnManualBuild);
    if (manual) {
        platform::EventArgs args{makeObjectValue(this)};
        report.FireEvent(report.OnManualBuild, args);
    } else {
        PrintBand(FirstBand(ksbtReportTitle));
        if (TKSBand* header = FirstBand(ksbtPageHeader); header && header->Flag(ksbf::PrintOnFirstPage))
            PrintBand(header);
        ColumnTop = CurY;
        PrintBand(FirstBand(ksbtColumnHeader));
        dataLoop(1, nullptr);
    }
    Finishing = true;
    LastBand = nullptr;
    if (!manual && !report.Terminated) {
        TKSBand* columnFooter = FirstBand(ksbtColumnFooter);
        if (columnFooter && columnFooter->Flag(ksbf::PrintBeforeSummaryBand)) {
            PrintBand(FirstBand(ksbtReportSummary));
            printColumnFooter();
        } else {
            printColumnFooter();
            PrintBand(FirstBand(ksbtReportSummary));
        }
    }
    Finishing = false;
    report.SavedCurY = CurY;
    report.SavedBottom = BottomLimit;
    CurX = IsSubReportPage ? OriginX : 0;
    const int lastPage = report.PreparedPageNo;
    if (!manual && !report.Terminated)
        printPageFooter(true);
    finishSubReportPages();
    if (!crossBandOf_.empty())
        finishReopenedPages();
    platform::EventArgs pageNo{platform::Variant(report.PreparedPageNo)};
    report.FireEvent(report.OnEndPage, pageNo);
    OnEndPage(this, pageNo);
    if (!child)
        report.PreparedPageNo = std::max(lastPage, report.PreparedPageNo) + 1;
    LastBand = nullptr;
    keep_ = {};
    subBuilds_.clear();
}

bool TKSReportPage::continuesOnNextPage() const
{
    TKSReport& report = *Report();
    const int at = report.Pages.IndexOf(this);
    for (int i = at + 1; at >= 0 && i < report.Pages.Count(); ++i)
        if (auto* next = dynamic_cast<TKSReportPage*>(report.Pages.Page(i)))
            return next->PrintToPrevPage;
    return false;
}

void TKSReportPage::printColumnFooter()
{
    // Calculated memos of the column footer are recalculated here in a first
    // pass once calculated memos exist.
    PrintBand(FirstBand(ksbtColumnFooter));
}

void TKSReportPage::printPageFooter(bool final)
{
    TKSReport& report = *Report();
    CurColumn = 0;
    CurX = IsSubReportPage ? OriginX : 0;
    TKSBand* footer = FirstBand(ksbtPageFooter);
    const bool first = report.PreparedPageNo == FirstPageIndex;
    if (footer && !(first && !footer->Flag(ksbf::PrintOnFirstPage)) &&
        !(final && !footer->Flag(ksbf::PrintOnLastPage)) && !(final && continuesOnNextPage())) {
        platform::EventArgs pageNo{platform::Variant(report.PreparedPageNo)};
        report.FireEvent(report.OnEndPage, pageNo);
        OnEndPage(this, pageNo);
        PrintBand(footer);
    }
    report.PreparedPageNo = OutputPages().Count() - 1;
}

void TKSReportPage::NewPage()
{
    TKSReport& report = *Report();
    if (childParent_) {
        // A child sub-report breaks the page of the band that holds it and
        // goes on below that page's headers.
        childParent_->NewPage();
        CurY = childParent_->CurY;
        BottomLimit = PageBottom();
        LastBand = nullptr;
        return;
    }
    if (newPageDepth_ > 8)
        throw std::runtime_error("Page " + Name() + ": the page headers do not fit on an empty page");
    ++newPageDepth_;
    struct Depth {
        int& d;
        ~Depth() { --d; }
    } depth{newPageDepth_};
    InNewPage = true;
    report.ShowProgressPage(report.PreparedPageNo + 1);
    cutKeepBlock();
    if (!Finishing)
        printColumnFooter();
    printPageFooter(false);
    mergeSubReportPages(report.PreparedPageNo);
    if ((AutoHCenter || AutoVCenter) && report.FinalPass())
        CenterPreparedPage(report.PreparedPageNo);
    ++report.PreparedPageNo;
    startPreparedPage();
    if (LastBand && LastBand->IsMultiColumn() && LastBand->CurrentColumn > 1)
        CurX = LastBand->ColumnX;
    LastBand = nullptr;
    BottomLimit = PageBottom();
    report.PageContinues = false;
    PrintBand(FirstBand(ksbtOverlay));
    CurY = 0;
    if (!Reprinting) {
        PrintBand(FirstBand(ksbtPageHeader));
        ColumnTop = CurY;
        PrintBand(FirstBand(ksbtColumnHeader));
    }
    for (int type : {ksbtGroupHeader, ksbtMasterData, ksbtDetailData})
        for (TKSBand* band : BandLists[std::size_t(type)])
            band->PageRows = 0;
    // A merged run of repeated values does not reach across a page break.
    for (int type : {ksbtMasterData, ksbtDetailData})
        for (TKSBand* band : BandLists[std::size_t(type)])
            for (TKSView* view : band->BandObjects)
                if (auto* memo = dynamic_cast<TKSCustomMemoView*>(view);
                    memo && memo->RepeatedOptions.SuppressRepeated && memo->RepeatedOptions.MergeRepeated)
                    memo->LastValue.clear();
    InNewPage = false;
    if (newPageDepth_ == 1)
        reemitKeepBlock();
}

void TKSReportPage::NewColumn(TKSBand* caller)
{
    ++newPageDepth_;
    InNewPage = true;
    if (CurColumn < ColumnCount() - 1 && !childParent_) {
        cutKeepBlock();
        printColumnFooter();
        ++CurColumn;
        CurX += PageColumnWidth + ColumnGap;
        CurY = ColumnTop;
        PrintBand(FirstBand(ksbtColumnHeader));
    } else {
        NewPage();
    }
    InNewPage = true;
    try {
        reprintAfterBreak(caller);
    } catch (...) {
        --newPageDepth_;
        throw;
    }
    if (caller)
        caller->ColumnY = CurY;
    InNewPage = false;
    if (--newPageDepth_ == 0)
        reemitKeepBlock();
}

// Group headers, then the headers of the calling data band's master chain
// (outermost first), that ask to be repeated after a break.
void TKSReportPage::reprintAfterBreak(TKSBand* caller)
{
    TKSReport& report = *Report();
    for (TKSBand* group : BandLists[ksbtGroupHeader]) {
        if (group == caller)
            continue;
        group->PageRows = 0;
        // Only groups that already started print again.
        if (group->Flag(ksbf::ReprintOnNewPage) && !Finishing && group->LastPageIndex >= 0 &&
            (!caller || group->Master == caller || group->Master == caller->Master)) {
            group->Reprint = true;
            group->CurrentColumn = 1;
            PrintBand(group);
        }
    }
    if (!caller || !caller->IsDataBand())
        return;
    std::vector<TKSBand*> headers;
    for (TKSBand* b = caller; b && headers.size() <= BandLists[ksbtDetailData].size() + 1; b = b->Master) {
        if (b->Header && b->Header->Flag(ksbf::ReprintOnNewPage))
            headers.push_back(b->Header);
        if (b->Master == b)
            break;
    }
    for (auto it = headers.rbegin(); it != headers.rend() && !report.Terminated; ++it) {
        (*it)->Reprint = true;
        PrintBand(*it);
    }
}

bool TKSReportPage::ShowBand(std::string_view name)
{
    for (auto& list : BandLists)
        for (TKSBand* band : list)
            if (namesEqual(band->Name(), name)) {
                PrintBand(band);
                return true;
            }
    return false;
}

void TKSReportPage::PrintBand(TKSBand* band)
{
    if (!band)
        return;
    TKSReport& report = *Report();
    if (report.Terminated)
        return;
    if (report.OnBeforePrintBand) {
        platform::EventArgs args{makeObjectValue(band), platform::Variant(true)};
        report.FireEvent(report.OnBeforePrintBand, args);
        if (!args.at(1).toBool()) {
            band->Reprint = false;
            return;
        }
    }
    printBandNow(*band);
}
