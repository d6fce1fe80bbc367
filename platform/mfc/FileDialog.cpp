#include "afxdlgs.h"
#include "afximpl.h"

#include <iterator>

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

BEGIN_MESSAGE_MAP(CFileDialog, CDialog)
    ON_MESSAGE(WM_INITDIALOG, OnPlatformInitDialog)
END_MESSAGE_MAP()

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension, LPCWSTR fileName, DWORD flags,
                         LPCWSTR filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog)
{
    m_pParentWnd = parent;
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = static_cast<DWORD>(std::size(m_szFileName));
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = static_cast<DWORD>(std::size(m_szFileTitle));
    m_ofn.Flags = flags | OFN_EXPLORER;
    if (defaultExtension) {
        m_strDefExt = defaultExtension;
        m_ofn.lpstrDefExt = m_strDefExt.GetString();
    }
    if (fileName)
        lstrcpynW(m_szFileName, fileName, static_cast<int>(std::size(m_szFileName)));
    if (filter && *filter) {
        m_strFilter = filter;
        for (wchar_t& c : m_strFilter)
            if (c == L'|')
                c = L'\0';
        m_strFilter.push_back(L'\0');
        m_ofn.lpstrFilter = m_strFilter.c_str();
    }
}

INT_PTR CFileDialog::DoModal()
{
    HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->GetSafeHwnd(), GA_ROOT) : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->GetSafeHwnd() : nullptr;
    }
    m_ofn.hwndOwner = owner;
    // The first window the call creates is the dialog itself.
    const BOOL hooked = AfxHookWindowCreate(this);
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    if (hooked)
        AfxUnhookWindowCreate();
    if (m_hWnd)
        Detach();
    return chosen ? IDOK : IDCANCEL;
}

void CFileDialog::SetControlText(int id, LPCWSTR text)
{
    ASSERT(::IsWindow(m_hWnd));
    ::SendMessageW(m_hWnd, CDM_SETCONTROLTEXT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
}

LRESULT CFileDialog::OnPlatformInitDialog(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    OnInitDialog();
    return result;
}
