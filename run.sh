#!/usr/bin/env bash
# Installs what is missing, builds the Release build into build/ and starts Tearvello.
set -euo pipefail
TK_ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$TK_ROOT"
scripts/deps.sh
source scripts/ccache.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build build --target tearvello tabellomatics
exec build/bin/tearvello "$@"
