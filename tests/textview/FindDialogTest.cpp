// The Find dialog under a real window manager: what reaches the host's sink as the user types, finds or
// closes (posted messages ahead of a sentinel) or the host reports its buffer's end, and where it opens.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TessaroMessages.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/textview/TextViewTestLines.h"
#include "textview/ZFindDialog.h"

namespace {

struct RecordingSink : IFindDialogSink {
    std::vector<std::string> events;
    std::vector<std::wstring> textsAtFindNext;
    ZFindDialog* dialog = nullptr;

    void OnFindNext() override
    {
        events.push_back("next");
        if (dialog)
            textsAtFindNext.push_back(dialog->GetString().str());
    }
    void OnFindDialogClosing(bool wrapAround) override { events.push_back(wrapAround ? "closing wrap" : "closing"); }
    void OnFindDialogActivate() override { events.push_back("activate"); }
    void OnFindDialogMove() override { events.push_back("move"); }
    void OnFindRestart(bool endOfBuffer) override { events.push_back(endOfBuffer ? "end" : "restart"); }

    // The events other than activation, which depends on the window manager.
    std::vector<std::string> Requests() const
    {
        std::vector<std::string> requests = events;
        std::erase_if(requests, [](const std::string& event) { return event == "activate" || event == "move"; });
        return requests;
    }
};

using Events = std::vector<std::string>;

class FindDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                    nullptr, nullptr));
    }
    void TearDown() override
    {
        m_dialog.reset();
        m_host.DestroyWindow();
    }

    ZFindDialog& MakeDialog(bool wrapAround, const wchar_t* text = L"", ZPoint position = {})
    {
        m_dialog = std::make_unique<ZFindDialog>(text, FR_DOWN, &m_sink, &m_host, wrapAround);
        m_sink.dialog = m_dialog.get();
        EXPECT_TRUE(m_dialog->Create(position));
        RunUntilSentinel();
        m_sink.events.clear();
        return *m_dialog;
    }
    HWND SearchField() const { return ::FindWindowExW(m_dialog->GetSafeHwnd(), nullptr, L"Edit", nullptr); }
    void Press(int id)
    {
        HWND dialog = m_dialog->GetSafeHwnd();
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    }
    void Type(const wchar_t* text)
    {
        for (const wchar_t* c = text; *c; ++c)
            ::PostMessageW(SearchField(), WM_CHAR, *c, 1);
    }
    void RunUntilSentinel() { TextViewTest::RunUntilSentinel(m_host.GetSafeHwnd()); }

    CWnd m_host;
    RecordingSink m_sink;
    std::unique_ptr<ZFindDialog> m_dialog;
};

}  // namespace

TEST(FindDialogFlags, OnlyDirectionWholeWordAndMatchCaseAreKept)
{
    struct Case {
        unsigned long flags;
        bool wrapAround;
        unsigned long expected;
    } cases[] = {
        {FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE, false, 0x7 | 0x40000},
        {FR_DOWN | FR_REPLACE | FR_HIDEUPDOWN | FR_ENABLEHOOK | FR_DIALOGTERM, false, 0x1 | 0x40000},
        {0, true, 0x40000 | 0x100000},
        {FR_MATCHCASE | 0x100000, false, 0x4 | 0x40000},  // wrap around only from its own argument
    };
    for (const Case& c : cases) {
        ZFindDialog dialog(L"x", c.flags, nullptr, nullptr, c.wrapAround);
        EXPECT_EQ(dialog.GetFlags(), c.expected) << std::hex << c.flags;
    }
}

// The parent object exists from the start; its window only for the second try.
TEST_F(FindDialogTest, CreateFailsWithoutAParentAndCanBeRetried)
{
    CWnd parent;
    m_dialog = std::make_unique<ZFindDialog>(L"x", FR_DOWN, &m_sink, &parent, false);
    EXPECT_FALSE(m_dialog->Create(ZPoint{}));
    EXPECT_EQ(m_dialog->GetSafeHwnd(), nullptr);
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"late parent", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_TRUE(m_dialog->Create(ZPoint{}));
    EXPECT_NE(m_dialog->GetSafeHwnd(), nullptr);
    m_dialog.reset();
    parent.DestroyWindow();
}

