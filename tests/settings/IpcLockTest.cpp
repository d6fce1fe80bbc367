// ZIpcLock: exclusion between processes (this program restarted as a child) and failed creation;
// recursion, abandonment and waiting are the mutex's own rules.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "settings/ZIpcLock.h"
#include "tests/support/ChildProcess.h"

namespace {

constexpr wchar_t kChildSwitch[] = L"--ipc-lock-child ";
constexpr DWORD kChildAcquired = 42;
constexpr DWORD kLong = 20000;  // generous: process start-up under Wine is slow

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::wstring ReadyEventOf(const std::wstring& lockName) { return lockName + L"-ready"; }

// Before gtest's main, a child opens the lock named after the switch, signals ready,
// Locks (blocking while the parent owns it), Unlocks and exits with kChildAcquired.
const bool g_child = [] {
    const std::wstring line = ::GetCommandLineW();
    const size_t at = line.find(kChildSwitch);
    if (at == std::wstring::npos)
        return false;
    const std::wstring name = line.substr(at + wcslen(kChildSwitch));
    ZIpcLock lock(name.c_str());
    const Handle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventOf(name).c_str()));
    if (!lock.IsValid() || !ready || !::SetEvent(ready.get()))
        ::ExitProcess(1);
    lock.Lock();
    lock.Unlock();
    ::ExitProcess(kChildAcquired);
    return true;
}();

std::wstring UniqueName(const wchar_t* what)
{
    return std::wstring(L"TessaroIpcLockTest-") + what + L"-" + std::to_wstring(::GetCurrentProcessId());
}

TEST(IpcLock, AChildProcessWaitsUntilTheParentUnlocks)
{
    const std::wstring name = UniqueName(L"lock");
    ZIpcLock lock(name.c_str());
    ASSERT_TRUE(lock.IsValid());
    EXPECT_EQ(lock.GetCreationError(), DWORD(ERROR_SUCCESS));
    const Handle ready(::CreateEventW(nullptr, TRUE, FALSE, ReadyEventOf(name).c_str()));
    ASSERT_TRUE(ready);
    lock.Lock();

    const TestSupport::ChildProcess child(kChildSwitch + name);
    ASSERT_TRUE(child.Started());
    HANDLE readyOrEnded[] = {ready.get(), child.Handle()};
    EXPECT_EQ(::WaitForMultipleObjects(2, readyOrEnded, FALSE, kLong), WAIT_OBJECT_0) << "the child failed or hung";
    EXPECT_EQ(::WaitForSingleObject(child.Handle(), 500), DWORD(WAIT_TIMEOUT)) << "the child got the parent's lock";
    lock.Unlock();
    EXPECT_EQ(::WaitForSingleObject(child.Handle(), kLong), WAIT_OBJECT_0);
    EXPECT_EQ(child.ExitCode(), kChildAcquired);
}

TEST(IpcLock, ANameTakenByAnotherKindOfObjectGivesAnInvalidLock)
{
    const std::wstring name = UniqueName(L"event");
    const Handle event(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(event);
    ZIpcLock lock(name.c_str());
    EXPECT_FALSE(lock.IsValid());
    EXPECT_EQ(lock.GetCreationError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_NE(std::wstring(lock.GetReport().GetText()), L"") << "the caller has a text to show";
}

}  // namespace
