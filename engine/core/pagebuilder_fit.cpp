// TKSReportPage: after-the-fact changes of a prepared page: centring its
// content on the paper and fitting the paper to the content.
#include "core/report.h"
#include "core/reportpage.h"
#include "core/units.h"
#include "objects/view.h"

#include <algorithm>

void TKSReportPage::CenterPreparedPage(int index)
{
    TKSReportPage* loaded = OutputPages().LoadPage(index, false);
    if (!loaded)
        return;
    const auto& objects = loaded->Objects();
    int l = 999999, r = 0, t = 999999, b = 0;
    for (TKSView* v : objects) {
        l = std::min(l, v->spLeft());
        r = std::max(r, v->spRight());
        t = std::min(t, v->spTop());
        b = std::max(b, v->spBottom());
    }
    auto px = [](int mm) { return toScreenPixels(mm, ksutMMThousandths); };
    if (!objects.empty()) {
        const int ex = PaperWidthPixels - px(MarginLeft) - px(MarginRight) + l - r;
        const int ey = PaperHeightPixels - px(MarginTop) - px(MarginBottom) + t - b;
        for (TKSView* v : objects) {
            if (AutoHCenter)
                v->SetspLeft(v->spLeft() + ex / 2 - l);
            if (AutoVCenter)
                v->SetspTop(v->spTop() + ey / 2 - t);
        }
    }
    OutputPages().WriteBack(index);
    OutputPages().FreePage(index);
}

void TKSReportPage::FitPreparedPage(int index)
{
    TKSEndPage* page = OutputPages().Page(index);
    TKSReportPage* loaded = OutputPages().LoadPage(index, false);
    if (!page || !loaded)
        return;
    int bottom = 0;
    for (TKSView* v : loaded->Objects())
        bottom = std::max(bottom, v->spTop() + v->spHeight());
    OutputPages().FreePage(index);
    const int height = bottom + toScreenPixels(page->MarginTop, ksutMMThousandths) + 1;
    page->PageSize = kCustomPaperSize;
    page->MarginBottom = 0;
    page->PrintMetrics.PageHeightPixels = height;
    page->PageHeight = toMMThousandths(height, ksutScreenPixels) / 100;
}
