#include "demo/DemoLogWindow.h"

#include <afxwin.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "demo/DemoDpi.h"
#include "demo/DemoOutput.h"
#include "demo/DemoSelectionText.h"
#include "demo/DemoPump.h"
#include "demo/DemoScreenshot.h"
#include "textview/ZFindDialog.h"
#include "textview/ZTextView.h"
#include "textview/ZTextViewLineQueue.h"

void ShowReports();
void ShowMessageBoxes();
void ShowProfile();
void ShowSettings();
void ShowCustomize();
void ShowPackets();
void ShowDataExchangeDialog();
void ShowConnection();
void ShowProgressAndResult();
void ShowAutoComplete();
void ShowRemoteFolder();
void ShowMigrator();
void ShowCertificate();
void ShowLists();
void ShowOptions();
void ShowTaskbar();

namespace {

constexpr UINT kRateTimer = 1;
constexpr UINT kDeleteFind = WM_APP + 20;
constexpr UINT kLinesWaiting = WM_APP + 21;  // the line queue's wake-up, once per batch
constexpr unsigned long long kWarning = 1;
constexpr unsigned long long kError = 2;

enum Command : UINT {
    kCopy = 100,
    kSelectAll,
    kFind,
    kOutline,
    kPause,
    kExit,
    kReports = 200,
    kMessageBoxes,
    kProfile,
    kSettings,
    kCustomize,
    kPackets,
    kDialog,
    kConnection,
    kProgress,
    kAutoComplete,
    kRemoteFolder,
    kMigrator,
    kCertificate,
    kLists,
    kOptions,
    kTaskbar,
};

bool g_tourAlt = false;
bool TourKeys(int key)
{
    return key == VK_MENU ? g_tourAlt : ::GetKeyState(key) < 0;
}

// The view of the demo: warnings and errors in colour, the usual keys.
class LogView : public ZTextView {
public:
    using ZTextView::OnEditCopy;
    using ZTextView::ScrollToPoint;
    using ZTextView::SelectAll;
    CWnd* m_host = nullptr;

protected:
    void GetLineColor(unsigned long long attribute, COLORREF& color) const override
    {
        if (attribute == kWarning)
            color = RGB(176, 96, 0);
        else if (attribute == kError)
            color = RGB(200, 0, 0);
    }
    afx_msg void OnKeyDown(UINT key, UINT, UINT)
    {
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        if (control && key == 'C')
            OnEditCopy();
        else if (control && key == 'A')
            SelectAll();
        else if (control && key == 'F' && m_host)
            m_host->PostMessage(WM_COMMAND, kFind);
        else if (key == VK_PRIOR)
            OnPageUp();
        else if (key == VK_NEXT)
            OnPageDown();
        else if (control && key == VK_HOME)
            OnGoToStart();
        else
            Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LogView, ZTextView)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

// Line n of the generated log, queued with its colour attribute.
void QueueLine(ZTextViewLineQueue& queue, unsigned long long n)
{
    static const wchar_t* kinds[] = {L"INFO  session", L"INFO  transfer", L"DEBUG socket", L"WARN  retry",
                                     L"ERROR timeout"};
    const unsigned kind = (n * 7919u) % 23u < 18u ? n % 3u : 3u + n % 2u;
    wchar_t text[160];
    const int length = swprintf(text, 160, L"%08llu %ls %llu: bytes=%llu state=%ls", n, kinds[kind], n % 97,
                                (n * 2654435761ull) % 100000,
                                kind == 4 ? L"no answer from host" : kind == 3 ? L"reconnecting" : L"ok");
    queue.Push(text, length > 0 ? static_cast<size_t>(length) : 0, kind == 3 ? kWarning : kind == 4 ? kError : 0);
}

class LogWindow : public CFrameWnd, public IFindDialogSink {
public:
    bool Open()
    {
        HMENU menu = ::CreateMenu();
        HMENU edit = ::CreatePopupMenu();
        ::AppendMenuW(edit, MF_STRING, kCopy, L"&Copy\tCtrl+C");
        ::AppendMenuW(edit, MF_STRING, kSelectAll, L"Select &all\tCtrl+A");
        ::AppendMenuW(edit, MF_STRING, kFind, L"&Find...\tCtrl+F");
        ::AppendMenuW(edit, MF_STRING, kOutline, L"&Outline selection");
        ::AppendMenuW(edit, MF_STRING, kPause, L"&Pause the log");
        ::AppendMenuW(edit, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(edit, MF_STRING, kExit, L"E&xit");
        HMENU sections = ::CreatePopupMenu();
        ::AppendMenuW(sections, MF_STRING, kReports, L"&Reports");
        ::AppendMenuW(sections, MF_STRING, kMessageBoxes, L"&Message boxes");
        ::AppendMenuW(sections, MF_STRING, kProfile, L"&Profile records");
        ::AppendMenuW(sections, MF_STRING, kSettings, L"&Settings store");
        ::AppendMenuW(sections, MF_STRING, kCustomize, L"&Customisation store");
        ::AppendMenuW(sections, MF_STRING, kPackets, L"P&ackets and addresses");
        ::AppendMenuW(sections, MF_STRING, kDialog, L"&Data exchange dialog");
        ::AppendMenuW(sections, MF_STRING, kConnection, L"&Connection over loopback");
        ::AppendMenuW(sections, MF_STRING, kProgress, L"&Worker job and progress dialog");
        ::AppendMenuW(sections, MF_STRING, kAutoComplete, L"&Auto-complete");
        ::AppendMenuW(sections, MF_STRING, kRemoteFolder, L"&Remote folder browser");
        ::AppendMenuW(sections, MF_STRING, kMigrator, L"Migrated &menu and toolbar");
        ::AppendMenuW(sections, MF_STRING, kCertificate, L"&Self-signed certificate");
        ::AppendMenuW(sections, MF_STRING, kLists, L"&Lists");
        ::AppendMenuW(sections, MF_STRING, kOptions, L"&Options dialog");
        ::AppendMenuW(sections, MF_STRING, kTaskbar, L"&Taskbar tabs and about box");
        ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
        ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sections), L"&Sections");
        // As large as at 96 DPI in inches, as far as the screen allows.
        const int width = std::min(DemoScaled(900), ::GetSystemMetrics(SM_CXSCREEN) - 80);
        const int height = std::min(DemoScaled(600), ::GetSystemMetrics(SM_CYSCREEN) - 80);
        if (!CreateEx(0, nullptr, L"Tessaro demo: log", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, width, height,
                      nullptr, menu)) {
            ::DestroyMenu(menu);
            return false;
        }
        m_view = new LogView;  // deletes itself with its window
        m_view->m_host = this;
        CRect client;
        GetClientRect(&client);
        if (!m_view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, client, this, AFX_IDW_PANE_FIRST))
            return false;
        ZLogFont font;
        font.logFont.lfHeight = -13;
        font.logFont.lfCharSet = DEFAULT_CHARSET;
        font.logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynW(font.logFont.lfFaceName, L"Courier New", LF_FACESIZE);
        m_view->UpdateFont(font);
        m_view->SetBufferSize(10000);
        m_queue = std::make_unique<ZTextViewLineQueue>(GetSafeHwnd(), kLinesWaiting);
        SetActiveView(m_view);
        ShowWindow(SW_SHOW);
        UpdateWindow();
        m_view->SetFocus();
        return true;
    }
    // Queues count generated lines from the window's own thread and appends them as one batch.
    void Generate(int count)
    {
        for (int i = 0; i < count; ++i)
            QueueLine(*m_queue, m_generated++);
        m_appended += m_queue->DrainInto(*m_view);
    }
    // A worker produces the log as a host's reader thread would: bursts of
    // lines into the queue, which wakes this window once per batch.
    void StartStreaming()
    {
        m_rateStart = std::chrono::steady_clock::now();
        m_rateLines = m_appended;
        SetTimer(kRateTimer, 1000, nullptr);
        m_worker = std::thread([this, next = m_generated] () mutable {
            while (!m_stop.load()) {
                if (!m_paused.load())
                    for (int i = 0; i < 200; ++i)
                        QueueLine(*m_queue, next++);
                ::Sleep(10);  // about 20,000 lines a second
            }
        });
    }
    LogView& View() { return *m_view; }
    ZFindDialog* FindDialog() { return m_find.get(); }
    void OpenFind(const wchar_t* text)
    {
        if (m_find) {
            m_find->BringToTop(m_find->GetPosition(), true);
            return;
        }
        m_find = std::make_unique<ZFindDialog>(text, FR_DOWN, this, this, true);
        if (!m_find->Create(m_findPosition))
            m_find.reset();
    }

