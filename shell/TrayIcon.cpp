#include "shell/TrayIcon.h"

#include <cwchar>

#include "foundation/TessaroInit.h"

WNDCLASSW TrayIcon::m_wndClass = {};
ATOM TrayIcon::m_atomWndClass = 0;

namespace {

constexpr wchar_t kClassName[] = L"TrayIconWndClass";

UINT g_taskbarCreated = 0;
TrayIcon::NotifyFunction g_notify = ::Shell_NotifyIconW;

}  // namespace

TrayIcon::TrayIcon(TrayIconClient* client) : m_client(client) {}

TrayIcon::~TrayIcon()
{
    if (!m_window)
        return;
    RemoveTrayIcon();
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    ::DestroyWindow(m_window);
}

ATOM TrayIcon::RegisterClassW()
{
    m_wndClass = {};
    m_wndClass.style = CS_VREDRAW;
    m_wndClass.lpfnWndProc = WindowProc;
    m_wndClass.hInstance = GetTessaroDll();
    m_wndClass.lpszClassName = kClassName;
    m_atomWndClass = ::RegisterClassW(&m_wndClass);
    return m_atomWndClass;
}

void TrayIcon::UnregisterWndClass()
{
    if (m_atomWndClass)
        ::UnregisterClassW(kClassName, GetTessaroDll());
    m_atomWndClass = 0;
}

TrayIcon::NotifyFunction TrayIcon::SetNotifyFunction(NotifyFunction notify)
{
    const NotifyFunction previous = g_notify;
    g_notify = notify ? notify : ::Shell_NotifyIconW;
    return previous;
}

bool TrayIcon::Create()
{
    if (m_window)
        return true;
    m_window = ::CreateWindowExW(0, kClassName, kClassName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                                 nullptr, nullptr, GetTessaroDll(), nullptr);
    if (!m_window)
        return false;
    g_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

NOTIFYICONDATAW TrayIcon::MakeRecord(UINT flags) const
{
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = m_window;
    record.uID = 0;
    record.uFlags = flags;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = m_icon;
    // The record holds 128 characters; the shell shows the first 63.
    if (flags & NIF_TIP)
        wcsncpy(record.szTip, m_tip.c_str(), kTipLength);
    return record;
}

void TrayIcon::SetTrayIcon(HICON icon)
{
    m_wanted = true;
    if (!m_shown) {
        m_shown = AddInitialIcon(icon);
        return;
    }
    m_icon = icon;
    NOTIFYICONDATAW record = MakeRecord(NIF_ICON);
    g_notify(NIM_MODIFY, &record);
}

void TrayIcon::SetTrayIconTip(const wchar_t* text)
{
    // Kept for every later add (the first one, or one after a shell restart).
    m_tip = text ? std::wstring(text).substr(0, kTipLength) : std::wstring();
    if (!m_shown)
        return;
    NOTIFYICONDATAW record = MakeRecord(NIF_TIP);
    g_notify(NIM_MODIFY, &record);
}

void TrayIcon::RemoveTrayIcon()
{
    if (!m_shown)
        return;
    NOTIFYICONDATAW record = MakeRecord(0);
    m_shown = !g_notify(NIM_DELETE, &record);
    m_wanted = m_shown;
}

bool TrayIcon::AddInitialIcon(HICON icon)
{
    if (!m_window || m_shown)
        return false;
    m_icon = icon;
    NOTIFYICONDATAW record = MakeRecord(NIF_MESSAGE | NIF_ICON | (m_tip.empty() ? 0 : NIF_TIP));
    return g_notify(NIM_ADD, &record) != FALSE;
}

TrayMenuPlacement TrayIcon::ChooseMenuPlacement(POINT cursor, int screenWidth, int screenHeight)
{
    const int halfWidth = screenWidth / 2;
    const int halfHeight = screenHeight / 2;
    const bool right = cursor.x > halfWidth;
    const bool left = cursor.x < halfWidth;
    const bool bottom = cursor.y > halfHeight;
    const bool top = cursor.y < halfHeight;
    if (right && bottom)
        return {TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, {cursor.x, screenHeight}};
    if (right && top)
        return {TPM_RIGHTBUTTON | TPM_RIGHTALIGN, cursor};
    if (left && bottom)
        return {TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, {cursor.x, screenHeight}};
    return {TPM_RIGHTBUTTON, cursor};
}

void TrayIcon::DisplayMenu(HMENU menu) const
{
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    const TrayMenuPlacement placement =
        ChooseMenuPlacement(cursor, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    // The host may delete this object while the menu's loop runs: nothing of
    // it is read after the loop.
    const HWND window = m_window;
    // Without these two the menu would stay open when the user clicks elsewhere.
    ::SetForegroundWindow(window);
    ::TrackPopupMenu(menu, placement.flags, placement.anchor.x, placement.anchor.y, 0, window, nullptr);
    ::PostMessageW(window, WM_NULL, 0, 0);
}

LRESULT CALLBACK TrayIcon::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TrayIcon* icon = reinterpret_cast<TrayIcon*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!icon)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_COMMAND) {
        if (icon->m_client)
            icon->m_client->OnTrayIconCommand(LOWORD(wParam));
        return 0;
    }
    if (g_taskbarCreated && message == g_taskbarCreated) {
        // An icon the host removed stays away; one whose add failed is tried again.
        icon->m_shown = false;
        icon->m_shown = icon->m_wanted && icon->AddInitialIcon(icon->m_icon);
        return 0;
    }
    if (message == kCallbackMessage) {
        if (!icon->m_client)
            return 0;
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONUP:
            icon->m_client->OnTrayIconClick();
            break;
        case WM_LBUTTONDBLCLK:
            icon->m_client->OnTrayIconDoubleClick();
            break;
        case WM_RBUTTONUP: {
            HMENU menu = nullptr;
            icon->m_client->GetTrayIconMenu(&menu);
            if (menu) {
                icon->DisplayMenu(menu);
                ::DestroyMenu(menu);
            }
            break;
        }
        default:
            break;
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
