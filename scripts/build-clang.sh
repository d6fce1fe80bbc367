#!/usr/bin/env bash
# Builds the library and the stand-ins with clang, in a build folder of their own
# (build-clang, or TESSARO_CLANG_BUILD), and fails on any compiler or linker
# warning: the code must stay acceptable to a second compiler.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TESSARO_CLANG_BUILD:-$ROOT/build-clang}
"$ROOT/scripts/ensure-tools.sh"
# No optimisation: clang's warnings all come before code generation.
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE= \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/clang-mingw-w64.cmake" \
      -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
log="$BUILD/clang-build.log"
status=0
cmake --build "$BUILD" -j"$(nproc)" --target Tessaro87U TessaroMfc TessaroToolkit -- -k 0 \
    >"$log" 2>&1 || status=$?
# Warnings are errors for the compiler; the linker's are caught here.
if grep -q 'warning' "$log"; then status=1; fi
if [ $status -ne 0 ]; then
    grep -E -B2 -A6 'warning|error' "$log" | head -n 200 || true
    echo "clang build: FAILED (full log in $log)"
else
    echo "clang build: the library and the stand-ins built warning-free"
fi
exit $status
