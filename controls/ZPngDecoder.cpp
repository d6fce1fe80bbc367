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

}  // namespace

bool ZDecodeImage(const void* bytes, size_t size, ZDecodedImage& image)
{
    image = {};
    if (!bytes || size == 0 || size > UINT_MAX)
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
        Gdiplus::DllExports::GdipGetImageHeight(bitmap.get(), &height) != Gdiplus::Ok || width == 0 ||
        height == 0 || width > 0x4000 || height > 0x4000)
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
