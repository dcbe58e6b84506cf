// Laying out and placing text objects: 10 000 memos of 40 mixed Chinese/Latin
// characters with word wrap, measured and written to a prepared-page stream.
#include "bench_support.h"

#include "objects/memo.h"

#include "platform/gbk.h"
#include "platform/stream.h"

#include <benchmark/benchmark.h>

namespace {

// 40 characters: Chinese, digits and Latin words, varied per memo.
std::string mixedText(int i)
{
    std::string text = platform::utf8ToGbk("联系电话：") + std::to_string(13900000000LL + i)
                     + platform::utf8ToGbk(" 地址北京市海淀区 road ") + std::to_string(i % 97)
                     + platform::utf8ToGbk("号楼，欢迎");
    return text;
}

void BM_LayoutAndPlace10000Memos(benchmark::State& state)
{
    bench::ensureGuiApp();
    std::vector<std::string> texts;
    for (int i = 0; i < 10000; ++i)
        texts.push_back(mixedText(i));
    TKSMemoView memo;
    memo.Font.setName(platform::utf8ToGbk("宋体"));
    memo.Font.setHeight(-16);
    memo.SetspWidth(150);
    memo.SetspHeight(40);
    memo.SetFlag(ksf::WordWrap, true);
    memo.SetFlag(ksf::TextOnly, true);
    for (auto _ : state) {
        platform::MemoryStream stream;
        for (const std::string& text : texts) {
            memo.Memo.assign(1, text);
            memo.DrawMode = ksdmAll;
            benchmark::DoNotOptimize(memo.CalcHeight());
            memo.PlaceOnEndPage(stream);
        }
        benchmark::DoNotOptimize(stream.size());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(texts.size()));
}
BENCHMARK(BM_LayoutAndPlace10000Memos)->Unit(benchmark::kMillisecond);

// The line layout alone, on the measuring canvas with its width cache.
void BM_LayoutOnly10000Memos(benchmark::State& state)
{
    bench::ensureGuiApp();
    std::vector<std::vector<std::string>> texts;
    for (int i = 0; i < 10000; ++i)
        texts.push_back({mixedText(i)});
    TextLayoutSettings settings;
    settings.wordWrap = true;
    settings.available = 146;
    settings.font.faceName = platform::utf8ToGbk("宋体");
    settings.font.height = -16;
    settings.font.charset = 134;
    TextLayoutResult result;
    for (auto _ : state) {
        for (const auto& text : texts)
            layoutText(text, settings, MeasuringMeasurer(), result);
        benchmark::DoNotOptimize(result.textHeight);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(texts.size()));
}
BENCHMARK(BM_LayoutOnly10000Memos)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
