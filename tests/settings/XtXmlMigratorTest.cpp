// ZXtXmlMigrator on the real MSXML DOM, a real menu and a real toolbar window:
// layouts written by hand for each rule, files from another tool in several
// encodings, broken and hostile files, and mutations of a good file. Results
// are read back from the menu handles and the toolbar window.
#include <gtest/gtest.h>

#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/ZXtXmlMigrator.h"
#include "tests/support/Mutations.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr UINT kThemeItem = 900;
constexpr UINT kWindowItem = 901;
constexpr UINT kFirstButton = 1;

// "text#id" items, "-" separators, "text>(...)" popups, joined by ",".
std::wstring MenuDump(HMENU menu)
{
    std::wstring dump;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (!dump.empty())
            dump += L",";
        if (info.fType & MFT_SEPARATOR)
            dump += L"-";
        else if (info.hSubMenu)
            dump += std::wstring(text) + L">(" + MenuDump(info.hSubMenu) + L")";
        else
            dump += std::wstring(text) + L"#" + std::to_wstring(info.wID);
    }
    return dump;
}

// "|" separators, "id", ":img" and the image, ":'text'" for shown text.
std::wstring ToolbarDump(HWND toolbar)
{
    std::wstring dump;
    const int count = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        ::SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        if (!dump.empty())
            dump += L" ";
        if (button.fsStyle & BTNS_SEP) {
            dump += L"|";
            continue;
        }
        dump += std::to_wstring(button.idCommand);
        if (button.iBitmap != I_IMAGENONE)
            dump += L":img" + std::to_wstring(button.iBitmap);
        if (button.fsStyle & BTNS_SHOWTEXT) {
            wchar_t text[256] = {};
            ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand),
                           reinterpret_cast<LPARAM>(text));
            dump += L":'" + std::wstring(text) + L"'";
        }
        if (!(button.fsState & TBSTATE_ENABLED))
            dump += L":disabled";
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
        m_toolbar.InsertButton(CBCGPToolbarButton(kFirstButton, -1));
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
        if (m_toolbar.GetSafeHwnd()) {
            m_toolbar.RemoveAllButtons();
            m_toolbar.InsertButton(CBCGPToolbarButton(kFirstButton, -1));
        }
    }

    bool MigrateFile(const std::wstring& path, const ZMap<unsigned, int>& images = ZMap<unsigned, int>())
    {
        ZXtXmlMigrator migrator(ZUnicodeString(path.c_str()), &m_menu, &m_toolbar, &m_themes, &m_window, images);
        EXPECT_EQ(migrator.GetMenu(), &m_menu);
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

struct LayoutCase {
    const char* name;
    std::string bars;
    std::wstring menu;
    std::wstring toolbar;
};

TEST_F(XtXmlMigrator, LayoutsBecomeMenusAndToolbarButtons)
{
    ZMap<unsigned, int> images;
    images.SetAt(57600, 2);
    const LayoutCase cases[] = {
        {"menu bar with a popup filled by a later bar",
         R"(<CommandBar Type="0"><Controls><Control Type="2" Caption="&amp;File" CommandBarId="100"/>)"
         R"(<Control Id="57600" Caption="&amp;New"/></Controls></CommandBar>)"
         R"(<CommandBar BarID="100"><Control Id="57600" Caption="&amp;New"/></CommandBar>)",
         L"&File>(&New#57600),&New#57600", L"1"},
        {"the user's caption wins; empty caption",
         R"(<CommandBar Type="0"><Control Id="7" Caption="Old" CustomCaption="Mine"/><Control Id="8"/></CommandBar>)",
         L"Mine#7,#8", L"1"},
        {"groups put separators before controls",
         R"(<CommandBar Type="0"><Control Id="1" Caption="a" BeginGroup="1"/><Control Id="2" Caption="b" BeginGroup="0"/>)"
         R"(<Control Id="3" Caption="c" BeginGroup=" 1 x"/></CommandBar>)",
         L"-,a#1,b#2,-,c#3", L"1"},
        {"themes and window popups get the ready-made menus, whose bars are ignored",
         R"(<CommandBar Type="0"><Control Type="2" Caption="&amp;Themes" CommandBarId="200"/>)"
         R"(<Control Type="2" Caption="&amp;WINDOW" CustomCaption="Fenster" CommandBarId="201"/></CommandBar>)"
         R"(<CommandBar BarID="200"><Control Id="5" Caption="x"/></CommandBar>)"
         R"(<CommandBar BarID="201"><Control Id="6" Caption="y"/></CommandBar>)",
         L"&Themes>(Dark#900),&WINDOW>(Cascade#901)", L"1"},
        {"a popup without a numeric bar id is not made",
         R"(<CommandBar Type="0"><Control Type="2" Caption="A"/><Control Type="2" Caption="B" CommandBarId="x1"/>)"
         R"(<Control Type="2" CommandBarId="3"/><Control Type="2" Caption="C" CommandBarId="-4"/></CommandBar>)",
         L"C>()", L"1"},
        {"a later popup with the same key receives the bar",
         R"(<CommandBar Type="0"><Control Type="2" Caption="One" CommandBarId="9"/>)"
         R"(<Control Type="2" Caption="Two" CommandBarId="9"/></CommandBar><CommandBar BarID="9"><Control Id="4" Caption="d"/></CommandBar>)",
         L"One>(),Two>(d#4)", L"1"},
        {"controls without a usable id add nothing",
         R"(<CommandBar Type="0"><Control Caption="no id"/><Control Id="abc" Caption="letters"/>)"
         R"(<Control Id="" Caption="empty"/><Control Id="2147483648" Caption="too big"/>)"
         R"(<Control Id=" 12abc" Caption="twelve"/><Control Id="-2147483648" Caption="min"/></CommandBar>)",
         L"twelve#12,min#2147483648", L"1"},
        {"bars without a target and unknown bar ids are skipped",
         R"(<CommandBar><Control Id="1" Caption="a"/></CommandBar><CommandBar BarID="77"><Control Id="2"/></CommandBar>)"
         R"(<CommandBar Type="00"><Control Id="3"/></CommandBar>)",
         L"", L"1"},
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
         L"outer#1,inner#2,inner#2", L"1"},
        {"controls at any depth below a bar",
         R"(<CommandBar Type="0"><a><b><c><Control Id="3" Caption="deep"/></c></b></a></CommandBar>)",
         L"deep#3", L"1"},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMenus();
        EXPECT_TRUE(Migrate(Layout(c.bars), images));
        EXPECT_EQ(Menu(), c.menu);
        EXPECT_EQ(Toolbar(), c.toolbar);
        // Ready-made menus are never filled from the file.
        EXPECT_EQ(MenuDump(m_themes.GetSafeHmenu()), L"Dark#900");
        EXPECT_EQ(MenuDump(m_window.GetSafeHmenu()), L"Cascade#901");
    }
}

