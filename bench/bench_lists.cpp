// Filtering a list of 10,000 sessions down to the 100 that match and back
// again, through ZListCtrl's filter (the host re-adds every session by datum,
// the filter test keeps out the rest), against a bare list view emptied with
// LVM_DELETEALLITEMS and refilled with an LVM_INSERTITEMW loop over the same
// rows (the matching ones, then all). Once with one column, where the baseline
// is exactly that loop, and once with three, where the baseline also sets the
// two sub-item texts (LVM_SETITEMTEXTW) that the rows carry.
//
// Both sides refill with drawing off (WM_SETREDRAW), as the filter does: a
// visible list view that draws after every insertion needs about 95 s for the
// 10,000 rows under Wine, which would measure the display and not the lists.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/harness/BenchHarness.h"
#include "controls/ZListCtrl.h"

namespace {

constexpr size_t kSessions = 10'000;

struct Session {
    std::wstring name, host, tag;
};

std::vector<Session> MakeSessions()
{
    std::vector<Session> sessions;
    sessions.reserve(kSessions);
    for (size_t i = 0; i < kSessions; ++i)
        sessions.push_back({L"session " + std::to_wstring(i), L"host-" + std::to_wstring(i) + L".example.org",
                            i % 100 == 7 ? L"gold" : L"plain"});
    return sessions;
}

const std::vector<Session>& Sessions()
{
    static const std::vector<Session> all = MakeSessions();
    return all;
}

// Datum = position + 1. Matches on the tag, so "gold" keeps 100 rows.
class SessionRows : public IListCtrlHelper, public IListCtrlFilterHelper {
public:
    explicit SessionRows(size_t columns) : m_columns(columns) {}
    void Feed(ZListCtrl* list) { m_list = list; }
    void GetItemStrings(ULONG_PTR datum, std::vector<ZUnicodeString>& columns) override
    {
        const Session& session = Sessions()[datum - 1];
        columns.clear();
        columns.emplace_back(session.name);
        if (m_columns > 1) {
            columns.emplace_back(session.host);
            columns.emplace_back(session.tag);
        }
    }
    void ReleaseItemData(ULONG_PTR) override {}
    bool MatchesFilter(ULONG_PTR datum, const ZUnicodeString& filter, int) override
    {
        return Sessions()[datum - 1].tag.find(filter.view()) != std::wstring::npos;
    }
    void SetUpdating(bool) override {}
    void PopulateList() override
    {
        for (size_t i = 0; i < Sessions().size(); ++i)
            m_list->AddItem(i + 1);
    }

private:
    ZListCtrl* m_list = nullptr;
    size_t m_columns;
};

void InsertPlainRows(HWND list, const std::vector<size_t>& rows, size_t columns)
{
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (size_t row : rows) {
        const Session& session = Sessions()[row];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index;
        item.pszText = const_cast<LPWSTR>(session.name.c_str());
        item.lParam = static_cast<LPARAM>(row + 1);
        const int inserted = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (columns > 1) {
            LVITEMW sub = {};
            sub.iSubItem = 1;
            sub.pszText = const_cast<LPWSTR>(session.host.c_str());
            ::SendMessageW(list, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&sub));
            sub.iSubItem = 2;
            sub.pszText = const_cast<LPWSTR>(session.tag.c_str());
            ::SendMessageW(list, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&sub));
        }
        ++index;
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void AddColumns(HWND list, size_t columns)
{
    for (size_t i = 0; i < columns; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.cx = 120;
        column.pszText = const_cast<LPWSTR>(L"column");
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void PumpAll()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_lists", argc, argv);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.lpszClassName = L"BenchListsHost";
    ::RegisterClassW(&windowClass);
    HWND host = ::CreateWindowExW(0, L"BenchListsHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 900, 500,
                                  nullptr, nullptr, nullptr, nullptr);
    if (!host) {
        std::fprintf(stderr, "bench_lists: cannot make the window (no display?)\n");
        return 1;
    }
    CWnd* parent = CWnd::FromHandle(host);

    std::vector<size_t> gold, all;
    for (size_t i = 0; i < Sessions().size(); ++i) {
        all.push_back(i);
        if (Sessions()[i].tag == L"gold")
            gold.push_back(i);
    }

    for (size_t columns : {size_t{1}, size_t{3}}) {
        const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS;
        HWND plain = ::CreateWindowExW(0, WC_LISTVIEWW, L"", style, 10, 10, 420, 440, host, nullptr, nullptr, nullptr);
        AddColumns(plain, columns);
        InsertPlainRows(plain, all, columns);

        SessionRows rows(columns);
        ZListCtrl list(&rows, &rows, nullptr);
        rows.Feed(&list);
        list.Create(style, CRect(450, 10, 870, 440), parent, 1);
        list.Init(std::vector<ZListCtrl::ColumnInfoExact>(columns, {L"column", 120, LVCFMT_LEFT}), 0);
        list.SendMessage(WM_SETREDRAW, FALSE);
        rows.PopulateList();
        list.SendMessage(WM_SETREDRAW, TRUE);
        PumpAll();

        const std::string group = "10,000 rows to 100 and back, " + std::to_string(columns) + " column(s)";
        harness.Compare(
            group, kSessions + gold.size(),
            {"LVM_DELETEALLITEMS + LVM_INSERTITEMW loop", [&] {
                 InsertPlainRows(plain, gold, columns);
                 InsertPlainRows(plain, all, columns);
                 ::UpdateWindow(plain);
                 PumpAll();
                 return static_cast<size_t>(::SendMessageW(plain, LVM_GETITEMCOUNT, 0, 0));
             }},
            {{"ZListCtrl filter and cancel", [&] {
                 list.SetFilterText(ZUnicodeString(L"gold"));
                 list.CancelFilter();
                 ::UpdateWindow(list.m_hWnd);
                 PumpAll();
                 return static_cast<size_t>(list.GetItemCount());
             }}});
        list.DestroyWindow();
        ::DestroyWindow(plain);
    }
    return harness.Finish();
}
