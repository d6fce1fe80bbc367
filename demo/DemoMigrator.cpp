// Demo section: an older command-bar XML layout migrated into a window's menu
// bar and toolbar, with the recent-file list shown in the migrated File menu.
// The window is shown, photographed and closed without a person.
#include <afxwin.h>

#include <BCGPToolBar.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"
#include "foundation/TessaroInit.h"
#include "hoststore/ZFileProfileStore.h"
#include "settings/ZRecentFileList.h"
#include "settings/ZXtXmlMigrator.h"

namespace {

constexpr UINT kFirstRecentFile = 0xE110;

// As the older toolkit saved it, trimmed to what the migration reads.
constexpr char kLayout[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Configuration><CommandBars>
 <CommandBar Type="0" Title="Menu Bar"><Controls>
  <Control Type="2" Caption="&amp;File" CommandBarId="100"/>
  <Control Type="2" Caption="&amp;Edit" CommandBarId="101"/>
  <Control Type="2" Caption="&amp;Themes" CommandBarId="102"/>
  <Control Type="2" Caption="&amp;Window" CommandBarId="103"/>
 </Controls></CommandBar>
 <CommandBar BarID="100"><Controls>
  <Control Id="57600" Caption="&amp;New"/><Control Id="57601" Caption="&amp;Open..."/>
  <Control Id="57603" Caption="&amp;Save" CustomCaption="&amp;Save session"/>
  <Control Id="57616" Caption="Recent File" BeginGroup="1"/>
  <Control Id="57665" Caption="E&amp;xit" BeginGroup="1"/>
 </Controls></CommandBar>
 <CommandBar BarID="101"><Controls>
  <Control Id="57634" Caption="&amp;Copy"/><Control Id="57637" Caption="&amp;Paste"/>
 </Controls></CommandBar>
 <CommandBar Class="CXTPToolBar" Title="Standard"><Controls>
  <Control Id="57600" Caption="New"/><Control Id="57601" Caption="Open"/><Control Id="57603" Caption="Save"/>
  <Control Id="57634" Caption="Copy" BeginGroup="1"/><Control Id="57637" Caption="Paste"/>
  <Control Id="32800" Caption="Connect" BeginGroup="1"/>
  <Control Id="32801" Caption="Hidden" HideFlags="1"/>
 </Controls></CommandBar>
</CommandBars></Configuration>
)";

std::unique_ptr<ZFileProfileStoreFactory> g_store;
ZProfileStoreFactory* MigratorStoreSource() { return g_store.get(); }

bool WriteLayout(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, kLayout, sizeof(kLayout) - 1, &written, nullptr);
    ::CloseHandle(file);
    return ok && written == sizeof(kLayout) - 1;
}

std::wstring Describe(HMENU menu, const std::wstring& indent)
{
    std::wstring text;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t caption[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), caption, 128, MF_BYPOSITION);
        const HMENU sub = ::GetSubMenu(menu, i);
        const UINT id = ::GetMenuItemID(menu, i);
        if (sub)
            text += indent + caption + L"\n" + Describe(sub, indent + L"    ");
        else if (!*caption)
            text += indent + L"----\n";
        else
            text += indent + caption + L"  (" + std::to_wstring(id) + L")\n";
    }
    return text;
}

int PositionOf(HMENU menu, UINT id)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        if (::GetMenuItemID(menu, i) == id)
            return i;
    return -1;
}

}  // namespace

