#include "BCGPToolBar.h"

IMPLEMENT_DYNCREATE(CBCGPToolbarButton, CObject)
IMPLEMENT_DYNAMIC(CBCGPToolBar, CWnd)

CBCGPToolbarButton::CBCGPToolbarButton(UINT uiID, int iImage, LPCWSTR lpszText, BOOL bUserButton, BOOL bLocked)
    : m_nID(uiID), m_strText(lpszText ? lpszText : L""), m_bUserButton(bUserButton), m_bLocked(bLocked)
{
    SetImage(iImage);
}

void CBCGPToolbarButton::CopyFrom(const CBCGPToolbarButton& src)
{
    m_nID = src.m_nID;
    m_nStyle = src.m_nStyle;
    m_strText = src.m_strText;
    m_bText = src.m_bText;
    m_bImage = src.m_bImage;
    m_bUserButton = src.m_bUserButton;
    m_bLocked = src.m_bLocked;
    m_iImage = src.m_iImage;
}

void CBCGPToolbarButton::SetImage(int iImage)
{
    m_iImage = iImage < 0 ? -1 : iImage;
    m_bImage = m_iImage >= 0;
}

void CBCGPToolbarButton::EnableWindow(BOOL bEnable)
{
    if (bEnable)
        m_nStyle &= ~TBBS_DISABLED;
    else
        m_nStyle |= TBBS_DISABLED;
}

CBCGPToolBar::CBCGPToolBar() = default;
CBCGPToolBar::~CBCGPToolBar() = default;

BOOL CBCGPToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    const RECT rect{};
    if (!CWnd::Create(TOOLBARCLASSNAMEW, nullptr, dwStyle | TBSTYLE_FLAT | TBSTYLE_LIST, rect, pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    for (size_t i = 0; i < m_buttons.size(); ++i)
        InsertIntoWindow(*m_buttons[i], static_cast<int>(i));
    return TRUE;
}

void CBCGPToolBar::RemoveAllButtons()
{
    m_buttons.clear();
    if (::IsWindow(m_hWnd)) {
        while (SendMessage(TB_BUTTONCOUNT) > 0)
            SendMessage(TB_DELETEBUTTON, 0);
    }
}

int CBCGPToolBar::InsertButton(const CBCGPToolbarButton& button, INT_PTR iInsertAt)
{
    auto copy = std::make_unique<CBCGPToolbarButton>();
    copy->CopyFrom(button);
    return Insert(std::move(copy), iInsertAt);
}

int CBCGPToolBar::InsertSeparator(INT_PTR iInsertAt)
{
    auto separator = std::make_unique<CBCGPToolbarButton>();
    separator->m_nStyle = CBCGPToolbarButton::TBBS_SEPARATOR;
    return Insert(std::move(separator), iInsertAt);
}

CBCGPToolbarButton* CBCGPToolBar::GetButton(int iIndex) const
{
    if (iIndex < 0 || iIndex >= GetCount())
        return nullptr;
    return m_buttons[static_cast<size_t>(iIndex)].get();
}

int CBCGPToolBar::Insert(std::unique_ptr<CBCGPToolbarButton> button, INT_PTR iInsertAt)
{
    if (iInsertAt == -1)
        iInsertAt = GetCount();
    if (iInsertAt < 0 || iInsertAt > GetCount())
        return -1;
    const int index = static_cast<int>(iInsertAt);
    m_buttons.insert(m_buttons.begin() + index, std::move(button));
    if (::IsWindow(m_hWnd))
        InsertIntoWindow(*m_buttons[static_cast<size_t>(index)], index);
    return index;
}

void CBCGPToolBar::InsertIntoWindow(const CBCGPToolbarButton& button, int index)
{
    TBBUTTON item{};
    item.idCommand = static_cast<int>(button.m_nID);
    item.iString = -1;
    if (button.IsSeparator()) {
        item.fsStyle = BTNS_SEP;
    } else {
        item.iBitmap = button.m_bImage ? button.GetImage() : I_IMAGENONE;
        item.fsState = button.IsEnabled() ? TBSTATE_ENABLED : 0;
        item.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        if (button.m_bText) {
            item.fsStyle |= BTNS_SHOWTEXT;
            item.iString = reinterpret_cast<INT_PTR>(button.m_strText.GetString());
        }
    }
    SendMessage(TB_INSERTBUTTONW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    SendMessage(TB_AUTOSIZE);
}
