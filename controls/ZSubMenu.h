// Finding a submenu by the text of the item that opens it.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"

// The popup opened by the first item of menu, or of one of its submenus
// (depth first, the items of a level before the levels below it), whose text
// equals text without mnemonic markers ("&File" matches "File"; "&&" stands
// for "&"), case ignored. Null when none matches.
TESSARO_API HMENU ZFindSubMenu(HMENU menu, const wchar_t* text);
