// Demo section: a data-exchange form from a resource template, run modally on
// the framework stand-in and driven by a timer as a user would: it types a
// host and a port that is out of range, presses Enter, has the refusal shown
// (the box closes itself), corrects the port, and presses Enter again. A
// screenshot of the filled form is saved as PNG in TESSARO_DEMO_OUTPUT.
#include <afxwin.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"

namespace {

constexpr UINT kTemplate = 300;
constexpr int kHost = 1001;
constexpr int kPort = 1002;
constexpr int kRetries = 1003;
constexpr int kKeepAlive = 1004;
constexpr UINT_PTR kStepTimer = 1;
constexpr UINT_PTR kCloseTimer = 2;

// Refusals are shown in message boxes; each closes itself after a moment.
HHOOK g_boxHook = nullptr;
std::wstring g_lastBoxText;

void CALLBACK CloseBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(box, timer);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

BOOL CALLBACK FindBoxText(HWND child, LPARAM text)
{
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
        wchar_t buffer[256] = {};
        ::GetWindowTextW(child, buffer, 256);
        if (buffer[0]) {
            *reinterpret_cast<std::wstring*>(text) = buffer;
            return FALSE;
        }
    }
    return TRUE;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (::GetDlgCtrlID(box) == 0 && ::GetDlgItem(box, kHost) == nullptr &&
            ::SetTimer(box, kCloseTimer, 700, CloseBox))
            ::EnumChildWindows(box, FindBoxText, reinterpret_cast<LPARAM>(&g_lastBoxText));
    }
    return ::CallNextHookEx(g_boxHook, code, wParam, lParam);
}

class ConnectionDialog : public CDialog {
public:
    ConnectionDialog() : CDialog(kTemplate) {}

    CStringW m_host = L"localhost";
    UINT m_port = 22;
    int m_retries = 3;
    int m_keepAlive = BST_UNCHECKED;
    std::wstring m_screenshot;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kHost, m_host);
        DDV_MaxChars(dx, m_host, 40);
        DDX_Text(dx, kPort, m_port);
        DDV_MinMaxUInt(dx, m_port, 1, 65535);
        DDX_Text(dx, kRetries, m_retries);
        DDV_MinMaxInt(dx, m_retries, 0, 10);
        DDX_Check(dx, kKeepAlive, m_keepAlive);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(kStepTimer, 300);
        return TRUE;
    }

    void OnOK() override
    {
        m_inOk = true;
        CDialog::OnOK();
        m_inOk = false;
        if (m_hWnd && ContinueModal())
            DemoPrintf(L"refused: \"%ls\"\n", g_lastBoxText.c_str());
    }

    void Type(int id, const wchar_t* text)
    {
        HWND edit = ::GetDlgItem(m_hWnd, id);
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);  // selects the text
        for (; *text; ++text)
            ::PostMessageW(edit, WM_CHAR, *text, 1);
    }

    void PressEnter() { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1); }

    afx_msg void OnTimer(UINT_PTR)
    {
        if (m_inOk)
            return;  // a refusal is on the screen
        switch (m_step++) {
        case 0:
            DemoPrintf(L"typing host \"example.org\" and port 70000, then Enter\n");
            Type(kHost, L"example.org");
            Type(kPort, L"70000");
            PressEnter();
            break;
        case 1: {
            HWND focus = ::GetFocus();
            DWORD start = 0, end = 0;
            ::SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            DemoPrintf(L"after the refusal the focus is on the %ls field, characters %lu to %lu selected\n",
                       focus == ::GetDlgItem(m_hWnd, kPort) ? L"port" : L"other", start, end);
            DemoPrintf(L"typing port 8022 and ticking keep-alive\n");
            for (const wchar_t* ch = L"8022"; *ch; ++ch)
                ::PostMessageW(focus, WM_CHAR, *ch, 1);
            ::CheckDlgButton(m_hWnd, kKeepAlive, BST_CHECKED);
            break;
        }
        case 2:
            m_screenshot = SaveScreenshot(m_hWnd, L"dialog-form.png");
            PressEnter();
            break;
        default:
            break;
        }
    }

    DECLARE_MESSAGE_MAP()

private:
    int m_step = 0;
    bool m_inOk = false;
};

BEGIN_MESSAGE_MAP(ConnectionDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

}  // namespace

void ShowDataExchangeDialog()
{
    DemoPrintf(L"== Dialog with data exchange\n");
    g_boxHook = ::SetWindowsHookExW(WH_CBT, WatchBoxes, nullptr, ::GetCurrentThreadId());
    ConnectionDialog dialog;
    const INT_PTR result = dialog.DoModal();
    if (g_boxHook)
        ::UnhookWindowsHookEx(g_boxHook);
    g_boxHook = nullptr;
    if (result == -1) {
        DemoPrintf(L"skipped: the dialog could not be created (no display?)\n\n");
        return;
    }
    DemoPrintf(L"DoModal returned %ls\n", result == IDOK ? L"IDOK" : result == IDCANCEL ? L"IDCANCEL" : L"other");
    DemoPrintf(L"host \"%ls\", port %u, retries %d, keep-alive %ls\n", static_cast<LPCWSTR>(dialog.m_host),
               dialog.m_port, dialog.m_retries, dialog.m_keepAlive == BST_CHECKED ? L"on" : L"off");
    if (!dialog.m_screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", dialog.m_screenshot.c_str());
    DemoPrintf(L"\n");
}
