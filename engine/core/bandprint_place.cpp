// TKSReportPage: printing one band at the current position: events, fitting,
// moving to a new column or page, stretching, band columns and writing objects.
#include "core/report.h"
#include "core/reportpage.h"
#include "core/textutil.h"
#include "core/units.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/subreport.h"
#include "script/values.h"

#include <algorithm>
#include <unordered_map>

namespace {

bool floats(const TKSBand& band)
{
    return band.BandType == ksbtPageFooter || band.BandType == ksbtOverlay || band.BandType == ksbtNone;
}

// Design heights of the band's child, its child, and so on (bounded against loops).
int childChainHeight(const TKSBand& band)
{
    int sum = 0, depth = 0;
    for (const TKSBand* c = band.ResolvedChild; c && depth < 64; c = c->ResolvedChild, ++depth)
        sum += c->mmHeight;
    return sum;
}

struct SavedGeometry {
    TKSView* view;
    int top, height;
};

} // namespace

int TKSReportPage::columnFooterHeight() const
{
    TKSBand* footer = FirstBand(ksbtColumnFooter);
    return footer && footer->Visible ? footer->mmHeight : 0;
}

void TKSReportPage::printBandNow(TKSBand& band)
{
    TKSReport& report = *Report();
    report.CurBand = &band;
    report.SetCurrentView(&band);
    if (band.IsDataBand()) {
        report.CurLine = band.LineNo;
        report.CurLineThrough = band.LineThrough;
    }
    platform::EventArgs bandArg{makeObjectValue(&band)};
    report.FireEvent(report.OnBeginBand, bandArg);
    if (!Reprinting && LastBand && LastBand != &band && LastBand->IsMultiColumn() && LastBand->CurrentColumn > 1)
        CurX = LastBand->ColumnX;
    const bool repeat = band.Reprint;
    if (!repeat) {
        platform::EventArgs none;
        band.OnBeforePrint(&band, none);
    }
    if (report.Terminated)
        return;
    band.Reprint = false;
    if (band.BandType == ksbtReportSummary && band.Visible && band.Flag(ksbf::AlignToBottom)) {
        if (BottomLimit < CurY + band.mmHeight)
            NewPage();
        CurY = BottomLimit - band.mmHeight;
    }
    if (band.BandType == ksbtGroupFooter && band.GroupHeader && band.GroupHeader->KeepOpened) {
        CloseKeepBlock();
        band.GroupHeader->KeepOpened = false;
    }
    if (band.BandType == ksbtGroupHeader && band.Flag2(ksbf2::KeepTogether) && !band.Flag(ksbf::NewPageAfter) &&
        !(band.FirstGroup && band.LastPageIndex < 0)) {
        OpenKeepBlock();
        band.KeepOpened = true;
    }
    if (band.Visible) {
        std::vector<SavedGeometry> saved;
        for (TKSView* v : band.BandObjects)
            saved.push_back({v, v->mmTop, v->mmHeight});
        const int designTop = band.mmTop;
        band.CalcHeight = band.mmHeight;
        if (band.BandType == ksbtColumnHeader)
            ColumnTop = CurY;
        if (band.BandType == ksbtPageFooter)
            band.mmTop = BottomLimit;
        try {
            if (band.Flag(ksbf::Stretched))
                stretchBand(band);
            placeBand(band);
            if (TKSBand* child = band.ResolvedChild; child && child != &band) {
                TKSBand* last = LastBand;
                PrintBand(child);
                LastBand = last;
            }
        } catch (...) {
            for (const SavedGeometry& g : saved)
                g.view->mmTop = g.top, g.view->mmHeight = g.height;
            band.mmTop = designTop;
            throw;
        }
        for (const SavedGeometry& g : saved)
            g.view->mmTop = g.top, g.view->mmHeight = g.height;
        band.mmTop = designTop;
        if (band.Flag(ksbf::NewPageAfter) && !band.IsDataBand() && band.BandType != ksbtGroupHeader)
            NewPage();
    } else if (band.ResolvedChild && band.Flag(ksbf::PrintChildIfInvisible)) {
        PrintBand(band.ResolvedChild);
    }
    if (!repeat) {
        platform::EventArgs none;
        band.OnAfterPrint(&band, none);
    }
    report.FireEvent(report.OnEndBand, bandArg);
}

