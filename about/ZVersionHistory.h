// The version history shown by the about box: a text file in any encoding that
// ZTextFile reads, its lines joined with CR LF.
#pragma once

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

// False, with text empty and report set to 0xE1330060 (inserts: the path and
// the platform's description of the error), when the file cannot be opened or
// read to its end.
TESSARO_API bool ZLoadVersionHistory(const wchar_t* path, ZUnicodeString& text, ZReportMessageParams& report);
