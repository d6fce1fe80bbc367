// The property tree dialog, run modeless under a real display: page states across runs with one state
// map, hidden pages returning to their place, a refused page change, Ctrl+Tab order and the controlling
// check box; and the state map's copies on their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ZControllingCheckBox.h"
#include "controls/ZPropertyPageStateMap.h"
#include "controls/ZPluginDialog.h"
#include "controls/ZPropertyTreeDialog.h"
#include "tests/support/MessagePump.h"
#include "tests/support/WindowReaders.h"

namespace {

using TestSupport::PumpPending;

// A page that counts validations and can refuse to be left.
class Page : public ZPropertyTreePage {
public:
    using ZPropertyTreePage::ZPropertyTreePage;
    BOOL OnKillActive() override
    {
        ++killCount;
        return !refuse;
    }
    int killCount = 0;
    bool refuse = false;
};

class Dialog : public ZPropertyTreeDialog {
public:
    using ZPropertyTreeDialog::ZPropertyTreeDialog;
    void SetModified(bool modified) override { this->modified = modified; }
    bool modified = false;
};

class PropertyTreeTest : public testing::Test {
protected:
    // General, Terminal (Emulation), Network (Proxy).
    PropertyTreeTest() : general(801), terminal(802), emulation(803), network(804), proxy(805)
    {
        terminal.AddPage(&emulation);
        network.AddPage(&proxy);
    }
    void Open(bool newSession = false)
    {
        dialog = std::make_unique<Dialog>(L"Options", 0, &map);
        for (Page* page : {&general, &terminal, &network})
            dialog->AddPage(page);
        dialog->SetNewSession(newSession);
        ASSERT_TRUE(dialog->Create());
        dialog->ShowWindow(SW_SHOW);
        PumpPending();
    }
    void Close()
    {
        dialog->DestroyWindow();
        dialog.reset();
        PumpPending();
    }
    void TearDown() override
    {
        if (dialog)
            Close();
    }
    std::wstring TreeText(HTREEITEM item) { return dialog->GetTree().GetItemText(item).GetString(); }
    std::vector<std::wstring> RootTexts()
    {
        std::vector<std::wstring> texts;
        for (HTREEITEM item = dialog->GetTree().GetRootItem(); item; item = dialog->GetTree().GetNextSiblingItem(item))
            texts.push_back(TreeText(item));
        return texts;
    }
    bool Expanded(Page& page)
    {
        return dialog->GetTree().GetItemState(page.GetTreeItem(), TVIS_EXPANDED) & TVIS_EXPANDED;
    }
    // The key goes the way the message loop sends it: up from the window that has it.
    void PressCtrl(WPARAM key, bool shift, HWND target = nullptr)
    {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        MSG msg = {target ? target : dialog->GetTree().m_hWnd, WM_KEYDOWN, key, 1, 0, {}};
        EXPECT_TRUE(AfxPreTranslateMessage(&msg));
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
    }

