// CBCGPCheckListBox: the toolkit's list box with a check box in front of each
// row. It subclasses a list box of a dialog (DDX_Control) and draws the rows
// itself, so the list keeps its own strings and item data; the checks live
// beside them and follow every insertion and removal. A click on a check box,
// or the space bar on the selected row, toggles the check and tells the parent
// with CLBN_CHKCHANGE.
#pragma once

#include <afxwin.h>

#include <vector>

#include "BCGPExport.h"

#ifndef CLBN_CHKCHANGE
#define CLBN_CHKCHANGE 40
#endif

class TESSARO_TOOLKIT_API CBCGPCheckListBox : public CListBox {
    DECLARE_DYNAMIC(CBCGPCheckListBox)
public:
    // 1 checked, 0 clear; an index outside the list changes nothing.
    void SetCheck(int index, int check);
    int GetCheck(int index) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

private:
    // The square in front of row's rectangle.
    static RECT CheckRect(const RECT& row);
    void Toggle(int index);
    void InvalidateRow(int index);

    std::vector<int> m_checks;  // one per row, in row order
};
