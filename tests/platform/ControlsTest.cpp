// The control, menu, image-list and view wrappers against the real controls:
// what one member writes, another member (or the platform directly) reads back.
#include <gtest/gtest.h>

#include "platform/mfc/afxcmn.h"

#include <string>
#include <vector>

namespace {

class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_DATE_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&init);
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                      nullptr, nullptr));
    }
    void TearDown() override
    {
        m_parent.DestroyWindow();
        CWnd::DeleteTempMap();
    }
    const CRect m_place{0, 0, 200, 120};
    CWnd m_parent;
};

TEST_F(ControlsTest, ComboAndListBoxesKeepTextsAndData)
{
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWN | WS_VSCROLL, m_place, &m_parent, 1));
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | LBS_NOTIFY | LBS_EXTENDEDSEL, m_place, &m_parent, 2));
    const wchar_t* items[] = {L"alpha", L"", L"a much longer entry with spaces \u00e9\u00e8"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(combo.AddString(items[i]), i);
        EXPECT_EQ(list.AddString(items[i]), i);
        combo.SetItemData(i, 100 + i);
        list.SetItemData(i, 200 + i);
    }
    EXPECT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(list.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        CStringW comboText, listText;
        combo.GetLBText(i, comboText);
        list.GetText(i, listText);
        EXPECT_EQ(comboText, items[i]);
        EXPECT_EQ(listText, items[i]);
        EXPECT_EQ(combo.GetItemData(i), static_cast<DWORD_PTR>(100 + i));
        EXPECT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(200 + i));
    }
    EXPECT_EQ(combo.FindStringExact(-1, L"ALPHA"), 0);  // case-insensitive, as the platform is
    EXPECT_EQ(combo.SelectString(-1, L"a much"), 2);
    EXPECT_EQ(combo.GetCurSel(), 2);
    list.SetSel(0);
    list.SetSel(2);
    EXPECT_EQ(list.GetSelCount(), 2);
    EXPECT_EQ(combo.DeleteString(0), 2);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(ControlsTest, EditSelectionAndLimits)
{
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | ES_AUTOHSCROLL, m_place, &m_parent, 3));
    edit.SetWindowText(L"hello world");
    edit.SetSel(6, 11);
    int start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 11);
    edit.ReplaceSel(L"there");
    CStringW text;
    edit.GetWindowText(text);
    EXPECT_EQ(text, L"hello there");
    edit.SetLimitText(20);
    EXPECT_EQ(edit.GetLimitText(), 20u);
    EXPECT_TRUE(edit.SetReadOnly());
    EXPECT_TRUE(edit.GetStyle() & ES_READONLY);
}

TEST_F(ControlsTest, ButtonsAndScrollBars)
{
    CButton check;
    ASSERT_TRUE(check.Create(L"check", WS_CHILD | BS_AUTO3STATE, m_place, &m_parent, 4));
    for (int state : {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}) {
        check.SetCheck(state);
        EXPECT_EQ(check.GetCheck(), state);
    }
    CScrollBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | SBS_HORZ, m_place, &m_parent, 5));
    SCROLLINFO info = {};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = 99999;
    info.nPage = 100;
    info.nPos = 99990;
    bar.SetScrollInfo(&info);
    SCROLLINFO read = {};
    ASSERT_TRUE(bar.GetScrollInfo(&read));
    EXPECT_EQ(read.nMax, 99999);
    EXPECT_EQ(read.nPos, 99900);  // clamped to the last page
    EXPECT_EQ(bar.GetScrollPos(), 99900);
}

TEST_F(ControlsTest, ListViewColumnsItemsAndStates)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, m_place, &m_parent, 6));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    EXPECT_EQ(list.GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES),
              static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES));
    EXPECT_EQ(list.InsertColumn(0, L"Name", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(list.InsertColumn(1, L"Size", LVCFMT_RIGHT, 60), 1);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 2);
    EXPECT_EQ(list.GetColumnWidth(0), 80);

    const std::wstring longText(700, L'x');  // longer than the first buffer the reader tries
    EXPECT_EQ(list.InsertItem(0, L"first"), 0);
    EXPECT_EQ(list.InsertItem(1, longText.c_str()), 1);
    EXPECT_TRUE(list.SetItemText(0, 1, L"12 KB"));
    EXPECT_EQ(list.GetItemText(0, 0), L"first");
    EXPECT_EQ(list.GetItemText(0, 1), L"12 KB");
    EXPECT_EQ(std::wstring(list.GetItemText(1, 0)), longText);
    EXPECT_TRUE(list.SetItemData(1, 0xABCD));
    EXPECT_EQ(list.GetItemData(1), 0xABCDu);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_TRUE(list.SetCheck(0, TRUE));
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_FALSE(list.GetCheck(1));
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 1);
}

