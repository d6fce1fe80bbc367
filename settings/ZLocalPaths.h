// Small path helpers shared by the folder checks: full paths of any length,
// drive roots, and attribute reads that retry long paths in their "\\?\" form.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace Tessaro {

// GetFullPathNameW with a buffer of the length it asks for; empty on failure.
std::wstring FullPathOf(const wchar_t* path);

// A letter and ":", optionally followed by one "\" or "/", and nothing else.
bool IsDriveRoot(std::wstring_view path);
// Whether the platform knows a root directory for the drive letter.
bool DriveExists(wchar_t letter);

// GetFileAttributesW; a path the platform finds too long, or does not find, is
// tried again in its "\\?\" form when it is absolute.
DWORD AttributesOf(const wchar_t* path);
bool IsExistingDirectory(const wchar_t* path);

}  // namespace Tessaro
