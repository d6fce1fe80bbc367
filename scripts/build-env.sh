# Sourced by the scripts that build: installs what is missing, configures the
# cross build in $BUILD and builds the given targets (all when none is given).
# Needs ROOT set by the caller; sets BUILD unless TESSARO_BUILD chose it.
BUILD=${TESSARO_BUILD:-$ROOT/build}

configure_and_build() {
    "$ROOT/scripts/ensure-tools.sh"
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
    if [ $# -gt 0 ]; then
        cmake --build "$BUILD" -j"$(nproc)" --target "$@"
    else
        cmake --build "$BUILD" -j"$(nproc)"
    fi
}
