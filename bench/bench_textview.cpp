// The text view against plain baselines measured in the same run:
//   appending 120-character lines to a full 10,000-line ring (baseline: a
//   fixed-stride ring that only copies the characters), with the heap
//   allocations per line counted;
//   copying a 10,000-line selection into a block of global memory (baseline:
//   memcpy of the same bytes);
//   a full repaint of a 50-line by 200-column view (baseline: the same runs
//   drawn with ExtTextOutW);
//   streaming into a visible 120 x 40 view that follows the end of a full
//   10,000-line ring of 100-character lines: (a) one posted message and one
//   append a line; (b) one line per AppendLines call and (c) 100 lines per call
//   on the user-interface thread, its messages pumped every 256 lines
//   (baseline: the ring alone in the same loop with the same pumps); (d) a
//   worker filling a line queue that wakes the user-interface thread once per
//   batch. Reported: lines per second, the fewest paints in any half second and
//   the most paints in one batch;
//   a one-million-line scrollback: memory per line and the time of filling it,
//   scrolling, a full-buffer find, Ctrl+A and Ctrl+C.
// Everything after the copy needs a display.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench/AllocationCounter.h"
#include "bench/harness/BenchHarness.h"
#include "textview/ZTextView.h"
#include "textview/ZTextViewLineQueue.h"

namespace {

constexpr size_t kRingLines = 10000;
constexpr size_t kLineLength = 120;

std::wstring LogLine(size_t index, size_t length)
{
    std::wstring text = L"2026-01-05 12:00:00." + std::to_wstring(index % 1000) + L" INFO session " +
                        std::to_wstring(index) + L" ";
    while (text.size() < length)
        text += static_cast<wchar_t>(L'a' + text.size() % 26);
    text.resize(length);
    return text;
}

ZTextViewBuffer::LineInfo LineOf(const std::wstring& text)
{
    ZTextViewBuffer::LineInfo line;
    line.text.assign(text.begin(), text.end());
    return line;
}

void CompareAppend(Bench::Harness& harness)
{
    std::vector<ZTextViewBuffer::LineInfo> input;
    for (size_t i = 0; i < 64; ++i)
        input.push_back(LineOf(LogLine(i, kLineLength)));

    ZTextViewBuffer buffer(kRingLines);
    for (size_t i = 0; i < kRingLines; ++i) {
        unsigned long long removed = 0;
        buffer.AppendLines(&input[i % input.size()], 1, removed);
    }
    std::vector<wchar_t> fixedRing(kRingLines * kLineLength);
    size_t fixedNext = 0;
    size_t next = 0;

    harness.Compare("append a 120-character line to a full 10,000-line ring", kLineLength * sizeof(wchar_t),
        {"fixed-stride ring memcpy", [&] {
             const ZTextViewBuffer::LineInfo& line = input[next++ % input.size()];
             std::memcpy(fixedRing.data() + fixedNext * kLineLength, line.text.data(), kLineLength * sizeof(wchar_t));
             fixedNext = (fixedNext + 1) % kRingLines;
             return size_t(fixedRing[fixedNext * kLineLength]);
         }},
        {{"ZTextViewBuffer::AppendLines", [&] {
             unsigned long long removed = 0;
             buffer.AppendLines(&input[next++ % input.size()], 1, removed);
             return size_t(removed);
         }}});

    Bench::AllocationCounter counter;
    constexpr size_t kCounted = 100000;
    for (size_t i = 0; i < kCounted; ++i) {
        unsigned long long removed = 0;
        buffer.AppendLines(&input[i % input.size()], 1, removed);
    }
    if (counter.Installed())
        std::printf("heap allocations while appending %zu lines to the full ring: %llu (%.4f per line)\n", kCounted,
                    static_cast<unsigned long long>(counter.Count()), double(counter.Count()) / kCounted);
    else
        std::printf("heap allocations could not be counted (no import replaced)\n");
}

void CompareCopy(Bench::Harness& harness)
{
    ZTextViewBuffer buffer(kRingLines);
    for (size_t i = 0; i < kRingLines; ++i) {
        const ZTextViewBuffer::LineInfo line = LineOf(LogLine(i, kLineLength));
        unsigned long long removed = 0;
        buffer.AppendLines(&line, 1, removed);
    }
    const size_t characters = kRingLines * (kLineLength + 2) + 1;
    std::vector<wchar_t> source(characters, L'x'), target(characters);

    harness.Compare("copy a 10,000-line selection to global memory", characters * sizeof(wchar_t),
        {"memcpy", [&] {
             std::memcpy(target.data(), source.data(), characters * sizeof(wchar_t));
             return size_t(target[characters - 1]);
         }},
        {{"CopyTextToBuffer + GlobalFree", [&] {
              void* handle = nullptr;
              unsigned long long count = 0;
              buffer.CopyTextToBuffer(handle, count, 0, 0, ZTextViewBuffer::npos, ZTextViewBuffer::npos, false);
              ::GlobalFree(handle);
              return size_t(count);
          }},
         {"GlobalAlloc + memcpy + GlobalFree (for scale)", [&] {
              HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, characters * sizeof(wchar_t));
              void* data = ::GlobalLock(block);
              std::memcpy(data, source.data(), characters * sizeof(wchar_t));
              ::GlobalUnlock(block);
              ::GlobalFree(block);
              return size_t(block != nullptr);
          }}});
}

