// Reading back what a window shows: its text, and a bitmap's pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

inline std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The pixels of a bitmap as 32-bit 0x00RRGGBB (alpha as stored), top row
// first; empty when the bitmap cannot be read.
inline std::vector<uint32_t> BitmapPixels(HBITMAP bitmap)
{
    BITMAP shape = {};
    if (!::GetObjectW(bitmap, sizeof shape, &shape))
        return {};
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shape.bmWidth, -shape.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(static_cast<size_t>(shape.bmWidth) * static_cast<size_t>(shape.bmHeight));
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), pixels.data(), &info,
                                 DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != shape.bmHeight)
        pixels.clear();
    return pixels;
}

}  // namespace TestSupport
