#include "controls/ZListCtrl.h"

#include <cwctype>
#include <string>
#include <unordered_map>

#include "controls/ZDialogListCtrlButtonHelper.h"
#include "controls/ZListCtrlColumns.h"
#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"

namespace {

constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

// The default sorting function reads the sort column's texts from this table,
// made once per sort, instead of searching the rows for each comparison.
struct TextSortContext : ZListCtrl::SortContext {
    const std::unordered_map<LPARAM, std::wstring>* textsByDatum;
};

int ListResolution(CWnd& list)
{
    HDC dc = ::GetDC(list.m_hWnd);
    if (!dc)
        return 96;
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(list.m_hWnd, dc);
    return dpi > 0 ? dpi : 96;
}

int ClientWidth(const CWnd& list)
{
    RECT client = {};
    list.GetClientRect(&client);
    return client.right - client.left;
}

}  // namespace

IMPLEMENT_DYNAMIC(ZListCtrl, CBCGPListCtrl)

BEGIN_MESSAGE_MAP(ZListCtrl, CBCGPListCtrl)
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_ENABLE()
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

ZListCtrl::ZListCtrl(IListCtrlHelper* helper, IListCtrlFilterHelper* filterHelper, IListCtrlSortSink* sortSink)
    : m_helper(helper), m_filterHelper(filterHelper), m_sortSink(sortSink)
{
}

ZListCtrl::~ZListCtrl() = default;

// --- columns ---------------------------------------------------------------------

void ZListCtrl::InitStyles(unsigned long extendedStyles)
{
    ModifyStyle(0, LVS_SHOWSELALWAYS);
    SetExtendedStyle(GetExtendedStyle() | m_extraExtendedStyles | extendedStyles);
    m_singleSelection = (GetStyle() & LVS_SINGLESEL) != 0;
}

void ZListCtrl::Init(const std::vector<ColumnInfoExact>& columns, unsigned long extendedStyles)
{
    InitStyles(extendedStyles);
    std::vector<int> given;
    std::vector<const wchar_t*> titles;
    std::vector<int> formats;
    for (const ColumnInfoExact& column : columns) {
        given.push_back(column.width);
        titles.push_back(column.title);
        formats.push_back(column.format);
    }
    const int available = ClientWidth(*this) - ::GetSystemMetrics(SM_CXVSCROLL);
    m_columnWidths = Tessaro::ListColumns::ExactWidths(given, available, ListResolution(*this));
    InsertColumns(titles, formats);
}

