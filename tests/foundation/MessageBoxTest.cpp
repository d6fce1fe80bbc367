// The library's message boxes, shown for real and closed by a hook, and the parent-window holder.
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
        if (HWND window = ::CreateWindowExW(0, L"Static", L"parent", style, 40, 40, 300, 200, owner, nullptr,
                                            nullptr, nullptr))
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

void SetCursorCount(int count)
{
    while (CursorCount() < count)
        ::ShowCursor(TRUE);
    while (CursorCount() > count)
        ::ShowCursor(FALSE);
}

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_parent.m_hWnd, nullptr) << "no display";
        m_savedCursor = CursorCount();
    }
    void TearDown() override { SetCursorCount(m_savedCursor); }

    TopWindow m_parent;
    int m_savedCursor = 0;
};
using Parentable = MessageBoxes;

// Which overload shows the box: text or report, with a parent window or without.
enum class Call { Parent, NoParent, TextOnly, ReportParent, ReportOnly, MissingReport };

TEST_F(MessageBoxes, IconCaptionAndTextFollowTheParentAndButtons)
{
    const struct {
        Call call;
        UINT type;
        const wchar_t* caption;
        UINT expectedIcon;  // an MB_ICON... value, 0 for none
        const wchar_t* expectedCaption;
    } cases[] = {
        {Call::Parent, MB_YESNO, nullptr, MB_ICONQUESTION, kAppName},
        {Call::Parent, MB_YESNOCANCEL, nullptr, MB_ICONQUESTION, kAppName},
        {Call::Parent, MB_OK, nullptr, MB_ICONEXCLAMATION, kAppName},
        {Call::Parent, MB_OKCANCEL, nullptr, MB_ICONEXCLAMATION, kAppName},
        {Call::Parent, MB_RETRYCANCEL, nullptr, 0, kAppName},
        {Call::Parent, MB_YESNO | MB_ICONERROR, nullptr, MB_ICONERROR, kAppName},
        {Call::Parent, MB_YESNO, L"Own caption", MB_ICONQUESTION, L"Own caption"},
        // Without a parent: the application's box, no icon added, caption unused.
        {Call::NoParent, MB_OK, L"Ignored", 0, kAppName},
        {Call::NoParent, MB_YESNO | MB_ICONERROR, nullptr, MB_ICONERROR, kAppName},
        {Call::TextOnly, MB_YESNO, L"Ignored", 0, kAppName},
        // The report overloads pass the report's text on to the text overloads.
        {Call::ReportParent, MB_YESNO, nullptr, MB_ICONQUESTION, kAppName},
        {Call::ReportOnly, MB_YESNO, L"Ignored", 0, kAppName},
        {Call::MissingReport, MB_OK, nullptr, MB_ICONEXCLAMATION, kAppName},
    };
    ZReportMessageParams report(0x61330019);
    const std::wstring reportText = report.GetText();
    ASSERT_EQ(reportText, L"End of buffer reached\r\n");
    const auto* missing = static_cast<const IReportMessageParams*>(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "call " << static_cast<int>(c.call) << ", type 0x" << std::hex << c.type);
        MessageBoxWatcher watcher(IDNO);
        ASSERT_TRUE(watcher.Hooked());
        const wchar_t* text = L"Shall we?";
        const auto show = [&] {
            switch (c.call) {
            case Call::Parent: return ZMessageBox(&m_parent, text, c.type, c.caption);
            case Call::NoParent: return ZMessageBox(nullptr, text, c.type, c.caption);
            case Call::TextOnly: return ZMessageBox(text, c.type, c.caption);
            case Call::ReportParent: return ZMessageBox(&m_parent, &report, c.type, c.caption);
            case Call::ReportOnly: return ZMessageBox(&report, c.type, c.caption);
            case Call::MissingReport: return ZMessageBox(&m_parent, missing, c.type, c.caption);
            }
            return 0;
        };
        EXPECT_EQ(show(), IDNO);
        // The report overloads show the report's text, a missing report none.
        if (c.call >= Call::ReportParent)
            text = c.call == Call::MissingReport ? L"" : reportText.c_str();
        ASSERT_EQ(watcher.Boxes().size(), 1u);
        const ShownMessageBox& box = watcher.Boxes()[0];
        EXPECT_EQ(box.caption, c.expectedCaption);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, SystemIconFor(c.expectedIcon));
        EXPECT_EQ(box.HasButton(IDYES), (c.type & MB_TYPEMASK) == MB_YESNO || (c.type & MB_TYPEMASK) == MB_YESNOCANCEL);
        // Without a parent the box belongs to the main window, and there is none here.
        const bool withParent = c.call == Call::Parent || c.call == Call::ReportParent || c.call == Call::MissingReport;
        EXPECT_EQ(box.owner, withParent ? m_parent.m_hWnd : nullptr);
    }
}

