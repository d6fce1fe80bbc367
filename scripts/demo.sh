#!/usr/bin/env bash
# Builds the library and runs the demo host under Wine (with an Xvfb display).
# Its output is printed and kept in build/demo-output/demo.txt, with any
# screenshots beside it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

configure_and_build TessaroDemo

source "$ROOT/scripts/wine-env.sh"
wine_start

OUT="$BUILD/demo-output"
mkdir -p "$OUT"
cd "$BUILD/bin"
TESSARO_NEEDS_DISPLAY=1 TESSARO_DEMO_OUTPUT="$OUT" "$ROOT/scripts/wine-run" TessaroDemo.exe "$@" \
    | tr -d '\r' | tee "$OUT/demo.txt"
echo "Demo output kept in $OUT"
