#include "afxwin.h"

void CCmdUI::Enable(BOOL bOn)
{
    if (m_pMenu && !m_pSubMenu)
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetText(LPCWSTR lpszText)
{
    if (!m_pMenu || m_pSubMenu || !lpszText)
        return;
    const UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
    if (state == static_cast<UINT>(-1))
        return;
    m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | (state & (MF_DISABLED | MF_GRAYED | MF_CHECKED)),
                        m_nID, lpszText);
}
