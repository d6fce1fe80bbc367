// TrayIcon against Wine's notification area: adding, the tip, the re-add after
// a shell restart, clicks and menu commands reaching the client, and where the
// menu opens. Shell_NotifyIconW calls are recorded on their way to the shell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/TrayIcon.h"

namespace TrayIconTest {

struct NotifyCall {
    DWORD action;
    NOTIFYICONDATAW record;
    BOOL result;
};
std::vector<NotifyCall> g_calls;

BOOL WINAPI RecordingNotify(DWORD action, PNOTIFYICONDATAW record)
{
    const BOOL result = ::Shell_NotifyIconW(action, record);
    g_calls.push_back({action, *record, result});
    return result;
}

class Client : public TrayIconClient {
public:
    void OnTrayIconClick() override { events.push_back(L"click"); }
    void OnTrayIconDoubleClick() override { events.push_back(L"double"); }
    void GetTrayIconMenu(HMENU* menu) override
    {
        events.push_back(L"menu");
        if (!giveMenu)
            return;
        *menu = ::CreatePopupMenu();
        ::AppendMenuW(*menu, MF_STRING, 7, L"Open");
        shownMenu = *menu;
    }
    void OnTrayIconCommand(UINT id) override { events.push_back(L"command " + std::to_wstring(id)); }

    std::vector<std::wstring> events;
    bool giveMenu = true;
    HMENU shownMenu = nullptr;
};

class TrayIconFixture : public testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        m_previous = TrayIcon::SetNotifyFunction(RecordingNotify);
    }
    void TearDown() override { TrayIcon::SetNotifyFunction(m_previous); }

    static bool ShellHasIcon(HWND window)
    {
        NOTIFYICONDATAW probe = {};
        probe.cbSize = sizeof(probe);
        probe.hWnd = window;
        probe.uFlags = NIF_TIP;
        return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    }

    HICON m_icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    HICON m_other = ::LoadIconW(nullptr, IDI_INFORMATION);
    Client m_client;

private:
    TrayIcon::NotifyFunction m_previous = nullptr;
};

