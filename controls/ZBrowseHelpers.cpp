#include "controls/ZBrowseHelpers.h"

#include <afxwin.h>

#include "controls/ZBrowseForLocalFolder.h"
#include "controls/ZFileDialog.h"
#include "controls/ZPathSubstitutions.h"
#include "foundation/ZReportMessageParams.h"

namespace {

CStringW TextOf(CWnd* edit)
{
    CStringW text;
    edit->GetWindowText(text);
    return text;
}

}  // namespace

INT_PTR OnBrowseHelper(CWnd* edit, bool open, const wchar_t* defaultName, const wchar_t* title, const wchar_t* okText,
                       const wchar_t* defaultExtension, DWORD flags, const wchar_t* filter, CWnd* parent)
{
    ZReportMessageParams report;  // a failed expansion only empties the name
    const ZUnicodeString expanded =
        Tessaro::ExpandPathSubstitutions(TextOf(edit).GetString(), report, nullptr, nullptr);
    ZFileDialog dialog(open, defaultName, title, okText, defaultExtension, expanded.c_str(), flags, filter, parent);
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK)
        edit->SetWindowText(dialog.GetPathName());
    return result;
}

bool OnBrowseLocalFolderHelper(CWnd* parent, CWnd* edit, const wchar_t* title, ZReportMessageParams& report,
                               const wchar_t* host, const wchar_t* session)
{
    const CStringW text = TextOf(edit);
    const ZUnicodeString expanded = Tessaro::ExpandPathSubstitutions(text.GetString(), report, host, session);
    if (report.GetMessageId() != 0)
        return false;
    ZUnicodeString folder = Tessaro::FindExistingFolder(expanded.c_str());
    bool changed = false;
    // An empty choice (not a file-system folder, already reported) is no choice.
    if (Tessaro::ZBrowseForLocalFolder(parent, title, folder) && !folder.empty() &&
        !Tessaro::MatchesExpandedPath(text.GetString(), folder.c_str(), host, session)) {
        edit->SetWindowText(folder.c_str());
        changed = true;
    }
    edit->SetFocus();
    return changed;
}
