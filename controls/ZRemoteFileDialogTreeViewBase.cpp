#include "controls/ZRemoteFileDialogTreeViewBase.h"

#include <utility>

#include "foundation/ZReportMessageParams.h"
#include "TessaroMessages.h"

namespace {

constexpr unsigned kCancelled = ERROR_CANCELLED;  // 1223: the user said no; nothing to tell
constexpr unsigned kPathNotFound = ERROR_FILE_NOT_FOUND;

}  // namespace

ZRemoteFileDialogTreeViewBase::ZRemoteFileDialogTreeViewBase(IRemoteFileDialogOperation* operation)
    : m_operation(operation)
{
    if (m_operation)
        m_operation->AddRef();
}

ZRemoteFileDialogTreeViewBase::~ZRemoteFileDialogTreeViewBase()
{
    ReleasePathComponents();
    if (m_operation)
        m_operation->Release();
}

void ZRemoteFileDialogTreeViewBase::EnterBusy()
{
    m_busy = true;
    SetBusy(true);
    EnableOK(false);
}

void ZRemoteFileDialogTreeViewBase::LeaveBusy()
{
    m_busy = false;
    SetBusy(false);
    EnableOK(true);
}

void ZRemoteFileDialogTreeViewBase::ReleasePathComponents()
{
    for (IRemoteFileDialogEntry* component : m_pathComponents)
        if (component)
            component->Release();
    m_pathComponents.clear();
}

void ZRemoteFileDialogTreeViewBase::Start(const std::wstring& initialPath)
{
    m_operation->SetSink(this);
    m_path = initialPath;
    EnterBusy();
    m_operation->GetInitialPath(m_path.c_str());
}

bool ZRemoteFileDialogTreeViewBase::StartListing(HTREEITEM item, bool force)
{
    if (m_busy)
        return false;
    IRemoteFileDialogEntry* folder = nullptr;
    if (item) {
        RemoteFolderItem* record = GetItemRecord(item);
        if (!record || !record->entry)
            return false;  // a placeholder has nothing to list
        if (record->listed && !force)
            return true;
        folder = record->entry;
    }
    EnterBusy();
    m_listingItem = item;
    m_entryCount = 0;
    m_firstEntryPending = true;
    m_operation->ListFolder(folder);
    return true;
}

void ZRemoteFileDialogTreeViewBase::OnInitialPath(unsigned error, IReportMessageParams* report, const wchar_t* path)
{
    if (!m_busy)
        return;  // asked for nothing: a host's second answer
    LeaveBusy();
    const std::wstring returned = path ? path : L"";
    if (error != 0 && error != kPathNotFound) {
        if (report && report->GetMessageId() != kCancelled)
            ShowFailure(MSG_REMOTE_INITIAL_PATH_FAILED, report);
        CancelDialog();
        return;
    }
    if (error == kPathNotFound) {
        m_path = returned;
    } else if (m_path.empty() && path) {
        m_path = returned;
    } else {
        std::wstring resolved;
        m_operation->ResolvePath(m_path.c_str(), path, resolved);
        m_path = resolved;
    }
    if (!m_path.empty() && !m_operation->SplitPath(m_path.c_str(), m_pathComponents))
        ReleasePathComponents();
    if (!m_busy)
        StartListing(nullptr, false);
}

void ZRemoteFileDialogTreeViewBase::DeleteStaleChildren()
{
    m_firstEntryPending = false;
    if (m_listingItem ? ItemHasChildren(m_listingItem) : GetChildItem(nullptr) != nullptr) {
        m_previousSelection = nullptr;
        DeleteChildren(m_listingItem);
    }
}

void ZRemoteFileDialogTreeViewBase::OnListEntry(IRemoteFileDialogEntry* entry)
{
    if (!m_busy)
        return;
    if (m_firstEntryPending)
        DeleteStaleChildren();
    if (!entry || !m_operation->IsFolder(entry))
        return;
    ++m_entryCount;
    auto* record = new RemoteFolderItem;
    record->entry = entry;
    entry->AddRef();
    InsertItem(m_listingItem, record);
}

