// PNG loading, scaling and fitting of bitmaps; finding submenus by their text.
#include <gtest/gtest.h>

#include "controls/ZBitmap.h"
#include "controls/ZSubMenu.h"
#include "tests/support/WindowReaders.h"
#include "tests/support/Mutations.h"
#include "tests/support/PngWriter.h"
#include "tests/support/ScratchFolder.h"

#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <vector>

namespace {

using TestSupport::BitmapPixels;
using TestSupport::PngPixel;
using TestSupport::PngWriter;

bool Near(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) > 1)
            return false;
    }
    return true;
}

const std::vector<PngPixel> kSixPixels = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                          {255, 255, 255, 0}, {10, 20, 30, 128}, {200, 100, 50, 255}};

TEST(PngLoading, ReadsPixelsWithAndWithoutAlpha)
{
    struct Case { bool alpha; std::vector<uint32_t> expected; };  // 0xAARRGGBB, premultiplied
    const Case cases[] = {
        {false, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF0A141E, 0xFFC86432}},
        {true, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000, 0x80050A0F, 0xFFC86432}},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alpha ? "RGBA" : "RGB");
        const std::wstring path = folder.File(c.alpha ? L"alpha.png" : L"plain.png");
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, PngWriter::Encode(3, 2, kSixPixels, c.alpha)));
        const ZBitmapHandle bitmap = ZLoadPngFromFile(path.c_str());
        ASSERT_TRUE(bitmap);
        const SIZE size = ZGetBitmapSize(bitmap.get());
        EXPECT_EQ(size.cx, 3);
        EXPECT_EQ(size.cy, 2);
        const std::vector<uint32_t> pixels = BitmapPixels(bitmap.get());
        ASSERT_EQ(pixels.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_TRUE(Near(pixels[i], c.expected[i])) << i << ": " << std::hex << pixels[i];
    }
}

TEST(PngLoading, ReadsAResourceOfTypePng)
{
    const ZBitmapHandle bitmap = ZLoadPngFromResource(::GetModuleHandleW(nullptr), L"TEST_PICTURE", L"PNG");
    ASSERT_TRUE(bitmap);
    const std::vector<uint32_t> pixels = BitmapPixels(bitmap.get());
    ASSERT_EQ(pixels.size(), 6u);
    EXPECT_TRUE(Near(pixels[0], 0xFFFF0000));
    EXPECT_TRUE(Near(pixels[3], 0x00000000));
    EXPECT_TRUE(Near(pixels[5], 0xFFC86432));
    EXPECT_FALSE(ZLoadPngFromResource(::GetModuleHandleW(nullptr), L"NO_SUCH_PICTURE", L"PNG"));
    EXPECT_FALSE(ZLoadPngFromResource(::GetModuleHandleW(nullptr), L"TEST_PICTURE", RT_RCDATA));
}

TEST(PngLoading, RefusesWhatIsNotAWholePng)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"x.png");
    EXPECT_FALSE(ZLoadPngFromFile(path.c_str())) << "missing file";
    EXPECT_FALSE(ZLoadPngFromFile(nullptr));
    for (const char* bytes : {"GIF89a not a png at all", ""}) {
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, bytes));
        EXPECT_FALSE(ZLoadPngFromFile(path.c_str())) << bytes;
    }
}

size_t PeakCommitted()
{
    PROCESS_MEMORY_COUNTERS counters{};
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakPagefileUsage : 0;
}

TEST(PngLoading, ImagesBeyondSixteenMegapixelsAreRefusedBeforeDecoding)
{
    // Small files all; the refused ones must not make the process commit
    // their pixels (a 16384 x 16384 image would take a gigabyte).
    struct Case { uint32_t width, height; bool loads; };
    const Case cases[] = {
        {16384, 16, true}, {4096, 4096, true}, {4097, 4096, false}, {16384, 16384, false}, {16385, 1, false},
    };
    for (const Case& c : cases) {
        const std::string png = PngWriter::Blank(c.width, c.height);
        const size_t before = PeakCommitted();
        const ZBitmapHandle bitmap = ZLoadPngFromMemory(png.data(), png.size());
        EXPECT_EQ(static_cast<bool>(bitmap), c.loads) << c.width << "x" << c.height;
        if (!c.loads) {
            EXPECT_LT(PeakCommitted() - before, size_t{16} << 20) << c.width << "x" << c.height;
        }
    }
}

