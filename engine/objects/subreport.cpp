// TKSSubReportView: stream part, designer drawing and the page link of Prepare.
#include "objects/subreport.h"

#include "core/streamio.h"
#include "core/units.h"
#include "objects/custompage.h"

using platform::ClassInfo;

namespace {
const platform::EnumType& subReportTypeType()
{
    static const platform::EnumType t("TKSSubReportType", {"ksstFixed", "ksstChild"});
    return t;
}
int pix(int mm) { return roundHalfEven(fromMMThousandths(mm, ksutScreenPixels)); }
} // namespace

const ClassInfo& TKSSubReportView::staticClassInfo()
{
    static const ClassInfo info = [] {
        auto b = ClassInfo::define<TKSSubReportView>("TKSSubReportView", &TKSReportView::staticClassInfo());
        b.enumeration("SubReportType", subReportTypeType(), &TKSSubReportView::SubReportType);
        addFlagProperty<TKSSubReportView>(b, "ReprintLastPage", ksf::ReprintLastPage);
        return b;
    }();
    return info;
}

TKSSubReportView::TKSSubReportView()
{
    ObjectType = ksgtSubReport;
    BaseName = "SubReport";
}

void TKSSubReportView::LoadFromStream(platform::Stream& s)
{
    TKSReportView::LoadFromStream(s);
    (void)readWord(s);
    SubReportType = static_cast<TKSSubReportType>(readByte(s));
    SubPage = readWord(s);  // -1 was stored as 65535, which names no page either
}

void TKSSubReportView::SaveToStream(platform::Stream& s)
{
    TKSReportView::SaveToStream(s);
    writeWord(s, 0);
    writeByte(s, SubReportType);
    writeWord(s, static_cast<std::uint16_t>(SubPage));
}

void TKSSubReportView::Draw(platform::Canvas& canvas)
{
    AlignInBand(&canvas);
    for (int side = 0; side < 4; ++side)
        Frame(side).Visible = false;
    BeginDraw();
    platform::Font font;
    font.setName("\xCB\xCE\xCC\xE5");  // the engine's default face
    font.setSize(9);
    font.setCharset(platform::kGbkCharset);
    font.setColor(platform::clBlack);
    canvas.setFont(font);
    canvas.setPen({platform::clBlack, 1, platform::PenStyle::Solid, platform::PenMode::Copy, platform::PenCap::Flat});
    canvas.setBrush({platform::clWhite, platform::BrushStyle::Solid});
    int x1 = pix(mmLeft), y1 = pix(mmTop), x2 = pix(mmLeft + mmWidth), y2 = pix(mmTop + mmHeight);
    canvas.rectangle(x1, y1, x2 + 1, y2 + 1);
    canvas.setBrush({platform::clWhite, platform::BrushStyle::Clear});
    canvas.setBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.extTextOut(x1 + 2, y1 + 2, platform::etoClipped, &DrawRect, Name());
    EndDraw();
}

void TKSSubReportView::Prepare()
{
    if (!ParentReport || (ParentReport->DoublePass() && ParentReport->FinalPass()))
        return;
    SubReportReady = false;
    TKSCustomPage* page = ParentReport->Page(SubPage);
    if (!page || !ParentPage)
        return;
    page->IsSubReportPage = true;
    page->ParentPage = ParentPage;
    page->SubReport = this;
    // The chain runs outward while pages are sub-report pages; bounded against cycles.
    page->ParentChain.clear();
    for (TKSCustomPage* p = ParentPage; p && static_cast<int>(page->ParentChain.size()) <= ParentReport->PageCount();
         p = p->ParentPage) {
        page->ParentChain.push_back(p);
        if (!p->IsSubReportPage)
            break;
    }
    page->MarginLeft = mmLeft;
    if (SubReportType == ksstChild) {
        const TKSCustomPage* outer = page->ParentChain.back();
        page->MarginLeft = outer->MarginLeft;
        page->MarginTop = outer->MarginTop;
        page->MarginRight = outer->MarginRight;
        page->MarginBottom = outer->MarginBottom;
        page->XOffset = page->YOffset = 0;
    } else {
        page->SubPageNumber = SubPage + 1;
        page->MarginTop = mmTop + ParentPage->MarginTop;
        page->MarginRight = page->MarginBottom = 0;
        page->XOffset = page->YOffset = 0;
        page->OriginX = mmLeft;
        page->OriginY = mmTop;
        page->PaperWidthPixels = pix(mmWidth);
        page->PaperHeightPixels = pix(mmHeight + page->MarginTop);
    }
    SubReportReady = true;
}
