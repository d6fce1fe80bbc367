#include "settings/ZLocalPaths.h"

namespace Tessaro {

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring FullPathOf(const wchar_t* path)
{
    if (!path || !*path)
        return {};
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = ::GetFullPathNameW(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        // Too small: length is the size needed, terminator included.
        full.assign(length, L'\0');
    }
    return {};
}

bool IsDriveRoot(std::wstring_view path)
{
    if (path.size() < 2 || path.size() > 3 || !IsAsciiLetter(path[0]) || path[1] != L':')
        return false;
    return path.size() == 2 || path[2] == L'\\' || path[2] == L'/';
}

bool DriveExists(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return IsAsciiLetter(letter) && ::GetDriveTypeW(root) != DRIVE_NO_ROOT_DIR;
}

DWORD AttributesOf(const wchar_t* path)
{
    if (!path || !*path)
        return INVALID_FILE_ATTRIBUTES;
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes;
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILENAME_EXCED_RANGE && error != ERROR_PATH_NOT_FOUND)
        return INVALID_FILE_ATTRIBUTES;
    const std::wstring full = FullPathOf(path);
    if (full.size() < 4 || full.starts_with(L"\\\\?\\"))
        return INVALID_FILE_ATTRIBUTES;
    std::wstring longForm;
    if (full.starts_with(L"\\\\"))
        longForm = L"\\\\?\\UNC\\" + full.substr(2);
    else if (IsAsciiLetter(full[0]) && full[1] == L':' && full[2] == L'\\')
        longForm = L"\\\\?\\" + full;
    else
        return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(longForm.c_str());
}

bool IsExistingDirectory(const wchar_t* path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace Tessaro
