// Deferred dispatch: procedures queued on any thread run on the owner thread,
// in order, one wake-up message per batch; notification windows torn down from
// other threads; framework worker threads behind IThread.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "net/ZMfcThread.h"
#include "net/ZMsgDeferredProcedureDispatcher.h"
#include "net/ZNotificationSink.h"
#include "tests/support/MessagePump.h"
#include "tests/support/OwnedReference.h"

namespace {

using TestSupport::Own;
using TestSupport::PumpUntil;
using TestSupport::PumpFor;

constexpr UINT kWakeUp = ZMsgDeferredProcedureDispatcher::kRunQueueMessage;

struct Procedure : ZUnknown<IDeferredProcedure> {
    std::function<void(UINT_PTR)> body;
    void Execute(UINT_PTR parameter) override { body(parameter); }
};

ZUnknownPointer<IDeferredProcedure> MakeProcedure(std::function<void(UINT_PTR)> body)
{
    auto procedure = Own(new Procedure);
    procedure->body = std::move(body);
    return ZUnknownPointer<IDeferredProcedure>(procedure.Get());
}

ZUnknownPointer<IDeferredProcedureDispatcher> MakeDispatcher()
{
    IReportMessageParams* error = nullptr;
    auto dispatcher = Own(CreateZMsgDeferredProcedureDispatcher(&error));
    EXPECT_TRUE(dispatcher) << (error ? error->GetText() : L"");
    if (error)
        error->Release();
    return dispatcher;
}

// Dispatches this thread's wake-up messages; returns how many there were.
int DispatchWakeUps()
{
    int count = 0;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, kWakeUp, kWakeUp, PM_REMOVE)) {
        ++count;
        ::DispatchMessageW(&msg);
    }
    return count;
}

TEST(Dispatcher, ABatchFromAWorkerWakesTheOwnerOnceAndRunsInOrder)
{
    auto dispatcher = MakeDispatcher();
    ASSERT_TRUE(dispatcher);
    std::vector<UINT_PTR> ran;
    auto record = MakeProcedure([&](UINT_PTR p) { ran.push_back(p); });
    std::thread([&] {
        for (UINT_PTR i = 0; i < 10; ++i)
            dispatcher->QueueProcedure(record.Get(), i);
    }).join();

    EXPECT_TRUE(ran.empty()) << "nothing runs on the queueing thread";
    EXPECT_EQ(DispatchWakeUps(), 1);
    EXPECT_EQ(ran, (std::vector<UINT_PTR>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(Dispatcher, FourProducersLoseNothingAndKeepEachOrder)
{
    auto dispatcher = MakeDispatcher();
    ASSERT_TRUE(dispatcher);
    constexpr int kProducers = 4;
    constexpr UINT_PTR kEach = 3000;
    std::vector<std::vector<UINT_PTR>> seen(kProducers);
    int total = 0;
    auto record = MakeProcedure([&](UINT_PTR p) {
        seen[p >> 24].push_back(p & 0xFFFFFF);
        ++total;
    });

    std::vector<std::thread> producers;
    for (UINT_PTR t = 0; t < kProducers; ++t)
        producers.emplace_back([&, t] {
            for (UINT_PTR i = 0; i < kEach; ++i)
                dispatcher->QueueProcedure(record.Get(), (t << 24) | i);
        });
    // Drained while the producers still run, so wake-ups race with them.
    EXPECT_TRUE(PumpUntil([&] { return total == kProducers * int(kEach); }));
    for (auto& producer : producers)
        producer.join();
    DispatchWakeUps();

    EXPECT_EQ(total, kProducers * int(kEach));
    for (int t = 0; t < kProducers; ++t) {
        ASSERT_EQ(seen[t].size(), kEach) << "producer " << t;
        for (UINT_PTR i = 0; i < kEach; ++i)
            ASSERT_EQ(seen[t][i], i) << "producer " << t;
    }
}

TEST(Dispatcher, WorkQueuedByAProcedureRunsInTheSamePassAfterItWithoutReentry)
{
    auto dispatcher = MakeDispatcher();
    ASSERT_TRUE(dispatcher);
    std::vector<UINT_PTR> ran;
    auto second = MakeProcedure([&](UINT_PTR p) { ran.push_back(p); });
    auto first = MakeProcedure([&](UINT_PTR p) {
        ran.push_back(p);
        dispatcher->QueueProcedure(second.Get(), 2);
        DispatchWakeUps();  // would run `second` inside this procedure if the drain re-entered
        ran.push_back(3);
    });
    dispatcher->QueueProcedure(first.Get(), 1);

    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, kWakeUp, kWakeUp, PM_REMOVE));
    ::DispatchMessageW(&msg);  // one wake-up, one pass
    EXPECT_EQ(ran, (std::vector<UINT_PTR>{1, 3, 2}));
    DispatchWakeUps();
    EXPECT_EQ(ran.size(), 3u) << "nothing runs twice";
}

TEST(Dispatcher, AThrowingProcedureLeavesTheRestToRunLater)
{
    auto dispatcher = MakeDispatcher();
    ASSERT_TRUE(dispatcher);
    std::vector<UINT_PTR> ran;
    auto throwing = MakeProcedure([&](UINT_PTR p) {
        ran.push_back(p);
        throw std::runtime_error("host failure");
    });
    auto record = MakeProcedure([&](UINT_PTR p) { ran.push_back(p); });
    dispatcher->QueueProcedure(throwing.Get(), 1);
    dispatcher->QueueProcedure(record.Get(), 2);
    EXPECT_TRUE(PumpUntil([&] { return ran.size() == 2; }));

    // The dispatcher is not stuck in its drain.
    dispatcher->QueueProcedure(record.Get(), 3);
    EXPECT_TRUE(PumpUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<UINT_PTR>{1, 2, 3}));
}

