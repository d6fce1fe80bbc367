// The controls at the display's resolution (the program runs at 96, 144 and
// 192 DPI): sizes designed at 96 DPI grow by the ratio, so a list shows the
// same rows of an 8-point font at every setting, text keeps its margin and
// fits its control, and no two controls of a dialog overlap.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "controls/ZCheckListBox.h"
#include "controls/ZLineEdit.h"
#include "controls/ZListBox.h"
#include "controls/ZProgressDialog.h"
#include "controls/ZPropertyPageStateMap.h"
#include "controls/ZPropertyTreeDialog.h"
#include "controls/ZStaticURL.h"
#include "tests/controls/ListsTestHost.h"
#include "tests/support/DialogLayout.h"
#include "tests/support/DpiRun.h"

namespace {

using ListsTest::Host;
using ListsTest::Pump;
using TestSupport::Scaled;

constexpr UINT kPlaceholderId = 300;
constexpr UINT kListId = 301;
constexpr UINT kEditId = 302;
constexpr UINT kLinkId = 303;

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

// The leftmost column of the control's client area that differs from its background.
int FirstInkedColumn(HWND control)
{
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    RECT client = {};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    const COLORREF background = ::GetPixel(dc, client.right - 1, client.bottom / 2);
    int found = -1;
    for (int x = 0; x < client.right && found < 0; ++x)
        for (int y = 0; y < client.bottom && found < 0; ++y)
            found = ::GetPixel(dc, x, y) != background ? x : -1;
    ::ReleaseDC(control, dc);
    return found;
}

TEST_F(DpiGeometry, LineEditButtonGrowsWithTheResolutionAndItsPromptStartsWhereTypedTextDoes)
{
    for (const bool searchMode : {false, true}) {
        SCOPED_TRACE(searchMode);
        ZLineEdit edit;
        ASSERT_TRUE(edit.Create(&host, kEditId));
        edit.SetFont(host.GetFont());
        edit.MoveWindow(10, 10, Scaled(200), Scaled(26));
        edit.OnInitControl(L"Filter", searchMode);
        ::SetFocus(host.m_hWnd);
        Pump();
        CRect button;
        edit.GetButtonRect(button);
        EXPECT_NEAR(button.Width(), Scaled(16), 2);
        EXPECT_TRUE(TestSupport::TextFits(edit.m_hWnd, L"Filter", false));  // beside the button
        const int prompt = FirstInkedColumn(edit.m_hWnd);
        edit.SetWindowText(L"Filter");
        Pump();
        const int typed = FirstInkedColumn(edit.m_hWnd);
        EXPECT_GE(typed, 0);
        EXPECT_EQ(prompt, typed);
        edit.DestroyWindow();
    }
}

TEST_F(DpiGeometry, LinkTextFitsAndItsCursorHasTheDisplaysSize)
{
    // A plain static, as a dialog template makes it: no framework object yet.
    HWND label = ::CreateWindowExW(0, L"Static", L"Visit the site", WS_CHILD | WS_VISIBLE, 10, 10, Scaled(190),
                                   Scaled(20), host.m_hWnd, reinterpret_cast<HMENU>(kLinkId), nullptr, nullptr);
    ::SendMessageW(label, WM_SETFONT, static_cast<WPARAM>(host.SendMessage(WM_GETFONT)), FALSE);
    ZStaticURL link(L"https://example.org/", ZStaticURL::kHandCursorId);
    ASSERT_TRUE(link.SubclassDlgItem(kLinkId, &host));
    EXPECT_TRUE(TestSupport::LayoutFaults(host.m_hWnd).empty());
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(link.GetLinkCursor(), &info));
    BITMAP mask = {};
    ::GetObjectW(info.hbmMask, sizeof mask, &mask);
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(info.hbmColor);  // none for a monochrome cursor: a null handle is refused harmlessly
    EXPECT_NEAR(mask.bmWidth, Scaled(32), 1);
    link.UnsubclassWindow();
}

void ExpectTidy(HWND dialog)
{
    for (const std::wstring& fault : TestSupport::LayoutFaults(dialog))
        ADD_FAILURE() << testing::PrintToString(fault);
}

TEST(DialogDpi, PropertyTreeHeaderAndRowsFitTheirTextAndNothingOverlaps)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    for (int layout = 0; layout < 4; ++layout) {
        SCOPED_TRACE(layout);
        ZPropertyPageStateMap map;
        ZPropertyTreePage general(801), terminal(802), emulation(803);
        terminal.AddPage(&emulation);
        ZPropertyTreeDialog dialog(L"Options", layout, &map);
        dialog.AddPage(&general);
        dialog.AddPage(&terminal);
        ASSERT_TRUE(dialog.Create());
        dialog.ShowWindow(SW_SHOW);
        Pump();
        CWnd* header = dialog.GetDlgItem(ZPropertyTreeDialog::kHeaderId);
        ASSERT_NE(header, nullptr);
        CStringW title;
        header->GetWindowText(title);
        EXPECT_TRUE(TestSupport::TextFits(header->m_hWnd, title.GetString(), false));
        CClientDC dc(&dialog.GetTree());  // the tree's rows hold a line of its font
        CFont* old = dc.SelectObject(dialog.GetTree().GetFont());
        TEXTMETRICW metrics = {};
        dc.GetTextMetrics(&metrics);
        dc.SelectObject(old);
        EXPECT_GE(dialog.GetTree().SendMessage(TVM_GETITEMHEIGHT), metrics.tmHeight);
        ExpectTidy(dialog.m_hWnd);
        dialog.DestroyWindow();
    }
}

TEST(DialogDpi, ProgressDialogsFitTheirTextsAndNothingOverlaps)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    const ZUnicodeString message(L"Connecting to host1.example.org and waiting for its answer");
    std::unique_ptr<ZProgressDialog> dialogs[] = {
        std::make_unique<ZProgressDialog>(message, L"Job"), std::make_unique<ZProgressDialog>(message, false),
        std::make_unique<ZProgressDialog>(message, true),
        std::unique_ptr<ZProgressDialog>(ZProgressDialog::Create7LineProgressDialog(
            ZUnicodeString(L"one\ntwo\nthree\nfour\nfive\nsix\nseven lines of a message"))),
    };
    for (auto& dialog : dialogs) {
        ASSERT_TRUE(dialog->Create());
        dialog->ShowWindow(SW_SHOW);
        Pump();
        ExpectTidy(dialog->m_hWnd);
        dialog->DestroyWindow();
    }
}

}  // namespace
