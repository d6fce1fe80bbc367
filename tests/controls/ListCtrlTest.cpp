// The report list, its button helper and the single-column list under a real display: rows from a
// recording host, user actions sent as the messages the list would get, state read back from the list view.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TessaroMessages.h"
#include "controls/ZDialogListCtrlButtonHelper.h"
#include "controls/ZListBox.h"
#include "controls/ZListCtrl.h"
#include "controls/ZListCtrlColumns.h"
#include "foundation/ZReportMessageParams.h"
#include "tests/controls/ListsTestHost.h"
#include "tests/support/MessageBoxWatcher.h"

namespace {

using ListsTest::Host;
using ListsTest::Pump;
using Names = std::vector<std::wstring>;
using Rows = std::vector<int>;
using Data = std::vector<ULONG_PTR>;

constexpr UINT kListId = 100;

// Six sessions, datum = position + 1; records what the list asks of it.
class Sessions : public IListCtrlHelper, public IListCtrlFilterHelper, public IListCtrlSortSink {
public:
    const Names names = {L"alpha", L"Beta", L"gamma", L"ALPINE", L"delta", L"alps"};
    const Names hosts = {L"h3", L"h1", L"h6", L"h2", L"h5", L"h4"};
    ZListCtrl* list = nullptr;
    Data released;
    Names filters;
    std::vector<bool> updating;
    int populated = 0;
    int sortChanged = 0;

    void GetItemStrings(ULONG_PTR datum, std::vector<ZUnicodeString>& columns) override
    {
        columns = {ZUnicodeString(names[datum - 1]), ZUnicodeString(hosts[datum - 1])};
    }
    void ReleaseItemData(ULONG_PTR datum) override { released.push_back(datum); }
    bool MatchesFilter(ULONG_PTR datum, const ZUnicodeString& filter, int) override
    {
        filters.push_back(filter.str());
        std::wstring name = names[datum - 1];
        for (wchar_t& ch : name)
            ch = static_cast<wchar_t>(towlower(ch));
        return name.find(filter.str()) != std::wstring::npos;
    }
    void SetUpdating(bool on) override { updating.push_back(on); }
    void PopulateList() override
    {
        ++populated;
        for (size_t i = 0; i < names.size(); ++i)
            list->AddItem(i + 1);
    }
    void OnSortChanged() override { ++sortChanged; }
    void Forget()
    {
        released.clear();
        filters.clear();
        updating.clear();
        populated = sortChanged = 0;
    }
};

Names Column(const CListCtrl& list, int column)
{
    Names texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, column).GetString());
    return texts;
}

Rows Selected(const CListCtrl& list)
{
    Rows rows;
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void Select(ZListCtrl& list, const Rows& rows)
{
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int row : rows)
        list.SelectItem(row, true);
}

// The header arrow of a column: HDF_SORTUP, HDF_SORTDOWN or 0.
int Arrow(CListCtrl& list, int column)
{
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    ::SendMessageW(ListView_GetHeader(list.m_hWnd), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

class ListCtrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Make(520, 400));
        list = MakeList(LVS_REPORT);
        ASSERT_NE(list, nullptr);
        sessions.list = list.get();
        sessions.PopulateList();
        sessions.Forget();
    }
    std::unique_ptr<ZListCtrl> MakeList(DWORD style)
    {
        auto made = std::make_unique<ZListCtrl>(&sessions, &sessions, &sessions);
        if (!made->Create(WS_CHILD | WS_VISIBLE | style, CRect(10, 10, 410, 310), &host, kListId))
            return nullptr;
        made->Init({{L"Name", 150, LVCFMT_LEFT}, {L"Host", ZListCtrl::kRestOfWidth, LVCFMT_LEFT}},
                   LVS_EX_FULLROWSELECT);
        return made;
    }
    // Every row again, these selected, and nothing recorded yet.
    void Refill(const Rows& selected)
    {
        list->RemoveAll();
        sessions.PopulateList();
        Select(*list, selected);
        sessions.Forget();
    }
    void ClickColumn(int column)
    {
        NMLISTVIEW click = {};
        click.iItem = -1;
        click.iSubItem = column;
        EXPECT_EQ(Host::Notify(*list, click.hdr, LVN_COLUMNCLICK), 0);
    }
    void Timer(UINT_PTR id) { list->SendMessage(WM_TIMER, id); }

    Host host;
    Sessions sessions;
    std::unique_ptr<ZListCtrl> list;
};

