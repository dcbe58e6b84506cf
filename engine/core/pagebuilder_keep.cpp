// TKSReportPage: keep-together blocks: objects written since a block opened
// are cut from a closing page and written again, moved, on the next one.
#include "core/report.h"
#include "core/reportpage.h"
#include "core/outline_entry.h"
#include "core/streamio.h"
#include "core/units.h"
#include "objects/viewfactory.h"

#include <algorithm>

void TKSReportPage::OpenKeepBlock()
{
    if (keep_.depth++ > 0)
        return;
    TKSReport& report = *Report();
    keep_.pageIndex = report.PreparedPageNo;
    keep_.streamPos = pageStream().size();
    keep_.x = CurX;
    keep_.y = CurY;
    keep_.pending = false;
    keep_.cut.clear();
    keep_.outlineFrom = OutputPages().Outline.size();
}

void TKSReportPage::CloseKeepBlock()
{
    if (keep_.depth > 0 && --keep_.depth == 0)
        keep_ = {};
}

void TKSReportPage::cutKeepBlock()
{
    TKSReport& report = *Report();
    // A block moved once already (or opened on another page) breaks where it must.
    if (keep_.depth == 0 || keep_.pending || keep_.pageIndex != report.PreparedPageNo || keep_.pageIndex < 0)
        return;
    platform::Stream& s = pageStream();
    const std::int64_t end = s.size();
    if (end <= keep_.streamPos)
        return;
    keep_.cut.resize(std::size_t(end - keep_.streamPos));
    s.seek(keep_.streamPos);
    s.readExact(keep_.cut.data(), keep_.cut.size());
    s.setSize(keep_.streamPos);
    keep_.pending = true;
}

void TKSReportPage::reemitKeepBlock()
{
    if (!keep_.pending)
        return;
    keep_.pending = false;
    const int cutFrom = keep_.pageIndex;
    keep_.pageIndex = -1;
    platform::MemoryStream in(keep_.cut);
    keep_.cut.clear();
    platform::Stream& out = pageStream();
    const int dy = CurY - keep_.y, dx = CurX - keep_.x;
    int lowest = CurY;
    while (in.position() < in.size()) {
        const std::uint8_t type = readByte(in);
        const std::string className = type == ksgtAddIn ? readString(in) : std::string();
        std::unique_ptr<TKSView> view = CreateView(type, className);
        if (!view)
            throw std::runtime_error("Damaged keep-together block");
        view->PreparedForm = true;
        view->ParentReport = ParentReport;
        view->LoadFromStream(in);
        view->mmTop += dy;
        view->mmLeft += dx;
        lowest = std::max(lowest, view->mmTop + view->mmHeight);
        // A loaded object holds its final text in Memo; the prepared form stores Memo1.
        view->Memo1 = view->Memo;
        if (auto* object = dynamic_cast<TKSReportView*>(view.get()))
            object->WriteObjectRecord(out);
    }
    // Outline entries made inside the block go with it to the new page.
    std::vector<std::string>& outline = OutputPages().Outline;
    const int dyPixels = toScreenPixels(dy, ksutMMThousandths);
    for (std::size_t i = std::min(keep_.outlineFrom, outline.size()); i < outline.size(); ++i)
        if (outlinePage(outline[i]) == cutFrom)
            outline[i] = movedOutlineEntry(outline[i], Report()->PreparedPageNo, dyPixels);
    CurY = lowest;
}
