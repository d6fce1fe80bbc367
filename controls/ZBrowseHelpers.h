// What the browse buttons beside path fields call. Both open at the field's
// text with its environment variables and substitution codes expanded; the
// field itself keeps its codes unless the user chooses another path.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"

class CWnd;
class ZReportMessageParams;

// A file dialog (see ZFileDialog); on IDOK the edit gets the chosen full path.
// Returns the dialog's result.
TESSARO_API INT_PTR OnBrowseHelper(CWnd* edit, bool open, const wchar_t* defaultName, const wchar_t* title,
                                   const wchar_t* okText, const wchar_t* defaultExtension, DWORD flags,
                                   const wchar_t* filter, CWnd* parent);

// The folder browser at the nearest existing folder of the edit's expanded
// text. True when the edit's text changed. A failed expansion is left in
// report for the caller to show, without browsing. A choice that names the
// same folder as the text, or that is not a file-system folder, leaves the
// text alone. The edit gets the focus back.
TESSARO_API bool OnBrowseLocalFolderHelper(CWnd* parent, CWnd* edit, const wchar_t* title,
                                           ZReportMessageParams& report, const wchar_t* host, const wchar_t* session);
