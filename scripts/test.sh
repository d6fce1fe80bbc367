#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Usage: scripts/test.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

configure_and_build

source "$ROOT/scripts/wine-env.sh"
wine_start
wine_dpi_start

rm -rf "$BUILD/test-results"
mkdir -p "$BUILD/test-results"
status=0
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600 || status=$?
python3 "$ROOT/scripts/gtest-summary.py" "$BUILD/test-results" || status=1
exit $status
