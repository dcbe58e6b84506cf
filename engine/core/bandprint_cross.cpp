// TKSReportPage: cross columns: a row band's objects standing in the cross
// header, cross-data and cross footer bands print once per cross record,
// left to right, continuing on following prepared pages when the row is full.
#include "core/endpages.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "core/units.h"
#include "objects/band.h"
#include "objects/subreport.h"
#include "script/values.h"

#include <algorithm>

// Only the first band of each cross type takes part; objects lying within its
// left and right edges belong to it, their left made relative to its left.
void TKSReportPage::arrangeCrossBands()
{
    crossBandOf_.clear();
    for (TKSView* view : Objects()) {
        auto* band = dynamic_cast<TKSBand*>(view);
        if (!band || !band->IsCross() || !BandLists[band->BandType].empty())
            continue;
        BandLists[band->BandType].push_back(band);
        band->Prepare();
    }
    for (int type : {ksbtCrossHeader, ksbtCrossData, ksbtCrossFooter}) {
        TKSBand* cross = FirstBand(type);
        if (!cross)
            continue;
        for (TKSView* view : Objects()) {
            if (view->IsBand || dynamic_cast<TKSSubReportView*>(view) || crossBandOf_.count(view))
                continue;
            if (view->mmLeft < cross->mmLeft || view->mmLeft + view->mmWidth > cross->mmLeft + cross->mmWidth)
                continue;
            crossBandOf_[view] = cross;
            view->mmLeft -= cross->mmLeft;
        }
    }
}

bool TKSReportPage::hasCrossObjects(const TKSBand& band) const
{
    if (crossBandOf_.empty())
        return false;
    return std::any_of(band.BandObjects.begin(), band.BandObjects.end(),
                       [this](TKSView* v) { return crossBandOf_.count(v) > 0; });
}

void TKSReportPage::writeCrossObjects(TKSBand& row, const TKSBand* cross, int x)
{
    const int savedX = CurX;
    CurX += x;
    try {
        for (TKSView* view : row.BandObjects)
            if (auto it = crossBandOf_.find(view); it != crossBandOf_.end() && it->second == cross)
                writeObject(row, *view);
    } catch (...) {
        CurX = savedX;
        throw;
    }
    CurX = savedX;
}

// Continues the row on prepared page `index`, adding it with its overlay and
// page header when it does not exist yet; the row's Y stays.
void TKSReportPage::startCrossPage(int index)
{
    TKSReport& report = *Report();
    if (index < OutputPages().Count()) {
        report.PreparedPageNo = index;
        return;
    }
    const int y = CurY, x = CurX;
    TKSBand* last = LastBand;
    startPreparedPage();
    CurY = 0;
    const bool wasReprinting = Reprinting;
    Reprinting = true;  // the page header prints without moving the row
    PrintBand(FirstBand(ksbtOverlay));
    TKSBand* header = FirstBand(ksbtPageHeader);
    if (header && header != report.CurBand) {
        header->Reprint = true;
        PrintBand(header);
    }
    Reprinting = wasReprinting;
    CurY = y;
    CurX = x;
    LastBand = last;
}

void TKSReportPage::printCrossColumns(TKSBand& band)
{
    TKSReport& report = *Report();
    TKSBand* header = FirstBand(ksbtCrossHeader);
    TKSBand* data = FirstBand(ksbtCrossData);
    TKSBand* footer = FirstBand(ksbtCrossFooter);
    platform::EventArgs bandArg{makeObjectValue(&band)};
    report.FireEvent(report.OnBeginColumn, bandArg);
    const int startPage = report.PreparedPageNo;
    const int printable = toMMThousandths(PaperWidthPixels, ksutScreenPixels) - MarginLeft - MarginRight - CurX;
    int x = 0;
    if (header) {
        x = header->Flag(ksbf::PrintAtDesignPos) ? header->mmLeft : 0;
        writeCrossObjects(band, header, x);
        x += header->mmWidth;
    }
    TKSBandDataset* records = band.CrossDataset ? band.CrossDataset : data ? data->Dataset : nullptr;
    int page = startPage;
    auto column = [&](bool blank) {
        int width = data->mmWidth;
        platform::EventArgs args{platform::Variant(CrossColumnCounter),
                                 platform::Variant(toScreenPixels(width, ksutMMThousandths))};
        if (report.FireEvent(report.OnPrintColumn, args))
            width = toMMThousandths(args.at(1).toDouble(), ksutScreenPixels);
        if (blank && x + width > printable)
            return false;
        if (x > 0 && x + width > printable) {
            startCrossPage(++page);
            x = 0;
            if (header && header->Flag(ksbf::ReprintOnNewPage)) {
                writeCrossObjects(band, header, 0);
                x = header->mmWidth;
            }
        }
        report.CurColumn = CrossColumnCounter;
        writeCrossObjects(band, data, x);
        x += width;
        ++CrossColumnCounter;
        return true;
    };
    if (data && records) {
        CrossColumnCounter = 1;
        records->Open();
        records->First();
        while (!records->Eof() && !report.Terminated) {
            column(false);
            records->Next();
        }
        if (data->Flag(ksbf::AutoAppendBlank) && data->mmWidth > 0) {
            report.SetAppendBlanking(true);
            try {
                while (!report.Terminated && column(true)) {
                }
            } catch (...) {
                report.SetAppendBlanking(false);
                throw;
            }
            report.SetAppendBlanking(false);
        }
    }
    if (footer) {
        if (x > 0 && x + footer->mmWidth > printable) {
            startCrossPage(++page);
            x = 0;
        }
        writeCrossObjects(band, footer, x);
    }
    report.PreparedPageNo = startPage;
}

// Pages reopened for cross columns are kept compressed again once the row
// has moved past them.
void TKSReportPage::finishReopenedPages()
{
    TKSEndPages& pages = OutputPages();
    const int last = pages.Count() - 1;
    for (int i = 0; i < last; ++i)
        if (!pages.Page(i)->IsCompressed())
            pages.FinishPage(i);
}
