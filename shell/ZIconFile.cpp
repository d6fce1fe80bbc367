#include "shell/ZIconFile.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "controls/ZBitmap.h"
#include "controls/ZGdiScope.h"
#include "shell/ZIconDirectory.h"
#include "shell/ZIconPixels.h"

namespace Tessaro {

namespace {

struct ModuleRelease {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};
using DataFile = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease>;

DataFile LoadDataFile(const wchar_t* file)
{
    return DataFile(file && *file ? ::LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr);
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names)
{
    auto* list = reinterpret_cast<std::vector<ResourceName>*>(names);
    if (IS_INTRESOURCE(name))
        list->push_back({static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)), {}});
    else
        list->push_back({0, name});
    return TRUE;
}

std::vector<ResourceName> GroupsOf(HMODULE module)
{
    std::vector<ResourceName> names;
    ::EnumResourceNamesW(module, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

// The bytes of one resource; null when it is missing.
const unsigned char* ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type, size_t& size)
{
    size = 0;
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found)
        return nullptr;
    HGLOBAL loaded = ::LoadResource(module, found);
    if (!loaded)
        return nullptr;
    size = ::SizeofResource(module, found);
    return static_cast<const unsigned char*>(::LockResource(loaded));
}

// A 32-bit top-down section and a memory context it is selected into.
class PixelCanvas {
public:
    PixelCanvas(int width, int height) : m_width(width), m_height(height), m_dc(::CreateCompatibleDC(nullptr))
    {
        void* bits = nullptr;
        m_bitmap = ZCreateTopDownSection(width, height, &bits);
        m_bits = static_cast<uint32_t*>(bits);
        if (m_bitmap && m_dc)
            m_selection.emplace(m_dc.get(), m_bitmap.get());
    }

    bool Ready() const
    {
        return m_selection && m_bits && ::GetCurrentObject(m_dc.get(), OBJ_BITMAP) == m_bitmap.get();
    }

    IconPixels Draw(HICON icon, uint32_t background)
    {
        std::fill_n(m_bits, static_cast<size_t>(m_width) * m_height, background);
        ::DrawIconEx(m_dc.get(), 0, 0, icon, m_width, m_height, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
        return {m_width, m_height, std::vector<uint32_t>(m_bits, m_bits + static_cast<size_t>(m_width) * m_height)};
    }

private:
    int m_width;
    int m_height;
    ZMemoryDc m_dc;
    ZBitmapHandle m_bitmap;
    uint32_t* m_bits = nullptr;
    std::optional<ZSelection> m_selection;  // last: let go before the context and the bitmap
};

SIZE IconSize(HICON icon)
{
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info))
        return {0, 0};
    const ZBitmapHandle colour(info.hbmColor);
    const ZBitmapHandle mask(info.hbmMask);
    if (colour)
        return ZGetBitmapSize(colour.get());
    // A monochrome icon's mask holds its two halves one above the other.
    const SIZE both = ZGetBitmapSize(mask.get());
    return {both.cx, both.cy / 2};
}

// An icon of `pixels`, with straight alpha and a mask clear where nothing shows.
HICON IconFromPixels(const IconPixels& pixels)
{
    void* bits = nullptr;
    const ZBitmapHandle colourBitmap = ZCreateTopDownSection(pixels.width, pixels.height, &bits);
    if (!colourBitmap)
        return nullptr;
    uint32_t* const colour = static_cast<uint32_t*>(bits);
    const int maskStride = (pixels.width + 15) / 16 * 2;
    std::vector<unsigned char> mask(static_cast<size_t>(maskStride) * pixels.height, 0);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            const size_t at = static_cast<size_t>(y) * pixels.width + x;
            const uint32_t pixel = pixels.argb[at];
            const uint32_t alpha = pixel >> 24;
            uint32_t straight = alpha << 24;
            for (int shift : {16, 8, 0})
                straight |= (alpha ? ((pixel >> shift & 0xFF) * 255 + alpha / 2) / alpha : 0) << shift;
            colour[at] = straight;
            if (!alpha)
                mask[static_cast<size_t>(y) * maskStride + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
    }
    const ZBitmapHandle maskBitmap(::CreateBitmap(pixels.width, pixels.height, 1, 1, mask.data()));
    ICONINFO info = {TRUE, 0, 0, maskBitmap.get(), colourBitmap.get()};
    return maskBitmap ? ::CreateIconIndirect(&info) : nullptr;
}