TEST_F(ControlsTest, TreeViewHierarchy)
{
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_HASBUTTONS, m_place, &m_parent, 7));
    HTREEITEM root = tree.InsertItem(L"root");
    HTREEITEM first = tree.InsertItem(L"first", root);
    HTREEITEM second = tree.InsertItem(L"second", root);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_EQ(tree.GetChildItem(root), first);
    EXPECT_EQ(tree.GetNextSiblingItem(first), second);
    EXPECT_EQ(tree.GetParentItem(second), root);
    EXPECT_TRUE(tree.ItemHasChildren(root));
    EXPECT_FALSE(tree.ItemHasChildren(first));
    EXPECT_TRUE(tree.SetItemText(second, L"renamed"));
    EXPECT_EQ(tree.GetItemText(second), L"renamed");
    EXPECT_TRUE(tree.SetItemData(first, 42));
    EXPECT_EQ(tree.GetItemData(first), 42u);
    EXPECT_EQ(tree.GetCount(), 3u);
    EXPECT_TRUE(tree.DeleteItem(first));
    EXPECT_EQ(tree.GetCount(), 2u);
}

TEST_F(ControlsTest, ProgressDateTimeAndTooltips)
{
    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD, m_place, &m_parent, 8));
    progress.SetRange32(10, 500);
    int lower = 0, upper = 0;
    progress.GetRange(lower, upper);
    EXPECT_EQ(lower, 10);
    EXPECT_EQ(upper, 500);
    progress.SetPos(250);
    progress.SetStep(25);
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 275);

    CDateTimeCtrl picker;
    ASSERT_TRUE(picker.Create(WS_CHILD | DTS_SHORTDATEFORMAT, m_place, &m_parent, 9));
    SYSTEMTIME leap = {2024, 2, 4, 29, 13, 14, 0, 0};
    EXPECT_TRUE(picker.SetTime(&leap));
    SYSTEMTIME read = {};
    EXPECT_EQ(picker.GetTime(&read), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(read.wYear, 2024);
    EXPECT_EQ(read.wMonth, 2);
    EXPECT_EQ(read.wDay, 29);

    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&m_parent));
    CButton button;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD, m_place, &m_parent, 10));
    EXPECT_TRUE(tips.AddTool(&button, L"whole button"));
    EXPECT_TRUE(tips.AddTool(&m_parent, L"an area", &m_place, 77));
    EXPECT_EQ(tips.GetToolCount(), 2);
    tips.DelTool(&button);
    EXPECT_EQ(tips.GetToolCount(), 1);
}

TEST_F(ControlsTest, MenusAndImageLists)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    CMenu sub;
    ASSERT_TRUE(sub.CreatePopupMenu());
    EXPECT_TRUE(sub.AppendMenu(MF_STRING, 301, L"&Inner"));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 300, L"&Open"));
    EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
    EXPECT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Detach()), L"&More"));
    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_EQ(menu.GetMenuItemID(0), 300u);
    CStringW text;
    EXPECT_EQ(menu.GetMenuString(300, text, MF_BYCOMMAND), 5);
    EXPECT_EQ(text, L"&Open");
    menu.CheckMenuItem(300, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_TRUE(menu.GetMenuState(300, MF_BYCOMMAND) & MF_CHECKED);
    CMenu* inner = menu.GetSubMenu(2);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetMenuItemID(0), 301u);
    EXPECT_EQ(menu.GetSubMenu(0), nullptr);
    HMENU handle = menu.m_hMenu;
    AfxDeleteTempMenuMap();  // the temporary never owned the submenu
    EXPECT_TRUE(::IsMenu(::GetSubMenu(handle, 2)));
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(::IsMenu(handle));

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    HICON icon = ::LoadIconW(nullptr, IDI_INFORMATION);
    EXPECT_EQ(images.Add(icon), 0);
    EXPECT_EQ(images.Add(icon), 1);
    EXPECT_EQ(images.GetImageCount(), 2);
    EXPECT_TRUE(images.Remove(0));
    EXPECT_EQ(images.GetImageCount(), 1);
    HIMAGELIST list = images.Detach();
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    EXPECT_TRUE(ImageList_Destroy(list));
}

// A view draws through OnDraw into the window's paint context.
class ProbeView : public CView {
public:
    int* m_draws = nullptr;
    bool* m_deleted = nullptr;
    ~ProbeView() override { *m_deleted = true; }

protected:
    void OnDraw(CDC* dc) override
    {
        ++*m_draws;
        CRect area(0, 0, 20, 20);
        dc->FillSolidRect(&area, RGB(10, 200, 30));
    }
};

TEST_F(ControlsTest, FrameLaysOutItsViewWhichPaintsThroughOnDraw)
{
    int draws = 0;
    bool viewDeleted = false;
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    auto* view = new ProbeView;
    view->m_draws = &draws;
    view->m_deleted = &viewDeleted;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 10, 10), frame, AFX_IDW_PANE_FIRST));
    frame->SetActiveView(view);
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    CRect client, viewRect;
    frame->GetClientRect(&client);
    view->GetClientRect(&viewRect);
    EXPECT_EQ(viewRect.Width(), client.Width());
    EXPECT_EQ(viewRect.Height(), client.Height());
    view->Invalidate();
    view->UpdateWindow();
    EXPECT_GE(draws, 1);
    HDC dc = ::GetDC(view->m_hWnd);
    EXPECT_EQ(::GetPixel(dc, 5, 5), RGB(10, 200, 30));
    ::ReleaseDC(view->m_hWnd, dc);
    frame->DestroyWindow();  // both delete themselves
    EXPECT_TRUE(viewDeleted);
}

}  // namespace
