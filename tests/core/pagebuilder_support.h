// Fixture of the page-builder tests: templates built in code, prepared, and
// read back by loading the prepared pages' objects.
#pragma once

#include "core/dataset.h"
#include "core/engine_init.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "platform/dialogs.h"
#include "script/values.h"
#include "support/gui_app.h"
#include "core/units.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pagebuilder_test {

using platform::Variant;

constexpr int kLine = 10000;  // 10 mm rows

struct Printed {
    std::string text;
    int left, top;
    int height = 0;
};

class PageBuilderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ensureGuiApp();
        InitTabellomatics();
    }

    platform::Component host;
    TKSReport* report = new TKSReport(&host);
    platform::ScopedDialogHook boxes{[this](const platform::DialogRequest& request) {
        messages.push_back(request.text);
        return platform::DialogAnswer{};
    }};
    std::vector<std::string> messages;

    void SetUp() override { report->ShowProgress = false; }

    TKSReportPage& addPage(const char* name = "Page1")
    {
        auto page = std::make_unique<TKSReportPage>();
        page->SetName(name);
        page->ParentReport = report;
        page->ChangePaper(kCustomPaperSize, 2100, 2970, kDefaultPaperBin, kspoPortrait);  // A4
        TKSReportPage& ref = *page;
        report->Pages.Add(std::move(page));
        return ref;
    }
    TKSBand& addBand(TKSReportPage& page, int type, const std::string& name, int top, int height)
    {
        TKSBand& ref = page.Adopt(CreateBand(type));
        ref.SetName(name);
        ref.mmLeft = 0;
        ref.mmTop = top;
        ref.mmWidth = 180000;
        ref.mmHeight = height;
        return ref;
    }
    TKSMemoView& addMemo(TKSReportPage& page, const std::string& text, int left, int top, int height = 8000)
    {
        TKSMemoView& ref = page.Adopt(std::make_unique<TKSMemoView>());
        ref.mmLeft = left;
        ref.mmTop = top;
        ref.mmWidth = 50000;
        ref.mmHeight = height;
        ref.Memo = {text};
        return ref;
    }
    // A data band of `rows` records holding one memo with `text`.
    TKSBand& addRows(TKSReportPage& page, const std::string& name, int rows, int top, const std::string& text)
    {
        TKSBand& band = addBand(page, ksbtMasterData, name, top, kLine);
        band.SetDataSetName(std::to_string(rows));
        addMemo(page, text, 1000, top);
        return band;
    }

    bool prepare() { return report->PrepareReport(); }
    int pages() const { return report->EndPages.Count(); }
    std::vector<Printed> objects(int index)
    {
        std::vector<Printed> result;
        TKSReportPage* page = report->EndPages.LoadPage(index, false);
        if (!page)
            return result;
        for (TKSView* v : page->Objects()) {
            std::string text;
            for (const std::string& line : v->Memo)
                text += (text.empty() ? "" : "|") + line;
            result.push_back({text, v->mmLeft, v->mmTop, v->mmHeight});
        }
        report->EndPages.FreePage(index);
        return result;
    }
    std::vector<std::string> texts(int index)
    {
        std::vector<std::string> result;
        for (const Printed& p : objects(index))
            result.push_back(p.text);
        return result;
    }
    // Rows per prepared page whose text starts with `prefix`.
    std::vector<int> rowsPerPage(const std::string& prefix)
    {
        std::vector<int> counts;
        for (int i = 0; i < pages(); ++i) {
            int n = 0;
            for (const std::string& t : texts(i))
                n += t.rfind(prefix, 0) == 0;
            counts.push_back(n);
        }
        return counts;
    }
};

// A dataset whose field "V" comes from a table of values, read through the report's OnGetValue.
struct TableData {
    TKSUserDataset* dataset;
    std::vector<std::string> values;
};

inline TableData& installTable(platform::Component& host, TKSReport& report, std::vector<std::string> values,
                        const char* name = "Data1")
{
    static std::vector<std::unique_ptr<TableData>> tables;
    auto table = std::make_unique<TableData>();
    table->dataset = new TKSUserDataset(&host);
    table->dataset->setName(name);
    table->values = std::move(values);
    TableData* t = table.get();
    t->dataset->OnCheckEOF.code = [t](platform::Object*, platform::EventArgs& args) {
        args[0] = Variant(t->dataset->RecordNo >= int(t->values.size()));
    };
    report.OnGetValue.code = [t](platform::Object*, platform::EventArgs& args) {
        const int i = t->dataset->RecordNo;
        if (args[0].toString() == "V" && i >= 0 && i < int(t->values.size()))
            args[1] = Variant(t->values[std::size_t(i)]);
    };
    tables.push_back(std::move(table));
    return *t;
}

} // namespace pagebuilder_test
