#include "afxwin.h"

IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_SIZE()
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnDraw(&dc);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect, CWnd* parent,
                       LPCWSTR menuName)
{
    HMENU menu = nullptr;
    if (menuName) {
        menu = ::LoadMenuW(AfxFindResourceHandle(menuName, RT_MENU), menuName);
        if (!menu)
            return FALSE;
    }
    const bool useDefault = rect.left == CW_USEDEFAULT;
    if (CreateEx(0, className, title, style, rect.left, rect.top,
                 useDefault ? CW_USEDEFAULT : rect.right - rect.left,
                 useDefault ? CW_USEDEFAULT : rect.bottom - rect.top, parent->GetSafeHwnd(), menu))
        return TRUE;
    if (menu)
        ::DestroyMenu(menu);
    return FALSE;
}

void CFrameWnd::SetActiveView(CView* view)
{
    m_pViewActive = view;
    if (m_hWnd)
        RecalcLayout();
}

void CFrameWnd::RecalcLayout()
{
    if (!m_pViewActive || !::IsWindow(m_pViewActive->m_hWnd))
        return;
    CRect client;
    GetClientRect(&client);
    m_pViewActive->MoveWindow(&client);
}

void CFrameWnd::OnSize(UINT type, int, int)
{
    Default();
    if (type != SIZE_MINIMIZED)
        RecalcLayout();
}
