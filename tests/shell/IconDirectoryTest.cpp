// The icon manager's window-free rules: colour depth, the choice of images from
// a group directory, and the bounds of an icon image, hostile inputs included.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "shell/ZIconDirectory.h"
#include "tests/shell/IconFiles.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"

namespace IconDirectoryTest {

using IconFiles::Bytes;
using IconFiles::Entry;

constexpr SIZE kLarge = {32, 32};
constexpr SIZE kSmall = {16, 16};

TEST(IconColorDepth, ShellIconBppBelow16LimitsIconsTo4Bits)
{
    const struct {
        std::optional<std::wstring> value;  // nothing: absent
        size_t bytes;
        bool allColours;
    } cases[] = {
        {std::nullopt, 0, true}, {L"8", 4, false},  {L"15", 6, false}, {L"0008", 10, false},
        {L"16", 6, true},        {L"", 2, true},    {L"8x", 6, true},  {L"-8", 6, true},
        {L"8", 2, true},  // shorter than 3 bytes
        {L"99999999999999999999", 42, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.value.value_or(L"<absent>")) + " in " + std::to_string(c.bytes));
        EXPECT_EQ(Tessaro::AllColoursAllowed(c.value, c.bytes), c.allColours);
    }
}

TEST(IconColorDepth, TheDisplayDepthIsRoundedDown)
{
    const struct {
        bool allColours;
        int display;
        UINT flag;
        int depth;
    } cases[] = {
        {true, 32, ILC_COLOR32, 32}, {true, 24, ILC_COLOR24, 24}, {true, 16, ILC_COLOR16, 16},
        {true, 15, ILC_COLOR8, 8},   {true, 8, ILC_COLOR8, 8},    {true, 4, ILC_COLOR4, 4},
        {true, 2, ILC_COLOR, 4},     {true, 0, ILC_COLOR, 4},     {false, 32, ILC_COLOR4, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.allColours << " " << c.display);
        const Tessaro::IconColorDepth chosen = Tessaro::ChooseIconColorDepth(c.allColours, c.display);
        EXPECT_EQ(chosen.listFlag, c.flag);
        EXPECT_EQ(chosen.depth, c.depth);
    }
}

std::optional<Tessaro::IconChoice> Choose(const Bytes& directory, int depth)
{
    TestSupport::GuardedBuffer guarded(directory);
    return Tessaro::ChooseIconImages(guarded.Data(), guarded.Size(), depth, kLarge, kSmall);
}

TEST(IconChoice, TheDeepestImageNotAboveTheDepthWins)
{
    const struct {
        const char* name;
        std::vector<Entry> entries;
        int depth;
        int largeId;  // -1: nothing chosen
        int smallId;
    } cases[] = {
        {"16-bit display over 32, 8 and 4 bits", {{32, 32, 32, 1}, {32, 32, 8, 2}, {32, 32, 4, 3}}, 16, 2, 2},
        {"32-bit display", {{32, 32, 4, 3}, {32, 32, 32, 1}, {16, 16, 8, 5}}, 32, 1, 5},
        {"equal depths keep the first", {{16, 16, 8, 5}, {16, 16, 8, 6}, {32, 32, 8, 7}, {32, 32, 8, 8}}, 32, 7, 5},
        {"small only", {{16, 16, 32, 9}}, 32, 9, 9},
        {"taller images count", {{32, 64, 32, 1}, {16, 20, 32, 2}}, 32, 1, 2},
        {"an image shorter than a size gives way to a larger one", {{32, 16, 32, 1}, {48, 48, 32, 3}}, 32, 3, 1},
        {"width 0 is 256", {{256, 256, 32, 4}, {16, 16, 32, 1}}, 32, 4, 1},
        {"the narrowest larger image", {{256, 256, 32, 1}, {64, 64, 32, 2}, {48, 48, 32, 3}}, 32, 3, 3},
        {"nothing larger: the widest smaller", {{16, 16, 32, 1}, {24, 24, 32, 2}, {20, 20, 32, 3}}, 32, 2, 1},
        {"the size itself over more bits", {{64, 64, 32, 1}, {32, 32, 8, 2}}, 32, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Tessaro::IconChoice> choice = Choose(IconFiles::MakeDirectory(c.entries), c.depth);
        ASSERT_EQ(choice.has_value(), c.largeId >= 0 || c.smallId >= 0);
        EXPECT_EQ(choice.value_or(Tessaro::IconChoice{}).largeId, c.largeId);
        EXPECT_EQ(choice.value_or(Tessaro::IconChoice{}).smallId, c.smallId);
    }
}

TEST(IconChoice, MalformedDirectoriesChooseNothing)
{
    const Bytes good = IconFiles::MakeDirectory({{32, 32, 32, 1}, {16, 16, 32, 2}});
    Bytes claimsMore = good;
    claimsMore[4] = 3;
    Bytes claimsAll = good;
    claimsAll[4] = claimsAll[5] = 0xFF;
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"header cut", Bytes(good.begin(), good.begin() + 5)},
        {"last entry cut", Bytes(good.begin(), good.end() - 1)},
        {"count past the end", claimsMore},
        {"count 65535", claimsAll},
        {"cursor type", IconFiles::MakeDirectory({{32, 32, 32, 1}}, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Choose(c.bytes, 32).has_value());
    }
    EXPECT_FALSE(Tessaro::ChooseIconImages(nullptr, 20, 32, kLarge, kSmall).has_value());
}