void TKSReportPage::placeBand(TKSBand& band)
{
    TKSReport& report = *Report();
    band.FirstPart = true;
    band.Advance = true;
    band.Splitting = false;
    if (!Reprinting) {
        if (LastBand && LastBand != &band && LastBand->IsMultiColumn() && !LastBand->Flag(ksbf::PrintColumnFirst))
            CurY = std::max(CurY, LastBand->MaxColumnY);
        if (&band != LastBand)
            band.StartY = CurY;
    }
    if (&band != LastBand) {
        band.CurrentColumn = 1;
        band.ColumnX = CurX;
        band.ColumnY = band.MaxColumnY = CurY;
    } else if (band.IsMultiColumn() && band.Flag(ksbf::PrintColumnFirst)) {
        advanceBandColumn(band);
    }
    if (!floats(band))
        band.mmTop = CurY;
    const int height = band.Flag(ksbf::Stretched) ? std::max(band.CalcHeight, band.mmHeight) : band.mmHeight;
    const bool broke = keepChecksBreak(band, height);
    if (broke && !floats(band))
        band.mmTop = CurY;
    if (fits(band, height, true)) {
        if (!floats(band))
            band.mmTop = CurY;
        writeBand(band, height);
    } else {
        if (InNewPage)
            throw std::runtime_error("Band " + band.Name() + " does not fit on an empty page");
        const bool stretched = band.Flag(ksbf::Stretched);
        const bool whole = (!band.Flag(ksbf::PageBreaked) &&
                            (!stretched || band.LastPageIndex != report.PreparedPageNo || LastBand == &band)) ||
                           Finishing || broke;
        if (whole) {
            breakFor(band);
            if (!floats(band))
                band.mmTop = CurY;
            if (fits(band, height, false))
                writeBand(band, height);
            else
                splitBand(band);
        } else {
            splitBand(band);
        }
    }
    if (band.IsMultiColumn() && !band.Flag(ksbf::PrintColumnFirst))
        band.MaxColumnY = std::max(band.MaxColumnY, CurY);
    if (!Reprinting)
        LastBand = &band;
    band.LastPageIndex = report.PreparedPageNo;
    if (band.IsDataBand())
        ++band.PageRows;  // aggregates of the band are updated here once they exist
}

bool TKSReportPage::fits(TKSBand& band, int height, bool tryNextColumn)
{
    if (band.BandType == ksbtPageFooter || band.BandType == ksbtOverlay || band.BandType == ksbtColumnFooter ||
        band.BandType == ksbtNone)
        return true;
    for (;;) {
        const int perPage = band.LinesPerPage * (band.Flag(ksbf::PrintColumnFirst) ? std::max(band.Columns, 1) : 1);
        int limit = BottomLimit;
        TKSBand* footer = FirstBand(ksbtPageFooter);
        if (Finishing && footer && !footer->Flag(ksbf::PrintOnLastPage))
            limit += footer->mmHeight;
        const int need = band.mmTop + height + (band.BandType == ksbtReportSummary ? 0 : columnFooterHeight());
        if (!(band.LinesPerPage > 0 && band.PageRows >= perPage) && limit >= need)
            return true;
        if (!tryNextColumn || !band.IsMultiColumn() || band.Flag(ksbf::PrintColumnFirst))
            return false;
        if (band.CurrentColumn >= band.Columns) {
            band.CurrentColumn = 1;
            CurX = band.ColumnX;
            return false;
        }
        ++band.CurrentColumn;
        CurX = (band.CurrentColumn - 1) * (band.mmColumnWidth + band.mmColumnGap) + band.ColumnX;
        repeatColumnHeaders(band);
        CurY = band.ColumnY;
        band.PageRows = 0;
        if (!floats(band))
            band.mmTop = CurY;
    }
}

void TKSReportPage::advanceBandColumn(TKSBand& band)
{
    if (band.CurrentColumn < band.Columns) {
        ++band.CurrentColumn;
        CurX = (band.CurrentColumn - 1) * (band.mmColumnWidth + band.mmColumnGap) + band.ColumnX;
        repeatColumnHeaders(band);
        CurY = band.ColumnY;
    } else {
        band.CurrentColumn = 1;
        CurX = band.ColumnX;
        band.ColumnY = CurY;
    }
}

