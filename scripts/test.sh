#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Usage: scripts/test.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TESSARO_BUILD:-$ROOT/build}

"$ROOT/scripts/ensure-tools.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

source "$ROOT/scripts/wine-env.sh"
wine_start

rm -rf "$BUILD/test-results"
mkdir -p "$BUILD/test-results"
status=0
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600 || status=$?
python3 "$ROOT/scripts/gtest-summary.py" "$BUILD/test-results" || status=1
exit $status
