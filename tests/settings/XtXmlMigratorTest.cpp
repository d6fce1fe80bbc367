// ZXtXmlMigrator on the real MSXML DOM, a real menu and toolbar window: hand-written layouts
// for each rule, files from another tool in several encodings, hostile files.
#include <gtest/gtest.h>

#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/ZXtXmlMigrator.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr UINT kThemeItem = 900;
constexpr UINT kWindowItem = 901;
constexpr UINT kFirstButton = 1;

// "text#id" items, "-" separators, "text>(...)" popups, joined by ",".
std::wstring MenuDump(HMENU menu)
{
    std::wstring dump;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        const HMENU popup = ::GetSubMenu(menu, i);
        dump += i ? L"," : L"";
        if (popup)
            dump += text + (L">(" + MenuDump(popup) + L")");
        else if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR)
            dump += L"-";
        else
            dump += text + (L"#" + std::to_wstring(::GetMenuItemID(menu, i)));
    }
    return dump;
}

// "|" separators, "id", ":img" and the image, ":'text'" for shown text.
std::wstring ToolbarDump(HWND toolbar)
{
    std::wstring dump;
    for (int i = 0; i < static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0)); ++i) {
        TBBUTTON button{};
        ::SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        dump += i ? L" " : L"";
        if (button.fsStyle & BTNS_SEP) {
            dump += L"|";
            continue;
        }
        wchar_t text[256] = {};
        ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand),
                       reinterpret_cast<LPARAM>(text));
        dump += std::to_wstring(button.idCommand);
        dump += button.iBitmap != I_IMAGENONE ? L":img" + std::to_wstring(button.iBitmap) : L"";
        dump += button.fsStyle & BTNS_SHOWTEXT ? L":'" + std::wstring(text) + L"'" : L"";
        dump += button.fsState & TBSTATE_ENABLED ? L"" : L":disabled";
    }
    return dump;
}

std::string Layout(const std::string& bars)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration><CommandBars>" + bars +
           "</CommandBars></Configuration>\n";
}

class XtXmlMigrator : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(m_frame.CreateEx(0, AfxRegisterWndClass(0), L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                     nullptr, nullptr));
        ASSERT_TRUE(m_toolbar.Create(&m_frame));
        ResetMenus();
    }
    void TearDown() override
    {
        m_toolbar.DestroyWindow();
        m_frame.DestroyWindow();
        CWnd::DeleteTempMap();
        ::CoUninitialize();
    }

    void ResetMenus()
    {
        // The main menu goes first: it destroys the ready-made popups it holds.
        m_menu.DestroyMenu();
        m_themes.Detach();
        m_window.Detach();
        ASSERT_TRUE(m_menu.CreateMenu());
        ASSERT_TRUE(m_themes.CreatePopupMenu());
        ASSERT_TRUE(m_window.CreatePopupMenu());
        m_themes.AppendMenu(MF_STRING, kThemeItem, L"Dark");
        m_window.AppendMenu(MF_STRING, kWindowItem, L"Cascade");
        m_toolbar.RemoveAllButtons();
        m_toolbar.InsertButton(CBCGPToolbarButton(kFirstButton, -1));
    }

    // Migrates into fresh menus and a toolbar holding one button.
    bool MigrateFile(const std::wstring& path, const ZMap<unsigned, int>& images = ZMap<unsigned, int>())
    {
        ResetMenus();
        ZXtXmlMigrator migrator(ZUnicodeString(path.c_str()), &m_menu, &m_toolbar, &m_themes, &m_window, images);
        // The object list and the window agree.
        EXPECT_EQ(m_toolbar.GetCount(), static_cast<int>(m_toolbar.SendMessage(TB_BUTTONCOUNT)));
        return migrator.Loaded();
    }
    bool Migrate(const std::string& bytes, const ZMap<unsigned, int>& images = ZMap<unsigned, int>())
    {
        const std::wstring path = m_scratch.File(L"MenuToolbar.xml");
        EXPECT_TRUE(ScratchFolder::WriteBytes(path, bytes));
        return MigrateFile(path, images);
    }

    std::wstring Menu() const { return MenuDump(m_menu.GetSafeHmenu()); }
    std::wstring Toolbar() const { return ToolbarDump(m_toolbar.GetSafeHwnd()); }

    ScratchFolder m_scratch;
    CWnd m_frame;
    CBCGPToolBar m_toolbar;
    CMenu m_menu;
    CMenu m_themes;
    CMenu m_window;
};

