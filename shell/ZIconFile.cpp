#include "shell/ZIconFile.h"

#include <memory>

#include "shell/ZIconDirectory.h"

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

HICON MakeIcon(HMODULE module, int id, SIZE size)
{
    if (id < 0)
        return nullptr;
    size_t bytes = 0;
    const unsigned char* image = ResourceBytes(module, MAKEINTRESOURCEW(id), RT_ICON, bytes);
    if (!image || !IconImageFits(image, bytes))
        return nullptr;
    return ::CreateIconFromResourceEx(const_cast<unsigned char*>(image), static_cast<DWORD>(bytes), TRUE, 0x30000,
                                      size.cx, size.cy, 0);
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
    const int forLarge = choice->largeId >= 0 ? choice->largeId : choice->smallId;
    const int forSmall = choice->smallId >= 0 ? choice->smallId : choice->largeId;
    HICON madeLarge = MakeIcon(module.get(), forLarge, largeSize);
    HICON madeSmall = MakeIcon(module.get(), forSmall, smallSize);
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
