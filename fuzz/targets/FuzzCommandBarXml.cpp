// The command-bar XML file of older hosts, parsed by the platform's DOM and
// migrated into a real menu and toolbar: each file loads or changes nothing.
#include <objbase.h>

#include <stdexcept>

#include "fuzz/FuzzHarness.h"
#include "fuzz/targets/ScratchFile.h"
#include "settings/ZXtXmlMigrator.h"

namespace {

constexpr UINT kFirstButton = 1;

struct Windows {
    ScratchFile file{L"MenuToolbar.xml"};
    CWnd frame;
    CBCGPToolBar toolbar;
    CMenu menu, themes, window;

    void Create()
    {
        if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ||
            !frame.CreateEx(0, AfxRegisterWndClass(0), L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                            nullptr) ||
            !toolbar.Create(&frame))
            throw std::runtime_error("cannot create the frame and toolbar");
    }
    // Takes the ready-made popups out of the menus the last file built, so that
    // each menu is destroyed exactly once whatever that file did.
    void RemoveReadyMade(HMENU from)
    {
        for (int i = ::GetMenuItemCount(from) - 1; i >= 0; --i) {
            const HMENU popup = ::GetSubMenu(from, i);
            if (popup && (popup == themes.GetSafeHmenu() || popup == window.GetSafeHmenu()))
                ::RemoveMenu(from, static_cast<UINT>(i), MF_BYPOSITION);
            else if (popup)
                RemoveReadyMade(popup);
        }
    }
    void Reset()
    {
        if (menu.GetSafeHmenu())
            RemoveReadyMade(menu.GetSafeHmenu());
        menu.DestroyMenu();
        themes.DestroyMenu();
        window.DestroyMenu();
        if (!menu.CreateMenu() || !themes.CreatePopupMenu() || !window.CreatePopupMenu())
            throw std::runtime_error("cannot create menus");
        themes.AppendMenu(MF_STRING, 900, L"Dark");
        window.AppendMenu(MF_STRING, 901, L"Cascade");
        toolbar.RemoveAllButtons();
        toolbar.InsertButton(CBCGPToolbarButton(kFirstButton, -1));
    }
};

Windows* g_windows = nullptr;

std::string Migrate(const unsigned char* bytes, size_t size)
{
    Windows& w = *g_windows;
    if (!w.file.Write(bytes, size))
        throw std::runtime_error("cannot write the scratch file");
    w.Reset();
    ZMap<unsigned, int> images;
    images[6] = 2;
    const ZXtXmlMigrator migrator(ZUnicodeString(w.file.Path().c_str()), &w.menu, &w.toolbar, &w.themes, &w.window,
                                  images);
    if (w.toolbar.GetCount() != static_cast<int>(w.toolbar.SendMessage(TB_BUTTONCOUNT)))
        throw std::logic_error("toolbar object and window disagree");
    if (migrator.Loaded())
        return "loaded";
    if (w.menu.GetMenuItemCount() != 0 || w.toolbar.GetCount() != 1)
        throw std::logic_error("a file that did not load changed the menu or toolbar");
    return "refused";
}

Fuzz::Bytes Layout(const std::string& bars, const char* declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")
{
    return Fuzz::ToBytes(declaration + ("<Configuration><CommandBars>" + bars + "</CommandBars></Configuration>\n"));
}

}  // namespace

int main()
{
    Windows windows;
    g_windows = &windows;
    Fuzz::Target target{
        "xml", Migrate,
        [] {
            return std::vector<Fuzz::Bytes>{
                Layout(R"(<CommandBar Type="0"><Control Type="2" Caption="&amp;File" CommandBarId="1"/>)"
                       R"(<Control Id="57666" Caption="Ab&amp;out"/></CommandBar>)"
                       R"(<CommandBar BarID="1"><Control Id="5" BeginGroup="1" Caption="&#xe9;t&#xe9;"/>)"
                       R"(<Control Type="2" Caption="Themes" CommandBarId="2"/></CommandBar>)"
                       R"(<CommandBar Class="CXTPToolBar"><Control Id="6" Caption="t" Style="3"/>)"
                       R"(<Control Id="7" BeginGroup="1"/></CommandBar>)"),
                Layout(R"(<CommandBar Type="0"><Control Type="2" Caption="W" CommandBarId="9">)"
                       R"(<CommandBar BarID="9"><Control Id="-1" Caption="x"/></CommandBar></Control></CommandBar>)",
                       "<?xml version=\"1.0\"?>\n"),
            };
        },
        8 * 1024, 20000, [](const std::vector<Fuzz::Bytes>&) { g_windows->Create(); }};
    return Fuzz::RunFuzzer(target);
}