TEST(ListColumns, ExactWidthsScaleFrom96DpiAndTheRestTakesWhatIsLeft)
{
    using Tessaro::ListColumns::ExactWidths;
    constexpr int rest = Tessaro::ListColumns::kRestOfWidth;
    struct Case { std::vector<int> given; int available, dpi; std::vector<int> expected; };
    const Case cases[] = {
        {{100, rest}, 400 - 17, 96, {100, 283}},
        {{100, rest}, 400 - 17, 144, {150, 233}},
        {{rest, 100}, 383, 96, {283, 100}},
        {{50, rest, rest}, 383, 96, {50, 166, 167}},  // two ask for the rest: they share it
        {{300, rest}, 200, 96, {300, 0}},             // nothing left is no width, not a negative one
        {{101, 33}, 383, 120, {126, 41}},             // MulDiv rounds half up
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExactWidths(c.given, c.available, c.dpi), c.expected);
    EXPECT_EQ(Tessaro::ListColumns::RatioWidths({0.25, 0.75}, 400), (std::vector<int>{100, 300}));
    EXPECT_EQ(Tessaro::ListColumns::RatioWidths({1.0 / 3, 2.0 / 3}, 100), (std::vector<int>{33, 66}));
}

// A list that keeps its column widths in memory.
class RememberingList : public ZListCtrl {
public:
    RememberingList() : ZListCtrl(nullptr, nullptr, nullptr) {}
    std::vector<int> saved;
    std::vector<std::vector<int>> writes;

protected:
    void GetSavedColumnWidths(std::vector<int>& widths) override { widths = saved; }
    void SaveColumnWidths(const std::vector<int>& widths) override { writes.push_back(widths); }
};

TEST_F(ListCtrlTest, ColumnsTakeSavedWidthsOnlyWhenThereIsOnePerColumn)
{
    if (CClientDC(nullptr).GetDeviceCaps(LOGPIXELSX) != 96 || ::GetSystemMetrics(SM_CXVSCROLL) != 17)
        GTEST_SKIP() << "the expected widths are for 96 dpi and a 17-pixel scroll bar";
    struct Case { std::vector<int> saved, shown; };
    const Case cases[] = {{{}, {100, 283}}, {{70}, {100, 283}}, {{70, 80, 90}, {100, 283}}, {{70, 80}, {70, 80}}};
    for (const Case& c : cases) {
        RememberingList remembering;
        remembering.saved = c.saved;
        // No border, so the client area is the 400 pixels of the window.
        ASSERT_TRUE(remembering.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &host, 101));
        remembering.Init({{L"A", 100, LVCFMT_LEFT}, {L"B", ZListCtrl::kRestOfWidth, LVCFMT_LEFT}}, 0);
        EXPECT_EQ((std::vector<int>{remembering.GetColumnWidth(0), remembering.GetColumnWidth(1)}), c.shown);
        remembering.SaveGuiSettings();
        if (c.saved.size() == 2)
            EXPECT_EQ(remembering.writes, (std::vector<std::vector<int>>{{70, 80}}));  // differ from the computed
        else
            EXPECT_TRUE(remembering.writes.empty());
        remembering.CListCtrl::SetColumnWidth(1, 120);
        remembering.SaveGuiSettings();
        EXPECT_EQ(remembering.writes.back(), (std::vector<int>{c.shown[0], 120}));
        remembering.DestroyWindow();
    }
}

