#include "controls/ZMonitor.h"

namespace {

BOOL CALLBACK FindNegativeOrigin(HMONITOR, HDC, RECT* monitorRect, LPARAM found)
{
    if (monitorRect->left < 0 || monitorRect->top < 0)
        *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

}  // namespace

void GetMonitorRect(HWND window, CRect& result, bool workArea)
{
    CRect rect;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (::IsZoomed(window))
        ::GetWindowRect(window, &rect);
    else if (::GetWindowPlacement(window, &placement))
        rect = placement.rcNormalPosition;

    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) {
        result = workArea ? info.rcWork : info.rcMonitor;
        return;
    }
    if (workArea && ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &result, 0))
        return;
    result = CRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
}

BOOL CALLBACK WindowIsVisibleInMonitorEnumProc(HMONITOR monitor, HDC, RECT*, LPARAM data)
{
    auto* search = reinterpret_cast<ZMonitorSearch*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) {
        search->failed = true;
        return FALSE;
    }
    RECT common;
    if (::IntersectRect(&common, &info.rcWork, &search->rect))
        search->visible = true;
    return TRUE;
}

bool WindowNeedsRepositioning(const ZRectF& rect)
{
    ZMonitorSearch search = {rect.ToCRect(), false, false};
    const BOOL completed =
        ::EnumDisplayMonitors(nullptr, nullptr, WindowIsVisibleInMonitorEnumProc, reinterpret_cast<LPARAM>(&search));
    return completed && !search.failed && !search.visible;
}

bool NegativeCoordinatesAreValid()
{
    bool found = false;
    const BOOL completed =
        ::EnumDisplayMonitors(nullptr, nullptr, FindNegativeOrigin, reinterpret_cast<LPARAM>(&found));
    return completed && found;
}