TEST_F(XtXmlMigrator, LayoutsBecomeMenusAndToolbarButtons)
{
    struct Case {
        const char* name;
        std::string bars;
        std::wstring menu;
        std::wstring toolbar = L"1";
    };
    const Case cases[] = {
        {"menu bar with a popup filled by a later bar",
         R"(<CommandBar Type="0"><Controls><Control Type="2" Caption="&amp;File" CommandBarId="100"/>)"
         R"(<Control Id="57600" Caption="&amp;New"/></Controls></CommandBar>)"
         R"(<CommandBar BarID="100"><Control Id="57600" Caption="&amp;New"/></CommandBar>)",
         L"&File>(&New#57600),&New#57600"},
        {"the user's caption wins; empty caption",
         R"(<CommandBar Type="0"><Control Id="7" Caption="Old" CustomCaption="Mine"/><Control Id="8"/></CommandBar>)",
         L"Mine#7,#8"},
        {"groups put separators before controls",
         R"(<CommandBar Type="0"><Control Id="1" Caption="a" BeginGroup="1"/>)"
         R"(<Control Id="2" Caption="b" BeginGroup="0"/><Control Id="3" Caption="c" BeginGroup=" 1 x"/></CommandBar>)",
         L"-,a#1,b#2,-,c#3"},
        {"themes and window popups get the ready-made menus, whose bars are ignored",
         R"(<CommandBar Type="0"><Control Type="2" Caption="&amp;Themes" CommandBarId="200"/>)"
         R"(<Control Type="2" Caption="&amp;WINDOW" CustomCaption="Fenster" CommandBarId="201"/></CommandBar>)"
         R"(<CommandBar BarID="200"><Control Id="5" Caption="x"/></CommandBar>)"
         R"(<CommandBar BarID="201"><Control Id="6" Caption="y"/></CommandBar>)",
         L"&Themes>(Dark#900),&WINDOW>(Cascade#901)"},
        {"a popup without a numeric bar id is not made",
         R"(<CommandBar Type="0"><Control Type="2" Caption="A"/><Control Type="2" Caption="B" CommandBarId="x1"/>)"
         R"(<Control Type="2" CommandBarId="3"/><Control Type="2" Caption="C" CommandBarId="-4"/></CommandBar>)",
         L"C>()"},
        {"a later popup with the same key receives the bar",
         R"(<CommandBar Type="0"><Control Type="2" Caption="One" CommandBarId="9"/>)"
         R"(<Control Type="2" Caption="Two" CommandBarId="9"/></CommandBar>)"
         R"(<CommandBar BarID="9"><Control Id="4" Caption="d"/></CommandBar>)",
         L"One>(),Two>(d#4)"},
        {"a popup reusing its own bar's key: the bar's later controls stay in its menu",
         R"(<CommandBar Type="0"><Control Type="2" Caption="A" CommandBarId="9"/></CommandBar>)"
         R"(<CommandBar BarID="9"><Control Type="2" Caption="B" CommandBarId="9"/><Control Id="5" Caption="x"/>)"
         R"(<Control Type="2" Caption="C" CommandBarId="9"/><Control Id="6" Caption="y"/></CommandBar>)"
         R"(<CommandBar BarID="9"><Control Id="7" Caption="z"/></CommandBar>)",
         L"A>(B>(),x#5,C>(z#7),y#6)"},
        {"controls without a usable id add nothing",
         R"(<CommandBar Type="0"><Control Caption="no id"/><Control Id="abc" Caption="letters"/>)"
         R"(<Control Id="" Caption="empty"/><Control Id="2147483648" Caption="too big"/>)"
         R"(<Control Id=" 12abc" Caption="twelve"/><Control Id="-2147483648" Caption="min"/></CommandBar>)",
         L"twelve#12,min#2147483648"},
        {"bars without a target and unknown bar ids are skipped",
         R"(<CommandBar><Control Id="1" Caption="a"/></CommandBar>)"
         R"(<CommandBar BarID="77"><Control Id="2"/></CommandBar><CommandBar Type="00"><Control Id="3"/></CommandBar>)",
         L""},
        {"toolbar: images from the map, captions as text, hidden controls left out",
         R"(<CommandBar Class="cxtptoolbar"><Control Id="57600" Caption="New"/><Control Id="57601" Caption="Open"/>)"
         R"(<Control Id="57602" Caption="Hidden" HideFlags="0"/><Control Id="57603" HideFlags=""/>)"
         R"(<Control Id="57604"/><Control Caption="no id"/></CommandBar>)",
         L"", L"57600:img2 57601:'Open' 57603 57604"},
        {"toolbar: a group on the first control gives a leading separator",
         R"(<CommandBar Class="CXTPToolBar"><Control Id="10" Caption="a" BeginGroup="1"/>)"
         R"(<Control Id="11" Caption="b" BeginGroup="1" HideFlags="1"/></CommandBar>)",
         L"", L"| 10:'a' |"},
        {"toolbar: each toolbar bar starts afresh",
         R"(<CommandBar Class="CXTPToolBar"><Control Id="10" Caption="a"/></CommandBar>)"
         R"(<CommandBar Class="CXTPToolBar"><Control Id="11" Caption="b"/></CommandBar>)",
         L"", L"11:'b'"},
        {"nested bars are processed twice",
         R"(<CommandBar Type="0"><Control Id="1" Caption="outer"/>)"
         R"(<CommandBar Type="0"><Control Id="2" Caption="inner"/></CommandBar></CommandBar>)",
         L"outer#1,inner#2,inner#2"},
        {"controls at any depth below a bar",
         R"(<CommandBar Type="0"><a><b><c><Control Id="3" Caption="deep"/></c></b></a></CommandBar>)", L"deep#3"},
    };
    ZMap<unsigned, int> images;
    images.SetAt(57600, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Migrate(Layout(c.bars), images));
        EXPECT_EQ(Menu(), c.menu);
        EXPECT_EQ(Toolbar(), c.toolbar);
        // Ready-made menus are never filled from the file.
        EXPECT_EQ(MenuDump(m_themes.GetSafeHmenu()), L"Dark#900");
        EXPECT_EQ(MenuDump(m_window.GetSafeHmenu()), L"Cascade#901");
    }
}

