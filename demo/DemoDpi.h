// The demo's own window sizes are designed at 96 DPI; this grows them with the
// display, as the library does its own.
#pragma once

#include <windows.h>

inline int DemoScaled(int at96)
{
    return ::MulDiv(at96, static_cast<int>(::GetDpiForSystem()), 96);
}
