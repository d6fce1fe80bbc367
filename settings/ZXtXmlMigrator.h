// ZXtXmlMigrator: rebuilds the main menu (with its popups) and the main toolbar
// from the command-bar XML file that older versions of the hosts kept, once,
// in the constructor.
//
// Every "CommandBar" element is taken in document order and gets a target: the
// menu bar ("Type" 0), the toolbar ("Class" CXTPToolBar, whose buttons are
// removed first) or the popup created earlier for its "BarID"; then every
// "Control" below it, at any depth, goes to that target. A bar nested in
// another is therefore reached twice: its controls also go to the outer bar.
// Popups captioned Themes and Window get the host's ready-made menus, which are
// never targets. Failed DOM calls are traced; nothing is shown to the user. A
// file that cannot be parsed, or that declares a document type, leaves
// Loaded() false and menu and toolbar as they were; nothing outside the file
// is fetched.
//
// The popups created here belong to the menus they were appended to; the
// migrator keeps only wrapper objects for them, shared by its copies, which
// let go of their handles without destroying them.
#pragma once

#include <afxwin.h>

#include <BCGPToolBar.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/TessaroApi.h"
#include "foundation/ZMap.h"
#include "foundation/ZUnicodeString.h"

struct IXMLDOMDocument;
struct IXMLDOMNode;

namespace Tessaro {

// A decimal signed 32-bit number at the start of text, after blanks; anything
// after its digits is ignored. Empty when text does not begin with one, or
// when the number does not fit.
TESSARO_API std::optional<int> ParseXtNumber(std::wstring_view text);

}  // namespace Tessaro

class TESSARO_API ZXtXmlMigrator {
public:
    ZXtXmlMigrator(ZUnicodeString xmlPath, CMenu* menu, CBCGPToolBar* toolbar, CMenu* themesMenu, CMenu* windowMenu,
                   ZMap<unsigned, int> imageMap);
    ZXtXmlMigrator(const ZXtXmlMigrator&) = default;
    ZXtXmlMigrator& operator=(const ZXtXmlMigrator&) = default;
    ~ZXtXmlMigrator();

    // The file was parsed.
    bool Loaded() const { return m_loaded; }
    // The main menu given to the constructor.
    CMenu* GetMenu() const { return m_menu; }

    // The attributes of one element, as the DOM delivered them.
    class Attributes;

private:
    void Migrate(const ZUnicodeString& xmlPath);
    void MigrateBars(IXMLDOMDocument* document);
    void ProcessNodeControls(IXMLDOMNode* bar);
    void ChooseTarget(const Attributes& bar);
    void ProcessControl(const Attributes& control);
    bool AppendPopup(const Attributes& control, const std::wstring& key);
    void AppendToolbarButton(const Attributes& control, int id);

    bool m_loaded = false;
    bool m_toolbarMode = false;
    // From a popup's "CommandBarId" text to the wrapper of the menu made for it.
    ZMap<ZUnicodeString, std::shared_ptr<CMenu>> m_popups{25};
    CMenu* m_menu;
    // Shares the popup's wrapper: a later popup under the same key replaces
    // the map's entry while this bar's controls still go to the old one.
    std::shared_ptr<CMenu> m_target;
    CBCGPToolBar* m_toolbar;
    CMenu* m_themesMenu;
    CMenu* m_windowMenu;
    ZMap<unsigned, int> m_imageMap;
};
