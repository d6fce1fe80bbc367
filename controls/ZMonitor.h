// Monitor placement: where a window's screen is, and whether a saved window
// rectangle still lies on any attached screen.
#pragma once

#include <afxwin.h>

#include "controls/ZRect.h"
#include "foundation/TessaroApi.h"

// The monitor nearest to the window's normal (restored) rectangle, or to its
// current rectangle when it is maximised: its work area, or its whole
// rectangle. Without monitor information: the desktop work area, or the
// primary screen's size at the origin.
TESSARO_API void GetMonitorRect(HWND window, CRect& result, bool workArea);

// True when the rectangle meets no monitor's work area, so that a window
// restored there would be out of sight. False when the monitors could not
// all be examined.
TESSARO_API bool WindowNeedsRepositioning(const ZRectF& rect);

// The EnumDisplayMonitors callback of WindowNeedsRepositioning; data points to
// a ZMonitorSearch.
struct ZMonitorSearch {
    RECT rect;           // the rectangle looked for
    bool visible;        // set when a work area meets it
    bool failed;         // set when a monitor's information could not be read
};
TESSARO_API BOOL CALLBACK WindowIsVisibleInMonitorEnumProc(HMONITOR monitor, HDC dc, RECT* monitorRect, LPARAM data);

// True when some screen lies left of or above the primary one, so that
// negative window positions are legitimate.
TESSARO_API bool NegativeCoordinatesAreValid();