TEST(PngLoading, TruncationsFailCleanly)
{
    const std::string good = PngWriter::Encode(3, 2, kSixPixels, true);
    // The image data ends 12 bytes (IEND) plus 4 (IDAT's CRC) before the end;
    // every cut before that loses pixels.
    const size_t lastPixelEnd = good.size() - 12 - 4 - 4;
    TestSupport::Mutations mutations;
    mutations.bitFlips = false;
    mutations.byteValues = false;
    mutations.randomVariants = 0;
    size_t refused = 0;
    const size_t count = mutations.ForEach(good, [&](const TestSupport::Mutation& m) {
        const ZBitmapHandle bitmap = ZLoadPngFromMemory(m.bytes.data(), m.bytes.size());
        if (m.bytes.size() < lastPixelEnd) {
            EXPECT_FALSE(bitmap) << m.description;
        }
        if (bitmap) {
            const SIZE size = ZGetBitmapSize(bitmap.get());
            EXPECT_TRUE(size.cx == 3 && size.cy == 2) << m.description;
        } else {
            ++refused;
        }
    });
    EXPECT_EQ(count, good.size());
    EXPECT_GE(refused, lastPixelEnd);
}

TEST(BitmapScaling, ScalesToTheRequestedSize)
{
    void* bits = nullptr;
    const ZBitmapHandle source = ZCreateTopDownSection(40, 20, &bits);
    ASSERT_TRUE(source);
    std::fill_n(static_cast<uint32_t*>(bits), 40 * 20, 0x00336699u);
    const SIZE sizes[] = {{10, 5}, {40, 20}, {80, 40}, {1, 1}, {7, 30}};
    for (const SIZE& size : sizes) {
        const ZBitmapHandle scaled = ZScaleBitmap(source.get(), size.cx, size.cy);
        ASSERT_TRUE(scaled) << size.cx << "x" << size.cy;
        const SIZE actual = ZGetBitmapSize(scaled.get());
        EXPECT_EQ(actual.cx, size.cx);
        EXPECT_EQ(actual.cy, size.cy);
        const std::vector<uint32_t> pixels = BitmapPixels(scaled.get());
        ASSERT_FALSE(pixels.empty());
        EXPECT_TRUE(Near(pixels[pixels.size() / 2] & 0xFFFFFF, 0x336699)) << std::hex << pixels[pixels.size() / 2];
    }
    EXPECT_FALSE(ZScaleBitmap(source.get(), 0, 5));
    EXPECT_FALSE(ZScaleBitmap(nullptr, 5, 5));
}

TEST(BitmapScaling, FitsKeepingProportions)
{
    struct Case { SIZE source, bounds; bool grow; SIZE expected; };
    const Case cases[] = {
        {{400, 400}, {200, 100}, false, {100, 100}}, {{400, 400}, {800, 900}, false, {400, 400}},
        {{400, 400}, {800, 900}, true, {800, 800}},  {{300, 100}, {100, 100}, false, {100, 33}},
        {{1000, 1}, {10, 10}, false, {10, 1}},       {{0, 10}, {10, 10}, false, {0, 0}},
        {{10, 10}, {0, 10}, false, {0, 0}},
    };
    for (const Case& c : cases) {
        const SIZE fitted = ZFitSize(c.source, c.bounds, c.grow);
        EXPECT_EQ(fitted.cx, c.expected.cx) << c.source.cx << "x" << c.source.cy << " in " << c.bounds.cx;
        EXPECT_EQ(fitted.cy, c.expected.cy) << c.source.cx << "x" << c.source.cy << " in " << c.bounds.cx;
    }
}

TEST(SubMenu, FindsByShownText)
{
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    HMENU recent = ::CreatePopupMenu();
    HMENU tools = ::CreatePopupMenu();
    HMENU plain = ::CreatePopupMenu();
    ::AppendMenuW(recent, MF_STRING, 10, L"one.txt");
    ::AppendMenuW(file, MF_STRING, 1, L"&Open");
    ::AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"Recent &Files");
    ::AppendMenuW(tools, MF_POPUP, reinterpret_cast<UINT_PTR>(plain), L"Save && Load");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    ::AppendMenuW(bar, MF_STRING, 2, L"Tools");  // a command, not a popup
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), L"&Tools");
    const std::pair<const wchar_t*, HMENU> cases[] = {
        {L"File", file},          {L"&File", file},     {L"file", file},     {L"Recent Files", recent},
        {L"Tools", tools},        {L"Save && Load", plain}, {L"Open", nullptr},
        {L"one.txt", nullptr},    {L"", nullptr},       {L"Fil", nullptr},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ZFindSubMenu(bar, text), expected) << text;
    EXPECT_EQ(ZFindSubMenu(bar, nullptr), nullptr);
    EXPECT_EQ(ZFindSubMenu(nullptr, L"File"), nullptr);
    ::DestroyMenu(bar);
}

}  // namespace
