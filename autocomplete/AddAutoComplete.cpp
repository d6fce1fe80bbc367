#include <afxwin.h>
#include <shlwapi.h>

#include "autocomplete/ZAutoComplete.h"

void AddAutoComplete(CWnd* edit, bool foldersOnly)
{
    // The shell's completion is a convenience: an edit without it still works.
    ::SHAutoComplete(edit->GetSafeHwnd(), foldersOnly ? SHACF_FILESYS_DIRS : SHACF_FILESYSTEM);
}
