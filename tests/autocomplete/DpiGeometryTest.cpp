// The auto-complete drop-down at the display's resolution (the program runs at
// 96, 144 and 192 DPI): its rows fit their font, and its scroll bar and grip
// grow with the resolution and share the right edge without overlapping.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/autocomplete/DropDownHost.h"

namespace {

using namespace AutoCompleteTest;

TEST_F(DropDown, RowsFitTheirFontAndTheBarAndGripGrowWithTheResolution)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    provider->candidates.clear();
    for (int i = 0; i < 40; ++i)  // more rows than the drop-down shows
        provider->candidates.push_back(L"h" + std::to_wstring(i) + L".example.org");
    Type(m_edit, L"h");
    ASSERT_TRUE(Shown());
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
}

}  // namespace
