// The drop-down's test host, shared by the behaviour and geometry programs: a
// recording provider and sink, and a top-level window with one edit that has a
// drop-down, sized for the run's resolution.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "autocomplete/ZAutoComplete.h"
#include "tests/support/DpiRun.h"
#include "tests/support/MessagePump.h"
#include "tests/support/OwnedReference.h"

namespace AutoCompleteTest {

using Strings = std::vector<std::wstring>;
using TestSupport::Scaled;

// Records requests; answers at once with the candidates that start with the
// text, or keeps the request for the test to answer later.
class Provider : public ZUnknown<IAutoCompleteDataSource> {
public:
    Strings candidates;
    bool answerAtOnce = true;
    Strings requests;
    IAutoCompleteDataSink* lastSink = nullptr;

    HRESULT RequestCompletions(const wchar_t* text, IAutoCompleteDataSink* sink) override
    {
        requests.push_back(text);
        lastSink = sink;
        if (answerAtOnce)
            sink->OnAutoComplete(text, Matches(text), this);
        return S_OK;
    }
    Strings Matches(const std::wstring& text) const
    {
        Strings found;
        if (text.empty())
            return found;  // nothing to suggest before the user types
        for (const auto& c : candidates)
            if (c.compare(0, text.size(), text) == 0)
                found.push_back(c);
        return found;
    }
    LONG References()
    {
        AddRef();
        return static_cast<LONG>(Release());
    }
};

struct Accepted {
    std::wstring text;
    bool fromList, alt, control, shift;
};

class Sink : public IAutoCompleteSink {
public:
    std::vector<Accepted> accepted;
    bool Accept(const wchar_t* text, bool fromList, bool alt, bool control, bool shift, ZAutoCompleteBase*) override
    {
        accepted.push_back({text, fromList, alt, control, shift});
        return true;
    }
};

// Posted messages beget posted messages (refresh, then show): a few rounds.
inline void Pump()
{
    for (int round = 0; round < 5; ++round) {
        TestSupport::PumpPending();
        ::Sleep(1);
    }
}

inline void Type(HWND edit, const wchar_t* text)
{
    for (; *text; ++text)
        ::PostMessageW(edit, WM_CHAR, *text, 1);
    Pump();
}

// A top-level window with one edit that has a drop-down.
class DropDown : public testing::Test {
protected:
    void SetUp() override
    {
        static const ATOM hostClass = [] {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = ::DefWindowProcW;
            windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            windowClass.lpszClassName = L"AutoCompleteTestHost";
            return ::RegisterClassW(&windowClass);
        }();
        ASSERT_NE(hostClass, 0);
        m_window = ::CreateWindowExW(0, L"AutoCompleteTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                     100, Scaled(400), Scaled(300), nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        m_edit = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10,
                                   Scaled(150), Scaled(22), m_window, nullptr, nullptr, nullptr);
        provider = TestSupport::Own(new Provider);
        provider->candidates = {L"alpha", L"alpine", L"altair", L"beta"};
        ASSERT_TRUE(ZAutoComplete::CreateAndAttach(m_edit, provider.Get(), &sink));
        ::SetForegroundWindow(m_window);
        ::SetFocus(m_edit);
        Pump();
        popup = ZAutoComplete::FindListViewParentWindow(m_edit);
        ASSERT_NE(popup, nullptr);
        list = ::FindWindowExW(popup, nullptr, WC_LISTVIEWW, nullptr);
    }
    void TearDown() override
    {
        if (m_window)
            ::DestroyWindow(m_window);
        Pump();
    }
    bool Shown() const { return ::IsWindowVisible(popup) != FALSE; }
    int Rows() const { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

    ZUnknownPointer<Provider> provider;
    Sink sink;
    HWND m_window = nullptr;
    HWND m_edit = nullptr;
    HWND popup = nullptr;
    HWND list = nullptr;
};

}  // namespace AutoCompleteTest