TEST_F(ListCtrlTest, AFilterKeepsTheSelectedRowsThatStillMatch)
{
    Select(*list, {1, 3});  // Beta, ALPINE
    list->SetFilterText(ZUnicodeString(L"AL"));
    EXPECT_EQ(Column(*list, 0), (Names{L"alpha", L"ALPINE", L"alps"}));
    EXPECT_EQ(Selected(*list), (Rows{1}));
    EXPECT_EQ(sessions.filters, Names(6, L"al"));
    EXPECT_EQ(sessions.updating, (std::vector<bool>{true, false}));
    EXPECT_EQ(sessions.released, (Data{1, 2, 3, 4, 5, 6}));

    // Beta was filtered out: it does not come back selected.
    list->CancelFilter();
    EXPECT_EQ(Column(*list, 0), sessions.names);
    EXPECT_EQ(Selected(*list), (Rows{3}));
    EXPECT_EQ(sessions.populated, 2);
    EXPECT_EQ(list->AddItem(ULONG_PTR{1}), 6);  // no filter: every datum is taken
}

TEST_F(ListCtrlTest, AFilterWithAQuietTimeWaitsForItsTimerAndTypingBackCancelsIt)
{
    list->SetFilterQuiescent(300);
    for (const wchar_t* typed : {L"A", L"Al", L"Alp"})
        list->SetFilterText(ZUnicodeString(typed));
    EXPECT_EQ(sessions.populated, 0);
    EXPECT_EQ(list->GetItemCount(), 6);
    EXPECT_TRUE(::KillTimer(list->m_hWnd, ZListCtrl::kFilterTimerId));  // it was waiting

    Timer(ZListCtrl::kFilterTimerId);
    EXPECT_EQ(sessions.populated, 1);
    EXPECT_EQ(Column(*list, 0), (Names{L"alpha", L"ALPINE", L"alps"}));
    EXPECT_EQ(sessions.filters, Names(6, L"alp"));

    list->SetFilterText(ZUnicodeString(L"alpi"));
    list->SetFilterText(ZUnicodeString(L"ALP"));  // back to what is applied
    EXPECT_FALSE(::KillTimer(list->m_hWnd, ZListCtrl::kFilterTimerId));
    Timer(ZListCtrl::kFilterTimerId);  // a tick that was already on its way
    Timer(7);
    EXPECT_EQ(sessions.populated, 1);
    EXPECT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->AddItem(ULONG_PTR{2}), -1);  // Beta does not match
}

TEST_F(ListCtrlTest, ColumnClicksSortBothWaysAndShowTheArrow)
{
    list->UseDefaultSortingFunction();
    EXPECT_EQ(Arrow(*list, 0), HDF_SORTUP);  // Init shows the initial sort column
    struct Step { int column; Names names; int arrow0, arrow1; ZListCtrl::SortOrder order; };
    const Step steps[] = {
        {1, {L"Beta", L"ALPINE", L"alpha", L"alps", L"delta", L"gamma"}, 0, HDF_SORTUP, ZListCtrl::SortAscending},
        {1, {L"gamma", L"delta", L"alps", L"alpha", L"ALPINE", L"Beta"}, 0, HDF_SORTDOWN, ZListCtrl::SortDescending},
        {0, {L"alpha", L"ALPINE", L"alps", L"Beta", L"delta", L"gamma"}, HDF_SORTUP, 0, ZListCtrl::SortAscending},
        {0, {L"gamma", L"delta", L"Beta", L"alps", L"ALPINE", L"alpha"}, HDF_SORTDOWN, 0, ZListCtrl::SortDescending},
    };
    int changes = 0;
    for (const Step& step : steps) {
        ClickColumn(step.column);
        EXPECT_EQ(Column(*list, 0), step.names);
        EXPECT_EQ(Arrow(*list, 0), step.arrow0);
        EXPECT_EQ(Arrow(*list, 1), step.arrow1);
        int column = -1;
        ZListCtrl::SortOrder order = ZListCtrl::SortAscending;
        list->GetSorting(column, order);
        EXPECT_EQ(column, step.column);
        EXPECT_EQ(order, step.order);
        EXPECT_EQ(sessions.sortChanged, ++changes);
    }
    // Without a sorting function a click changes nothing.
    list->SetSortingFunction(nullptr);
    ClickColumn(1);
    EXPECT_EQ(Column(*list, 0), steps[3].names);
    EXPECT_EQ(sessions.sortChanged, changes);
}

