#include "afxdlgs.h"

IMPLEMENT_DYNAMIC(CFontDialog, CDialog)

CFontDialog::CFontDialog(LPLOGFONTW initial, DWORD flags, CDC* printer, CWnd* parent)
{
    m_pParentWnd = parent;
    m_cf.lStructSize = sizeof m_cf;
    m_cf.Flags = flags;
    m_cf.lpLogFont = &m_lf;
    if (initial) {
        m_lf = *initial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
    if (printer) {
        m_cf.hDC = printer->GetSafeHdc();
        m_cf.Flags |= CF_PRINTERFONTS;
    }
}

INT_PTR CFontDialog::DoModal()
{
    HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->GetSafeHwnd(), GA_ROOT) : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->GetSafeHwnd() : nullptr;
    }
    m_cf.hwndOwner = owner;
    return ::ChooseFontW(&m_cf) ? IDOK : IDCANCEL;
}
