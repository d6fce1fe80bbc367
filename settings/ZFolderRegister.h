// The process-wide register of the four folders the host sets at start-up: the
// configuration, installation, SSH data and user data folders. Each is empty
// until set; the setters keep a copy of the text. Not guarded by a lock: hosts
// set the folders once before starting other threads.
#pragma once

#include <cstdint>

#include "foundation/TessaroApi.h"

// The host's string object. The library calls only its fifth operation, which
// takes a copy of the text (the library passes 0 as the second argument); the
// other slots keep their places for hosts built separately.
class IString {
public:
    virtual void Unused1() = 0;
    virtual void Unused2() = 0;
    virtual void Unused3() = 0;
    virtual void Unused4() = 0;
    virtual void Assign(const wchar_t* text, uint64_t reserved) = 0;

protected:
    ~IString() = default;
};

TESSARO_API void SetZrnConfigPathSub(const wchar_t* path);
TESSARO_API void SetZrnInstallPathSub(const wchar_t* path);
TESSARO_API void SetZrnSshDataPathSub(const wchar_t* path);
TESSARO_API void SetZrnUserDataPathSub(const wchar_t* path);

TESSARO_API void GetZrnConfigPathSub(IString* out);
TESSARO_API void GetZrnInstallPathSub(IString* out);
TESSARO_API void GetZrnSshDataPathSub(IString* out);
TESSARO_API void GetZrnUserDataPathSub(IString* out);