TEST(Dispatcher, DestroyingRunsWhatIsLeftOnTheDestroyingThread)
{
    struct Case { const char* name; bool shutDownFirst; bool releaseOnWorker; };
    const Case cases[] = {
        {"queued, released on the owner", false, false},
        {"queued after shutdown", true, false},
        {"queued after shutdown, released on a worker", true, true},
        {"queued, released on a worker", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dispatcher = MakeDispatcher();
        ASSERT_TRUE(dispatcher);
        std::vector<DWORD> ranOn;
        auto record = MakeProcedure([&](UINT_PTR) { ranOn.push_back(::GetCurrentThreadId()); });
        if (c.shutDownFirst)
            dispatcher->Shutdown();
        dispatcher->QueueProcedure(record.Get(), 0);
        dispatcher->QueueProcedure(record.Get(), 1);
        if (c.shutDownFirst) {
            EXPECT_EQ(DispatchWakeUps(), 0);  // nothing to post to
        }

        DWORD destroyer = ::GetCurrentThreadId();
        if (c.releaseOnWorker) {
            // The worker waits for this thread to destroy the window, so pump meanwhile.
            std::atomic<bool> done{false};
            std::thread worker([&] {
                destroyer = ::GetCurrentThreadId();
                dispatcher.Reset();
                done = true;
            });
            EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
            worker.join();
        } else {
            dispatcher.Reset();
        }
        if (c.releaseOnWorker && !c.shutDownFirst) {
            // The owner may drain before the worker gets there: none lost, either way.
            EXPECT_EQ(ranOn.size(), 2u);
        } else {
            EXPECT_EQ(ranOn, (std::vector<DWORD>{destroyer, destroyer}));
        }
    }
}

// Runs in a child process: a second destruction crashes it.
void DestroyWhileAProcedureTakesAndDropsAReference()
{
    IDeferredProcedureDispatcher* dispatcher = CreateZMsgDeferredProcedureDispatcher(nullptr);
    int runs = 0;
    auto touch = MakeProcedure([&](UINT_PTR) { ++runs; dispatcher->AddRef(); dispatcher->Release(); });
    dispatcher->QueueProcedure(touch.Get(), 0);
    dispatcher->QueueProcedure(touch.Get(), 1);
    dispatcher->Release();  // the last reference: both run while it is destroyed
    std::exit(runs == 2 ? 0 : 1);
}

TEST(Dispatcher, AProcedureThatTakesAReferenceDuringDestructionRunsOnceAndDestroysNothingTwice)
{
    EXPECT_EXIT(DestroyWhileAProcedureTakesAndDropsAReference(), ::testing::ExitedWithCode(0), "");
}

TEST(NotificationSink, AWindowThePlatformRefusesIsReported)
{
    // A parent that is no window makes the platform refuse the notification window.
    class Orphan : public ZNotificationSink {
        HWND GetParentWindow() override { return reinterpret_cast<HWND>(0x7FFF0001); }
    } orphan;
    EXPECT_FALSE(orphan.Create());
    EXPECT_EQ(orphan.GetError().GetMessageId(), static_cast<uint32_t>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(orphan.GetNotificationWindow(), nullptr);
}

// Records what reaches a sink.
class RecordingSink : public ZNotificationSink {
public:
    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM) override
    {
        notified.push_back({message, wParam});
        return 0;
    }
    LRESULT OnTimer(WPARAM id) override
    {
        timers.push_back(id);
        ::KillTimer(GetNotificationWindow(), id);
        return 0;
    }
    std::vector<std::pair<UINT, WPARAM>> notified;
    std::vector<WPARAM> timers;
};

TEST(NotificationSink, UserMessagesAndTimersBecomeCallsOnTheOwner)
{
    RecordingSink sink;
    ASSERT_TRUE(sink.Create());
    const HWND window = sink.GetNotificationWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::GetParent(window), nullptr);  // message-only windows have no parent to show
    EXPECT_TRUE(sink.IsOwnerThread());
    std::thread([&] { EXPECT_FALSE(sink.IsOwnerThread()); }).join();

    EXPECT_TRUE(sink.PostNotification(WM_USER, 7, 0));
    EXPECT_TRUE(sink.PostNotification(WM_USER + 0x100, 8, 0));
    EXPECT_TRUE(sink.PostNotification(WM_USER - 1, 9, 0));  // below the user range: not a notification
    ::SetTimer(window, 33, 1, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !sink.timers.empty(); }));
    EXPECT_EQ(sink.notified, (std::vector<std::pair<UINT, WPARAM>>{{WM_USER, 7}, {WM_USER + 0x100, 8}}));
    EXPECT_EQ(sink.timers, (std::vector<WPARAM>{33}));

    // A second Create on the owner keeps the window.
    EXPECT_TRUE(sink.Create());
    EXPECT_EQ(sink.GetNotificationWindow(), window);
}