TEST_F(ListCtrlTest, DeletingSelectsTheRowThatTookThePlaceOfTheFirst)
{
    // reply 0: no question asked.
    struct Case { const char* name; Rows selected; int reply; bool result; Names remaining; Rows selectedAfter;
                  Data released; };
    const Names all = sessions.names;
    const Case cases[] = {
        {"nothing selected", {}, 0, false, all, {}, {}},
        {"the last row", {5}, 0, true, {L"alpha", L"Beta", L"gamma", L"ALPINE", L"delta"}, {4}, {6}},
        {"two rows", {1, 2}, 0, true, {L"alpha", L"ALPINE", L"delta", L"alps"}, {1}, {2, 3}},
        {"every row", {0, 1, 2, 3, 4, 5}, 0, true, {}, {}, {1, 2, 3, 4, 5, 6}},
        {"declined", {2}, IDNO, false, all, {2}, {}},
        {"confirmed", {2}, IDYES, true, {L"alpha", L"Beta", L"ALPINE", L"delta", L"alps"}, {2}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Refill(c.selected);
        TestSupport::MessageBoxWatcher watcher(c.reply);
        const bool result = c.reply ? list->DoDelete(ZReportMessageParams(MSG_TOOLBAR_CHANGED)) : list->DoDelete();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Column(*list, 0), c.remaining);
        EXPECT_EQ(Selected(*list), c.selectedAfter);
        EXPECT_EQ(sessions.released, c.released);
        if (c.reply) {
            ASSERT_EQ(watcher.Boxes().size(), 1u);
            const auto& box = watcher.Boxes()[0];
            EXPECT_TRUE(box.HasButton(IDYES) && box.HasButton(IDNO));
            EXPECT_EQ(box.icon, TestSupport::SystemIconFor(MB_ICONWARNING));
        } else {
            EXPECT_TRUE(watcher.Boxes().empty());
        }
    }
}

TEST_F(ListCtrlTest, MovingSwapsTheRowsDataAndStopsAtTheEnds)
{
    struct Case { Rows selected; ZListCtrl::MoveDirection direction; bool result; Names names; Rows selectedAfter; };
    const Names all = sessions.names;
    const Case cases[] = {
        {{0}, ZListCtrl::MoveUp, false, all, {0}},
        {{5}, ZListCtrl::MoveDown, false, all, {5}},
        {{}, ZListCtrl::MoveDown, false, all, {}},
        {{1}, ZListCtrl::MoveDown, true, {L"alpha", L"gamma", L"Beta", L"ALPINE", L"delta", L"alps"}, {2}},
        {{3}, ZListCtrl::MoveUp, true, {L"alpha", L"Beta", L"ALPINE", L"gamma", L"delta", L"alps"}, {2}},
    };
    for (const Case& c : cases) {
        Refill(c.selected);
        EXPECT_EQ(list->DoMoveSelected(c.direction), c.result);
        EXPECT_EQ(Column(*list, 0), c.names);
        EXPECT_EQ(Selected(*list), c.selectedAfter);
        EXPECT_TRUE(sessions.released.empty());  // moving drops no datum
    }
}

// A host's own order: the sessions' names without regard to case.
int CALLBACK ByHostName(LPARAM first, LPARAM second, LPARAM context)
{
    const auto* sessions = static_cast<const Sessions*>(reinterpret_cast<ZListCtrl::SortContext*>(context)->compareHelper);
    return ::_wcsicmp(sessions->names[first - 1].c_str(), sessions->names[second - 1].c_str());
}

