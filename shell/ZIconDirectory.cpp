#include "shell/ZIconDirectory.h"

#include <commctrl.h>

#include <cstring>
#include <utility>

namespace Tessaro {

namespace {

uint16_t Word(const unsigned char* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Dword(const unsigned char* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

// The directory as it lies in a resource: a 6-byte header (reserved, type,
// count), then 14-byte entries: width, height, colours, reserved, planes,
// bit count, bytes in the image, RT_ICON identifier.
constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 14;

}  // namespace

bool AllColoursAllowed(const std::optional<std::wstring>& shellIconBpp, size_t bytes)
{
    if (!shellIconBpp || bytes < 3 || shellIconBpp->empty())
        return true;
    unsigned value = 0;
    for (wchar_t c : *shellIconBpp) {
        if (c < L'0' || c > L'9')
            return true;
        value = value >= 16 ? value : value * 10 + static_cast<unsigned>(c - L'0');  // saturates past 15
    }
    return value >= 16;
}

IconColorDepth ChooseIconColorDepth(bool allColours, int displayBitsPerPixel)
{
    if (!allColours)
        return {ILC_COLOR4, 4};
    for (int bits : {32, 24, 16, 8, 4}) {
        if (displayBitsPerPixel >= bits)
            return {static_cast<UINT>(bits), bits};  // ILC_COLORn is n
    }
    return {ILC_COLOR, 4};
}

namespace {

// The best image so far for one size: among those at least that large the
// narrowest (the size itself when there is one), else the widest smaller one,
// which loses least when stretched; then more bits, then the earlier.
struct Candidate {
    int id = -1;
    int width = 0;
    int bits = -1;
    bool large = false;

    void Offer(int entryId, int entryWidth, int entryBits, bool entryLarge)
    {
        if (id >= 0) {
            if (large != entryLarge) {
                if (large)
                    return;
            } else if (entryWidth == width ? entryBits <= bits : (entryWidth > width) == large) {
                return;
            }
        }
        id = entryId;
        width = entryWidth;
        bits = entryBits;
        large = entryLarge;
    }
};

}  // namespace

std::optional<IconChoice> ChooseIconImages(const unsigned char* bytes, size_t size, int depth, SIZE largeSize, SIZE smallSize)
{
    if (!bytes || size < kHeaderSize || Word(bytes + 2) != 1)
        return std::nullopt;
    const size_t count = Word(bytes + 4);
    if (count > (size - kHeaderSize) / kEntrySize)
        return std::nullopt;
    Candidate large;
    Candidate small;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* entry = bytes + kHeaderSize + i * kEntrySize;
        const int width = entry[0] ? entry[0] : 256;
        const int height = entry[1] ? entry[1] : 256;
        const int bits = Word(entry + 6);
        const int id = Word(entry + 12);
        if (bits > depth)
            continue;
        // An image serves a size it is at least as large as: shrinking keeps it sharp.
        for (auto [wanted, candidate] : {std::pair{smallSize, &small}, std::pair{largeSize, &large}})
            candidate->Offer(id, width, bits, width >= wanted.cx && height >= wanted.cy);
    }
    if (large.id < 0 && small.id < 0)
        return std::nullopt;
    return IconChoice{large.id, small.id};
}

bool IconImageFits(const unsigned char* bytes, size_t size)
{
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!bytes)
        return false;
    // A PNG's header chunk comes first; its size is capped like a DIB's, so a
    // lying header cannot make the image decoded and shrunk enormous.
    if (size >= 8 && std::memcmp(bytes, kPng, sizeof(kPng)) == 0) {
        if (size < 24)
            return false;
        const auto bigEndian = [](const unsigned char* at) {
            return static_cast<uint32_t>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
        };
        const uint32_t width = bigEndian(bytes + 16);
        const uint32_t height = bigEndian(bytes + 20);
        return width >= 1 && width <= 256 && height >= 1 && height <= 256;
    }
    if (size < sizeof(BITMAPINFOHEADER))
        return false;
    const uint32_t headerSize = Dword(bytes);
    const int32_t width = static_cast<int32_t>(Dword(bytes + 4));
    const int32_t doubleHeight = static_cast<int32_t>(Dword(bytes + 8));
    const int bits = Word(bytes + 14);
    const uint32_t compression = Dword(bytes + 16);
    uint32_t colours = Dword(bytes + 32);
    // Icons are at most 256 wide; the height counts the colour bits and the mask.
    if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > size || width <= 0 || width > 256 ||
        doubleHeight <= 0 || doubleHeight > 512 || Word(bytes + 12) != 1)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return false;
    if (bits <= 8) {
        const uint32_t most = 1u << bits;
        if (colours == 0)
            colours = most;
        if (colours > most)
            return false;
    } else {
        if (colours > 256)
            return false;
    }
    const unsigned long long height = static_cast<unsigned long long>(doubleHeight) / 2;
    const unsigned long long colourStride = ((static_cast<unsigned long long>(width) * bits + 31) / 32) * 4;
    const unsigned long long maskStride = ((static_cast<unsigned long long>(width) + 31) / 32) * 4;
    unsigned long long needed = headerSize + 4ull * colours + colourStride * height + maskStride * height;
    if (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER))
        needed += 12;
    return needed <= size;
}

}  // namespace Tessaro
