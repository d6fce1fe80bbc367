#include "BCGPVisualManager.h"

IMPLEMENT_DYNCREATE(CBCGPVisualManager, CObject)

CBCGPVisualManager::CBCGPVisualManager()
{
    OnUpdateSystemColors();
}

void CBCGPVisualManager::OnUpdateSystemColors()
{
    m_clrFace = ::GetSysColor(COLOR_3DFACE);
    m_clrText = ::GetSysColor(COLOR_BTNTEXT);
    m_clrHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
    m_clrBorder = ::GetSysColor(COLOR_3DSHADOW);
}

void CBCGPVisualManager::OnDrawTab(CDC* dc, CRect rect, int, BOOL active, CBCGPTabWnd*)
{
    dc->FillSolidRect(&rect, active ? ::GetSysColor(COLOR_WINDOW) : m_clrFace);
}

void CBCGPVisualManager::OnDrawCaptionButton(CDC* dc, CRect rect, CaptionButton, BOOL, BOOL highlighted, BOOL)
{
    dc->FillSolidRect(&rect, highlighted ? m_clrHighlight : m_clrFace);
}

void CBCGPVisualManager::OnFillAutoHideButtonBackground(CDC* dc, CRect rect, BOOL highlighted)
{
    dc->FillSolidRect(&rect, highlighted ? m_clrHighlight : m_clrFace);
}

COLORREF CBCGPVisualManager::GetAutoHideButtonTextColor(BOOL)
{
    return m_clrText;
}
