// Window-free pixel work for icons: an icon's picture as premultiplied pixels,
// recovered from two renderings, and shrunk with an area-averaging filter so a
// large image makes a sharp small icon instead of a small one being stretched.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/TessaroApi.h"

namespace Tessaro {

// Premultiplied 0xAARRGGBB pixels, rows from the top.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// The picture that gave `onBlack` and `onWhite` when drawn over black and over
// white (0x00RRGGBB pixels of the same size): what shows through is the alpha.
TESSARO_API IconPixels PixelsFromBackgrounds(const IconPixels& onBlack, const IconPixels& onWhite);

// Each target pixel is the average of the source area it covers, weighted by
// how much of each source pixel falls inside. Neither side may grow (a side
// asked larger keeps the source's); an empty source gives an empty picture.
TESSARO_API IconPixels ShrinkPixels(const IconPixels& source, int width, int height);

}  // namespace Tessaro
