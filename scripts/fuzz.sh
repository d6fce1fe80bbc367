#!/usr/bin/env bash
# Builds the fuzz programs and runs each under Wine over its seed corpus in
# fuzz/corpus/<target>/. Not part of the tests; see README.md.
#   scripts/fuzz.sh                             every target, 100000 inputs each
#   scripts/fuzz.sh utf8 packets --inputs 1000000 --seed 7
#   scripts/fuzz.sh --seconds 60                each target for at most a minute
#   scripts/fuzz.sh utf8 --replay build/fuzz-findings/utf8/crash-00000001-42.bin
#   scripts/fuzz.sh --write-corpus              rewrite the seed corpus
# Crashing and hanging inputs go to build/fuzz-findings/<target>/ with their
# seed and mutation; the script then exits non-zero. The summary table is
# appended to build/fuzz-results/fuzz-<date>.md.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

names=()
options=()
replay=""
write_corpus=0
while [ $# -gt 0 ]; do
    case "$1" in
        --inputs|--seconds|--seed) options+=("$1" "$2"); shift 2 ;;
        --replay) replay=$(realpath "$2"); shift 2 ;;
        --write-corpus) write_corpus=1; shift ;;
        -*) echo "fuzz.sh: unknown option $1" >&2; exit 1 ;;
        *) names+=("$1"); shift ;;
    esac
done

configure_and_build fuzzers
if [ ${#names[@]} -eq 0 ]; then
    mapfile -t names < <(grep -v '^$' "$BUILD/fuzz/fuzzers.txt")
fi

source "$ROOT/scripts/wine-env.sh"
wine_start

FINDINGS="$BUILD/fuzz-findings"
RESULTS="$BUILD/fuzz-results"
mkdir -p "$FINDINGS" "$RESULTS"
report="$RESULTS/fuzz-$(date -u +%Y%m%d-%H%M%S).md"
status=0
run() {
    # Programs that make windows (the command-bar XML) draw on the run's display.
    local display=""
    [ "$1" = xml ] && display=1
    (cd "$BUILD/bin" && TESSARO_NEEDS_DISPLAY=$display "$ROOT/scripts/wine-run" "fuzz_$1.exe" "${@:2}")
}
if [ $write_corpus -eq 1 ]; then
    for name in "${names[@]}"; do
        # The certificate files come from OpenSSL (fuzz/make-pfx-corpus.sh).
        [ "$name" = pfx ] && continue
        rm -rf "$ROOT/fuzz/corpus/$name"
        mkdir -p "$ROOT/fuzz/corpus"
        run "$name" --write-corpus "Z:$ROOT/fuzz/corpus/$name" || status=$?
    done
    exit $status
fi
if [ -n "$replay" ]; then
    [ ${#names[@]} -eq 1 ] || { echo "fuzz.sh: --replay needs exactly one target" >&2; exit 1; }
    run "${names[0]}" --corpus "Z:$ROOT/fuzz/corpus/${names[0]}" --findings "Z:$FINDINGS/replayed" --replay "Z:$replay"
    exit $?
fi
printf '| target | inputs | inputs/s | outcomes | crashes | hangs | peak memory | growth after warm-up |\n' >"$report"
printf '|---|---|---|---|---|---|---|---|\n' >>"$report"
for name in "${names[@]}"; do
    code=0
    run "$name" --corpus "Z:$ROOT/fuzz/corpus/$name" --findings "Z:$FINDINGS/$name" \
        --report "Z:$report" "${options[@]}" || code=$?
    case $code in
        0) ;;
        2) printf '| %s | | | | 1 | 0 | | |\n' "$name" >>"$report"; status=1 ;;
        3) printf '| %s | | | | 0 | 1 | | |\n' "$name" >>"$report"; status=1 ;;
        *) status=1 ;;
    esac
done
echo "table: $report"
exit $status
