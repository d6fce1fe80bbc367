// ZNotificationSink: a message-only window owned by one thread. Messages posted
// to it from any thread arrive as virtual calls on the owner thread: messages at
// or above WM_USER go to OnNotify, timers to OnTimer. The window can be torn down
// from any thread; the call returns once the owner thread has destroyed it, so
// the owner thread must keep pumping messages. Create on another thread does not
// wait: the old window stops reaching the sink at once and goes when its owner
// next pumps, or when that thread ends.
//
// The window class is registered once when the library loads; when that failed,
// every Create fails with the saved registration report.
//
// A derived sink that may die on another thread calls DestroyNotificationWindow
// first in its own destructor: until the owner has destroyed the window, a
// message in flight may still reach the sink's overrides.
#pragma once

#include <windows.h>

#include <atomic>

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"

class TESSARO_API ZNotificationSink {
public:
    ZNotificationSink() = default;
    // Destroys the window, from whichever thread the sink dies on.
    virtual ~ZNotificationSink();

    ZNotificationSink(const ZNotificationSink&) = delete;
    ZNotificationSink& operator=(const ZNotificationSink&) = delete;

    virtual bool Create();
    // Makes the calling thread the owner. A window the caller already owns is
    // kept; one owned by another thread is replaced. False with the reason in
    // the sink's report.
    virtual bool CreateNotificationWindow();
    virtual void DestroyNotificationWindow();
    virtual LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnTimer(WPARAM timerId);
    // HWND_MESSAGE unless a derived sink wants a real parent.
    virtual HWND GetParentWindow();

    HWND GetNotificationWindow() const { return m_window.load(); }
    BOOL PostNotification(UINT message, WPARAM wParam, LPARAM lParam) const;
    // True without a window, or on the owner thread.
    bool IsOwnerThread() const;
    // Why the last Create failed.
    const ZReportMessageParams& GetError() const { return m_error; }

protected:
    ZReportMessageParams m_error;

private:
    friend LRESULT CALLBACK NotificationWindowProc(HWND, UINT, WPARAM, LPARAM);

    // Read by producers on other threads while the owner may change them.
    std::atomic<HWND> m_window{nullptr};
    std::atomic<DWORD> m_ownerThread{0};
};

namespace Tessaro {

// The class name and title of every notification window.
inline constexpr wchar_t kNotificationWindowClass[] = L"Notification ZNotificationSink";

// Called by the load notification and at unload.
void RegisterNotificationWindowClass();
void UnregisterNotificationWindowClass();

}  // namespace Tessaro
