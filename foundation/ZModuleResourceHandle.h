// Points the framework's resource lookup at one module for a scope, so that
// dialog templates and the resources they name load from that module. Scopes
// nest: each restores the handle that was current when it began.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"

class TESSARO_API ZModuleResourceHandle {
public:
    explicit ZModuleResourceHandle(HINSTANCE module);
    ~ZModuleResourceHandle();

    // Takes over the other scope's saved handle (that handle is restored when
    // this scope ends).
    ZModuleResourceHandle& operator=(const ZModuleResourceHandle& other);
    ZModuleResourceHandle(const ZModuleResourceHandle&) = delete;

private:
    HINSTANCE m_previousResource;
};
