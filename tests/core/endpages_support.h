// Shared helpers of the prepared-page tests: text objects written in prepared
// form, and a report whose pages are filled by hand.
#pragma once

#include "core/engine_init.h"
#include "core/report.h"
#include "core/streamio.h"
#include "objects/memo.h"
#include "../support/gui_app.h"

#include <string>
#include <vector>

namespace endpages_test {

struct MemoSpec {
    std::string name;
    int left, top, width, height;  // thousandths of a millimetre
    std::vector<std::string> text;
    bool printable = true;
};

// One text object record as the page builder writes it.
inline void writeMemo(platform::Stream& s, const MemoSpec& spec)
{
    TKSMemoView memo;
    memo.SetName(spec.name);
    memo.mmLeft = spec.left;
    memo.mmTop = spec.top;
    memo.mmWidth = spec.width;
    memo.mmHeight = spec.height;
    memo.SetFlag(ksf::Printable, spec.printable);
    for (int side = 0; side < 4; ++side)
        memo.Frame(side).Visible = true;
    memo.Memo1 = spec.text;
    memo.WriteObjectRecord(s);
}

inline void setUpEngine()
{
    ensureGuiApp();
    InitTabellomatics();
}

// A page of the template's paper filled with the given objects.
inline TKSEndPage& addPage(TKSEndPages& pages, TKSReportPage& paper, const std::vector<MemoSpec>& objects,
                           int templatePageNo = 1)
{
    TKSEndPage& page = pages.Add(paper, templatePageNo);
    for (const MemoSpec& spec : objects)
        writeMemo(page.Stream(), spec);
    return page;
}

} // namespace endpages_test
