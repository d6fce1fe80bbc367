// The check that a folder can serve as configuration folder (it can be created
// and written), its dialog validation, and the split of a local path into an
// existing folder and a file name.
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

// Creates folder with its missing parents and writes a file in it that
// vanishes at once. On success folder becomes its full path. On failure the
// report holds MSG_FOLDER_ACCESS_DENIED (access denied) or MSG_FOLDER_NOT_VALID
// (anything else, an empty name included) with the folder as its insert.
TESSARO_API bool IsValidConfigFolder(ZUnicodeString& folder, ZReportMessageParams& report);

// When saving: checks a copy of folder; on failure tells the user, focuses the
// edit control controlId and fails the exchange. folder is never changed.
TESSARO_API void AFXAPI ZDDV_ValidateConfigFolder(CDataExchange* pDX, const CStringW& folder, UINT controlId);

// Splits path into folder and file. A drive root gives the root (with a final
// backslash) and no file, true when the drive exists; an existing directory
// gives itself and no file; an existing file, or a path that does not exist,
// is split at its last separator, true for an existing file or when the
// folder part exists. An empty path gives false and leaves both untouched.
// Paths of any length are handled.
TESSARO_API bool ZExtractLocalDirectory(const wchar_t* path, ZUnicodeString& folder, ZUnicodeString& file);
