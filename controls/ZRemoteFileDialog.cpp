#include "controls/ZRemoteFileDialog.h"

#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"
#include "TessaroMessages.h"

namespace {

int CALLBACK CompareRecords(LPARAM first, LPARAM second, LPARAM operation)
{
    auto* a = reinterpret_cast<RemoteFolderItem*>(first);
    auto* b = reinterpret_cast<RemoteFolderItem*>(second);
    return reinterpret_cast<IRemoteFileDialogOperation*>(operation)->CompareEntries(a ? a->entry : nullptr,
                                                                                   b ? b->entry : nullptr);
}

}  // namespace

// --- the tree ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(ZRemoteFileDialogTreeView, CTreeCtrl)
    ON_NOTIFY_REFLECT(TVN_SELCHANGINGW, OnSelChanging)
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDW, OnSelChanged)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDINGW, OnItemExpanding)
    ON_NOTIFY_REFLECT(TVN_GETDISPINFOW, OnGetDispInfo)
    ON_NOTIFY_REFLECT(TVN_DELETEITEMW, OnDeleteItem)
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDITW, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDITW, OnEndLabelEdit)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_WM_CONTEXTMENU()
    ON_WM_SETCURSOR()
    ON_COMMAND(ZRemoteFileDialogTreeViewBase::kNewFolderCommand, OnNewFolderCommand)
END_MESSAGE_MAP()

ZRemoteFileDialogTreeView::ZRemoteFileDialogTreeView(IRemoteFileDialogOperation* operation,
                                                     ZRemoteFileDialogBase& dialog)
    : ZRemoteFileDialogTreeViewBase(operation), m_dialog(dialog)
{
}

HTREEITEM ZRemoteFileDialogTreeView::InsertItem(HTREEITEM parent, RemoteFolderItem* record)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = LPSTR_TEXTCALLBACKW;
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.stateMask = 0xFFFFFFFF;
    insert.item.lParam = reinterpret_cast<LPARAM>(record);
    insert.item.cChildren = record->entry && GetOperation()->HasSubfolders(record->entry) ? 1 : 0;
    const HTREEITEM item = CTreeCtrl::InsertItem(&insert);
    if (!item) {
        // The tree did not take it: it will never be deleted through the tree.
        if (record->entry)
            record->entry->Release();
        delete record;
        return nullptr;
    }
    if (parent) {
        TVITEMW count = {};
        count.mask = TVIF_CHILDREN | TVIF_HANDLE;
        count.hItem = parent;
        SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&count));
        count.cChildren += 1;
        SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&count));
    }
    return item;
}

void ZRemoteFileDialogTreeView::SelectItem(HTREEITEM item)
{
    CTreeCtrl::SelectItem(item);
}

HTREEITEM ZRemoteFileDialogTreeView::GetChildItem(HTREEITEM item)
{
    return item ? CTreeCtrl::GetChildItem(item) : GetRootItem();
}

HTREEITEM ZRemoteFileDialogTreeView::GetNextSiblingItem(HTREEITEM item)
{
    return CTreeCtrl::GetNextSiblingItem(item);
}

HTREEITEM ZRemoteFileDialogTreeView::GetSelectedItem()
{
    return CTreeCtrl::GetSelectedItem();
}

RemoteFolderItem* ZRemoteFileDialogTreeView::GetItemRecord(HTREEITEM item)
{
    return item ? reinterpret_cast<RemoteFolderItem*>(GetItemData(item)) : nullptr;
}

bool ZRemoteFileDialogTreeView::ItemHasChildren(HTREEITEM item)
{
    return CTreeCtrl::ItemHasChildren(item) != FALSE;
}

void ZRemoteFileDialogTreeView::DeleteChildren(HTREEITEM item)
{
    // Without an item: the top level.
    for (HTREEITEM child = GetChildItem(item); child;) {
        const HTREEITEM next = CTreeCtrl::GetNextSiblingItem(child);
        DeleteItem(child);
        child = next;
    }
}

