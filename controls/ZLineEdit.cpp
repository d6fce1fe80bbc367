#include "controls/ZLineEdit.h"

#include "TessaroMessages.h"
#include "foundation/ZReportMessageParams.h"

IMPLEMENT_DYNCREATE(ZLineEdit, CBCGPEdit)

BEGIN_MESSAGE_MAP(ZLineEdit, CBCGPEdit)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_NCPAINT()
END_MESSAGE_MAP()

namespace {

constexpr UINT_PTR kButtonTool = 1;

}  // namespace

BOOL ZLineEdit::Create(CWnd* parent, UINT id)
{
    return CEdit::Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, RECT{}, parent, id);
}

void ZLineEdit::MakeTooltip(CToolTipCtrl& tooltip, uint32_t messageId)
{
    if (!tooltip.Create(this))
        return;
    const std::wstring text = LoadMessageLabel(messageId);
    const RECT start = {0, 0, 1, 1};
    tooltip.AddTool(this, text.c_str(), &start, kButtonTool);
    tooltip.Activate(TRUE);
}

void ZLineEdit::OnInitControl(const wchar_t* placeholder, bool searchMode)
{
    m_placeholder = placeholder ? placeholder : L"";
    if (searchMode) {
        EnableSearchMode(TRUE, m_placeholder.c_str(), static_cast<COLORREF>(-1), TRUE);
    } else {
        SetWindowText(m_placeholder.c_str());
        EnableBrowseButton(TRUE, L"...");
        SetBrowseButtonImage(kClearImageId);
    }
    MakeTooltip(m_searchTooltip, MSG_SEARCH);
    MakeTooltip(m_clearTooltip, MSG_SEARCH_CLEAR);
}

ZUnicodeString ZLineEdit::GetText() const
{
    CStringW text;
    GetWindowText(text);
    return ZUnicodeString(text);
}

bool ZLineEdit::IsPlaceholderText() const
{
    CStringW text;
    GetWindowText(text);
    return std::wstring_view(text.GetString(), static_cast<size_t>(text.GetLength())) == m_placeholder;
}

void ZLineEdit::Clear()
{
    // A search edit draws its prompt itself; only a plain edit holds it as text.
    SetWindowText(m_hasFocus || IsSearchMode() ? L"" : m_placeholder.c_str());
}

void ZLineEdit::OnBrowse()
{
    if (IsSearchMode()) {
        CBCGPEdit::OnBrowse();
        return;
    }
    // The placeholder is not text the user typed: nothing to clear.
    if (GetWindowTextLength() > 0 && !IsPlaceholderText())
        SetWindowText(L"");
}

HBRUSH ZLineEdit::CtlColor(CDC* dc, UINT)
{
    if (IsSearchMode())
        return nullptr;
    if (IsPlaceholderText())
        dc->SetTextColor(kPlaceholderColor);
    return ::GetSysColorBrush(COLOR_WINDOW);
}

void ZLineEdit::OnSetFocus(CWnd*)
{
    if (!IsSearchMode()) {
        m_hasFocus = true;
        if (IsPlaceholderText())
            SetWindowText(L"");
    }
    Default();
}

void ZLineEdit::OnKillFocus(CWnd*)
{
    if (!IsSearchMode()) {
        m_hasFocus = false;
        if (GetWindowTextLength() == 0)
            SetWindowText(m_placeholder.c_str());
    }
    Default();
}

CToolTipCtrl& ZLineEdit::ActiveTooltip()
{
    return IsSearchMode() && GetWindowTextLength() == 0 ? m_searchTooltip : m_clearTooltip;
}

void ZLineEdit::OnNcPaint()
{
    CBCGPEdit::OnNcPaint();
    CToolTipCtrl& tooltip = ActiveTooltip();
    if (!tooltip.m_hWnd)
        return;
    // The tool is the button, given in the edit's client coordinates.
    RECT button;
    GetButtonRect(button);
    RECT window;
    GetWindowRect(&window);
    POINT origin = {0, 0};
    ClientToScreen(&origin);
    ::OffsetRect(&button, window.left - origin.x, window.top - origin.y);
    TTTOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = m_hWnd;
    info.uId = kButtonTool;
    info.rect = button;
    tooltip.SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

BOOL ZLineEdit::PreTranslateMessage(MSG* msg)
{
    CToolTipCtrl& tooltip = ActiveTooltip();
    if (tooltip.m_hWnd)
        tooltip.RelayEvent(msg);
    return CBCGPEdit::PreTranslateMessage(msg);
}
