// ZListCtrl: the report list of the hosts' dialogs.
//
// On top of the toolkit's list it lays columns out by exact widths (given at
// 96 dpi) or by shares of the client width; takes the texts of a row from the
// host's item helper through the row's 64-bit datum, so any row can be rebuilt;
// filters by emptying itself and letting the host re-add what matches, after an
// optional quiet time, with the selected rows coming back selected; sorts on a
// column click and shows the order in the header; deletes the selection (after
// an optional question), moves the selected row up or down, and looks disabled
// by showing every row selected while it keeps the real selection.
//
// The helpers and sinks belong to the host, must outlive the list and are never
// deleted by it. Rows' data belong to the host too: the list calls
// ReleaseItemData for every datum it drops.
#pragma once

#include <afxcmn.h>
#include <BCGPListCtrl.h>

#include <memory>
#include <unordered_set>
#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class ZDialogListCtrlButtonHelper;
class ZReportMessageParams;

class IListCtrlHelper {
public:
    // The texts of a row, column 0 first.
    virtual void GetItemStrings(ULONG_PTR itemData, std::vector<ZUnicodeString>& columns) = 0;
    // Called before the list drops a row's datum.
    virtual void ReleaseItemData(ULONG_PTR itemData) = 0;

protected:
    ~IListCtrlHelper() = default;
};

class IListCtrlFilterHelper {
public:
    // filter is lower-cased.
    virtual bool MatchesFilter(ULONG_PTR itemData, const ZUnicodeString& filter, int index) = 0;
    // true before the list is emptied for a new filter, false once it is refilled.
    virtual void SetUpdating(bool updating) = 0;
    // Re-adds every item through AddItem(itemData...); the filter keeps out the rest.
    virtual void PopulateList() = 0;

protected:
    ~IListCtrlFilterHelper() = default;
};

class IListCtrlSortSink {
public:
    // After a column click has re-sorted the list.
    virtual void OnSortChanged() = 0;

protected:
    ~IListCtrlSortSink() = default;
};

class IListCtrlCustomDrawSink {
public:
    virtual void OnCustomDraw(NMHDR* header, LRESULT* result) = 0;

protected:
    ~IListCtrlCustomDrawSink() = default;
};

class TESSARO_API ZListCtrl : public CBCGPListCtrl {
    DECLARE_DYNAMIC(ZListCtrl)
public:
    enum SortOrder { SortAscending = 0, SortDescending = 1 };
    // The step added to the selected row's index.
    enum MoveDirection { MoveUp = -1, MoveDown = 1 };

    struct ColumnInfoExact {
        const wchar_t* title;
        int width;   // pixels at 96 dpi; kRestOfWidth takes what the others leave
        int format;  // LVCFMT_...
    };
    struct ColumnInfoRatio {
        const wchar_t* title;
        double ratio;  // share of the client width
        int format;
    };
    static constexpr int kRestOfWidth = -1;

    // The third argument of every sorting function points to one of these.
    struct SortContext {
        ZListCtrl* list;
        int column;
        SortOrder order;
        void* compareHelper;
    };
    using SortFunction = PFNLVCOMPARE;

    // The timer that applies a delayed filter.
    static constexpr UINT_PTR kFilterTimerId = 5;

    // Each may be null: no filter helper, no filtering.
    ZListCtrl(IListCtrlHelper* helper, IListCtrlFilterHelper* filterHelper, IListCtrlSortSink* sortSink);
    ~ZListCtrl() override;

    // Columns: the list must exist. Saved widths (GetSavedColumnWidths) win when
    // there is one per column.
    void Init(const std::vector<ColumnInfoExact>& columns, unsigned long extendedStyles);
    void Init(const std::vector<ColumnInfoRatio>& columns, unsigned long extendedStyles, bool reserveScrollBar);

    // Rows. Each returns the new row's index, or -1 (refused by the filter, no
    // item helper, or the list refused it). A negative index appends; image -2
    // sets no image. Rows from texts get data 0, 1, 2, ... in turn.
    int AddItem(const std::vector<ZUnicodeString>& columns, int image);
    int AddItemAt(int index, const std::vector<ZUnicodeString>& columns, int image);
    int AddItem(ULONG_PTR itemData);
    int AddItem(ULONG_PTR itemData, int image);
    int AddItemAt(int index, ULONG_PTR itemData, int image);
    // The texts again from the item helper; false without one.
    bool UpdateItem(int index);
    void UpdateItem(int index, const std::vector<ZUnicodeString>& columns, bool resort);
    // Releases the row's old datum first.
    void SetItemData(int index, ULONG_PTR itemData);
    void RemoveItem(int index);
    void RemoveAll();

