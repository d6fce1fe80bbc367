// The control, menu, image-list and view wrappers against the real controls.
// One-line message wrappers are left to the platform; these cases cover the
// members that build structures, read texts or own handles.
#include <gtest/gtest.h>

#include "platform/mfc/afxcmn.h"

#include <string>
#include <vector>

namespace {

class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
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

// Every reader gives the whole text back: 255 and 700 characters pass the
// first buffers that the list and tree views' readers try.
TEST_F(ControlsTest, ItemTextsComeBackWholeAndChecksUseTheStateImages)
{
    CComboBox combo;
    CListBox listBox;
    CListCtrl listView;
    CTreeCtrl tree;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWN | WS_VSCROLL, m_place, &m_parent, 1));
    ASSERT_TRUE(listBox.Create(WS_CHILD | LBS_NOTIFY, m_place, &m_parent, 2));
    ASSERT_TRUE(listView.Create(WS_CHILD | LVS_REPORT, m_place, &m_parent, 3));
    listView.SetExtendedStyle(LVS_EX_CHECKBOXES);
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_HASBUTTONS, m_place, &m_parent, 4));
    listView.InsertColumn(0, L"Name", LVCFMT_LEFT, 80);
    listView.InsertColumn(1, L"Size", LVCFMT_RIGHT);
    EXPECT_EQ(listView.GetColumnWidth(0), 80);

    const std::wstring texts[] = {L"alpha", L"", L"spaces and \u00e9\u00e8", std::wstring(255, L'y'),
                                  std::wstring(700, L'x')};
    std::vector<HTREEITEM> nodes;
    for (int i = 0; i < static_cast<int>(std::size(texts)); ++i) {
        combo.AddString(texts[i].c_str());
        listBox.AddString(texts[i].c_str());
        listView.InsertItem(i, texts[i].c_str());
        EXPECT_TRUE(listView.SetItemText(i, 1, texts[i].c_str()));
        nodes.push_back(tree.InsertItem(texts[i].c_str()));
    }
    for (int i = 0; i < static_cast<int>(std::size(texts)); ++i) {
        SCOPED_TRACE(texts[i].size());
        CStringW comboText, listText;
        combo.GetLBText(i, comboText);
        listBox.GetText(i, listText);
        EXPECT_EQ(std::wstring(comboText), texts[i]);
        EXPECT_EQ(std::wstring(listText), texts[i]);
        EXPECT_EQ(std::wstring(listView.GetItemText(i, 0)), texts[i]);
        EXPECT_EQ(std::wstring(listView.GetItemText(i, 1)), texts[i]);
        EXPECT_EQ(std::wstring(tree.GetItemText(nodes[i])), texts[i]);
    }
    EXPECT_TRUE(listView.SetCheck(1, TRUE));
    EXPECT_TRUE(listView.GetCheck(1));
    EXPECT_FALSE(listView.GetCheck(0));
    EXPECT_TRUE(listView.SetCheck(1, FALSE));
    EXPECT_FALSE(listView.GetCheck(1));
}

// A tool named by its window and one named by an id: the platform finds each
// under the name the wrapper gave it (window: parent + handle; id: window + id).
TEST_F(ControlsTest, TooltipToolsAreNamedByWindowOrId)
{
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&m_parent));
    CButton button;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD, m_place, &m_parent, 10));
    EXPECT_TRUE(tips.AddTool(&button, L"whole button"));
    EXPECT_TRUE(tips.AddTool(&m_parent, L"an area", &m_place, 77));
    tips.UpdateTipText(L"new button", &button);
    tips.UpdateTipText(L"new area", &m_parent, 77);
    const auto textOf = [&](HWND window, UINT_PTR id) {
        wchar_t text[80] = {};
        TTTOOLINFOW info = {};
        info.cbSize = sizeof info;
        info.hwnd = window;
        info.uId = id;
        info.lpszText = text;
        ::SendMessageW(tips.m_hWnd, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&info));
        return std::wstring(text);
    };
    EXPECT_EQ(textOf(m_parent.m_hWnd, reinterpret_cast<UINT_PTR>(button.m_hWnd)), L"new button");
    EXPECT_EQ(textOf(m_parent.m_hWnd, 77), L"new area");
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
    bool* m_deleted = nullptr;
    ~ProbeView() override { *m_deleted = true; }

protected:
    void OnDraw(CDC* dc) override
    {
        CRect area(0, 0, 20, 20);
        dc->FillSolidRect(&area, RGB(10, 200, 30));
    }
};

TEST_F(ControlsTest, FrameLaysOutItsViewWhichPaintsThroughOnDraw)
{
    bool viewDeleted = false;
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    auto* view = new ProbeView;
    view->m_deleted = &viewDeleted;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 10, 10), frame, AFX_IDW_PANE_FIRST));
    frame->SetActiveView(view);
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    CRect client, viewRect;
    frame->GetClientRect(&client);
    view->GetClientRect(&viewRect);
    EXPECT_EQ(viewRect.Size(), client.Size());
    view->Invalidate();
    view->UpdateWindow();
    HDC dc = ::GetDC(view->m_hWnd);
    EXPECT_EQ(::GetPixel(dc, 5, 5), RGB(10, 200, 30));
    ::ReleaseDC(view->m_hWnd, dc);
    frame->DestroyWindow();  // both delete themselves
    EXPECT_TRUE(viewDeleted);
}

}  // namespace
