// The library's message boxes, shown for real and closed by a hook, and the
// parent-window holder that reports and dialogs use.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <thread>

#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZParentable.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

using TestSupport::MessageBoxWatcher;
using TestSupport::ShownMessageBox;
using TestSupport::SystemIconFor;

constexpr const wchar_t* kAppName = L"Message Box Host";

// A host's application object, as every host of the library has one.
CWinApp g_app(kAppName);

// A plain top-level window attached to a CWnd.
class TopWindow : public CWnd {
public:
    explicit TopWindow(HWND owner = nullptr, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE)
    {
        HWND window = ::CreateWindowExW(0, L"Static", L"parent", style, 40, 40, 300, 200, owner, nullptr,
                                        nullptr, nullptr);
        if (window)
            Attach(window);
    }
    ~TopWindow() override
    {
        if (HWND window = Detach())
            ::DestroyWindow(window);
    }
};

int CursorCount()
{
    const int count = ::ShowCursor(TRUE) - 1;
    ::ShowCursor(FALSE);
    return count;
}

void SetCursorShowing(bool showing)
{
    if (showing) {
        while (::ShowCursor(TRUE) < 0) {
        }
    } else {
        while (::ShowCursor(FALSE) >= 0) {
        }
    }
}

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_parent.m_hWnd, nullptr) << "no display";
        m_savedCursor = CursorCount();
    }
    void TearDown() override
    {
        while (CursorCount() < m_savedCursor)
            ::ShowCursor(TRUE);
        while (CursorCount() > m_savedCursor)
            ::ShowCursor(FALSE);
    }

    TopWindow m_parent;
    int m_savedCursor = 0;
};

TEST_F(MessageBoxes, IconAndCaptionFollowTheParentAndButtons)
{
    struct Case {
        bool withParent;
        UINT type;
        const wchar_t* caption;
        UINT expectedIcon;  // an MB_ICON... value, 0 for none
        const wchar_t* expectedCaption;
    } cases[] = {
        {true, MB_YESNO, nullptr, MB_ICONQUESTION, kAppName},
        {true, MB_YESNOCANCEL, nullptr, MB_ICONQUESTION, kAppName},
        {true, MB_OK, nullptr, MB_ICONEXCLAMATION, kAppName},
        {true, MB_OKCANCEL, nullptr, MB_ICONEXCLAMATION, kAppName},
        {true, MB_RETRYCANCEL, nullptr, 0, kAppName},
        {true, MB_ABORTRETRYIGNORE, nullptr, 0, kAppName},
        {true, MB_YESNO | MB_ICONERROR, nullptr, MB_ICONERROR, kAppName},
        {true, MB_OK | MB_ICONINFORMATION, nullptr, MB_ICONINFORMATION, kAppName},
        {true, MB_YESNO, L"Own caption", MB_ICONQUESTION, L"Own caption"},
        // Without a parent: the application's box, no icon added, caption unused.
        {false, MB_YESNO, nullptr, 0, kAppName},
        {false, MB_OK, L"Ignored", 0, kAppName},
        {false, MB_YESNO | MB_ICONERROR, nullptr, MB_ICONERROR, kAppName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "parent " << c.withParent << ", type 0x" << std::hex << c.type);
        MessageBoxWatcher watcher(IDNO);
        ASSERT_TRUE(watcher.Hooked());
        const int result = ZMessageBox(c.withParent ? &m_parent : nullptr, L"Shall we?", c.type, c.caption);
        ASSERT_EQ(watcher.Boxes().size(), 1u);
        const ShownMessageBox& box = watcher.Boxes()[0];
        EXPECT_EQ(result, IDNO);
        EXPECT_EQ(box.caption, c.expectedCaption);
        EXPECT_EQ(box.text, L"Shall we?");
        EXPECT_EQ(box.icon, SystemIconFor(c.expectedIcon));
        // Without a parent the box belongs to the main window, and there is none here.
        EXPECT_EQ(box.owner, c.withParent ? m_parent.m_hWnd : nullptr);
    }
}

TEST_F(MessageBoxes, TextOnlyOverloadAddsNoIcon)
{
    MessageBoxWatcher watcher(IDYES);
    EXPECT_EQ(ZMessageBox(L"Replace the file?", MB_YESNO, L"Ignored"), IDYES);
    ASSERT_EQ(watcher.Boxes().size(), 1u);
    const ShownMessageBox& box = watcher.Boxes()[0];
    EXPECT_EQ(box.caption, kAppName);
    EXPECT_EQ(box.icon, nullptr);
    EXPECT_TRUE(box.HasButton(IDYES));
    EXPECT_TRUE(box.HasButton(IDNO));
}

