// TKSReportPage: a band that does not fit is split across columns or pages;
// text objects continue with the lines that did not fit.
#include "core/report.h"
#include "core/reportpage.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/subreport.h"

#include <algorithm>

namespace {

struct Piece {
    TKSView* view;
    int designTop, designHeight;
    int top, height;  // what remains, relative to the band's top in the current part
    bool continued = false;
    bool done = false;
};

} // namespace

void TKSReportPage::splitBand(TKSBand& band)
{
    TKSReport& report = *Report();
    writeBandOutline(band);
    band.Splitting = true;
    std::vector<Piece> pieces;
    for (TKSView* v : band.BandObjects) {
        if (dynamic_cast<TKSSubReportView*>(v))
            continue;
        if (auto* memo = dynamic_cast<TKSCustomMemoView*>(v); memo && !band.Flag(ksbf::Stretched))
            memo->CalcHeight();
        pieces.push_back({v, v->mmTop, v->mmHeight, v->mmTop, v->mmHeight});
    }
    auto restore = [&] {
        for (Piece& p : pieces) {
            p.view->mmTop = p.designTop;
            p.view->mmHeight = p.designHeight;
            if (auto* memo = dynamic_cast<TKSCustomMemoView*>(p.view))
                memo->DrawMode = ksdmAll;
        }
        band.Splitting = false;
    };
    int lowest = 0;
    try {
        for (bool firstPart = true;; firstPart = false) {
            const int available = BottomLimit - columnFooterHeight() - band.mmTop;
            if (available <= 0)
                throw std::runtime_error("Band " + band.Name() + " is taller than the page");
            lowest = 0;
            // Objects asking to be repeated appear on every later part at their design place.
            for (Piece& p : pieces)
                if (!firstPart && p.done && !p.continued && p.view->Flag(ksf::ReprintOnOverFlow) &&
                    p.designTop < available) {
                    p.view->mmTop = p.designTop;
                    p.view->mmHeight = std::min(p.designHeight, available - p.designTop);
                    writeObject(band, *p.view);
                    lowest = std::max(lowest, p.view->mmTop + p.view->mmHeight);
                }
            for (Piece& p : pieces) {
                if (p.done || p.top >= available)
                    continue;  // finished, or waits for a later part
                auto* memo = dynamic_cast<TKSCustomMemoView*>(p.view);
                const bool crosses = p.top + p.height > available;
                p.view->mmTop = p.top;
                p.view->mmHeight = crosses ? available - p.top : p.height;
                if (memo && (crosses || p.continued))
                    memo->DrawMode = ksdmPart;
                writeObject(band, *p.view);
                lowest = std::max(lowest, p.view->mmTop + p.view->mmHeight);
                if (!crosses || !memo || memo->Memo1.empty()) {
                    p.done = true;
                } else if (memo->LinesDrawn <= 0 && p.top == 0) {
                    // Not one line fits on an empty part: the rest is dropped
                    // instead of being carried forward for ever.
                    p.done = true;
                } else {
                    p.continued = true;
                    p.height = memo->MinHeight();
                    p.top = 0;
                }
            }
            const bool pending = std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return !p.done; });
            if (!pending || report.Terminated)
                break;
            for (Piece& p : pieces)
                if (!p.done && !p.continued)
                    p.top = std::max(0, p.top - available);
            for (Piece& p : pieces)
                if (p.continued)
                    p.top = 0;
            breakFor(band);
            band.mmTop = CurY;
            band.FirstPart = false;
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    CurY = band.mmTop + lowest;
}
