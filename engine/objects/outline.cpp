// TKSOutlineView: the outline entry's record and its outline-list text.
#include "objects/outline.h"

#include "core/streamio.h"

const platform::ClassInfo& TKSOutlineView::staticClassInfo()
{
    static const platform::ClassInfo info =
        platform::ClassInfo::define<TKSOutlineView>("TKSOutlineView", &TKSReportView::staticClassInfo());
    return info;
}

TKSOutlineView::TKSOutlineView()
{
    ObjectType = ksgtOutline;
    BaseName = "Outline";
}

void TKSOutlineView::LoadFromStream(platform::Stream& s)
{
    (void)readWord(s);
    OutlineCaption = readString(s);
    OutlinePage = readInteger(s);
    OutlineLevel = readInteger(s);
    mmTop = readInteger(s);
}

void TKSOutlineView::SaveToStream(platform::Stream& s)
{
    writeWord(s, 0);
    writeString(s, OutlineCaption);
    writeInteger(s, OutlinePage);
    writeInteger(s, OutlineLevel);
    writeInteger(s, mmTop);
}

void TKSOutlineView::PlaceOnEndPage(platform::Stream& s)
{
    writeByte(s, ObjectType);
    if (ObjectType == ksgtAddIn)
        writeString(s, className());
    SaveToStream(s);
}

std::string TKSOutlineView::OutlineEntryText() const
{
    return OutlineCaption + '\x01' + std::to_string(OutlinePage) + '\x01' + std::to_string(spTop()) + '\x01'
         + std::to_string(OutlineLevel);
}