void ZRemoteFileDialogTreeViewBase::ShowFailure(uint32_t messageId, IReportMessageParams* report)
{
    auto message = ZAdoptReference(new ZReportMessageParams(messageId));
    message->AddInsert(report ? report->GetSingleLineTextTrimmed() : L"");
    ShowReport(message.Get());
}

void ZRemoteFileDialogTreeViewBase::ExpandAsController(HTREEITEM item)
{
    m_expanding = true;
    Expand(item);
    m_expanding = false;
}

void ZRemoteFileDialogTreeViewBase::OnListComplete(unsigned error, IReportMessageParams* report)
{
    if (!m_busy)
        return;
    const HTREEITEM item = m_listingItem;
    m_listingItem = nullptr;
    LeaveBusy();
    const HTREEITEM restore = m_previousSelection;
    m_previousSelection = nullptr;
    if (error != 0) {
        if (error != kCancelled && report)
            ShowFailure(MSG_REMOTE_LISTING_FAILED, report);
        m_pendingName.clear();  // its folder's listing is gone: no later one may select by that name
        RestoreSelection(restore);
        return;
    }
    if (m_firstEntryPending) {
        // An empty folder loses the children it had.
        const HTREEITEM listing = m_listingItem;
        m_listingItem = item;
        DeleteStaleChildren();
        m_listingItem = listing;
    }
    if (item)
        SetChildCount(item, static_cast<int>(m_entryCount));
    SortChildren(item);
    if (item)
        ExpandAsController(item);
    if (RemoteFolderItem* record = item ? GetItemRecord(item) : nullptr)
        record->listed = true;

    if (m_pathComponents.empty())
        SelectPendingName(item);
    else
        WalkStartPath(item);
}

void ZRemoteFileDialogTreeViewBase::SelectPendingName(HTREEITEM item)
{
    if (m_pendingName.empty())
        return;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        RemoteFolderItem* record = GetItemRecord(child);
        if (record && record->entry && m_operation->HasName(record->entry, m_pendingName.c_str())) {
            SelectItem(child);
            break;
        }
    }
    m_pendingName.clear();
}

void ZRemoteFileDialogTreeViewBase::WalkStartPath(HTREEITEM item)
{
    while (!m_pathComponents.empty()) {
        IRemoteFileDialogEntry* component = m_pathComponents.front();
        m_pathComponents.erase(m_pathComponents.begin());
        HTREEITEM found = nullptr;
        for (HTREEITEM child = GetChildItem(item); child && !found; child = GetNextSiblingItem(child)) {
            RemoteFolderItem* record = GetItemRecord(child);
            if (record && record->entry && m_operation->IsSameFolder(component, record->entry))
                found = child;
        }
        if (!found) {
            component->Release();
            ReleasePathComponents();
            return;
        }
        if (m_pathComponents.empty()) {
            component->Release();
            SelectItem(found);  // lists it
            return;
        }
        // The next level goes in directly, without listing this one.
        IRemoteFileDialogEntry* next = m_pathComponents.front();
        auto* record = new RemoteFolderItem;
        record->entry = next;
        next->AddRef();
        InsertItem(found, record);
        SortChildren(found);
        ExpandAsController(found);
        component->Release();
        item = found;
    }
}

void ZRemoteFileDialogTreeViewBase::OnCreateFolderComplete(int error, IReportMessageParams* report)
{
    if (!m_busy)
        return;
    LeaveBusy();
    const HTREEITEM item = m_targetItem;
    m_targetItem = nullptr;
    if (error != 0 && static_cast<unsigned>(error) != kCancelled && report)
        ShowReport(report);
    StartListing(item, true);
}

bool ZRemoteFileDialogTreeViewBase::OnSelectionChanging()
{
    return !m_busy;
}

void ZRemoteFileDialogTreeViewBase::RestoreSelection(HTREEITEM item)
{
    if (!item)
        return;
    m_restoringSelection = true;
    SelectItem(item);
    m_restoringSelection = false;
}

void ZRemoteFileDialogTreeViewBase::OnSelectionChanged(HTREEITEM oldItem, HTREEITEM newItem)
{
    // A selection put back after a failure is not listed again (with a host that
    // answers at once that would fail and restore without end), and no item at
    // all is no request for the root.
    if (m_restoringSelection || !newItem)
        return;
    m_previousSelection = oldItem;
    if (!StartListing(newItem, false))
        RestoreSelection(std::exchange(m_previousSelection, nullptr));
    else if (!m_busy)
        m_previousSelection = nullptr;  // nothing pending that could fail
}

