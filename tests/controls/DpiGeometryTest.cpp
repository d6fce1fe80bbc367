// The lists at the display's resolution (the program runs at 96, 144 and 192
// DPI): sizes designed at 96 DPI grow by the ratio, so a list shows the same
// rows of an 8-point font at every setting, and text keeps its margin.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "controls/ZCheckListBox.h"
#include "controls/ZListBox.h"
#include "tests/controls/ListsTestHost.h"
#include "tests/support/DpiRun.h"

namespace {

using ListsTest::Host;
using ListsTest::Pump;
using TestSupport::Scaled;

constexpr UINT kPlaceholderId = 300;
constexpr UINT kListId = 301;

class DpiGeometry : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
        ASSERT_TRUE(host.Make(Scaled(320), Scaled(260)));
        host.UseFont(::MulDiv(8, TestSupport::RunDpi(), 72));  // 8 points: shorter than the rows' minimum
    }

    Host host;
};

void NoChange() {}

TEST_F(DpiGeometry, CheckListRowsAndTheirCountFollowTheResolution)
{
    const struct {
        int height;  // of the placeholder at 96 DPI
        int rows;    // that show at every resolution
    } cases[] = {{170, 10}, {100, 6}, {40, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        CStatic placeholder;
        ASSERT_TRUE(placeholder.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 250, 10 + Scaled(c.height)), &host,
                                       kPlaceholderId));
        ZCheckListBox list;
        ASSERT_TRUE(list.Create(WS_VISIBLE, &host, kPlaceholderId, NoChange));
        list.AddItem(L"Row with some text");
        Pump();
        const int row = list.GetCheckWidth() + 2;
        EXPECT_NEAR(row, Scaled(16), 1);
        CRect client;
        list.GetClientRect(&client);
        EXPECT_EQ(client.Height() / row, c.rows);
        list.DestroyWindow();
    }
}

TEST_F(DpiGeometry, ListBoxColumnsKeepAMarginThatGrowsWithTheResolution)
{
    ZListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 10, Scaled(250), Scaled(150)), &host, kListId));
    list.Init();
    int widest = 0;
    for (const wchar_t* text : {L"short", L"a much longer line of text", L"middle length"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        ASSERT_GE(list.AddString(text), 0);
        widest = std::max(widest, list.GetStringWidth(text));
        EXPECT_NEAR(list.GetColumnWidth(0), widest + Scaled(10), 1);
    }
}

}  // namespace
