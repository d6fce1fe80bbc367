// Demo section: a tabbed MDI frame whose document tabs each have a taskbar
// proxy, and the about box. Wine's window manager never asks for thumbnails,
// so the demo asks a proxy itself and saves what it hands over; screenshots of
// the frame and the about box follow. Everything closes by itself.
#include <afxwin.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "BCGPMDIFrameWnd.h"
#include "shell/HiddenTabWindow.h"
#include "about/ZAboutDialog.h"
#include "themes/ZVisualManager.h"
#include "demo/DemoDpi.h"
#include "demo/DemoOutput.h"
#include "demo/DemoPump.h"
#include "demo/DemoScreenshot.h"

namespace {

constexpr int kTabHeight = 22;

// A document: a coloured page with a line of text, and its proxy.
class DemoDocument : public CBCGPMDIChildWnd, public ITaskbarProxyOwner {
public:
    DemoDocument(COLORREF colour, const wchar_t* text) : m_colour(colour), m_text(text) {}
    HWND GetProxyWindow() override { return proxy ? proxy->GetSafeHwnd() : nullptr; }
    HiddenTabWindow* proxy = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT || message == WM_PRINTCLIENT) {
            PAINTSTRUCT paint = {};
            HDC dc = message == WM_PAINT ? ::BeginPaint(m_hWnd, &paint) : reinterpret_cast<HDC>(wParam);
            RECT client = {};
            ::GetClientRect(m_hWnd, &client);
            HBRUSH brush = ::CreateSolidBrush(m_colour);
            ::FillRect(dc, &client, brush);
            ::DeleteObject(brush);
            ::SetBkMode(dc, TRANSPARENT);
            ::DrawTextW(dc, m_text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            if (message == WM_PAINT)
                ::EndPaint(m_hWnd, &paint);
            return 0;
        }
        return CBCGPMDIChildWnd::WindowProc(message, wParam, lParam);
    }

private:
    COLORREF m_colour;
    std::wstring m_text;
};

// Keeps the thumbnail the desktop window manager would have received.
class DemoProxy : public HiddenTabWindow {
public:
    using HiddenTabWindow::HiddenTabWindow;
    std::wstring saved;
    SIZE size = {};

protected:
    HRESULT SetIconicThumbnail(HBITMAP bitmap) override
    {
        size = ZGetBitmapSize(bitmap);
        saved = SaveBitmapScreenshot(bitmap, L"taskbar-thumbnail.png");
        return HiddenTabWindow::SetIconicThumbnail(bitmap);
    }
};

// The frame paints its tab strip through the dark visual manager.
class DemoFrame : public CBCGPMDIFrameWnd {
public:
    ZDarkVisualManager visuals;

    void DrawTabs()
    {
        const CObList& groups = GetMDITabGroups();
        if (groups.IsEmpty())
            return;
        POSITION first = groups.GetHeadPosition();
        auto* tabs = static_cast<CBCGPTabWnd*>(groups.GetNext(first));
        CRect client;
        ::GetClientRect(m_hWndMDIClient, &client);
        CDC dc;
        dc.Attach(::GetDC(m_hWndMDIClient));
        const int width = DemoScaled(140);
        for (int i = 0; i < tabs->GetTabsNum(); ++i)
            visuals.OnDrawTab(&dc, CRect(i * width, 0, (i + 1) * width, DemoScaled(kTabHeight)), i,
                              i == tabs->GetActiveTab(), tabs);
        ::ReleaseDC(m_hWndMDIClient, dc.Detach());
    }
};

