// Common dialogs of the framework stand-in.
//
//   CFontDialog   the platform's font dialog (ChooseFontW)
#pragma once

#include "afxwin.h"

#include <commdlg.h>

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
