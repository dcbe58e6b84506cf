// The template half of `tabellomatics dump`: the header, each template page's
// class, name and paper, each object's geometry, flags and design text.
#include "dump_format.h"

#include "core/reportpage.h"
#include "core/report.h"
#include "core/streamio.h"
#include "objects/view.h"
#include "platform/gbk.h"

#include <cstdio>

namespace {

std::uint16_t storedVersion(platform::Stream& s)
{
    const std::int64_t start = s.position();
    readString(s);
    const std::uint16_t version = readWord(s);
    s.seek(start);
    return version;
}

void dumpPage(const TKSCustomPage& page, int index, std::ostream& out)
{
    DumpLine line("page");
    line.field("index", index).text("class", page.className()).text("name", page.Name());
    if (const auto* p = dynamic_cast<const TKSReportPage*>(&page)) {
        const std::string margins = std::to_string(p->MarginLeft) + "," + std::to_string(p->MarginTop) + ","
                                  + std::to_string(p->MarginRight) + "," + std::to_string(p->MarginBottom);
        line.field("size", p->PageSize)
            .field("width", p->PageWidth)
            .field("height", p->PageHeight)
            .field("orientation", p->PageOrientation)
            .raw("margins", margins)
            .field("bin", p->PageBin)
            .field("columns", p->ColumnCount());
    }
    out << line;
}

void dumpObject(const TKSView& view, int pageIndex, std::ostream& out)
{
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%08X", static_cast<unsigned>(view.Flags));
    out << DumpLine("object")
               .field("page", pageIndex)
               .field("type", view.ObjectType)
               .text("class", view.className())
               .text("name", view.Name())
               .field("left", view.mmLeft)
               .field("top", view.mmTop)
               .field("width", view.mmWidth)
               .field("height", view.mmHeight)
               .raw("flags", flags);
    for (const std::string& line : view.Memo)
        out << "  text " << quoteDumpValue(platform::gbkToUtf8(line), true) << '\n';
}

} // namespace

int dumpTemplate(platform::Stream& s, std::ostream& out)
{
    const std::uint16_t version = storedVersion(s);
    TKSReport report;
    report.LoadFromStream(s);
    if (report.ErrorFlag) {
        out.flush();
        std::fprintf(stderr, "tabellomatics dump: %s\n", platform::gbkToUtf8(report.ErrorText).c_str());
        return 1;
    }
    std::size_t objects = 0;
    for (int i = 0; i < report.Pages.Count(); ++i)
        objects += report.Pages.Page(i)->Objects().size();
    out << DumpLine("template")
               .field("version", version)
               .raw("title", quoteDumpValue(platform::gbkToUtf8(report.ReportInfo.ReportTitle), true))
               .field("pages", report.Pages.Count())
               .field("objects", static_cast<long long>(objects))
               .field("script_lines", static_cast<long long>(report.Script.size()))
               .field("strict_nulls", report.StrictNulls() ? 1 : 0)
               .field("report_flags", report.ReportFlags);
    for (int i = 0; i < report.Pages.Count(); ++i) {
        const TKSCustomPage& page = *report.Pages.Page(i);
        dumpPage(page, i, out);
        for (const TKSView* view : page.Objects())
            dumpObject(*view, i, out);
    }
    return 0;
}
