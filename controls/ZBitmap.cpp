#include "controls/ZBitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls/ZGdiScope.h"
#include "controls/ZPngDecoder.h"

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct FileCloser {
    void operator()(HANDLE file) const { ::CloseHandle(file); }
};

}  // namespace

ZBitmapHandle ZCreateTopDownSection(int width, int height, void** bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* first = nullptr;
    ZBitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &first, nullptr, 0));
    if (bitmap && bits)
        *bits = first;
    return bitmap;
}

ZBitmapHandle ZLoadPngFromMemory(const void* bytes, size_t size)
{
    if (!bytes || size < sizeof(kPngSignature) || std::memcmp(bytes, kPngSignature, sizeof(kPngSignature)) != 0)
        return {};
    ZDecodedImage image;
    if (!ZDecodeImage(bytes, size, image))
        return {};
    void* bits = nullptr;
    ZBitmapHandle bitmap = ZCreateTopDownSection(image.width, image.height, &bits);
    if (!bitmap)
        return {};
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(image.pixels[0]));
    return bitmap;
}

ZBitmapHandle ZLoadPngFromFile(const wchar_t* path)
{
    if (!path)
        return {};
    std::unique_ptr<void, FileCloser> file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return {};
    }
    LARGE_INTEGER size = {};
    // Images beyond 64 MB are not icons or toolbar pictures.
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64 << 20))
        return {};
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return {};
    return ZLoadPngFromMemory(bytes.data(), bytes.size());
}

ZBitmapHandle ZLoadPngFromResource(HINSTANCE module, const wchar_t* name, const wchar_t* type)
{
    HRSRC resource = ::FindResourceW(module, name, type);
    if (!resource)
        return {};
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return ZLoadPngFromMemory(bytes, ::SizeofResource(module, resource));
}

SIZE ZGetBitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, std::abs(info.bmHeight)};
}

ZBitmapHandle ZScaleBitmap(HBITMAP source, int width, int height)
{
    const SIZE from = ZGetBitmapSize(source);
    if (from.cx <= 0 || from.cy <= 0)
        return {};
    ZBitmapHandle target = ZCreateTopDownSection(width, height);
    if (!target)
        return {};
    ZMemoryDc sourceDc(::CreateCompatibleDC(nullptr));
    ZMemoryDc targetDc(::CreateCompatibleDC(nullptr));
    if (!sourceDc || !targetDc)
        return {};
    ZSelection sourceSelection(sourceDc.get(), source);
    ZSelection targetSelection(targetDc.get(), target.get());
    ::SetStretchBltMode(targetDc.get(), HALFTONE);
    ::SetBrushOrgEx(targetDc.get(), 0, 0, nullptr);
    if (!::StretchBlt(targetDc.get(), 0, 0, width, height, sourceDc.get(), 0, 0, from.cx, from.cy, SRCCOPY))
        return {};
    return target;
}

SIZE ZFitSize(SIZE source, SIZE bounds, bool allowGrowing)
{
    if (source.cx <= 0 || source.cy <= 0 || bounds.cx <= 0 || bounds.cy <= 0)
        return SIZE{0, 0};
    const double scale = std::min(static_cast<double>(bounds.cx) / source.cx,
                                  static_cast<double>(bounds.cy) / source.cy);
    if (scale >= 1.0 && !allowGrowing)
        return source;
    const LONG width = std::max<LONG>(1, static_cast<LONG>(source.cx * scale));
    const LONG height = std::max<LONG>(1, static_cast<LONG>(source.cy * scale));
    return SIZE{width, height};
}
