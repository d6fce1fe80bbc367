// The window-free rules behind the data-exchange helpers (ZDataExchange.h):
// which host names Windows reserves, how a disabled field's number is read,
// and how a multi-line field maps to a list of texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"

namespace Tessaro {

// "CON", "PRN", "AUX", "NUL", "COM1" to "COM9", "LPT1" to "LPT9", "CLOCK$",
// alone or followed by '.' and anything, in any case: "con" and "Com1.example"
// are reserved, "CONSOLE" and "COM10" are not.
TESSARO_API bool IsReservedDeviceName(std::wstring_view name);

// Lenient reading of a number: leading white space skipped, an optional sign,
// then decimal digits; whatever follows is ignored. No digits, or a value that
// does not fit, reads as 0. The unsigned form also reads a negative number as 0.
TESSARO_API int32_t ParseLenientInt(std::wstring_view text);
TESSARO_API uint32_t ParseLenientUInt(std::wstring_view text);

// The items joined by "\r\n".
TESSARO_API std::wstring JoinLines(const ZStringArray& lines);
// Every run of '\r' and '\n' is one break; empty lines give no item.
TESSARO_API void SplitLines(std::wstring_view text, ZStringArray& lines);

}  // namespace Tessaro
