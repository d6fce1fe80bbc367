#include "settings/ZFolderRegister.h"

#include "foundation/ZUnicodeString.h"

namespace {

enum Folder { Config, Install, SshData, UserData, FolderCount };

// Function-local so that the strings exist before any static constructor of a
// host asks for them.
ZUnicodeString& Registered(Folder folder)
{
    static ZUnicodeString folders[FolderCount];
    return folders[folder];
}

void Set(Folder folder, const wchar_t* path)
{
    Registered(folder) = path ? path : L"";
}

void Get(Folder folder, IString* out)
{
    if (out)
        out->Assign(Registered(folder).c_str(), 0);
}

}  // namespace

void SetZrnConfigPathSub(const wchar_t* path) { Set(Config, path); }
void SetZrnInstallPathSub(const wchar_t* path) { Set(Install, path); }
void SetZrnSshDataPathSub(const wchar_t* path) { Set(SshData, path); }
void SetZrnUserDataPathSub(const wchar_t* path) { Set(UserData, path); }

void GetZrnConfigPathSub(IString* out) { Get(Config, out); }
void GetZrnInstallPathSub(IString* out) { Get(Install, out); }
void GetZrnSshDataPathSub(IString* out) { Get(SshData, out); }
void GetZrnUserDataPathSub(IString* out) { Get(UserData, out); }
