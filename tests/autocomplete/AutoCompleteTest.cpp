// Auto-completion: the completion source against recording providers (stale
// answers, folding, synchronous and late answers), and the drop-down under a
// real display driven by posted keys: the selection cycle, restoring the typed
// text, accepting, hiding, sizing and detaching.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "autocomplete/ZAutoCompleteBase.h"
#include "tests/autocomplete/DropDownHost.h"
#include "tests/support/WindowReaders.h"

namespace {

using namespace AutoCompleteTest;

// The window-free half, opened up for the test.
class Source : public ZAutoCompleteBase {
public:
    using ZAutoCompleteBase::AutoComplete;
    using ZAutoCompleteBase::GetCompletionAtIndex;
    using ZAutoCompleteBase::GetCompletionCount;
    using ZAutoCompleteBase::OnAutoComplete;
    Source(IAutoCompleteDataSource* provider, IAutoCompleteSink* sink) : ZAutoCompleteBase(provider, sink) {}
    int notified = 0;
    Strings Completions()
    {
        Strings all;
        for (size_t i = 0; i < GetCompletionCount(); ++i)
            all.push_back(GetCompletionAtIndex(i));
        return all;
    }

private:
    void OnAutoComplete() override { ++notified; }
};

TEST(CompletionSource, AsksOnceForEachNewTextAndKeepsOnlyCurrentAnswers)
{
    struct Step {
        const wchar_t* typed;  // null: answer the kept request instead
        Strings answer = {};   // for an answer step
        const wchar_t* answerFor = nullptr;
    };
    struct Case {
        const char* name;
        bool atOnce;
        std::vector<Step> steps;
        Strings requests;
        Strings completions;
        int notified;
    };
    const Case cases[] = {
        {"same text twice asks once", true, {{L"a"}, {L"a"}}, {L"a"}, {L"ab", L"abc", L"ab"}, 1},
        {"only consecutive texts fold", true, {{L"ab"}, {L"a"}, {L"ab"}}, {L"ab", L"a", L"ab"}, {L"ab", L"abc", L"ab"}, 3},
        {"stale answer dropped, old list kept", false,
         {{L"ab"}, {nullptr, {L"ab1"}, L"ab"}, {L"abc"}, {nullptr, {L"late"}, L"ab"}},
         {L"ab", L"abc"}, {L"ab1"}, 1},
        {"empty answer empties and notifies", false,
         {{L"x"}, {nullptr, {L"x1", L"x1"}, L"x"}, {nullptr, {}, L"x"}}, {L"x"}, {}, 2},
        {"empty text asked after another", true, {{L"a"}, {L""}}, {L"a", L""}, {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto provider = TestSupport::Own(new Provider);
        provider->candidates = {L"ab", L"abc", L"ab", L"b"};  // duplicates are the provider's business
        provider->answerAtOnce = c.atOnce;
        Sink sink;
        auto source = TestSupport::Own(new Source(provider.Get(), &sink));
        for (const Step& step : c.steps) {
            if (step.typed)
                source->AutoComplete(step.typed);
            else
                source->OnAutoComplete(step.answerFor, step.answer, provider.Get());
        }
        EXPECT_EQ(provider->requests, c.requests);
        EXPECT_EQ(source->Completions(), c.completions);
        EXPECT_EQ(source->notified, c.notified);
        EXPECT_EQ(source->GetCompletionAtIndex(source->GetCompletionCount()), L"");
    }
}

TEST(CompletionSource, LateAnswersFromAnotherThreadOnlyCountForTheLatestText)
{
    auto provider = TestSupport::Own(new Provider);
    provider->answerAtOnce = false;
    Sink sink;
    auto source = TestSupport::Own(new Source(provider.Get(), &sink));
    source->AutoComplete(L"h");
    source->AutoComplete(L"ho");
    std::thread([&] {
        provider->lastSink->OnAutoComplete(L"ho", {L"host1", L"host2"}, provider.Get());
        provider->lastSink->OnAutoComplete(L"h", {L"stale"}, provider.Get());
    }).join();
    EXPECT_EQ(source->Completions(), (Strings{L"host1", L"host2"}));
    EXPECT_EQ(source->notified, 1);
    // The source holds the provider until it dies.
    const LONG held = provider->References();
    source.Reset();
    EXPECT_EQ(provider->References(), held - 1);
}

// --- the drop-down -----------------------------------------------------------

void Key(HWND edit, WPARAM key)
{
    ::PostMessageW(edit, WM_KEYDOWN, key, 1);
    ::PostMessageW(edit, WM_KEYUP, key, 0xC0000001);
    Pump();
}

// Holds the given keys down for GetKeyState, as the key's own messages would.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys)
    {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        ::GetKeyboardState(state);
        for (int key : keys)
            state[key] = 0x80;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

TEST_F(DropDown, KeysCycleThroughTheRowsAndBringTheTypedTextBack)
{
    Type(m_edit, L"al");
    ASSERT_TRUE(Shown());
    ASSERT_EQ(Rows(), 3);
    struct Step {
        WPARAM key;
        bool shift;
        const wchar_t* expected;
    };
    const Step steps[] = {
        {VK_DOWN, false, L"alpha"}, {VK_DOWN, false, L"alpine"}, {VK_TAB, false, L"altair"},
        {VK_DOWN, false, L"al"},    // past the last row: typed text back
        {VK_DOWN, false, L"alpha"}, {VK_UP, false, L"al"},        // up from row 0
        {VK_UP, false, L"altair"},  // up from none: the last row
        {VK_TAB, true, L"alpine"},  // Shift+Tab as Up
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "key " << step.key << " to " << std::string(step.expected, step.expected + wcslen(step.expected)));
        {
            HeldKeys held = step.shift ? HeldKeys{VK_SHIFT} : HeldKeys{};
            Key(m_edit, step.key);
        }
        EXPECT_EQ(TestSupport::WindowText(m_edit), step.expected);
        DWORD start = 0, end = 0;
        ::SendMessageW(m_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, wcslen(step.expected));
        EXPECT_EQ(end, wcslen(step.expected));
        EXPECT_EQ(::GetFocus(), m_edit);
    }
    // Selections write the edit without asking the provider again.
    EXPECT_EQ(provider->requests, (Strings{L"a", L"al"}));
}

TEST_F(DropDown, ReturnAcceptsTheRowOrTheTextWithTheModifiersOfTheMoment)
{
    Type(m_edit, L"alp");
    Key(m_edit, VK_DOWN);
    {
        HeldKeys held{VK_CONTROL};
        Key(m_edit, VK_RETURN);
    }
    ASSERT_EQ(sink.accepted.size(), 1u);
    EXPECT_EQ(sink.accepted[0].text, L"alpha");
    EXPECT_TRUE(sink.accepted[0].fromList);
    EXPECT_TRUE(sink.accepted[0].control);
    EXPECT_FALSE(sink.accepted[0].alt || sink.accepted[0].shift);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(TestSupport::WindowText(m_edit), L"alp");  // hiding restores what was typed

    Type(m_edit, L"zz");  // no completions: no list
    EXPECT_FALSE(Shown());
    Key(m_edit, VK_RETURN);
    ASSERT_EQ(sink.accepted.size(), 2u);
    EXPECT_EQ(sink.accepted[1].text, L"alpzz");
    EXPECT_FALSE(sink.accepted[1].fromList);
}

TEST_F(DropDown, EscapeClearsAndAsksForTheEmptyText)
{
    Type(m_edit, L"b");
    ASSERT_TRUE(Shown());
    Key(m_edit, VK_ESCAPE);
    EXPECT_EQ(TestSupport::WindowText(m_edit), L"");
    EXPECT_EQ(provider->requests.back(), L"");
    EXPECT_FALSE(Shown());
}

TEST_F(DropDown, HidesWhenFocusLeavesOrTheWindowMovesAndShowsOnlyWithFocus)
{
    HWND other = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 10, 60, 100, 22, m_window, nullptr,
                                   nullptr, nullptr);
    Type(m_edit, L"al");
    Key(m_edit, VK_DOWN);
    ASSERT_TRUE(Shown());
    ::SetWindowPos(m_window, nullptr, 130, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    EXPECT_FALSE(Shown());
    EXPECT_EQ(TestSupport::WindowText(m_edit), L"al");  // the keyed selection gives way to the typed text

    Type(m_edit, L"p");
    ASSERT_TRUE(Shown());
    ::SetFocus(other);
    Pump();
    EXPECT_FALSE(Shown());
    // An answer arriving without focus does not show the list.
    provider->lastSink->OnAutoComplete(L"alp", {L"alpha"}, provider.Get());
    Pump();
    EXPECT_FALSE(Shown());
}

TEST_F(DropDown, AClickOutsideHidesAndAClickInsideDoesNot)
{
    Type(m_edit, L"al");
    ASSERT_TRUE(Shown());
    auto click = [](POINT at) {
        const LONG x = at.x * 65536 / ::GetSystemMetrics(SM_CXSCREEN) + 1;
        const LONG y = at.y * 65536 / ::GetSystemMetrics(SM_CYSCREEN) + 1;
        INPUT input[3] = {};
        for (INPUT& i : input) {
            i.type = INPUT_MOUSE;
            i.mi.dx = x;
            i.mi.dy = y;
        }
        input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
        input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
        ::SendInput(3, input, sizeof(INPUT));
        Pump();
        Pump();
    };
    RECT edit = {};
    ::GetWindowRect(m_edit, &edit);
    click(POINT{edit.left + 5, edit.top + 5});
    EXPECT_TRUE(Shown());
    click(POINT{edit.left + 5, edit.bottom + 150});  // on the host window, below the list
    EXPECT_FALSE(Shown());
}

TEST_F(DropDown, HoveringSelectsWithoutWritingAndReturnTakesTheHoveredRow)
{
    Type(m_edit, L"al");
    ASSERT_TRUE(Shown());
    NMLISTVIEW hot = {};
    hot.hdr.hwndFrom = list;
    hot.hdr.code = LVN_HOTTRACK;
    hot.iItem = 2;
    ::SendMessageW(popup, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hot));
    EXPECT_EQ(TestSupport::WindowText(m_edit), L"al");
    Key(m_edit, VK_RETURN);
    ASSERT_EQ(sink.accepted.size(), 1u);
    EXPECT_EQ(sink.accepted[0].text, L"altair");
}

TEST_F(DropDown, RowTextsComeFromTheSourceCutToTheBuffer)
{
    provider->candidates.clear();
    for (int i = 0; i < 10000; ++i)
        provider->candidates.push_back(L"host-" + std::to_wstring(i) + L".example.org");
    Type(m_edit, L"h");
    ASSERT_EQ(Rows(), 10000);
    wchar_t buffer[6] = {L'x', L'x', L'x', L'x', L'x', L'x'};
    LVITEMW item = {};
    item.pszText = buffer;
    item.cchTextMax = 6;
    ::SendMessageW(list, LVM_GETITEMTEXTW, 9999, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(buffer), L"host-");
    wchar_t whole[64] = {};
    item.pszText = whole;
    item.cchTextMax = 64;
    ::SendMessageW(list, LVM_GETITEMTEXTW, 9999, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(whole), L"host-9999.example.org");
}

TEST_F(DropDown, ASizeChosenWithTheGripIsKeptAtLaterShows)
{
    Type(m_edit, L"al");
    ASSERT_TRUE(Shown());
    RECT edit = {}, first = {};
    ::GetWindowRect(m_edit, &edit);
    ::GetWindowRect(popup, &first);
    EXPECT_EQ(first.left, edit.left);
    EXPECT_EQ(first.top, edit.bottom);
    EXPECT_EQ(first.right - first.left, 2 * (edit.right - edit.left));

    RECT drag = {first.left, first.top, first.left + 333, first.top + 111};
    ::SendMessageW(popup, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&drag));
    ::SetWindowPos(popup, nullptr, 0, 0, 333, 111, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Key(m_edit, VK_ESCAPE);
    Type(m_edit, L"alp");
    ASSERT_TRUE(Shown());
    RECT later = {};
    ::GetWindowRect(popup, &later);
    EXPECT_EQ(later.right - later.left, 333);
    EXPECT_EQ(later.bottom - later.top, 111);
}

TEST_F(DropDown, DestroyingTheEditWhileShownLetsEverythingGo)
{
    Type(m_edit, L"al");
    ASSERT_TRUE(Shown());
    EXPECT_FALSE(ZAutoComplete::CreateAndAttach(m_edit, provider.Get(), &sink));  // one per edit
    const LONG held = provider->References();
    ::DestroyWindow(m_edit);
    Pump();
    EXPECT_FALSE(::IsWindow(popup));
    EXPECT_EQ(ZAutoComplete::FindListViewParentWindow(m_edit), nullptr);
    EXPECT_EQ(provider->References(), held - 1);  // the drop-down died and let its provider go
    // The root window's subclass went too: moving it reaches nothing that died.
    ::SetWindowPos(m_window, nullptr, 140, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
}

}  // namespace
