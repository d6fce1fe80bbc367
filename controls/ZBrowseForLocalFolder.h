// The shell's folder browser, opened at an initial folder. The first form
// allows only file-system folders (BIF_RETURNONLYFSDIRS).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class CWnd;

namespace Tessaro {

constexpr uint32_t MSG_HOST_NOT_A_FILE_SYSTEM_FOLDER = 0xE104009E;

// folder gives the initial selection and receives the choice. False when the
// user cancelled. A choice that is not a file-system folder is reported in a
// message box and leaves folder empty (the result is then true).
TESSARO_API bool ZBrowseForLocalFolder(CWnd* parent, const wchar_t* title, ZUnicodeString& folder, UINT flags);
TESSARO_API bool ZBrowseForLocalFolder(CWnd* parent, const wchar_t* title, ZUnicodeString& folder);

// How the browser is run (SHBrowseForFolderW unless replaced); the result is
// freed through the shell's allocator. Returns the previous one; null restores
// the shell's.
using ShellFolderBrowser = PIDLIST_ABSOLUTE (*)(BROWSEINFOW* info);
TESSARO_API ShellFolderBrowser SetShellFolderBrowser(ShellFolderBrowser browser);

}  // namespace Tessaro
