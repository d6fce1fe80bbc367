// Shortcuts to programs on the user's desktop and among the favourite links,
// and two well-known places of the host. COM must be initialised on the
// calling thread. Characters the file system refuses in `name` make the
// shortcut fail; they are not replaced. So do names that would leave the
// folder (separators, colons, "." and "..") and device names ("NUL", "COM1.x").
#pragma once

#include <afxwin.h>

#include <memory>
#include <string>

#include "foundation/TessaroApi.h"

// False when the folder cannot be found, the path would be too long for the
// volume, or the link cannot be saved; "<name>.lnk" is made otherwise.
TESSARO_API bool ZCreateDesktopShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* name,
                                        CWnd* owner);
TESSARO_API bool ZCreateFavoritesShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* name,
                                          CWnd* owner);

// The host executable's folder.
TESSARO_API std::wstring ZGetCommonDocumentsDirectory();

// The current thread's main window; null on a thread without a CWinThread.
TESSARO_API CWnd* ZGetMainWindow();

namespace Tessaro {

// The shortcut `name`.lnk in `folder`, with the volume's length check.
TESSARO_API bool CreateShortcutIn(const std::wstring& folder, const wchar_t* target, const wchar_t* arguments,
                                  const wchar_t* name);

}  // namespace Tessaro
