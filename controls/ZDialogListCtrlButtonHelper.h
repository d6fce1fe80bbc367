// ZDialogListCtrlButtonHelper: enables a dialog's up, down, add, edit and delete
// buttons from the selection of its ZListCtrl, and works on the list's first
// column by text. Any of the buttons may be null.
//
//   up, down  one row selected, and not the first (up) or last (down) row
//   add       whenever the buttons are enabled at all
//   edit      one row selected
//   delete    ShouldDeleteBeEnabled (by default: something selected)
//
// InitializeUpDownButtons and EnableUpDownButtons serve lists without a helper.
#pragma once

#include <afxwin.h>

#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class ZListCtrl;

class TESSARO_API ZDialogListCtrlButtonHelper {
public:
    explicit ZDialogListCtrlButtonHelper(ZListCtrl* list);
    virtual ~ZDialogListCtrlButtonHelper() = default;
    ZDialogListCtrlButtonHelper(const ZDialogListCtrlButtonHelper&) = delete;
    ZDialogListCtrlButtonHelper& operator=(const ZDialogListCtrlButtonHelper&) = delete;

    // Puts the arrows on up and down.
    void Initialize(CWnd* up, CWnd* down, CWnd* add, CWnd* edit, CWnd* del);

    virtual void EnableButtons(bool allowMove, bool enable);
    virtual void EnableButtons();
    virtual bool ShouldDeleteBeEnabled(int selectedCount, int firstSelected);

    int GetItemCount() const;
    int GetSelectionCount() const;
    // The first selected row, or -1.
    int GetSelectionIndex() const;
    ZUnicodeString GetItemText(int index) const;
    // Appends the texts of the selected rows, in row order.
    void GetSelectedItemText(std::vector<ZUnicodeString>& texts) const;
    // The first row with this text (ignoring case), or -1.
    int FindItemByText(const ZUnicodeString& text) const;
    bool SelectItem(int index, bool addToSelection);
    // The row selected, or -1 with the selection as it was when no row has the text.
    int SelectItemByText(const ZUnicodeString& text, bool addToSelection);
    void UpdateItemText(int index, const ZUnicodeString& text);
    void SetRedraw(bool redraw);
    void EnableButton(CWnd* button, bool enable);

private:
    ZListCtrl* m_list;
    CWnd* m_up = nullptr;
    CWnd* m_down = nullptr;
    CWnd* m_add = nullptr;
    CWnd* m_edit = nullptr;
    CWnd* m_delete = nullptr;
};

// The library's small arrow icons on the two buttons (either may be null).
TESSARO_API void InitializeUpDownButtons(CWnd* up, CWnd* down);
// up: enable and selected >= 1; down: enable and 0 <= selected != count - 1.
TESSARO_API void EnableUpDownButtons(CWnd* up, CWnd* down, bool enable, int selected, int count);
