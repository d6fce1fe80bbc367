// For test programs declared to run at several display resolutions: the DPI
// this run was started at (TESSARO_DPI, 96 when unset) and sizes designed at
// 96 DPI scaled to it.
#pragma once

#include <windows.h>

#include <cstdlib>

namespace TestSupport {

inline int RunDpi()
{
    wchar_t text[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TESSARO_DPI", text, 16);
    const int dpi = length > 0 && length < 16 ? _wtoi(text) : 0;
    return dpi > 0 ? dpi : 96;
}

inline int Scaled(int at96)
{
    return ::MulDiv(at96, RunDpi(), 96);
}

// True when the display reports the run's DPI both ways; a run whose prefix
// lost its setting would otherwise test 96 DPI under another name.
inline bool DisplayHasTheRunsDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int logPixels = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return logPixels == RunDpi() && static_cast<int>(::GetDpiForSystem()) == RunDpi();
}

}  // namespace TestSupport
