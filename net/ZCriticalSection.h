// ZCriticalSection: an ISynchObject over a platform critical section, recursive
// for its owning thread. The count starts at 1; the last Release deletes it.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "net/ISynchObject.h"

class TESSARO_API ZCriticalSection : public ZUnknown<ISynchObject> {
public:
    ZCriticalSection();
    ~ZCriticalSection() override;

    ZCriticalSection(const ZCriticalSection&) = delete;
    ZCriticalSection& operator=(const ZCriticalSection&) = delete;

    void Lock() override;
    void Unlock() override;

private:
    CRITICAL_SECTION m_section;
};