    // IFindDialogSink: searches the buffer down from the selection.
    void OnFindNext() override
    {
        const ZTextViewBuffer& buffer = m_view->GetBuffer();
        const std::wstring needle = m_find->GetString().str();
        if (needle.empty() || buffer.GetLineCount() == 0)
            return;
        unsigned long long line = m_searchFrom.line, column = m_searchFrom.column;
        for (; line < buffer.GetLineCount(); ++line, column = 0) {
            const std::vector<wchar_t>& text = buffer.GetLineInfo(line).text;
            const std::wstring_view haystack(text.data(), text.size());
            const size_t at = column <= haystack.size() ? haystack.find(needle, column) : std::wstring_view::npos;
            if (at == std::wstring_view::npos)
                continue;
            ZTextViewHighlight match(nullptr, {at, line}, {at + needle.size() - 1, line});
            m_view->UpdateHighlight(&match, false);
            m_view->ScrollToPoint(line > 3 ? line - 3 : 0, 0);
            m_searchFrom = {at + 1, line};
            return;
        }
        m_searchFrom = {};
        m_find->PresentEndOfBufferMessage();
    }
    void OnFindDialogClosing(bool) override
    {
        m_findPosition = m_find->GetPosition();
        PostMessage(kDeleteFind);  // not from inside the dialog's own notification
    }
    void OnFindDialogActivate() override {}
    void OnFindDialogMove() override {}
    void OnFindRestart(bool) override { m_searchFrom = {}; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        switch (LOWORD(wParam)) {
        case kCopy: m_view->OnEditCopy(); return TRUE;
        case kSelectAll: m_view->SelectAll(); return TRUE;
        case kFind: OpenFind(L""); return TRUE;
        case kOutline:
            m_view->SetSelectionDrawStyle(m_view->GetSelectionDrawStyle() == ZTextViewBase::SelectionDrawOutline
                                              ? ZTextViewBase::SelectionDrawHighlight
                                              : ZTextViewBase::SelectionDrawOutline);
            return TRUE;
        case kPause:
            m_paused = !m_paused.load();
            return TRUE;
        case kExit: DestroyWindow(); return TRUE;
        case kReports: ShowReports(); return TRUE;
        case kMessageBoxes: ShowMessageBoxes(); return TRUE;
        case kProfile: ShowProfile(); return TRUE;
        case kSettings: ShowSettings(); return TRUE;
        case kCustomize: ShowCustomize(); return TRUE;
        case kPackets: ShowPackets(); return TRUE;
        case kDialog: ShowDataExchangeDialog(); return TRUE;
        case kConnection: ShowConnection(); return TRUE;
        case kProgress: ShowProgressAndResult(); return TRUE;
        case kAutoComplete: ShowAutoComplete(); return TRUE;
        case kRemoteFolder: ShowRemoteFolder(); return TRUE;
        case kMigrator: ShowMigrator(); return TRUE;
        case kCertificate: ShowCertificate(); return TRUE;
        case kLists: ShowLists(); return TRUE;
        case kOptions: ShowOptions(); return TRUE;
        case kTaskbar: ShowTaskbar(); return TRUE;
        default: return CFrameWnd::OnCommand(wParam, lParam);
        }
    }
    afx_msg LRESULT OnLinesWaiting(WPARAM, LPARAM)
    {
        m_appended += m_queue->DrainInto(*m_view);
        return 0;
    }
    // Once a second: the rate the view took lines at, in the title.
    afx_msg void OnTimer(UINT_PTR id)
    {
        if (id != kRateTimer) {
            Default();
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - m_rateStart).count();
        const double rate = seconds > 0 ? double(m_appended - m_rateLines) / seconds : 0;
        m_rateStart = now;
        m_rateLines = m_appended;
        wchar_t title[96];
        swprintf(title, 96, L"Tessaro demo: log (%.0f lines/s)", rate);
        SetWindowTextW(title);
    }
    afx_msg LRESULT OnDeleteFind(WPARAM, LPARAM)
    {
        m_find.reset();
        return 0;
    }
    afx_msg void OnDestroy()
    {
        m_stop = true;
        if (m_worker.joinable())
            m_worker.join();
        m_find.reset();
        Default();
        ::PostQuitMessage(0);
    }
    void PostNcDestroy() override {}  // lives on the stack of its runner
    DECLARE_MESSAGE_MAP()

private:
    LogView* m_view = nullptr;
    std::unique_ptr<ZFindDialog> m_find;
    ZPoint m_findPosition;
    ZTextViewCharPosition m_searchFrom;
    std::unique_ptr<ZTextViewLineQueue> m_queue;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    unsigned long long m_generated = 0;  // lines made on this thread
    unsigned long long m_appended = 0;   // lines handed to the view
    unsigned long long m_rateLines = 0;
    std::chrono::steady_clock::time_point m_rateStart;
};

