// ZCheckListBox: a custom-drawn list of text rows, each with one check box per
// check column to the right of its text. It takes the place of a placeholder
// control on a dialog, scrolls vertically, can be read-only, and by default
// makes a row's check boxes exclusive (radio style). A click with the mouse
// toggles a box and then calls the change callback; setting a state from code
// does not.
//
// Columns are added before items: every item holds one state per column there
// was when it was added. A check box is a square of side item height - 2. A
// bad item or column index throws ZArray<int>::OutOfRange (or ZArray<Item>'s).
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZCheckListBox : public CWnd {
    DECLARE_DYNAMIC(ZCheckListBox)
public:
    using ChangeCallback = void (*)();
    struct Item {
        ZUnicodeString text;
        ZArray<int> checks;  // one per column: 0 clear, positive checked
    };

    // Rows are never shorter than this at 96 DPI, whatever the font; it grows
    // with the display's resolution.
    static constexpr int kMinimumItemHeight = 16;

    // Replaces the parent's control id (destroyed) with the list, in the same
    // place and with the same id. FALSE when there is no such control or the
    // window cannot be made.
    BOOL Create(DWORD style, CWnd* parent, UINT id, ChangeCallback callback);

    // x: the column's left edge in screen coordinates.
    void AddCheckColumn(int x);
    // Appends a row with every box clear; returns its index.
    int AddItem(const wchar_t* text);

    int GetCount() const { return static_cast<int>(m_items.GetCount()); }
    int GetCheckColumnCount() const { return static_cast<int>(m_columnX.GetCount()); }
    int GetCheckWidth() const { return m_itemHeight - 2; }
    int GetCheckState(int item, int column) const;
    // In radio style a non-zero state clears the row's other boxes.
    void SetCheckState(int item, int column, int state);
    void SetReadOnly(bool readOnly);
    void SetRadioStyle(bool radioStyle) { m_radioStyle = radioStyle; }

    // The row under point (client coordinates), or -1.
    int HitTestItem(const CPoint& point) const;
    // The column whose box in row item contains point, or -1.
    int HitTestColumn(int item, const CPoint& point) const;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW create);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnPaint();
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

private:
    // The list is only ever made by the Create above.
    using CWnd::Create;
    CRect CheckBoxRect(int row, int column) const;
    void InvalidateRow(int row);
    HFONT ParentFont() const;
    int BackgroundColorIndex() const { return m_readOnly ? COLOR_BTNFACE : COLOR_WINDOW; }

    ChangeCallback m_callback = nullptr;
    ZArray<Item> m_items;
    ZArray<int> m_columnX;   // client x of each column's boxes, in the order added
    int m_itemHeight = kMinimumItemHeight;
    int m_visibleRows = 0;   // whole rows that fit
    int m_topIndex = 0;      // first visible row
    bool m_readOnly = false;
    bool m_radioStyle = true;
};
