// ZRecentFileList over a host store: the add and remove sequences, which slots
// are written, resizing, a store that fails, and the menu built from the list.
#include <gtest/gtest.h>

#include <afxadv.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/TessaroInit.h"
#include "hoststore/ZFileProfileStore.h"
#include "settings/ZProfileStore.h"
#include "settings/ZRecentFileList.h"
#include "tests/support/ScratchFolder.h"

namespace {

// An in-memory store: one map of values per top-level key, counting writes;
// every read and write fails while `failing` is set.
struct MemoryStore {
    std::map<std::wstring, std::map<std::wstring, std::wstring>> keys;
    int writes = 0;
    bool failing = false;
};

class MemoryKey : public IProfileKeyImpl {
public:
    MemoryKey(MemoryStore& store, std::wstring name) : m_store(store), m_name(std::move(name)) {}
    bool ReadStringArray(const wchar_t*, ZStringArray&) override { return false; }
    bool ReadBinary(const wchar_t*, void*, UINT64&) override { return false; }
    bool ReadString(const wchar_t* name, ZUnicodeString& value) override
    {
        if (m_store.failing)
            return false;
        auto& values = m_store.keys[m_name];
        auto found = values.find(name);
        if (found == values.end())
            return false;
        value = found->second.c_str();
        return true;
    }
    bool ReadDword(const wchar_t*, DWORD&) override { return false; }
    bool WriteStringArray(const wchar_t*, const ZStringArray&) override { return false; }
    bool WriteBinary(const wchar_t*, const void*, UINT64) override { return false; }
    bool WriteString(const wchar_t* name, const wchar_t* value) override
    {
        if (m_store.failing)
            return false;
        ++m_store.writes;
        m_store.keys[m_name][name] = value;
        return true;
    }
    bool WriteDword(const wchar_t*, DWORD) override { return false; }
    IProfileKeyImpl* OpenKey(const wchar_t* name, int, int) override
    {
        return new MemoryKey(m_store, m_name.empty() ? name : m_name + L"\\" + name);
    }
    IProfileKeyIteratorImpl* CreateIterator(bool) override { return nullptr; }

private:
    MemoryStore& m_store;
    std::wstring m_name;
};

class MemoryStoreImpl : public IProfileStoreImpl {
public:
    explicit MemoryStoreImpl(MemoryStore& store) : m_store(store) {}
    IProfileKeyImpl* OpenRootKey(bool) override { return new MemoryKey(m_store, L""); }

private:
    MemoryStore& m_store;
};

class MemoryFactory : public ZProfileStoreFactory {
public:
    explicit MemoryFactory(MemoryStore& store) : m_store(store) {}
    IProfileStoreImpl* CreateStore() override { return new MemoryStoreImpl(m_store); }

private:
    MemoryStore& m_store;
};

ZProfileStoreFactory* g_factory = nullptr;
ZProfileStoreFactory* CurrentFactory() { return g_factory; }

class RecentFileListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_factory = &m_factory;
        TessaroInit(nullptr, CurrentFactory);
    }
    void TearDown() override { g_factory = nullptr; }

    static std::vector<std::wstring> Slots(CRecentFileList& list)
    {
        std::vector<std::wstring> slots;
        for (int i = 0; i < list.GetSize(); ++i)
            slots.emplace_back(list[i].GetString());
        return slots;
    }
    std::vector<std::wstring> Stored(const std::wstring& section, int count)
    {
        std::vector<std::wstring> stored;
        for (int i = 1; i <= count; ++i) {
            auto& values = m_store.keys[section];
            auto found = values.find(L"File" + std::to_wstring(i));
            stored.push_back(found == values.end() ? L"<missing>" : found->second);
        }
        return stored;
    }

    MemoryStore m_store;
    MemoryFactory m_factory{m_store};
};

struct AddCase {
    const char* name;
    int slots;
    std::vector<const wchar_t*> added;
    std::vector<std::wstring> expected;
};