    ZPropertyPageStateMap map;
    Page general, terminal, emulation, network, proxy;
    std::unique_ptr<Dialog> dialog;
};

TEST(PropertyPageStateMap, CopiesHoldTheirOwnStates)
{
    ZPropertyPageStateMap original;
    original.SetAt(L"Terminal", {true, false});
    original.SetAt(ZPropertyPageStateMap::ChildKey(L"Terminal", L"Emulation"), {false, true});

    ZPropertyPageStateMap copy(original);
    ZPropertyPageStateMap assigned;
    assigned.SetAt(L"Old", {});
    assigned = original;
    original.Lookup(L"Terminal")->expanded = false;

    for (const ZPropertyPageStateMap* map : {&copy, &assigned}) {
        ASSERT_EQ(map->GetCount(), 2u);
        EXPECT_TRUE(map->Lookup(L"Terminal")->expanded);
        EXPECT_TRUE(map->Lookup(L"Terminal~Emulation")->selected);
        EXPECT_NE(map->Lookup(L"Terminal"), original.Lookup(L"Terminal"));
    }
    EXPECT_EQ(assigned.Lookup(L"Old"), nullptr);
}

TEST_F(PropertyTreeTest, StatesAreSavedWholeAndComeBackOnTheNextRunUnlessNewSession)
{
    Open();
    dialog->GetTree().SelectItem(emulation.GetTreeItem());
    dialog->CollapsePage(&network);
    Close();
    const ZPropertyPageStateMap::StateList saved = map.GetStates();
    std::vector<std::wstring> keys;
    for (const auto& [key, state] : saved)
        keys.push_back(key.str() + (state.expanded ? L" +" : L" -") + (state.selected ? L" selected" : L""));
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"General +", L"Network -", L"Network~Proxy +", L"Terminal +",
                                               L"Terminal~Emulation + selected"}));

    map.SetStates({{ZUnicodeString(L"Old"), {}}});
    map.SetStates(saved);  // as a host restores it in a later session
    EXPECT_EQ(map.Lookup(L"Old"), nullptr);
    EXPECT_EQ(map.GetStates().size(), saved.size());

    Open();
    EXPECT_EQ(dialog->GetCurrentPage(), &emulation);
    EXPECT_TRUE(emulation.IsWindowVisible());
    EXPECT_FALSE(general.IsWindowVisible());
    EXPECT_TRUE(Expanded(terminal));
    EXPECT_FALSE(Expanded(network));
    Close();

    Open(true);
    EXPECT_EQ(dialog->GetCurrentPage(), &general);
    EXPECT_FALSE(Expanded(network));  // only the selection starts afresh
}

TEST_F(PropertyTreeTest, TreeTextHeaderTextAndKeys)
{
    Open();
    EXPECT_EQ(RootTexts(), (std::vector<std::wstring>{L"General", L"Terminal", L"Network"}));
    EXPECT_EQ(dialog->GetCurrentPage(), &general);
    EXPECT_EQ(TestSupport::WindowText(::GetDlgItem(dialog->m_hWnd, ZPropertyTreeDialog::kHeaderId)),
              L"  General settings");
    EXPECT_FALSE(general.GetStyle() & WS_CAPTION);
    EXPECT_EQ(emulation.GetStateKey(), L"Terminal~Emulation");
    EXPECT_NE(map.Lookup(L"Network~Proxy"), nullptr);
}

TEST_F(PropertyTreeTest, HiddenPagesReturnToTheirPlaceAndHidingTheCurrentOneSkipsItsValidation)
{
    Open();
    dialog->GetTree().SelectItem(emulation.GetTreeItem());
    emulation.refuse = true;
    emulation.killCount = 0;
    dialog->HidePage(&terminal);
    EXPECT_EQ(emulation.killCount, 0);
    EXPECT_EQ(dialog->GetCurrentPage(), &general);
    EXPECT_FALSE(emulation.IsWindowVisible());
    EXPECT_EQ(RootTexts(), (std::vector<std::wstring>{L"General", L"Network"}));
    EXPECT_EQ(emulation.GetTreeItem(), nullptr);
    dialog->ShowPage(&terminal);
    EXPECT_EQ(RootTexts(), (std::vector<std::wstring>{L"General", L"Terminal", L"Network"}));
    EXPECT_EQ(TreeText(dialog->GetTree().GetChildItem(terminal.GetTreeItem())), L"Emulation");

    dialog->HidePage(&proxy);
    dialog->HidePage(&general);
    dialog->ShowPage(&proxy);
    dialog->ShowPage(&general);
    EXPECT_EQ(RootTexts(), (std::vector<std::wstring>{L"General", L"Terminal", L"Network"}));
    EXPECT_EQ(TreeText(dialog->GetTree().GetChildItem(network.GetTreeItem())), L"Proxy");
}

