// ZRecentFileList over a host store: the add and remove sequences, which slots
// are written, resizing, no store at all, and the menu built from the list.
#include <gtest/gtest.h>

#include <afxadv.h>

#include <map>
#include <string>
#include <algorithm>
#include <vector>

#include "foundation/TessaroInit.h"
#include "settings/ZProfileStore.h"
#include "settings/ZRecentFileList.h"
#include "MemoryProfileStore.h"

namespace {

using Names = std::vector<std::wstring>;

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

    static Names Slots(CRecentFileList& list)
    {
        Names slots;
        for (int i = 0; i < list.GetSize(); ++i)
            slots.emplace_back(list[i].GetString());
        return slots;
    }

    int StringWrites() const
    {
        const auto isWrite = [](const std::wstring& line) { return line.starts_with(L"WriteString"); };
        return static_cast<int>(std::ranges::count_if(m_world.log, isWrite));
    }

    MemoryProfile::World m_world;
    MemoryProfile::Factory m_factory{m_world};
};

// Steps: "+name" adds the name, "-name" removes it.
TEST_F(RecentFileListTest, EachNameOnceNewestFirstAndOnlyChangedSlotsWritten)
{
    struct Case {
        const char* name;
        int slots;
        std::map<std::wstring, std::wstring> stored;  // before the steps
        Names steps;
        Names expected;
        int writes;  // a slot is written when its stored value is missing or differs
    };
    const std::wstring path = L"C:\\a very\\long\\path\\name.txt";
    const Case cases[] = {
        {"repeat moves to top", 4, {}, {L"+a", L"+b", L"+a"}, {L"a", L"b", L"", L""}, 8},
        {"case matters", 4, {}, {L"+a", L"+b", L"+a", L"+A"}, {L"A", L"a", L"b", L""}, 11},
        {"fifth drops oldest", 4, {}, {L"+a", L"+b", L"+c", L"+d", L"+e"}, {L"e", L"d", L"c", L"b"}, 17},
        {"oldest re-added", 4, {}, {L"+a", L"+b", L"+c", L"+d", L"+a"}, {L"a", L"d", L"c", L"b"}, 17},
        {"newest re-added", 4, {}, {L"+a", L"+b", L"+c", L"+d", L"+d"}, {L"d", L"c", L"b", L"a"}, 13},
        {"one slot", 1, {}, {L"+a", L"+b"}, {L"b"}, 2},
        {"long names", 2, {}, {L"+" + path, L"+x"}, {L"x", path}, 4},
        {"remove takes only an exact match", 4, {}, {L"+c", L"+b", L"+a", L"-B", L"-zzz"}, {L"a", L"b", L"c", L""}, 9},
        {"remove", 4, {}, {L"+c", L"+b", L"+a", L"-b"}, {L"a", L"c", L"", L""}, 11},
        {"a stale stored value", 4, {{L"File4", L"stale"}}, {L"+a", L"+b", L"+b"}, {L"b", L"a", L"", L""}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_world.root.children.clear();
        for (const auto& [name, text] : c.stored)
            m_world.root.Child(L"Recent")->Set(name, {ZProfileValueString, text});
        m_world.log.clear();
        ZRecentFileList list(0, L"Recent", L"File%1!d!", static_cast<uint64_t>(c.slots), 30);
        for (const std::wstring& step : c.steps) {
            if (step[0] == L'+')
                list.AddToMostRecent(step.c_str() + 1);
            else
                list.RemoveFromList(step.c_str() + 1);
        }
        EXPECT_EQ(Slots(list), c.expected);
        EXPECT_EQ(StringWrites(), c.writes);
        ZRecentFileList reread(0, L"Recent", L"File%1!d!", static_cast<uint64_t>(c.slots), 30);
        reread.ReadList();
        EXPECT_EQ(Slots(reread), c.expected);
    }
}

// Value names come from the message-formatter pattern.
TEST_F(RecentFileListTest, ResizingKeepsNamesAndStoresTheNewSlotsEmpty)
{
    const wchar_t* const pattern = L"Entry %1!d! of list";
    CRecentFileList* list = new ZRecentFileList(0, L"Other", pattern, 4, 30);
    for (const wchar_t* name : {L"d", L"c", L"b", L"a"})
        static_cast<ZRecentFileList*>(list)->AddToMostRecent(name);
    ZRecentFileList::UpdateMRUCount(L"Other", pattern, list, 6);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Slots(*list), (Names{L"a", L"b", L"c", L"d", L"", L""}));
    const std::map<std::wstring, std::wstring> expected = {
        {L"Entry 1 of list", L"a"}, {L"Entry 2 of list", L"b"}, {L"Entry 3 of list", L"c"},
        {L"Entry 4 of list", L"d"}, {L"Entry 5 of list", L""},  {L"Entry 6 of list", L""}};
    std::map<std::wstring, std::wstring> stored;
    for (const auto& [name, value] : m_world.root.Child(L"Other")->values)
        stored[name] = value.data;
    EXPECT_EQ(stored, expected);

    // Names only in memory reach the store before the list goes.
    (*list)[0] = L"unsaved";
    ZRecentFileList::UpdateMRUCount(L"Other", pattern, list, 0);
    EXPECT_EQ(list, nullptr);
    ZRecentFileList::UpdateMRUCount(L"Other", pattern, list, 2);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Slots(*list), (Names{L"unsaved", L"b"}));
    delete list;
}

// A failed read empties the slot (the table covers reading stored values).
TEST_F(RecentFileListTest, WithoutAStoreSlotsReadEmptyAndTheListStaysUsable)
{
    g_factory = nullptr;
    ZRecentFileList list(0, L"Recent", L"File%1!d!", 3, 30);
    list[0] = L"in memory";
    list.ReadList();
    EXPECT_EQ(Slots(list), (Names{L"", L"", L""}));
    for (const wchar_t* name : {L"a", L"b"})
        list.AddToMostRecent(name);
    list.RemoveFromList(L"a");
    EXPECT_EQ(Slots(list), (Names{L"b", L"", L""}));
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
        EXPECT_EQ(Slots(assigned), (Names{L"changed", L""}));
    }
    EXPECT_EQ(Slots(list), (Names{L"a", L""}));
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
    const std::pair<UINT, const wchar_t*> items[] = {{kFirst, L"&1 beyond thirty.txt"}, {kFirst + 1, L"&2 b&&c.txt"}};
    for (int i = 0; i < 2; ++i) {
        CStringW text;
        menu.GetMenuString(static_cast<UINT>(i + 1), text, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text.GetString()), items[i].second);
        EXPECT_EQ(menu.GetMenuItemID(i + 1), items[i].first);
    }
    EXPECT_EQ(menu.GetMenuItemID(3), 101u);
}

}  // namespace
