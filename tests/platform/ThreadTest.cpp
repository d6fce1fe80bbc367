// Framework threads: the current thread object and suspended worker starts.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <atomic>
#include <thread>

namespace {

struct WorkerRecord {
    std::atomic<bool> ran{false};
    CWinThread* seenThread = nullptr;
    DWORD seenId = 0;
};

UINT __cdecl RecordingWorker(LPVOID parameter)
{
    auto* record = static_cast<WorkerRecord*>(parameter);
    record->seenThread = AfxGetThread();
    record->seenId = ::GetCurrentThreadId();
    record->ran = true;
    return 42;
}

TEST(WinThread, SuspendedWorkerWaitsForResume)
{
    WorkerRecord record;
    CWinThread* thread = AfxBeginThread(RecordingWorker, &record, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);

    EXPECT_EQ(::WaitForSingleObject(thread->m_hThread, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(record.ran);

    thread->m_bAutoDelete = FALSE;  // keep it to read the results
    EXPECT_EQ(thread->ResumeThread(), 1u);  // the previous suspend count
    ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(record.ran);
    EXPECT_EQ(record.seenThread, thread);
    EXPECT_EQ(record.seenId, thread->m_nThreadID);
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 42u);
    delete thread;
}

struct GatedRecord {
    HANDLE started = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> ran{false};
    ~GatedRecord()
    {
        ::CloseHandle(started);
        ::CloseHandle(gate);
    }
};

UINT __cdecl GatedWorker(LPVOID parameter)
{
    auto* record = static_cast<GatedRecord*>(parameter);
    ::SetEvent(record->started);
    ::WaitForSingleObject(record->gate, INFINITE);
    record->ran = AfxGetThread() != nullptr;
    return 0;
}

TEST(WinThread, RunningWorkerStartsAtOnceAndFreesItself)
{
    GatedRecord record;
    CWinThread* thread = AfxBeginThread(GatedWorker, &record);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(thread->m_bAutoDelete);
    ASSERT_EQ(::WaitForSingleObject(record.started, 5000), WAIT_OBJECT_0);
    // The object deletes itself (closing its handle) when the thread ends.
    HANDLE handle = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(), &handle,
                                  SYNCHRONIZE, FALSE, 0));
    ::SetEvent(record.gate);
    ASSERT_EQ(::WaitForSingleObject(handle, 5000), WAIT_OBJECT_0);
    ::CloseHandle(handle);
    EXPECT_TRUE(record.ran);
}

TEST(WinThread, PlainThreadsHaveNoThreadObject)
{
    CWinThread* seen = reinterpret_cast<CWinThread*>(1);
    std::thread([&seen] { seen = AfxGetThread(); }).join();
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
}

}  // namespace
