#include "foundation/ZParentable.h"

#include <afxwin.h>

ZParentable::ZParentable()
{
    CWinThread* thread = AfxGetThread();
    m_pParentWnd = thread ? thread->GetMainWnd() : nullptr;
}

CWnd* ZParentable::GetParentWindow() const
{
    if (!m_pParentWnd)
        return nullptr;
    return CWnd::FromHandle(::GetLastActivePopup(m_pParentWnd->GetSafeHwnd()));
}

void ZParentable::SetParentWindow(CWnd* parent)
{
    m_pParentWnd = parent;
}
