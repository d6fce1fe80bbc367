// Layout checks for a window's controls at any display resolution: every text
// fits its control, and no two visible controls partly overlap (one lying
// wholly inside another, as a page inside its tabs, is a design, not a fault).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// Whether the control's text, in its font (wrapped at its width when `wrap`), fits its client area.
inline bool TextFits(HWND control, const std::wstring& text, bool wrap)
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
    return measured.right <= client.right && measured.bottom <= client.bottom;
}

// What is wrong with the layout of `parent`'s visible controls; empty when nothing.
inline std::vector<std::wstring> LayoutFaults(HWND parent)
{
    std::vector<std::pair<HWND, RECT>> boxes;  // rectangles in the parent's client coordinates
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        if (::IsWindowVisible(child))
            boxes.push_back({child, rect});
    }
    std::vector<std::wstring> faults;
    const auto name = [](HWND window) { return ClassOf(window) + L" " + std::to_wstring(::GetDlgCtrlID(window)); };
    for (size_t i = 0; i < boxes.size(); ++i) {
        const auto& [window, rect] = boxes[i];
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            RECT common = {};
            RECT joined = {};
            ::UnionRect(&joined, &rect, &boxes[j].second);
            const bool nested = ::EqualRect(&joined, &rect) || ::EqualRect(&joined, &boxes[j].second);
            if (::IntersectRect(&common, &rect, &boxes[j].second) && !nested)
                faults.push_back(name(window) + L" overlaps " + name(boxes[j].first));
        }
        const std::wstring type = ClassOf(window);
        const bool isStatic = _wcsicmp(type.c_str(), L"Static") == 0;
        const bool isButton = _wcsicmp(type.c_str(), L"Button") == 0;
        const LONG kind = ::GetWindowLongW(window, GWL_STYLE) & (isStatic ? SS_TYPEMASK : BS_TYPEMASK);
        // Only text controls; pictures, frames and group boxes draw no text to fit.
        if ((!isStatic && !isButton) ||
            (isStatic && kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP) ||
            (isButton && kind == BS_GROUPBOX))
            continue;
        wchar_t text[1024] = {};
        ::GetWindowTextW(window, text, 1024);
        if (!TextFits(window, text, isStatic && kind != SS_LEFTNOWORDWRAP))
            faults.push_back(name(window) + L" cuts its text \"" + text + L"\"");
    }
    return faults;
}

}  // namespace TestSupport