void ZRemoteFileDialogTreeView::SortChildren(HTREEITEM item)
{
    TVSORTCB sort = {};
    sort.hParent = item ? item : TVI_ROOT;
    sort.lpfnCompare = CompareRecords;
    sort.lParam = reinterpret_cast<LPARAM>(GetOperation());
    SendMessage(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void ZRemoteFileDialogTreeView::Expand(HTREEITEM item)
{
    CTreeCtrl::Expand(item, TVE_EXPAND);
}

void ZRemoteFileDialogTreeView::SetChildCount(HTREEITEM item, int count)
{
    TVITEMW children = {};
    children.mask = TVIF_CHILDREN | TVIF_HANDLE;
    children.hItem = item;
    children.cChildren = count;
    SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&children));
}

void ZRemoteFileDialogTreeView::SetBusy(bool busy)
{
    m_busyCursor = busy;
    POINT cursor = {};
    RECT window = {};
    if (::GetCursorPos(&cursor) && ::GetWindowRect(m_hWnd, &window) && ::PtInRect(&window, cursor)) {
        const HCURSOR normal = reinterpret_cast<HCURSOR>(::GetClassLongPtrW(m_hWnd, GCLP_HCURSOR));
        ::SetCursor(busy ? ::LoadCursorW(nullptr, IDC_WAIT) : normal);
    }
}

CWnd* ZRemoteFileDialogTreeView::GetDialog()
{
    return &m_dialog;
}

void ZRemoteFileDialogTreeView::ShowReport(IReportMessageParams* report)
{
    ZMessageBox(&m_dialog, report, 0, nullptr);
}

void ZRemoteFileDialogTreeView::ShowContextMenu(POINT point)
{
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return;
    const std::wstring label = LoadMessageLabel(MSG_MENU_NEW_FOLDER);
    ::AppendMenuW(menu, MF_STRING | (IsBusy() ? MF_GRAYED : 0), kNewFolderCommand, label.c_str());
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
}

HTREEITEM ZRemoteFileDialogTreeView::HitTest(POINT screen)
{
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ::ScreenToClient(m_hWnd, &hit.pt);
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

bool ZRemoteFileDialogTreeView::GetItemScreenRect(HTREEITEM item, RECT& rect)
{
    *reinterpret_cast<HTREEITEM*>(&rect) = item;
    if (!SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)))
        return false;
    ClientToScreen(&rect);
    return true;
}

void ZRemoteFileDialogTreeView::EditLabel(HTREEITEM item)
{
    SetFocus();
    SendMessage(TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item));
}

void ZRemoteFileDialogTreeView::EnableOK(bool enable)
{
    m_dialog.EnableOK(enable);
}

void ZRemoteFileDialogTreeView::CancelDialog()
{
    m_dialog.EndDialog(IDCANCEL);
}

BOOL ZRemoteFileDialogTreeView::PreTranslateMessage(MSG* msg)
{
    // Enter and Escape finish the label edit instead of closing the dialog.
    if (m_labelEdit && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        ::TranslateMessage(msg);
        ::DispatchMessageW(msg);
        return TRUE;
    }
    return CTreeCtrl::PreTranslateMessage(msg);
}

void ZRemoteFileDialogTreeView::OnSelChanging(NMHDR*, LRESULT* result)
{
    *result = OnSelectionChanging() ? FALSE : TRUE;
}

void ZRemoteFileDialogTreeView::OnSelChanged(NMHDR* header, LRESULT* result)
{
    const auto* view = reinterpret_cast<const NMTREEVIEWW*>(header);
    OnSelectionChanged(view->itemOld.hItem, view->itemNew.hItem);
    *result = 0;
}

void ZRemoteFileDialogTreeView::OnItemExpanding(NMHDR* header, LRESULT* result)
{
    const auto* view = reinterpret_cast<const NMTREEVIEWW*>(header);
    const bool expanding = (view->action & TVE_EXPAND) != 0;
    *result = ZRemoteFileDialogTreeViewBase::OnItemExpanding(view->itemNew.hItem, expanding) ? FALSE : TRUE;
}

