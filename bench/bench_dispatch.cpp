// Handing work to the owner thread: a million procedures queued from four
// threads through the deferred-procedure dispatcher, against one PostMessageW
// per item to a window of the owner (the bare loop). Both run until the owner
// has handled every item; "bytes" in the table are items.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/harness/BenchHarness.h"
#include "net/ZMsgDeferredProcedureDispatcher.h"

namespace {

constexpr int kProducers = 4;
constexpr size_t kItems = 1'000'000;
constexpr size_t kEach = kItems / kProducers;
constexpr UINT kItemMessage = WM_APP + 7;

size_t g_handled = 0;  // owner thread only

class CountingProcedure : public ZUnknown<IDeferredProcedure> {
public:
    void Execute(UINT_PTR) override { ++g_handled; }
};

LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kItemMessage) {
        ++g_handled;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Pumps the owner's queue until every item has been handled.
void PumpUntilHandled(size_t items)
{
    MSG msg;
    while (g_handled < items && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
}

template <class Produce>
size_t RunProducers(Produce produce)
{
    g_handled = 0;
    std::vector<std::thread> producers;
    for (int t = 0; t < kProducers; ++t)
        producers.emplace_back([&produce, t] { produce(t); });
    PumpUntilHandled(kItems);
    for (auto& producer : producers)
        producer.join();
    return g_handled;
}

}  // namespace

int main(int argc, char** argv)
{
    // A run is a million items: a few samples say enough.
    std::vector<char*> args(argv, argv + argc);
    char samples[] = "--samples", five[] = "5", warmup[] = "--warmup", one[] = "1";
    args.insert(args.begin() + 1, {samples, five, warmup, one});
    Bench::Harness harness("bench_dispatch", static_cast<int>(args.size()), args.data());

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CountingWindowProc;
    windowClass.lpszClassName = L"BenchDispatchCounter";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, nullptr, nullptr);
    IReportMessageParams* error = nullptr;
    auto dispatcher = ZAdoptReference(CreateZMsgDeferredProcedureDispatcher(&error));
    if (!window || !dispatcher) {
        std::fprintf(stderr, "bench_dispatch: cannot make the owner's windows\n");
        return 1;
    }
    auto procedure = ZAdoptReference(new CountingProcedure);

    harness.Compare(
        "1M items from 4 threads", kItems,
        {"PostMessageW per item", [&] {
             return RunProducers([&](int) {
                 for (size_t i = 0; i < kEach; ++i) {
                     // A full queue refuses posts; wait for the owner to drain.
                     while (!::PostMessageW(window, kItemMessage, i, 0))
                         ::SwitchToThread();
                 }
             });
         }},
        {{"dispatcher", [&] {
             return RunProducers([&](int) {
                 for (size_t i = 0; i < kEach; ++i)
                     dispatcher->QueueProcedure(procedure.Get(), i);
             });
         }}});

    dispatcher.Reset();
    ::DestroyWindow(window);
    return harness.Finish();
}