// The band's header and group headers that printed on this page repeat in the
// new band column at the Y where each started.
void TKSReportPage::repeatColumnHeaders(TKSBand& band)
{
    TKSReport& report = *Report();
    std::vector<TKSBand*> headers;
    for (TKSBand* g : band.Groups)
        headers.push_back(g);
    if (band.Header)
        headers.push_back(band.Header);
    const int savedY = CurY;
    TKSBand* last = LastBand;
    for (TKSBand* h : headers) {
        if (!h->Flag(ksbf::ReprintOnNewColumn) || h->CurrentColumn >= band.Columns ||
            h->LastPageIndex != report.PreparedPageNo)
            continue;
        CurY = h->StartY;
        h->Reprint = true;
        const bool wasReprinting = Reprinting;
        Reprinting = true;
        PrintBand(h);
        Reprinting = wasReprinting;
    }
    LastBand = last;
    CurY = savedY;
}

bool TKSReportPage::keepChecksBreak(TKSBand& band, int height)
{
    const int page = Report()->PreparedPageNo, column = CurColumn;
    auto tryKeep = [&](int total) {
        if (!fits(band, total, true)) {
            breakFor(band);
            return page != Report()->PreparedPageNo || column != CurColumn;
        }
        return false;
    };
    if (band.ResolvedChild && band.ResolvedChild->Visible && band.Flag2(ksbf2::KeepChild) &&
        tryKeep(height + childChainHeight(band)))
        return true;
    if (band.IsDataBand() && band.Footer && band.Footer->Visible && band.Flag2(ksbf2::KeepFooter) &&
        tryKeep(childChainHeight(band) + band.mmHeight + band.Footer->mmHeight + childChainHeight(*band.Footer)))
        return true;
    auto groupSum = [](const std::vector<TKSBand*>& groups, std::size_t from) {
        int sum = 0;
        for (std::size_t i = from; i < groups.size(); ++i) {
            const TKSBand* g = groups[i];
            sum += g->mmHeight + childChainHeight(*g);
            if (g->GroupFooter)
                sum += g->GroupFooter->mmHeight + childChainHeight(*g->GroupFooter);
        }
        return sum;
    };
    if (band.IsDataBand() && !band.Groups.empty()) {
        const TKSBand* first = band.Groups.front();
        if (first->GroupFooter && first->GroupFooter->Visible && first->Flag2(ksbf2::KeepFooter) &&
            tryKeep(childChainHeight(band) + band.mmHeight + groupSum(band.Groups, 0)))
            return true;
    }
    if (band.BandType == ksbtGroupHeader && band.Flag2(ksbf2::KeepFooter) && band.Master) {
        const auto& groups = band.Master->Groups;
        const auto at = std::find(groups.begin(), groups.end(), &band);
        const std::size_t from = at == groups.end() ? groups.size() : std::size_t(at - groups.begin());
        if (tryKeep(childChainHeight(*band.Master) + band.Master->mmHeight + groupSum(groups, from)))
            return true;
    }
    return false;
}

// A new column or page for a band that does not fit; page and column headers
// moving themselves must not print again on the new page.
void TKSReportPage::breakFor(TKSBand& band)
{
    const bool header = band.BandType == ksbtPageHeader || band.BandType == ksbtColumnHeader;
    const bool wasReprinting = Reprinting;
    if (header)
        Reprinting = true;
    try {
        NewColumn(&band);
    } catch (...) {
        Reprinting = wasReprinting;
        throw;
    }
    Reprinting = wasReprinting;
}

