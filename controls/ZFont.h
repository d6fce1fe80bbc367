// Fonts from the hosts' stored descriptions, and the font dialog.
#pragma once

#include <afxwin.h>

#include <cstdint>

#include "foundation/TessaroApi.h"

// A font as the hosts store it.
struct ZFontData {
    LOGFONTW logFont;
    int32_t height;     // device units; 0: derive the height from logFont
    uint32_t reserved;  // kept with the description; font creation ignores it
};

// A new font the caller owns, proven usable in dc before it is handed out:
// the description's (quality made non-antialiased unless keepQuality), else a
// plain 10-point fixed-pitch font. When neither can be used the user is told
// and the object returned holds no font.
TESSARO_API CFont* ZCreateFont(CClientDC& dc, const ZFontData& data, bool keepQuality);

// The platform's font dialog over screen fonts, started from *font and
// limited to fixed-pitch fonts unless allowProportional. On OK, *font and
// pointSize (tenths of a point) take the choice and the result is true;
// otherwise both are left as they were. A null font is refused (false)
// without showing the dialog.
TESSARO_API bool ChooseFontW(LOGFONTW* font, bool allowProportional, int& pointSize);
