// Watches the message boxes that the calling thread shows, records what each
// looked like and closes it by pressing a chosen button, so that tests can show
// real boxes without a person. Needs a display (DISPLAY tests).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/support/WindowReaders.h"

namespace TestSupport {

struct ShownMessageBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr;       // null when the box shows no icon
    std::vector<int> buttons;   // IDOK, IDYES, ... in id order
    int cursorCount = 0;        // the cursor's display count while the box was up

    bool HasButton(int id) const { return std::find(buttons.begin(), buttons.end(), id) != buttons.end(); }
};

class MessageBoxWatcher {
public:
    // Closes each box with reply (IDOK, IDNO, ...) that opens while the watcher
    // lives; windows open before it are left alone. One watcher per thread.
    explicit MessageBoxWatcher(int reply = IDOK) : m_reply(reply)
    {
        if (t_watcher)
            return;  // Hooked() tells the test
        // Dialogs already open (one whose OK button shows the box, say) are not
        // boxes to close when they become active again.
        ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM seen) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(seen)->push_back(window);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&m_seen));
        m_hook = ::SetWindowsHookExW(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
        if (m_hook)
            t_watcher = this;
    }
    ~MessageBoxWatcher()
    {
        if (m_hook) {
            ::UnhookWindowsHookEx(m_hook);
            t_watcher = nullptr;
        }
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    const std::vector<ShownMessageBox>& Boxes() const { return m_boxes; }
    bool Hooked() const { return m_hook != nullptr; }

private:
    static std::wstring ClassOf(HWND window)
    {
        wchar_t name[16] = {};
        ::GetClassNameW(window, name, 16);
        return name;
    }

    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        MessageBoxWatcher* watcher = t_watcher;
        const auto window = reinterpret_cast<HWND>(wParam);
        if (watcher && code == HCBT_ACTIVATE && ClassOf(window) == L"#32770" &&
            std::find(watcher->m_seen.begin(), watcher->m_seen.end(), window) == watcher->m_seen.end()) {
            watcher->m_seen.push_back(window);
            watcher->Record(window);
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(watcher->m_reply, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(watcher ? watcher->m_hook : nullptr, code, wParam, lParam);
    }

    void Record(HWND box)
    {
        ShownMessageBox shown;
        shown.caption = WindowText(box);
        shown.owner = ::GetWindow(box, GW_OWNER);
        ::EnumChildWindows(box, [](HWND child, LPARAM found) -> BOOL {
            auto* shown = reinterpret_cast<ShownMessageBox*>(found);
            if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0)
                return TRUE;
            // The box itself is not visible yet when it is activated: read the
            // controls' own style bits.
            const LONG style = ::GetWindowLongW(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) != SS_ICON && shown->text.empty())
                shown->text = WindowText(child);
            else if ((style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE))
                shown->icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
            return TRUE;
        }, reinterpret_cast<LPARAM>(&shown));
        for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE}) {
            HWND button = ::GetDlgItem(box, id);
            if (button && (::GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE))
                shown.buttons.push_back(id);
        }
        shown.cursorCount = ::ShowCursor(TRUE) - 1;
        ::ShowCursor(FALSE);
        m_boxes.push_back(shown);
    }

    static inline thread_local MessageBoxWatcher* t_watcher = nullptr;
    HHOOK m_hook = nullptr;
    int m_reply;
    std::vector<ShownMessageBox> m_boxes;
    std::vector<HWND> m_seen;
};

// The system's icon for an MB_ICON... value (shared handles, as message boxes use).
inline HICON SystemIconFor(UINT iconType)
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
