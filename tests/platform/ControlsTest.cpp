// The control, menu, image-list and view wrappers against the real controls.
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

// One-line message wrappers are left to the platform; these cases cover the
// members that build structures, read texts or own handles.

TEST_F(ControlsTest, ComboAndListBoxesReadItemTexts)
{
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWN | WS_VSCROLL, m_place, &m_parent, 1));
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | LBS_NOTIFY, m_place, &m_parent, 2));
    const wchar_t* items[] = {L"alpha", L"", L"a much longer entry with spaces \u00e9\u00e8"};
    for (const wchar_t* item : items) {
        combo.AddString(item);
        list.AddString(item);
    }
    for (int i = 0; i < 3; ++i) {
        CStringW comboText, listText;
        combo.GetLBText(i, comboText);
        list.GetText(i, listText);
        EXPECT_EQ(comboText, items[i]);
        EXPECT_EQ(listText, items[i]);
    }
}

TEST_F(ControlsTest, EditSelectionComesBackThroughOutParameters)
{
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | ES_AUTOHSCROLL, m_place, &m_parent, 3));
    edit.SetWindowText(L"hello world");
    edit.SetSel(6, 11);
    int start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 11);
}

TEST_F(ControlsTest, ListViewColumnsItemsAndStates)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, m_place, &m_parent, 6));
    list.SetExtendedStyle(LVS_EX_CHECKBOXES);
    EXPECT_EQ(list.InsertColumn(0, L"Name", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(list.InsertColumn(1, L"Size", LVCFMT_RIGHT, 60), 1);
    EXPECT_EQ(list.GetColumnWidth(0), 80);

    const std::wstring longText(700, L'x');  // longer than the first buffer the reader tries
    EXPECT_EQ(list.InsertItem(0, L"first"), 0);
    EXPECT_EQ(list.InsertItem(1, longText.c_str()), 1);
    EXPECT_TRUE(list.SetItemText(0, 1, L"12 KB"));
    EXPECT_EQ(list.GetItemText(0, 1), L"12 KB");
    EXPECT_EQ(std::wstring(list.GetItemText(1, 0)), longText);
    EXPECT_TRUE(list.SetItemData(1, 0xABCD));
    EXPECT_EQ(list.GetItemData(1), 0xABCDu);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_TRUE(list.SetCheck(0, TRUE));
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_FALSE(list.GetCheck(1));
}

TEST_F(ControlsTest, TreeViewTextsDataAndChildren)
{
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_HASBUTTONS, m_place, &m_parent, 7));
    HTREEITEM root = tree.InsertItem(L"root");
    HTREEITEM child = tree.InsertItem(L"child", root);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(tree.GetChildItem(root), child);
    EXPECT_TRUE(tree.ItemHasChildren(root));
    EXPECT_FALSE(tree.ItemHasChildren(child));
    EXPECT_TRUE(tree.SetItemText(child, L"renamed"));
    EXPECT_EQ(tree.GetItemText(child), L"renamed");
    EXPECT_TRUE(tree.SetItemData(child, 42));
    EXPECT_EQ(tree.GetItemData(child), 42u);
}

TEST_F(ControlsTest, ProgressRangeDateTimeAndTooltips)
{
    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD, m_place, &m_parent, 8));
    progress.SetRange32(10, 500);
    int lower = 0, upper = 0;
    progress.GetRange(lower, upper);
    EXPECT_EQ(lower, 10);
    EXPECT_EQ(upper, 500);

    CDateTimeCtrl picker;
    ASSERT_TRUE(picker.Create(WS_CHILD | DTS_SHORTDATEFORMAT, m_place, &m_parent, 9));
    SYSTEMTIME leap = {2024, 2, 4, 29, 13, 14, 0, 0};
    EXPECT_TRUE(picker.SetTime(&leap));
    SYSTEMTIME read = {};
    EXPECT_EQ(picker.GetTime(&read), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(read.wDay, 29);

    // A tool named by its window and one named by an id, removed by the first name.
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

TEST_F(ControlsTest, MenusAndImageListsOwnTheirHandles)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    CMenu sub;
    ASSERT_TRUE(sub.CreatePopupMenu());
    EXPECT_TRUE(sub.AppendMenu(MF_STRING, 301, L"&Inner"));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 300, L"&Open"));
    EXPECT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Detach()), L"&More"));
    CStringW text;
    EXPECT_EQ(menu.GetMenuString(300, text, MF_BYCOMMAND), 5);
    EXPECT_EQ(text, L"&Open");
    CMenu* inner = menu.GetSubMenu(1);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetMenuItemID(0), 301u);
    EXPECT_EQ(menu.GetSubMenu(0), nullptr);
    HMENU handle = menu.m_hMenu;
    AfxDeleteTempMenuMap();  // the temporary never owned the submenu
    EXPECT_TRUE(::IsMenu(::GetSubMenu(handle, 1)));
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(::IsMenu(handle));

    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
    HIMAGELIST list = images.Detach();
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    EXPECT_TRUE(ImageList_Destroy(list));  // still alive: Detach gave it away
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
