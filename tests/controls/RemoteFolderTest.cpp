// The remote folder browse dialog: its controller against the in-memory remote file system with every tree
// operation recorded (the start-path walk, stale children, failures, new folders, answers after the end),
// and one run of the real dialog under the display.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/ZRemoteFileDialog.h"
#include "controls/ZRemoteFileDialogTreeViewBase.h"
#include "hostremote/InMemoryRemoteFileSystem.h"
#include "tests/support/MessagePump.h"
#include "tests/support/OwnedReference.h"
#include "TessaroMessages.h"

namespace {

using HostRemote::InMemoryRemoteFileSystem;
using Request = InMemoryRemoteFileSystem::Request;
using Names = std::vector<std::wstring>;

// A tree in memory; items are indexes into a table, 0 meaning none.
class RecordingTree : public ZRemoteFileDialogTreeViewBase {
public:
    using ZRemoteFileDialogTreeViewBase::ZRemoteFileDialogTreeViewBase;
    ~RecordingTree() override { DeleteChildren(nullptr); }

    struct Item {
        HTREEITEM parent = nullptr;
        RemoteFolderItem* record = nullptr;
        std::vector<HTREEITEM> children;
        int childCount = 0;
        bool expanded = false;
    };
    std::map<HTREEITEM, Item> items;
    HTREEITEM selected = nullptr;
    std::vector<uint32_t> reports;
    Names okStates;
    bool cancelled = false;
    HTREEITEM editing = nullptr;

    // The item whose folder has this path, or null.
    HTREEITEM Find(const std::wstring& path)
    {
        for (auto& [handle, item] : items) {
            std::wstring itemPath;
            if (item.record && item.record->entry && GetOperation()->GetPath(item.record->entry, itemPath) &&
                itemPath == path)
                return handle;
        }
        return nullptr;
    }
    Names ChildNames(HTREEITEM parent)
    {
        Names names;
        for (HTREEITEM child : Children(parent)) {
            TVITEMW info = {};
            info.mask = TVIF_TEXT;
            info.lParam = reinterpret_cast<LPARAM>(items[child].record);
            OnGetDisplayInfo(child, info);
            names.push_back(info.pszText ? info.pszText : L"?");
        }
        return names;
    }
    std::vector<HTREEITEM>& Children(HTREEITEM parent) { return parent ? items[parent].children : m_top; }
    // What a user's click does: the tree asks, then tells.
    void UserSelects(HTREEITEM item)
    {
        if (OnSelectionChanging()) {
            const HTREEITEM old = selected;
            selected = item;
            OnSelectionChanged(old, item);
        }
    }

