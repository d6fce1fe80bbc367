// PNG data, decoded through the platform's codec into a bitmap.
#include "controls/ZBitmap.h"
#include "fuzz/FuzzHarness.h"
#include "tests/support/PngWriter.h"

namespace {

Fuzz::Bytes Png(int width, int height, bool alpha)
{
    std::vector<TestSupport::PngPixel> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11), 200, static_cast<uint8_t>(i)});
    return Fuzz::ToBytes(TestSupport::PngWriter::Encode(width, height, pixels, alpha));
}

}  // namespace

int main()
{
    Fuzz::Target target{"png",
                        [](const unsigned char* bytes, size_t size) -> std::string {
                            const ZBitmapHandle bitmap = ZLoadPngFromMemory(bytes, size);
                            return bitmap ? "decoded" : "refused";
                        },
                        [] { return std::vector<Fuzz::Bytes>{Png(3, 2, true), Png(5, 4, false), Png(1, 1, true)}; },
                        16 * 1024, 20000};
    return Fuzz::RunFuzzer(target);
}
