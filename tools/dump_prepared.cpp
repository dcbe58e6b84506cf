// The prepared-report half of `tabellomatics dump`: the file's header, each
// page's paper and each object's geometry, flags and text lines.
#include "dump_format.h"

#include "core/report.h"
#include "core/streamio.h"
#include "objects/view.h"
#include "platform/gbk.h"

#include <cstdio>
#include <vector>

namespace {

bool storedCompressed(platform::Stream& s)
{
    readString(s);
    const std::uint8_t version = readByte(s);
    const bool compressed = version >= 54 && readBoolean(s);
    s.seek(0);
    return compressed;
}

void dumpObjects(TKSReportPage& page, int pageIndex, std::ostream& out)
{
    for (TKSView* view : page.Objects()) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X", static_cast<unsigned>(view->Flags));
        out << DumpLine("object")
                   .field("page", pageIndex)
                   .field("type", view->ObjectType)
                   .text("class", view->className())
                   .text("name", view->Name())
                   .field("left", view->mmLeft)
                   .field("top", view->mmTop)
                   .field("width", view->mmWidth)
                   .field("height", view->mmHeight)
                   .raw("flags", flags);
        // A loaded prepared object holds its final text in Memo.
        for (const std::string& line : view->Memo)
            out << "  text " << quoteDumpValue(platform::gbkToUtf8(line), true) << '\n';
    }
}

} // namespace

int dumpPrepared(platform::Stream& s, std::ostream& out)
{
    const bool compressed = storedCompressed(s);
    TKSReport report;
    report.CompressLevel = kszcNone;  // pages held plain: undecodable data shows up here
    if (!report.LoadPreparedFromStream(s))
        return 1;
    TKSEndPages& pages = report.EndPages;
    out << DumpLine("prepared")
               .field("version", 62)
               .field("pages", pages.Count())
               .field("compressed", compressed ? 1 : 0)
               .raw("title", quoteDumpValue(platform::gbkToUtf8(report.ReportInfo.ReportTitle), true));
    for (int i = 0; i < pages.Count(); ++i) {
        const TKSEndPage& page = *pages.Page(i);
        const std::string margins = std::to_string(page.MarginLeft) + "," + std::to_string(page.MarginTop) + ","
                                  + std::to_string(page.MarginRight) + "," + std::to_string(page.MarginBottom);
        out << DumpLine("page")
                   .field("index", i)
                   .field("size", page.PageSize)
                   .field("width", page.PageWidth)
                   .field("height", page.PageHeight)
                   .field("orientation", page.PageOrientation)
                   .raw("margins", margins)
                   .field("bin", page.PageBin)
                   .field("columns", 1);
        if (TKSReportPage* loaded = pages.LoadPage(i, false))
            dumpObjects(*loaded, i, out);
        pages.FreePage(i);
    }
    return 0;
}
