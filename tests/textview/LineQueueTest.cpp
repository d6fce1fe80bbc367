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

HWND MessageWindow()
{
    return ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

int TakeWakes(HWND window)
{
    int wakes = 0;
    MSG msg;
    while (::PeekMessageW(&msg, window, kWake, kWake, PM_REMOVE))
        ++wakes;
    return wakes;
}

std::vector<std::wstring> TextsOf(const ZTextViewBase& view)
{
    std::vector<std::wstring> texts;
    for (unsigned long long i = 0; i < view.GetBuffer().GetLineCount(); ++i)
        texts.emplace_back(view.GetBuffer().GetLineInfo(i).text.begin(), view.GetBuffer().GetLineInfo(i).text.end());
    return texts;
}

}  // namespace

TEST(TextViewLineQueue, WakesOncePerBatchAndDrainsInOneAppend)
{
    HWND window = MessageWindow();
    ZTextViewLineQueue queue(window, kWake);
    RecordingView view;
    const std::vector<std::wstring> texts = Numbered(0, 3);
    for (size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(queue.Push(texts[i].data(), texts[i].size(), i));
    EXPECT_EQ(TakeWakes(window), 1);
    view.ForgetRequests();
    EXPECT_EQ(queue.DrainInto(view), 3u);
    EXPECT_EQ(view.invalidations, 1);  // one append for the batch
    EXPECT_EQ(TextsOf(view), texts);
    EXPECT_EQ(view.GetBuffer().GetLineInfo(2).attribute, 2u);
    EXPECT_EQ(queue.DrainInto(view), 0u);
    ASSERT_TRUE(queue.Push(L"next", 4));  // the next batch wakes again
    EXPECT_EQ(TakeWakes(window), 1);
    EXPECT_EQ(queue.DrainInto(view), 1u);
    ::DestroyWindow(window);

    // A wake-up that cannot be posted keeps the line and is tried again by the next push.
    EXPECT_FALSE(queue.Push(L"kept", 4));
    EXPECT_FALSE(queue.Push(L"kept", 4));
    EXPECT_EQ(queue.DrainInto(view), 2u);
    EXPECT_EQ(TextsOf(view).back(), L"kept");
}

TEST(TextViewLineQueue, AWorkersLinesAllArriveInOrder)
{
    HWND window = MessageWindow();
    ZTextViewLineQueue queue(window, kWake);
    RecordingView view;
    view.SetBufferSize(5000);
    const std::vector<std::wstring> texts = Numbered(0, 5000);
    std::thread worker([&] {
        for (const std::wstring& text : texts)
            queue.Push(text.data(), text.size());
    });
    MSG msg;
    for (size_t drained = 0; drained < texts.size() && ::GetMessageW(&msg, window, kWake, kWake) > 0;)
        drained += queue.DrainInto(view);
    worker.join();
    EXPECT_EQ(TextsOf(view), texts);
    ::DestroyWindow(window);
}
