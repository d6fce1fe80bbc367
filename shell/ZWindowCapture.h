// Pictures of a window for the taskbar: the part of a child window that its
// parent shows, printed and scaled into a 32-bit section whose alpha bytes
// are 0; or an icon in its place.
#pragma once

#include <windows.h>

#include "controls/ZBitmap.h"

// The size a capture of a visible part of visibleWidth x visibleHeight gets
// for a request of width x height (0 in either: the visible size): scaled by
// the smaller ratio, truncated, at least 1 x 1.
SIZE ZCaptureSize(int visibleWidth, int visibleHeight, int width, int height);

// The part of window inside its parent's client area, relative to window's
// top-left corner (the whole window for a top-level one).
RECT ZVisiblePart(HWND window);

// Captures window as above. With icon the picture is the icon at 48 x 48
// whatever the window shows. size receives the picture's size. Null when
// nothing of the window is visible and no icon is given.
ZBitmapHandle ZCaptureWindow(HWND window, int width, int height, HICON icon, SIZE& size);

// A new section of at most maxWidth x maxHeight holding source reduced by the
// smaller ratio (never enlarged), copied with HALFTONE.
ZBitmapHandle ZShrinkToFit(HBITMAP source, int maxWidth, int maxHeight);