// Files the parser refuses are the mutation test's; these never reach it.
TEST_F(XtXmlMigrator, FilesThatCannotBeReadChangeNothing)
{
    for (const std::wstring& path : {m_scratch.File(L"missing.xml"), m_scratch.Path(), std::wstring()}) {
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_FALSE(MigrateFile(path));
        EXPECT_EQ(Menu() + L" / " + Toolbar(), L" / 1");
    }
}

// Layout files never declare a document type: one that does is refused before
// any entity it declares is expanded or fetched.
TEST_F(XtXmlMigrator, FilesWithADocumentTypeAreRefused)
{
    const std::wstring outside = m_scratch.File(L"outside.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(outside, "secret"));
    const std::string bars = R"(<CommandBars><CommandBar Type="0"><Control Id="1" Caption="&e;"/></CommandBar>)"
                             R"(</CommandBars>)";
    const std::string big(100000, 'w');
    const struct {
        const char* name;
        std::string doctype;
    } cases[] = {
        {"an internal entity used many times",
         "<!DOCTYPE Configuration [<!ENTITY b \"" + big + "\"><!ENTITY e \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"},
        {"an external entity", "<!DOCTYPE Configuration [<!ENTITY e SYSTEM \"outside.txt\">]>"},
        {"a bare document type", "<!DOCTYPE Configuration [<!ENTITY e \"x\">]>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Migrate("<?xml version=\"1.0\"?>\n" + c.doctype + "<Configuration>" + bars + "</Configuration>"));
        EXPECT_EQ(Menu() + L" / " + Toolbar(), L" / 1");
    }
}

TEST_F(XtXmlMigrator, HugeValuesAndDeepNestingDoNotBreakIt)
{
    const std::string caption(1 << 20, 'w');
    EXPECT_TRUE(Migrate(Layout("<CommandBar Type=\"0\"><Control Id=\"1\" Caption=\"" + caption +
                               "\"/><Control Id=\"2\" Caption=\"after\"/></CommandBar>")));
    ASSERT_EQ(m_menu.GetMenuItemCount(), 2);
    CStringW text;
    EXPECT_EQ(m_menu.GetMenuString(0, text, MF_BYPOSITION), static_cast<int>(caption.size()));
    EXPECT_EQ(m_menu.GetMenuItemID(1), 2u);

    // Elements nested far deeper than any layout: parsed or refused, never half done.
    std::string open, close;
    for (int level = 0; level < 20000; ++level) {
        open += "<g>";
        close += "</g>";
    }
    const bool loaded = Migrate(Layout("<CommandBar Type=\"0\">" + open + "<Control Id=\"5\" Caption=\"bottom\"/>" +
                                       close + "</CommandBar>"));
    EXPECT_EQ(Menu(), loaded ? L"bottom#5" : L"");
}

