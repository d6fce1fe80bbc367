#!/usr/bin/env bash
# Builds the library and runs the demo host under Wine (with an Xvfb display).
# Its output is printed and kept in build/demo-output/demo.txt, with any
# screenshots beside it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TESSARO_BUILD:-$ROOT/build}

"$ROOT/scripts/ensure-tools.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target TessaroDemo

source "$ROOT/scripts/wine-env.sh"
wine_start

OUT="$BUILD/demo-output"
mkdir -p "$OUT"
cd "$BUILD/bin"
TESSARO_NEEDS_DISPLAY=1 TESSARO_DEMO_OUTPUT="$OUT" "$ROOT/scripts/wine-run" TessaroDemo.exe "$@" \
    | tr -d '\r' | tee "$OUT/demo.txt"
echo "Demo output kept in $OUT"
