// Demo section: an options dialog built from nested property-tree pages:
// General (placeholder and search edits, a password edit and a link),
// Connection > Security (the TLS versions plug-in in a page of the host),
// Terminal > Emulation > Keyboard. A script walks the pages, unchecks every
// TLS version to meet the refusal, checks one again and presses OK, saving a
// screenshot of each step.
#include <windows.h>

#include <memory>
#include <string>

#include "controls/ZLineEdit.h"
#include "controls/ZPasswordEdit.h"
#include "controls/ZPluginPage.h"
#include "controls/ZPropertyTreeDialog.h"
#include "controls/ZStaticURL.h"
#include "controls/ZTlsVersionsPlugin.h"
#include "demo/DemoOutput.h"
#include "demo/DemoPump.h"
#include "demo/DemoScreenshot.h"

namespace {

class GeneralPage : public ZPropertyTreePage {
public:
    GeneralPage() : ZPropertyTreePage(340), m_link(L"https://www.example.org/help/options", ZStaticURL::kHandCursorId) {}
    BOOL OnInitDialog() override
    {
        const BOOL result = ZPropertyTreePage::OnInitDialog();
        if (m_filter.SubclassDlgItem(3401, this))
            m_filter.OnInitControl(L"Filter sessions", false);
        if (m_search.SubclassDlgItem(3402, this))
            m_search.OnInitControl(L"Search", true);
        m_password.SubclassDlgItem(3403, this);
        m_link.SubclassDlgItem(3404, this);
        return result;
    }
    ZPasswordEdit& Password() { return m_password; }
    ZLineEdit& Search() { return m_search; }

private:
    ZLineEdit m_filter, m_search;
    ZPasswordEdit m_password;
    ZStaticURL m_link;
};

// The host's page around the library's plug-in: saved when the page is left.
class SecurityPage : public ZPluginPage {
public:
    explicit SecurityPage(ZProfileTlsVersions* setting)
        : ZPluginPage(342, ::GetModuleHandleW(nullptr)), m_setting(setting)
    {
    }
    BOOL OnInitDialog() override
    {
        const BOOL result = ZPluginPage::OnInitDialog();
        m_plugin.reset(ZTlsVersionsPlugin::Create(this, 0, m_setting));
        if (!m_plugin)
            return result;
        RECT place;
        GetDlgItem(3421)->GetWindowRect(&place);
        ScreenToClient(&place);
        m_plugin->SetWindowPos(nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                               SWP_NOZORDER | SWP_SHOWWINDOW);
        Plugin().InitSize();
        return result;
    }
    BOOL OnKillActive() override { return m_plugin && m_plugin->SavePageData(); }
    ZTlsVersionsPlugin& Plugin() { return static_cast<ZTlsVersionsPlugin&>(*m_plugin); }
    bool HasPlugin() const { return m_plugin != nullptr; }

private:
    ZProfileTlsVersions* m_setting;
    std::unique_ptr<ZPluginDialog> m_plugin;
};

void OpenInDemo(const wchar_t* address)
{
    DemoPrintf(L"link would open: %ls\n", address);
}

// Message boxes of this thread are answered with OK after a short look.
HHOOK g_boxHook = nullptr;
int g_boxesClosed = 0;

LRESULT CALLBACK CloseBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        wchar_t className[16] = {};
        HWND window = reinterpret_cast<HWND>(wParam);
        ::GetClassNameW(window, className, 16);
        if (std::wstring(className) == L"#32770" && ::GetDlgItem(window, IDOK) && !::GetDlgItem(window, 5012)) {
            ++g_boxesClosed;
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
    }
    return ::CallNextHookEx(g_boxHook, code, wParam, lParam);
}

void Shot(HWND window, const wchar_t* name)
{
    PumpFor(150);
    const std::wstring path = SaveScreenshot(window, name);
    DemoPrintf(L"screenshot: %ls\n", path.empty() ? L"(none)" : path.c_str());
}

void ClickCheck(CListBox& list, int row)
{
    RECT item;
    if (list.GetItemRect(row, &item) == LB_ERR)
        return;
    const LPARAM point = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    list.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
    list.PostMessage(WM_LBUTTONUP, 0, point);
    PumpFor(50);
}

}  // namespace

void ShowOptions()
{
    DemoPrintf(L"== Options dialog\n");
    const ZStaticURL::Opener previousOpener = ZStaticURL::SetOpener(OpenInDemo);
    ZProfileTlsVersions setting(L"1.0=0,1.1=0,1.2=1,1.3=1");
    ZPropertyPageStateMap states;

    GeneralPage general;
    ZPropertyTreePage connection(341), terminal(343), emulation(344), keyboard(345);
    SecurityPage security(&setting);
    connection.AddPage(&security);
    terminal.AddPage(&emulation);
    emulation.AddPage(&keyboard);

    ZPropertyTreeDialog dialog(L"Options", 0, &states, nullptr);
    for (ZPropertyTreePage* page : {static_cast<ZPropertyTreePage*>(&general), &connection, &terminal})
        dialog.AddPage(page);
    if (!dialog.Create()) {
        DemoPrintf(L"the options dialog could not be made\n\n");
        ZStaticURL::SetOpener(previousOpener);
        return;
    }
    dialog.ShowWindow(SW_SHOW);
    general.Password().SetWindowText(L"secret");
    // Searched, then cleared by the host: the box shows its prompt again, holding no text.
    general.Search().SetWindowText(L"server");
    general.Search().Clear();
    DemoPrintf(L"search box cleared: %d characters of text\n", general.Search().GetWindowTextLength());
    Shot(dialog.m_hWnd, L"options-general.png");

    dialog.GetTree().SelectItem(keyboard.GetTreeItem());
    Shot(dialog.m_hWnd, L"options-keyboard.png");

    dialog.GetTree().SelectItem(security.GetTreeItem());
    Shot(dialog.m_hWnd, L"options-tls.png");
    if (security.HasPlugin()) {
        CListBox& list = security.Plugin().GetList();
        ClickCheck(list, 2);
        ClickCheck(list, 3);
        g_boxHook = ::SetWindowsHookExW(WH_CBT, CloseBoxes, nullptr, ::GetCurrentThreadId());
        const bool refusedEmpty = !dialog.DoOnOK();
        PumpFor(50);
        ::UnhookWindowsHookEx(g_boxHook);
        g_boxHook = nullptr;
        DemoPrintf(L"nothing checked: OK refused %ls, message boxes %d\n", refusedEmpty ? L"yes" : L"no",
                   g_boxesClosed);
        ClickCheck(list, 3);
        Shot(dialog.m_hWnd, L"options-tls-changed.png");
    }
    const bool closed = dialog.DoOnOK();
    DemoPrintf(L"OK: %ls; TLS setting now \"%ls\"\n", closed ? L"accepted" : L"refused", setting.GetText().c_str());
    dialog.DestroyWindow();
    PumpFor(50);
    ZStaticURL::SetOpener(previousOpener);
    DemoPrintf(L"\n");
}