TEST_F(XtXmlMigrator, FilesThatCannotBeParsedChangeNothing)
{
    const std::string good = Layout(R"(<CommandBar Type="0"><Control Id="1" Caption="a"/></CommandBar>)");
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"unclosed tag", good.substr(0, good.size() - 20)},
        {"mismatched tags", "<Configuration><CommandBar Type=\"0\"><Control Id=\"1\"/></Configuration></CommandBar>"},
        {"two roots", "<CommandBar Type=\"0\"><Control Id=\"1\"/></CommandBar><CommandBar/>"},
        {"unquoted attribute", "<CommandBar Type=0><Control Id=\"1\"/></CommandBar>"},
        {"binary junk", std::string("\x00\x01\xFF\xFE\x80garbage\x00", 14)},
        {"invalid UTF-8 in a caption",
         Layout("<CommandBar Type=\"0\"><Control Id=\"1\" Caption=\"\xC3\x28\xFF\"/></CommandBar>")},
        {"UTF-8 bytes declared as UTF-16", Layout("<CommandBar Type=\"0\"><Control Id=\"1\"/></CommandBar>")
                                               .replace(30, 5, "UTF-16")},
        {"undefined entity", Layout("<CommandBar Type=\"0\"><Control Id=\"1\" Caption=\"&nope;\"/></CommandBar>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMenus();
        EXPECT_FALSE(Migrate(c.bytes));
        EXPECT_EQ(Menu(), L"");
        EXPECT_EQ(Toolbar(), L"1");
    }
    ResetMenus();
    EXPECT_FALSE(MigrateFile(m_scratch.File(L"missing.xml")));
    EXPECT_FALSE(MigrateFile(m_scratch.Path()));  // a folder
    EXPECT_FALSE(MigrateFile(L""));
    EXPECT_EQ(Menu(), L"");
    EXPECT_EQ(Toolbar(), L"1");
}

