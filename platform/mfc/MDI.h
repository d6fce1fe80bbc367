// CMDIFrameWnd and CMDIChildWnd, minimal: a frame whose client area is the
// system's MDI client window, and the document windows inside it. Unhandled
// messages go to DefFrameProc and DefMDIChildProc, so the system does the MDI
// work (activation, maximising, the window menu). Both are made with new and
// delete themselves when their window is destroyed.
#pragma once

#include "View.h"

class CMDIChildWnd;

class TESSARO_MFC_API CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNAMIC(CMDIFrameWnd)
public:
    // Makes the MDI client (called while the frame is created).
    virtual BOOL CreateClient(LPCREATESTRUCTW cs, CMenu* windowMenu);

    // The active child; maximized (optional) tells whether it is maximized.
    CMDIChildWnd* MDIGetActive(BOOL* maximized = nullptr) const;
    void MDIActivate(CWnd* child);
    void MDINext();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND m_hWndMDIClient = nullptr;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    DECLARE_MESSAGE_MAP()
};

class TESSARO_MFC_API CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNAMIC(CMDIChildWnd)
public:
    using CWnd::Create;
    // A child of parent's MDI client (the application's main frame when null).
    virtual BOOL Create(LPCWSTR className, LPCWSTR title,
                        DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CMDIFrameWnd* parent = nullptr);

    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();
    void MDIDestroy();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
