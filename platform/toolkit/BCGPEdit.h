// CBCGPEdit: the toolkit's edit with a button inside its right edge. The
// button lives in the non-client area (the client area is narrowed by its
// width) and calls OnBrowse when clicked. In search mode the button clears a
// non-empty text, the edit shows a grey prompt while it is empty and unfocused,
// and Escape can clear the text.
#pragma once

#include <afxwin.h>

#include "BCGPExport.h"

class TESSARO_TOOLKIT_API CBCGPEdit : public CEdit {
    DECLARE_DYNAMIC(CBCGPEdit)
public:
    ~CBCGPEdit() override;

    // A button showing text (or the image, when one is set).
    void EnableBrowseButton(BOOL enable = TRUE, LPCWSTR text = L"...");
    // The bitmap resource drawn on the button; a missing one leaves the text.
    void SetBrowseButtonImage(UINT bitmapId);
    // promptColor (COLORREF)-1 is the toolkit's grey.
    void EnableSearchMode(BOOL enable, LPCWSTR prompt, COLORREF promptColor = static_cast<COLORREF>(-1),
                          BOOL clearOnEscape = TRUE);
    BOOL IsSearchMode() const { return m_searchMode; }
    BOOL HasButton() const { return m_buttonEnabled || m_searchMode; }
    // The button in window coordinates (relative to the edit's window rectangle);
    // empty without a button.
    void GetButtonRect(RECT& rect) const;

protected:
    virtual void OnBrowse();

    afx_msg void OnNcPaint();
    afx_msg LRESULT OnNcCalcSize(WPARAM, LPARAM);
    afx_msg LRESULT OnNcHitTest(WPARAM, LPARAM);
    afx_msg LRESULT OnNcLButtonDown(WPARAM, LPARAM);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    int ButtonWidth() const;
    // Whether a non-client mouse message's screen point falls on the button.
    bool IsOnButton(LPARAM screenPoint) const;
    void RecalcFrame();
    void DrawButton(HDC dc, const RECT& rect) const;

    BOOL m_buttonEnabled = FALSE;
    BOOL m_searchMode = FALSE;
    BOOL m_clearOnEscape = TRUE;
    CStringW m_buttonText;
    CStringW m_prompt;
    COLORREF m_promptColor = RGB(128, 128, 128);
    HBITMAP m_image = nullptr;  // owned
};
