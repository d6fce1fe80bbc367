// The line edit (placeholder, clear button, search mode, tooltips) and the password edit (literal control
// characters, the wipe on destruction) under a real display. The clear button is clicked by posting the
// non-client click the platform sends for a press at its centre.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/ZLineEdit.h"
#include "controls/ZPasswordEdit.h"
#include "tests/support/WindowReaders.h"
#include "tests/controls/ListsTestHost.h"
#include "tests/support/FreedMemoryWatch.h"

#include <commctrl.h>

namespace {

using TestSupport::WindowText;
using ListsTest::Host;
using ListsTest::Pump;

constexpr UINT kLineEditId = 200;
constexpr UINT kOtherId = 201;
constexpr UINT kPasswordId = 202;

class LineEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Make(320, 120));
        ::SetForegroundWindow(host.m_hWnd);
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 60, 200, 84), &host, kOtherId));
    }
    void MakeEdit(bool searchMode)
    {
        ASSERT_TRUE(edit.Create(&host, kLineEditId));
        edit.ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
        edit.MoveWindow(10, 10, 200, 26);
        edit.OnInitControl(L"Filter", searchMode);
        Pump();
    }
    // The colour the host's reflection gives the edit's text.
    COLORREF TextColour()
    {
        const HDC dc = ::GetDC(edit.m_hWnd);
        ::SetTextColor(dc, RGB(1, 2, 3));
        host.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit.m_hWnd));
        const COLORREF colour = ::GetTextColor(dc);
        ::ReleaseDC(edit.m_hWnd, dc);
        return colour;
    }
    void ClickButton()
    {
        RECT button, window;
        edit.GetButtonRect(button);
        edit.GetWindowRect(&window);
        const LPARAM at = MAKELPARAM(window.left + (button.left + button.right) / 2,
                                     window.top + (button.top + button.bottom) / 2);
        const LRESULT hit = edit.SendMessage(WM_NCHITTEST, 0, at);
        edit.PostMessage(WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), at);
        Pump();
    }
    std::wstring ToolText(CToolTipCtrl& tooltip)
    {
        wchar_t text[128] = {};
        TTTOOLINFOW info = {};
        info.cbSize = sizeof info;
        info.hwnd = edit.m_hWnd;
        info.uId = 1;
        info.lpszText = text;
        tooltip.SendMessage(TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
        return text;
    }

public:
    Host host;
    CEdit other;
    ZLineEdit edit;
};

TEST_F(LineEditTest, PlaceholderComesAndGoesWithFocusAndIsGrey)
{
    MakeEdit(false);
    struct Step { const char* what; void (*act)(LineEditTest&); const wchar_t* text; bool placeholder; };
    const Step steps[] = {
        {"made", [](LineEditTest&) {}, L"Filter", true},
        {"focused", [](LineEditTest& t) { t.edit.SetFocus(); }, L"", false},
        {"left empty", [](LineEditTest& t) { t.other.SetFocus(); }, L"Filter", true},
        {"typed into", [](LineEditTest& t) { t.edit.SetFocus(); t.edit.SendMessage(WM_CHAR, 'a', 1); }, L"a", false},
        {"left with text", [](LineEditTest& t) { t.other.SetFocus(); }, L"a", false},
        {"given the placeholder", [](LineEditTest& t) { t.edit.SetWindowText(L"Filter"); }, L"Filter", true},
    };
    for (const Step& step : steps) {
        step.act(*this);
        Pump();
        EXPECT_EQ(WindowText(edit.m_hWnd), step.text) << step.what;
        EXPECT_EQ(edit.IsPlaceholderText(), step.placeholder) << step.what;
        if (!edit.HasFocus()) {
            EXPECT_EQ(TextColour() == ZLineEdit::kPlaceholderColor, step.placeholder) << step.what;
        }
    }
}

TEST_F(LineEditTest, ClearingEmptiesTheTextAndShowsThePlaceholderOnlyWithoutFocus)
{
    MakeEdit(false);
    RECT button;
    edit.GetButtonRect(button);
    ASSERT_GT(button.right - button.left, 0);
    ClickButton();  // the placeholder is no text to clear
    EXPECT_EQ(WindowText(edit.m_hWnd), L"Filter");
    edit.SetWindowText(L"abc");
    ClickButton();
    EXPECT_EQ(WindowText(edit.m_hWnd), L"");

    other.SetFocus();
    edit.SetWindowText(L"abc");
    edit.Clear();
    EXPECT_EQ(WindowText(edit.m_hWnd), L"Filter");
    edit.SetFocus();
    edit.SendMessage(WM_CHAR, 'x', 1);
    edit.Clear();
    EXPECT_EQ(WindowText(edit.m_hWnd), L"");
}

