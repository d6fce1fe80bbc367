# Sourced by test.sh and demo.sh: one Wine prefix under the build folder, one
# persistent wineserver and one Xvfb display for the run, all stopped on exit.
# Needs BUILD set by the caller.

TESSARO_WINEPREFIX="$BUILD/wineprefix"
export TESSARO_WINEPREFIX
XVFB_PID=""

wine_prefix_init() {
    if [ -f "$TESSARO_WINEPREFIX/.tessaro-ready" ]; then return; fi
    echo "Initialising Wine prefix $TESSARO_WINEPREFIX"
    mkdir -p "$TESSARO_WINEPREFIX"
    # Headless, and without the Mono and Gecko installers that could wait for a click.
    env -u DISPLAY WINEPREFIX="$TESSARO_WINEPREFIX" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    # Unmanaged windows: otherwise every destroyed top-level window costs two seconds.
    env -u DISPLAY WINEPREFIX="$TESSARO_WINEPREFIX" WINEDEBUG=-all \
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX="$TESSARO_WINEPREFIX" wineserver -w
    touch "$TESSARO_WINEPREFIX/.tessaro-ready"
}

wine_start() {
    wine_prefix_init
    WINEPREFIX="$TESSARO_WINEPREFIX" wineserver -p
    # A caller that wants the person's own display (demo.sh with a display) names it.
    if [ -n "${TESSARO_USE_DISPLAY:-}" ]; then
        export TESSARO_DISPLAY="$TESSARO_USE_DISPLAY"
    else
        xvfb_start
    fi
    # The first program of a server session starts Wine's own background services;
    # start them here, detached from our output, or they keep ctest's pipes open.
    # (The desktop comes later, with the first program that needs it: see wine-run.)
    DISPLAY="$TESSARO_DISPLAY" WINEPREFIX="$TESSARO_WINEPREFIX" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    trap wine_stop EXIT
}

xvfb_start() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export TESSARO_DISPLAY=":$n"
}

wine_stop() {
    WINEPREFIX="$TESSARO_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}
