#!/usr/bin/env bash
# Builds the library and runs the demo host under Wine. Its text output is
# printed and kept in build/demo-output/dpi-NNN/demo.txt.
# With a display (DISPLAY set, as on a desktop) the demo ends in its log window
# on that display, for a person to use until they close it. Without one (as in
# CI), or with TESSARO_DEMO_TOUR=1, it runs on a private Xvfb display and a
# script tours the window, saving screenshots beside demo.txt, once at each of
# 100 %, 150 % and 200 % (96, 144 and 192 DPI) into demo-output/dpi-100,
# dpi-150 and dpi-200.
# TESSARO_DEMO_DPI runs the demo on a display at that resolution instead (for
# example 144 for 150 %); with a tour, only that one.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

configure_and_build TessaroDemo

mode=()
if [ -n "${DISPLAY:-}" ] && [ -z "${TESSARO_DEMO_TOUR:-}" ]; then
    export TESSARO_USE_DISPLAY="$DISPLAY"
    mode=(--window)
fi

if [ -n "${TESSARO_DEMO_DPI:-}" ]; then
    dpis=("$TESSARO_DEMO_DPI")
elif [ ${#mode[@]} -gt 0 ]; then
    dpis=(96)
else
    dpis=(96 144 192)
fi

source "$ROOT/scripts/wine-env.sh"
wine_start
wine_dpi_start "${dpis[@]}"

OUT="$BUILD/demo-output"
cd "$BUILD/bin"
status=0
for dpi in "${dpis[@]}"; do
    folder="$OUT/dpi-$((dpi * 100 / 96))"
    rm -rf "$folder"
    mkdir -p "$folder"
    echo "== demo at $dpi DPI, output in $folder"
    TESSARO_DPI="$dpi" TESSARO_NEEDS_DISPLAY=1 TESSARO_DEMO_OUTPUT="$folder" \
        "$ROOT/scripts/wine-run" TessaroDemo.exe "${mode[@]}" "$@" | tr -d '\r' | tee "$folder/demo.txt" ||
        status=$?
done
echo "Demo output kept in $OUT"
exit $status