void ZRemoteFileDialogTreeView::OnGetDispInfo(NMHDR* header, LRESULT* result)
{
    auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
    OnGetDisplayInfo(info->item.hItem, info->item);
    *result = 0;
}

void ZRemoteFileDialogTreeView::OnDeleteItem(NMHDR* header, LRESULT* result)
{
    auto* view = reinterpret_cast<NMTREEVIEWW*>(header);
    ZRemoteFileDialogTreeViewBase::OnDeleteItem(view->itemOld.hItem, view->itemOld.lParam);
    if (view->itemOld.hItem && ::IsWindow(m_hWnd))
        SetItemData(view->itemOld.hItem, 0);
    *result = 0;
}

void ZRemoteFileDialogTreeView::OnBeginLabelEdit(NMHDR*, LRESULT* result)
{
    const bool allowed = ZRemoteFileDialogTreeViewBase::OnBeginLabelEdit();
    if (allowed)
        m_labelEdit = reinterpret_cast<HWND>(SendMessage(TVM_GETEDITCONTROL));
    *result = allowed ? FALSE : TRUE;
}

void ZRemoteFileDialogTreeView::OnEndLabelEdit(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMTVDISPINFOW*>(header);
    m_labelEdit = nullptr;
    ZRemoteFileDialogTreeViewBase::OnEndLabelEdit(info->item.pszText);
    *result = 0;  // the label stays the operation's
}

void ZRemoteFileDialogTreeView::OnRightClick(NMHDR*, LRESULT* result)
{
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ZRemoteFileDialogTreeViewBase::OnContextMenu(cursor);
    *result = 1;
}

void ZRemoteFileDialogTreeView::OnContextMenu(CWnd*, CPoint point)
{
    POINT at = point;
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: beside the selected item.
        RECT rect = {};
        if (!GetItemScreenRect(GetSelectedItem(), rect))
            return;
        at = POINT{rect.left, (rect.top + rect.bottom) / 2};
    }
    ZRemoteFileDialogTreeViewBase::OnContextMenu(at);
}

BOOL ZRemoteFileDialogTreeView::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (m_busyCursor && hitTest == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void ZRemoteFileDialogTreeView::OnNewFolderCommand()
{
    OnNewFolder();
}

// --- the dialog -------------------------------------------------------------------

ZRemoteFileDialogBase::ZRemoteFileDialogBase(IRemoteFileDialogOperation* operation, CWnd* parent)
    : ZDialog(kTemplate, GetTessaroDll(), parent),
      m_treeView(std::make_unique<ZRemoteFileDialogTreeView>(operation, *this))
{
}

ZRemoteFileDialogBase::~ZRemoteFileDialogBase() = default;

void ZRemoteFileDialogBase::EnableOK(bool enable)
{
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(enable);
}

void ZRemoteFileDialogBase::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, kTreeControl, *m_treeView);
    if (dx->m_bSaveAndValidate) {
        m_resultPath.clear();
        m_result = m_treeView->GetSelectedPath(m_resultPath);
    }
}

BOOL ZRemoteFileDialogBase::OnInitDialog()
{
    ZDialog::OnInitDialog();
    m_treeView->SendMessage(TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
    CImageList* images = nullptr;
    if (m_treeView->GetOperation()->GetImageList(images) && images)
        m_treeView->SetImageList(images, TVSIL_NORMAL);
    m_treeView->Start(GetInitialPath());
    return TRUE;
}

ZRemoteFileDialog::ZRemoteFileDialog(IRemoteFileDialogOperation* operation, const std::wstring& path, CWnd* parent)
    : ZRemoteFileDialogBase(operation, parent), m_initialPath(path)
{
}

bool ShowRemoteFileDialog(IRemoteFileDialogOperation* operation, std::wstring& path, CWnd* parent)
{
    if (!operation)
        return false;
    ZRemoteFileDialog dialog(operation, path, parent);
    const INT_PTR result = dialog.ZDialog::DoModal();
    operation->SetSink(nullptr);
    if (result != IDOK)
        return false;
    path = dialog.GetResultPath();
    return dialog.GetResult();
}
