#!/usr/bin/env bash
# Installs what is missing, builds the test build (ASan + UBSan) and runs every test.
set -euo pipefail
TK_ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$TK_ROOT"
scripts/deps.sh
source scripts/ccache.sh

BUILD_DIR=build/test
cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DTK_SANITIZE=ON -DTK_TESTS=ON \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$BUILD_DIR"

# The print tests need a CUPS server with a PDF printer; started here when present.
if [[ -x scripts/cups.sh ]]; then scripts/cups.sh; fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 --timeout 900
