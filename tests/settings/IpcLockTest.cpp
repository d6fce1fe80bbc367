// ZIpcLock: exclusion between processes (the test program starts itself again
// as a child that takes the lock) and failed creation. Recursion, abandonment
// and waiting are the mutex's own rules and are left to the platform.
#include <gtest/gtest.h>

#include <string>

#include "settings/ZIpcLock.h"

namespace {

constexpr wchar_t kChildSwitch[] = L"--ipc-lock-child";
constexpr DWORD kChildAcquired = 42;
constexpr DWORD kChildBadArguments = 10;
constexpr DWORD kChildInvalidLock = 11;
constexpr DWORD kChildNoEvent = 12;
constexpr DWORD kLong = 20000;  // generous: process start-up under Wine is slow

// The child signals ready, then Locks (blocking while someone else owns the
// lock), Unlocks and exits with kChildAcquired.
DWORD RunChild(const std::wstring& lockName, const std::wstring& readyName)
{
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, readyName.c_str());
    if (!ready)
        return kChildNoEvent;
    ZIpcLock lock(lockName.c_str());
    if (!lock.IsValid())
        return kChildInvalidLock;
    ::SetEvent(ready);
    lock.Lock();
    lock.Unlock();
    return kChildAcquired;
}

// Runs before gtest's main: a child does its part and leaves.
const bool g_childDone = [] {
    const std::wstring line = ::GetCommandLineW();
    const size_t at = line.find(kChildSwitch);
    if (at == std::wstring::npos)
        return false;
    std::wstring parts[2];
    size_t position = at + wcslen(kChildSwitch);
    for (std::wstring& part : parts) {
        while (position < line.size() && line[position] == L' ')
            ++position;
        const size_t end = line.find(L' ', position);
        part = line.substr(position, end == std::wstring::npos ? std::wstring::npos : end - position);
        position = end == std::wstring::npos ? line.size() : end;
    }
    ::ExitProcess(parts[1].empty() ? kChildBadArguments : RunChild(parts[0], parts[1]));
    return true;
}();

std::wstring UniqueName(const wchar_t* what)
{
    static int counter = 0;
    return std::wstring(L"TessaroIpcLockTest-") + what + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

class Event {
public:
    explicit Event(const std::wstring& name) : m_name(name), m_handle(::CreateEventW(nullptr, TRUE, FALSE, name.c_str())) {}
    ~Event() { ::CloseHandle(m_handle); }
    HANDLE Get() const { return m_handle; }
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_name;
    HANDLE m_handle;
};

class Child {
public:
    explicit Child(const std::wstring& lockName) : m_ready(UniqueName(L"ready"))
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(path) + L"\" " + kChildSwitch + L" " + lockName + L" " +
                               m_ready.Name();
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        m_started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &m_process);
    }
    ~Child()
    {
        if (!m_started)
            return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.hProcess, 99);
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }

    bool Started() const { return m_started; }
    // True once the child signalled; false if it died or took too long.
    bool WaitReady()
    {
        HANDLE handles[] = {m_ready.Get(), m_process.hProcess};
        return ::WaitForMultipleObjects(2, handles, FALSE, kLong) == WAIT_OBJECT_0;
    }
    bool StillRunningAfter(DWORD milliseconds) { return ::WaitForSingleObject(m_process.hProcess, milliseconds) == WAIT_TIMEOUT; }
    DWORD ExitCode()
    {
        if (::WaitForSingleObject(m_process.hProcess, kLong) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    Event m_ready;
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

TEST(IpcLock, AChildProcessWaitsUntilTheParentUnlocks)
{
    const std::wstring name = UniqueName(L"lock");
    ZIpcLock lock(name.c_str());
    ASSERT_TRUE(lock.IsValid());
    EXPECT_EQ(lock.GetCreationError(), static_cast<DWORD>(ERROR_SUCCESS));
    lock.Lock();
    Child child(name);
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.WaitReady());
    EXPECT_TRUE(child.StillRunningAfter(500)) << "the child got the lock the parent holds";
    lock.Unlock();
    EXPECT_EQ(child.ExitCode(), kChildAcquired);
}

TEST(IpcLock, ANameTakenByAnotherKindOfObjectGivesAnInvalidLock)
{
    const std::wstring name = UniqueName(L"event");
    Event event(name);
    ASSERT_NE(event.Get(), nullptr);
    ZIpcLock lock(name.c_str());
    EXPECT_FALSE(lock.IsValid());
    EXPECT_EQ(lock.GetCreationError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(lock.GetReport().GetMessageId(), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
    EXPECT_NE(std::wstring(lock.GetReport().GetText()), L"") << "the caller has a text to show";
    lock.Lock();  // does nothing rather than wait on a null handle
    lock.Unlock();
}

}  // namespace
