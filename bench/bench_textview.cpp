// The text view against plain baselines measured in the same run:
//   appending 120-character lines to a full 10,000-line ring (baseline: a
//   fixed-stride ring that only copies the characters), with the heap
//   allocations per line counted;
//   copying a 10,000-line selection into a block of global memory (baseline:
//   memcpy of the same bytes);
//   a full repaint of a 50-line by 200-column view (baseline: the same runs
//   drawn with ExtTextOutW);
//   100,000 lines arriving as posted messages while the view follows the end:
//   lines and paints per second.
// The last two need a display.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/AllocationCounter.h"
#include "bench/harness/BenchHarness.h"
#include "textview/ZTextView.h"

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
    using ZTextView::GetVScrollPoint;

protected:
    void OnDraw(CDC* dc) override
    {
        ++paints;
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

void MeasureFollowingAppends()
{
    BenchView* view = MakeView(120, 40);
    if (!view) {
        std::printf("streaming: no window could be made (no display?)\n");
        return;
    }
    view->SetBufferSize(kRingLines);
    std::vector<ZTextViewBuffer::LineInfo> input;
    for (size_t i = 0; i < 64; ++i)
        input.push_back(LineOf(LogLine(i, 100)));
    PumpMessages();

    constexpr UINT kLineArrived = WM_APP + 1;
    constexpr WPARAM kLines = 100000;
    HWND window = view->GetSafeHwnd();
    const uint64_t paintsBefore = view->paints;
    const auto start = std::chrono::steady_clock::now();
    // Lines arrive as a producer posts them, one message a line, as fast as it can.
    std::thread producer([window] {
        for (WPARAM i = 0; i < kLines; ++i)
            while (!::PostMessageW(window, kLineArrived, i, 0))
                ::Sleep(0);  // the queue is full: let the view catch up
    });
    WPARAM appended = 0;
    MSG msg;
    while (appended < kLines && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kLineArrived && msg.hwnd == window) {
            view->AppendLines(&input[msg.wParam % input.size()], 1);
            ++appended;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    view->UpdateWindow();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    producer.join();
    const uint64_t paints = view->paints - paintsBefore;
    std::printf("streaming: %zu lines appended one at a time while following the end in %.3f s: "
                "%.0f lines/s, %llu paints (%.1f paints/s, %.0f lines a paint); view at line %llu of %llu\n",
                static_cast<size_t>(kLines), seconds, kLines / seconds, static_cast<unsigned long long>(paints),
                paints / seconds, paints ? double(kLines) / paints : 0.0,
                static_cast<unsigned long long>(view->GetVScrollPoint()),
                static_cast<unsigned long long>(view->GetBuffer().GetLineCount()));
    view->DestroyWindow();
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_textview", argc, argv);
    CompareAppend(harness);
    CompareCopy(harness);
    CompareRepaint(harness);
    MeasureFollowingAppends();
    return harness.Finish();
}
