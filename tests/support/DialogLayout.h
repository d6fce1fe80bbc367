// Layout checks for a window's controls at any display resolution: every text
// fits its control, and no two visible controls partly overlap (one lying
// wholly inside another, as a page inside its tabs, is a design, not a fault).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace TestSupport {

struct ControlBox {
    HWND window;
    RECT rect;  // in the parent's client coordinates
};

inline std::vector<ControlBox> VisibleChildren(HWND parent)
{
    std::vector<ControlBox> boxes;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child))
            continue;
        RECT rect = {};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        boxes.push_back({child, rect});
    }
    return boxes;
}

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// The text's extent in the control's font, wrapped at the control's width for static text.
inline SIZE TextExtent(HWND control, const std::wstring& text, bool wrap)
{
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT client = {};
    ::GetClientRect(control, &client);
    RECT measured = {0, 0, wrap ? client.right : 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return {measured.right, measured.bottom};
}

// What is wrong with the layout of `parent`'s visible controls; empty when nothing.
inline std::vector<std::wstring> LayoutFaults(HWND parent)
{
    std::vector<std::wstring> faults;
    const std::vector<ControlBox> boxes = VisibleChildren(parent);
    const auto name = [](HWND window) { return ClassOf(window) + L" " + std::to_wstring(::GetDlgCtrlID(window)); };
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            RECT common = {};
            RECT joined = {};
            ::UnionRect(&joined, &boxes[i].rect, &boxes[j].rect);
            const bool nested = ::EqualRect(&joined, &boxes[i].rect) || ::EqualRect(&joined, &boxes[j].rect);
            if (::IntersectRect(&common, &boxes[i].rect, &boxes[j].rect) && !nested)
                faults.push_back(name(boxes[i].window) + L" overlaps " + name(boxes[j].window));
        }
        const std::wstring type = ClassOf(boxes[i].window);
        const bool isStatic = _wcsicmp(type.c_str(), L"Static") == 0;
        const bool isButton = _wcsicmp(type.c_str(), L"Button") == 0;
        if (!isStatic && !isButton)
            continue;
        const LONG style = ::GetWindowLongW(boxes[i].window, GWL_STYLE);
        const LONG kind = style & (isStatic ? SS_TYPEMASK : BS_TYPEMASK);
        if ((isStatic && kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP) ||
            (isButton && kind == BS_GROUPBOX))
            continue;
        wchar_t text[1024] = {};
        ::GetWindowTextW(boxes[i].window, text, 1024);
        RECT client = {};
        ::GetClientRect(boxes[i].window, &client);
        const SIZE extent = TextExtent(boxes[i].window, text, isStatic && kind != SS_LEFTNOWORDWRAP);
        if (extent.cx > client.right || extent.cy > client.bottom)
            faults.push_back(name(boxes[i].window) + L" cuts its text \"" + text + L"\"");
    }
    return faults;
}

}  // namespace TestSupport
