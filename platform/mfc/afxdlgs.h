// Common dialogs of the framework stand-in.
//
//   CFontDialog          the platform's font dialog (ChooseFontW)
//   CFindReplaceDialog   the platform's modeless Find and Replace dialogs
//   CFileDialog          the platform's Open and Save dialogs (explorer style)
#pragma once

#include "afxwin.h"

#include <commdlg.h>

#include <string>

class TESSARO_MFC_API CFontDialog : public CDialog {
    DECLARE_DYNAMIC(CFontDialog)
public:
    // With an initial font, the dialog starts from it (CF_INITTOLOGFONTSTRUCT).
    explicit CFontDialog(LPLOGFONTW initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS,
                         CDC* printer = nullptr, CWnd* parent = nullptr);

    // IDOK with the choice in m_cf and m_lf, else IDCANCEL.
    INT_PTR DoModal() override;
    // The chosen size in tenths of a point.
    int GetSize() const { return m_cf.iPointSize; }
    void GetCurrentFont(LPLOGFONTW font) const { *font = m_lf; }

    CHOOSEFONTW m_cf = {};
    LOGFONTW m_lf = {};
};

// A modeless Find (or Replace) dialog. The owner hears of every request through
// the registered message FINDMSGSTRINGW; GetNotifier turns its lParam back into
// the object. As in the framework the object is made with new and deletes itself
// when its window is destroyed, unless a derived class overrides PostNcDestroy.
class TESSARO_MFC_API CFindReplaceDialog : public CDialog {
    DECLARE_DYNAMIC(CFindReplaceDialog)
public:
    using CDialog::Create;
    CFindReplaceDialog();

    // Copies findWhat (and replaceWith) into the dialog's own buffers unless
    // m_fr already points elsewhere; flags are added to m_fr.Flags. A null
    // parent gives the main window as owner.
    virtual BOOL Create(BOOL findDialogOnly, LPCWSTR findWhat, LPCWSTR replaceWith = nullptr,
                        DWORD flags = FR_DOWN, CWnd* parent = nullptr);

    static CFindReplaceDialog* PASCAL GetNotifier(LPARAM lParam);

    CStringW GetFindString() const { return m_fr.lpstrFindWhat; }
    BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
    BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }

    FINDREPLACEW m_fr = {};

protected:
    // The platform's dialog procedure handles its buttons and its own start-up.
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }
    void PostNcDestroy() override { delete this; }
    afx_msg LRESULT OnPlatformInitDialog(WPARAM, LPARAM) { return Default(); }
    DECLARE_MESSAGE_MAP()

    wchar_t m_szFindWhat[128] = {};
    wchar_t m_szReplaceWith[128] = {};
};

// The Open or Save dialog. The object is attached to the platform's dialog
// while it runs, so a derived OnInitDialog can change its controls; the
// platform's own procedure handles its buttons.
class TESSARO_MFC_API CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // filter is in the framework's form "description|pattern|...||".
    explicit CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension = nullptr, LPCWSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr,
                         CWnd* parent = nullptr);

    // IDOK with the choice in m_ofn, else IDCANCEL (CommDlgExtendedError tells
    // a refusal from a cancel).
    INT_PTR DoModal() override;
    CStringW GetPathName() const { return m_ofn.lpstrFile; }
    CStringW GetFileName() const { return m_ofn.lpstrFileTitle ? m_ofn.lpstrFileTitle : L""; }
    // While the dialog runs: the text of one of its controls (IDOK, stc3, ...).
    void SetControlText(int id, LPCWSTR text);

    OPENFILENAMEW m_ofn = {};

protected:
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }
    afx_msg LRESULT OnPlatformInitDialog(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    BOOL m_bOpenFileDialog;
    std::wstring m_strFilter;  // the pairs separated by nulls, two at the end
    CStringW m_strDefExt;
    wchar_t m_szFileTitle[64] = {};
    wchar_t m_szFileName[_MAX_PATH] = {};
};
