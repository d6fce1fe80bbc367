#include "controls/ZFileDialog.h"

#include <algorithm>
#include <string>

ZFileDialog::ZFileDialog(bool open, const wchar_t* defaultName, const wchar_t* title, const wchar_t* okText,
                         const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, CWnd* parent)
    : CFileDialog(open, defaultExtension, fileName, flags | OFN_ENABLESIZING, filter, parent)
{
    if (defaultName)
        m_defaultName = defaultName;
    if (title) {
        m_title = title;
        m_ofn.lpstrTitle = m_title.GetString();
    }
    if (okText)
        m_okText = okText;
    ValidateAndResetFilename();
}

ZFileDialog::ZFileDialog(bool open, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, CWnd* parent)
    : ZFileDialog(open, nullptr, nullptr, nullptr, defaultExtension, fileName, flags, filter, parent)
{
}

INT_PTR ZFileDialog::DoModal()
{
    INT_PTR result = RunPlatformDialog();
    if (result != IDCANCEL || GetPlatformDialogError() != FNERR_INVALIDFILENAME)
        return result;
    if (!m_defaultName.IsEmpty()) {
        SetFileNameBuffer(m_defaultName.GetString());
        result = RunPlatformDialog();
        if (result != IDCANCEL || GetPlatformDialogError() != FNERR_INVALIDFILENAME)
            return result;
    }
    std::fill_n(m_ofn.lpstrFile, m_ofn.nMaxFile, L'\0');
    return RunPlatformDialog();
}

BOOL ZFileDialog::OnInitDialog()
{
    const BOOL result = CFileDialog::OnInitDialog();
    if (!m_okText.empty())
        SetControlText(IDOK, m_okText.c_str());
    return result;
}

void ZFileDialog::SetInitialDirectory(const wchar_t* folder)
{
    m_initialFolder = folder ? folder : L"";
    m_ofn.lpstrInitialDir = m_initialFolder.c_str();
}

ZUnicodeString ZFileDialog::GetDirectory() const
{
    if (m_ofn.nFileOffset == 0)
        return {};
    return ZUnicodeString(m_ofn.lpstrFile, m_ofn.nFileOffset - 1u);
}

void ZFileDialog::SetFileNameBuffer(const wchar_t* name)
{
    // Cut to the buffer rather than written past it.
    lstrcpynW(m_ofn.lpstrFile, name, static_cast<int>(m_ofn.nMaxFile));
}

void ZFileDialog::ValidateAndResetFilename()
{
    std::wstring name = m_ofn.lpstrFile;
    if (name.empty()) {
        if (!m_defaultName.IsEmpty())
            SetFileNameBuffer(m_defaultName.GetString());
        return;
    }
    if (name.find(L'/') != std::wstring::npos) {
        std::replace(name.begin(), name.end(), L'/', L'\\');
        SetFileNameBuffer(name.c_str());
    }
    const wchar_t last = name.back();
    if (last != L'\\' && last != L':')
        return;
    if (!m_defaultName.IsEmpty()) {
        if (last == L':')
            SetFileNameBuffer(m_defaultName.GetString());
        else
            SetFileNameBuffer((name + m_defaultName.GetString()).c_str());
        return;
    }
    name.erase(name.find_last_not_of(L"\\:") + 1);  // npos + 1 == 0 empties it
    SetFileNameBuffer(name.c_str());
}