    HTREEITEM InsertItem(HTREEITEM parent, RemoteFolderItem* record) override
    {
        const HTREEITEM handle = reinterpret_cast<HTREEITEM>(++m_next);
        items[handle] = Item{parent, record, {}, 0, false};
        Children(parent).push_back(handle);
        if (parent)
            items[parent].childCount += 1;
        return handle;
    }
    void SelectItem(HTREEITEM item) override
    {
        const HTREEITEM old = selected;
        selected = item;
        if (item != old)
            OnSelectionChanged(old, item);
    }
    HTREEITEM GetChildItem(HTREEITEM item) override
    {
        auto& children = Children(item);
        return children.empty() ? nullptr : children.front();
    }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) override
    {
        auto& siblings = Children(items[item].parent);
        auto at = std::find(siblings.begin(), siblings.end(), item);
        return at == siblings.end() || at + 1 == siblings.end() ? nullptr : *(at + 1);
    }
    HTREEITEM GetSelectedItem() override { return selected; }
    RemoteFolderItem* GetItemRecord(HTREEITEM item) override { return item ? items[item].record : nullptr; }
    bool ItemHasChildren(HTREEITEM item) override { return items[item].childCount > 0; }
    void DeleteChildren(HTREEITEM item) override
    {
        for (HTREEITEM child : std::vector<HTREEITEM>(Children(item))) {
            DeleteChildren(child);
            OnDeleteItem(child, reinterpret_cast<LPARAM>(items[child].record));
            if (selected == child)
                selected = nullptr;
            items.erase(child);
        }
        Children(item).clear();
    }
    void SortChildren(HTREEITEM item) override
    {
        auto& children = Children(item);
        std::stable_sort(children.begin(), children.end(), [&](HTREEITEM a, HTREEITEM b) {
            return GetOperation()->CompareEntries(items[a].record->entry, items[b].record->entry) < 0;
        });
    }
    void Expand(HTREEITEM item) override
    {
        if (OnItemExpanding(item, true))
            items[item].expanded = true;
    }
    void SetChildCount(HTREEITEM item, int count) override { items[item].childCount = count; }
    void SetBusy(bool) override {}
    CWnd* GetDialog() override { return nullptr; }
    void ShowReport(IReportMessageParams* report) override { reports.push_back(report->GetMessageId()); }
    void ShowContextMenu(POINT) override {}
    HTREEITEM HitTest(POINT screen) override { return reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(screen.x)); }
    bool GetItemScreenRect(HTREEITEM, RECT&) override { return false; }
    void EditLabel(HTREEITEM item) override
    {
        if (OnBeginLabelEdit())
            editing = item;
    }

protected:
    void EnableOK(bool enable) override { okStates.push_back(enable ? L"on" : L"off"); }
    void CancelDialog() override { cancelled = true; }

private:
    std::vector<HTREEITEM> m_top;
    UINT_PTR m_next = 0;
};

struct Fixture {
    Fixture()
    {
        fs = TestSupport::Own(new InMemoryRemoteFileSystem(L"/home/user"));
        for (const wchar_t* folder : {L"/home/user/docs", L"/home/user/src/app", L"/home/guest", L"/srv", L"/tmp"})
            fs->AddFolder(folder);
        fs->AddFile(L"/home/user/notes.txt");
        tree = std::make_unique<RecordingTree>(fs.Get());
    }
    ZUnknownPointer<InMemoryRemoteFileSystem> fs;
    std::unique_ptr<RecordingTree> tree;
};

TEST(RemoteFolderController, TheStartPathOpensLevelByLevelFromOneListingOfTheRoot)
{
    Fixture f;
    f.tree->Start(L"");
    const HTREEITEM home = f.tree->Find(L"/home"), user = f.tree->Find(L"/home/user");
    ASSERT_TRUE(home && user);
    EXPECT_EQ(f.fs->Log(), (Names{L"GetInitialPath ", L"ListFolder /", L"ListFolder /home/user"}));
    EXPECT_EQ(f.tree->selected, user);
    EXPECT_FALSE(f.tree->GetItemRecord(home)->listed);  // inserted into, never listed
    EXPECT_TRUE(f.tree->GetItemRecord(user)->listed);
    EXPECT_EQ(f.tree->ChildNames(nullptr), (Names{L"home", L"srv", L"tmp"}));
    EXPECT_EQ(f.tree->ChildNames(home), (Names{L"user"}));
    EXPECT_EQ(f.tree->ChildNames(user), (Names{L"docs", L"src"}));  // folders only, sorted
    EXPECT_EQ(f.tree->okStates.back(), L"on");

    // Expanding home lists it now; its old child gives way to the listing's.
    f.tree->items[home].expanded = false;
    f.tree->Expand(home);
    EXPECT_EQ(f.fs->Log().back(), L"ListFolder /home");
    EXPECT_EQ(f.tree->ChildNames(home), (Names{L"guest", L"user"}));
}