TEST(NotificationSink, DestroyingFromAWorkerWaitsForTheOwner)
{
    RecordingSink sink;
    ASSERT_TRUE(sink.Create());
    const HWND window = sink.GetNotificationWindow();
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        sink.DestroyNotificationWindow();
        returned = true;
    });
    // Not pumping: the worker cannot have finished.
    ::Sleep(200);
    EXPECT_FALSE(returned.load());
    EXPECT_TRUE(::IsWindow(window));

    EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(sink.GetNotificationWindow(), nullptr);
}

TEST(NotificationSink, CreateOnAnotherThreadMovesTheWindowThereWithoutWaitingForTheOldOwner)
{
    RecordingSink sink;
    ASSERT_TRUE(sink.Create());
    const HWND old = sink.GetNotificationWindow();
    const DWORD main = ::GetCurrentThreadId();
    std::atomic<bool> done{false};
    HWND created = nullptr;
    DWORD createdOn = 0;
    std::thread worker([&] {
        EXPECT_TRUE(sink.Create());
        created = sink.GetNotificationWindow();
        createdOn = ::GetWindowThreadProcessId(created, nullptr);
        // The sink now belongs here; tear it down here too.
        sink.DestroyNotificationWindow();
        done = true;
    });
    // This thread does not pump (as a thread that made a dialog and waits for
    // another to run it): the move must not wait for it.
    for (int i = 0; i < 500 && !done; ++i)
        ::Sleep(10);
    const bool movedWithoutPumping = done;
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(movedWithoutPumping);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(old); }));  // gone once its owner pumps
    EXPECT_NE(created, old);
    EXPECT_NE(createdOn, main);
}

