// Dialog data validation of a certificate path field.
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"

// Saving only. A blank path passes. Otherwise the path must name an existing
// file (a "CAPI::" store reference skips that test) and load with the
// password; if not, the user is told and the field fails. Whatever the load
// imported is released before this returns.
TESSARO_API void AFXAPI ZDDV_ValidateCertificatePath(CDataExchange* pDX, int id, const wchar_t* path,
                                                     const wchar_t* password);
