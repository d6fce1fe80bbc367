// CCmdUI: one user-interface item (here: a menu item) that a command-update
// handler enables, checks or renames. The menu item is found by position.
#pragma once

#include "afx.h"

class CMenu;
class CWnd;

class TESSARO_MFC_API CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetText(LPCWSTR lpszText);

    UINT m_nID = 0;
    UINT m_nIndex = 0;  // position of the item in m_pMenu
    CMenu* m_pMenu = nullptr;
    CMenu* m_pSubMenu = nullptr;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
    UINT m_nIndexMax = 0;
    CMenu* m_pParentMenu = nullptr;
};