TEST_F(ListCtrlTest, MovingInAHostSortedListLeavesEveryRowShowingItsOwnSession)
{
    list->SetSortingFunction(&ByHostName);
    list->SetSortCompareHelper(&sessions);
    list->Sort();
    Select(*list, {0});
    const ULONG_PTR moved = list->GetItemData(0);
    EXPECT_TRUE(list->DoMoveSelected(ZListCtrl::MoveDown));
    for (int row = 0; row < list->GetItemCount(); ++row)
        EXPECT_EQ(list->GetItemText(row, 0).GetString(), sessions.names[list->GetItemData(row) - 1]) << "row " << row;
    ASSERT_EQ(Selected(*list).size(), 1u);
    EXPECT_EQ(list->GetItemData(Selected(*list)[0]), moved);  // the selection follows the session
}

TEST_F(ListCtrlTest, AFilterRefillIsSortedAsTheHeaderShows)
{
    list->UseDefaultSortingFunction();
    ClickColumn(1);  // by host: h2 ALPINE, h3 alpha, h4 alps
    list->SetFilterText(ZUnicodeString(L"al"));
    EXPECT_EQ(Column(*list, 0), (Names{L"ALPINE", L"alpha", L"alps"}));
    EXPECT_EQ(Arrow(*list, 1), HDF_SORTUP);
    list->CancelFilter();
    EXPECT_EQ(Column(*list, 1), (Names{L"h1", L"h2", L"h3", L"h4", L"h5", L"h6"}));
}

TEST_F(ListCtrlTest, ARowThatIsNotThereSelectsNothing)
{
    ZDialogListCtrlButtonHelper helper(list.get());
    list->SelectItem(2, false);
    // The list view takes -1 for "every row": a following delete would empty the list.
    EXPECT_EQ(helper.SelectItemByText(ZUnicodeString(L"no such session"), false), -1);
    EXPECT_FALSE(list->SelectItem(-1, false));
    EXPECT_FALSE(list->SelectItem(6, false));
    NMITEMACTIVATE below = {};
    below.iItem = -1;  // a double click under the last row
    LRESULT result = 1;
    EXPECT_FALSE(list->DoItemDblClick(&below.hdr, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Selected(*list), (Rows{2}));
    EXPECT_TRUE(list->DoDelete());
    EXPECT_EQ(list->GetItemCount(), 5);

    EXPECT_EQ(helper.SelectItemByText(ZUnicodeString(L"BETA"), false), 1);
    below.iItem = 3;
    EXPECT_TRUE(list->DoItemDblClick(&below.hdr, &result));
    EXPECT_EQ(Selected(*list), (Rows{3}));
    std::vector<ZUnicodeString> texts;
    list->SelectItem(0, true);
    helper.GetSelectedItemText(texts);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].str(), L"alpha");
    EXPECT_EQ(texts[1].str(), L"delta");
}

