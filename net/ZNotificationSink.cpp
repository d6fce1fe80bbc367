#include "net/ZNotificationSink.h"

#include <memory>

namespace {

// The outcome of registering the class at load; read by every Create.
bool g_classRegistered = false;
ZReportMessageParams* g_registrationError = nullptr;

ZNotificationSink* SinkOf(HWND window)
{
    return reinterpret_cast<ZNotificationSink*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// On the owner thread: the window forgets its sink first, so that nothing
// reaches a sink that is going away, then goes.
void DestroyOwnWindow(HWND window)
{
    ::SetLastError(0);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
}

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

LRESULT CALLBACK NotificationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        // A request from another thread: wParam names this window, lParam the
        // event its caller waits on (or null). Anything else (any process can
        // post here) names no request of ours.
        if (wParam != reinterpret_cast<WPARAM>(window))
            return 0;
        DestroyOwnWindow(window);
        if (lParam)
            ::SetEvent(reinterpret_cast<HANDLE>(lParam));
        return 0;
    }
    ZNotificationSink* sink = SinkOf(window);
    if (message == WM_TIMER)
        return sink ? sink->OnTimer(wParam) : 0;
    if (message >= WM_USER)
        return sink ? sink->OnNotify(message, wParam, lParam) : 0;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

namespace Tessaro {

void RegisterNotificationWindowClass()
{
    WNDCLASSW windowClass = {};
    windowClass.style = CS_VREDRAW;
    windowClass.lpfnWndProc = NotificationWindowProc;
    windowClass.cbWndExtra = 4;
    windowClass.lpszClassName = kNotificationWindowClass;
    if (::RegisterClassW(&windowClass) != 0) {
        g_classRegistered = true;
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_CLASS_ALREADY_EXISTS) {
        g_classRegistered = true;
        return;
    }
    // Kept for the life of the library; formatted only when a sink asks.
    if (!g_registrationError)
        g_registrationError = new (std::nothrow) ZReportMessageParams();
    if (g_registrationError)
        g_registrationError->Reset(error);
}

void UnregisterNotificationWindowClass()
{
    if (g_classRegistered)
        ::UnregisterClassW(kNotificationWindowClass, nullptr);
    g_classRegistered = false;
    if (g_registrationError) {
        g_registrationError->Release();
        g_registrationError = nullptr;
    }
}

}  // namespace Tessaro

ZNotificationSink::~ZNotificationSink()
{
    DestroyNotificationWindow();
}

bool ZNotificationSink::Create()
{
    return CreateNotificationWindow();
}

bool ZNotificationSink::CreateNotificationWindow()
{
    if (m_window && m_ownerThread == ::GetCurrentThreadId())
        return true;
    if (!g_classRegistered) {
        if (g_registrationError)
            m_error.Assign(g_registrationError);
        else
            m_error.Reset(ERROR_CANNOT_FIND_WND_CLASS);
        return false;
    }
    const HWND window = ::CreateWindowExW(0, Tessaro::kNotificationWindowClass, Tessaro::kNotificationWindowClass,
                                          WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                                          GetParentWindow(), nullptr, nullptr, nullptr);
    if (!window) {
        m_error.Reset(::GetLastError());
        return false;
    }
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The old window belongs to another thread, which may not pump (one that
    // made a dialog and waits for this one to run it): the old window forgets
    // this sink now and goes when its owner next pumps, or with its thread.
    if (const HWND old = m_window.exchange(window)) {
        ::SetLastError(0);
        ::SetWindowLongPtrW(old, GWLP_USERDATA, 0);
        ::PostMessageW(old, WM_CLOSE, reinterpret_cast<WPARAM>(old), 0);
    }
    m_ownerThread = ::GetCurrentThreadId();
    return true;
}

void ZNotificationSink::DestroyNotificationWindow()
{
    const HWND window = m_window.load();
    if (!window)
        return;
    if (IsOwnerThread()) {
        DestroyOwnWindow(window);
    } else {
        UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        // Without an event or a way to post, waiting would never end; the
        // owner thread's end will take the window with it.
        if (done && ::PostMessageW(window, WM_CLOSE, reinterpret_cast<WPARAM>(window),
                                   reinterpret_cast<LPARAM>(done.get())))
            ::WaitForSingleObject(done.get(), INFINITE);
    }
    m_window = nullptr;
    m_ownerThread = 0;
}

LRESULT ZNotificationSink::OnNotify(UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT ZNotificationSink::OnTimer(WPARAM)
{
    return 0;
}

HWND ZNotificationSink::GetParentWindow()
{
    return HWND_MESSAGE;
}

BOOL ZNotificationSink::PostNotification(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // A null window would post to the calling thread's own queue instead.
    const HWND window = m_window.load();
    if (!window) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return ::PostMessageW(window, message, wParam, lParam);
}

bool ZNotificationSink::IsOwnerThread() const
{
    return !m_window.load() || m_ownerThread.load() == ::GetCurrentThreadId();
}
