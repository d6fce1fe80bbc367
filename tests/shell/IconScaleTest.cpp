// Icons at any size: the image of the asked size, else a larger one shrunk with
// an averaging filter, never a smaller one stretched up while a larger exists.
#include <gtest/gtest.h>

#include <string>

#include "shell/ZIconFile.h"
#include "shell/ZIconPixels.h"
#include "tests/shell/IconFiles.h"
#include "tests/support/MemoryCanvas.h"
#include "tests/support/ScratchFolder.h"

namespace IconScaleTest {

using Tessaro::IconPixels;

IconPixels Picture(int width, int height, uint32_t (*pixel)(int x, int y))
{
    IconPixels picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.argb.push_back(pixel(x, y));
    }
    return picture;
}

TEST(IconPixels, ShrinkingAveragesTheCoveredArea)
{
    const struct {
        const char* name;
        IconPixels source;
        int width;
        int height;
        uint32_t every;  // target pixel
    } cases[] = {
        {"solid stays solid at a fractional ratio", Picture(48, 48, [](int, int) { return 0xFF3366CCu; }), 20, 20,
         0xFF3366CC},
        {"one-pixel stripes turn grey", Picture(64, 64, [](int x, int) { return x % 2 ? 0xFFFFFFFFu : 0xFF000000u; }),
         32, 32, 0xFF808080},
        // Premultiplied: clear pixels lend no colour, only transparency.
        {"half clear, half red", Picture(4, 4, [](int x, int) { return x % 2 ? 0xFFFF0000u : 0u; }), 2, 2,
         0x80800000},
        // 3 to 2: the middle source column is shared half and half.
        {"a shared column is split by area", Picture(3, 1, [](int x, int) { return x == 1 ? 0xFFFFFFFFu : 0xFF000000u; }),
         2, 1, 0xFF555555},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const IconPixels shrunk = Tessaro::ShrinkPixels(c.source, c.width, c.height);
        ASSERT_EQ(shrunk.width, c.width);
        ASSERT_EQ(shrunk.height, c.height);
        ASSERT_EQ(shrunk.argb.size(), static_cast<size_t>(c.width * c.height));
        for (size_t at = 0; at < shrunk.argb.size(); ++at)
            EXPECT_EQ(shrunk.argb[at], c.every) << at;
    }
    EXPECT_EQ(Tessaro::ShrinkPixels(Picture(8, 8, [](int, int) { return 0xFF000000u; }), 16, 4).width, 8);
    EXPECT_TRUE(Tessaro::ShrinkPixels(IconPixels{}, 16, 16).argb.empty());
}

TEST(IconPixels, AlphaIsWhatShowsThroughTwoBackgrounds)
{
    // Drawn over black the colour is premultiplied; over white the background adds 255 - alpha.
    const IconPixels onBlack{3, 1, {0x000000, 0x00400000, 0x00FF8000}};
    const IconPixels onWhite{3, 1, {0xFFFFFF, 0x00FFBFBF, 0x00FF8000}};
    const IconPixels picture = Tessaro::PixelsFromBackgrounds(onBlack, onWhite);
    ASSERT_EQ(picture.argb.size(), 3u);
    EXPECT_EQ(picture.argb[0], 0x00000000u);
    EXPECT_EQ(picture.argb[1], 0x40400000u);
    EXPECT_EQ(picture.argb[2], 0xFFFF8000u);
    EXPECT_TRUE(Tessaro::PixelsFromBackgrounds(onBlack, IconPixels{2, 1, {0, 0}}).argb.empty());
}

// A library of one group holding images of 16, 32 and 256 px, each its own colour.
TEST(IconSizes, ALargerImageIsShrunkRatherThanASmallerStretched)
{
    ScratchFolder folder;
    const std::wstring library = folder.File(L"sizes.dll");
    std::vector<IconFiles::Resource> resources;
    std::vector<IconFiles::Entry> entries;
    const struct {
        int size;
        COLORREF colour;
    } images[] = {{16, RGB(255, 0, 0)}, {32, RGB(0, 255, 0)}, {256, RGB(0, 0, 255)}};
    for (const auto& image : images) {
        entries.push_back({image.size, image.size, 32, image.size});
        resources.push_back({RT_ICON, image.size, IconFiles::MakeImage(image.size, image.size, 32, image.colour)});
    }
    resources.push_back({RT_GROUP_ICON, 1, IconFiles::MakeDirectory(entries)});
    ASSERT_TRUE(IconFiles::MakeLibrary(library, resources));
    const struct {
        int large;
        int small;
        COLORREF largeColour;
        COLORREF smallColour;
    } cases[] = {
        {32, 16, RGB(0, 255, 0), RGB(255, 0, 0)},  // both exact
        {48, 24, RGB(0, 0, 255), RGB(0, 255, 0)},  // 150 %: from 256 and 32
        {64, 32, RGB(0, 0, 255), RGB(0, 255, 0)},  // 200 %
        {20, 12, RGB(0, 255, 0), RGB(255, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.large << " and " << c.small);
        HICON large = nullptr;
        HICON small = nullptr;
        ASSERT_TRUE(Tessaro::ExtractIconsByDepth(library.c_str(), -1, 32, {c.large, c.large}, {c.small, c.small},
                                                 large, small));
        int largeWidth = 0;
        int smallWidth = 0;
        EXPECT_EQ(IconFiles::CentreColour(large, &largeWidth), c.largeColour);
        EXPECT_EQ(IconFiles::CentreColour(small, &smallWidth), c.smallColour);
        EXPECT_EQ(largeWidth, c.large);
        EXPECT_EQ(smallWidth, c.small);
        ::DestroyIcon(large);
        ::DestroyIcon(small);
    }
}

// A 4-bit image whose mask clears its left half: shrunk, that half still shows
// what is behind it, while the black right half stays black.
TEST(IconMask, ClearAreaAndBlackPixelsStayApartWhenShrunk)
{
    ScratchFolder folder;
    const std::wstring library = folder.File(L"masked.dll");
    IconFiles::Bytes image = IconFiles::MakeImage(32, 32, 4, RGB(0, 0, 0));
    for (size_t row = image.size() - 32 * 4; row < image.size(); row += 4)
        image[row] = image[row + 1] = 0xFF;
    ASSERT_TRUE(IconFiles::MakeLibrary(
        library, {{RT_ICON, 20, image}, {RT_GROUP_ICON, 1, IconFiles::MakeDirectory({{32, 32, 4, 20}})}}));
    HICON large = nullptr;
    HICON small = nullptr;
    ASSERT_TRUE(Tessaro::ExtractIconsByDepth(library.c_str(), -1, 32, {16, 16}, {16, 16}, large, small));
    TestSupport::Canvas canvas(16, 16, RGB(0, 255, 0));
    ::DrawIconEx(canvas.dc()->GetSafeHdc(), 0, 0, large, 16, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(canvas.At(3, 8), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(12, 8), RGB(0, 0, 0));
    ::DestroyIcon(large);
    ::DestroyIcon(small);
}

}  // namespace IconScaleTest
