#include "tests/shell/IconFiles.h"

#include <cstring>

namespace IconFiles {

namespace {

void Put(Bytes& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

Bytes MakeImage(int width, int height, int bits, COLORREF colour)
{
    Bytes out;
    const int colours = bits <= 8 ? 1 << bits : 0;
    Put(out, 40, 4);
    Put(out, static_cast<uint32_t>(width), 4);
    Put(out, static_cast<uint32_t>(height * 2), 4);
    Put(out, 1, 2);
    Put(out, static_cast<uint32_t>(bits), 2);
    for (int i = 0; i < 6; ++i)
        Put(out, 0, 4);
    for (int i = 0; i < colours; ++i)
        Put(out, i == 0 ? (GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16) : 0, 4);
    const int stride = ((width * bits + 31) / 32) * 4;
    for (int y = 0; y < height; ++y) {
        Bytes row(static_cast<size_t>(stride), 0);
        for (int x = 0; x < width && bits >= 24; ++x) {
            unsigned char* pixel = row.data() + x * (bits / 8);
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
            if (bits == 32)
                pixel[3] = 0xFF;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    const int maskStride = ((width + 31) / 32) * 4;
    out.insert(out.end(), static_cast<size_t>(maskStride * height), 0);
    return out;
}

Bytes MakeDirectory(const std::vector<Entry>& entries, uint16_t type)
{
    Bytes out;
    Put(out, 0, 2);
    Put(out, type, 2);
    Put(out, static_cast<uint32_t>(entries.size()), 2);
    for (const Entry& entry : entries) {
        out.push_back(static_cast<unsigned char>(entry.width == 256 ? 0 : entry.width));
        out.push_back(static_cast<unsigned char>(entry.height == 256 ? 0 : entry.height));
        out.push_back(0);
        out.push_back(0);
        Put(out, 1, 2);
        Put(out, static_cast<uint32_t>(entry.bits), 2);
        Put(out, entry.bytes, 4);
        Put(out, static_cast<uint32_t>(entry.id), 2);
    }
    return out;
}

bool MakeLibrary(const std::wstring& path, const std::vector<Resource>& resources)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!::CopyFileW(self, path.c_str(), FALSE))
        return false;
    HANDLE update = ::BeginUpdateResourceW(path.c_str(), TRUE);
    if (!update)
        return false;
    for (const Resource& resource : resources) {
        if (!::UpdateResourceW(update, resource.type, MAKEINTRESOURCEW(resource.id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                               const_cast<unsigned char*>(resource.bytes.data()), static_cast<DWORD>(resource.bytes.size()))) {
            ::EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    return ::EndUpdateResourceW(update, FALSE) != FALSE;
}

COLORREF CentreColour(HICON icon, int* width)
{
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon, &info))
        return CLR_INVALID;
    BITMAP bitmap = {};
    ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    if (width)
        *width = bitmap.bmWidth;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(bitmap.bmWidth) * static_cast<size_t>(bitmap.bmHeight));
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), pixels.data(), &format,
                                 DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    if (rows <= 0 || pixels.empty())
        return CLR_INVALID;
    const uint32_t pixel = pixels[static_cast<size_t>(bitmap.bmHeight / 2) * static_cast<size_t>(bitmap.bmWidth) +
                                  static_cast<size_t>(bitmap.bmWidth / 2)];
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

}  // namespace IconFiles
