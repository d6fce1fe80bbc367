// Demo section: lists. A window of 10,000 generated sessions that the demo
// filters (with the quiet delay a search field would use), sorts by clicking a
// column header twice and prunes with Delete, with Telnet sessions drawn in
// grey through the toolkit's cell-colour hook; then a grid of permissions per
// user, clicked and scrolled. A screenshot of each.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ZCheckListBox.h"
#include "controls/ZListCtrl.h"
#include "demo/DemoDpi.h"
#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"

namespace {

constexpr size_t kSessions = 10'000;
const wchar_t* const kRoles[] = {L"db", L"web", L"build", L"mail"};
const wchar_t* const kProtocols[] = {L"SSH2", L"SFTP", L"Telnet"};

struct Session {
    std::wstring name, host, protocol;
};

// Sessions by datum (position + 1), filtered on name and host.
class SessionBook : public IListCtrlHelper, public IListCtrlFilterHelper, public IListCtrlSortSink {
public:
    SessionBook()
    {
        for (size_t i = 0; i < kSessions; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"session-%05zu", i);
            m_sessions.push_back({name, std::wstring(kRoles[i % 4]) + L"-" + std::to_wstring(i / 4) + L".example.org",
                                  kProtocols[(i * 7) % 3]});
        }
    }
    void Attach(ZListCtrl* list) { m_list = list; }
    const Session& At(ULONG_PTR datum) const { return m_sessions[datum - 1]; }

    void GetItemStrings(ULONG_PTR datum, std::vector<ZUnicodeString>& columns) override
    {
        const Session& session = At(datum);
        columns = {ZUnicodeString(session.name), ZUnicodeString(session.host), ZUnicodeString(session.protocol)};
    }
    void ReleaseItemData(ULONG_PTR) override {}
    bool MatchesFilter(ULONG_PTR datum, const ZUnicodeString& filter, int) override
    {
        const Session& session = At(datum);
        return session.name.find(filter.view()) != std::wstring::npos ||
               session.host.find(filter.view()) != std::wstring::npos;
    }
    void SetUpdating(bool updating) override
    {
        // Back in the order the header shows.
        if (!updating)
            m_list->Sort();
    }
    void PopulateList() override
    {
        for (size_t i = 0; i < m_sessions.size(); ++i)
            m_list->AddItem(i + 1);
    }
    void OnSortChanged() override { ++sortChanges; }

    int sortChanges = 0;

private:
    std::vector<Session> m_sessions;
    ZListCtrl* m_list = nullptr;
};

// Telnet sessions in grey: the toolkit asks each cell for its colours.
class SessionList : public ZListCtrl {
public:
    explicit SessionList(SessionBook& book) : ZListCtrl(&book, &book, &book), m_book(book) {}

protected:
    COLORREF OnGetCellTextColor(int row, int) override
    {
        return m_book.At(GetItemData(row)).protocol == L"Telnet" ? RGB(128, 128, 128) : CLR_DEFAULT;
    }

private:
    SessionBook& m_book;
};

// A framework window, so that the lists' notifications come back to them, with
// the dialog font for the check grid.
class DemoListWindow : public CWnd {
protected:
    afx_msg LRESULT OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(::GetStockObject(DEFAULT_GUI_FONT)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DemoListWindow, CWnd)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
END_MESSAGE_MAP()

void PumpFor(int milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount64() < end);
}

bool MakeWindow(DemoListWindow& window, const wchar_t* title, int width, int height)
{
    const LPCWSTR windowClass = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                    ::GetSysColorBrush(COLOR_BTNFACE));
    return window.CreateEx(0, windowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 60, 60,
                           DemoScaled(width), DemoScaled(height), nullptr, nullptr) != FALSE;
}

