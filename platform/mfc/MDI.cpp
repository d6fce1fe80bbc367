#include "afxwin.h"

IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// The id of the first child in the window menu, as the framework uses.
static constexpr UINT kFirstMDIChild = 0xFF00;

int CMDIFrameWnd::OnCreate(LPCREATESTRUCTW cs)
{
    if (Default() == -1)
        return -1;
    return CreateClient(cs, nullptr) ? 0 : -1;
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCTW, CMenu* windowMenu)
{
    CLIENTCREATESTRUCT client = {};
    client.hWindowMenu = windowMenu ? windowMenu->m_hMenu : nullptr;
    client.idFirstChild = kFirstMDIChild;
    CRect area;
    GetClientRect(&area);
    m_hWndMDIClient = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL |
                                            WS_HSCROLL,
                                        0, 0, area.Width(), area.Height(), m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
                                        ::GetModuleHandleW(nullptr), &client);
    return m_hWndMDIClient != nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* maximized) const
{
    BOOL zoomed = FALSE;
    HWND active = m_hWndMDIClient ? reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0,
                                                                         reinterpret_cast<LPARAM>(&zoomed)))
                                  : nullptr;
    if (maximized)
        *maximized = active ? zoomed : FALSE;
    return dynamic_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(active));
}

void CMDIFrameWnd::MDIActivate(CWnd* child)
{
    ASSERT(::IsWindow(m_hWndMDIClient));
    ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->GetSafeHwnd()), 0);
}

void CMDIFrameWnd::MDINext()
{
    ASSERT(::IsWindow(m_hWndMDIClient));
    ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

BOOL CMDIChildWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, CMDIFrameWnd* parent)
{
    if (!parent)
        parent = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
    if (!parent || !::IsWindow(parent->m_hWndMDIClient))
        return FALSE;
    const bool useDefault = rect.left == CW_USEDEFAULT;
    // WS_EX_MDICHILD makes CreateWindowEx do what WM_MDICREATE does, while the
    // object is attached before the first message as for any window.
    return CreateEx(WS_EX_MDICHILD, className, title, style | WS_CHILD, rect.left, rect.top,
                    useDefault ? CW_USEDEFAULT : rect.right - rect.left,
                    useDefault ? CW_USEDEFAULT : rect.bottom - rect.top, parent->m_hWndMDIClient, nullptr);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    HWND client = ::GetParent(m_hWnd);
    return dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandlePermanent(client ? ::GetParent(client) : nullptr));
}

void CMDIChildWnd::MDIActivate()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIMaximize()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIRestore()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIRESTORE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIDestroy()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}