void ShowMigrator()
{
    DemoPrintf(L"== Command-bar XML migration\n");
    const std::wstring folder = DemoSettingsFolder();
    const std::wstring layout = folder + L"\\MenuToolbar.xml";
    if (!WriteLayout(layout)) {
        DemoPrintf(L"could not write %ls\n\n", layout.c_str());
        return;
    }
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    CWnd frame;
    if (!frame.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_WINDOW)),
                        L"Migrated layout", WS_OVERLAPPEDWINDOW, 40, 40, 520, 260, nullptr, nullptr)) {
        DemoPrintf(L"no window could be made (no display)\n\n");
        if (SUCCEEDED(com))
            ::CoUninitialize();
        return;
    }
    CBCGPToolBar toolbar;
    toolbar.Create(&frame);
    toolbar.SendMessage(TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));

    CMenu menu, themes, window;
    menu.CreateMenu();
    themes.CreatePopupMenu();
    themes.AppendMenu(MF_STRING, 33000, L"&Light");
    themes.AppendMenu(MF_STRING, 33001, L"&Dark");
    window.CreatePopupMenu();
    window.AppendMenu(MF_STRING, 33100, L"&Cascade");

    ZMap<unsigned, int> images;
    images.SetAt(57600, STD_FILENEW);
    images.SetAt(57601, STD_FILEOPEN);
    images.SetAt(57603, STD_FILESAVE);
    images.SetAt(57634, STD_COPY);
    images.SetAt(57637, STD_PASTE);
    const ZXtXmlMigrator migrator(ZUnicodeString(layout.c_str()), &menu, &toolbar, &themes, &window, images);
    DemoPrintf(L"%ls: %ls\n", layout.c_str(), migrator.Loaded() ? L"loaded" : L"not loaded");

    // The recent files, in the host's store, replace the File menu's placeholder.
    const ZHostnameResolverFactory resolvers = Tessaro::GetResolverFactory();
    const ZProfileStoreFactorySource previous = Tessaro::GetProfileStoreFactorySource();
    g_store = std::make_unique<ZFileProfileStoreFactory>(folder.c_str());
    TessaroInit(resolvers, MigratorStoreSource);
    ZRecentFileList recent(0, L"DemoRecentFiles", L"File%1!d!", 4, 30);
    recent.ReadList();
    for (const wchar_t* name : {L"C:\\sessions\\build server.tsn", L"C:\\sessions\\backup.tsn",
                                L"C:\\sessions\\a session with a rather long name.tsn", L"C:\\sessions\\backup.tsn"})
        recent.AddToMostRecent(name);
    TessaroInit(resolvers, previous);
    g_store.reset();

    const HMENU fileMenu = ::GetSubMenu(menu.GetSafeHmenu(), 0);
    const int placeholder = fileMenu ? PositionOf(fileMenu, kFirstRecentFile) : -1;
    if (placeholder >= 0) {
        CCmdUI item;
        item.m_pMenu = CMenu::FromHandle(fileMenu);
        item.m_nID = kFirstRecentFile;
        item.m_nIndex = static_cast<UINT>(placeholder);
        recent.UpdateMenu(&item);
    }
    DemoPrintf(L"menu bar:\n%ls", Describe(menu.GetSafeHmenu(), L"  ").c_str());
    std::wstring buttons;
    for (int i = 0; i < toolbar.GetCount(); ++i) {
        const CBCGPToolbarButton* button = toolbar.GetButton(i);
        buttons += button->IsSeparator() ? std::wstring(L" |")
                   : button->m_bText     ? L" '" + std::wstring(button->m_strText.GetString()) + L"'"
                                         : L" " + std::to_wstring(button->m_nID) + L"[image " +
                                               std::to_wstring(button->GetImage()) + L"]";
    }
    DemoPrintf(L"toolbar:%ls\n", buttons.c_str());

    ::SetMenu(frame.m_hWnd, menu.GetSafeHmenu());
    frame.ShowWindow(SW_SHOW);
    RECT client{};
    frame.GetClientRect(&client);
    ::SetWindowPos(toolbar.m_hWnd, nullptr, 0, 0, client.right, 0, SWP_NOZORDER);
    toolbar.SendMessage(TB_AUTOSIZE);
    ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG message;
    for (int i = 0; i < 20 && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    const std::wstring screenshot = SaveScreenshot(frame.m_hWnd, L"migrator.png");
    if (!screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", screenshot.c_str());

    // The window must not take the menu with it: the menu object owns it, and
    // the menu owns the ready-made popups once they were appended.
    ::SetMenu(frame.m_hWnd, nullptr);
    toolbar.DestroyWindow();
    frame.DestroyWindow();
    menu.DestroyMenu();
    themes.Detach();
    window.Detach();
    CWnd::DeleteTempMap();
    if (SUCCEEDED(com))
        ::CoUninitialize();
    DemoPrintf(L"\n");
}
