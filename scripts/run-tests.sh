#!/usr/bin/env bash
# For day-to-day work: builds the named test programs and runs them under the
# harness, passing any arguments after "--" to each (e.g. --gtest_filter=...).
#   scripts/run-tests.sh test_packet test_address -- --gtest_brief=1
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

targets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do targets+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift

configure_and_build "${targets[@]}"

source "$ROOT/scripts/wine-env.sh"
wine_start
status=0
for t in "${targets[@]}"; do
    # Same environment as ctest gives the program.
    env_line=$(ctest --test-dir "$BUILD" -R "^$t\$" --show-only=json-v1 2>/dev/null |
        python3 -c 'import json,sys
d=json.load(sys.stdin)
for t in d.get("tests",[]):
    for p in t.get("properties",[]):
        if p["name"]=="ENVIRONMENT": print(" ".join(p["value"]))' || true)
    (cd "$BUILD/bin" && env $env_line "$ROOT/scripts/wine-run" "$t.exe" "$@") || status=$?
done
exit $status
