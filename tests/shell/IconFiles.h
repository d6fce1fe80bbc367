// Icon files made by the tests: DIB images of a chosen size, depth and colour,
// icon group directories, and programs (a copy of the test program) holding
// them as resources. The pixel colour of a made icon tells which image it came from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace IconFiles {

using Bytes = std::vector<unsigned char>;

// One colour all over, fully opaque; `bits` 4 and 8 use a palette.
Bytes MakeImage(int width, int height, int bits, COLORREF colour);

struct Entry {
    int width;  // 256 is written as 0
    int height;
    int bits;
    int id;
    uint32_t bytes = 0;
};
Bytes MakeDirectory(const std::vector<Entry>& entries, uint16_t type = 1);

struct Resource {
    LPCWSTR type;
    int id;
    Bytes bytes;
};
// A copy of the test program at `path` holding only these resources.
bool MakeLibrary(const std::wstring& path, const std::vector<Resource>& resources);

// The colour in the middle of the icon's colour bitmap, and its width; CLR_INVALID when unreadable.
COLORREF CentreColour(HICON icon, int* width = nullptr);

}  // namespace IconFiles
