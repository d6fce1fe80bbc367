// The window-free rules of the icon manager: the colour depth, and the choice of
// images from an icon group's directory. Icon files come from anywhere, so every
// count, size and offset read here is checked against the bytes that are there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "foundation/TessaroApi.h"

namespace Tessaro {

struct IconColorDepth {
    UINT listFlag;  // ILC_COLOR4 ... ILC_COLOR32, or 0 (ILC_COLOR) below 4 bits
    int depth;      // the largest bit count an extracted image may have
};

// `shellIconBpp`: the user's "Shell Icon BPP" text as read (with its terminator
// counted in `bytes`), or nullopt when it could not be read. A value of at
// least 3 bytes that is wholly a decimal number below 16 limits icons to 4 bits.
TESSARO_API bool AllColoursAllowed(const std::optional<std::wstring>& shellIconBpp, size_t bytes);

// `displayBitsPerPixel` 0: the display's settings could not be read.
TESSARO_API IconColorDepth ChooseIconColorDepth(bool allColours, int displayBitsPerPixel);

struct IconChoice {
    int largeId = -1;  // RT_ICON identifiers
    int smallId = -1;
};

// Reads an RT_GROUP_ICON directory and picks, for each size, among the images
// of a bit count not above `depth` (a width byte 0 means 256): of those at least
// that wide and tall, one of the size itself, else the narrowest wider one; when
// none is that large, the widest; then the highest bit count, the earlier one on
// a tie. Nothing when the directory is malformed or has no candidate.
TESSARO_API std::optional<IconChoice> ChooseIconImages(const unsigned char* bytes, size_t size, int depth, SIZE largeSize,
                                                       SIZE smallSize);

// True when an RT_ICON resource holds a PNG of at most 256 by 256, or a DIB header whose
// colour table, colour bits and mask all lie within `size` bytes.
TESSARO_API bool IconImageFits(const unsigned char* bytes, size_t size);

}  // namespace Tessaro