BEGIN_MESSAGE_MAP(LogWindow, CFrameWnd)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(kDeleteFind, OnDeleteFind)
    ON_MESSAGE(kLinesWaiting, OnLinesWaiting)
END_MESSAGE_MAP()

// The screen (top-level windows included) over area, as PNG beside demo.txt.
bool SaveTourScreenshot(const RECT& area, const wchar_t* name)
{
    const bool saved = !SaveScreenAreaScreenshot(area, name).empty();
    DemoPrintf(L"screenshot %ls: %ls\n", name, saved ? L"saved" : L"not saved");
    return saved;
}

LPARAM CellPoint(LogView& view, int column, int row)
{
    return MAKELPARAM(static_cast<int>((column + 0.5) * view.GetCharacterWidth()),
                      row * view.GetCharacterHeight() + view.GetCharacterHeight() / 2);
}

void DragAcross(LogView& view, int fromColumn, int fromRow, int toColumn, int toRow)
{
    HWND window = view.GetSafeHwnd();
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(view, fromColumn, fromRow));
    ::PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, CellPoint(view, toColumn, toRow));
    ::PostMessageW(window, WM_LBUTTONUP, 0, CellPoint(view, toColumn, toRow));
    PumpPending();
    view.UpdateWindow();
}

}  // namespace