void ClickHeader(ZListCtrl& list, int column)
{
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = list.m_hWnd;
    click.hdr.idFrom = static_cast<UINT_PTR>(list.GetDlgCtrlID());
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageW(::GetParent(list.m_hWnd), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

const wchar_t* ArrowOf(ZListCtrl& list, int column)
{
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    ::SendMessageW(ListView_GetHeader(list.m_hWnd), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt & HDF_SORTUP ? L"up" : item.fmt & HDF_SORTDOWN ? L"down" : L"none";
}

void PrintFirstRows(ZListCtrl& list, int rows)
{
    for (int row = 0; row < rows && row < list.GetItemCount(); ++row)
        DemoPrintf(L"  %ls  %ls  %ls\n", list.GetItemText(row, 0).GetString(), list.GetItemText(row, 1).GetString(),
                   list.GetItemText(row, 2).GetString());
}

void ShowSessionList()
{
    DemoListWindow window;
    if (!MakeWindow(window, L"Sessions", 620, 420)) {
        DemoPrintf(L"skipped: no window (no display?)\n\n");
        return;
    }
    SessionBook book;
    SessionList list(book);
    book.Attach(&list);
    CRect client;
    window.GetClientRect(&client);
    client.DeflateRect(8, 8);
    list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, client, &window, 1);
    list.SetFont(CFont::FromHandle(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
    list.Init({{L"Name", 0.3, LVCFMT_LEFT}, {L"Host", 0.45, LVCFMT_LEFT}, {L"Protocol", 0.25, LVCFMT_LEFT}},
              LVS_EX_FULLROWSELECT, true);
    list.UseDefaultSortingFunction();
    list.SendMessage(WM_SETREDRAW, FALSE);
    book.PopulateList();
    list.SendMessage(WM_SETREDRAW, TRUE);
    DemoPrintf(L"%d sessions listed\n", list.GetItemCount());

    list.SelectItem(4, false);  // db-1.example.org
    list.SelectItem(40, true);  // db-10.example.org
    list.SelectItem(8, true);   // db-2.example.org, filtered out below
    list.SetFilterQuiescent(300);
    for (const wchar_t* typed : {L"D", L"Db", L"Db-1"})
        list.SetFilterText(ZUnicodeString(typed));
    DemoPrintf(L"typed \"Db-1\": still %d rows while the quiet time runs\n", list.GetItemCount());
    PumpFor(500);
    DemoPrintf(L"after the quiet time: %d rows match \"db-1\", %u of them selected\n", list.GetItemCount(),
               list.GetSelectedCount());

    ClickHeader(list, 1);
    DemoPrintf(L"Host clicked: arrow %ls\n", ArrowOf(list, 1));
    PrintFirstRows(list, 3);
    ClickHeader(list, 1);
    DemoPrintf(L"Host clicked again: arrow %ls\n", ArrowOf(list, 1));
    PrintFirstRows(list, 3);
    PumpFor(100);
    const std::wstring shot = SaveScreenshot(window.m_hWnd, L"lists-sessions.png");
    if (!shot.empty())
        DemoPrintf(L"screenshot: %ls\n", shot.c_str());

    list.DoDelete();
    DemoPrintf(L"Delete: %d rows left, the next row selected: %ls\n", list.GetItemCount(),
               list.GetItemText(list.GetNextItem(-1, LVNI_SELECTED), 0).GetString());
    list.CancelFilter();
    DemoPrintf(L"filter cleared: %d rows (the deleted ones stay in the book), %d sort change(s)\n",
               list.GetItemCount(), book.sortChanges);
    window.DestroyWindow();
    PumpFor(50);
}

void ShowCheckGrid()
{
    DemoListWindow window;
    if (!MakeWindow(window, L"Permissions", 360, 300))
        return;
    const wchar_t* const kRights[] = {L"Read", L"Write", L"Admin"};
    const int kColumnX[] = {DemoScaled(150), DemoScaled(210), DemoScaled(270)};  // client x of each column
    CStatic labels[3];
    for (int i = 0; i < 3; ++i) {
        labels[i].Create(kRights[i], WS_CHILD | WS_VISIBLE, CRect(kColumnX[i] - DemoScaled(4), DemoScaled(8),
                                                                kColumnX[i] + DemoScaled(50), DemoScaled(26)), &window);
        labels[i].SetFont(CFont::FromHandle(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
    }
    CStatic placeholder;
    placeholder.Create(L"", WS_CHILD, CRect(DemoScaled(10), DemoScaled(30), DemoScaled(340), DemoScaled(230)),
                       &window, 2);
    ZCheckListBox grid;
    static int changes = 0;
    if (!grid.Create(WS_VISIBLE, &window, 2, [] { ++changes; })) {
        DemoPrintf(L"skipped: the grid was not made\n\n");
        return;
    }
    for (int x : kColumnX) {
        CPoint screen(x, 0);
        window.ClientToScreen(&screen);
        grid.AddCheckColumn(screen.x);
    }
    const wchar_t* const kUsers[] = {L"alice", L"bob", L"carol", L"dave", L"erin", L"frank", L"grace", L"heidi",
                                     L"ivan", L"judy", L"mallory", L"oscar", L"peggy", L"trent"};
    for (const wchar_t* user : kUsers)
        grid.AddItem(user);
    // Clicks where the boxes are: each row's rights are exclusive.
    const int height = grid.GetCheckWidth() + 2;
    auto click = [&](int row, int column) {
        CPoint box(kColumnX[column], 0);
        window.ClientToScreen(&box);
        grid.ScreenToClient(&box);
        grid.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(box.x + height / 2, row * height + height / 2));
    };
    click(0, 2);
    click(1, 0);
    click(1, 1);  // moves bob from Read to Write
    click(3, 0);
    PumpFor(50);
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    PumpFor(50);
    DemoPrintf(L"check grid: %d users, %d rights, %d click(s) reported\n", grid.GetCount(),
               grid.GetCheckColumnCount(), changes);
    for (int row = 0; row < 4; ++row)
        DemoPrintf(L"  %-6ls %ls %ls %ls\n", kUsers[row], grid.GetCheckState(row, 0) ? L"[x]" : L"[ ]",
                   grid.GetCheckState(row, 1) ? L"[x]" : L"[ ]", grid.GetCheckState(row, 2) ? L"[x]" : L"[ ]");
    const std::wstring shot = SaveScreenshot(window.m_hWnd, L"lists-check-grid.png");
    if (!shot.empty())
        DemoPrintf(L"screenshot: %ls\n", shot.c_str());
    window.DestroyWindow();
    PumpFor(50);
}

}  // namespace

void ShowLists()
{
    DemoPrintf(L"== Lists: sessions and a check grid\n");
    ShowSessionList();
    ShowCheckGrid();
    DemoPrintf(L"\n");
}
