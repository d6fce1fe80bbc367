// Demo section: auto-completion on a host-name field. The provider answers
// from a worker thread after a short delay, as a host that looks names up
// would; the demo types, waits for the list, takes a screenshot of it, picks
// the second row with the keyboard and accepts it with Enter.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "autocomplete/ZAutoComplete.h"
#include "demo/DemoDpi.h"
#include "demo/DemoOutput.h"
#include "demo/DemoPump.h"
#include "demo/DemoScreenshot.h"

namespace {

const wchar_t* const kHosts[] = {
    L"build-01.example.org", L"build-02.example.org", L"backup.example.org", L"bastion.example.org",
    L"db-primary.example.org", L"db-replica.example.org", L"mail.example.org", L"web-01.example.org",
};

// Looks the text up on a worker and answers 150 ms later.
class SlowHostProvider : public ZUnknown<IAutoCompleteDataSource> {
public:
    ~SlowHostProvider() override
    {
        for (auto& worker : m_workers)
            worker.join();
    }
    HRESULT RequestCompletions(const wchar_t* text, IAutoCompleteDataSink* sink) override
    {
        sink->AddRef();
        m_workers.emplace_back([this, typed = std::wstring(text), sink] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            std::vector<std::wstring> found;
            for (const wchar_t* host : kHosts)
                if (!typed.empty() && std::wstring(host).compare(0, typed.size(), typed) == 0)
                    found.push_back(host);
            sink->OnAutoComplete(typed.c_str(), found, this);
            sink->Release();
            ++answers;
        });
        return S_OK;
    }
    std::atomic<int> answers{0};

private:
    std::vector<std::thread> m_workers;
};

class PrintingSink : public IAutoCompleteSink {
public:
    std::wstring accepted;
    bool fromList = false;
    bool Accept(const wchar_t* text, bool list, bool, bool, bool, ZAutoCompleteBase*) override
    {
        accepted = text;
        fromList = list;
        return true;
    }
};

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CTLCOLORSTATIC)
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The form and its open list, as one picture of the screen.
std::wstring CaptureFormAndList(HWND form, HWND popup)
{
    ::RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT a = {}, b = {}, both = {};
    ::GetWindowRect(form, &a);
    ::GetWindowRect(popup, &b);
    ::UnionRect(&both, &a, &b);
    return SaveScreenAreaScreenshot(both, L"autocomplete-list.png");
}

}  // namespace

void ShowAutoComplete()
{
    DemoPrintf(L"== Auto-complete on a host-name field\n");
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FormProcedure;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = L"DemoAutoCompleteForm";
    ::RegisterClassW(&windowClass);
    HWND form = ::CreateWindowExW(0, windowClass.lpszClassName, L"Connect", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80,
                                  DemoScaled(420), DemoScaled(200), nullptr, nullptr, nullptr, nullptr);
    if (!form) {
        DemoPrintf(L"skipped: no window (no display?)\n\n");
        return;
    }
    const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HWND label = ::CreateWindowExW(0, L"Static", L"Host name:", WS_CHILD | WS_VISIBLE, DemoScaled(10),
                                   DemoScaled(14), DemoScaled(80), DemoScaled(20), form, nullptr,
                                   nullptr, nullptr);
    HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, DemoScaled(95),
                                  DemoScaled(10), DemoScaled(190), DemoScaled(24), form, nullptr, nullptr, nullptr);
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    auto provider = ZAdoptReference(new SlowHostProvider);
    PrintingSink sink;
    ZAutoComplete::CreateAndAttach(edit, provider.Get(), &sink);
    ::SetForegroundWindow(form);
    ::SetFocus(edit);
    PumpFor(100);

    for (const wchar_t* ch = L"b"; *ch; ++ch)
        ::PostMessageW(edit, WM_CHAR, *ch, 1);
    PumpFor(50);
    HWND popup = ZAutoComplete::FindListViewParentWindow(edit);
    DemoPrintf(L"typed \"b\": list shown at once: %ls\n", popup && ::IsWindowVisible(popup) ? L"yes" : L"no");
    PumpFor(400);  // the worker's answer arrives
    const bool shown = popup && ::IsWindowVisible(popup);
    DemoPrintf(L"after the worker answered: list shown: %ls, %d answer(s)\n", shown ? L"yes" : L"no",
               provider->answers.load());
    ::PostMessageW(edit, WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageW(edit, WM_KEYDOWN, VK_DOWN, 1);
    PumpFor(100);
    wchar_t text[128] = {};
    ::GetWindowTextW(edit, text, 128);
    DemoPrintf(L"Down, Down: the field shows \"%ls\"\n", text);
    if (shown) {
        const std::wstring screenshot = CaptureFormAndList(form, popup);
        if (!screenshot.empty())
            DemoPrintf(L"screenshot: %ls\n", screenshot.c_str());
    }
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    PumpFor(100);
    DemoPrintf(L"Enter: the host accepted \"%ls\" (%ls)\n", sink.accepted.c_str(),
               sink.fromList ? L"chosen from the list" : L"as typed");
    ::DestroyWindow(form);
    PumpFor(50);
    DemoPrintf(L"\n");
}