TEST_F(ListCtrlTest, DisabledTheListShowsEveryRowAndGetsItsSelectionBack)
{
    auto single = MakeList(LVS_REPORT | LVS_SINGLESEL);
    ASSERT_NE(single, nullptr);
    sessions.list = single.get();
    sessions.PopulateList();
    single->SelectItem(2, false);

    single->EnableWindow(FALSE);
    EXPECT_EQ(Selected(*single), (Rows{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(single->GetStyle() & LVS_SINGLESEL, 0u);
    single->EnableWindow(TRUE);
    EXPECT_EQ(Selected(*single), (Rows{2}));
    EXPECT_EQ(single->GetStyle() & LVS_SINGLESEL, static_cast<DWORD>(LVS_SINGLESEL));
    // A multiple-selection list stays one.
    Select(*list, {1, 4});
    list->EnableWindow(FALSE);
    list->EnableWindow(TRUE);
    EXPECT_EQ(Selected(*list), (Rows{1, 4}));
    EXPECT_EQ(list->GetStyle() & LVS_SINGLESEL, 0u);
}

TEST_F(ListCtrlTest, ButtonsFollowTheSelection)
{
    CButton up, down, add, edit, del;
    CButton* buttons[] = {&up, &down, &add, &edit, &del};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(buttons[i]->Create(L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                       CRect(420, 10 + 30 * i, 500, 30 + 30 * i), &host, 200 + i));
    list->EnableButtons(false, false);  // no helper yet: nothing to do
    EXPECT_TRUE(up.IsWindowEnabled() && del.IsWindowEnabled());

    list->InitAssociatedButtons(&up, &down, &add, &edit, &del, nullptr);
    EXPECT_NE(up.SendMessage(BM_GETIMAGE, IMAGE_ICON), 0);
    EXPECT_NE(down.SendMessage(BM_GETIMAGE, IMAGE_ICON), 0);
    EXPECT_EQ(add.SendMessage(BM_GETIMAGE, IMAGE_ICON), 0);
    struct Case { Rows selected; bool allowMove, enable; std::vector<bool> enabled; /* up down add edit delete */ };
    const Case cases[] = {
        {{}, true, true, {false, false, true, false, false}},
        {{2}, true, true, {true, true, true, true, true}},
        {{0}, true, true, {false, true, true, true, true}},
        {{5}, true, true, {true, false, true, true, true}},
        {{1, 2}, true, true, {false, false, true, false, true}},
        {{2}, false, true, {false, false, true, true, true}},
        {{2}, true, false, {true, true, false, false, false}},  // moving is allowMove's alone
        {{2}, false, false, {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        Select(*list, c.selected);
        list->EnableButtons(c.allowMove, c.enable);
        std::vector<bool> enabled;
        for (CButton* button : buttons)
            enabled.push_back(button->IsWindowEnabled() != FALSE);
        EXPECT_EQ(enabled, c.enabled) << "selection of " << c.selected.size();
    }
}

class Drawing : public IListCtrlCustomDrawSink {
public:
    int notifications = 0;
    void OnCustomDraw(NMHDR*, LRESULT* result) override
    {
        ++notifications;
        *result = CDRF_DODEFAULT;
    }
};

class RedRowsList : public ZListCtrl {
public:
    explicit RedRowsList(Sessions& sessions) : ZListCtrl(&sessions, nullptr, nullptr) {}
    int cells = 0;

protected:
    COLORREF OnGetCellTextColor(int, int) override
    {
        ++cells;
        return RGB(200, 0, 0);
    }
};

TEST_F(ListCtrlTest, CustomDrawingGoesToTheSinkAloneWhenThereIsOne)
{
    RedRowsList red(sessions);
    ASSERT_TRUE(red.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 320, 410, 390), &host, 103));
    red.Init({{L"Name", 150, LVCFMT_LEFT}, {L"Host", ZListCtrl::kRestOfWidth, LVCFMT_LEFT}}, 0);
    sessions.list = &red;
    sessions.PopulateList();
    auto paint = [&] { ::RedrawWindow(red.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); };
    paint();
    EXPECT_GT(red.cells, 0);  // the toolkit asks for each cell's colours

    Drawing sink;
    red.EnableCustomDraw(&sink);
    const int cellsBefore = red.cells;
    paint();
    EXPECT_GT(sink.notifications, 0);
    EXPECT_EQ(red.cells, cellsBefore);
    red.DestroyWindow();
}

TEST_F(ListCtrlTest, EveryDatumTheListDropsIsReleased)
{
    list->SetItemData(0, 99);
    EXPECT_EQ(sessions.released, (Data{1}));
    list->RemoveItem(0);
    EXPECT_EQ(sessions.released, (Data{1, 99}));
    list->RemoveAll();
    EXPECT_EQ(sessions.released, (Data{1, 99, 2, 3, 4, 5, 6}));
    EXPECT_EQ(list->GetItemCount(), 0);

    sessions.PopulateList();
    sessions.Forget();
    list->DestroyWindow();
    EXPECT_EQ(sessions.released, (Data{1, 2, 3, 4, 5, 6}));
}

TEST_F(ListCtrlTest, RowsFromTextsGetDataInTurnAndMoveWithTheirTexts)
{
    ZListCtrl plain(nullptr, nullptr, nullptr);
    ASSERT_TRUE(plain.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 200, 100), &host, 104));
    plain.Init({{L"A", 80, LVCFMT_LEFT}, {L"B", 80, LVCFMT_LEFT}}, 0);
    const wchar_t* const rows[][2] = {{L"x", L"1"}, {L"y", L"2"}, {L"z", L"3"}};
    for (const auto& row : rows)
        plain.AddItem({ZUnicodeString(row[0]), ZUnicodeString(row[1])}, -2);
    EXPECT_EQ(plain.AddItemAt(0, {ZUnicodeString(L"w")}, -2), 0);
    EXPECT_EQ(Column(plain, 0), (Names{L"w", L"x", L"y", L"z"}));
    EXPECT_EQ((Data{plain.GetItemData(0), plain.GetItemData(1), plain.GetItemData(3)}), (Data{3, 0, 2}));
    EXPECT_EQ(plain.AddItem(ULONG_PTR{5}), -1);  // no helper to give its texts

    // No helper rebuilds them either: the texts themselves move.
    plain.SelectItem(1, false);
    EXPECT_TRUE(plain.DoMoveSelected(ZListCtrl::MoveDown));
    EXPECT_EQ(Column(plain, 0), (Names{L"w", L"y", L"x", L"z"}));
    EXPECT_EQ(Column(plain, 1), (Names{L"", L"2", L"1", L"3"}));
    EXPECT_EQ((Data{plain.GetItemData(1), plain.GetItemData(2)}), (Data{1, 0}));
    EXPECT_EQ(Selected(plain), (Rows{2}));
    plain.DestroyWindow();
}

// --- the single-column list -----------------------------------------------------------

TEST(ListBox, AdditionsOnlyWidenTheColumnAndDeletionsMeasureAgain)
{
    Host host;
    ASSERT_TRUE(host.Make(300, 200));
    ZListBox box;
    ASSERT_TRUE(box.Create(WS_CHILD | WS_VISIBLE | LVS_ICON, CRect(10, 10, 210, 160), &host, 110));
    box.Init();
    const DWORD style = box.GetStyle();
    EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_TRUE((style & LVS_SINGLESEL) && (style & LVS_SHOWSELALWAYS) && (style & LVS_NOCOLUMNHEADER));
    EXPECT_EQ(box.GetColumnWidth(0), 200);
    EXPECT_EQ(box.GetCurSel(), -1);

    // The width itself (widest string plus the margin) is the geometry program's, at every resolution.
    EXPECT_EQ(box.AddString(L"narrow"), 0);
    const int narrow = box.GetColumnWidth(0);
    EXPECT_EQ(box.AddString(L"a rather wider string than that"), 1);
    const int wide = box.GetColumnWidth(0);
    EXPECT_GT(wide, narrow);
    box.AddString(L"x");
    EXPECT_EQ(box.GetColumnWidth(0), wide);  // additions only widen
    box.DeleteString(1);
    EXPECT_EQ(box.GetColumnWidth(0), narrow);  // deletions measure again
    EXPECT_EQ(box.FindStringExact(-1, L"NARROW"), 0);
    EXPECT_EQ(box.FindStringExact(-1, L"narro"), -1);
    EXPECT_EQ(box.GetText(1), CStringW(L"x"));

    box.SetCurSel(1);
    EXPECT_EQ(box.GetCurSel(), 1);
    box.SetCurSel(-1);
    EXPECT_EQ(box.GetCurSel(), -1);
    box.DeleteString(0);
    box.DeleteString(0);
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(box.GetColumnWidth(0), int{ZListBox::kColumnMargin});
}

}  // namespace
