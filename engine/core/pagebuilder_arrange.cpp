// TKSReportPage: preparation of a page for a pass: band lists in top order,
// objects attached to the bands that hold them, and the links between bands.
#include "core/report.h"
#include "core/reportpage.h"
#include "core/units.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/subreport.h"

#include <algorithm>

namespace {

// Option bits no class of this system names; objects carrying the first are
// told about every written memo, and with the second too they need the first
// pass's output.
constexpr std::uint32_t kWatchesMemos = 33554432;
constexpr std::uint32_t kNeedsFirstPassOutput = 131072;

bool needsFirstPassOutput(TKSView& view)
{
    if (auto* memo = dynamic_cast<TKSCustomMemoView*>(&view); memo && memo->RepeatedOptions.MergeStretchedHeight)
        return true;
    return view.Flag(kWatchesMemos) && view.Flag(kNeedsFirstPassOutput);
}

// Inserts before the first band whose top is strictly greater.
void insertByTop(std::vector<TKSBand*>& list, TKSBand* band)
{
    auto at = std::upper_bound(list.begin(), list.end(), band,
                               [](const TKSBand* a, const TKSBand* b) { return a->mmTop < b->mmTop; });
    list.insert(at, band);
}

} // namespace

TKSReport* TKSReportPage::Report() const { return dynamic_cast<TKSReport*>(ParentReport); }

TKSBand* TKSReportPage::FirstBand(int type) const
{
    if (type < 0 || type >= int(BandLists.size()) || BandLists[std::size_t(type)].empty())
        return nullptr;
    return BandLists[std::size_t(type)].front();
}

int TKSReportPage::PageBottom() const
{
    int bottom = toMMThousandths(PaperHeightPixels, ksutScreenPixels) - MarginTop - MarginBottom;
    if (IsSubReportPage && SubReport && SubReport->SubReportType == ksstChild && !ParentChain.empty())
        if (auto* outer = dynamic_cast<TKSReportPage*>(ParentChain.back()))
            return outer->PageBottom();
    if (TKSBand* footer = FirstBand(ksbtPageFooter))
        bottom -= footer->mmHeight;
    return bottom;
}

void TKSReportPage::PreparePage()
{
    TKSReport* report = Report();
    if (!report)
        throw std::runtime_error("Page " + Name() + " belongs to no report");
    LastBand = nullptr;
    const bool finalOfTwo = report->DoublePass() && report->FinalPass();
    for (TKSView* view : Objects()) {
        if (needsFirstPassOutput(*view))
            report->WriteInFirstPass = true;
        if (auto* band = dynamic_cast<TKSBand*>(view)) {
            band->LastPageIndex = -1;
            if (finalOfTwo && band->Dataset)
                band->Dataset->Init();
        } else if (!dynamic_cast<TKSSubReportView*>(view)) {
            view->Prepare();
        }
        // Merged repeated values join only on the prepared page they started on.
        if (auto* memo = dynamic_cast<TKSCustomMemoView*>(view))
            memo->CurrentPageNo = [report] { return report->PreparedPageNo; };
        if (view->Flag(kWatchesMemos))
            report->PassObjects.push_back(view);
    }
    if (finalOfTwo)
        return;  // the first pass's arrangement stays in force
    for (auto& list : BandLists)
        list.clear();
    XOffset = YOffset = 0;
    arrangeBands();
    RowCounter = CrossColumnCounter = 1;
    const int printable = toMMThousandths(PaperWidthPixels, ksutScreenPixels) - MarginLeft - MarginRight;
    PageColumnWidth = (printable - (ColumnCount() - 1) * ColumnGap) / ColumnCount();
    bindObjectFields();
    // Aggregates of footer bands are registered with the data bands here once
    // calculated memos exist.
}

// Dictionary fields are bound to objects whose whole text is one bracketed
// expression here once the dictionary resolves field references.
void TKSReportPage::bindObjectFields() {}

void TKSReportPage::arrangeBands()
{
    ownBands_.clear();
    FixedSubReports.clear();
    for (TKSView* view : Objects()) {
        view->ParentBand = nullptr;
        if (auto* band = dynamic_cast<TKSBand*>(view))
            band->ResetArrangement();
        if (auto* sub = dynamic_cast<TKSSubReportView*>(view); sub && sub->SubReportType == ksstFixed)
            FixedSubReports.push_back(sub);
    }
    arrangeCrossBands();
    std::vector<bool> attached(Objects().size(), false);
    for (TKSView* view : Objects()) {
        auto* band = dynamic_cast<TKSBand*>(view);
        if (!band || band->IsCross() || band->BandType > ksbtChild)
            continue;
        insertByTop(BandLists[band->BandType], band);
        band->Prepare();
        attachObjects(*band, attached);
    }
    // Objects on no band print where they were designed, on an invisible band at 0.
    for (std::size_t i = 0; i < Objects().size(); ++i) {
        TKSView* view = Objects()[i];
        if (attached[i] || view->IsBand || dynamic_cast<TKSSubReportView*>(view) || crossBandOf_.count(view))
            continue;
        if (BandLists[ksbtNone].empty()) {
            auto none = std::make_unique<TKSBand>();
            none->BandType = ksbtNone;
            none->ParentReport = ParentReport;
            BandLists[ksbtNone].push_back(none.get());
            ownBands_.push_back(std::move(none));
        }
        view->ParentBand = BandLists[ksbtNone].front();
        BandLists[ksbtNone].front()->BandObjects.push_back(view);
    }
    for (TKSView* view : Objects())
        if (auto* band = dynamic_cast<TKSBand*>(view); band && !band->ChildBand().empty())
            band->ResolvedChild = dynamic_cast<TKSBandChild*>(FindObject(band->ChildBand()));
    pairHeadersAndFooters();
    pairGroups();
    assignDetailLevels();
    if (FirstBand(ksbtCrossData))
        for (int type = ksbtHeader; type <= ksbtChild; ++type)
            for (TKSBand* band : BandLists[std::size_t(type)])
                band->PrepareCrossDataset();
}

