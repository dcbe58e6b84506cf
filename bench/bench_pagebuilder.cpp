// Preparing a list report: page header with the page number, a master-data
// band of five text objects fed by a user dataset, page footer and summary;
// 10 000 and 100 000 records. Reports rows per second, pages and peak memory.
#include "core/dataset.h"
#include "core/engine_init.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "objects/band.h"
#include "objects/memo.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <sys/resource.h>

namespace {

void ensureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_pagebuilder";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TKSBand& band(TKSReportPage& page, int type, int top, int height)
{
    TKSBand& ref = page.Adopt(CreateBand(type));
    ref.mmTop = top;
    ref.mmWidth = 180000;
    ref.mmHeight = height;
    return ref;
}

void memo(TKSReportPage& page, const std::string& text, int left, int top)
{
    TKSMemoView& ref = page.Adopt(std::make_unique<TKSMemoView>());
    ref.mmLeft = left;
    ref.mmTop = top;
    ref.mmWidth = 34000;
    ref.mmHeight = 5000;
    ref.Memo = {text};
}

void BM_PrepareListReport(benchmark::State& state)
{
    ensureGuiApp();
    InitTabellomatics();
    const int records = static_cast<int>(state.range(0));
    platform::Component host;
    auto* report = new TKSReport(&host);
    report->ShowProgress = false;
    report->CompressLevel = kszcFastest;  // finished pages are kept compressed
    auto* data = new TKSUserDataset(&host);
    data->setName("Data1");
    data->RangeEnd = ksreCount;
    data->RangeEndCount = records;
    report->OnGetValue.code = [data](platform::Object*, platform::EventArgs& args) {
        if (args[0].toString() == "NAME")
            args[1] = platform::Variant("Item " + std::to_string(data->RecordNo));
    };
    auto page = std::make_unique<TKSReportPage>();
    page->ParentReport = report;
    TKSReportPage& p = *page;
    report->Pages.Add(std::move(page));
    band(p, ksbtPageHeader, 0, 8000);
    memo(p, "Page [_KS_Page]", 0, 0);
    band(p, ksbtMasterData, 10000, 5000).SetDataSetName("Data1");
    for (int i = 0; i < 5; ++i)
        memo(p, i == 0 ? "[_KS_Line]" : "[NAME]", i * 35000, 10000);
    band(p, ksbtPageFooter, 250000, 6000);
    memo(p, "footer", 0, 250000);
    band(p, ksbtReportSummary, 20000, 6000);
    memo(p, "end", 0, 20000);
    int pages = 0;
    std::size_t stored = 0;
    const long peakBefore = peakKilobytes();
    for (auto _ : state) {
        if (!report->PrepareReport())
            state.SkipWithError(report->ErrorText.c_str());
        pages = report->EndPages.Count();
    }
    for (int i = 0; i < pages; ++i)
        stored += report->EndPages.Page(i)->Stream().bytes().size();
    state.counters["pages"] = pages;
    // Wall-clock rate (the benchmark runs on real time).
    state.counters["rows/s"] = benchmark::Counter(double(records) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
    state.counters["peak_kB"] = double(peakKilobytes());
    state.counters["peak_growth_kB"] = double(peakKilobytes() - peakBefore);
    state.counters["stored_kB"] = double(stored) / 1024.0;
}

} // namespace

BENCHMARK(BM_PrepareListReport)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
