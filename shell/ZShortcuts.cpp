#include "shell/ZShortcuts.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <string_view>

#include "shell/ZLaunch.h"

namespace {

template <class T>
struct ComRelease {
    void operator()(T* object) const { object->Release(); }
};
template <class T>
using ComPointer = std::unique_ptr<T, ComRelease<T>>;

bool DesktopFolder(CWnd* owner, std::wstring& folder)
{
    LPITEMIDLIST items = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(owner ? owner->GetSafeHwnd() : nullptr, CSIDL_DESKTOPDIRECTORY, &items)))
        return false;
    wchar_t path[MAX_PATH] = {};
    const bool found = ::SHGetPathFromIDListW(items, path) != FALSE;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator))) {
        allocator->Free(items);
        allocator->Release();
    }
    if (found)
        folder = path;
    return found;
}

bool LinksFolder(std::wstring& folder)
{
    using GetKnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    if (!shell)
        return false;
    const auto get = reinterpret_cast<GetKnownFolderPath>(
        reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetKnownFolderPath")));
    if (!get)
        return false;
    // {BFB9D5E0-C6A9-404C-B2B2-AE6DB6AF4968}
    static const KNOWNFOLDERID kLinks = {0xbfb9d5e0, 0xc6a9, 0x404c, {0xb2, 0xb2, 0xae, 0x6d, 0xb6, 0xaf, 0x49, 0x68}};
    PWSTR path = nullptr;
    const HRESULT result = get(kLinks, 0, nullptr, &path);
    if (SUCCEEDED(result) && path)
        folder = path;
    ::CoTaskMemFree(path);
    return SUCCEEDED(result) && !folder.empty();
}

// The volume's component limit less its root: a longer path is refused. A
// volume that cannot be read skips the check.
bool TooLongForVolume(const std::wstring& path)
{
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH + 1))
        return false;
    DWORD maxComponent = 0;
    if (!::GetVolumeInformationW(root, nullptr, 0, nullptr, &maxComponent, nullptr, nullptr, 0))
        return false;
    const long long limit = static_cast<long long>(maxComponent) - static_cast<long long>(wcslen(root) + 1);
    return static_cast<long long>(path.size()) > limit;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The platform takes a name whose part before the first dot, less trailing
// spaces, is a device's for that device, whatever extension follows.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.remove_suffix(1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (SameIgnoringCase(base, device))
            return true;
    }
    // COM0-9 and LPT0-9 (0 is reserved though not a device everywhere), also
    // with the superscript digits some versions accept.
    if (base.size() != 4)
        return false;
    const wchar_t digit = base[3];
    const bool numbered =
        (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    return numbered && (SameIgnoringCase(base.substr(0, 3), L"COM") || SameIgnoringCase(base.substr(0, 3), L"LPT"));
}

// One component inside the folder: no separator, no drive or stream colon,
// not the folder itself or its parent, and not a device.
bool IsPlainFileName(std::wstring_view name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring_view::npos &&
           !IsDeviceName(name);
}

}  // namespace

namespace Tessaro {

bool CreateShortcutIn(const std::wstring& folder, const wchar_t* target, const wchar_t* arguments,
                      const wchar_t* name)
{
    if (!name || !target || !IsPlainFileName(name))
        return false;
    const std::wstring path = folder + L"\\" + name + L".lnk";
    if (TooLongForVolume(path))
        return false;
    IShellLinkW* rawLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&rawLink))))
        return false;
    ComPointer<IShellLinkW> link(rawLink);
    if (FAILED(link->SetPath(target)) || FAILED(link->SetArguments(arguments ? arguments : L"")))
        return false;
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile))))
        return false;
    ComPointer<IPersistFile> file(rawFile);
    return SUCCEEDED(file->Save(path.c_str(), TRUE));
}

}  // namespace Tessaro

bool ZCreateDesktopShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* name, CWnd* owner)
{
    std::wstring folder;
    return DesktopFolder(owner, folder) && Tessaro::CreateShortcutIn(folder, target, arguments, name);
}

bool ZCreateFavoritesShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* name, CWnd*)
{
    std::wstring folder;
    return LinksFolder(folder) && Tessaro::CreateShortcutIn(folder, target, arguments, name);
}

std::wstring ZGetCommonDocumentsDirectory()
{
    return Tessaro::GetHostExecutableFolder();
}

CWnd* ZGetMainWindow()
{
    CWinThread* thread = AfxGetThread();
    return thread ? thread->GetMainWnd() : nullptr;
}
