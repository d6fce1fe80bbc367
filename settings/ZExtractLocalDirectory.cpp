#include <string_view>

#include "settings/ZConfigFolder.h"
#include "settings/ZLocalPaths.h"

namespace {

// What splitting into drive, directory, name and extension and joining
// drive + directory and name + extension gives, without the fixed-size parts
// that would cut or overflow a long path. A directory part longer than one
// character loses its final separator.
void SplitPath(std::wstring_view path, ZUnicodeString& folder, ZUnicodeString& file)
{
    const size_t driveLength = path.size() >= 2 && path[1] == L':' ? 2 : 0;
    const size_t separator = path.find_last_of(L"\\/");
    const size_t nameStart = separator == std::wstring_view::npos || separator < driveLength ? driveLength
                                                                                             : separator + 1;
    size_t folderLength = nameStart;
    if (nameStart - driveLength > 1)
        --folderLength;
    folder = ZUnicodeString(path.data(), folderLength);
    file = ZUnicodeString(path.data() + nameStart, path.size() - nameStart);
}

}  // namespace

bool ZExtractLocalDirectory(const wchar_t* path, ZUnicodeString& folder, ZUnicodeString& file)
{
    if (!path || !*path)
        return false;
    const std::wstring_view text(path);

    const std::wstring full = Tessaro::FullPathOf(path);
    if (Tessaro::IsDriveRoot(full)) {
        folder = path;
        if (text.back() != L'\\')
            folder += L'\\';
        file = L"";
        return Tessaro::DriveExists(full[0]);
    }

    const DWORD attributes = Tessaro::AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            folder = path;
            file = L"";
        } else {
            SplitPath(text, folder, file);
        }
        return true;
    }

    SplitPath(text, folder, file);
    if (Tessaro::IsDriveRoot(folder.view()))
        return Tessaro::DriveExists(folder[0]);
    return Tessaro::IsExistingDirectory(folder.c_str());
}