TEST_F(RecentFileListTest, AddSequencesKeepEachNameOnceNewestFirstAndStoreThem)
{
    const AddCase cases[] = {
        {"repeat moves to top", 4, {L"a", L"b", L"a"}, {L"a", L"b", L"", L""}},
        {"case matters", 4, {L"a", L"b", L"a", L"A"}, {L"A", L"a", L"b", L""}},
        {"fifth drops oldest", 4, {L"a", L"b", L"c", L"d", L"e"}, {L"e", L"d", L"c", L"b"}},
        {"oldest re-added", 4, {L"a", L"b", L"c", L"d", L"a"}, {L"a", L"d", L"c", L"b"}},
        {"newest re-added", 4, {L"a", L"b", L"c", L"d", L"d"}, {L"d", L"c", L"b", L"a"}},
        {"one slot", 1, {L"a", L"b"}, {L"b"}},
        {"long names", 2, {L"C:\\a very\\long\\path\\name.txt", L"x"}, {L"x", L"C:\\a very\\long\\path\\name.txt"}},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_store.keys.clear();
        ZRecentFileList list(0, L"Recent", L"File%1!d!", static_cast<uint64_t>(c.slots), 30);
        for (const wchar_t* name : c.added)
            list.AddToMostRecent(name);
        EXPECT_EQ(Slots(list), c.expected);
        EXPECT_EQ(Stored(L"Recent", c.slots), c.expected);

        ZRecentFileList reread(0, L"Recent", L"File%1!d!", static_cast<uint64_t>(c.slots), 30);
        reread.ReadList();
        EXPECT_EQ(Slots(reread), c.expected);
    }
}

TEST_F(RecentFileListTest, RemoveTakesOnlyAnExactMatchAndWritesOnlyThen)
{
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 4, 30);
    for (const wchar_t* name : {L"c", L"b", L"a"})
        list.AddToMostRecent(name);
    const int writesBefore = m_store.writes;
    list.RemoveFromList(L"B");
    list.RemoveFromList(L"zzz");
    EXPECT_EQ(m_store.writes, writesBefore);
    EXPECT_EQ(Slots(list), (std::vector<std::wstring>{L"a", L"b", L"c", L""}));

    list.RemoveFromList(L"b");
    EXPECT_EQ(Slots(list), (std::vector<std::wstring>{L"a", L"c", L"", L""}));
    EXPECT_EQ(Stored(L"Recent", 4), (std::vector<std::wstring>{L"a", L"c", L"", L""}));
}

TEST_F(RecentFileListTest, WritesOnlySlotsWhoseStoredValueIsMissingOrDifferent)
{
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 4, 30);
    list.AddToMostRecent(L"a");
    EXPECT_EQ(m_store.writes, 4);  // nothing stored yet: every slot, the empty ones too
    list.AddToMostRecent(L"b");
    EXPECT_EQ(m_store.writes, 6);  // slots 1 and 2
    list.AddToMostRecent(L"b");
    EXPECT_EQ(m_store.writes, 6);
    m_store.keys[L"Recent"][L"File4"] = L"stale";
    list.WriteList();
    EXPECT_EQ(m_store.writes, 7);
    EXPECT_EQ(Stored(L"Recent", 4), (std::vector<std::wstring>{L"b", L"a", L"", L""}));
}

TEST_F(RecentFileListTest, ValueNamesComeFromTheMessageFormatterPattern)
{
    ZRecentFileList list(0, L"Other", L"Entry %1!d! of list", 2, 30);
    list.AddToMostRecent(L"x");
    const auto& values = m_store.keys[L"Other"];
    EXPECT_EQ(values.count(L"Entry 1 of list"), 1u);
    EXPECT_EQ(values.count(L"Entry 2 of list"), 1u);
    EXPECT_EQ(values.size(), 2u);
}

TEST_F(RecentFileListTest, MissingValuesReadAsEmptySlots)
{
    m_store.keys[L"Recent"] = {{L"File1", L"one"}, {L"File3", L"three"}};
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 4, 30);
    list[1] = L"left over";
    list.ReadList();
    EXPECT_EQ(Slots(list), (std::vector<std::wstring>{L"one", L"", L"three", L""}));
}

TEST_F(RecentFileListTest, ResizingKeepsNamesAndStoresTheNewSlotsEmpty)
{
    CRecentFileList* list = new ZRecentFileList(0, L"Recent", L"File%1!d!", 4, 30);
    for (const wchar_t* name : {L"d", L"c", L"b", L"a"})
        static_cast<ZRecentFileList*>(list)->AddToMostRecent(name);

    ZRecentFileList::UpdateMRUCount(L"Recent", L"File%1!d!", list, 6);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Slots(*list), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"", L""}));
    EXPECT_EQ(Stored(L"Recent", 6), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"", L""}));

    // Names only in memory reach the store before the list goes.
    (*list)[0] = L"unsaved";
    ZRecentFileList::UpdateMRUCount(L"Recent", L"File%1!d!", list, 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(Stored(L"Recent", 1), (std::vector<std::wstring>{L"unsaved"}));

    ZRecentFileList::UpdateMRUCount(L"Recent", L"File%1!d!", list, 2);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Slots(*list), (std::vector<std::wstring>{L"unsaved", L"b"}));
    delete list;
}

