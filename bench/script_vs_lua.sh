#!/usr/bin/env bash
# Runs the script interpreter benchmark and the same three loops in Lua 5.4
# (Debian's lua5.4, installed when missing) and prints both times and ratios.
# Usage: bench/script_vs_lua.sh [BUILD_DIR]   (a Release build; default build, as ./bench.sh makes it)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
bench="$build/bin/bench_script"
[ -x "$bench" ] || bench="$build/bench/bench_script"
if [ ! -x "$bench" ]; then
  echo "bench_script not found under $build: build the Release tree first (./bench.sh)" >&2
  exit 1
fi
if ! command -v lua5.4 >/dev/null 2>&1; then
  apt-get update -qq && apt-get install -y -qq lua5.4 >/dev/null
fi

lua_time() {  # prints seconds taken by the Lua chunk, best of three
  lua5.4 -e "
    local best = math.huge
    for _ = 1, 3 do
      local t = os.clock()
      $1
      best = math.min(best, os.clock() - t)
    end
    print(string.format('%.4f', best))"
}

lua_counting=$(lua_time 'local s = 0 for i = 1, 10000000 do s = (s + i) % 1000 end')
lua_calls=$(lua_time 'local function add(a, b) return a + b end local s = 0 for i = 1, 1000000 do s = add(s, i) % 1000 end')
lua_strings=$(lua_time "local s = '' for i = 1, 100000 do s = s .. 'ab' end")

csv=$("$bench" --benchmark_format=csv 2>/dev/null | grep '^"BM_')
script_time() {  # fastest CPU time in seconds of a benchmark's repetitions (reported in ms), as os.clock measures Lua
  echo "$csv" | awk -F, -v name="\"$1/" '
    index($1, name) == 1 && $1 !~ /_(mean|median|stddev|cv)"$/ { t = $4 / 1000; if (best == "" || t < best) best = t }
    END { printf "%.4f", best }'
}
script_counting=$(script_time BM_ScriptCountingLoop10M)
script_calls=$(script_time BM_ScriptFunctionCalls1M)
script_strings=$(script_time BM_ScriptStringBuild100K)

printf '%-28s %10s %10s %8s\n' "loop" "script s" "lua s" "ratio"
row() { printf '%-28s %10s %10s %8.2f\n' "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)"; }
row "counting to 10 million" "$script_counting" "$lua_counting"
row "1 million calls (2 args)" "$script_calls" "$lua_calls"
row "100 000 string pieces" "$script_strings" "$lua_strings"
