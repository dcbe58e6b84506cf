// Alignment of a report view inside its band: BandAlign, ParentWidth, ParentHeight.
#include "objects/band.h"
#include "objects/custompage.h"

TKSCustomBandView* TKSReportView::AlignmentBand() const
{
    if (!ParentReport)
        return nullptr;
    if (!Designing())
        return ParentReport->CurrentBand();
    // In the designer: the last band whose pixel rectangle holds the view's top-left corner.
    TKSCustomBandView* found = nullptr;
    if (!ParentPage)
        return nullptr;
    int x = spLeft(), y = spTop();
    for (TKSView* v : ParentPage->Objects()) {
        auto* band = dynamic_cast<TKSCustomBandView*>(v);
        if (band && x >= band->spLeft() && x < band->spRight() && y >= band->spTop() && y < band->spBottom())
            found = band;
    }
    return found;
}

void TKSReportView::AlignInBand(platform::Canvas* canvas)
{
    Canvas = canvas;
    if (ParentReport)
        ParentReport->SetCurrentView(this);
    MakeFontHeightNegative();
    if (BandAlign == ksbaNone && !Flag(ksf::ParentWidth) && !Flag(ksf::ParentHeight))
        return;
    const TKSCustomBandView* band = AlignmentBand();
    if (!band)
        return;
    bool cross = band->IsCross();
    const TKSCustomPage* page = ParentPage ? ParentPage : band->ParentPage;
    int pageWidth = page ? page->PrintableWidthPixels() : 0;

    switch (BandAlign) {
    case ksbaLeft:
        mmLeft = cross ? band->mmLeft : 0;
        break;
    case ksbaRight:
        if (cross)
            mmLeft = band->mmLeft + band->mmWidth - mmWidth;
        else
            SetspLeft(pageWidth - spWidth());
        break;
    case ksbaBottom:
        if (!cross)
            mmTop = band->mmTop + band->mmHeight - mmHeight;
        break;
    case ksbaTop:
        if (!cross)
            mmTop = band->mmTop;
        break;
    case ksbaCenter:
        if (cross)
            SetspLeft(band->spLeft() + (band->spWidth() - spWidth()) / 2);
        else
            SetspLeft((pageWidth - spWidth()) / 2);
        break;
    default:
        break;
    }
    if (Flag(ksf::ParentWidth)) {
        if (cross) {
            mmWidth = band->mmWidth;
        } else {
            mmLeft = 0;
            SetspWidth(pageWidth);
        }
    }
    if (Flag(ksf::ParentHeight) && !cross) {
        mmTop = band->mmTop;
        mmHeight = band->mmHeight;
    }
}
