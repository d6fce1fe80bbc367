// Screenshots of the demo's windows, written as PNG files without an image library.
#include "demo/DemoScreenshot.h"

#include <afxwin.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// PNG writing: 8-bit RGB, zlib "stored" blocks (no compression needed for
// one screenshot), so the demo needs no image library.

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static uint32_t table[256];
    if (!table[1]) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

// rows: top-down 32-bit BGRX pixels.
bool WritePng(const wchar_t* path, const uint32_t* pixels, int width, int height)
{
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw.push_back(static_cast<uint8_t>(p >> 16));
            raw.push_back(static_cast<uint8_t>(p >> 8));
            raw.push_back(static_cast<uint8_t>(p));
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || raw.empty(); at += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + length >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        if (raw.empty())
            break;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});

    FILE* file = _wfopen(path, L"wb");
    if (!file)
        return false;
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}

// The file's full name in the output folder, or empty without one.
std::wstring OutputPath(const wchar_t* name)
{
    const char* folder = std::getenv("TESSARO_DEMO_OUTPUT");
    if (!folder || !*folder)
        return {};
    std::wstring path(folder, folder + strlen(folder));
    if (path[0] == L'/')
        path = L"Z:" + path;  // a Unix folder, seen through Wine's root drive
    return path + L"/" + name;
}

// Copies an area of a device context (its origin at x, y) into a PNG file.
std::wstring SaveArea(HDC source, int x, int y, int width, int height, const wchar_t* name)
{
    const std::wstring path = OutputPath(name);
    if (path.empty() || width <= 0 || height <= 0)
        return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return {};
    HDC memory = ::CreateCompatibleDC(source);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const bool copied = ::BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY) != FALSE;
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    const bool saved = copied && WritePng(path.c_str(), static_cast<const uint32_t*>(bits), width, height);
    ::DeleteObject(bitmap);
    return saved ? path : std::wstring();
}

}  // namespace

std::wstring SaveScreenshot(HWND window, const wchar_t* name)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    HDC source = ::GetWindowDC(window);
    const std::wstring path = SaveArea(source, 0, 0, rect.Width(), rect.Height(), name);
    ::ReleaseDC(window, source);
    return path;
}

std::wstring SaveScreenAreaScreenshot(const RECT& area, const wchar_t* name)
{
    HDC screen = ::GetDC(nullptr);
    const std::wstring path = SaveArea(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, name);
    ::ReleaseDC(nullptr, screen);
    return path;
}

std::wstring SaveBitmapScreenshot(HBITMAP bitmap, const wchar_t* name)
{
    BITMAP info = {};
    if (!::GetObjectW(bitmap, sizeof(info), &info))
        return {};
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const std::wstring path = SaveArea(memory, 0, 0, info.bmWidth, info.bmHeight, name);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return path;
}