// The view as a host derives it: it counts paints and can record its runs.
class BenchView : public ZTextView {
public:
    struct RecordedRun {
        COLORREF text, background;
        int x, y;
        std::wstring characters;
    };
    std::vector<RecordedRun> recorded;
    bool record = false;
    std::atomic<uint64_t> paints{0};
    // While logging: when each paint came (seconds from logStart) and in which batch.
    bool logPaints = false;
    uint64_t batch = 0;
    std::chrono::steady_clock::time_point logStart;
    std::vector<std::pair<double, uint64_t>> paintLog;
    using ZTextView::GetVScrollPoint, ZTextView::SelectAll, ZTextView::OnEditCopy;

protected:
    void OnDraw(CDC* dc) override
    {
        ++paints;
        if (logPaints)
            paintLog.emplace_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - logStart).count(),
                                  batch);
        ZTextView::OnDraw(dc);
    }
    void DrawTextW(CDC* dc, const DrawTextInfo& run) override
    {
        if (record)
            recorded.push_back({run.textColor, run.backgroundColor, run.x, run.y,
                                std::wstring(run.text, static_cast<size_t>(run.length))});
        ZTextView::DrawTextW(dc, run);
    }
};

ZLogFont FixedPitchFont()
{
    ZLogFont font;
    font.logFont.lfHeight = -13;
    font.logFont.lfCharSet = DEFAULT_CHARSET;
    font.logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(font.logFont.lfFaceName, L"Courier New", LF_FACESIZE);
    return font;
}

