#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Usage: scripts/test.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

configure_and_build

source "$ROOT/scripts/wine-env.sh"
wine_start

rm -rf "$BUILD/test-results"
mkdir -p "$BUILD/test-results"
status=0
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600 -LE dpi || status=$?
# The runs at other resolutions come after, their prefixes started only then:
# the shared prefix's run never has them beside it.
wine_dpi_start
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600 -L dpi || status=$?
python3 "$ROOT/scripts/gtest-summary.py" "$BUILD/test-results" || status=1
exit $status
