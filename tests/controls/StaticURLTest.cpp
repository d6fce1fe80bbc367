// The link label under a real display: a click opens the address through the opener seam (no browser
// starts); the context menu offers open and copy, and copy leaves the address on the clipboard.
// The menu is driven from a thread timer, which the menu's own loop dispatches: it reads the menu that is
// showing, then types a mnemonic into it.
#include <gtest/gtest.h>

#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ZStaticURL.h"
#include "tests/controls/ListsTestHost.h"

namespace {

using ListsTest::Host;
using ListsTest::Pump;

constexpr UINT kLinkId = 300;
constexpr UINT kAddressStringId = 700;  // in EditsTest.rc

std::vector<std::wstring> g_opened;
void RecordOpen(const wchar_t* address) { g_opened.emplace_back(address); }

struct MenuItem {
    std::wstring text;
    UINT id;
    bool separator, isDefault;
    bool operator==(const MenuItem&) const = default;
};

std::vector<MenuItem> g_menuSeen;
wchar_t g_menuKey = 0;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (!menuWindow)
        return;
    ::KillTimer(nullptr, timer);
    const HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;  // whose id means nothing
        g_menuSeen.push_back({text, separator ? 0 : info.wID, separator, (info.fState & MFS_DEFAULT) != 0});
    }
    if (g_menuKey)
        ::PostMessageW(menuWindow, WM_CHAR, g_menuKey, 1);
    else
        ::EndMenu();
}

class StaticURLTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The library copies through the OLE clipboard, as its hosts run.
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        g_opened.clear();
        g_menuSeen.clear();
        m_previousOpener = ZStaticURL::SetOpener(RecordOpen);
        ASSERT_TRUE(host.Make(320, 80));
        // A plain static, as a dialog template makes it: no framework object yet.
        ASSERT_TRUE(::CreateWindowExW(0, L"Static", L"Visit the site", WS_CHILD | WS_VISIBLE, 10, 10, 190, 20,
                                      host.m_hWnd, reinterpret_cast<HMENU>(kLinkId), nullptr, nullptr));
    }
    void TearDown() override
    {
        ZStaticURL::SetOpener(m_previousOpener);
        link.reset();
        ::OleUninitialize();
    }

    void ShowMenu(wchar_t key)
    {
        g_menuKey = key;
        ::SetTimer(nullptr, 0, 20, DriveMenu);
        RECT rect;
        link->GetWindowRect(&rect);
        ::SetCursorPos(rect.left + 5, rect.top + 5);
        const LPARAM at = MAKELPARAM(rect.left + 5, rect.top + 5);
        link->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(link->m_hWnd), at);
        Pump();
    }
    static std::wstring ClipboardText()
    {
        std::wstring text;
        if (!::OpenClipboard(nullptr))
            return L"(clipboard busy)";
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(::GlobalLock(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
        return text;
    }

    Host host;
    std::unique_ptr<ZStaticURL> link;
    ZStaticURL::Opener m_previousOpener = nullptr;
};

TEST_F(StaticURLTest, AClickOpensTheAddressFromAStringResource)
{
    link = std::make_unique<ZStaticURL>(kAddressStringId, ZStaticURL::kHandCursorId);
    ASSERT_TRUE(link->SubclassDlgItem(kLinkId, &host));
    EXPECT_TRUE(link->GetStyle() & SS_NOTIFY);

    link->PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    link->PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    Pump();
    EXPECT_EQ(g_opened, std::vector<std::wstring>{L"https://example.org/from-resource"});
}

TEST_F(StaticURLTest, HandCursorOverTheLinkOrTheArrowWithoutOne)
{
    struct Case { int cursorId; bool hand; };
    for (const Case c : {Case{ZStaticURL::kHandCursorId, true}, Case{4242, false}}) {
        ZStaticURL url(L"https://example.org/", c.cursorId);
        ASSERT_TRUE(url.SubclassDlgItem(kLinkId, &host));
        const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
        ::SetCursor(arrow);
        url.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(url.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(url.GetLinkCursor() != nullptr, c.hand) << c.cursorId;
        if (c.hand) {
            EXPECT_EQ(::GetCursor(), url.GetLinkCursor());
        }
        url.UnsubclassWindow();
    }
}

TEST_F(StaticURLTest, LinkColoursOverTheParentsBackground)
{
    link = std::make_unique<ZStaticURL>(L"https://example.org/", ZStaticURL::kHandCursorId);
    ASSERT_TRUE(link->SubclassDlgItem(kLinkId, &host));
    const HDC dc = ::GetDC(link->m_hWnd);
    const LRESULT brush =
        host.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link->m_hWnd));
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 238));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(NULL_BRUSH));
    ::ReleaseDC(link->m_hWnd, dc);
}

TEST_F(StaticURLTest, MenuOffersOpenAndCopyAndCopyTakesTheAddress)
{
    link = std::make_unique<ZStaticURL>(L"https://example.org/menu", ZStaticURL::kHandCursorId);
    ASSERT_TRUE(link->SubclassDlgItem(kLinkId, &host));

    ShowMenu(L't');
    const std::vector<MenuItem> expected = {
        {L"&Open", ZStaticURL::kOpenCommand, false, true},
        {L"", 0, true, false},
        {L"Copy Shor&tcut", ZStaticURL::kCopyCommand, false, false},
    };
    EXPECT_EQ(g_menuSeen, expected);
    EXPECT_EQ(ClipboardText(), L"https://example.org/menu");
    EXPECT_TRUE(g_opened.empty());

    g_menuSeen.clear();
    ShowMenu(L'o');
    EXPECT_EQ(g_opened, std::vector<std::wstring>{L"https://example.org/menu"});
}

}  // namespace
