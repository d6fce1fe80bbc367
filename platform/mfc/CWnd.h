// CWnd: a framework object attached to a Win32 window.
//
// Permanent objects (made by Create/CreateEx, Attach or subclassing) are found
// through one handle map for the whole process; FromHandle makes temporary
// objects for other windows, kept per thread until the thread's idle time.
// A window made or subclassed by the framework runs AfxWndProc, which hands each
// message to WindowProc: the message map first, then the previous procedure.
#pragma once

#include <type_traits>

#include "afx.h"
#include "afxmsg_.h"

class CFont;
class CMFCDynamicLayout;

class TESSARO_MFC_API CWnd : public CObject {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    // Destroys a window that the object still owns.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The permanent object attached to the window, else a temporary one kept
    // until DeleteTempMap; null for a null handle.
    static CWnd* AFXAPI FromHandle(HWND window);
    // The permanent object only.
    static CWnd* AFXAPI FromHandlePermanent(HWND window);
    // Frees the calling thread's temporary objects made by FromHandle.
    static void AFXAPI DeleteTempMap();

    BOOL Attach(HWND window);
    HWND Detach();

    // Creation: the object is attached before the window's first message, so
    // it receives WM_NCCREATE and WM_CREATE through its message map.
    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                          int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                          LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id);
    virtual BOOL PreCreateWindow(CREATESTRUCTW&) { return TRUE; }
    virtual BOOL DestroyWindow();

    // Subclassing an existing window: its procedure becomes AfxWndProc and the
    // old one is kept for Default; UnsubclassWindow puts it back and detaches.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Null for a null object, so it may be called through a null pointer.
    HWND GetSafeHwnd() const;
    operator HWND() const { return GetSafeHwnd(); }

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A parent's notification offered back to the control that sent it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The current message passed to the previous procedure.
    LRESULT Default();
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers msg to PreTranslateMessage of its window and of each parent up to
    // stop (included); TRUE as soon as one takes it.
    static BOOL AFXAPI WalkPreTranslateTree(HWND stop, MSG* msg);

    // Thin members.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  BOOL deep = TRUE) const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetDlgItemText(int id, LPCWSTR text);
    int GetDlgItemText(int id, CStringW& text) const;
    CWnd* GetParent() const;
    CWnd* GetLastActivePopup() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void UpdateWindow();
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    CWnd* SetFocus();
    static CWnd* AFXAPI GetFocus();
    void SetWindowText(LPCWSTR text);
    void GetWindowText(CStringW& text) const;
    int GetWindowTextLength() const;
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC function = nullptr);
    BOOL KillTimer(UINT_PTR id);
    BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL);
    BOOL SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    int SetScrollPos(int bar, int position, BOOL redraw = TRUE);
    void SetScrollRange(int bar, int minimum, int maximum, BOOL redraw = TRUE);
    CWnd* SetCapture();

    // Dynamic layout (DynamicLayout.h): the children follow the window's size.
    // Enabling replaces any layout with a new empty one; disabling removes it.
    void EnableDynamicLayout(BOOL enable = TRUE);
    BOOL IsDynamicLayoutEnabled() const { return m_pDynamicLayout != nullptr; }
    CMFCDynamicLayout* GetDynamicLayout() { return m_pDynamicLayout; }
    // Lays the children out from the "AFX_DIALOG_LAYOUT" resource of that name,
    // found through the resource chain; FALSE, with the layout as it was, when
    // there is none or it cannot be used.
    BOOL LoadDynamicLayoutResource(LPCWSTR resourceName);
    BOOL LoadDynamicLayoutResource(UINT id) { return LoadDynamicLayoutResource(MAKEINTRESOURCEW(id)); }
    // Called on WM_SIZE before the message map sees it.
    virtual void ResizeDynamicLayout();

    // A null caption gives the application's name.
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);

    HWND m_hWnd = nullptr;

protected:
    // The control wrappers' one way to send: the window must exist, and the
    // result comes back as the type the member returns.
    template <class Result = LRESULT>
    Result Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        ASSERT(::IsWindow(m_hWnd));
        const LRESULT result = ::SendMessageW(m_hWnd, message, wParam, lParam);
        if constexpr (std::is_pointer_v<Result>)
            return reinterpret_cast<Result>(result);
        else
            return static_cast<Result>(result);
    }

    // Called once the window is attached by subclassing, before any message.
    virtual void PreSubclassWindow() {}
    // Called after the last message (WM_NCDESTROY); the window is detached.
    virtual void PostNcDestroy() {}
    afx_msg void OnNcDestroy();
    WNDPROC* GetSuperWndProcAddr() { return &m_pfnSuper; }

    // CWnd's map ends every chain, so it declares the pair the macro overrides.
    static const AFX_MSGMAP* AFXAPI GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    WNDPROC m_pfnSuper = nullptr;   // the procedure before AfxWndProc took over
    CMFCDynamicLayout* m_pDynamicLayout = nullptr;  // owned; goes with the window

private:
    friend TESSARO_MFC_API LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    BOOL HookProcedure();
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;
    BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

// The procedure of every window the framework made or subclassed.
TESSARO_MFC_API LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// How many temporary objects the calling thread holds (for leak checks).
TESSARO_MFC_API size_t AFXAPI AfxGetTempWndCount();
// The message being handled on this thread (for Default).
TESSARO_MFC_API const MSG* AFXAPI AfxGetCurrentMessage();
// Registers (once) a window class with the given features and returns its name;
// the name lives as long as the process.
TESSARO_MFC_API LPCWSTR AFXAPI AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                                   HBRUSH background = nullptr, HICON icon = nullptr);
