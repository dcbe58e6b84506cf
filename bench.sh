#!/usr/bin/env bash
# Builds the Release build and runs every benchmark in bench/.
set -euo pipefail
TK_ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$TK_ROOT"
scripts/deps.sh
source scripts/ccache.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build build
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for bench in build/bin/bench_*; do
  [[ -x $bench ]] || continue
  echo "== $bench"
  "$bench" "$@"
done