int RunLogWindow()
{
    LogWindow window;
    if (!window.Open())
        return 1;
    window.Generate(200);
    window.StartStreaming();
    DemoPrint(L"The log window is open: drag to select (Alt for columns), Ctrl+C copies, Ctrl+F finds, "
              L"Ctrl+End follows the newest line again. Close it to end the demo.\n");
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return 0;
}

int RunLogWindowTour()
{
    DemoPrint(L"== Text view window (scripted tour)\n");
    LogWindow window;
    if (!window.Open()) {
        DemoPrint(L"the window could not be opened (no display?)\n");
        return 1;
    }
    const ZTextViewBase::KeyModifierProbe previous = ZTextViewBase::SetKeyModifierProbe(TourKeys);
    LogView& view = window.View();
    window.Generate(3000);
    PumpPending();
    view.UpdateWindow();
    RECT area{};
    window.GetWindowRect(&area);
    DemoPrintf(L"3000 lines streamed in; the view follows line %llu of %llu\n",
               static_cast<unsigned long long>(view.GetBuffer().GetLineCount() - 1),
               static_cast<unsigned long long>(view.GetBuffer().GetLineCount()));
    int failures = 0;

    DragAcross(view, 9, 4, 30, 8);
    DemoPrint((L"stream selection: " + DemoSelectionText(view.GetHighlight()) + L"\n").c_str());
    failures += !SaveTourScreenshot(area, L"textview-stream-selection.png");

    g_tourAlt = true;
    DragAcross(view, 9, 12, 22, 18);
    g_tourAlt = false;
    DemoPrint((L"column selection: " + DemoSelectionText(view.GetHighlight()) + L"\n").c_str());
    failures += !SaveTourScreenshot(area, L"textview-column-selection.png");

    view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawOutline);
    DragAcross(view, 20, 22, 12, 26);
    DemoPrint((L"outline style, stream selection: " + DemoSelectionText(view.GetHighlight()) + L"\n").c_str());
    failures += !SaveTourScreenshot(area, L"textview-outline.png");
    view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawHighlight);

    window.OpenFind(L"ERROR");
    PumpPending();
    if (ZFindDialog* find = window.FindDialog()) {
        HWND dialog = find->GetSafeHwnd();
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        PumpPending();
        view.UpdateWindow();
        DemoPrint((L"Find \"ERROR\": " + DemoSelectionText(view.GetHighlight()) + L"\n").c_str());
        RECT both = area;
        RECT dialogArea{};
        ::GetWindowRect(dialog, &dialogArea);
        ::UnionRect(&both, &area, &dialogArea);
        failures += !SaveTourScreenshot(both, L"textview-find.png");
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDCANCEL)));
        PumpPending();
    } else {
        DemoPrint(L"the Find dialog could not be opened\n");
        ++failures;
    }
    ZTextViewBase::SetKeyModifierProbe(previous);
    window.DestroyWindow();
    PumpPending();
    DemoPrint(L"\n");
    return failures ? 1 : 0;
}