TEST_F(XtXmlMigrator, FilesWrittenByAnotherToolInEachEncoding)
{
    const std::wstring menu = L"&Fichier \u00e9\u20ac>(&Nouveau \U0001F600#57600),\u00dcber <&> \"x\"#57666";
    const std::wstring toolbar = L"57601:'Ouvrir \u00e9'";
    struct Case {
        const wchar_t* file;
        bool mustLoad;
    };
    // Without a byte-order mark UTF-16 can only be guessed from the first
    // bytes; a parser may refuse it, but must never read it as something else.
    const Case cases[] = {{L"utf8-nobom.xml", true},      {L"utf8-bom.xml", true},    {L"utf16le-bom.xml", true},
                          {L"utf16be-bom.xml", true},     {L"utf16le-nobom.xml", false},
                          {L"etree-utf8.xml", true},      {L"etree-utf16.xml", true}, {L"etree-latin1.xml", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.file)));
        wchar_t full[MAX_PATH] = {};
        ::GetFullPathNameW((std::wstring(L"migrator-samples\\") + c.file).c_str(), MAX_PATH, full, nullptr);
        ASSERT_NE(::GetFileAttributesW(full), INVALID_FILE_ATTRIBUTES);
        const bool loaded = MigrateFile(full);
        EXPECT_TRUE(loaded || !c.mustLoad);
        EXPECT_EQ(Menu() + L" / " + Toolbar(), loaded ? menu + L" / " + toolbar : L" / 1");
    }
}

TEST_F(XtXmlMigrator, CopiesShareThePopupsWhichStayInTheirMenus)
{
    const std::wstring path = m_scratch.File(L"copy.xml");
    ASSERT_TRUE(ScratchFolder::WriteBytes(
        path, Layout(R"(<CommandBar Type="0"><Control Type="2" Caption="A" CommandBarId="1"/></CommandBar>)"
                     R"(<CommandBar BarID="1"><Control Type="2" Caption="B" CommandBarId="2"/></CommandBar>)"
                     R"(<CommandBar BarID="2"><Control Id="3" Caption="c"/></CommandBar>)")));
    {
        std::optional<ZXtXmlMigrator> copy;
        {
            ZXtXmlMigrator migrator(ZUnicodeString(path.c_str()), &m_menu, &m_toolbar, &m_themes, &m_window,
                                    ZMap<unsigned, int>());
            ASSERT_TRUE(migrator.Loaded());
            copy.emplace(migrator);
            ZXtXmlMigrator assigned = migrator;
            assigned = *copy;
        }
        EXPECT_TRUE(copy->Loaded());
        EXPECT_EQ(Menu(), L"A>(B>(c#3))");
    }
    // Every migrator is gone: the submenus still live inside the main menu.
    EXPECT_EQ(Menu(), L"A>(B>(c#3))");
    EXPECT_TRUE(::IsMenu(::GetSubMenu(::GetSubMenu(m_menu.GetSafeHmenu(), 0), 0)));
}

TEST(XtNumbers, DecimalSigned32BitFromTheStart)
{
    struct Case {
        const wchar_t* text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {L"0", 0},           {L"57600", 57600},          {L"  42", 42},          {L"\t7x", 7},
        {L"-5", -5},         {L"+5", 5},                 {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},               {L"2147483648", std::nullopt},
        {L"-2147483649", std::nullopt},                  {L"99999999999999999999", std::nullopt},
        {L"", std::nullopt}, {L"   ", std::nullopt},     {L"x1", std::nullopt},  {L"- 1", std::nullopt},
        {L"0x10", 0},        {L"\u0661", std::nullopt},  {L"1 2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text length " << wcslen(c.text));
        EXPECT_EQ(Tessaro::ParseXtNumber(c.text), c.value);
    }
}

}  // namespace
