#!/usr/bin/env bash
# Builds the benchmarks and runs each under Wine, leaving one JSON file per
# benchmark in build/bench-results/. Not part of scripts/test.sh.
#   scripts/bench.sh                      every benchmark
#   scripts/bench.sh bench_utf8 -- --samples 31
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

names=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do names+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift

configure_and_build benchmarks

if [ ${#names[@]} -eq 0 ]; then
    mapfile -t names < <(grep -v '^$' "$BUILD/bench/benchmarks.txt")
fi

source "$ROOT/scripts/wine-env.sh"
wine_start

# The window benchmarks draw on the run's Xvfb display.
export TESSARO_NEEDS_DISPLAY=1
RESULTS="$BUILD/bench-results"
mkdir -p "$RESULTS"
status=0
for name in "${names[@]}"; do
    echo "== $name"
    (cd "$BUILD/bin" && "$ROOT/scripts/wine-run" "$name.exe" --json "Z:$RESULTS/$name.json" "$@") || status=$?
done
exit $status