bool Fits(const Bytes& image)
{
    TestSupport::GuardedBuffer guarded(image);
    return Tessaro::IconImageFits(guarded.Data(), guarded.Size());
}

TEST(IconImage, EveryPartMustLieWithinTheResource)
{
    const Bytes good = IconFiles::MakeImage(16, 16, 4, RGB(0, 255, 0));
    ASSERT_TRUE(Fits(good));
    EXPECT_TRUE(Fits(IconFiles::MakeImage(32, 32, 32, RGB(0, 0, 255))));
    EXPECT_TRUE(Fits(IconFiles::MakeImage(48, 48, 8, RGB(255, 0, 0))));

    const auto with = [&](size_t at, uint32_t value, int size) {
        Bytes changed = good;
        for (int i = 0; i < size; ++i)
            changed[at + static_cast<size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
        return changed;
    };
    // A PNG's signature and the width and height of its header chunk.
    const auto png = [](uint32_t width, uint32_t height) {
        Bytes bytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        for (uint32_t value : {width, height})
            for (int shift : {24, 16, 8, 0})
                bytes.push_back(static_cast<unsigned char>(value >> shift));
        return bytes;
    };
    const Bytes tiny = png(1, 1);
    const struct {
        const char* name;
        Bytes bytes;
        bool fits;
    } cases[] = {
        {"header size past the end", with(0, 0x10000, 4), false},
        {"wider than 256", with(4, 300, 4), false},
        {"negative width", with(4, 0xFFFFFFF0, 4), false},
        {"taller than the bytes", with(8, 64, 4), false},
        {"bit count 7", with(14, 7, 2), false},
        {"two planes", with(12, 2, 2), false},
        {"compressed", with(16, BI_RLE4, 4), false},
        {"more colours than 4 bits hold", with(32, 17, 4), false},
        {"fewer colours used", with(32, 2, 4), true},
        {"PNG of 256", png(256, 256), true},
        {"PNG signature alone", Bytes(tiny.begin(), tiny.begin() + 8), false},
        {"PNG header cut", Bytes(tiny.begin(), tiny.end() - 1), false},
        {"PNG wider than 256", png(257, 16), false},
        {"PNG of 30000 by 30000", png(30000, 30000), false},
        {"PNG of no height", png(16, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Fits(c.bytes), c.fits);
    }
    // No proper prefix of an image fits, the header alone and one byte short included.
    TestSupport::Mutations prefixes;
    prefixes.bitFlips = prefixes.byteValues = false;
    prefixes.randomVariants = 0;
    prefixes.ForEach(good, [&](const TestSupport::Mutation& m) { EXPECT_FALSE(Fits(m.bytes)) << m.description; });
}

}  // namespace IconDirectoryTest
