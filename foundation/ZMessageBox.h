// The library's message boxes and the application name they default to.
//
// Every overload makes the cursor visible while the box is up and hides it
// again afterwards only if it was hidden before. With a parent window the box
// is the parent's, captioned with the application's name unless a caption is
// given, and a type without an icon gets one that suits its buttons (OK and
// OK/Cancel the exclamation mark, Yes/No and Yes/No/Cancel the question mark).
// Without a parent the framework's application box is shown: the caption
// argument is not used and no icon is added. Each returns the button code.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"

class CWnd;
class IReportMessageParams;

// The application's name as the framework knows it (null before the host made
// its application object).
TESSARO_API const wchar_t* ZGetAppName();

TESSARO_API int ZMessageBox(CWnd* parent, const wchar_t* text, UINT type = MB_OK, const wchar_t* caption = nullptr);
TESSARO_API int ZMessageBox(const wchar_t* text, UINT type = MB_OK, const wchar_t* caption = nullptr);
// The same with the report's formatted text.
TESSARO_API int ZMessageBox(CWnd* parent, const IReportMessageParams* report, UINT type = MB_OK,
                            const wchar_t* caption = nullptr);
TESSARO_API int ZMessageBox(const IReportMessageParams* report, UINT type = MB_OK, const wchar_t* caption = nullptr);