void ZListCtrl::Init(const std::vector<ColumnInfoRatio>& columns, unsigned long extendedStyles,
                     bool reserveScrollBar)
{
    InitStyles(extendedStyles);
    std::vector<double> ratios;
    std::vector<const wchar_t*> titles;
    std::vector<int> formats;
    for (const ColumnInfoRatio& column : columns) {
        ratios.push_back(column.ratio);
        titles.push_back(column.title);
        formats.push_back(column.format);
    }
    const int available = ClientWidth(*this) - (reserveScrollBar ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    m_columnWidths = Tessaro::ListColumns::RatioWidths(ratios, available);
    InsertColumns(titles, formats);
}

void ZListCtrl::InsertColumns(const std::vector<const wchar_t*>& titles, const std::vector<int>& formats)
{
    std::vector<int> widths;
    GetSavedColumnWidths(widths);
    if (widths.size() != m_columnWidths.size())
        widths = m_columnWidths;
    for (size_t i = 0; i < titles.size(); ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = formats[i];
        column.cx = widths[i];
        column.pszText = const_cast<LPWSTR>(titles[i]);
        // The list shows in each column the sub-item the column names.
        column.iSubItem = static_cast<int>(i);
        Send(LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    if (!(GetStyle() & LVS_NOSORTHEADER))
        ShowSortIndicator();
}

void ZListCtrl::ShowSortIndicator()
{
    if (m_hWnd && !(GetStyle() & LVS_NOSORTHEADER))
        SetSortColumn(m_sortColumn, m_sortOrder == SortAscending, FALSE);
}

void ZListCtrl::SaveGuiSettings()
{
    const int count = GetHeaderCtrl().GetItemCount();
    std::vector<int> current;
    for (int i = 0; i < count; ++i)
        current.push_back(GetColumnWidth(i));
    if (current != m_columnWidths)
        SaveColumnWidths(current);
}

void ZListCtrl::OnAddItem(int) {}
void ZListCtrl::GetSavedColumnWidths(std::vector<int>&) {}
void ZListCtrl::SaveColumnWidths(const std::vector<int>&) {}

// --- rows ----------------------------------------------------------------------------

int ZListCtrl::InsertRow(int index, ULONG_PTR itemData, const std::vector<ZUnicodeString>& columns, int image)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index < 0 ? GetItemCount() : index;
    item.pszText = const_cast<LPWSTR>(columns.empty() ? L"" : columns[0].c_str());
    if (itemData != 0) {
        item.mask |= LVIF_PARAM;
        item.lParam = static_cast<LPARAM>(itemData);
    }
    if (image != -2) {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    const int row = InsertItem(&item);
    if (row < 0)
        return -1;
    for (size_t column = 1; column < columns.size(); ++column)
        SetItemText(row, static_cast<int>(column), columns[column].c_str());
    OnAddItem(row);
    const auto remembered = m_rememberedSelection.find(itemData);
    if (remembered != m_rememberedSelection.end()) {
        m_rememberedSelection.erase(remembered);
        SetItemState(row, kSelectedAndFocused, kSelectedAndFocused);
    }
    return row;
}

int ZListCtrl::AddItem(const std::vector<ZUnicodeString>& columns, int image)
{
    return AddItemAt(-1, columns, image);
}

int ZListCtrl::AddItemAt(int index, const std::vector<ZUnicodeString>& columns, int image)
{
    return InsertRow(index, m_nextItemData++, columns, image);
}

int ZListCtrl::AddItem(ULONG_PTR itemData)
{
    return AddItemByData(-1, itemData, -2);
}

int ZListCtrl::AddItem(ULONG_PTR itemData, int image)
{
    return AddItemByData(-1, itemData, image);
}

int ZListCtrl::AddItemAt(int index, ULONG_PTR itemData, int image)
{
    return AddItemByData(index, itemData, image);
}

int ZListCtrl::AddItemByData(int index, ULONG_PTR itemData, int image)
{
    if (m_filterHelper && !m_appliedFilter.empty() && !m_filterHelper->MatchesFilter(itemData, m_appliedFilter, index))
        return -1;
    if (!m_helper)
        return -1;
    std::vector<ZUnicodeString> columns;
    m_helper->GetItemStrings(itemData, columns);
    return InsertRow(index, itemData, columns, image);
}

bool ZListCtrl::UpdateItem(int index)
{
    if (!m_helper)
        return false;
    std::vector<ZUnicodeString> columns;
    m_helper->GetItemStrings(GetItemData(index), columns);
    UpdateItem(index, columns, true);
    return true;
}

void ZListCtrl::UpdateItem(int index, const std::vector<ZUnicodeString>& columns, bool resort)
{
    for (size_t column = 0; column < columns.size(); ++column)
        SetItemText(index, static_cast<int>(column), columns[column].c_str());
    if (m_sortFunction && resort)
        Sort();
}

void ZListCtrl::ReleaseRow(int index)
{
    if (m_helper)
        m_helper->ReleaseItemData(GetItemData(index));
}

void ZListCtrl::SetItemData(int index, ULONG_PTR itemData)
{
    ReleaseRow(index);
    CListCtrl::SetItemData(index, itemData);
}

void ZListCtrl::RemoveItem(int index)
{
    ReleaseRow(index);
    DeleteItem(index);
}

void ZListCtrl::RemoveAll()
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        ReleaseRow(row);
        CListCtrl::SetItemData(row, 0);
    }
    DeleteAllItems();
}

void ZListCtrl::OnDestroy()
{
    m_destroyed = true;
    StopFilterTimer();
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        ReleaseRow(row);
        CListCtrl::SetItemData(row, 0);
    }
    Default();
}

std::vector<ZUnicodeString> ZListCtrl::RowTexts(int index)
{
    std::vector<ZUnicodeString> texts;
    const int columns = GetHeaderCtrl().GetItemCount();
    for (int column = 0; column < columns; ++column)
        texts.emplace_back(GetItemText(index, column));
    return texts;
}

// --- selection and editing -----------------------------------------------------------

std::vector<int> ZListCtrl::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

bool ZListCtrl::SelectItem(int index, bool addToSelection)
{
    // The list view takes -1 for every row: a missing row must not select them all.
    if (index < 0 || index >= GetItemCount())
        return false;
    if (!addToSelection) {
        for (int row : SelectedRows())
            SetItemState(row, 0, kSelectedAndFocused);
    }
    SetItemState(index, kSelectedAndFocused, kSelectedAndFocused);
    EnsureVisible(index, FALSE);
    return true;
}

void ZListCtrl::SelectAndShowFirstItem()
{
    if (GetItemCount() > 0)
        SelectItem(0, false);
}

