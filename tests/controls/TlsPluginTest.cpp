// The TLS versions plug-in under a real display: the setting's text into the check list and back, the
// refusal of a list with nothing checked, and the plug-in inside a host's plug-in page of a property tree
// dialog, driven by posted mouse and key messages.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "controls/ZPluginPage.h"
#include "controls/ZPropertyTreeDialog.h"
#include "controls/ZTlsVersionsPlugin.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/MessagePump.h"

namespace {

using TestSupport::MessageBoxWatcher;
using TestSupport::PumpPending;
using Checks = std::array<int, 4>;  // 1.0, 1.1, 1.2, 1.3

constexpr int kListId = 3021;

// A parent for plug-ins made without a property tree dialog.
class Host : public CDialog {
public:
    Host() { EXPECT_TRUE(CreateIndirect(Template(), nullptr)); }
    ~Host() override { DestroyWindow(); }

private:
    static LPCDLGTEMPLATEW Template()
    {
        static const DLGTEMPLATE dialog = {WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 300, 200};
        static WORD words[sizeof dialog / sizeof(WORD) + 3] = {};
        memcpy(words, &dialog, sizeof dialog);
        return reinterpret_cast<LPCDLGTEMPLATEW>(words);
    }
};

Checks ListChecks(ZTlsVersionsPlugin& plugin)
{
    Checks checks = {};
    for (int index = 0; index < 4; ++index)
        checks[static_cast<size_t>(index)] = plugin.GetList().GetCheck(index);
    return checks;
}

// Clicks the check box of row, as the user would, through the message queue.
void ClickCheck(CListBox& list, int row)
{
    RECT item;
    ASSERT_NE(list.GetItemRect(row, &item), LB_ERR);
    const LPARAM point = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    list.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
    list.PostMessage(WM_LBUTTONUP, 0, point);
    PumpPending();
}

std::unique_ptr<ZTlsVersionsPlugin> MakePlugin(CDialog& parent, ZProfileTlsVersions& setting)
{
    std::unique_ptr<ZPluginDialog> made(ZTlsVersionsPlugin::Create(&parent, 7, &setting));
    EXPECT_NE(dynamic_cast<ZTlsVersionsPlugin*>(made.get()), nullptr);
    return std::unique_ptr<ZTlsVersionsPlugin>(dynamic_cast<ZTlsVersionsPlugin*>(made.release()));
}

// Where the text is kept is the host's business (the store's round trips are the settings tests').
TEST(TlsVersionsPlugin, ShowsTheSettingsTextAndWritesTheClickedChecksBack)
{
    // stored: null for a setting never given a text; toggled: the row clicked before saving.
    struct Case { const wchar_t* stored; Checks shown; int toggled; const wchar_t* saved; };
    const Case cases[] = {
        {nullptr, {1, 1, 1, 1}, 0, L"1.0=0,1.1=1,1.2=1,1.3=1"},
        {L"1.0=0", {0, 1, 1, 1}, 0, L"1.0=1,1.1=1,1.2=1,1.3=1"},
        {L"1.2=yes", {1, 1, 0, 1}, 1, L"1.0=1,1.1=0,1.2=0,1.3=1"},
        {L"1.0", {1, 1, 1, 1}, 3, L"1.0=1,1.1=1,1.2=1,1.3=0"},
        {L"1.0=1,1.1=0,1.2=1,1.3=0", {1, 0, 1, 0}, 3, L"1.0=1,1.1=0,1.2=1,1.3=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.stored ? c.stored : L"(none)")));
        ZProfileTlsVersions setting;
        if (c.stored)
            setting.SetText(ZUnicodeString(c.stored));
        Host host;
        std::unique_ptr<ZTlsVersionsPlugin> plugin = MakePlugin(host, setting);
        ASSERT_NE(plugin, nullptr);
        EXPECT_EQ(plugin->GetValue(), 7);
        EXPECT_EQ(ListChecks(*plugin), c.shown);
        ClickCheck(plugin->GetList(), c.toggled);
        ASSERT_TRUE(plugin->SavePageData());
        EXPECT_EQ(setting.GetText(), ZUnicodeString(c.saved));
        plugin->DestroyWindow();
    }
}

TEST(TlsVersionsPlugin, AtLeastOneVersionStaysChecked)
{
    ZProfileTlsVersions setting(L"1.0=0,1.1=0,1.2=0,1.3=1");
    Host host;
    std::unique_ptr<ZTlsVersionsPlugin> plugin = MakePlugin(host, setting);
    ASSERT_NE(plugin, nullptr);
    CListBox& list = plugin->GetList();
    list.SetCurSel(3);
    list.PostMessage(WM_KEYDOWN, VK_SPACE, 0);
    PumpPending();
    ASSERT_EQ(ListChecks(*plugin), (Checks{0, 0, 0, 0}));

    MessageBoxWatcher watcher(IDOK);
    ASSERT_TRUE(watcher.Hooked());
    EXPECT_FALSE(plugin->SavePageData());
    ASSERT_EQ(watcher.Boxes().size(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].icon, TestSupport::SystemIconFor(MB_ICONEXCLAMATION));
    EXPECT_EQ(::GetFocus(), list.m_hWnd);
    EXPECT_EQ(setting.GetText(), ZUnicodeString(L"1.0=0,1.1=0,1.2=0,1.3=1"));

    ClickCheck(list, 1);
    EXPECT_TRUE(plugin->SavePageData());
    EXPECT_EQ(watcher.Boxes().size(), 1u);
    EXPECT_EQ(setting.GetText(), ZUnicodeString(L"1.0=0,1.1=1,1.2=0,1.3=0"));
    plugin->DestroyWindow();
}

// A host page that places the plug-in in its placeholder and saves it when the page is left.
class SecurityPage : public ZPluginPage {
public:
    explicit SecurityPage(ZProfileTlsVersions* setting)
        : ZPluginPage(901, ::GetModuleHandleW(nullptr)), m_setting(setting)
    {
    }
    BOOL OnInitDialog() override
    {
        const BOOL result = ZPluginPage::OnInitDialog();
        plugin.reset(ZTlsVersionsPlugin::Create(this, 0, m_setting));
        if (!plugin)
            return result;
        RECT place;
        GetDlgItem(911)->GetWindowRect(&place);
        ScreenToClient(&place);
        plugin->SetWindowPos(nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                             SWP_NOZORDER | SWP_SHOWWINDOW);
        static_cast<ZTlsVersionsPlugin*>(plugin.get())->InitSize();
        return result;
    }
    BOOL OnKillActive() override { return plugin && plugin->SavePageData(); }
    std::unique_ptr<ZPluginDialog> plugin;

private:
    ZProfileTlsVersions* m_setting;
};

TEST(TlsVersionsPlugin, LivesInAPluginPageOfAPropertyTreeDialog)
{
    ZProfileTlsVersions setting(L"1.0=0,1.1=0,1.2=1,1.3=1");
    SecurityPage page(&setting);
    ZPropertyTreeDialog dialog(L"Options", 0, nullptr, nullptr);
    dialog.AddPage(&page);
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(SW_SHOW);
    PumpPending();
    ASSERT_NE(page.plugin, nullptr);
    auto& plugin = static_cast<ZTlsVersionsPlugin&>(*page.plugin);
    EXPECT_EQ(plugin.GetParent(), &page);
    EXPECT_EQ(page.GetParent(), &dialog);

    // The list fills the plug-in less one pixel on every side, from (0, 0).
    RECT outer, inner;
    plugin.GetWindowRect(&outer);
    plugin.GetList().GetWindowRect(&inner);
    plugin.ScreenToClient(&inner);
    EXPECT_EQ(inner.left, 0);
    EXPECT_EQ(inner.top, 0);
    EXPECT_EQ(inner.right, outer.right - outer.left - 2);
    EXPECT_EQ(inner.bottom, outer.bottom - outer.top - 2);
    EXPECT_EQ(ListChecks(plugin), (Checks{0, 0, 1, 1}));

    // Unchecking everything keeps the dialog open; checking 1.0 lets OK through.
    ClickCheck(plugin.GetList(), 2);
    ClickCheck(plugin.GetList(), 3);
    {
        MessageBoxWatcher watcher(IDOK);
        EXPECT_FALSE(dialog.DoOnOK());
        EXPECT_EQ(watcher.Boxes().size(), 1u);
    }
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
    ClickCheck(plugin.GetList(), 0);
    EXPECT_TRUE(dialog.DoOnOK());
    EXPECT_EQ(setting.GetText(), ZUnicodeString(L"1.0=1,1.1=0,1.2=0,1.3=0"));
    dialog.DestroyWindow();
    PumpPending();
}

}  // namespace
