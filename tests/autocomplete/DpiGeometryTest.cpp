// The auto-complete drop-down at the display's resolution (the program runs at
// 96, 144 and 192 DPI): its rows fit their font, and its scroll bar and grip
// grow with the resolution and share the right edge without overlapping.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "autocomplete/ZAutoComplete.h"
#include "tests/support/DpiRun.h"
#include "tests/support/MessagePump.h"
#include "tests/support/OwnedReference.h"

namespace {

using TestSupport::Scaled;

// Forty completions of any text: more rows than the drop-down shows.
class Provider : public ZUnknown<IAutoCompleteDataSource> {
public:
    HRESULT RequestCompletions(const wchar_t* text, IAutoCompleteDataSink* sink) override
    {
        std::vector<std::wstring> found;
        for (int i = 0; *text && i < 40; ++i)
            found.push_back(text + std::to_wstring(i) + L".example.org");
        sink->OnAutoComplete(text, found, this);
        return S_OK;
    }
};

// Posted messages beget posted messages (refresh, then show): a few rounds.
void Pump()
{
    for (int round = 0; round < 5; ++round) {
        TestSupport::PumpPending();
        ::Sleep(1);
    }
}

TEST(AutoCompleteDpi, RowsFitTheirFontAndTheBarAndGripGrowWithTheResolution)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    HWND window = ::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, Scaled(400),
                                    Scaled(300), nullptr, nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10,
                                  Scaled(150), Scaled(22), window, nullptr, nullptr, nullptr);
    auto provider = TestSupport::Own(new Provider);
    ASSERT_TRUE(ZAutoComplete::CreateAndAttach(edit, provider.Get(), nullptr));  // nothing is accepted here
    ::SetForegroundWindow(window);
    ::SetFocus(edit);
    ::PostMessageW(edit, WM_CHAR, L'h', 1);
    Pump();
    HWND popup = ZAutoComplete::FindListViewParentWindow(edit);
    ASSERT_TRUE(popup && ::IsWindowVisible(popup));
    HWND list = ::FindWindowExW(popup, nullptr, WC_LISTVIEWW, nullptr);
    HWND bar = ::FindWindowExW(popup, nullptr, L"ScrollBar", nullptr);
    HWND grip = ::FindWindowExW(popup, bar, L"ScrollBar", nullptr);
    ASSERT_TRUE(list && bar && grip);
    if (::GetWindowLongW(bar, GWL_STYLE) & SBS_SIZEBOX)
        std::swap(bar, grip);

    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    HDC dc = ::GetDC(list);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    EXPECT_GE(row.bottom - row.top, metrics.tmHeight);
    EXPECT_LE(row.bottom - row.top, metrics.tmHeight + Scaled(6));

    RECT client = {}, barBox = {}, gripBox = {};
    ::GetClientRect(popup, &client);
    for (auto [part, box] : {std::pair{bar, &barBox}, std::pair{grip, &gripBox}}) {
        ::GetWindowRect(part, box);
        ::MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(box), 2);
    }
    // The bar runs down the right edge to the grip, a square in the corner.
    const struct {
        RECT box;
        int top, bottom;
    } parts[] = {{barBox, client.top, gripBox.top}, {gripBox, barBox.bottom, client.bottom}};
    for (const auto& part : parts) {
        EXPECT_NEAR(part.box.right - part.box.left, Scaled(16), 2);
        EXPECT_EQ(part.box.right, client.right);
        EXPECT_EQ(part.box.top, part.top);
        EXPECT_EQ(part.box.bottom, part.bottom);
    }
    EXPECT_EQ(gripBox.bottom - gripBox.top, gripBox.right - gripBox.left);
    EXPECT_TRUE(::IsWindowVisible(bar));  // forty rows never fit: the bar is needed
    ::DestroyWindow(window);
    Pump();
}

}  // namespace
