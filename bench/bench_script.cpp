// Script interpreter speed: a counting loop, calls of a script function and
// string building (the same loops as bench/script_vs_lua.sh runs in Lua).
#include "script/program.h"

#include <benchmark/benchmark.h>

namespace {

const char* kCounting = "var i, s: Integer;\r\n"
                        "begin\r\n"
                        "  s := 0;\r\n"
                        "  for i := 1 to 10000000 do s := (s + i) mod 1000;\r\n"
                        "  Result := s;\r\n"
                        "end";

const char* kCalls = "unit Bench;\r\n"
                     "function Add(A, B: Integer): Integer;\r\n"
                     "begin\r\n"
                     "  Result := A + B;\r\n"
                     "end;\r\n"
                     "procedure Main;\r\n"
                     "var i, s: Integer;\r\n"
                     "begin\r\n"
                     "  s := 0;\r\n"
                     "  for i := 1 to 1000000 do s := Add(s, i) mod 1000;\r\n"
                     "end;\r\n"
                     "end.";

// The call alone, and the call with two arguments: what a call and an
// argument cost apart from the work of the routine.
const char* kBareCalls = "unit Bench;\r\n"
                         "procedure P;\r\n"
                         "begin\r\n"
                         "end;\r\n"
                         "procedure Main;\r\n"
                         "var i: Integer;\r\n"
                         "begin\r\n"
                         "  for i := 1 to 1000000 do P;\r\n"
                         "end;\r\n"
                         "end.";

const char* kArgumentCalls = "unit Bench;\r\n"
                             "procedure P(A, B: Integer);\r\n"
                             "begin\r\n"
                             "end;\r\n"
                             "procedure Main;\r\n"
                             "var i, s: Integer;\r\n"
                             "begin\r\n"
                             "  s := 0;\r\n"
                             "  for i := 1 to 1000000 do P(s, i);\r\n"
                             "end;\r\n"
                             "end.";

const char* kStrings = "var i: Integer; s: string;\r\n"
                       "begin\r\n"
                       "  s := '';\r\n"
                       "  for i := 1 to 100000 do s := s + 'ab';\r\n"
                       "  Result := s;\r\n"
                       "end";

void runSource(benchmark::State& state, const char* source)
{
    TKSInterpreterProgram interpreter;
    interpreter.setSource(source);
    for (auto _ : state)
        benchmark::DoNotOptimize(interpreter.Run());
}

void BM_ScriptCountingLoop10M(benchmark::State& state) { runSource(state, kCounting); }
void BM_ScriptFunctionCalls1M(benchmark::State& state) { runSource(state, kCalls); }
void BM_ScriptStringBuild100K(benchmark::State& state) { runSource(state, kStrings); }
void BM_ScriptBareCalls1M(benchmark::State& state) { runSource(state, kBareCalls); }
void BM_ScriptTwoArgumentCalls1M(benchmark::State& state) { runSource(state, kArgumentCalls); }

// One run per repetition, three repetitions: bench/script_vs_lua.sh takes the
// fastest, as it does for Lua, so that a busy machine does not decide the ratio.
BENCHMARK(BM_ScriptCountingLoop10M)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ScriptFunctionCalls1M)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ScriptStringBuild100K)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ScriptBareCalls1M)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_ScriptTwoArgumentCalls1M)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
