// ZFileDialog: the library's Open and Save dialog. Resizable; a default name
// stands in for an empty or folder-only initial name; optional title and OK
// text; an initial folder; the chosen filter and folder. When the platform
// rejects the initial name (FNERR_INVALIDFILENAME) the dialog opens again with
// the default name, then with no name, so the user never sees that error.
#pragma once

#include <afxdlgs.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZFileDialog : public CFileDialog {
public:
    ZFileDialog(bool open, const wchar_t* defaultName, const wchar_t* title, const wchar_t* okText,
                const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags, const wchar_t* filter,
                CWnd* parent);
    ZFileDialog(bool open, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                const wchar_t* filter, CWnd* parent);

    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;

    void SetInitialDirectory(const wchar_t* folder);
    // 1-based, as the platform counts filters.
    void SetFilter(UINT index) { m_ofn.nFilterIndex = index; }
    UINT GetSelectedFilter() const { return m_ofn.nFilterIndex; }
    // The chosen path's folder without its final backslash; empty before a choice.
    ZUnicodeString GetDirectory() const;

protected:
    // The platform's dialog and its extended error. Tests stand in for both:
    // Wine never rejects an initial name.
    virtual INT_PTR RunPlatformDialog() { return CFileDialog::DoModal(); }
    virtual DWORD GetPlatformDialogError() const { return ::CommDlgExtendedError(); }

private:
    void ValidateAndResetFilename();
    void SetFileNameBuffer(const wchar_t* name);

    CStringW m_title;
    ZUnicodeString m_okText;
    CStringW m_defaultName;
    ZUnicodeString m_initialFolder;
};
