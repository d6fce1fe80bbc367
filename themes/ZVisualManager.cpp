#include "themes/ZVisualManager.h"

#include <algorithm>

#include "BCGPMDIFrameWnd.h"
#include "controls/ZDpiScale.h"

IMPLEMENT_DYNCREATE(ZVisualManager, CBCGPVisualManager)
IMPLEMENT_DYNCREATE(ZDarkVisualManager, ZVisualManager)

namespace {

// Lines and margins are designed at 96 DPI and grow with the display.
void DrawBorder(CDC* dc, const CRect& rect, COLORREF colour)
{
    const int line = AdjustForDpiX(dc, 1);
    dc->FillSolidRect(CRect(rect.left, rect.top, rect.right, rect.top + line), colour);
    dc->FillSolidRect(CRect(rect.left, rect.bottom - line, rect.right, rect.bottom), colour);
    dc->FillSolidRect(CRect(rect.left, rect.top, rect.left + line, rect.bottom), colour);
    dc->FillSolidRect(CRect(rect.right - line, rect.top, rect.right, rect.bottom), colour);
}

// A cross for close, a bar for pin, a dot for the menu: a centred square of
// a third of the button, so the glyph scales with it.
void DrawGlyph(CDC* dc, const CRect& rect, CBCGPVisualManager::CaptionButton button, COLORREF colour)
{
    const int side = std::max(3, std::min(rect.Width(), rect.Height()) / 3);
    const int left = rect.left + (rect.Width() - side) / 2;
    const int top = rect.top + (rect.Height() - side) / 2;
    const int line = std::min(AdjustForDpiX(dc, 1), side);
    switch (button) {
    case CBCGPVisualManager::CaptionClose:
        for (int i = 0; i + line <= side; ++i) {
            dc->FillSolidRect(CRect(left + i, top + i, left + i + line, top + i + line), colour);
            dc->FillSolidRect(CRect(left + side - line - i, top + i, left + side - i, top + i + line), colour);
        }
        break;
    case CBCGPVisualManager::CaptionPin:
        dc->FillSolidRect(CRect(left, top + side / 2 - line / 2, left + side, top + side / 2 - line / 2 + line), colour);
        dc->FillSolidRect(CRect(left + side / 2 - line / 2, top, left + side / 2 - line / 2 + line, top + side), colour);
        break;
    case CBCGPVisualManager::CaptionMenu:
        dc->FillSolidRect(CRect(left, top, left + side, top + side), colour);
        break;
    }
}

}  // namespace

ZVisualManager::ZVisualManager()
{
    ZVisualManager::OnUpdateSystemColors();
}

void ZVisualManager::OnUpdateSystemColors()
{
    CBCGPVisualManager::OnUpdateSystemColors();
    m_clrHighlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
}

void ZVisualManager::OnDrawTab(CDC* dc, CRect rect, int tab, BOOL active, CBCGPTabWnd* tabWnd)
{
    dc->FillSolidRect(&rect, active ? m_clrHighlight : m_clrFace);
    DrawBorder(dc, rect, m_clrBorder);
    CWnd* window = tabWnd ? tabWnd->GetTabWnd(tab) : nullptr;
    if (!window)
        return;
    CStringW label;
    window->GetWindowText(label);
    CRect text = rect;
    text.DeflateRect(AdjustForDpiX(dc, 4), AdjustForDpiX(dc, 1));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(active ? m_clrHighlightText : m_clrText);
    dc->DrawText(label, label.GetLength(), &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
}

void ZVisualManager::OnDrawCaptionButton(CDC* dc, CRect rect, CaptionButton button, BOOL, BOOL highlighted,
                                         BOOL pressed)
{
    const bool lit = highlighted || pressed;
    dc->FillSolidRect(&rect, lit ? m_clrHighlight : m_clrFace);
    if (pressed)
        DrawBorder(dc, rect, m_clrBorder);
    DrawGlyph(dc, rect, button, lit ? m_clrHighlightText : m_clrText);
}

void ZVisualManager::OnFillAutoHideButtonBackground(CDC* dc, CRect rect, BOOL highlighted)
{
    dc->FillSolidRect(&rect, highlighted ? m_clrHighlight : m_clrFace);
    DrawBorder(dc, rect, m_clrBorder);
}

COLORREF ZVisualManager::GetAutoHideButtonTextColor(BOOL highlighted)
{
    return highlighted ? m_clrHighlightText : m_clrText;
}

ZDarkVisualManager::ZDarkVisualManager()
{
    ZDarkVisualManager::OnUpdateSystemColors();
}

void ZDarkVisualManager::OnUpdateSystemColors()
{
    // The dark theme ignores the system's colours on purpose.
    m_clrFace = kFace;
    m_clrText = kText;
    m_clrHighlight = kHighlight;
    m_clrHighlightText = kHighlightText;
    m_clrBorder = kBorder;
}
