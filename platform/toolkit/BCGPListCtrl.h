// CBCGPListCtrl: the toolkit's report list. On top of the framework's list it
// keeps a header object that shows which column the rows are sorted by (the
// header's own sort arrows), and draws its cells through two colour hooks that
// a derived list overrides.
//
// CBCGPHeaderCtrl wraps the list's header window, which it subclasses the first
// time the list is asked for it; the sort state lives in the header object.
#pragma once

#include <afxcmn.h>

#include "BCGPExport.h"

class TESSARO_TOOLKIT_API CBCGPHeaderCtrl : public CHeaderCtrl {
    DECLARE_DYNAMIC(CBCGPHeaderCtrl)
public:
    // Shows the arrow of order `ascending` on column; without add, every other
    // column loses its arrow. A column outside the header changes no arrow.
    void SetSortColumn(int column, BOOL ascending = TRUE, BOOL add = FALSE);
    // -1 before any column was set.
    int GetSortColumn() const { return m_sortColumn; }
    BOOL IsAscending() const { return m_ascending; }

private:
    void ShowArrow(int column, int arrow);

    int m_sortColumn = -1;
    BOOL m_ascending = TRUE;
};

class TESSARO_TOOLKIT_API CBCGPListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CBCGPListCtrl)
public:
    // The list's header; the list must exist.
    virtual CBCGPHeaderCtrl& GetHeaderCtrl();
    void SetSortColumn(int column, BOOL ascending = TRUE, BOOL add = FALSE);

protected:
    // The colours of one cell; CLR_DEFAULT keeps the list's own.
    virtual COLORREF OnGetCellTextColor(int row, int column);
    virtual COLORREF OnGetCellBkColor(int row, int column);

    afx_msg void OnEnable(BOOL enable);
    // Asks for every cell and gives it the colours of the two hooks.
    afx_msg void OnCustomDraw(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    CBCGPHeaderCtrl m_wndHeader;
};