TEST_F(TrayIconFixture, NothingIsShownBeforeTheWindowExists)
{
    TrayIcon icon(&m_client);
    icon.SetTrayIcon(m_icon);
    EXPECT_FALSE(icon.IsShown());
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(TrayIconFixture, AddsThenModifiesTheIconAndTipAndRemovesItOnDestruction)
{
    HWND window = nullptr;
    {
        TrayIcon icon(&m_client);
        ASSERT_TRUE(icon.Create());
        window = icon.GetSafeHwnd();
        wchar_t className[64] = {};
        ::GetClassNameW(window, className, 64);
        EXPECT_STREQ(className, L"TrayIconWndClass");

        icon.SetTrayIcon(m_icon);
        ASSERT_TRUE(icon.IsShown());
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].action, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(g_calls[0].record.cbSize, 976u);
        EXPECT_EQ(g_calls[0].record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
        EXPECT_EQ(g_calls[0].record.uCallbackMessage, 0x501u);
        EXPECT_EQ(g_calls[0].record.uID, 0u);
        EXPECT_TRUE(ShellHasIcon(window));

        icon.SetTrayIcon(m_other);
        ASSERT_EQ(g_calls.size(), 2u);
        EXPECT_EQ(g_calls[1].action, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(g_calls[1].record.uFlags, static_cast<UINT>(NIF_ICON));
        EXPECT_EQ(g_calls[1].record.hIcon, m_other);

        const std::wstring tip(100, L'x');
        icon.SetTrayIconTip(tip.c_str());
        ASSERT_EQ(g_calls.size(), 3u);
        EXPECT_EQ(g_calls[2].action, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(g_calls[2].record.uFlags, static_cast<UINT>(NIF_TIP));
        EXPECT_EQ(std::wstring(g_calls[2].record.szTip), tip.substr(0, 63));  // cut to fit with its terminator
        EXPECT_TRUE(g_calls[2].result);
    }
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[3].action, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(g_calls[3].result);
    EXPECT_FALSE(::IsWindow(window));
}

// The restarted shell has lost every icon and tells every top-level window.
void RestartShell(TrayIcon& icon)
{
    NOTIFYICONDATAW lost = {};
    lost.cbSize = sizeof(lost);
    lost.hWnd = icon.GetSafeHwnd();
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &lost));
    ::SendMessageW(icon.GetSafeHwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

TEST_F(TrayIconFixture, AShellRestartAddsTheLastIconAgainWithItsTipUnlessItWasRemoved)
{
    TrayIcon icon(&m_client);
    ASSERT_TRUE(icon.Create());
    icon.SetTrayIconTip(L"Sessions: 2");  // before the icon: nothing to ask the shell yet
    icon.SetTrayIcon(m_icon);
    icon.SetTrayIcon(m_other);
    RestartShell(icon);
    ASSERT_EQ(g_calls.size(), 3u);
    for (size_t add : {0u, 2u}) {
        EXPECT_EQ(g_calls[add].action, static_cast<DWORD>(NIM_ADD));
        EXPECT_TRUE(g_calls[add].record.uFlags & NIF_TIP);
        EXPECT_STREQ(g_calls[add].record.szTip, L"Sessions: 2");
    }
    EXPECT_EQ(g_calls[2].record.hIcon, m_other);
    EXPECT_TRUE(icon.IsShown());
    EXPECT_TRUE(ShellHasIcon(icon.GetSafeHwnd()));

    // Removed by the host, it stays away after the next restart.
    icon.RemoveTrayIcon();
    ::SendMessageW(icon.GetSafeHwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(g_calls.back().action, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(icon.IsShown());
}

TEST_F(TrayIconFixture, ClicksAndCommandsReachTheClient)
{
    TrayIcon icon(&m_client);
    ASSERT_TRUE(icon.Create());
    icon.SetTrayIcon(m_icon);
    const HWND window = icon.GetSafeHwnd();
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } steps[] = {
        {TrayIcon::kCallbackMessage, 0, WM_LBUTTONUP},   {TrayIcon::kCallbackMessage, 0, WM_MOUSEMOVE},
        {TrayIcon::kCallbackMessage, 0, WM_LBUTTONDOWN}, {TrayIcon::kCallbackMessage, 0, WM_LBUTTONDBLCLK},
        {WM_COMMAND, MAKEWPARAM(42, 0), 0},              {WM_COMMAND, MAKEWPARAM(7, 1), 0},
    };
    for (const auto& step : steps)
        EXPECT_EQ(::SendMessageW(window, step.message, step.wParam, step.lParam), 0);
    EXPECT_EQ(m_client.events, (std::vector<std::wstring>{L"click", L"double", L"command 42", L"command 7"}));
}

TEST_F(TrayIconFixture, ARightClickShowsTheClientsMenuAndDestroysIt)
{
    TrayIcon icon(&m_client);
    ASSERT_TRUE(icon.Create());
    icon.SetTrayIcon(m_icon);
    // The menu is modal: a timer closes it once it is up.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    ::SendMessageW(icon.GetSafeHwnd(), TrayIcon::kCallbackMessage, 0, WM_RBUTTONUP);
    ::KillTimer(nullptr, timer);
    ASSERT_NE(m_client.shownMenu, nullptr);
    EXPECT_FALSE(::IsMenu(m_client.shownMenu));

    m_client.giveMenu = false;
    ::SendMessageW(icon.GetSafeHwnd(), TrayIcon::kCallbackMessage, 0, WM_RBUTTONUP);
    EXPECT_EQ(m_client.events, (std::vector<std::wstring>{L"menu", L"menu"}));
}

TEST(TrayMenuPlacement, TheMenuOpensTowardsTheScreensCentre)
{
    constexpr UINT R = TPM_RIGHTBUTTON;
    const struct {
        const char* name;
        POINT cursor;
        UINT flags;
        POINT anchor;
    } cases[] = {
        {"bottom right", {1200, 1000}, R | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, {1200, 1024}},
        {"top right", {1200, 10}, R | TPM_RIGHTALIGN, {1200, 10}},
        {"bottom left", {5, 700}, R | TPM_BOTTOMALIGN, {5, 1024}},
        {"top left", {5, 10}, R, {5, 10}},
        {"on the vertical centre line", {640, 1000}, R, {640, 1000}},
        {"on the horizontal centre line", {1200, 512}, R, {1200, 512}},
        {"one past the centre", {641, 513}, R | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, {641, 1024}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TrayMenuPlacement placement = TrayIcon::ChooseMenuPlacement(c.cursor, 1280, 1024);
        EXPECT_EQ(placement.flags, c.flags);
        EXPECT_EQ(placement.anchor.x, c.anchor.x);
        EXPECT_EQ(placement.anchor.y, c.anchor.y);
    }
}

}  // namespace TrayIconTest
