#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, only when missing.
set -euo pipefail

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(mingw-w64)
command -v x86_64-w64-mingw32-windmc    >/dev/null || need+=(binutils-mingw-w64-x86-64)
command -v wine        >/dev/null || need+=(wine wine64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v Xvfb        >/dev/null || need+=(xvfb)
command -v xauth       >/dev/null || need+=(xauth)
command -v import      >/dev/null || need+=(imagemagick)
command -v cmake       >/dev/null || need+=(cmake)
command -v make        >/dev/null || need+=(make)
# The second compiler's build (scripts/build-clang.sh).
command -v clang       >/dev/null || need+=(clang)
command -v ld.lld      >/dev/null || need+=(lld)
command -v ninja       >/dev/null || need+=(ninja-build)
command -v python3     >/dev/null || need+=(python3)
# The Linux-side peers of the socket tests.
command -v socat       >/dev/null || need+=(socat)
# The certificate tests check what the library wrote with OpenSSL.
command -v openssl     >/dev/null || need+=(openssl)
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || need+=(googletest)

if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${need[@]}"
fi
