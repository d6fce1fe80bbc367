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
wine_dpi_start
status=0
for t in "${targets[@]}"; do
    # Every test of the program (one per resolution for some), with the
    # environment ctest gives it: the variables, then the test's name.
    while read -r name env_line; do
        [ -n "$name" ] || continue
        echo "== $name"
        (cd "$BUILD/bin" && env $env_line "$ROOT/scripts/wine-run" "$t.exe" "$@") || status=$?
    done < <(ctest --test-dir "$BUILD" -R "^$t(_dpi[0-9]+)?\$" --show-only=json-v1 2>/dev/null |
        python3 -c 'import json,sys
d=json.load(sys.stdin)
for t in d.get("tests",[]):
    env=[" ".join(p["value"]) for p in t.get("properties",[]) if p["name"]=="ENVIRONMENT"]
    print(t["name"], *env)' || true)
done
exit $status
