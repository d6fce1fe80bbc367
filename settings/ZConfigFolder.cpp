#include "settings/ZConfigFolder.h"

#include <string>
#include <vector>

#include "TessaroMessages.h"
#include "settings/ZFile.h"
#include "settings/ZLocalPaths.h"

using Tessaro::FullPathOf;

namespace {

// The folder that holds path: "" for a path without a separator, and the root
// with its separator ("C:\") for a path directly below one.
std::wstring ParentOf(std::wstring path)
{
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return {};
    const bool isRootSeparator = separator == 0 || (separator == 2 && path[1] == L':');
    return path.substr(0, isRootSeparator ? separator + 1 : separator);
}

bool CreateOneFolder(const std::wstring& path)
{
    if (::CreateDirectoryW(path.c_str(), nullptr))
        return true;
    if (::GetLastError() != ERROR_FILENAME_EXCED_RANGE)
        return false;
    const std::wstring full = FullPathOf(path.c_str());
    if (full.size() < 3 || full[1] != L':')
        return false;
    return ::CreateDirectoryW((L"\\\\?\\" + full).c_str(), nullptr) != FALSE;
}

// Creates folder and any missing parents. Walks up iteratively, so that a path
// of thousands of components cannot exhaust the stack; each folder is retried
// once after its parent was made. The error code is left as the failing call
// set it.
bool CreateFolderTree(const std::wstring& folder)
{
    struct Pending {
        std::wstring path;
        bool retried;
    };
    std::vector<Pending> pending{{folder, false}};
    while (!pending.empty()) {
        Pending& current = pending.back();
        if (CreateOneFolder(current.path)) {
            pending.pop_back();
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS) {
            if (!Tessaro::IsExistingDirectory(current.path.c_str())) {
                ::SetLastError(ERROR_ALREADY_EXISTS);
                return false;
            }
            pending.pop_back();
            continue;
        }
        if (error != ERROR_PATH_NOT_FOUND || current.retried)
            return false;
        std::wstring parent = ParentOf(current.path);
        if (parent.empty() || parent == current.path) {
            ::SetLastError(error);
            return false;
        }
        current.retried = true;
        pending.push_back({std::move(parent), false});
    }
    return true;
}

}  // namespace

bool IsValidConfigFolder(ZUnicodeString& folder, ZReportMessageParams& report)
{
    DWORD error = ERROR_INVALID_NAME;
    if (!folder.empty()) {
        // A failure here shows again, with its own code, when the file cannot be made.
        CreateFolderTree(std::wstring(folder.c_str(), folder.length()));

        ZFile probe;
        probe.SetFlagsAndAttributes(FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE);
        ZUnicodeString probeName;
        if (probe.CreateTempFile(folder.c_str(), L"TEST", 0, probeName)) {
            probe.Close();
            const std::wstring full = FullPathOf(folder.c_str());
            if (!full.empty())
                folder = full.c_str();
            return true;
        }
        error = ::GetLastError();
    }
    // A failure without a code of its own is still a failure.
    report.Reset(error == ERROR_ACCESS_DENIED ? MSG_FOLDER_ACCESS_DENIED : MSG_FOLDER_NOT_VALID);
    report.AddInsert(folder.c_str());
    return false;
}

void AFXAPI ZDDV_ValidateConfigFolder(CDataExchange* pDX, const CStringW& folder, UINT controlId)
{
    if (!pDX->m_bSaveAndValidate)
        return;
    ZUnicodeString copy(folder);
    ZReportMessageParams report;
    if (IsValidConfigFolder(copy, report))
        return;
    AfxMessageBox(report.GetText(), MB_ICONEXCLAMATION);
    pDX->PrepareEditCtrl(static_cast<int>(controlId));
    pDX->Fail();
}
