// Demo section: the library's message box. Nobody sits at the demo's display,
// so each box closes itself after a moment, answering No; the section prints
// what was shown.
#include <afxwin.h>

#include <cwchar>

#include "demo/DemoMessageBox.h"
#include "demo/DemoOutput.h"
#include "foundation/ZMessageBox.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShowMilliseconds = 800;

HHOOK g_hook = nullptr;

void CALLBACK CloseBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(box, timer);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
}

const wchar_t* IconName(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) != SS_ICON || !(style & WS_VISIBLE))
            continue;
        const HICON icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        if (icon == ::LoadIconW(nullptr, IDI_QUESTION)) return L"question";
        if (icon == ::LoadIconW(nullptr, IDI_EXCLAMATION)) return L"exclamation";
        if (icon == ::LoadIconW(nullptr, IDI_HAND)) return L"error";
        if (icon == ::LoadIconW(nullptr, IDI_ASTERISK)) return L"information";
        return L"other";
    }
    return L"none";
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(box, className, 16);
        if (std::wcscmp(className, L"#32770") == 0 && ::SetTimer(box, kCloseTimer, kShowMilliseconds, CloseBox)) {
            wchar_t caption[128] = {};
            ::GetWindowTextW(box, caption, 128);
            DemoPrintf(L"shown: caption \"%ls\", icon %ls\n", caption, IconName(box));
        }
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void ShowMessageBoxes()
{
    DemoPrintf(L"== Message boxes\n");
    CWnd parent;
    HWND window = ::CreateWindowExW(0, L"Static", L"Tessaro demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    80, 80, 400, 240, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        DemoPrintf(L"skipped: no display for windows\n\n");
        return;
    }
    parent.Attach(window);
    g_hook = ::SetWindowsHookExW(WH_CBT, WatchBoxes, nullptr, ::GetCurrentThreadId());
    if (!g_hook) {
        DemoPrintf(L"skipped: the boxes could not be closed automatically\n\n");
    } else {
        int result = ZMessageBox(&parent, L"Keep the session log?", MB_YESNO, L"Tessaro demo");
        DemoPrintf(L"with a parent, Yes/No without an icon: answered %ls\n", result == IDNO ? L"No" : L"other");
        result = ZMessageBox(L"The session ended.", MB_OK | MB_ICONINFORMATION);
        DemoPrintf(L"without a parent: answered %ls\n", result == IDNO ? L"No" : L"other");
        ::UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    parent.Detach();
    ::DestroyWindow(window);
    DemoPrintf(L"\n");
}
