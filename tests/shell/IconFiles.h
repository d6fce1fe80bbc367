// Icon files made by the tests: DIB images of a chosen size, depth and colour,
// icon group directories, and programs (a copy of the test program) holding
// them as resources. The pixel colour of a made icon tells which image it came from.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/WindowReaders.h"

namespace IconFiles {

using Bytes = std::vector<unsigned char>;

inline void Put(Bytes& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// One colour all over, fully opaque; `bits` 4 and 8 use a palette.
inline Bytes MakeImage(int width, int height, int bits, COLORREF colour)
{
    Bytes out;
    for (const uint32_t field : {40, width, height * 2})
        Put(out, field, 4);
    Put(out, 1, 2);
    Put(out, static_cast<uint32_t>(bits), 2);
    out.insert(out.end(), 24, 0);
    const uint32_t bgra = GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16 | 0xFF000000u;
    for (int i = 0; bits <= 8 && i < 1 << bits; ++i)
        Put(out, i == 0 ? bgra & 0xFFFFFF : 0, 4);
    const int stride = ((width * bits + 31) / 32) * 4;
    for (int y = 0; y < height; ++y) {
        Bytes row(static_cast<size_t>(stride), 0);
        for (int x = 0; x < width && bits >= 24; ++x)
            std::copy_n(reinterpret_cast<const unsigned char*>(&bgra), bits / 8, row.begin() + x * (bits / 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    out.insert(out.end(), static_cast<size_t>((width + 31) / 32 * 4 * height), 0);  // the mask
    return out;
}

struct Entry {
    int width;  // 256 is written as 0
    int height;
    int bits;
    int id;
};

inline Bytes MakeDirectory(const std::vector<Entry>& entries, uint16_t type = 1)
{
    Bytes out;
    Put(out, 0, 2);
    Put(out, type, 2);
    Put(out, static_cast<uint32_t>(entries.size()), 2);
    for (const Entry& entry : entries) {
        out.push_back(static_cast<unsigned char>(entry.width % 256));
        out.push_back(static_cast<unsigned char>(entry.height % 256));
        Put(out, 0, 2);
        Put(out, 1, 2);
        Put(out, static_cast<uint32_t>(entry.bits), 2);
        Put(out, 0, 4);
        Put(out, static_cast<uint32_t>(entry.id), 2);
    }
    return out;
}

struct Resource {
    LPCWSTR type;
    int id;
    Bytes bytes;
};

// A copy of the test program at `path` holding only these resources.
inline bool MakeLibrary(const std::wstring& path, const std::vector<Resource>& resources)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    HANDLE update = ::CopyFileW(self, path.c_str(), FALSE) ? ::BeginUpdateResourceW(path.c_str(), TRUE) : nullptr;
    if (!update)
        return false;
    for (const Resource& resource : resources) {
        if (!::UpdateResourceW(update, resource.type, MAKEINTRESOURCEW(resource.id), LANG_NEUTRAL,
                               const_cast<unsigned char*>(resource.bytes.data()),
                               static_cast<DWORD>(resource.bytes.size()))) {
            ::EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    return ::EndUpdateResourceW(update, FALSE) != FALSE;
}

// The colour in the middle of the icon's colour bitmap, and its width; CLR_INVALID when unreadable.
inline COLORREF CentreColour(HICON icon, int* width = nullptr)
{
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon, &info))
        return CLR_INVALID;
    BITMAP bitmap = {};
    ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    if (width)
        *width = bitmap.bmWidth;
    const std::vector<uint32_t> pixels = TestSupport::BitmapPixels(info.hbmColor);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    if (pixels.empty())
        return CLR_INVALID;
    const uint32_t pixel = pixels[static_cast<size_t>(bitmap.bmHeight / 2 * bitmap.bmWidth + bitmap.bmWidth / 2)];
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

}  // namespace IconFiles
