// The folder browse button's flow on a real edit. The shell's browser is replaced by a stand-in that
// answers like the user would (cancel, a folder, a non-file-system place) and records where it opened.
#include <gtest/gtest.h>

#include <afxwin.h>
#include <shlobj.h>

#include <string>

#include "controls/ZBrowseForLocalFolder.h"
#include "controls/ZBrowseHelpers.h"
#include "foundation/ZReportMessageParams.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WindowReaders.h"

namespace {

enum class Answer { Cancel, Folder, NotFileSystem };

struct Browser {
    Answer answer = Answer::Cancel;
    std::wstring chosen;
    bool opened = false;
    std::wstring initialSelection;
};
Browser g_browser;

LRESULT CALLBACK RecordSelection(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == BFFM_SETSELECTIONW && wParam)
        g_browser.initialSelection = reinterpret_cast<const wchar_t*>(lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

PIDLIST_ABSOLUTE StandInBrowser(BROWSEINFOW* info)
{
    g_browser.opened = true;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = RecordSelection;
    windowClass.lpszClassName = L"TessaroBrowserStandIn";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
    info->lpfn(window, BFFM_INITIALIZED, 0, info->lParam);
    ::DestroyWindow(window);
    PIDLIST_ABSOLUTE items = nullptr;
    if (g_browser.answer == Answer::Folder)
        items = ::ILCreateFromPathW(g_browser.chosen.c_str());
    else if (g_browser.answer == Answer::NotFileSystem)
        ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &items);
    return items;
}

class BrowseFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_browser = {};
        m_previous = Tessaro::SetShellFolderBrowser(StandInBrowser);
        ASSERT_TRUE(m_edit.Attach(::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 24, nullptr,
                                                     nullptr, nullptr, nullptr)));
        ::CreateDirectoryW(m_scratch.File(L"chosen").c_str(), nullptr);
    }
    void TearDown() override
    {
        ::DestroyWindow(m_edit.Detach());
        Tessaro::SetShellFolderBrowser(m_previous);
    }
    std::wstring Text() { return TestSupport::WindowText(m_edit.m_hWnd); }

    ScratchFolder m_scratch;
    CWnd m_edit;
    Tessaro::ShellFolderBrowser m_previous = nullptr;
};

struct BrowseCase {
    const char* name;
    Answer answer;
    const wchar_t *field, *chosen;  // after the scratch folder's path
    bool changed;
    size_t boxes;
};

class BrowseFolderFlowTest : public BrowseFolderTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(BrowseFolderFlowTest, FieldChangesOnlyForAnotherFileSystemFolder)
{
    const BrowseCase& c = GetParam();
    const std::wstring field = m_scratch.Path() + c.field;
    m_edit.SetWindowText(field.c_str());
    g_browser.answer = c.answer;
    g_browser.chosen = m_scratch.Path() + c.chosen;
    ZReportMessageParams report;
    TestSupport::MessageBoxWatcher boxes(IDOK);

    EXPECT_EQ(OnBrowseLocalFolderHelper(nullptr, &m_edit, L"Folder", report, nullptr, nullptr), c.changed);

    EXPECT_TRUE(g_browser.opened);
    EXPECT_EQ(Text(), c.changed ? g_browser.chosen : field);
    ASSERT_EQ(boxes.Boxes().size(), c.boxes);
    if (c.boxes) {
        EXPECT_EQ(boxes.Boxes()[0].icon, TestSupport::SystemIconFor(MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(report.GetMessageId(), 0u);
    EXPECT_EQ(::GetFocus(), m_edit.m_hWnd);
}

INSTANTIATE_TEST_SUITE_P(Answers, BrowseFolderFlowTest, ::testing::Values(
    BrowseCase{"Cancelled", Answer::Cancel, L"\\old", L"", false, 0},
    BrowseCase{"Chosen", Answer::Folder, L"\\old", L"\\chosen", true, 0},
    BrowseCase{"NotFileSystem", Answer::NotFileSystem, L"\\old", L"", false, 1},
    BrowseCase{"SameFolderAsTheCodes", Answer::Folder, L"\\CHOSEN%F", L"\\chosen", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrowseFolderTest, OpensAtTheNearestExistingFolderOfTheExpansion)
{
    m_edit.SetWindowText((m_scratch.Path() + L"\\chosen\\missing\\log-%Y").c_str());
    ZReportMessageParams report;
    OnBrowseLocalFolderHelper(nullptr, &m_edit, L"Folder", report, nullptr, nullptr);
    EXPECT_EQ(g_browser.initialSelection, m_scratch.File(L"chosen"));
}

TEST_F(BrowseFolderTest, FailedExpansionIsReportedWithoutBrowsing)
{
    m_edit.SetWindowText(L"C:\\logs\\100%");
    ZReportMessageParams report;
    EXPECT_FALSE(OnBrowseLocalFolderHelper(nullptr, &m_edit, L"Folder", report, nullptr, nullptr));
    EXPECT_FALSE(g_browser.opened);
    EXPECT_EQ(report.GetMessageId(), 0xE1040066u);
    EXPECT_EQ(Text(), L"C:\\logs\\100%");
}

}  // namespace
