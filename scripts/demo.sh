#!/usr/bin/env bash
# Builds the library and runs the demo host under Wine. Its text output is
# printed and kept in build/demo-output/demo.txt.
# With a display (DISPLAY set, as on a desktop) the demo ends in its log window
# on that display, for a person to use until they close it. Without one (as in
# CI), or with TESSARO_DEMO_TOUR=1, it runs on a private Xvfb display and a
# script tours the window, saving screenshots beside demo.txt.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

configure_and_build TessaroDemo

mode=()
if [ -n "${DISPLAY:-}" ] && [ -z "${TESSARO_DEMO_TOUR:-}" ]; then
    export TESSARO_USE_DISPLAY="$DISPLAY"
    mode=(--window)
fi

source "$ROOT/scripts/wine-env.sh"
wine_start

OUT="$BUILD/demo-output"
mkdir -p "$OUT"
cd "$BUILD/bin"
TESSARO_NEEDS_DISPLAY=1 TESSARO_DEMO_OUTPUT="$OUT" "$ROOT/scripts/wine-run" TessaroDemo.exe "${mode[@]}" "$@" \
    | tr -d '\r' | tee "$OUT/demo.txt"
echo "Demo output kept in $OUT"
