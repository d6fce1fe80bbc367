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
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600 || status=$?
# A short fuzz pass of every parser (a few thousand inputs each), after the
# tests and outside their count; the summary of the tests stays the last line.
# The fuzz script starts a Wine session of its own on the same prefix.
wine_stop
trap - EXIT
mkdir -p "$BUILD/fuzz-results"
if "$ROOT/scripts/fuzz.sh" --inputs 3000 --seed 1 >"$BUILD/fuzz-results/short-pass.log" 2>&1; then
    echo "short fuzz pass: no crash, hang or leak ($(grep -c '^| [a-z0-9]* | [0-9]' "$BUILD/fuzz-results/short-pass.log") targets)"
else
    status=1
    grep -E '^\| |crash|hang|exception|grew' "$BUILD/fuzz-results/short-pass.log" || true
    echo "short fuzz pass FAILED: see $BUILD/fuzz-results/short-pass.log and $BUILD/fuzz-findings/"
fi
python3 "$ROOT/scripts/gtest-summary.py" "$BUILD/test-results" || status=1
exit $status