TEST_F(LineEditTest, SearchModeClearsByButtonEscapeAndClearAndSwitchesTooltip)
{
    MakeEdit(true);
    EXPECT_TRUE(edit.IsSearchMode());
    EXPECT_EQ(WindowText(edit.m_hWnd), L"");  // the prompt is drawn, not set as text
    EXPECT_EQ(ToolText(edit.ActiveTooltip()), L"Search");

    edit.SetWindowText(L"needle");
    EXPECT_EQ(ToolText(edit.ActiveTooltip()), L"Clear (Esc)");
    ClickButton();
    EXPECT_EQ(WindowText(edit.m_hWnd), L"");

    edit.SetWindowText(L"needle");
    edit.SendMessage(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(WindowText(edit.m_hWnd), L"");

    // Cleared by the host: the prompt is only drawn, never held as text.
    edit.SetWindowText(L"needle");
    edit.Clear();
    EXPECT_EQ(WindowText(edit.m_hWnd), L"");
}

// --- password edit -------------------------------------------------------------------

class PasswordEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Make(320, 80));
        MakeEdit();
    }
    void MakeEdit()
    {
        edit = std::make_unique<ZPasswordEdit>();
        ASSERT_TRUE(edit->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(10, 10, 200, 34), &host,
                                 kPasswordId));
    }
    // The text the edit holds once its own WM_DESTROY handling is done.
    std::wstring TextLeftAtDestruction()
    {
        std::wstring seen = L"(not seen)";
        ::SetWindowSubclass(edit->m_hWnd, &WatchDestroy, 1, reinterpret_cast<DWORD_PTR>(&seen));
        edit->DestroyWindow();
        return seen;
    }
    static LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data)
    {
        if (message == WM_NCDESTROY) {
            *reinterpret_cast<std::wstring*>(data) = WindowText(window);
            ::RemoveWindowSubclass(window, &WatchDestroy, 1);
        }
        return ::DefSubclassProc(window, message, wParam, lParam);
    }

    Host host;
    std::unique_ptr<ZPasswordEdit> edit;
};

TEST_F(PasswordEditTest, ControlCharactersAreTypedLiterally)
{
    struct Case { const wchar_t* before; int selStart, selEnd; wchar_t ch; const wchar_t* after; int caret; };
    const Case cases[] = {
        {L"abcd", 1, 3, 1, L"a\001d", 2},     // Ctrl+A replaces the selection
        {L"abcd", 4, 4, 3, L"abcd\003", 5},   // Ctrl+C at the end
        {L"abcd", 0, 0, 31, L"\037abcd", 1},  // the last control character
        {L"abcd", 2, 2, 8, L"acd", 1},        // backspace keeps its meaning
        {L"abcd", 0, 4, L'x', L"x", 1},       // printable text as usual
    };
    for (const Case& c : cases) {
        edit->SetWindowText(c.before);
        edit->SetSel(c.selStart, c.selEnd);
        edit->SendMessage(WM_CHAR, c.ch, 1);
        EXPECT_EQ(WindowText(edit->m_hWnd), c.after) << "char " << int(c.ch);
        int start = -1, end = -1;
        edit->GetSel(start, end);
        EXPECT_EQ(start, c.caret) << "char " << int(c.ch);
        EXPECT_EQ(end, c.caret) << "char " << int(c.ch);
    }
}

TEST_F(PasswordEditTest, CtrlVPastesAsUsual)
{
    ASSERT_TRUE(::OpenClipboard(host.m_hWnd));
    ::EmptyClipboard();
    const wchar_t pasted[] = L"PQ";
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
    memcpy(::GlobalLock(block), pasted, sizeof pasted);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_UNICODETEXT, block);
    ::CloseClipboard();

    edit->SetWindowText(L"ab");
    edit->SetSel(1, 1);
    edit->SendMessage(WM_CHAR, 22, 1);
    EXPECT_EQ(WindowText(edit->m_hWnd), L"aPQb");
}

TEST_F(PasswordEditTest, CopiesOfTheSecretAreWipedWhenFreed)
{
    edit->SetWindowText(L"Hunter2Secret");
    TestSupport::FreedMemoryWatch watch;
    edit->SetSel(7, 7);
    edit->SendMessage(WM_CHAR, 1, 1);
    EXPECT_EQ(edit->GetSecret(), L"Hunter2\001Secret");
    EXPECT_GT(watch.BlocksFreed(), 0u);
    EXPECT_FALSE(watch.HoldsText(L"Hunter2"));
    EXPECT_FALSE(watch.HoldsText(L"Secret"));
}

TEST_F(PasswordEditTest, DestructionOverwritesTheTextAndAnEmptyEditGetsThirtyTwoStars)
{
    for (const auto& [text, stars] : {std::pair{L"s3cr3t!!", 8}, std::pair{L"", 32}}) {
        MakeEdit();
        edit->SetWindowText(text);
        EXPECT_EQ(TextLeftAtDestruction(), std::wstring(stars, L'*')) << stars;
    }
}

}  // namespace
