// The version history, its failures, and the about box's pages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "TessaroMessages.h"
#include "about/ZAboutDialog.h"
#include "about/ZVersionHistory.h"
#include "resources/TessaroAboutResource.h"
#include "tests/support/WindowReaders.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TextEncodings.h"

#include <string>

namespace {

using TestSupport::WindowText;
using TestSupport::Utf16BytesOf;
using TestSupport::Utf8Of;

// Lines with every kind of line end, a blank line, and text beyond ASCII.
const std::wstring kHistory = L"Version 8.7\r\n- caf\u00e9 \u0153uvre \u20ac\n\rVersion 8.6\r- first";
const std::wstring kJoined = L"Version 8.7\r\n- caf\u00e9 \u0153uvre \u20ac\r\n\r\nVersion 8.6\r\n- first";

// Decoding is ZTextFile's (its own tests go through every mark and fill); here, the lines joined by CR LF.
// The UTF-16 BE form is the about box's below.
TEST(VersionHistory, JoinsTheLinesOfTheFile)
{
    struct Case { const char* name; std::string bytes; std::wstring expected; };
    const Case cases[] = {
        {"ANSI without mark", Utf8Of(L"Version 1\r\n\r\n- fixed\n"), L"Version 1\r\n\r\n- fixed"},
        {"UTF-8", "\xEF\xBB\xBF" + Utf8Of(kHistory), kJoined},
        {"empty", "", L""},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder.File(L"history.txt");
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, c.bytes));
        ZUnicodeString text(L"stale");
        ZReportMessageParams report;
        EXPECT_TRUE(ZLoadVersionHistory(path.c_str(), text, report));
        EXPECT_EQ(text.str(), c.expected);
        EXPECT_EQ(report.GetMessageId(), 0u);
    }
}

TEST(VersionHistory, FailuresReport0xE1330060)
{
    ScratchFolder folder;
    const std::wstring missing = folder.File(L"missing.txt");
    const std::wstring broken = folder.File(L"broken.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(broken, "\xEF\xBB\xBFgood line\r\nbad \xC3\x28 here\r\nnever read"));
    // missing file, a folder, illegal UTF-8, empty path
    for (const std::wstring& path : {missing, folder.Path(), broken, std::wstring()}) {
        SCOPED_TRACE(testing::PrintToString(path));
        ZUnicodeString text(L"stale");
        ZReportMessageParams report;
        EXPECT_FALSE(ZLoadVersionHistory(path.c_str(), text, report));
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(report.GetMessageId(), MSG_HISTORY_LOAD_FAILED);
        ASSERT_EQ(report.GetInserts().GetCount(), 2u);
        EXPECT_EQ(report.GetInserts().GetAt(0).view(), path);
        EXPECT_FALSE(report.GetInserts().GetAt(1).empty());
        // The path appears in the text, not the raw template.
        EXPECT_NE(std::wstring(report.GetText()).find(path), std::wstring::npos);
        EXPECT_EQ(std::wstring(report.GetText()).find(L"%1"), std::wstring::npos);
    }
}

class AboutBox : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    // Clicks a tab as the tab control tells its parent.
    static void ChooseTab(ZAboutDialog& dialog, int tab)
    {
        HWND tabs = ::GetDlgItem(dialog.m_hWnd, IDC_ABOUT_PAGES);
        ::SendMessageW(tabs, TCM_SETCURSEL, tab, 0);
        NMHDR header = {tabs, IDC_ABOUT_PAGES, static_cast<UINT>(TCN_SELCHANGE)};
        ::SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_ABOUT_PAGES, reinterpret_cast<LPARAM>(&header));
    }

    ScratchFolder m_folder;
};

TEST_F(AboutBox, ShowsAcknowledgementsThenHistoryByTab)
{
    const std::wstring path = m_folder.File(L"history.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, "\xFE\xFF" + Utf16BytesOf(kHistory, true)));
    ZAboutDialog dialog(L"Demo Client", L"Version 8.7.0", path.c_str());
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(WindowText(dialog.m_hWnd), L"About Demo Client");
    EXPECT_EQ(WindowText(::GetDlgItem(dialog.m_hWnd, IDC_ABOUT_PRODUCT)), L"Demo Client\r\nVersion 8.7.0");
    EXPECT_EQ(::SendDlgItemMessageW(dialog.m_hWnd, IDC_ABOUT_PAGES, TCM_GETITEMCOUNT, 0, 0), 2);
    HWND text = ::GetDlgItem(dialog.m_hWnd, IDC_ABOUT_TEXT);
    EXPECT_EQ(dialog.GetPage(), ZAboutDialog::AcknowledgementsPage);
    const std::wstring acknowledgements = WindowText(text);
    EXPECT_NE(acknowledgements.find(L"third parties"), std::wstring::npos);
    EXPECT_NE(acknowledgements.find(L"license files"), std::wstring::npos);
    ChooseTab(dialog, 1);
    EXPECT_EQ(dialog.GetPage(), ZAboutDialog::HistoryPage);
    EXPECT_EQ(WindowText(text), kJoined);
    ChooseTab(dialog, 0);
    EXPECT_EQ(WindowText(text), acknowledgements);
    dialog.DestroyWindow();
}

TEST_F(AboutBox, MissingHistoryShowsTheFailureOnItsPage)
{
    const std::wstring path = m_folder.File(L"gone.txt");
    ZAboutDialog dialog(L"Demo Client", L"8.7", path.c_str());
    ASSERT_TRUE(dialog.Create());
    dialog.ShowPage(ZAboutDialog::HistoryPage);
    const std::wstring shown = WindowText(::GetDlgItem(dialog.m_hWnd, IDC_ABOUT_TEXT));
    EXPECT_EQ(shown.rfind(L"Failed to load history file:\r\n" + path, 0), 0u) << shown;
    dialog.DestroyWindow();
}

TEST_F(AboutBox, WithoutHistoryHasOnePage)
{
    ZAboutDialog dialog(L"Demo Client", L"", nullptr);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(::SendDlgItemMessageW(dialog.m_hWnd, IDC_ABOUT_PAGES, TCM_GETITEMCOUNT, 0, 0), 1);
    dialog.ShowPage(ZAboutDialog::HistoryPage);
    EXPECT_EQ(dialog.GetPage(), ZAboutDialog::AcknowledgementsPage);
    EXPECT_EQ(WindowText(::GetDlgItem(dialog.m_hWnd, IDC_ABOUT_PRODUCT)), L"Demo Client");
    dialog.DestroyWindow();
}

}  // namespace