TEST_F(XtXmlMigrator, DeclaredEncodingsAreHonoured)
{
    // "Caf\xE9" is the Latin-1 byte for U+00E9.
    EXPECT_TRUE(Migrate("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><CommandBar Type=\"0\">"
                        "<Control Id=\"1\" Caption=\"Caf\xE9\"/></CommandBar>"));
    EXPECT_EQ(Menu(), L"Caf\u00e9#1");
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

    // Each of 60 nested menu bars adds its own control and those of every bar
    // inside it: 1 + 2 + ... + 60 items.
    ResetMenus();
    std::string nested;
    for (int i = 0; i < 60; ++i)
        nested += "<CommandBar Type=\"0\"><Control Id=\"" + std::to_string(i + 1) + "\"/>";
    for (int i = 0; i < 60; ++i)
        nested += "</CommandBar>";
    EXPECT_TRUE(Migrate(Layout(nested)));
    EXPECT_EQ(m_menu.GetMenuItemCount(), 60 * 61 / 2);

    // Elements nested far deeper than any layout: parsed or refused, never half done.
    ResetMenus();
    std::string deep = "<CommandBar Type=\"0\">";
    for (int i = 0; i < 20000; ++i)
        deep += "<g>";
    deep += "<Control Id=\"5\" Caption=\"bottom\"/>";
    for (int i = 0; i < 20000; ++i)
        deep += "</g>";
    deep += "</CommandBar>";
    if (Migrate(Layout(deep)))
        EXPECT_EQ(Menu(), L"bottom#5");
    else
        EXPECT_EQ(Menu(), L"");
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
    const Case cases[] = {{L"utf8-nobom.xml", true},    {L"utf8-bom.xml", true},     {L"utf16le-bom.xml", true},
                          {L"utf16be-bom.xml", true},   {L"utf16le-nobom.xml", false}, {L"etree-utf8.xml", true},
                          {L"etree-utf16.xml", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
        ResetMenus();
        wchar_t full[MAX_PATH] = {};
        ::GetFullPathNameW((std::wstring(L"migrator-samples\\") + c.file).c_str(), MAX_PATH, full, nullptr);
        ASSERT_NE(::GetFileAttributesW(full), INVALID_FILE_ATTRIBUTES);
        const bool loaded = MigrateFile(full);
        if (c.mustLoad) {
            EXPECT_TRUE(loaded);
        }
        EXPECT_EQ(Menu(), loaded ? menu : L"");
        EXPECT_EQ(Toolbar(), loaded ? toolbar : L"1");
    }
}

TEST_F(XtXmlMigrator, MutatedFilesLoadOrChangeNothing)
{
    const std::string good = "<CommandBars><CommandBar Type=\"0\"><Control Type=\"2\" Caption=\"F\" CommandBarId=\"1\"/>"
                             "</CommandBar><CommandBar BarID=\"1\"><Control Id=\"5\" BeginGroup=\"1\"/></CommandBar>"
                             "<CommandBar Class=\"CXTPToolBar\"><Control Id=\"6\" Caption=\"t\"/></CommandBar></CommandBars>";
    TestSupport::Mutations mutations;
    mutations.byteValues = false;
    mutations.randomVariants = 128;
    const std::wstring path = m_scratch.File(L"mutated.xml");
    size_t loaded = 0;
    const size_t count = mutations.ForEach(std::vector<unsigned char>(good.begin(), good.end()),
                                           [&](const TestSupport::Mutation& m) {
        ResetMenus();
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, std::string(m.bytes.begin(), m.bytes.end())));
        if (MigrateFile(path)) {
            ++loaded;
            EXPECT_LE(m_menu.GetMenuItemCount(), 3) << m.description;
        } else {
            EXPECT_EQ(m_menu.GetMenuItemCount(), 0) << m.description;
            EXPECT_EQ(Toolbar(), L"1") << m.description;
        }
    });
    RecordProperty("mutated_inputs", static_cast<int>(count));
    EXPECT_GT(loaded, 0u);
    EXPECT_LT(loaded, count);
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

struct NumberCase {
    const wchar_t* text;
    std::optional<int> value;
};

TEST(XtNumbers, DecimalSigned32BitFromTheStart)
{
    const NumberCase cases[] = {
        {L"0", 0},           {L"57600", 57600},          {L"  42", 42},          {L"\t7x", 7},
        {L"-5", -5},         {L"+5", 5},                 {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},               {L"2147483648", std::nullopt},
        {L"-2147483649", std::nullopt},                  {L"99999999999999999999", std::nullopt},
        {L"", std::nullopt}, {L"   ", std::nullopt},     {L"x1", std::nullopt},  {L"- 1", std::nullopt},
        {L"0x10", 0},        {L"\u0661", std::nullopt},  {L"1 2", 1},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "text length " << wcslen(c.text));
        EXPECT_EQ(Tessaro::ParseXtNumber(c.text), c.value);
    }
}

}  // namespace
