// The line queue between a worker thread and a view: one wake-up per batch, every line in order.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/RecordingTextView.h"
#include "textview/ZTextViewLineQueue.h"

using namespace TextViewTest;

namespace {

constexpr UINT kWake = WM_APP + 3;

// A message-only window whose wake-ups the test counts.
class WakeWindow {
public:
    WakeWindow() : m_window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~WakeWindow()
    {
        if (::IsWindow(m_window))
            ::DestroyWindow(m_window);
    }
    HWND Get() const { return m_window; }
    // Removes the waiting wake-ups and returns how many there were.
    int TakeWakes() const
    {
        int wakes = 0;
        MSG msg;
        while (::PeekMessageW(&msg, m_window, kWake, kWake, PM_REMOVE))
            ++wakes;
        return wakes;
    }

private:
    HWND m_window;
};

std::vector<std::wstring> TextsOf(const ZTextViewBase& view)
{
    std::vector<std::wstring> texts;
    const ZTextViewBuffer& buffer = view.GetBuffer();
    for (unsigned long long i = 0; i < buffer.GetLineCount(); ++i)
        texts.emplace_back(buffer.GetLineInfo(i).text.begin(), buffer.GetLineInfo(i).text.end());
    return texts;
}

}  // namespace

TEST(TextViewLineQueue, WakesOncePerBatchAndDrainsInOneAppend)
{
    WakeWindow window;
    ASSERT_NE(window.Get(), nullptr);
    ZTextViewLineQueue queue(window.Get(), kWake);
    RecordingView view;
    view.SetBufferSize(100);
    const std::vector<std::wstring> first = Numbered(0, 3);
    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_TRUE(queue.Push(first[i].data(), first[i].size(), i));
    EXPECT_EQ(window.TakeWakes(), 1);
    view.ForgetRequests();
    EXPECT_EQ(queue.DrainInto(view), 3u);
    EXPECT_EQ(view.invalidations, 1);  // one append call for the batch
    EXPECT_EQ(TextsOf(view), first);
    EXPECT_EQ(view.GetBuffer().GetLineInfo(2).attribute, 2u);
    EXPECT_EQ(queue.DrainInto(view), 0u);

    // The next batch wakes again and reuses the drained slots.
    const std::wstring longer = L"a line longer than any before it";
    ASSERT_TRUE(queue.Push(longer.data(), longer.size()));
    EXPECT_EQ(window.TakeWakes(), 1);
    EXPECT_EQ(queue.DrainInto(view), 1u);
    EXPECT_EQ(TextsOf(view).back(), longer);
}

TEST(TextViewLineQueue, AWorkersLinesAllArriveInOrder)
{
    WakeWindow window;
    ZTextViewLineQueue queue(window.Get(), kWake);
    RecordingView view;
    constexpr int kLines = 5000;
    view.SetBufferSize(kLines);
    const std::vector<std::wstring> texts = Numbered(0, kLines);
    std::thread worker([&] {
        for (const std::wstring& text : texts)
            queue.Push(text.data(), text.size());
    });
    int wakes = 0;
    size_t drained = 0, drains = 0;
    while (drained < texts.size()) {
        MSG msg;
        if (::GetMessageW(&msg, window.Get(), kWake, kWake) <= 0)
            break;
        ++wakes;
        drained += queue.DrainInto(view);
        ++drains;
    }
    worker.join();
    EXPECT_EQ(TextsOf(view), texts);
    EXPECT_LE(wakes, static_cast<int>(drains) + 1);
}

TEST(TextViewLineQueue, AFailedWakeUpKeepsTheLineAndTriesAgain)
{
    HWND gone = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    ZTextViewLineQueue queue(gone, kWake);
    const std::wstring text = L"kept";
    EXPECT_FALSE(queue.Push(text.data(), text.size()));
    EXPECT_FALSE(queue.Push(text.data(), text.size()));  // tried again, not taken as already posted
    RecordingView view;
    EXPECT_EQ(queue.DrainInto(view), 2u);
    EXPECT_EQ(TextsOf(view), (std::vector<std::wstring>{text, text}));
}
