// Screenshots for a person to check: the window as it is on the screen, saved
// as PNG in TESSARO_DEMO_OUTPUT.
#pragma once

#include <windows.h>

#include <string>

// The saved file's path, or empty when there is no output folder or the
// capture failed.
std::wstring SaveScreenshot(HWND window, const wchar_t* name);

// What the screen shows in area (screen coordinates): for windows that
// overlap, such as a list that drops down over its form.
std::wstring SaveScreenAreaScreenshot(const RECT& area, const wchar_t* name);

// A bitmap that is not on the screen, such as a thumbnail made for the taskbar.
std::wstring SaveBitmapScreenshot(HBITMAP bitmap, const wchar_t* name);