    // Selection. A row outside the list selects nothing and returns false.
    bool SelectItem(int index, bool addToSelection);
    void SelectAndShowFirstItem();
    void EnsureSelectionIsVisible();
    // Deletes the selected rows and selects the row that took the first one's
    // place; false when nothing was selected or the user declined.
    bool DoDelete();
    bool DoDelete(const ZReportMessageParams& question);
    bool DoMoveSelected(MoveDirection direction);
    // For the parent's NM_DBLCLK: selects the clicked row alone; false when the
    // click hit no row.
    bool DoItemDblClick(NMHDR* header, LRESULT* result);

    // Filter: lower-cased, applied at once or after the quiet time without a
    // further change.
    void SetFilterText(const ZUnicodeString& text);
    void SetFilterQuiescent(unsigned int milliseconds);
    void CancelFilter();

    // Sorting: a null function turns column-click sorting off.
    void SetSortingFunction(SortFunction function);
    // Compares the sort column's texts without regard to case.
    void UseDefaultSortingFunction();
    void SetSortCompareHelper(void* helper);
    // Stores the column and order and updates the header, without sorting.
    void SetSorting(int column, SortOrder order);
    void GetSorting(int& column, SortOrder& order) const;
    void Sort();

    // With a sink, the list's custom drawing is the sink's alone.
    void EnableCustomDraw(IListCtrlCustomDrawSink* sink);
    // Any button may be null. Without a helper the list makes and keeps its own.
    void InitAssociatedButtons(CWnd* up, CWnd* down, CWnd* add, CWnd* edit, CWnd* del,
                               ZDialogListCtrlButtonHelper* helper);
    // Does nothing before InitAssociatedButtons.
    void EnableButtons(bool allowMove, bool enable);
    // Calls SaveColumnWidths when the user changed a width.
    void SaveGuiSettings();

protected:
    void InitStyles(unsigned long extendedStyles);

    virtual void OnAddItem(int index);
    virtual void GetSavedColumnWidths(std::vector<int>& widths);
    virtual void SaveColumnWidths(const std::vector<int>& widths);

    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnColumnClick(NMHDR* header, LRESULT* result);
    afx_msg void OnCustomDraw(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

    // Added to the extended styles by InitStyles.
    unsigned long m_extraExtendedStyles = 0;

private:
    int InsertRow(int index, ULONG_PTR itemData, const std::vector<ZUnicodeString>& columns, int image);
    int AddItemByData(int index, ULONG_PTR itemData, int image);
    void InsertColumns(const std::vector<const wchar_t*>& titles, const std::vector<int>& formats);
    void ReleaseRow(int index);
    void ApplyFilter();
    void StopFilterTimer();
    void ShowSortIndicator();
    std::vector<int> SelectedRows() const;
    std::vector<ZUnicodeString> RowTexts(int index);
    static int CALLBACK CompareTextsIgnoringCase(LPARAM first, LPARAM second, LPARAM context);

    bool m_destroyed = false;
    IListCtrlHelper* m_helper;
    IListCtrlFilterHelper* m_filterHelper;
    IListCtrlSortSink* m_sortSink;
    IListCtrlCustomDrawSink* m_customDrawSink = nullptr;
    SortFunction m_sortFunction = nullptr;
    void* m_sortCompareHelper = nullptr;
    int m_sortColumn = 0;
    SortOrder m_sortOrder = SortAscending;
    unsigned int m_filterQuietTime = 0;
    UINT_PTR m_filterTimer = 0;          // non-zero while a delayed filter waits
    ZUnicodeString m_pendingFilter;
    ZUnicodeString m_appliedFilter;
    // Data of the rows selected before a refill; each leaves as its row returns.
    std::unordered_multiset<ULONG_PTR> m_rememberedSelection;
    ZDialogListCtrlButtonHelper* m_buttonHelper = nullptr;
    std::unique_ptr<ZDialogListCtrlButtonHelper> m_ownButtonHelper;
    std::vector<int> m_columnWidths;     // as Init computed them
    bool m_singleSelection = false;
    std::vector<int> m_savedSelection;   // the real selection while disabled
    ULONG_PTR m_nextItemData = 0;
};
