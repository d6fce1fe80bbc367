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

// False when GDI+ cannot start or cannot decode all of bytes.
bool ZDecodeImage(const void* bytes, size_t size, ZDecodedImage& image);
