// Prepared pages: 1 000 pages of 60 short text objects each placed through
// PlaceOnEndPage and compressed page by page; reports time, compressed bytes
// per page, bytes held by all pages and the growth of the peak resident size.
#include "bench_support.h"

#include "core/report.h"
#include "objects/memo.h"

#include "platform/gbk.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Build1000Pages(benchmark::State& state)
{
    bench::ensureGuiApp();
    const auto level = static_cast<TKSCompressionLevel>(state.range(0));
    const bool thread = state.range(1) != 0;
    TKSMemoView memo;
    memo.Font.setName(platform::utf8ToGbk("宋体"));
    memo.Font.setHeight(-13);
    memo.SetFlag(ksf::TextOnly, true);
    memo.SetspWidth(120);
    memo.SetspHeight(18);
    TKSReportPage paper;
    const long rssBefore = bench::peakResidentKiB();
    std::int64_t held = 0;
    for (auto _ : state) {
        TKSReport report;
        report.CompressLevel = level;
        report.CompressThread = thread;
        report.EndPages.Compressed = level != kszcNone;
        for (int p = 0; p < 1000; ++p) {
            platform::MemoryStream& stream = report.EndPages.Add(paper, 1).Stream();
            for (int i = 0; i < 60; ++i) {
                memo.SetspLeft(10 + (i % 5) * 130);
                memo.SetspTop(10 + (i / 5) * 20);
                memo.Memo.assign(1, platform::utf8ToGbk("商品 ") + std::to_string(p * 60 + i) + " ￥"
                                        + std::to_string((p * 7 + i * 13) % 1000));
                memo.PlaceOnEndPage(stream);
            }
        }
        report.EndPages.FinishPage(report.EndPages.Count() - 1);
        held = 0;
        for (int p = 0; p < report.EndPages.Count(); ++p)
            held += report.EndPages.Page(p)->Stream().size();
        benchmark::DoNotOptimize(held);
    }
    state.counters["bytes_per_page"] = double(held) / 1000;
    state.counters["held_KiB"] = double(held) / 1024;
    state.counters["peak_rss_growth_KiB"] = double(bench::peakResidentKiB() - rssBefore);
}
BENCHMARK(BM_Build1000Pages)
    ->ArgsProduct({{kszcNone, kszcFastest, kszcDefault, kszcMax}, {0}})
    ->Args({kszcFastest, 1})
    ->ArgNames({"level", "thread"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
