// The toolkit's visual manager, minimal: the hooks through which the toolkit's
// windows ask how tabs, caption buttons and auto-hide buttons look and which
// colours they paint with. The base draws flat, in the system's colours.
#pragma once

#include <afxwin.h>

#include "BCGPExport.h"

class CBCGPTabWnd;

class TESSARO_TOOLKIT_API CBCGPVisualManager : public CObject {
    DECLARE_DYNCREATE(CBCGPVisualManager)
public:
    // The buttons of a docking pane's caption.
    enum CaptionButton { CaptionClose = 0, CaptionPin = 1, CaptionMenu = 2 };

    CBCGPVisualManager();
    ~CBCGPVisualManager() override = default;

    // Reads the colours again (the system's changed, or the theme did).
    virtual void OnUpdateSystemColors();

    virtual void OnDrawTab(CDC* dc, CRect rect, int tab, BOOL active, CBCGPTabWnd* tabWnd);
    virtual void OnDrawCaptionButton(CDC* dc, CRect rect, CaptionButton button, BOOL active, BOOL highlighted,
                                     BOOL pressed);
    virtual void OnFillAutoHideButtonBackground(CDC* dc, CRect rect, BOOL highlighted);
    virtual COLORREF GetAutoHideButtonTextColor(BOOL highlighted);

    COLORREF GetFaceColor() const { return m_clrFace; }
    COLORREF GetTextColor() const { return m_clrText; }
    COLORREF GetHighlightColor() const { return m_clrHighlight; }

protected:
    COLORREF m_clrFace = 0;
    COLORREF m_clrText = 0;
    COLORREF m_clrHighlight = 0;
    COLORREF m_clrBorder = 0;
};
