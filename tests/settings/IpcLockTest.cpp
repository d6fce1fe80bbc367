// ZIpcLock: exclusion between processes (the test program starts itself again
// as a child that takes the lock), recursion on one thread, failed creation.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "settings/ZIpcLock.h"

namespace {

constexpr wchar_t kChildSwitch[] = L"--ipc-lock-child";
constexpr DWORD kChildAcquired = 42;
constexpr DWORD kChildReleased = 43;
constexpr DWORD kChildBadArguments = 10;
constexpr DWORD kChildInvalidLock = 11;
constexpr DWORD kChildNoEvent = 12;
constexpr DWORD kLong = 20000;  // generous: process start-up under Wine is slow

// Child modes: "take" signals ready, then Lock (blocking while someone else
// owns it), Unlock, exit 42. "hold" Locks, signals ready, waits for the
// release event, Unlocks, exit 43.
DWORD RunChild(const std::wstring& mode, const std::wstring& lockName, const std::wstring& readyName,
               const std::wstring& releaseName)
{
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, readyName.c_str());
    HANDLE release = ::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, releaseName.c_str());
    if (!ready || !release)
        return kChildNoEvent;
    ZIpcLock* lock = new ZIpcLock(lockName.c_str());
    if (!lock->IsValid())
        return kChildInvalidLock;
    DWORD result = kChildBadArguments;
    if (mode == L"take") {
        ::SetEvent(ready);
        lock->Lock();
        lock->Unlock();
        result = kChildAcquired;
    } else if (mode == L"hold") {
        lock->Lock();
        ::SetEvent(ready);
        ::WaitForSingleObject(release, kLong);
        lock->Unlock();
        result = kChildReleased;
    }
    lock->Release();
    return result;
}

// Runs before gtest's main: a child does its part and leaves.
const bool g_childDone = [] {
    const std::wstring line = ::GetCommandLineW();
    const size_t at = line.find(kChildSwitch);
    if (at == std::wstring::npos)
        return false;
    std::wstring parts[4];
    size_t position = at + wcslen(kChildSwitch);
    for (std::wstring& part : parts) {
        while (position < line.size() && line[position] == L' ')
            ++position;
        const size_t end = line.find(L' ', position);
        part = line.substr(position, end == std::wstring::npos ? std::wstring::npos : end - position);
        position = end == std::wstring::npos ? line.size() : end;
    }
    ::ExitProcess(RunChild(parts[0], parts[1], parts[2], parts[3]));
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
    Child(const wchar_t* mode, const std::wstring& lockName)
        : m_ready(UniqueName(L"ready")), m_release(UniqueName(L"release"))
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(path) + L"\" " + kChildSwitch + L" " + mode + L" " + lockName +
                               L" " + m_ready.Name() + L" " + m_release.Name();
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
    void Release() { ::SetEvent(m_release.Get()); }
    void Kill() { ::TerminateProcess(m_process.hProcess, 98); ::WaitForSingleObject(m_process.hProcess, kLong); }

private:
    Event m_ready;
    Event m_release;
    PROCESS_INFORMATION m_process = {};
    bool m_started = false;
};

// Takes the lock on a thread of its own, so the test can see whether it blocks.
class LockOnThread {
public:
    explicit LockOnThread(ZIpcLock& lock)
        : m_thread([this, &lock] {
              lock.Lock();
              m_taken = true;
              ::WaitForSingleObject(m_done, INFINITE);
              lock.Unlock();
          }) {}
    ~LockOnThread()
    {
        ::SetEvent(m_done);
        m_thread.join();
        ::CloseHandle(m_done);
    }
    bool TakenWithin(DWORD milliseconds)
    {
        for (DWORD waited = 0; waited < milliseconds && !m_taken; waited += 10)
            ::Sleep(10);
        return m_taken;
    }

private:
    HANDLE m_done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> m_taken{false};
    std::thread m_thread;
};

TEST(IpcLock, AChildProcessWaitsUntilTheParentUnlocks)
{
    const std::wstring name = UniqueName(L"lock");
    ZIpcLock lock(name.c_str());
    ASSERT_TRUE(lock.IsValid());
    EXPECT_EQ(lock.GetCreationError(), static_cast<DWORD>(ERROR_SUCCESS));
    lock.Lock();
    Child child(L"take", name);
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.WaitReady());
    EXPECT_TRUE(child.StillRunningAfter(500)) << "the child got the lock the parent holds";
    lock.Unlock();
    EXPECT_EQ(child.ExitCode(), kChildAcquired);
}

TEST(IpcLock, TheSameThreadMayLockTwiceAndMustUnlockTwice)
{
    const std::wstring name = UniqueName(L"lock");
    ZIpcLock lock(name.c_str());
    lock.Lock();
    lock.Lock();  // must not block
    Child child(L"take", name);
    ASSERT_TRUE(child.WaitReady());
    lock.Unlock();
    EXPECT_TRUE(child.StillRunningAfter(500)) << "one Unlock released a lock taken twice";
    lock.Unlock();
    EXPECT_EQ(child.ExitCode(), kChildAcquired);
}

TEST(IpcLock, AChildHoldingTheLockExcludesTheParent)
{
    const std::wstring name = UniqueName(L"lock");
    Child child(L"hold", name);
    ASSERT_TRUE(child.WaitReady());
    ZIpcLock lock(name.c_str());
    ASSERT_TRUE(lock.IsValid()) << "opening the child's mutex is success";
    EXPECT_EQ(lock.GetCreationError(), static_cast<DWORD>(ERROR_SUCCESS));
    LockOnThread waiter(lock);
    EXPECT_FALSE(waiter.TakenWithin(500));
    child.Release();
    EXPECT_TRUE(waiter.TakenWithin(kLong));
    EXPECT_EQ(child.ExitCode(), kChildReleased);
}

TEST(IpcLock, ALockLeftByADeadProcessIsTakenOver)
{
    const std::wstring name = UniqueName(L"lock");
    Child child(L"hold", name);
    ASSERT_TRUE(child.WaitReady());
    ZIpcLock lock(name.c_str());
    LockOnThread waiter(lock);
    EXPECT_FALSE(waiter.TakenWithin(300));
    child.Kill();
    EXPECT_TRUE(waiter.TakenWithin(kLong));
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

TEST(IpcLock, IsReferenceCountedFromOne)
{
    ZIpcLock* lock = new ZIpcLock(UniqueName(L"lock").c_str());
    ISynchObject* object = lock;
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(object->Release(), 0u);
}

TEST(IpcLock, AnUnnamedLockIsPrivateAndWorks)
{
    ZIpcLock lock(nullptr);
    ASSERT_TRUE(lock.IsValid());
    lock.Lock();
    {
        LockOnThread waiter(lock);
        EXPECT_FALSE(waiter.TakenWithin(200));
        lock.Unlock();
        EXPECT_TRUE(waiter.TakenWithin(kLong));
    }
}

}  // namespace
