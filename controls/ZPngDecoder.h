// The library's one use of GDI+: decoding an encoded image into
// premultiplied 32-bit pixels, top row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ZDecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height, 0xAARRGGBB premultiplied
};

// False when GDI+ cannot start or cannot decode all of bytes, and for images
// beyond 16384 pixels a side or 4096 x 4096 pixels in all (checked from a PNG's
// header before decoding).
bool ZDecodeImage(const void* bytes, size_t size, ZDecodedImage& image);
