// ZListBox: a plain list of strings on the toolkit's list control, in report
// view with one column and no header. The column is as wide as the widest
// string plus a margin: additions only ever widen it, deletions measure again.
#pragma once

#include <afxcmn.h>
#include <BCGPListCtrl.h>

#include "foundation/TessaroApi.h"

class TESSARO_API ZListBox : public CBCGPListCtrl {
    DECLARE_DYNAMIC(ZListBox)
public:
    // Pixels at 96 DPI added to the widest string's width.
    static constexpr int kColumnMargin = 10;

    // Report view, single selection, selection always shown, no header; the
    // one column as wide as the window. The list must exist.
    void Init();
    // Appends; returns the new index or -1.
    int AddString(const wchar_t* text);
    void DeleteString(int index);
    // The exact text (ignoring case, as the list view compares) after start, or -1.
    int FindStringExact(int start, const wchar_t* text) const;
    int GetCount() const { return GetItemCount(); }
    CStringW GetText(int index) const { return GetItemText(index, 0); }
    // The first selected item, or -1.
    int GetCurSel() const { return GetNextItem(-1, LVNI_SELECTED); }
    // -1 clears the selection.
    void SetCurSel(int index);

private:
    void FixColumnWidth();
    void SetColumnWidth(int width);

    int m_widestWidth = 0;
};
