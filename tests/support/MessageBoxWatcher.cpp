#include "tests/support/MessageBoxWatcher.h"

#include <algorithm>

namespace TestSupport {

namespace {

thread_local MessageBoxWatcher* t_watcher = nullptr;

std::wstring WindowText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

bool IsDialogBox(HWND window)
{
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

struct ChildScan {
    HICON icon = nullptr;
    std::wstring text;
};

BOOL CALLBACK ScanChild(HWND child, LPARAM lParam)
{
    auto* scan = reinterpret_cast<ChildScan*>(lParam);
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") != 0)
        return TRUE;
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        // The box itself is not visible yet when it is activated: read the
        // controls' own style bits.
        if (style & WS_VISIBLE)
            scan->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    } else if (scan->text.empty()) {
        scan->text = WindowText(child);
    }
    return TRUE;
}

}  // namespace

bool ShownMessageBox::HasButton(int id) const
{
    return std::find(buttons.begin(), buttons.end(), id) != buttons.end();
}

MessageBoxWatcher::MessageBoxWatcher(int reply) : m_reply(reply)
{
    if (t_watcher)
        return;  // one per thread; Hooked() tells the test
    // Dialogs already open (a dialog whose OK button shows the box, say) are
    // not boxes to close when they become active again.
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM seen) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(seen)->push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&m_seen));
    m_hook = ::SetWindowsHookExW(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
    if (m_hook)
        t_watcher = this;
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    if (m_hook) {
        ::UnhookWindowsHookEx(m_hook);
        t_watcher = nullptr;
    }
}

LRESULT CALLBACK MessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    MessageBoxWatcher* watcher = t_watcher;
    if (watcher && code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogBox(window) &&
            std::find(watcher->m_seen.begin(), watcher->m_seen.end(), window) == watcher->m_seen.end()) {
            watcher->m_seen.push_back(window);
            watcher->Record(window);
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(watcher->m_reply, BN_CLICKED), 0);
        }
    }
    return ::CallNextHookEx(watcher ? watcher->m_hook : nullptr, code, wParam, lParam);
}

void MessageBoxWatcher::Record(HWND box)
{
    ShownMessageBox shown;
    shown.caption = WindowText(box);
    shown.owner = ::GetWindow(box, GW_OWNER);
    ChildScan scan;
    ::EnumChildWindows(box, ScanChild, reinterpret_cast<LPARAM>(&scan));
    shown.icon = scan.icon;
    shown.text = scan.text;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE}) {
        HWND button = ::GetDlgItem(box, id);
        if (button && (::GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE))
            shown.buttons.push_back(id);
    }
    shown.cursorCount = ::ShowCursor(TRUE) - 1;
    ::ShowCursor(FALSE);
    m_boxes.push_back(shown);
}

HICON SystemIconFor(UINT iconType)
{
    switch (iconType & MB_ICONMASK) {
    case MB_ICONHAND: return ::LoadIconW(nullptr, IDI_HAND);
    case MB_ICONQUESTION: return ::LoadIconW(nullptr, IDI_QUESTION);
    case MB_ICONEXCLAMATION: return ::LoadIconW(nullptr, IDI_EXCLAMATION);
    case MB_ICONASTERISK: return ::LoadIconW(nullptr, IDI_ASTERISK);
    default: return nullptr;
    }
}

}  // namespace TestSupport
