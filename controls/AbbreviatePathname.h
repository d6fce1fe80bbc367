// A path shortened with "..." to fit a control, measured in the control's own
// font (the one it reports for WM_GETFONT) in a client device context. The
// steps are those of Tessaro::AbbreviatePath (ZPathAbbreviation.h).
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

// Fits the width of rect (right minus left). A null path gives an empty string;
// a path that cannot be measured (no window, no device context) is returned as
// it is.
TESSARO_API ZUnicodeString AbbreviatePathname(CWnd* window, const RECT& rect, const wchar_t* path,
                                              bool keepLastFolder);
// Fits the window's client rectangle.
TESSARO_API ZUnicodeString AbbreviatePathname(CWnd* window, const wchar_t* path, bool keepLastFolder);