TEST_F(FindDialogTest, TypingRestartsTheSearchForEveryChange)
{
    MakeDialog(false);
    ASSERT_NE(SearchField(), nullptr);
    Type(L"err");
    RunUntilSentinel();
    RunUntilSentinel();  // each change is posted on, behind the first sentinel
    EXPECT_EQ(m_sink.Requests(), (Events{"restart", "restart", "restart"}));
}

TEST_F(FindDialogTest, FindNextAndTheEndOfTheBufferReachTheSinkWithTheText)
{
    struct Case {
        bool pressFindNext;  // or the host reports the end of its buffer
        bool wrapAround;
        Events expected;
    } cases[] = {
        {true, false, {"next"}},
        {true, true, {"restart", "next"}},  // wrap around: each search starts afresh
        {false, false, {"end", "next"}},
        {false, true, {"restart", "next"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pressFindNext << c.wrapAround);
        ZFindDialog& dialog = MakeDialog(c.wrapAround, L"warn");
        m_sink.textsAtFindNext.clear();
        if (c.pressFindNext) {
            Press(IDOK);
            RunUntilSentinel();
            EXPECT_TRUE(dialog.GetFlags() & FR_FINDNEXT);
        } else {
            dialog.EndOfFindBufferReached();
        }
        EXPECT_EQ(m_sink.Requests(), c.expected);
        EXPECT_EQ(m_sink.textsAtFindNext, std::vector<std::wstring>{L"warn"});
    }
}

TEST_F(FindDialogTest, ClosingTellsTheSinkAndLeavesTheObjectToTheHost)
{
    for (bool wrapAround : {false, true}) {
        ZFindDialog& dialog = MakeDialog(wrapAround, L"timeout");
        HWND window = dialog.GetSafeHwnd();
        Press(IDCANCEL);
        RunUntilSentinel();
        EXPECT_EQ(m_sink.Requests(), (Events{wrapAround ? "closing wrap" : "closing"}));
        EXPECT_FALSE(::IsWindow(window));
        // Still the host's object: its text survives the platform dialog.
        EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
        EXPECT_EQ(dialog.GetString(), L"timeout");
    }
}

TEST_F(FindDialogTest, TheEndOfBufferMessageIsTheDialogs)
{
    ZFindDialog& dialog = MakeDialog(false);
    TestSupport::MessageBoxWatcher watcher(IDOK);
    dialog.PresentEndOfBufferMessage();
    ASSERT_EQ(watcher.Boxes().size(), 1u);
    const TestSupport::ShownMessageBox& box = watcher.Boxes().front();
    EXPECT_EQ(box.owner, dialog.GetSafeHwnd());
    const std::wstring text = box.text;
    EXPECT_EQ(text.substr(0, text.find_last_not_of(L"\r\n") + 1), L"End of buffer reached");  // less the final break
    EXPECT_EQ(box.buttons, (std::vector<int>{IDOK}));
    EXPECT_EQ(box.icon, TestSupport::SystemIconFor(MB_ICONEXCLAMATION));
}

TEST_F(FindDialogTest, OpensAtAStoredPositionOnlyWhenAMonitorShowsIt)
{
    ZFindDialog& placed = MakeDialog(false, L"", ZPoint{120, 90});
    EXPECT_EQ(placed.GetPosition(), (ZPoint{120, 90}));

    ZFindDialog& offScreen = MakeDialog(false, L"", ZPoint{-50000, -50000});
    const ZPoint where = offScreen.GetPosition();
    EXPECT_TRUE(::MonitorFromPoint(POINT{where.x, where.y}, MONITOR_DEFAULTTONULL) != nullptr);

    offScreen.BringToTop(ZPoint{200, 150}, false);
    RunUntilSentinel();
    EXPECT_EQ(offScreen.GetPosition(), (ZPoint{200, 150}));
    EXPECT_TRUE(::IsWindowVisible(offScreen.GetSafeHwnd()));
    EXPECT_NE(std::find(m_sink.events.begin(), m_sink.events.end(), "move"), m_sink.events.end());
    offScreen.Hide();
    EXPECT_FALSE(::IsWindowVisible(offScreen.GetSafeHwnd()));
}

TEST_F(FindDialogTest, DeletingAnOpenDialogTellsNobody)
{
    MakeDialog(true, L"abc");
    HWND window = m_dialog->GetSafeHwnd();
    m_dialog.reset();
    RunUntilSentinel();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(m_sink.events.empty());
}