TEST(NotificationSink, ACloseRequestNamingAnotherWindowIsIgnored)
{
    RecordingSink target, other;
    ASSERT_TRUE(target.Create());
    ASSERT_TRUE(other.Create());
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    ::PostMessageW(target.GetNotificationWindow(), WM_CLOSE, reinterpret_cast<WPARAM>(other.GetNotificationWindow()),
                   reinterpret_cast<LPARAM>(event));
    PumpFor(100);
    EXPECT_TRUE(::IsWindow(other.GetNotificationWindow()));
    EXPECT_TRUE(::IsWindow(target.GetNotificationWindow()));
    EXPECT_EQ(::WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ::CloseHandle(event);
}

unsigned WaitForGate(void* gate)
{
    ::WaitForSingleObject(static_cast<HANDLE>(gate), INFINITE);
    return 17;
}

TEST(MfcThread, StartsSuspendedWhenAskedAndMakesOneThreadPerObject)
{
    HANDLE gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(gate, nullptr);
    auto thread = Own(new ZMfcThread);
    ASSERT_TRUE(thread->Create(WaitForGate, gate, CREATE_SUSPENDED, 0));
    EXPECT_FALSE(thread->Create(WaitForGate, gate, 0, 0));  // one thread per object
    EXPECT_NE(thread->GetId(), 0u);
    EXPECT_EQ(thread->Resume(), 1u);
    ::SetEvent(gate);
    EXPECT_TRUE(thread->Wait(5000));
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeThread(thread->GetHandle(), &code));
    EXPECT_EQ(code, 17u);
    ::CloseHandle(gate);
}

// Counts a run on a thread whose framework thread object is alive and its own.
unsigned RecordStart(void* runs)
{
    const CWinThread* current = AfxGetThread();
    if (current && current->m_nThreadID == ::GetCurrentThreadId())
        ++*static_cast<std::atomic<int>*>(runs);
    return 0;
}

// Runs in a child process: a use of the freed object may crash it.
void StartThreadsReleasedAtOnce()
{
    constexpr int kRounds = 2000;
    std::vector<std::atomic<int>> runs(kRounds);
    std::vector<std::vector<unsigned char>> scribbles;
    for (std::atomic<int>& run : runs) {
        auto* thread = new ZMfcThread;  // count 1, dropped at once below
        if (!thread->Create(RecordStart, &run, 0, 0))
            std::exit(2);
        thread->Release();
        // Reuse what a too-early free gave back, with bytes no pointer holds.
        for (size_t size : {sizeof(ZMfcThread), sizeof(CWinThread), sizeof(ZMfcThread), sizeof(CWinThread)})
            scribbles.emplace_back(size, 0xA5);
    }
    const auto all = [&](int n) { return std::all_of(runs.begin(), runs.end(), [n](auto& r) { return r == n; }); };
    for (int i = 0; i < 2000 && !all(1); ++i)
        ::Sleep(10);
    ::Sleep(50);  // a second run, if any, shows up now
    std::exit(all(1) ? 0 : 1);
}

TEST(MfcThread, ReleasedRightAfterCreateStillRunsTheFunctionOnceWithItsOwnThread)
{
    EXPECT_EXIT(StartThreadsReleasedAtOnce(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
