// Dialog data exchange for the library's types, in the framework's manner: each
// helper runs inside DoDataExchange, shows the variable when the dialog loads
// and reads it back (validated) when the dialog saves. A refused value is shown
// to the user and fails the exchange, so the dialog stays open with the focus
// on the field.
//
// Ports are exchanged as unsigned text in [minimum, 65535]. The "enabled"
// helpers validate only an enabled field: a disabled one is read leniently
// (Tessaro::ParseLenientInt) and never refused.
#pragma once

#include <afxwin.h>

#include <string>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"
#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"

// A check box's three states, as BM_GETCHECK gives them.
enum class ZTriState : int { Clear = BST_UNCHECKED, Set = BST_CHECKED, Indeterminate = BST_INDETERMINATE };

TESSARO_API void AFXAPI DDX_Port(CDataExchange* pDX, int id, unsigned short& port);
TESSARO_API void AFXAPI DDX_Port(CDataExchange* pDX, int id, unsigned short& port, unsigned short minimum);
// A disabled field's text that is no port (above 65535, say) reads as 0.
TESSARO_API void AFXAPI DDX_EnabledPort(CDataExchange* pDX, int id, unsigned short& port);
TESSARO_API void AFXAPI DDX_EnabledPort(CDataExchange* pDX, int id, unsigned short& port, unsigned short minimum);

TESSARO_API void AFXAPI ZDDX_EnabledText(CDataExchange* pDX, int id, int& value);
TESSARO_API void AFXAPI ZDDX_EnabledText(CDataExchange* pDX, int id, unsigned int& value);
TESSARO_API void AFXAPI ZDDX_EnabledText(CDataExchange* pDX, int id, unsigned long& value);

// The bool form reads any state but clear as true.
TESSARO_API void AFXAPI DDX_Check(CDataExchange* pDX, int id, ZTriState& state);
TESSARO_API void AFXAPI DDX_Check(CDataExchange* pDX, int id, bool& checked);

TESSARO_API void AFXAPI DDX_Text(CDataExchange* pDX, int id, ZString& value);
TESSARO_API void AFXAPI DDX_Text(CDataExchange* pDX, int id, ZUnicodeString& value);
TESSARO_API void AFXAPI DDX_Text(CDataExchange* pDX, int id, std::wstring& value);
// One item per line; empty lines are dropped when reading back.
TESSARO_API void AFXAPI DDX_Text(CDataExchange* pDX, int id, ZStringArray& lines);
TESSARO_API void AFXAPI DDX_CBString(CDataExchange* pDX, int id, ZUnicodeString& value);
TESSARO_API void AFXAPI DDX_CBString(CDataExchange* pDX, int id, std::wstring& value);
TESSARO_API void AFXAPI DDX_CBStringExact(CDataExchange* pDX, int id, ZUnicodeString& value);
TESSARO_API void AFXAPI DDV_MaxChars(CDataExchange* pDX, const ZString& value, int maximum);
TESSARO_API void AFXAPI DDV_MaxChars(CDataExchange* pDX, const ZUnicodeString& value, int maximum);

// Saving only: refuses a name Windows reserves for a device ("aux", "LPT9.local").
TESSARO_API void AFXAPI ZDDV_ValidateHostName(CDataExchange* pDX, int id, const wchar_t* hostName);
// Saving only: refuses a non-empty path that names no file or folder.
TESSARO_API void AFXAPI ZDDV_ValidatePath(CDataExchange* pDX, int id, const wchar_t* path);
