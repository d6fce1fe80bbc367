// Labels the hosts' dialogs share, loaded from the library's message table on
// one line, and the number format their fields use.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/TessaroApi.h"

// The kinds of function a key or button can be mapped to, in the order the
// hosts store them: "Send String", "Menu Function", ... "Disable".
TESSARO_API size_t GetMappedFunctionTypesSize();
// The name of kind `index`; empty for an index past the last kind.
TESSARO_API std::wstring GetMappedFunctionType(size_t index);

TESSARO_API std::wstring GetSelectSessionLabel();
TESSARO_API std::wstring GetNewFirewallLabel();

// "%.3f": 2.5 gives "2.500", one third "0.333".
TESSARO_API std::wstring DoubleToString(double value);
