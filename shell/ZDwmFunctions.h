// The desktop window manager's thumbnail calls and PrintWindow, looked up by
// name when first used: older systems lack them. A missing DWM function
// counts as done; a missing PrintWindow leaves the picture empty.
#pragma once

#include <windows.h>

HRESULT ZDwmSetIconicThumbnail(HWND window, HBITMAP bitmap, DWORD flags);
HRESULT ZDwmSetIconicLivePreviewBitmap(HWND window, HBITMAP bitmap, POINT* offset, DWORD flags);
BOOL ZPrintWindow(HWND window, HDC dc, UINT flags);
