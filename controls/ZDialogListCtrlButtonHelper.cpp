#include "controls/ZDialogListCtrlButtonHelper.h"

#include "controls/ZListCtrl.h"
#include "foundation/TessaroInit.h"
#include "resources/TessaroResource.h"

namespace {

void SetButtonIcon(CWnd* button, int iconId)
{
    if (!button || !button->m_hWnd)
        return;
    // Shared: the icon lives as long as the library, whatever the button does.
    HANDLE icon = ::LoadImageW(GetTessaroDll(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    if (icon)
        button->SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

void Enable(CWnd* button, bool enable)
{
    if (button && button->m_hWnd)
        button->EnableWindow(enable);
}

}  // namespace

void InitializeUpDownButtons(CWnd* up, CWnd* down)
{
    SetButtonIcon(up, IDI_LIST_MOVE_UP);
    SetButtonIcon(down, IDI_LIST_MOVE_DOWN);
}

void EnableUpDownButtons(CWnd* up, CWnd* down, bool enable, int selected, int count)
{
    Enable(up, enable && selected >= 1);
    Enable(down, enable && selected >= 0 && selected != count - 1);
}

ZDialogListCtrlButtonHelper::ZDialogListCtrlButtonHelper(ZListCtrl* list) : m_list(list) {}

void ZDialogListCtrlButtonHelper::Initialize(CWnd* up, CWnd* down, CWnd* add, CWnd* edit, CWnd* del)
{
    m_up = up;
    m_down = down;
    m_add = add;
    m_edit = edit;
    m_delete = del;
    InitializeUpDownButtons(up, down);
}

void ZDialogListCtrlButtonHelper::EnableButtons(bool allowMove, bool enable)
{
    const int count = GetItemCount();
    const int selected = GetSelectionCount();
    const int first = GetSelectionIndex();
    EnableUpDownButtons(m_up, m_down, allowMove && selected == 1, first, count);
    EnableButton(m_add, enable);
    EnableButton(m_edit, enable && first >= 0 && selected == 1);
    EnableButton(m_delete, enable && ShouldDeleteBeEnabled(selected, first));
}

void ZDialogListCtrlButtonHelper::EnableButtons()
{
    EnableButtons(true, true);
}

bool ZDialogListCtrlButtonHelper::ShouldDeleteBeEnabled(int selectedCount, int firstSelected)
{
    return selectedCount != 0 && firstSelected >= 0;
}

int ZDialogListCtrlButtonHelper::GetItemCount() const
{
    return m_list->GetItemCount();
}

int ZDialogListCtrlButtonHelper::GetSelectionCount() const
{
    return static_cast<int>(m_list->GetSelectedCount());
}

int ZDialogListCtrlButtonHelper::GetSelectionIndex() const
{
    return m_list->GetNextItem(-1, LVNI_SELECTED);
}

ZUnicodeString ZDialogListCtrlButtonHelper::GetItemText(int index) const
{
    return ZUnicodeString(m_list->GetItemText(index, 0));
}

void ZDialogListCtrlButtonHelper::GetSelectedItemText(std::vector<ZUnicodeString>& texts) const
{
    for (int row = m_list->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list->GetNextItem(row, LVNI_SELECTED))
        texts.push_back(GetItemText(row));
}

int ZDialogListCtrlButtonHelper::FindItemByText(const ZUnicodeString& text) const
{
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING;
    find.psz = text.c_str();
    return m_list->FindItem(&find, -1);
}

bool ZDialogListCtrlButtonHelper::SelectItem(int index, bool addToSelection)
{
    return m_list->SelectItem(index, addToSelection);
}

int ZDialogListCtrlButtonHelper::SelectItemByText(const ZUnicodeString& text, bool addToSelection)
{
    const int index = FindItemByText(text);
    if (index < 0)
        return -1;
    SelectItem(index, addToSelection);
    return index;
}

void ZDialogListCtrlButtonHelper::UpdateItemText(int index, const ZUnicodeString& text)
{
    m_list->SetItemText(index, 0, text.c_str());
}

void ZDialogListCtrlButtonHelper::SetRedraw(bool redraw)
{
    m_list->SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE);
}

void ZDialogListCtrlButtonHelper::EnableButton(CWnd* button, bool enable)
{
    Enable(button, enable);
}