void ShowTabsAndThumbnail()
{
    auto* frame = new DemoFrame;  // deletes itself with its window
    if (!frame->Create(nullptr, L"Tessaro demo: documents", WS_OVERLAPPEDWINDOW, CRect(40, 40, 40 + DemoScaled(620), 40 + DemoScaled(460)))) {
        DemoPrintf(L"the MDI frame could not be made\n");
        return;
    }
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->EnableMDITabs(TRUE);
    struct Page {
        COLORREF colour;
        const wchar_t* title;
        const wchar_t* text;
    };
    const Page pages[] = {
        {RGB(0xE8, 0xF0, 0xFF), L"Server A", L"Session to Server A"},
        {RGB(0xFF, 0xF0, 0xD8), L"Server B", L"Session to Server B"},
        {RGB(0xE0, 0xFF, 0xE0), L"Transfers", L"3 transfers running"},
    };
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    std::vector<DemoDocument*> documents;
    DemoProxy* shown = nullptr;
    int offset = 0;
    for (const Page& page : pages) {
        auto* document = new DemoDocument(page.colour, page.text);
        const int tabHeight = DemoScaled(kTabHeight);
        const CRect rect(offset, tabHeight + offset, offset + DemoScaled(420), tabHeight + offset + DemoScaled(260));
        offset += DemoScaled(30);
        if (!document->Create(nullptr, page.title, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, rect, frame)) {
            delete document;
            continue;
        }
        auto* proxy = new DemoProxy(document);
        if (!proxy->Create(page.title, icon)) {
            delete proxy;
            continue;
        }
        document->proxy = proxy;
        documents.push_back(document);
        shown = proxy;
    }
    DemoPrintf(L"tabs: %d, each with a taskbar proxy\n", static_cast<int>(documents.size()));
    PumpFor(300);
    frame->DrawTabs();

    if (shown) {
        // As the taskbar asks when the pointer rests on the tab's button.
        shown->SendMessage(WM_DWMSENDICONICTHUMBNAIL, 0, MAKELPARAM(150, 200));
        DemoPrintf(L"thumbnail of the last tab for 200 x 150: %ld x %ld\n", shown->size.cx, shown->size.cy);
        DemoPrintf(L"screenshot: %ls\n", shown->saved.empty() ? L"(none)" : shown->saved.c_str());
    }
    const std::wstring frameShot = SaveScreenshot(frame->m_hWnd, L"taskbar-mdi-frame.png");
    DemoPrintf(L"screenshot: %ls\n", frameShot.empty() ? L"(none)" : frameShot.c_str());

    // Each proxy deletes itself with its window; the documents go with the frame.
    for (DemoDocument* document : documents)
        document->proxy->DestroyWindow();
    frame->DestroyWindow();
    PumpPending();
}

void ShowAbout()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The history is the demo's own file, read as ZTextFile reads any.
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"TessaroDemoHistory.txt";
    const char history[] = "\xEF\xBB\xBF" "8.7.0\r\n- Taskbar thumbnails for document tabs\r\n- Dark theme\r\n\r\n"
                           "8.6.2\r\n- Faster text view\r\n";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, history, sizeof(history) - 1, &written, nullptr);
        ::CloseHandle(file);
    }
    ZAboutDialog about(L"Tessaro Demo", L"Version 8.7.0", path.c_str());
    if (!about.Create()) {
        DemoPrintf(L"the about box could not be made\n");
        ::DeleteFileW(path.c_str());
        return;
    }
    about.ShowWindow(SW_SHOWNORMAL);
    PumpFor(200);
    std::wstring shot = SaveScreenshot(about.m_hWnd, L"about-acknowledgements.png");
    DemoPrintf(L"about box: %ls\nscreenshot: %ls\n", L"acknowledgements", shot.empty() ? L"(none)" : shot.c_str());
    about.ShowPage(ZAboutDialog::HistoryPage);
    PumpFor(200);
    shot = SaveScreenshot(about.m_hWnd, L"about-history.png");
    DemoPrintf(L"about box: %ls\nscreenshot: %ls\n", L"version history", shot.empty() ? L"(none)" : shot.c_str());
    about.DestroyWindow();
    ::DeleteFileW(path.c_str());
}

}  // namespace

void ShowTaskbar()
{
    DemoPrintf(L"== Taskbar tabs and the about box\n");
    ShowTabsAndThumbnail();
    ShowAbout();
    DemoPrintf(L"\n");
}
