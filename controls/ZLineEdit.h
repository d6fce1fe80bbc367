// ZLineEdit: a single-line edit with a grey placeholder (a filter or search
// prompt) and a button inside its right edge that clears the text, or, in
// search mode, the toolkit's own prompt and search button. Tooltips name what
// the button does now: "Search" while a search edit is empty, "Clear (Esc)"
// otherwise.
//
// Without search mode the placeholder is the window text itself while the edit
// is unfocused and empty, so GetText may return it: ask IsPlaceholderText.
#pragma once

#include <afxcmn.h>

#include <string>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"
#include "platform/toolkit/BCGPEdit.h"

class TESSARO_API ZLineEdit : public CBCGPEdit {
    DECLARE_DYNCREATE(ZLineEdit)
public:
    static constexpr UINT kClearImageId = 3016;
    static constexpr COLORREF kPlaceholderColor = RGB(128, 128, 128);

    // An empty rectangle: the host positions the edit.
    BOOL Create(CWnd* parent, UINT id);
    void OnInitControl(const wchar_t* placeholder, bool searchMode);

    ZUnicodeString GetText() const;
    bool IsPlaceholderText() const;
    // Empty while focused or in search mode, else the placeholder.
    void Clear();
    bool HasFocus() const { return m_hasFocus; }

    BOOL PreTranslateMessage(MSG* msg) override;

    // The tooltip that the button shows now (search or clear).
    CToolTipCtrl& ActiveTooltip();

protected:
    void OnBrowse() override;
    afx_msg HBRUSH CtlColor(CDC* dc, UINT kind);
    afx_msg void OnSetFocus(CWnd* previous);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnNcPaint();
    DECLARE_MESSAGE_MAP()

private:
    void MakeTooltip(CToolTipCtrl& tooltip, uint32_t messageId);

    CToolTipCtrl m_searchTooltip;
    CToolTipCtrl m_clearTooltip;
    std::wstring m_placeholder;
    bool m_hasFocus = false;
};