TEST_F(RecentFileListTest, AFailingStoreLeavesSlotsEmptyAndTheListUsable)
{
    m_store.keys[L"Recent"] = {{L"File1", L"one"}};
    m_store.failing = true;
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 3, 30);
    list[0] = L"in memory";
    list.ReadList();
    EXPECT_EQ(Slots(list), (std::vector<std::wstring>{L"", L"", L""}));
    list.AddToMostRecent(L"a");
    list.AddToMostRecent(L"b");
    list.RemoveFromList(L"a");
    EXPECT_EQ(Slots(list), (std::vector<std::wstring>{L"b", L"", L""}));
    EXPECT_EQ(m_store.writes, 0);

    CRecentFileList* resized = nullptr;
    ZRecentFileList::UpdateMRUCount(L"Recent", L"File%1!d!", resized, 2);
    ASSERT_NE(resized, nullptr);
    EXPECT_EQ(Slots(*resized), (std::vector<std::wstring>{L"", L""}));
    ZRecentFileList::UpdateMRUCount(L"Recent", L"File%1!d!", resized, 0);
    EXPECT_EQ(resized, nullptr);
}

TEST_F(RecentFileListTest, NoStoreAtAllBehavesLikeAFailingOne)
{
    g_factory = nullptr;
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 2, 30);
    list.AddToMostRecent(L"a");
    list.ReadList();
    EXPECT_EQ(Slots(list), (std::vector<std::wstring>{L"", L""}));
}

TEST_F(RecentFileListTest, CopiesOwnTheirNames)
{
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 2, 30);
    list[0] = L"a";
    {
        ZRecentFileList copy(list);
        copy[0] = L"changed";
        ZRecentFileList assigned(0, L"Other", L"X%1!d!", 5, 10);
        assigned = copy;
        EXPECT_EQ(assigned.GetSize(), 2);
        EXPECT_EQ(std::wstring(assigned[0].GetString()), L"changed");
        ZRecentFileList moved(std::move(assigned));
        EXPECT_EQ(std::wstring(moved[0].GetString()), L"changed");
    }
    EXPECT_EQ(std::wstring(list[0].GetString()), L"a");
}

TEST_F(RecentFileListTest, NamesSurviveInTheFileBackedHostStore)
{
    ScratchFolder folder;
    ZFileProfileStoreFactory files(folder.Path().c_str());
    g_factory = &files;
    {
        ZRecentFileList list(0, L"Recent", L"File%1!d!", 3, 30);
        list.AddToMostRecent(L"C:\\one.txt");
        list.AddToMostRecent(L"C:\\two, [x]=y.txt");
    }
    ZRecentFileList reread(0, L"Recent", L"File%1!d!", 3, 30);
    reread.ReadList();
    EXPECT_EQ(Slots(reread), (std::vector<std::wstring>{L"C:\\two, [x]=y.txt", L"C:\\one.txt", L""}));
    EXPECT_NE(ScratchFolder::ReadBytes(folder.File(L"Recent.ini")), "<missing>");
}

TEST_F(RecentFileListTest, UpdateMenuListsTheNamesInPlaceOfThePlaceholder)
{
    constexpr UINT kFirst = 0xE110;
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 100, L"Open");
    menu.AppendMenu(MF_STRING, kFirst, L"Recent File");
    menu.AppendMenu(MF_STRING, 101, L"Exit");

    ZRecentFileList list(0, L"Recent", L"File%1!d!", 4, 30);
    CCmdUI item;
    item.m_pMenu = &menu;
    item.m_nID = kFirst;
    item.m_nIndex = 1;
    list.UpdateMenu(&item);
    EXPECT_EQ(menu.GetMenuItemCount(), 3);
    EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED);

    list.AddToMostRecent(L"b&c.txt");
    list.AddToMostRecent(L"C:\\folder\\with a long name\\beyond thirty.txt");
    list.UpdateMenu(&item);
    ASSERT_EQ(menu.GetMenuItemCount(), 4);
    CStringW text;
    menu.GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text.GetString()), L"&1 beyond thirty.txt");
    EXPECT_EQ(menu.GetMenuItemID(1), kFirst);
    menu.GetMenuString(2, text, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text.GetString()), L"&2 b&&c.txt");
    EXPECT_EQ(menu.GetMenuItemID(2), kFirst + 1);
    EXPECT_EQ(menu.GetMenuItemID(3), 101u);
}

}  // namespace
