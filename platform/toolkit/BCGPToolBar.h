// CBCGPToolbarButton, CBCGPToolBar: the toolkit's toolbar, standing in as a
// common-control toolbar window.
//
// The toolbar object owns copies of its buttons, in order, and mirrors every
// change into its window when it has one, so a caller reads the buttons back
// from either. Images are indexes into the window's image list; a button with
// no image and its text flag set shows its text.
#pragma once

#include <afxwin.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "BCGPExport.h"

#ifndef AFX_IDW_TOOLBAR
#define AFX_IDW_TOOLBAR 0xE800
#endif

class TESSARO_TOOLKIT_API CBCGPToolbarButton : public CObject {
    DECLARE_DYNCREATE(CBCGPToolbarButton)
public:
    CBCGPToolbarButton() = default;
    CBCGPToolbarButton(UINT uiID, int iImage, LPCWSTR lpszText = nullptr, BOOL bUserButton = FALSE,
                       BOOL bLocked = FALSE);

    virtual void CopyFrom(const CBCGPToolbarButton& src);

    // A negative index means no image.
    void SetImage(int iImage);
    int GetImage() const { return m_iImage; }
    virtual void EnableWindow(BOOL bEnable = TRUE);
    BOOL IsEnabled() const { return (m_nStyle & TBBS_DISABLED) == 0; }
    BOOL IsSeparator() const { return (m_nStyle & TBBS_SEPARATOR) != 0; }

    static constexpr UINT TBBS_SEPARATOR = 0x0001;
    static constexpr UINT TBBS_DISABLED = 0x0400;

    UINT m_nID = 0;
    UINT m_nStyle = 0;
    CStringW m_strText;
    BOOL m_bText = FALSE;   // show the text
    BOOL m_bImage = FALSE;  // show the image
    BOOL m_bUserButton = FALSE;
    BOOL m_bLocked = FALSE;

private:
    int m_iImage = -1;
};

class TESSARO_TOOLKIT_API CBCGPToolBar : public CWnd {
    DECLARE_DYNAMIC(CBCGPToolBar)
public:
    using CWnd::Create;
    CBCGPToolBar();
    ~CBCGPToolBar() override;

    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CCS_TOP,
                        UINT nID = AFX_IDW_TOOLBAR);

    virtual void RemoveAllButtons();
    // Both insert a copy at iInsertAt (-1: at the end) and return its index,
    // -1 when the index is out of range.
    virtual int InsertButton(const CBCGPToolbarButton& button, INT_PTR iInsertAt = -1);
    virtual int InsertSeparator(INT_PTR iInsertAt = -1);

    int GetCount() const { return static_cast<int>(m_buttons.size()); }
    // Null for a bad index.
    CBCGPToolbarButton* GetButton(int iIndex) const;

private:
    int Insert(std::unique_ptr<CBCGPToolbarButton> button, INT_PTR iInsertAt);
    void InsertIntoWindow(const CBCGPToolbarButton& button, int index);

    std::vector<std::unique_ptr<CBCGPToolbarButton>> m_buttons;
};
