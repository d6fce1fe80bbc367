// The library's visual managers. ZVisualManager draws tabs as flat cards with
// a one-pixel border, the active one in the highlight colour, and caption and
// auto-hide buttons with a glyph in the text colour; its colours are the
// system's. ZDarkVisualManager draws the same in fixed dark colours.
#pragma once

#include "BCGPVisualManager.h"
#include "foundation/TessaroApi.h"

class TESSARO_API ZVisualManager : public CBCGPVisualManager {
    DECLARE_DYNCREATE(ZVisualManager)
public:
    ZVisualManager();

    void OnUpdateSystemColors() override;
    void OnDrawTab(CDC* dc, CRect rect, int tab, BOOL active, CBCGPTabWnd* tabWnd) override;
    void OnDrawCaptionButton(CDC* dc, CRect rect, CaptionButton button, BOOL active, BOOL highlighted,
                             BOOL pressed) override;
    void OnFillAutoHideButtonBackground(CDC* dc, CRect rect, BOOL highlighted) override;
    COLORREF GetAutoHideButtonTextColor(BOOL highlighted) override;

    // The text on the active tab and on highlighted buttons.
    COLORREF GetHighlightTextColor() const { return m_clrHighlightText; }
    COLORREF GetBorderColor() const { return m_clrBorder; }

protected:
    COLORREF m_clrHighlightText = 0;
};

class TESSARO_API ZDarkVisualManager : public ZVisualManager {
    DECLARE_DYNCREATE(ZDarkVisualManager)
public:
    static constexpr COLORREF kFace = RGB(0x2D, 0x2D, 0x30);
    static constexpr COLORREF kText = RGB(0xF1, 0xF1, 0xF1);
    static constexpr COLORREF kHighlight = RGB(0x00, 0x7A, 0xCC);
    static constexpr COLORREF kHighlightText = RGB(0xFF, 0xFF, 0xFF);
    static constexpr COLORREF kBorder = RGB(0x3F, 0x3F, 0x46);

    ZDarkVisualManager();

    void OnUpdateSystemColors() override;
};