bool ZRemoteFileDialogTreeViewBase::OnItemExpanding(HTREEITEM item, bool expanding)
{
    if (!expanding || m_expanding)
        return true;
    if (m_busy)
        return false;
    StartListing(item, false);
    return true;
}

void ZRemoteFileDialogTreeViewBase::OnGetDisplayInfo(HTREEITEM, TVITEMW& info)
{
    auto* record = reinterpret_cast<RemoteFolderItem*>(info.lParam);
    IRemoteFileDialogEntry* entry = record ? record->entry : nullptr;
    if (info.mask & TVIF_TEXT) {
        RemoteFileDisplayInfo display;
        display.kind = RemoteFileDisplayInfo::Text;
        m_operation->GetDisplayInfo(entry, display);
        if (record) {
            record->displayName = display.text;
            info.pszText = record->displayName.data();
        }
    }
    if (info.mask & TVIF_IMAGE) {
        RemoteFileDisplayInfo display;
        display.kind = RemoteFileDisplayInfo::Image;
        m_operation->GetDisplayInfo(entry, display);
        info.iImage = display.image;
    }
    if (info.mask & TVIF_SELECTEDIMAGE) {
        RemoteFileDisplayInfo display;
        display.kind = RemoteFileDisplayInfo::SelectedImage;
        m_operation->GetDisplayInfo(entry, display);
        info.iSelectedImage = display.selectedImage;
    }
}

void ZRemoteFileDialogTreeViewBase::OnDeleteItem(HTREEITEM, LPARAM data)
{
    auto* record = reinterpret_cast<RemoteFolderItem*>(data);
    if (!record)
        return;
    if (record->entry)
        record->entry->Release();
    delete record;
}

bool ZRemoteFileDialogTreeViewBase::OnBeginLabelEdit()
{
    if (m_labelEditAllowed)
        m_editingNewFolder = true;
    return m_labelEditAllowed;
}

void ZRemoteFileDialogTreeViewBase::OnEndLabelEdit(const wchar_t* text)
{
    m_editingNewFolder = false;
    const HTREEITEM target = m_targetItem;
    if (text && *text) {
        RemoteFolderItem* record = target ? GetItemRecord(target) : nullptr;
        std::wstring targetPath;
        if (record && record->entry && m_operation->GetPath(record->entry, targetPath)) {
            m_pendingName = text;
            EnterBusy();
            m_operation->CreateFolder(targetPath.c_str(), text, true);
            return;  // the target stays for the answer
        }
        if (!m_busy)
            StartListing(target, true);
    } else {
        // Cancelled: listing the folder again takes the placeholder away.
        StartListing(target, true);
    }
    m_targetItem = nullptr;
}

void ZRemoteFileDialogTreeViewBase::OnContextMenu(POINT screen)
{
    // The target belongs to the new folder being named or made.
    if (m_busy || m_editingNewFolder)
        return;
    m_targetItem = HitTest(screen);
    // A placeholder a failed creation left behind is no folder to make one in.
    const RemoteFolderItem* record = m_targetItem ? GetItemRecord(m_targetItem) : nullptr;
    if (!record || !record->entry)
        m_targetItem = nullptr;
    if (m_targetItem)
        ShowContextMenu(screen);
}

void ZRemoteFileDialogTreeViewBase::OnNewFolder()
{
    if (!m_targetItem || m_busy || m_editingNewFolder)
        return;
    const HTREEITEM placeholder = InsertItem(m_targetItem, new RemoteFolderItem);
    ExpandAsController(m_targetItem);
    m_labelEditAllowed = true;
    EditLabel(placeholder);
    m_labelEditAllowed = false;
}

bool ZRemoteFileDialogTreeViewBase::GetSelectedPath(std::wstring& path)
{
    RemoteFolderItem* record = GetItemRecord(GetSelectedItem());
    return record && record->entry && m_operation->GetPath(record->entry, path);
}
