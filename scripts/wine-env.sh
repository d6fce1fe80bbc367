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

# Starts an Xvfb on the first free display number and sets XVFB_NEW_PID and
# XVFB_NEW_DISPLAY. Not to be called in a subshell: the Xvfb is this shell's to stop.
xvfb_launch() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_NEW_PID=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    XVFB_NEW_DISPLAY=":$n"
}

xvfb_start() {
    xvfb_launch
    XVFB_PID=$XVFB_NEW_PID
    export TESSARO_DISPLAY="$XVFB_NEW_DISPLAY"
}

wine_stop() {
    WINEPREFIX="$TESSARO_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}

# Prefixes at other display resolutions, for test programs declared to run at
# several (TESSARO_DPI picks one in wine-run). Each is a copy of the initialised
# prefix with the user's LogPixels changed, so the shared prefix stays at 96.
TESSARO_DPIS="144 192"

wine_dpi_prefix() {
    echo "$TESSARO_WINEPREFIX-dpi$1"
}

wine_dpi_prefix_init() {
    local prefix
    prefix=$(wine_dpi_prefix "$1")
    # The prefix's "wineserver" file names its server's folder: a copy of the
    # shared prefix's would make the two prefixes share one server.
    if cmp -s "$prefix/wineserver" "$TESSARO_WINEPREFIX/wineserver" 2>/dev/null; then rm -f "$prefix/wineserver"; fi
    if [ -f "$prefix/.tessaro-ready" ]; then return; fi
    echo "Initialising Wine prefix $prefix"
    rm -rf "$prefix"
    # A whole copy: files shared by hard links would share their locks and
    # their contents between the prefixes. The server saves the registry whole,
    # so a running one does not matter.
    cp -a "$TESSARO_WINEPREFIX" "$prefix"
    rm -f "$prefix/.tessaro-ready" "$prefix/wineserver"
    env -u DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    WINEPREFIX="$prefix" wineserver -w
    touch "$prefix/.tessaro-ready"
}

# After wine_start: makes the prefixes once, then gives each a persistent server
# and its background services, as wine_start does for the shared one, on an
# Xvfb display of its own (the desktops, trays and clipboards of two prefixes
# must not meet on one display). A person's own display is shared. Takes the
# resolutions to serve (default: TESSARO_DPIS).
TESSARO_DPIS_STARTED=""
TESSARO_DPI_XVFB_PIDS=""

wine_dpi_start() {
    local dpi prefix display
    trap 'wine_dpi_stop; wine_stop' EXIT
    for dpi in ${@:-$TESSARO_DPIS}; do
        [ "$dpi" = 96 ] && continue
        prefix=$(wine_dpi_prefix "$dpi")
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
        wine_dpi_prefix_init "$dpi"
        WINEPREFIX="$prefix" wineserver -p
        if [ -n "${TESSARO_USE_DISPLAY:-}" ]; then
            display="$TESSARO_USE_DISPLAY"
        else
            xvfb_launch
            TESSARO_DPI_XVFB_PIDS="$TESSARO_DPI_XVFB_PIDS $XVFB_NEW_PID"
            display="$XVFB_NEW_DISPLAY"
        fi
        export "TESSARO_DISPLAY_DPI$dpi=$display"
        DISPLAY="$display" WINEPREFIX="$prefix" WINEDEBUG=-all \
            WINEDLLOVERRIDES="mscoree,mshtml=" wine cmd /c exit </dev/null >/dev/null 2>&1 || true
        TESSARO_DPIS_STARTED="$TESSARO_DPIS_STARTED $dpi"
    done
}

wine_dpi_stop() {
    local dpi pid
    for dpi in $TESSARO_DPIS_STARTED; do
        WINEPREFIX="$(wine_dpi_prefix "$dpi")" wineserver -k >/dev/null 2>&1 || true
    done
    for pid in $TESSARO_DPI_XVFB_PIDS; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
