// Expression speed: evaluating a converted numeric expression with report
// variables (and its heap allocations), and the capital money writing.
#include "expr/chinesenumerals.h"
#include "expr/evalcontext.h"
#include "expr/stdfunctions.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};

} // namespace

// Counts every heap allocation of the process, so that a benchmark can report
// allocations per iteration.
void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Ten operators, three report variables.
constexpr const char* kNumericExpression = "(Price * Qty + 5) * (1 + Rate / 100) - Price / 2 + Qty * 3 - 1";

void BM_EvaluateConvertedNumericExpression(benchmark::State& state)
{
    TKSEvalContext context;
    context.Variables.SetValue("Price", platform::Variant(12.5));
    context.Variables.SetValue("Qty", platform::Variant(4));
    context.Variables.SetValue("Rate", platform::Variant(13.0));
    TKSParser& parser = context.Parser();
    const std::string converted = parser.Convert(kNumericExpression);
    benchmark::DoNotOptimize(parser.Calc(converted));  // warm the workspace
    long before = allocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.Calc(converted));
    state.counters["allocs_per_eval"] =
        benchmark::Counter(double(allocations.load() - before), benchmark::Counter::kAvgIterations);
    state.counters["evals_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluateConvertedNumericExpression);

void BM_CurrencyToCapitalNumerals(benchmark::State& state)
{
    std::int64_t amount = 12345678901;  // 1234567.8901
    for (auto _ : state) {
        benchmark::DoNotOptimize(chinese::currencyToBig(amount));
        amount = amount * 7 % 9999999999999 + 1;
    }
    state.counters["calls_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CurrencyToCapitalNumerals);

// CURRTOBIGNUM through the library, with the argument handed in as a value
// (as the script calls it).
void BM_CurrToBigNumThroughTheLibrary(benchmark::State& state)
{
    RegisterStdFunctionLibrary();
    TKSEvalContext context;
    TKSParser& parser = context.Parser();
    parser.ArgumentsAreValues = true;
    TKSArguments arguments;
    arguments.fill(platform::Variant(std::string()));
    platform::Variant result;
    double amount = 1234567.89;
    for (auto _ : state) {
        arguments[0] = platform::Variant(amount);
        CallFunctionLibraries(parser, "CURRTOBIGNUM", arguments, result);
        benchmark::DoNotOptimize(result);
        amount += 1.01;
    }
    state.counters["calls_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CurrToBigNumThroughTheLibrary);

// CURRTOBIGNUM(Amount) written in an expression, evaluated from its converted form.
void BM_CurrToBigNumInAnExpression(benchmark::State& state)
{
    RegisterStdFunctionLibrary();
    TKSEvalContext context;
    context.Variables.SetValue("Amount", platform::Variant(1234567.89));
    const std::string converted = context.Parser().Convert("CURRTOBIGNUM(Amount)");
    for (auto _ : state)
        benchmark::DoNotOptimize(context.Parser().Calc(converted));
    state.counters["calls_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CurrToBigNumInAnExpression);

} // namespace

BENCHMARK_MAIN();