// A shown view whose client area holds columns x rows cells.
BenchView* MakeView(int columns, int rows)
{
    auto* view = new BenchView;  // deletes itself with its window
    if (!view->CreateEx(0, nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr))
        return nullptr;
    view->UpdateFont(FixedPitchFont());
    // Bars take room from the client area: size the window for both.
    const int width = static_cast<int>(columns * view->GetCharacterWidth()) + ::GetSystemMetrics(SM_CXVSCROLL);
    const int height = rows * view->GetCharacterHeight() + ::GetSystemMetrics(SM_CYHSCROLL);
    view->MoveWindow(0, 0, width, height);
    return view;
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void CompareRepaint(Bench::Harness& harness)
{
    BenchView* view = MakeView(200, 50);
    if (!view) {
        std::printf("repaint: no window could be made (no display?)\n");
        return;
    }
    view->SetBufferSize(1000);
    std::vector<ZTextViewBuffer::LineInfo> lines;
    for (size_t i = 0; i < 60; ++i)
        lines.push_back(LineOf(LogLine(i, 200)));
    view->AppendLines(lines.data(), lines.size());
    // A stream selection: lines inside it are one run, its edge lines three or two.
    ZTextViewHighlight selection(nullptr, {50, 20}, {120, 40});
    view->UpdateHighlight(&selection, false);
    PumpMessages();

    view->record = true;
    ::RedrawWindow(view->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    view->record = false;
    const std::vector<BenchView::RecordedRun> runs = view->recorded;
    size_t characters = 0;
    for (const auto& run : runs)
        characters += run.characters.size();
    std::printf("repaint: %zu runs, %zu characters on %llu lines\n", runs.size(), characters,
                static_cast<unsigned long long>(50));

    HFONT viewFont = static_cast<HFONT>(const_cast<CFont*>(view->GetViewFont())->GetSafeHandle());

    harness.Compare("full repaint of a 50-line by 200-column view", characters * sizeof(wchar_t),
        {"ExtTextOutW of the same runs", [&] {
             CClientDC dc(view);
             HGDIOBJ previous = ::SelectObject(dc.GetSafeHdc(), viewFont);
             for (const auto& run : runs) {
                 ::SetTextColor(dc.GetSafeHdc(), run.text);
                 ::SetBkColor(dc.GetSafeHdc(), run.background);
                 ::ExtTextOutW(dc.GetSafeHdc(), run.x, run.y, 0, nullptr, run.characters.data(),
                               static_cast<UINT>(run.characters.size()), nullptr);
             }
             ::SelectObject(dc.GetSafeHdc(), previous);
             ::GdiFlush();
             return runs.size();
         }},
        {{"ZTextView repaint (WM_PAINT)", [&] {
             ::RedrawWindow(view->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
             ::GdiFlush();
             return size_t(view->paints);
         }}});
    view->DestroyWindow();
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A view as the streaming cases find it: following the end of a full ring.
BenchView* MakeStreamingView(const std::vector<ZTextViewBuffer::LineInfo>& input)
{
    BenchView* view = MakeView(120, 40);
    if (!view)
        return nullptr;
    view->SetBufferSize(kRingLines);
    for (size_t i = 0; i < kRingLines; i += 100)
        view->AppendLines(&input[i % 200], 100);
    PumpMessages();
    view->UpdateWindow();
    return view;
}

std::vector<ZTextViewBuffer::LineInfo> StreamInput()
{
    std::vector<ZTextViewBuffer::LineInfo> input;
    for (size_t i = 0; i < 356; ++i)
        input.push_back(LineOf(LogLine(i, 100)));
    return input;
}

struct PaintPace {
    double fewestPerHalfSecond = 0;  // over every whole half second of the burst
    uint64_t mostPerBatch = 0;
};

PaintPace PaceOf(const std::vector<std::pair<double, uint64_t>>& log, double seconds)
{
    PaintPace pace;
    const size_t halves = static_cast<size_t>(seconds / 0.5);
    std::vector<uint64_t> perHalf(halves, 0);
    std::vector<std::pair<uint64_t, uint64_t>> perBatch;  // batch, paints
    for (const auto& [at, batch] : log) {
        const size_t half = static_cast<size_t>(at / 0.5);
        if (half < halves)
            ++perHalf[half];
        if (!perBatch.empty() && perBatch.back().first == batch)
            ++perBatch.back().second;
        else
            perBatch.emplace_back(batch, 1);
    }
    pace.fewestPerHalfSecond = halves ? double(*std::min_element(perHalf.begin(), perHalf.end())) : 0;
    for (const auto& entry : perBatch)
        pace.mostPerBatch = std::max(pace.mostPerBatch, entry.second);
    return pace;
}

void PrintPace(const char* what, double linesPerSecond, const PaintPace& pace, double seconds, size_t paints)
{
    std::printf("%s: %.0f lines/s; %zu paints in %.2f s, fewest in a half second %.0f (goal >= 5: %s), "
                "most in one batch %llu (goal <= 1: %s)\n",
                what, linesPerSecond, paints, seconds, pace.fewestPerHalfSecond,
                pace.fewestPerHalfSecond >= 5 ? "met" : "NOT met", static_cast<unsigned long long>(pace.mostPerBatch),
                pace.mostPerBatch <= 1 ? "met" : "NOT met");
}

// (a) One posted message and one append a line, 100,000 lines.
void MeasurePostedLines()
{
    const std::vector<ZTextViewBuffer::LineInfo> input = StreamInput();
    BenchView* view = MakeStreamingView(input);
    if (!view) {
        std::printf("streaming: no window could be made (no display?)\n");
        return;
    }
    constexpr UINT kLineArrived = WM_APP + 1;
    constexpr WPARAM kLines = 100000;
    HWND window = view->GetSafeHwnd();
    const uint64_t paintsBefore = view->paints;
    const auto start = std::chrono::steady_clock::now();
    std::thread producer([window] {
        for (WPARAM i = 0; i < kLines; ++i)
            while (!::PostMessageW(window, kLineArrived, i, 0))
                ::Sleep(0);  // the queue is full: let the view catch up
    });
    WPARAM appended = 0;
    MSG msg;
    while (appended < kLines && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kLineArrived && msg.hwnd == window) {
            view->AppendLines(&input[msg.wParam % 256], 1);
            ++appended;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    PumpMessages();
    view->UpdateWindow();
    const double seconds = SecondsSince(start);
    producer.join();
    const uint64_t paints = view->paints - paintsBefore;
    std::printf("(a) one posted message a line: %zu lines in %.3f s: %.0f lines/s, %llu paints (%.1f/s); "
                "view at line %llu of %llu\n",
                static_cast<size_t>(kLines), seconds, kLines / seconds, static_cast<unsigned long long>(paints),
                paints / seconds, static_cast<unsigned long long>(view->GetVScrollPoint()),
                static_cast<unsigned long long>(view->GetBuffer().GetLineCount()));
    view->DestroyWindow();
}

// (b) and (c): appends on the user-interface thread, linesPerCall at a time,
// the thread's messages pumped every 256 lines; the ring alone in the same
// loop is the floor. Each runs for `seconds`, twice, alternating.
void MeasureUiAppends(const char* what, size_t linesPerCall, double goal, double seconds)
{
    const std::vector<ZTextViewBuffer::LineInfo> input = StreamInput();
    BenchView* view = MakeStreamingView(input);
    if (!view) {
        std::printf("streaming: no window could be made (no display?)\n");
        return;
    }
    ZTextViewBuffer ring(kRingLines);
    for (size_t i = 0; i < kRingLines; i += 100) {
        unsigned long long removed = 0;
        ring.AppendLines(&input[i % 200], 100, removed);
    }
    auto run = [&](bool intoView, PaintPace* pace, size_t* paints) {
        uint64_t lines = 0, sincePump = 0, batch = 0;
        view->paintLog.clear();
        view->logStart = std::chrono::steady_clock::now();
        view->logPaints = intoView;
        const auto start = view->logStart;
        double elapsed = 0;
        while (elapsed < seconds) {
            const ZTextViewBuffer::LineInfo* lines_ = &input[lines % 256];
            if (intoView) {
                view->batch = batch++;
                view->AppendLines(lines_, linesPerCall);
            } else {
                unsigned long long removed = 0;
                ring.AppendLines(lines_, linesPerCall, removed);
            }
            lines += linesPerCall;
            sincePump += linesPerCall;
            if (sincePump >= 256) {
                sincePump = 0;
                PumpMessages();
                elapsed = SecondsSince(start);
            }
        }
        view->logPaints = false;
        if (pace) {
            *pace = PaceOf(view->paintLog, elapsed);
            *paints = view->paintLog.size();
        }
        return std::make_pair(lines, elapsed);
    };
    uint64_t floorLines = 0, viewLines = 0;
    double floorSeconds = 0, viewSeconds = 0;
    PaintPace pace{1e9, 0}, one;
    size_t paints = 0, onePaints = 0;
    for (int round = 0; round < 2; ++round) {
        const auto [fl, fs] = run(false, nullptr, nullptr);
        floorLines += fl;
        floorSeconds += fs;
        const auto [vl, vs] = run(true, &one, &onePaints);
        viewLines += vl;
        viewSeconds += vs;
        pace.fewestPerHalfSecond = std::min(pace.fewestPerHalfSecond, one.fewestPerHalfSecond);
        pace.mostPerBatch = std::max(pace.mostPerBatch, one.mostPerBatch);
        paints += onePaints;
    }
    const double floorRate = floorLines / floorSeconds, viewRate = viewLines / viewSeconds;
    std::printf("%s: floor (ring alone, same pumps) %.0f lines/s; ratio view/floor %.3f (goal >= %.2f: %s)\n", what,
                floorRate, viewRate / floorRate, goal, viewRate / floorRate >= goal ? "met" : "NOT met");
    PrintPace(what, viewRate, pace, viewSeconds, paints);
    view->DestroyWindow();
}

// (d) A worker fills the line queue; the user-interface thread drains a whole
// batch per wake-up with one AppendLines call.
void MeasureWorkerQueue(double seconds)
{
    const std::vector<ZTextViewBuffer::LineInfo> input = StreamInput();
    BenchView* view = MakeStreamingView(input);
    if (!view) {
        std::printf("streaming: no window could be made (no display?)\n");
        return;
    }
    constexpr UINT kWake = WM_APP + 2;
    HWND window = view->GetSafeHwnd();
    ZTextViewLineQueue queue(window, kWake);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> produced{0};
    view->paintLog.clear();
    view->logStart = std::chrono::steady_clock::now();
    view->logPaints = true;
    const auto start = view->logStart;
    std::thread worker([&] {
        uint64_t n = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const std::vector<wchar_t>& text = input[n % 256].text;
            queue.Push(text.data(), text.size());
            ++n;
        }
        produced = n;
    });
    uint64_t appended = 0, batches = 0;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kWake && msg.hwnd == window) {
            view->batch = batches++;
            appended += queue.DrainInto(*view);
            if (!stop && SecondsSince(start) >= seconds) {
                stop = true;
                worker.join();
                appended += queue.DrainInto(*view);
                break;
            }
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    const double elapsed = SecondsSince(start);
    view->logPaints = false;
    const PaintPace pace = PaceOf(view->paintLog, elapsed);
    std::printf("(d) worker queue: %llu lines in %llu batches (%.0f lines a batch), produced %llu\n",
                static_cast<unsigned long long>(appended), static_cast<unsigned long long>(batches),
                batches ? double(appended) / batches : 0.0, static_cast<unsigned long long>(produced.load()));
    const double rate = appended / elapsed;
    std::printf("(d) worker queue: goal >= 1,000,000 lines/s: %s\n", rate >= 1e6 ? "met" : "NOT met");
    PrintPace("(d) worker queue", rate, pace, elapsed, view->paintLog.size());
    view->DestroyWindow();
}

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters))
        return 0;
    // Some platforms leave the private count at 0; the working set then stands in.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.WorkingSetSize;
}

// One million 100-character lines of scrollback.
void MeasureMillionLines()
{
    constexpr size_t kMillion = 1000000;
    const std::vector<ZTextViewBuffer::LineInfo> input = StreamInput();
    BenchView* view = MakeView(120, 40);
    if (!view) {
        std::printf("million lines: no window could be made (no display?)\n");
        return;
    }
    HWND window = view->GetSafeHwnd();
    const size_t before = PrivateBytes();
    view->SetBufferSize(kMillion);
    auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < kMillion; i += 100) {
        view->AppendLines(&input[i % 256], 100);
        if (i % 10000 == 0)
            PumpMessages();
    }
    // The last line alone holds the needle, so the find reads every line.
    const ZTextViewBuffer::LineInfo needleLine = LineOf(LogLine(7, 90) + L"NEEDLE0123");
    view->AppendLines(&needleLine, 1);
    PumpMessages();
    view->UpdateWindow();
    const double fill = SecondsSince(start);
    const size_t after = PrivateBytes();
    std::printf("million lines: filled in %.3f s (%.0f lines/s); %.1f bytes per line (private bytes, else working set)\n", fill,
                kMillion / fill, before && after > before ? double(after - before) / kMillion : 0.0);

    auto timed = [&](const char* what, auto&& action) {
        const auto t0 = std::chrono::steady_clock::now();
        action();
        view->UpdateWindow();
        std::printf("million lines: %s %.1f ms\n", what, SecondsSince(t0) * 1000);
    };
    timed("scroll to the top (SB_TOP + paint)", [&] { ::SendMessageW(window, WM_VSCROLL, SB_TOP, 0); });
    timed("page down (SB_PAGEDOWN + paint)", [&] { ::SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0); });
    timed("scroll to the end (SB_BOTTOM + paint)", [&] { ::SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0); });
    size_t foundLine = 0;
    timed("full-buffer find (a host's search from line 0 to the last)", [&] {
        const ZTextViewBuffer& buffer = view->GetBuffer();
        const std::wstring_view needle = L"NEEDLE0123";
        for (unsigned long long line = 0; line < buffer.GetLineCount(); ++line) {
            const std::vector<wchar_t>& text = buffer.GetLineInfo(line).text;
            if (std::wstring_view(text.data(), text.size()).find(needle) != std::wstring_view::npos) {
                foundLine = static_cast<size_t>(line);
                break;
            }
        }
    });
    std::printf("million lines: the needle on line %zu\n", foundLine);
    timed("Ctrl+A (select all + paint)", [&] { view->SelectAll(); });
    timed("Ctrl+C (copy the selection to the clipboard)", [&] { view->OnEditCopy(); });
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    view->DestroyWindow();
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_textview", argc, argv);
    CompareAppend(harness);
    CompareCopy(harness);
    CompareRepaint(harness);
    if (harness.Selected("streaming")) {
        MeasurePostedLines();
        MeasureUiAppends("(b) one line per call", 1, 0.25, 2.0);
        MeasureUiAppends("(c) 100 lines per call", 100, 0.5, 2.0);
        MeasureWorkerQueue(2.0);
    }
    if (harness.Selected("million"))
        MeasureMillionLines();
    return harness.Finish();
}
