// TrayIcon: one icon of the host in the notification area, kept there across
// shell restarts ("TaskbarCreated"), with a tooltip and a menu; clicks and menu
// commands become calls on the host's TrayIconClient. A hidden window of the
// class "TrayIconWndClass" (registered at load) receives the shell's
// notifications. A failed add leaves the icon not shown; the next SetTrayIcon
// tries again. Nothing is reported to the user.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "foundation/TessaroApi.h"

class TESSARO_API TrayIconClient {
public:
    virtual void OnTrayIconClick() = 0;
    virtual void OnTrayIconDoubleClick() = 0;
    // A pop-up menu to show, or none; the icon destroys it after showing it.
    virtual void GetTrayIconMenu(HMENU* menu) = 0;
    virtual void OnTrayIconCommand(UINT id) = 0;

protected:
    ~TrayIconClient() = default;
};

// Where a menu opened at the cursor goes, so that it stays on the screen.
struct TrayMenuPlacement {
    UINT flags;
    POINT anchor;
};

class TESSARO_API TrayIcon {
public:
    static constexpr UINT kCallbackMessage = WM_USER + 257;

    explicit TrayIcon(TrayIconClient* client);
    virtual ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    static ATOM RegisterClassW();
    static void UnregisterWndClass();

    bool Create();
    void SetTrayIcon(HICON icon);
    // At most the first 63 characters are shown.
    void SetTrayIconTip(const wchar_t* text);
    void RemoveTrayIcon();

    bool IsShown() const { return m_shown; }
    HWND GetSafeHwnd() const { return m_window; }

    static TrayMenuPlacement ChooseMenuPlacement(POINT cursor, int screenWidth, int screenHeight);

    // Test seam: every Shell_NotifyIconW call goes through `notify`. Returns the previous one.
    using NotifyFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    static NotifyFunction SetNotifyFunction(NotifyFunction notify);

    static WNDCLASSW m_wndClass;
    static ATOM m_atomWndClass;

private:
    bool AddInitialIcon(HICON icon);
    void DisplayMenu(HMENU menu) const;
    NOTIFYICONDATAW MakeRecord(UINT flags) const;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TrayIconClient* m_client;
    HWND m_window = nullptr;
    static constexpr size_t kTipLength = 63;

    HICON m_icon = nullptr;
    std::wstring m_tip;  // at most kTipLength characters
    bool m_shown = false;
    bool m_wanted = false;  // set by the host's SetTrayIcon, cleared by its removal
};