// `icon` shrunk to `size` by averaging; null when it cannot be drawn.
HICON ShrinkIcon(HICON icon, SIZE from, SIZE size)
{
    PixelCanvas canvas(from.cx, from.cy);
    if (!canvas.Ready())
        return nullptr;
    const IconPixels onBlack = canvas.Draw(icon, 0x000000);
    const IconPixels onWhite = canvas.Draw(icon, 0xFFFFFF);
    const IconPixels shrunk = ShrinkPixels(PixelsFromBackgrounds(onBlack, onWhite), size.cx, size.cy);
    return shrunk.argb.empty() ? nullptr : IconFromPixels(shrunk);
}

// The image at its own size, shrunk when it is larger than `size`; an image
// smaller than `size` (the group had nothing larger) is left to the platform to stretch.
HICON MakeIcon(HMODULE module, int id, SIZE size)
{
    if (id < 0)
        return nullptr;
    size_t bytes = 0;
    const unsigned char* image = ResourceBytes(module, MAKEINTRESOURCEW(id), RT_ICON, bytes);
    if (!image || !IconImageFits(image, bytes))
        return nullptr;
    const auto create = [&](SIZE at) {
        return ::CreateIconFromResourceEx(const_cast<unsigned char*>(image), static_cast<DWORD>(bytes), TRUE, 0x30000,
                                          at.cx, at.cy, 0);
    };
    HICON own = create({0, 0});  // zero: the image's own size
    if (!own)
        return nullptr;
    const SIZE ownSize = IconSize(own);
    if (ownSize.cx == size.cx && ownSize.cy == size.cy)
        return own;
    HICON made = ownSize.cx >= size.cx && ownSize.cy >= size.cy ? ShrinkIcon(own, ownSize, size) : create(size);
    ::DestroyIcon(own);
    return made;
}

}  // namespace

std::vector<ResourceName> ListIconGroups(const wchar_t* file)
{
    DataFile module = LoadDataFile(file);
    return module ? GroupsOf(module.get()) : std::vector<ResourceName>();
}

bool ExtractIconsByDepth(const wchar_t* file, int index, int depth, SIZE largeSize, SIZE smallSize, HICON& largeIcon,
                         HICON& smallIcon)
{
    DataFile module = LoadDataFile(file);
    if (!module)
        return false;
    ResourceName group;
    if (index >= 0) {
        const std::vector<ResourceName> groups = GroupsOf(module.get());
        if (static_cast<size_t>(index) >= groups.size())
            return false;
        group = groups[static_cast<size_t>(index)];
    } else {
        group.id = static_cast<unsigned>(-static_cast<long long>(index));
        if (group.id > 0xFFFF)
            return false;
    }
    size_t size = 0;
    const unsigned char* directory = ResourceBytes(
        module.get(), group.text.empty() ? MAKEINTRESOURCEW(group.id) : group.text.c_str(), RT_GROUP_ICON, size);
    const std::optional<IconChoice> choice = ChooseIconImages(directory, size, depth, largeSize, smallSize);
    if (!choice)
        return false;
    HICON madeLarge = MakeIcon(module.get(), choice->largeId, largeSize);
    HICON madeSmall = MakeIcon(module.get(), choice->smallId, smallSize);
    if (!madeLarge || !madeSmall) {
        if (madeLarge)
            ::DestroyIcon(madeLarge);
        if (madeSmall)
            ::DestroyIcon(madeSmall);
        return false;
    }
    largeIcon = madeLarge;
    smallIcon = madeSmall;
    return true;
}

}  // namespace Tessaro
