#include "shell/ZWindowCapture.h"

#include <algorithm>

#include "shell/ZDwmFunctions.h"
#include "controls/ZDpiScale.h"
#include "controls/ZGdiScope.h"

namespace {

constexpr int kIconSide = 48;  // at 96 DPI

void ClearAlpha(void* bits, SIZE size)
{
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0, n = static_cast<size_t>(size.cx) * size.cy; i < n; ++i)
        pixels[i] &= 0x00FFFFFFu;
}

}  // namespace

SIZE ZCaptureSize(int visibleWidth, int visibleHeight, int width, int height)
{
    if (visibleWidth <= 0 || visibleHeight <= 0)
        return SIZE{0, 0};
    if (width == 0 || height == 0)
        return SIZE{visibleWidth, visibleHeight};
    const double scale = std::min(static_cast<double>(width) / visibleWidth,
                                  static_cast<double>(height) / visibleHeight);
    return SIZE{std::max(1, static_cast<int>(visibleWidth * scale)),
                std::max(1, static_cast<int>(visibleHeight * scale))};
}

RECT ZVisiblePart(HWND window)
{
    RECT bounds = {};
    ::GetWindowRect(window, &bounds);
    RECT visible = bounds;
    HWND parent = (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? ::GetParent(window) : nullptr;
    if (parent) {
        RECT client = {};
        ::GetClientRect(parent, &client);
        ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
        if (!::IntersectRect(&visible, &bounds, &client))
            return RECT{};
    }
    ::OffsetRect(&visible, -bounds.left, -bounds.top);
    return visible;
}

ZBitmapHandle ZCaptureWindow(HWND window, int width, int height, HICON icon, SIZE& size)
{
    size = SIZE{0, 0};
    const RECT visible = ZVisiblePart(window);
    const int visibleWidth = visible.right - visible.left;
    const int visibleHeight = visible.bottom - visible.top;
    if ((visibleWidth <= 0 || visibleHeight <= 0) && !icon)
        return {};
    CClientDC screen(nullptr);  // the screen
    const int iconSide = AdjustForDpiX(&screen, kIconSide);
    const SIZE chosen = icon ? SIZE{iconSide, iconSide} : ZCaptureSize(visibleWidth, visibleHeight, width, height);
    void* bits = nullptr;
    ZBitmapHandle picture = ZCreateTopDownSection(chosen.cx, chosen.cy, &bits);
    ZMemoryDc pictureDc(::CreateCompatibleDC(nullptr));
    if (!picture || !pictureDc)
        return {};
    {
        ZSelection selection(pictureDc.get(), picture.get());
        if (icon) {
            ::DrawIconEx(pictureDc.get(), 0, 0, icon, chosen.cx, chosen.cy, 0, nullptr, DI_NORMAL);
        } else {
            RECT bounds = {};
            ::GetWindowRect(window, &bounds);
            ZBitmapHandle whole = ZCreateTopDownSection(bounds.right - bounds.left, bounds.bottom - bounds.top);
            ZMemoryDc wholeDc(::CreateCompatibleDC(nullptr));
            if (!whole || !wholeDc)
                return {};
            ZSelection wholeSelection(wholeDc.get(), whole.get());
            ZPrintWindow(window, wholeDc.get(), 0);
            if (chosen.cx == visibleWidth && chosen.cy == visibleHeight) {
                ::BitBlt(pictureDc.get(), 0, 0, chosen.cx, chosen.cy, wholeDc.get(), visible.left, visible.top,
                         SRCCOPY);
            } else {
                ::SetStretchBltMode(pictureDc.get(), HALFTONE);
                ::SetBrushOrgEx(pictureDc.get(), 0, 0, nullptr);
                ::StretchBlt(pictureDc.get(), 0, 0, chosen.cx, chosen.cy, wholeDc.get(), visible.left, visible.top,
                             visibleWidth, visibleHeight, SRCCOPY);
            }
        }
        ::GdiFlush();
    }
    ClearAlpha(bits, chosen);
    size = chosen;
    return picture;
}

ZBitmapHandle ZShrinkToFit(HBITMAP source, int maxWidth, int maxHeight)
{
    const SIZE from = ZGetBitmapSize(source);
    const SIZE to = ZFitSize(from, SIZE{maxWidth, maxHeight}, false);
    return ZScaleBitmap(source, to.cx, to.cy);
}