TEST(RemoteFolderController, InitialPathOutcomes)
{
    struct Case { const char* name; const wchar_t* asked; unsigned error; std::vector<uint32_t> reports;
                  bool cancelled; const wchar_t* selected; };
    const Case cases[] = {
        {"relative path resolved against home", L"src", 0, {}, false, L"/home/user/src"},
        {"absolute path", L"/srv", 0, {}, false, L"/srv"},
        {"missing path starts at home", L"/nowhere/else", 0, {}, false, L"/home/user"},
        {"failure is shown and cancels", L"", ERROR_ACCESS_DENIED, {MSG_REMOTE_INITIAL_PATH_FAILED}, true, nullptr},
        {"cancellation is silent", L"", ERROR_CANCELLED, {}, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        if (c.error)
            f.fs->FailNext(Request::InitialPath, c.error);
        f.tree->Start(c.asked);
        EXPECT_EQ(f.tree->reports, c.reports);
        EXPECT_EQ(f.tree->cancelled, c.cancelled);
        EXPECT_EQ(f.tree->selected, c.selected ? f.tree->Find(c.selected) : nullptr);
    }
}

TEST(RemoteFolderController, ListingsReplaceStaleChildrenAndFailuresRestoreTheSelection)
{
    Fixture f;
    f.tree->Start(L"/home/user");
    const HTREEITEM user = f.tree->Find(L"/home/user");

    // A folder emptied on the server loses its children and its expand button.
    f.fs->Remove(L"/home/user/docs");
    f.fs->Remove(L"/home/user/src");
    f.tree->StartListing(user, true);
    EXPECT_TRUE(f.tree->Children(user).empty());
    EXPECT_EQ(f.tree->items[user].childCount, 0);
    EXPECT_EQ(f.tree->Find(L"/home/user/docs"), nullptr);

    // A failed listing is shown and the old selection comes back; 1223 is silent.
    const HTREEITEM srv = f.tree->Find(L"/srv");
    for (unsigned error : {ERROR_ACCESS_DENIED, ERROR_CANCELLED}) {
        SCOPED_TRACE(error);
        f.tree->reports.clear();
        f.fs->FailNext(Request::List, error);
        f.tree->UserSelects(srv);
        EXPECT_EQ(f.tree->selected, user);
        EXPECT_EQ(f.tree->reports, error == ERROR_CANCELLED ? std::vector<uint32_t>{}
                                                            : std::vector<uint32_t>{MSG_REMOTE_LISTING_FAILED});
        EXPECT_FALSE(f.tree->GetItemRecord(srv)->listed);  // listed again next time
    }
    f.tree->UserSelects(srv);
    EXPECT_EQ(f.tree->selected, srv);
}

TEST(RemoteFolderController, FailedListingsAreShownOnceEachAndTheTreeKeepsWhatItShows)
{
    // Only the root's listing works; the host answers at once.
    struct Case { const char* name; Names userSelects; Names listed; };
    const Case cases[] = {
        {"the start folder fails, nothing selected before", {}, {L"/", L"/home/user"}},
        {"every later folder fails", {L"/srv", L"/tmp"}, {L"/", L"/home/user", L"/srv", L"/tmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.fs->FailLater(Request::List, ERROR_ACCESS_DENIED, 1, 40);
        f.tree->Start(L"/home/user");
        for (const std::wstring& path : c.userSelects)
            f.tree->UserSelects(f.tree->Find(path));
        Names listed;
        for (const std::wstring& line : f.fs->Log())
            if (line.rfind(L"ListFolder ", 0) == 0)
                listed.push_back(line.substr(11));
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(f.tree->reports, std::vector<uint32_t>(c.listed.size() - 1, MSG_REMOTE_LISTING_FAILED));
        EXPECT_EQ(f.tree->ChildNames(nullptr), (Names{L"home", L"srv", L"tmp"}));
        EXPECT_EQ(f.tree->selected, f.tree->Find(L"/home/user"));
    }
}

TEST(RemoteFolderController, AnswersNobodyWaitsForChangeNothing)
{
    Fixture f;
    f.tree->Start(L"/home/user");
    const size_t asked = f.fs->Log().size();
    f.tree->OnInitialPath(0, nullptr, L"/home/user");
    f.tree->OnListEntry(nullptr);
    f.tree->OnListComplete(0, nullptr);
    f.tree->OnCreateFolderComplete(0, nullptr);
    EXPECT_EQ(f.fs->Log().size(), asked);
    EXPECT_EQ(f.tree->ChildNames(nullptr), (Names{L"home", L"srv", L"tmp"}));
    EXPECT_EQ(f.tree->selected, f.tree->Find(L"/home/user"));
}

TEST(RemoteFolderController, WhileBusyTheSelectionStaysAndLateAnswersFindNobody)
{
    Fixture f;
    f.fs->SetDelay(30);
    f.tree->Start(L"");
    EXPECT_TRUE(f.tree->IsBusy());
    EXPECT_FALSE(f.tree->OnSelectionChanging());
    EXPECT_FALSE(f.tree->OnItemExpanding(nullptr, true));
    EXPECT_TRUE(f.tree->OnItemExpanding(nullptr, false));  // collapsing is always allowed
    EXPECT_EQ(f.tree->okStates, (Names{L"off"}));

    // The dialog ends before the answer comes: the answer reaches nobody.
    f.fs->SetSink(nullptr);
    f.tree.reset();
    ::Sleep(50);
    f.fs->DeliverDue();
    EXPECT_EQ(f.fs->PendingAnswers(), 0u);
}

TEST(RemoteFolderController, ANewFolderIsCreatedFromItsEditedPlaceholderOrGoesAway)
{
    Fixture f;
    f.tree->Start(L"/home/user");
    const HTREEITEM user = f.tree->Find(L"/home/user");
    auto openNewFolder = [&] {
        f.tree->OnContextMenu(POINT{static_cast<LONG>(reinterpret_cast<UINT_PTR>(user)), 0});
        f.tree->OnNewFolder();
        return f.tree->editing;
    };

    const HTREEITEM placeholder = openNewFolder();
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(f.tree->ChildNames(user), (Names{L"docs", L"src", L"New Folder"}));
    f.tree->OnEndLabelEdit(L"reports");
    EXPECT_TRUE(f.fs->Exists(L"/home/user/reports"));
    EXPECT_EQ(f.tree->selected, f.tree->Find(L"/home/user/reports"));
    EXPECT_EQ(f.tree->ChildNames(user), (Names{L"docs", L"reports", L"src"}));

    // Cancelled: the folder is listed again and the placeholder is gone.
    f.tree->SelectItem(user);
    openNewFolder();
    f.tree->OnEndLabelEdit(nullptr);
    EXPECT_EQ(f.tree->ChildNames(user), (Names{L"docs", L"reports", L"src"}));

    // Refused by the server: its report is shown and the parent listed again.
    openNewFolder();
    f.fs->FailNext(Request::CreateFolder, ERROR_ACCESS_DENIED);
    f.tree->OnEndLabelEdit(L"locked");
    EXPECT_EQ(f.tree->reports, (std::vector<uint32_t>{ERROR_ACCESS_DENIED}));
    EXPECT_FALSE(f.fs->Exists(L"/home/user/locked"));
    EXPECT_EQ(f.tree->ChildNames(user), (Names{L"docs", L"reports", L"src"}));

    // Refused, and the parent's listing fails too: a later listing elsewhere selects no folder of that name.
    openNewFolder();
    f.fs->FailNext(Request::CreateFolder, ERROR_ACCESS_DENIED);
    f.fs->FailNext(Request::List, ERROR_ACCESS_DENIED);
    f.fs->AddFolder(L"/srv/locked");
    f.tree->OnEndLabelEdit(L"locked");
    // The placeholder that stays is no folder to make one in.
    const HTREEITEM left = f.tree->editing;
    f.tree->OnContextMenu(POINT{static_cast<LONG>(reinterpret_cast<UINT_PTR>(left)), 0});
    f.tree->OnNewFolder();
    EXPECT_TRUE(f.tree->Children(left).empty());
    f.tree->UserSelects(f.tree->Find(L"/srv"));
    EXPECT_EQ(f.tree->selected, f.tree->Find(L"/srv"));
}

TEST(RemoteFolderController, ARightClickWhileANewFolderIsMadeKeepsItWhereItWasAsked)
{
    Fixture f;
    f.tree->Start(L"/home/user");
    const HTREEITEM user = f.tree->Find(L"/home/user");
    const auto rightClick = [&](HTREEITEM item) {
        f.tree->OnContextMenu(POINT{static_cast<LONG>(reinterpret_cast<UINT_PTR>(item)), 0});
        f.tree->OnNewFolder();
    };
    rightClick(user);
    const HTREEITEM placeholder = f.tree->editing;
    // The right-click ends the edit; its menu comes while the folder is being made.
    f.fs->SetDelay(20);
    f.tree->OnEndLabelEdit(L"reports");
    rightClick(placeholder);
    ASSERT_TRUE(TestSupport::PumpUntil([&] { return !f.tree->IsBusy() && f.fs->PendingAnswers() == 0; }, 5000));
    EXPECT_EQ(f.tree->ChildNames(user), (Names{L"docs", L"reports", L"src"}));
    std::wstring path;
    EXPECT_TRUE(f.tree->GetSelectedPath(path));
    EXPECT_EQ(path, L"/home/user/reports");
}

// --- the real dialog ------------------------------------------------------------

TEST(RemoteFolderDialog, OpensAtTheStartPathMakesAFolderAndReturnsIt)
{
    auto fs = TestSupport::Own(new InMemoryRemoteFileSystem(L"/home/user"));
    fs->AddFolder(L"/home/user/docs");
    fs->SetDelay(20);
    std::wstring path = L"docs";
    bool madeFolder = false;

    // The script runs from a timer of the test's own, inside the dialog's loop.
    static std::function<void()> s_step;
    int step = 0;
    s_step = [&] {
        HWND dialog = ::FindWindowW(nullptr, L"Browse for Folder");
        if (!dialog)
            return;
        HWND treeWindow = ::GetDlgItem(dialog, ZRemoteFileDialogBase::kTreeControl);
        auto* tree = dynamic_cast<ZRemoteFileDialogTreeView*>(CWnd::FromHandlePermanent(treeWindow));
        if (!tree || tree->IsBusy())
            return;
        switch (step) {
        case 0: {  // at the start path: open the new-folder menu on it and choose its item
            RECT rect = {};
            if (!tree->GetItemScreenRect(tree->CTreeCtrl::GetSelectedItem(), rect))
                return;
            ::PostMessageW(treeWindow, WM_KEYDOWN, VK_DOWN, 1);
            ::PostMessageW(treeWindow, WM_KEYDOWN, VK_RETURN, 1);
            ++step;
            ::SendMessageW(treeWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(treeWindow),
                           MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2));
            break;
        }
        case 1:  // editing the placeholder's name: type it and press Enter
            if (HWND edit = tree->GetLabelEdit()) {
                ::SetWindowTextW(edit, L"made-here");
                ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
                ++step;
            }
            break;
        case 2:  // the new folder is selected: OK
            if (fs->Exists(L"/home/user/docs/made-here")) {
                madeFolder = true;
                ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                ++step;
            }
            break;
        default:
            break;
        }
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { s_step(); });
    const bool chosen = ShowRemoteFileDialog(fs.Get(), path, nullptr);
    ::KillTimer(nullptr, timer);

    EXPECT_TRUE(madeFolder);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(path, L"/home/user/docs/made-here");
    // The sink is gone: an answer arriving now reaches nobody.
    fs->ListFolder(nullptr);
    EXPECT_TRUE(TestSupport::PumpUntil([&] { return fs->PendingAnswers() == 0; }, 5000));
}

}  // namespace