void ZListCtrl::EnsureSelectionIsVisible()
{
    const int first = GetNextItem(-1, LVNI_SELECTED);
    if (first >= 0)
        EnsureVisible(first, FALSE);
}

bool ZListCtrl::DoDelete()
{
    return DoDelete(ZReportMessageParams(0));
}

bool ZListCtrl::DoDelete(const ZReportMessageParams& question)
{
    if (GetNextItem(-1, LVNI_SELECTED) < 0)
        return false;
    if (question.GetMessageId() != 0 && ZMessageBox(GetParent(), &question, MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;
    int next = -1;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(-1, LVNI_SELECTED)) {
        ReleaseRow(row);
        DeleteItem(row);
        const int count = GetItemCount();
        next = row < count ? row : count - 1;
    }
    if (next >= 0)
        SelectItem(next, false);
    return true;
}

bool ZListCtrl::DoMoveSelected(MoveDirection direction)
{
    const int count = GetItemCount();
    const int from = GetNextItem(-1, LVNI_SELECTED);
    const int to = from + static_cast<int>(direction);
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;
    const DWORD_PTR fromData = GetItemData(from);
    CListCtrl::SetItemData(from, GetItemData(to));
    CListCtrl::SetItemData(to, fromData);
    // Both rows get their texts before any re-sort: sorting between the two
    // would leave the second update on a row that holds another datum.
    std::vector<ZUnicodeString> fromTexts, toTexts;
    if (m_helper) {
        m_helper->GetItemStrings(GetItemData(from), fromTexts);
        m_helper->GetItemStrings(GetItemData(to), toTexts);
    } else {
        // Rows made from texts have nothing to rebuild them from: swap the texts.
        fromTexts = RowTexts(to);
        toTexts = RowTexts(from);
    }
    UpdateItem(from, fromTexts, false);
    UpdateItem(to, toTexts, false);
    Sort();
    // A re-sort may have moved the row elsewhere: follow its datum.
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(fromData);
    const int moved = m_sortFunction ? FindItem(&find, -1) : to;
    SelectItem(moved >= 0 ? moved : to, false);
    return true;
}

bool ZListCtrl::DoItemDblClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (GetItemCount() == 0)
        return false;
    return SelectItem(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem, false);
}

// --- filter ------------------------------------------------------------------------------

void ZListCtrl::SetFilterQuiescent(unsigned int milliseconds)
{
    m_filterQuietTime = milliseconds;
}

void ZListCtrl::SetFilterText(const ZUnicodeString& text)
{
    if (!m_filterHelper)
        return;
    std::wstring lower = text.str();
    for (wchar_t& ch : lower)
        ch = static_cast<wchar_t>(std::towlower(ch));
    if (m_filterQuietTime == 0) {
        m_pendingFilter = ZUnicodeString(lower);
        ApplyFilter();
        return;
    }
    if (m_appliedFilter == ZUnicodeString(lower)) {
        m_pendingFilter = ZUnicodeString();
        StopFilterTimer();
        return;
    }
    m_pendingFilter = ZUnicodeString(lower);
    m_filterTimer = SetTimer(kFilterTimerId, m_filterQuietTime);
}

void ZListCtrl::CancelFilter()
{
    StopFilterTimer();
    m_pendingFilter = ZUnicodeString();
    ApplyFilter();
}

void ZListCtrl::StopFilterTimer()
{
    if (m_filterTimer != 0) {
        KillTimer(m_filterTimer);
        m_filterTimer = 0;
    }
}

void ZListCtrl::OnTimer(UINT_PTR id)
{
    // Only while a filter waits: a stray tick after a stop applies nothing.
    if (m_filterTimer != 0 && id == m_filterTimer) {
        ApplyFilter();
        return;
    }
    Default();
}

void ZListCtrl::ApplyFilter()
{
    StopFilterTimer();
    if (!m_filterHelper || m_pendingFilter == m_appliedFilter)
        return;
    m_appliedFilter = m_pendingFilter;
    m_pendingFilter = ZUnicodeString();
    m_rememberedSelection.clear();
    for (int row : SelectedRows())
        m_rememberedSelection.insert(GetItemData(row));
    m_filterHelper->SetUpdating(true);
    // One change on the screen, not one per row: a list view that draws after
    // each insertion takes milliseconds a row.
    SendMessage(WM_SETREDRAW, FALSE);
    // Every datum is released in row order, then the rows go at once: deleting
    // them one by one from the top costs time in the square of the rows.
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row)
        ReleaseRow(row);
    DeleteAllItems();
    m_filterHelper->PopulateList();
    Sort();  // the header still shows the order the rows must keep
    SendMessage(WM_SETREDRAW, TRUE);
    Invalidate();
    m_filterHelper->SetUpdating(false);
    EnsureSelectionIsVisible();
    m_rememberedSelection.clear();
}

