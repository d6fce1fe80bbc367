#include "controls/ZPngDecoder.h"

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
namespace Gdiplus {
using std::max;
using std::min;
}
#include <gdiplus.h>

namespace {

// GDI+ is started for each decoding and shut down after it: the library has no
// start-up of its own where it could run once (not from the loader's lock).
class GdiPlusSession {
public:
    GdiPlusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiPlusSession()
    {
        if (m_started)
            Gdiplus::GdiplusShutdown(m_token);
    }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;
    bool Started() const { return m_started; }

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};

struct StreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};
struct ImageDispose {
    void operator()(Gdiplus::GpBitmap* bitmap) const { Gdiplus::DllExports::GdipDisposeImage(bitmap); }
};

// Beyond this many pixels (64 MB at 32 bits) an image is no icon, toolbar strip
// or dialog picture, and decoding it would commit its size several times over.
constexpr uint64_t kMaxPixels = 4096 * 4096;
constexpr uint32_t kMaxSide = 0x4000;

bool SizeIsSane(uint64_t width, uint64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

uint32_t BigEndian32(const unsigned char* at)
{
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

// A PNG's size is in its first chunk; the decoder allocates it before it
// reads a pixel, so a hostile one is refused from its header.
bool DeclaredSizeIsSane(const unsigned char* bytes, size_t size)
{
    constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(bytes, kSignature, 8) != 0)
        return true;  // not a PNG: the decoded frame's size is checked
    return size >= 24 && std::memcmp(bytes + 12, "IHDR", 4) == 0 &&
           SizeIsSane(BigEndian32(bytes + 16), BigEndian32(bytes + 20));
}

}  // namespace

bool ZDecodeImage(const void* bytes, size_t size, ZDecodedImage& image)
{
    image = {};
    if (!bytes || size == 0 || size > UINT_MAX || !DeclaredSizeIsSane(static_cast<const unsigned char*>(bytes), size))
        return false;
    GdiPlusSession session;
    if (!session.Started())
        return false;
    std::unique_ptr<IStream, StreamRelease> stream(
        ::SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size)));
    if (!stream)
        return false;
    Gdiplus::GpBitmap* raw = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw)
        return false;
    std::unique_ptr<Gdiplus::GpBitmap, ImageDispose> bitmap(raw);
    UINT width = 0, height = 0;
    if (Gdiplus::DllExports::GdipGetImageWidth(bitmap.get(), &width) != Gdiplus::Ok ||
        Gdiplus::DllExports::GdipGetImageHeight(bitmap.get(), &height) != Gdiplus::Ok || !SizeIsSane(width, height))
        return false;
    // Locking decodes every pixel: a damaged stream fails here.
    Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data = {};
    if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap.get(), &rect, Gdiplus::ImageLockModeRead,
                                                PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
        return false;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (UINT row = 0; row < height; ++row) {
        const auto* source = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride;
        std::memcpy(&image.pixels[static_cast<size_t>(row) * width], source, width * 4);
    }
    Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap.get(), &data);
    return true;
}
