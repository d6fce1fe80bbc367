// CWnd: a framework object attached to a Win32 window. Only the handle maps and
// the few members the library needs so far; the window core grows here.
#pragma once

#include "afx.h"

class TESSARO_MFC_API CWnd : public CObject {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The permanent object attached to the window, else a temporary one kept
    // until DeleteTempMap; null for a null handle.
    static CWnd* AFXAPI FromHandle(HWND window);
    // The permanent object only.
    static CWnd* AFXAPI FromHandlePermanent(HWND window);
    // Frees the temporary objects made by FromHandle.
    static void AFXAPI DeleteTempMap();

    BOOL Attach(HWND window);
    HWND Detach();

    // Null for a null object, so it may be called through a null pointer.
    HWND GetSafeHwnd() const;
    operator HWND() const { return GetSafeHwnd(); }

    // A null caption gives the application's name.
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);
    CWnd* GetLastActivePopup() const;

    HWND m_hWnd = nullptr;
};
