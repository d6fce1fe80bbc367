// CView and CFrameWnd, minimal: a view paints through OnDraw and has no
// document; a frame keeps its active view filling its client area. As in the
// framework, both are made with new and delete themselves when their window
// is destroyed.
#pragma once

#include "CWnd.h"
#include "Gdi.h"

// The id a frame's first view has.
#define AFX_IDW_PANE_FIRST 0xE900

class TESSARO_MFC_API CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

protected:
    virtual void OnDraw(CDC* dc) = 0;
    void PostNcDestroy() override { delete this; }
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class TESSARO_MFC_API CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    using CWnd::Create;
    static const CRect rectDefault;

    BOOL Create(LPCWSTR className, LPCWSTR title, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCWSTR menuName = nullptr);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    CView* GetActiveView() const { return m_pViewActive; }
    // The view is laid over the whole client area from now on.
    void SetActiveView(CView* view);
    virtual void RecalcLayout();

protected:
    void PostNcDestroy() override { delete this; }
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

    CView* m_pViewActive = nullptr;
};