void TKSReportPage::stretchBand(TKSBand& band)
{
    struct Design {
        int top, height;
    };
    std::unordered_map<TKSView*, Design> design;
    std::unordered_map<TKSView*, int> needed;  // stretched objects: the height their content needs
    int height = band.mmHeight;
    for (TKSView* v : band.BandObjects) {
        design[v] = {v->mmTop, v->mmHeight};
        auto* memo = dynamic_cast<TKSCustomMemoView*>(v);
        if (!memo || !memo->Flag(ksf::Stretched) || !memo->Visible)
            continue;
        const int need = memo->CalcHeight();
        needed[memo] = need;
        height = std::max(height, memo->mmTop + need);
    }
    // Partners are stretched objects of the same band; their growth moves or
    // stretches the objects that name them.
    auto partner = [&](const std::string& name, const TKSView* self) -> TKSView* {
        if (name.empty())
            return nullptr;
        for (auto& [view, need] : needed)
            if (view != self && namesEqual(view->Name(), name))
                return view;
        return nullptr;
    };
    auto shiftWith = [](TKSView* v) {
        auto* r = dynamic_cast<TKSReportView*>(v);
        return r ? r->ShiftWith() : std::string();
    };
    auto stretchWith = [](TKSView* v) {
        auto* r = dynamic_cast<TKSReportView*>(v);
        return r ? r->StretchWith() : std::string();
    };
    // Shifted objects can themselves be partners: settle over as many rounds as objects.
    for (std::size_t round = 0; round < band.BandObjects.size(); ++round) {
        bool moved = false;
        for (TKSView* v : band.BandObjects)
            if (TKSView* p = partner(shiftWith(v), v)) {
                const int gap = design[v].top - (design[p].top + design[p].height);
                const int top = p->mmTop + needed[p] + gap;
                moved = moved || top != v->mmTop;
                v->mmTop = top;
            }
        if (!moved)
            break;
    }
    for (TKSView* v : band.BandObjects) {
        if (TKSView* p = partner(stretchWith(v), v))
            v->mmHeight = std::max(0, design[v].height + needed[p] - design[p].height);
        if (v->mmTop != design[v].top || v->mmHeight != design[v].height)
            height = std::max(height, v->mmTop + v->mmHeight);
        if (auto it = needed.find(v); it != needed.end())
            height = std::max(height, v->mmTop + it->second);
    }
    for (auto [view, need] : needed)
        view->mmHeight = view->Flag(ksf::StretchedMax) ? height - view->mmTop : need;
    band.CalcHeight = height;
}

void TKSReportPage::writeBand(TKSBand& band, int height)
{
    writeBandOutline(band);
    writeBandObjects(band);
    if (band.Columns <= 1 && hasCrossObjects(band))
        printCrossColumns(band);
    buildChildSubReports(band, height);
    if (band.Advance && !floats(band))
        CurY += height;
}

void TKSReportPage::writeBandOutline(TKSBand& band)
{
    if (band.OutlineText().empty())
        return;
    TKSReport& report = *Report();
    platform::Variant value = report.EvaluateConverted(band.OutlineText());
    const std::string text = value.isNull() ? "[None]" : value.toString();
    const int level = OutlineLevel + (band.BandType == ksbtGroupHeader ? band.GroupLevel : 0);
    OutputPages().Outline.push_back(text + '\x01' + std::to_string(report.PreparedPageNo) + '\x01' +
                                      std::to_string(toScreenPixels(band.mmTop, ksutMMThousandths)) + '\x01' +
                                      std::to_string(level));
}

void TKSReportPage::writeBandObjects(TKSBand& band)
{
    for (TKSView* view : band.BandObjects)
        if (!dynamic_cast<TKSSubReportView*>(view) && !crossBandOf_.count(view))
            writeObject(band, *view);
}

void TKSReportPage::writeObject(TKSBand& band, TKSView& view)
{
    auto* object = dynamic_cast<TKSReportView*>(&view);
    if (!object)
        return;
    TKSReport& report = *Report();
    report.SetCurrentView(&view);
    if (!(report.FinalPass() || band.Splitting || report.WriteInFirstPass)) {
        platform::EventArgs none;
        object->OnBeforePrint(&view, none);
        return;
    }
    const int left = view.mmLeft, top = view.mmTop;
    view.mmLeft = CurX + XOffset + left;
    view.mmTop = band.mmTop + YOffset + top;
    try {
        object->PlaceOnEndPage(pageStream());
    } catch (...) {
        view.mmLeft = left;
        view.mmTop = top;
        throw;
    }
    view.mmLeft = left;
    view.mmTop = top;
    platform::EventArgs args{makeObjectValue(&view)};
    report.FireEvent(report.OnAfterPrint, args);
    if (!band.Splitting && dynamic_cast<TKSCustomMemoView*>(&view))
        for (TKSView* watcher : report.PassObjects)
            watcher->ObjectWritten(view);
}
