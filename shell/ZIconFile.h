// Icons read from icon files (programs and libraries loaded as data files):
// the list of icon groups and the images of one group chosen by colour depth.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/TessaroApi.h"

namespace Tessaro {

// A resource name: a number, or a text when `text` is not empty.
struct ResourceName {
    unsigned id = 0;
    std::wstring text;
};

// The file's icon groups in the order the platform lists them; empty when the
// file cannot be loaded as a data file.
TESSARO_API std::vector<ResourceName> ListIconGroups(const wchar_t* file);

// The large and small icons of group `index` (its position, or -index as the
// group's identifier when negative), from the images of the highest bit count
// not above `depth`. A size without an image of its own is shrunk, averaging,
// from the narrowest larger image; only when the group holds none is the other
// size's image stretched. False, with no icon made, when anything is missing
// or malformed.
TESSARO_API bool ExtractIconsByDepth(const wchar_t* file, int index, int depth, SIZE largeSize, SIZE smallSize,
                                     HICON& largeIcon, HICON& smallIcon);

}  // namespace Tessaro
