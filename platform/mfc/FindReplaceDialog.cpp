#include "afxdlgs.h"
#include "afximpl.h"

#include <cstddef>
#include <iterator>

IMPLEMENT_DYNAMIC(CFindReplaceDialog, CDialog)

BEGIN_MESSAGE_MAP(CFindReplaceDialog, CDialog)
    ON_MESSAGE(WM_INITDIALOG, OnPlatformInitDialog)
END_MESSAGE_MAP()

CFindReplaceDialog::CFindReplaceDialog()
{
    m_fr.lStructSize = sizeof m_fr;
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = static_cast<WORD>(std::size(m_szFindWhat));
}

BOOL CFindReplaceDialog::Create(BOOL findDialogOnly, LPCWSTR findWhat, LPCWSTR replaceWith, DWORD flags,
                                CWnd* parent)
{
    ASSERT(m_hWnd == nullptr);
    if (m_fr.lpstrFindWhat == m_szFindWhat && findWhat)
        lstrcpynW(m_szFindWhat, findWhat, static_cast<int>(std::size(m_szFindWhat)));
    if (!findDialogOnly) {
        m_fr.lpstrReplaceWith = m_szReplaceWith;
        m_fr.wReplaceWithLen = static_cast<WORD>(std::size(m_szReplaceWith));
        if (replaceWith)
            lstrcpynW(m_szReplaceWith, replaceWith, static_cast<int>(std::size(m_szReplaceWith)));
    }
    m_fr.Flags |= flags;
    if (!parent)
        parent = AfxGetMainWnd();
    m_fr.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;

    // The object is attached to the dialog before its first message.
    if (!AfxHookWindowCreate(this))
        return FALSE;
    HWND window = findDialogOnly ? ::FindTextW(&m_fr) : ::ReplaceTextW(&m_fr);
    AfxUnhookWindowCreate();
    return window != nullptr && window == m_hWnd;
}

CFindReplaceDialog* PASCAL CFindReplaceDialog::GetNotifier(LPARAM lParam)
{
    // lParam is m_fr of the dialog that sent the message. The class is not
    // standard-layout, but the offset of a member of a class without virtual
    // bases is fixed, which is all this needs.
    auto* fr = reinterpret_cast<BYTE*>(lParam);
    if (!fr)
        return nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    return reinterpret_cast<CFindReplaceDialog*>(fr - offsetof(CFindReplaceDialog, m_fr));
#pragma GCC diagnostic pop
}