TEST_F(PropertyTreeTest, ARefusedChangeKeepsThePageAndTheFocus)
{
    Open();
    general.refuse = true;
    CWnd* edit = general.GetDlgItem(100);
    edit->SetFocus();
    dialog->GetTree().SelectItem(network.GetTreeItem());
    EXPECT_EQ(dialog->GetCurrentPage(), &general);
    EXPECT_EQ(dialog->GetTree().GetSelectedItem(), general.GetTreeItem());
    EXPECT_EQ(::GetFocus(), edit->m_hWnd);
    EXPECT_FALSE(dialog->DoOnOK());

    general.refuse = false;
    dialog->GetTree().SelectItem(network.GetTreeItem());
    EXPECT_EQ(dialog->GetCurrentPage(), &network);
}

TEST_F(PropertyTreeTest, CtrlTabWalksTheVisiblePagesAndWraps)
{
    Open();
    dialog->CollapsePage(&network);  // Proxy is not visible
    struct Step { WPARAM key; bool shift; Page* expected; };
    const Step steps[] = {
        {VK_TAB, false, &terminal}, {VK_TAB, false, &emulation}, {VK_NEXT, false, &network},
        {VK_TAB, false, &general},  {VK_TAB, true, &network},    {VK_PRIOR, false, &emulation},
    };
    for (const Step& step : steps) {
        PressCtrl(step.key, step.shift);
        EXPECT_EQ(dialog->GetCurrentPage(), step.expected) << step.key << (step.shift ? " shift" : "");
    }
}

TEST_F(PropertyTreeTest, CtrlTabSwitchesPagesFromControlsOnAPageAndInAPlugInOnIt)
{
    Open();
    dialog->CollapsePage(&terminal);
    dialog->CollapsePage(&network);
    ZPluginDialog plugin(805, ::GetModuleHandleW(nullptr), &network);
    ASSERT_TRUE(plugin.Create(805, &network));
    plugin.ShowWindow(SW_SHOW);
    struct Step { Page* on; CWnd* focus; WPARAM key; Page* expected; };
    const Step steps[] = {
        {&general, general.GetDlgItem(100), VK_TAB, &terminal},
        {&terminal, terminal.GetDlgItem(101), VK_PRIOR, &general},
        {&network, plugin.GetDlgItem(102), VK_NEXT, &general},
    };
    for (const Step& step : steps) {
        dialog->GetTree().SelectItem(step.on->GetTreeItem());
        step.focus->SetFocus();
        PressCtrl(step.key, false, step.focus->m_hWnd);
        EXPECT_EQ(dialog->GetCurrentPage(), step.expected) << step.key;
        EXPECT_TRUE(::IsWindowVisible(::GetFocus()));  // not left on the page that went away
    }
    plugin.DestroyWindow();
}

TEST_F(PropertyTreeTest, TheSameDialogRunTwiceKeepsItsBoldHeader)
{
    Open();
    dialog->DestroyWindow();
    PumpPending();
    ASSERT_TRUE(dialog->Create());
    LOGFONTW font = {};
    const LRESULT header = ::SendDlgItemMessageW(dialog->m_hWnd, ZPropertyTreeDialog::kHeaderId, WM_GETFONT, 0, 0);
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HGDIOBJ>(header), sizeof font, &font));
    EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST_F(PropertyTreeTest, ControllingCheckBoxEnablesItsControls)
{
    Open();
    ZControllingCheckBox box(&general);
    ASSERT_TRUE(box.SubclassDlgItem(101, &general));
    box.Init(false, {102, 103, 999});
    EXPECT_FALSE(general.GetDlgItem(102)->IsWindowEnabled());
    EXPECT_FALSE(general.GetDlgItem(103)->IsWindowEnabled());
    EXPECT_TRUE(general.GetDlgItem(100)->IsWindowEnabled());
    EXPECT_FALSE(dialog->modified);

    box.SendMessage(BM_CLICK);
    EXPECT_TRUE(box.IsChecked());
    EXPECT_TRUE(general.GetDlgItem(102)->IsWindowEnabled());
    EXPECT_TRUE(general.GetDlgItem(103)->IsWindowEnabled());
    EXPECT_TRUE(dialog->modified);
    box.UnsubclassWindow();
}

}  // namespace