TEST_F(MessageBoxes, CursorIsHiddenAgainOnlyWhenItWasHidden)
{
    CURSORINFO probe = {};
    probe.cbSize = sizeof(probe);
    SetCursorCount(-1);
    if (!::GetCursorInfo(&probe) || (probe.flags & CURSOR_SHOWING))
        GTEST_SKIP() << "the platform does not report a hidden cursor through GetCursorInfo";

    for (int start : {-1, 0}) {
        for (bool withParent : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "display count " << start << ", parent " << withParent);
            // The platform's own box may move the count while it is up: measure a
            // plain box from the same start as the baseline.
            SetCursorCount(start);
            int plainChange = 0;
            {
                MessageBoxWatcher watcher(IDOK);
                ::MessageBoxW(withParent ? m_parent.m_hWnd : nullptr, L"Plain", L"Plain", MB_OK);
                ASSERT_EQ(watcher.Boxes().size(), 1u);
                plainChange = watcher.Boxes()[0].cursorCount - start;
            }
            SetCursorCount(start);
            MessageBoxWatcher watcher(IDOK);
            ZMessageBox(withParent ? &m_parent : nullptr, L"Cursor", MB_OK);
            ASSERT_EQ(watcher.Boxes().size(), 1u);
            EXPECT_EQ(watcher.Boxes()[0].cursorCount - start, plainChange + 1) << "shown once more while the box is up";
            // Hidden before: hidden again; showing before: left showing once more.
            EXPECT_EQ(CursorCount() - start, start < 0 ? 0 : 1);
        }
    }
}

class CopyableParent : public ZParentable {
public:
    CopyableParent() = default;
    CopyableParent(const CopyableParent& other) = default;
};

TEST_F(Parentable, StartsWithTheThreadsMainWindow)
{
    g_app.m_pMainWnd = &m_parent;
    CopyableParent parentable;
    g_app.m_pMainWnd = nullptr;
    EXPECT_EQ(parentable.GetParentWindow(), &m_parent);  // the attached object, not a temporary

    CopyableParent copy(parentable);
    parentable.SetParentWindow(nullptr);
    EXPECT_EQ(parentable.GetParentWindow(), nullptr);
    EXPECT_EQ(copy.GetParentWindow(), &m_parent);
}

TEST_F(Parentable, GivesTheParentsActivePopup)
{
    ZParentable parentable;
    parentable.SetParentWindow(&m_parent);
    TopWindow popup(m_parent.m_hWnd, WS_POPUP | WS_CAPTION | WS_VISIBLE);
    ASSERT_NE(popup.m_hWnd, nullptr);
    ::SetActiveWindow(popup.m_hWnd);
    if (::GetLastActivePopup(m_parent.m_hWnd) != popup.m_hWnd)
        GTEST_SKIP() << "the platform did not record the pop-up as the last active one";
    EXPECT_EQ(parentable.GetParentWindow(), &popup);
}

TEST_F(Parentable, ThreadsWithoutAThreadObjectHaveNoParent)
{
    CWnd* parent = reinterpret_cast<CWnd*>(1);
    std::thread([&parent] { parent = ZParentable().GetParentWindow(); }).join();
    EXPECT_EQ(parent, nullptr);
}

}  // namespace
