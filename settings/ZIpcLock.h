// ZIpcLock: a lock shared by every process that names the same Windows mutex.
// Reference counted (count 1 at construction, deleted by the last Release).
// Lock waits without time-out and is recursive for the owning thread; every
// Lock needs its Unlock. A mutex left owned by a process that died is taken
// over by the next Lock as if it had been released.
//
// Creation can fail (a name already used by another kind of object, a bad
// name, access denied): IsValid then is false, the report holds the platform
// error code for the caller to show, and Lock and Unlock do nothing. Opening a
// mutex that another process made first is success, not an error: the report
// then holds 0.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnknown.h"
#include "net/ISynchObject.h"

class TESSARO_API ZIpcLock : public ZUnknown<ISynchObject> {
public:
    // A null name makes a lock private to this process; a null descriptor
    // gives the mutex the default security. The handle is not inheritable.
    explicit ZIpcLock(const wchar_t* name, PSECURITY_DESCRIPTOR descriptor = nullptr);
    ~ZIpcLock() override;

    ZIpcLock(const ZIpcLock&) = delete;
    ZIpcLock& operator=(const ZIpcLock&) = delete;

    void Lock() override;
    void Unlock() override;

    bool IsValid() const { return m_mutex != nullptr; }
    const ZReportMessageParams& GetReport() const { return m_report; }
    // The platform error of a failed creation; 0 when the mutex is usable.
    DWORD GetCreationError() const { return m_report.GetMessageId(); }

private:
    ZReportMessageParams m_report;
    HANDLE m_mutex = nullptr;
};
