// The "&" mnemonic marker of captions and menu items: doubling it so that a
// text shows literally, and taking it out again. A null text gives an empty
// string.
#pragma once

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

// Every "&" becomes "&&".
TESSARO_API ZUnicodeString EscapeAmpersand(const wchar_t* text);
// The same, under the name button captions use.
TESSARO_API ZUnicodeString EscapeAmpersandButtons(const wchar_t* text);
// Only the first "&" goes; later ones stay.
TESSARO_API ZUnicodeString RemoveAmpersand(const wchar_t* text);
// Every "&&", read from the left, becomes "&"; a lone "&" stays.
TESSARO_API ZUnicodeString RemoveEscapedAmpersands(const wchar_t* text);