// --- sorting ----------------------------------------------------------------------------

void ZListCtrl::SetSortingFunction(SortFunction function)
{
    m_sortFunction = function;
}

void ZListCtrl::UseDefaultSortingFunction()
{
    m_sortFunction = &ZListCtrl::CompareTextsIgnoringCase;
}

void ZListCtrl::SetSortCompareHelper(void* helper)
{
    m_sortCompareHelper = helper;
}

void ZListCtrl::SetSorting(int column, SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    ShowSortIndicator();
}

void ZListCtrl::GetSorting(int& column, SortOrder& order) const
{
    column = m_sortColumn;
    order = m_sortOrder;
}

void ZListCtrl::Sort()
{
    if (!m_sortFunction)
        return;
    TextSortContext context = {};
    context.list = this;
    context.column = m_sortColumn;
    context.order = m_sortOrder;
    context.compareHelper = m_sortCompareHelper;
    std::unordered_map<LPARAM, std::wstring> texts;
    if (m_sortFunction == &ZListCtrl::CompareTextsIgnoringCase) {
        const int count = GetItemCount();
        texts.reserve(static_cast<size_t>(count));
        // A datum on several rows compares as its first row, as a search by datum finds it.
        for (int row = 0; row < count; ++row)
            texts.emplace(static_cast<LPARAM>(GetItemData(row)), GetItemText(row, m_sortColumn).GetString());
        context.textsByDatum = &texts;
    }
    SortItems(m_sortFunction, reinterpret_cast<DWORD_PTR>(static_cast<SortContext*>(&context)));
    EnsureSelectionIsVisible();
}

int CALLBACK ZListCtrl::CompareTextsIgnoringCase(LPARAM first, LPARAM second, LPARAM context)
{
    const auto* sort = static_cast<const TextSortContext*>(reinterpret_cast<const SortContext*>(context));
    const auto textOf = [&](LPARAM datum) -> const wchar_t* {
        const auto found = sort->textsByDatum->find(datum);
        return found == sort->textsByDatum->end() ? L"" : found->second.c_str();
    };
    const int order = ::_wcsicmp(textOf(first), textOf(second));
    return sort->order == SortDescending ? -order : order;
}

void ZListCtrl::OnColumnClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    if (!m_sortFunction)
        return;
    const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
    if (column == m_sortColumn) {
        m_sortOrder = m_sortOrder == SortAscending ? SortDescending : SortAscending;
    } else {
        m_sortColumn = column;
        m_sortOrder = SortAscending;
    }
    ShowSortIndicator();
    Sort();
    if (m_sortSink)
        m_sortSink->OnSortChanged();
}

// --- looks and buttons -----------------------------------------------------------------

void ZListCtrl::EnableCustomDraw(IListCtrlCustomDrawSink* sink)
{
    m_customDrawSink = sink;
}

void ZListCtrl::OnCustomDraw(NMHDR* header, LRESULT* result)
{
    if (m_customDrawSink)
        m_customDrawSink->OnCustomDraw(header, result);
    else
        CBCGPListCtrl::OnCustomDraw(header, result);
}

void ZListCtrl::OnEnable(BOOL enable)
{
    CBCGPListCtrl::OnEnable(enable);
    if (!enable) {
        if (m_singleSelection)
            ModifyStyle(LVS_SINGLESEL, 0);
        m_savedSelection = SelectedRows();
        // Every row selected; the focus stays on one row, as the list view
        // refuses to focus them all.
        SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    if (m_singleSelection)
        ModifyStyle(0, LVS_SINGLESEL);
    SetItemState(-1, 0, kSelectedAndFocused);
    for (int row : m_savedSelection)
        SetItemState(row, kSelectedAndFocused, kSelectedAndFocused);
    m_savedSelection.clear();
}

void ZListCtrl::InitAssociatedButtons(CWnd* up, CWnd* down, CWnd* add, CWnd* edit, CWnd* del,
                                      ZDialogListCtrlButtonHelper* helper)
{
    if (!helper) {
        m_ownButtonHelper = std::make_unique<ZDialogListCtrlButtonHelper>(this);
        helper = m_ownButtonHelper.get();
    }
    m_buttonHelper = helper;
    m_buttonHelper->Initialize(up, down, add, edit, del);
}

void ZListCtrl::EnableButtons(bool allowMove, bool enable)
{
    if (m_buttonHelper)
        m_buttonHelper->EnableButtons(allowMove, enable);
}
