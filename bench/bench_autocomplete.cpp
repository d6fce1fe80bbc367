// Typing into an edit with a drop-down whose provider answers 100,000
// completions at once: from the keystroke to the list shown, against a plain
// owner-data list view given the same count (LVM_SETITEMCOUNT, shown, painted).
// Each run is two keystrokes (a letter, then Backspace) against two counts.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "autocomplete/ZAutoComplete.h"
#include "bench/harness/BenchHarness.h"

namespace {

constexpr size_t kCompletions = 100'000;

std::vector<std::wstring> MakeCompletions()
{
    std::vector<std::wstring> all;
    all.reserve(kCompletions);
    for (size_t i = 0; i < kCompletions; ++i)
        all.push_back(L"host-" + std::to_wstring(i) + L".example.org");
    return all;
}

const std::vector<std::wstring>& Completions()
{
    static const std::vector<std::wstring> all = MakeCompletions();
    return all;
}

class EveryHost : public ZUnknown<IAutoCompleteDataSource> {
public:
    HRESULT RequestCompletions(const wchar_t* text, IAutoCompleteDataSink* sink) override
    {
        sink->OnAutoComplete(text, Completions(), this);
        return S_OK;
    }
};

class IgnoringSink : public IAutoCompleteSink {
public:
    bool Accept(const wchar_t*, bool, bool, bool, bool, ZAutoCompleteBase*) override { return true; }
};

void PumpAll()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The baseline's pop-up: answers row texts from the same vector.
LRESULT CALLBACK PlainPopupProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
        if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
            const std::wstring& text = Completions()[static_cast<size_t>(item.iItem)];
            const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
            text.copy(item.pszText, n);
            item.pszText[n] = 0;
        }
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_autocomplete", argc, argv);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.lpszClassName = L"BenchAutoCompleteHost";
    ::RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = PlainPopupProcedure;
    windowClass.lpszClassName = L"BenchPlainPopup";
    ::RegisterClassW(&windowClass);

    HWND host = ::CreateWindowExW(0, L"BenchAutoCompleteHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                  500, 500, nullptr, nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 22, host, nullptr,
                                  nullptr, nullptr);
    HWND plain = ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"BenchPlainPopup", L"",
                                   WS_POPUP | WS_BORDER, 300, 300, 400, 250, nullptr, nullptr, nullptr, nullptr);
    HWND plainList = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                       WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER, 0, 0,
                                       400, 250, plain, nullptr, nullptr, nullptr);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 380;
    ::SendMessageW(plainList, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    if (!host || !edit || !plain || !plainList) {
        std::fprintf(stderr, "bench_autocomplete: cannot make the windows (no display?)\n");
        return 1;
    }

    auto provider = ZAdoptReference(new EveryHost);
    IgnoringSink sink;
    ZAutoComplete::CreateAndAttach(edit, provider.Get(), &sink);
    ::SetForegroundWindow(host);
    ::SetFocus(edit);
    PumpAll();
    HWND popup = ZAutoComplete::FindListViewParentWindow(edit);
    Completions();

    harness.Compare(
        "100,000 completions, two keystrokes", 2,
        {"LVM_SETITEMCOUNT, shown", [&] {
             for (int i = 0; i < 2; ++i) {
                 ::SendMessageW(plainList, LVM_SETITEMCOUNT, kCompletions - i, 0);
                 ::SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE |
                                                                 SWP_SHOWWINDOW);
                 ::UpdateWindow(plainList);
                 PumpAll();
             }
             return size_t(::IsWindowVisible(plain));
         }},
        {{"typed into the drop-down", [&] {
             for (WPARAM key : {WPARAM(L'h'), WPARAM(VK_BACK)}) {
                 ::PostMessageW(edit, WM_CHAR, key, 1);
                 PumpAll();
                 PumpAll();  // refresh, then show
                 ::UpdateWindow(popup);
             }
             return size_t(::IsWindowVisible(popup));
         }}});

    ::DestroyWindow(plain);
    ::DestroyWindow(host);
    return harness.Finish();
}
