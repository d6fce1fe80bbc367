// ZLogFont: the font a text view is asked to use, as hosts store it: the
// platform's logical font, a height override in device units (0: derive the
// height from the logical font) and one further field that font creation does
// not read. The view keeps a copy and re-measures only when it changes.
#pragma once

#include <windows.h>

#include <cstring>

struct ZLogFont {
    LOGFONTW logFont{};
    int heightOverride = 0;
    int reserved = 0;

    // Byte for byte, face-name array included, as a changed font must be noticed.
    friend bool operator==(const ZLogFont& a, const ZLogFont& b)
    {
        return std::memcmp(&a.logFont, &b.logFont, sizeof(LOGFONTW)) == 0 && a.heightOverride == b.heightOverride &&
               a.reserved == b.reserved;
    }
};