TEST_F(MessageBoxes, ReportsShowTheirFormattedText)
{
    ZReportMessageParams report(0x61330019);  // "End of buffer reached"
    const std::wstring expected = report.GetText();
    ASSERT_EQ(expected.rfind(L"End of buffer reached", 0), 0u);

    MessageBoxWatcher watcher(IDNO);
    EXPECT_EQ(ZMessageBox(&m_parent, &report, MB_YESNO), IDNO);
    EXPECT_EQ(ZMessageBox(&report, MB_YESNO, L"Ignored"), IDNO);
    EXPECT_EQ(ZMessageBox(nullptr, &report, MB_OK), IDNO);
    ASSERT_EQ(watcher.Boxes().size(), 3u);
    for (const ShownMessageBox& box : watcher.Boxes()) {
        EXPECT_EQ(box.text, expected);
        EXPECT_EQ(box.caption, kAppName);
    }
    // The report form follows the same icon rule as the text form.
    EXPECT_EQ(watcher.Boxes()[0].icon, SystemIconFor(MB_ICONQUESTION));
    EXPECT_EQ(watcher.Boxes()[0].owner, m_parent.m_hWnd);
    EXPECT_EQ(watcher.Boxes()[1].icon, nullptr);
    EXPECT_EQ(watcher.Boxes()[2].icon, nullptr);
}

TEST_F(MessageBoxes, AMissingReportShowsAnEmptyBox)
{
    MessageBoxWatcher watcher(IDOK);
    EXPECT_EQ(ZMessageBox(&m_parent, static_cast<const IReportMessageParams*>(nullptr), MB_OK), IDOK);
    ASSERT_EQ(watcher.Boxes().size(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].text, L"");
}

TEST_F(MessageBoxes, CursorIsHiddenAgainOnlyWhenItWasHidden)
{
    CURSORINFO probe = {};
    probe.cbSize = sizeof(probe);
    SetCursorShowing(false);
    if (!::GetCursorInfo(&probe) || (probe.flags & CURSOR_SHOWING))
        GTEST_SKIP() << "the platform does not report a hidden cursor through GetCursorInfo";

    struct Case {
        bool showingBefore;
        int change;  // display count after the box minus before
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case& c : cases) {
        for (bool withParent : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "showing " << c.showingBefore << ", parent " << withParent);
            // The platform's own box may move the count while it is up: measure
            // a plain box from the same start as the baseline.
            SetCursorShowing(c.showingBefore);
            int plainChange = 0;
            {
                const int plainBefore = CursorCount();
                MessageBoxWatcher watcher(IDOK);
                ::MessageBoxW(withParent ? m_parent.m_hWnd : nullptr, L"Plain", L"Plain", MB_OK);
                ASSERT_EQ(watcher.Boxes().size(), 1u);
                plainChange = watcher.Boxes()[0].cursorCount - plainBefore;
            }
            SetCursorShowing(c.showingBefore);
            const int before = CursorCount();
            MessageBoxWatcher watcher(IDOK);
            ZMessageBox(withParent ? &m_parent : nullptr, L"Cursor", MB_OK);
            ASSERT_EQ(watcher.Boxes().size(), 1u);
            EXPECT_EQ(watcher.Boxes()[0].cursorCount - before, plainChange + 1) << "shown once more while the box is up";
            EXPECT_EQ(CursorCount() - before, c.change);
        }
    }
}

TEST(AppName, IsTheApplicationsName)
{
    EXPECT_STREQ(ZGetAppName(), kAppName);
    EXPECT_EQ(ZGetAppName(), AfxGetModuleState()->m_lpszCurrentAppName);
}

class CopyableParent : public ZParentable {
public:
    CopyableParent() = default;
    CopyableParent(const CopyableParent& other) = default;
};

TEST(Parentable, StartsWithTheThreadsMainWindow)
{
    TopWindow main;
    ASSERT_NE(main.m_hWnd, nullptr) << "no display";
    g_app.m_pMainWnd = &main;
    CopyableParent parentable;
    g_app.m_pMainWnd = nullptr;

    ASSERT_NE(parentable.GetParentWindow(), nullptr);
    EXPECT_EQ(parentable.GetParentWindow()->m_hWnd, main.m_hWnd);
    EXPECT_EQ(parentable.GetParentWindow(), &main);  // the attached object, not a temporary

    CopyableParent copy(parentable);
    EXPECT_EQ(copy.GetParentWindow(), &main);

    parentable.SetParentWindow(nullptr);
    EXPECT_EQ(parentable.GetParentWindow(), nullptr);
    EXPECT_EQ(copy.GetParentWindow(), &main);
}

TEST(Parentable, GivesTheParentsActivePopup)
{
    TopWindow main;
    ASSERT_NE(main.m_hWnd, nullptr) << "no display";
    ZParentable parentable;
    parentable.SetParentWindow(&main);
    EXPECT_EQ(parentable.GetParentWindow(), &main);

    TopWindow popup(main.m_hWnd, WS_POPUP | WS_CAPTION | WS_VISIBLE);
    ASSERT_NE(popup.m_hWnd, nullptr);
    ::SetActiveWindow(popup.m_hWnd);
    if (::GetLastActivePopup(main.m_hWnd) != popup.m_hWnd)
        GTEST_SKIP() << "the platform did not record the pop-up as the last active one";
    EXPECT_EQ(parentable.GetParentWindow(), &popup);
}

TEST(Parentable, ThreadsWithoutAThreadObjectHaveNoParent)
{
    CWnd* parent = reinterpret_cast<CWnd*>(1);
    std::thread([&parent] {
        ZParentable parentable;
        parent = parentable.GetParentWindow();
    }).join();
    EXPECT_EQ(parent, nullptr);
}

}  // namespace