void TKSReportPage::attachObjects(TKSBand& band, std::vector<bool>& attached)
{
    const bool stretched = band.Flag(ksbf::Stretched);
    for (std::size_t i = 0; i < Objects().size(); ++i) {
        TKSView* view = Objects()[i];
        if (attached[i] || view->IsBand)
            continue;
        if (view->mmTop < band.mmTop || view->mmTop + view->mmHeight > band.mmTop + band.mmHeight)
            continue;
        if (auto* sub = dynamic_cast<TKSSubReportView*>(view)) {
            if (!band.IsDataBand() || sub->SubReportType != ksstChild)
                continue;
            band.ChildSubReports.push_back(view);
        }
        attached[i] = true;
        view->ParentBand = &band;
        view->mmTop -= band.mmTop;
        if (!stretched)
            view->SetFlag(ksf::Stretched, false);
        band.BandObjects.push_back(view);
    }
}

void TKSReportPage::pairHeadersAndFooters()
{
    std::vector<TKSBand*> data;  // master and detail bands in top order
    for (int type : {ksbtMasterData, ksbtDetailData})
        for (TKSBand* b : BandLists[std::size_t(type)])
            insertByTop(data, b);
    auto named = [&](const std::string& name) -> TKSBand* {
        if (name.empty())
            return nullptr;
        auto* b = dynamic_cast<TKSBand*>(FindObject(name));
        return b && b->IsDataBand() && b->Visible ? b : nullptr;
    };
    for (TKSBand* header : BandLists[ksbtHeader]) {
        TKSBand* target = named(header->DataBandName());
        if (!target)
            for (TKSBand* d : data)
                if (d->mmTop > header->mmTop && !d->Header) {
                    target = d;
                    break;
                }
        if (target)
            target->Header = header;
    }
    for (TKSBand* footer : BandLists[ksbtFooter]) {
        TKSBand* target = named(footer->DataBandName());
        if (!target)
            for (auto it = data.rbegin(); it != data.rend(); ++it)
                if ((*it)->mmTop < footer->mmTop && !(*it)->Footer) {
                    target = *it;
                    break;
                }
        if (target)
            target->Footer = footer;
    }
}

void TKSReportPage::pairGroups()
{
    auto& headers = BandLists[ksbtGroupHeader];
    std::vector<TKSBand*> footers = BandLists[ksbtGroupFooter];
    // Footers naming their header first, then the rest innermost-last.
    for (TKSBand* footer : footers)
        if (auto* h = dynamic_cast<TKSBand*>(FindObject(footer->MasterBandName()));
            h && h->BandType == ksbtGroupHeader && !h->GroupFooter) {
            h->GroupFooter = footer;
            footer->GroupHeader = h;
        }
    auto free = footers.rbegin();
    for (std::size_t i = 0; i < headers.size(); ++i) {
        TKSBand* h = headers[i];
        h->GroupLevel = int(i) + 1;
        h->FirstGroup = i == 0;
        while (!h->GroupFooter && free != footers.rend()) {
            TKSBand* f = *free++;
            if (!f->GroupHeader) {
                h->GroupFooter = f;
                f->GroupHeader = h;
            }
        }
        if (!h->GroupFooter) {
            auto footer = std::make_unique<TKSBand>();
            footer->BandType = ksbtGroupFooter;
            footer->Visible = false;
            footer->mmHeight = 0;
            footer->ParentReport = ParentReport;
            footer->GroupHeader = h;
            h->GroupFooter = footer.get();
            ownBands_.push_back(std::move(footer));
        }
        TKSBand* master = dynamic_cast<TKSBand*>(FindObject(h->MasterBandName()));
        if (!master || master->BandType != ksbtMasterData)
            master = FirstBand(ksbtMasterData);
        if (master) {
            h->Master = master;
            master->Groups.push_back(h);  // headers arrive in top order: outer to inner
        }
    }
}

void TKSReportPage::assignDetailLevels()
{
    MaxDetailLevel = 0;
    for (TKSBand* m : BandLists[ksbtMasterData]) {
        m->DetailLevel = 1;
        MaxDetailLevel = 1;
    }
    // A detail band's master may itself be a detail band further down the list;
    // levels settle within as many rounds as there are detail bands.
    auto& details = BandLists[ksbtDetailData];
    for (TKSBand* d : details) {
        auto* m = dynamic_cast<TKSBand*>(FindObject(d->MasterBandName()));
        if (!m || !m->IsDataBand() || m == d)
            m = FirstBand(ksbtMasterData);
        d->Master = m;
    }
    for (std::size_t round = 0; round < details.size(); ++round)
        for (TKSBand* d : details) {
            d->DetailLevel = d->Master && d->Master->DetailLevel > 0 ? d->Master->DetailLevel + 1 : 2;
            if (d->DetailLevel > int(details.size()) + 1)
                throw std::runtime_error("Detail band " + d->Name() + " is its own master");
            MaxDetailLevel = std::max(MaxDetailLevel, d->DetailLevel);
        }
}

void TKSReportPage::UnpreparePage()
{
    // Bands keep their datasets from the first pass of a double pass to its final one.
    TKSReport* report = Report();
    if (report && report->DoublePass() && !report->FinalPass() && !report->Terminated)
        return;
    for (TKSView* view : Objects())
        if (view->IsBand)
            view->Unprepare();
    for (auto& band : ownBands_)
        band->Unprepare();
    LastBand = nullptr;
}
