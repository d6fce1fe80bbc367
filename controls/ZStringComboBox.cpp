#include "controls/ZStringComboBox.h"

#include <algorithm>

#include "foundation/ZReportMessageParams.h"

int ZStringComboBox::AddItem(const ZUnicodeString& text, const ZString& value)
{
    const int index = AddString(text.c_str());
    if (index < 0)
        return index;
    const size_t position = std::min(static_cast<size_t>(index), m_values.size());
    m_values.insert(m_values.begin() + static_cast<std::ptrdiff_t>(position), value);
    return index;
}

int ZStringComboBox::AddItem(UINT messageId, const ZString& value)
{
    return AddItem(ZUnicodeString(LoadMessageLabel(messageId)), value);
}

ZString ZStringComboBox::GetCurrentValue() const
{
    const int index = GetCurSel();
    if (index < 0 || static_cast<size_t>(index) >= m_values.size())
        return {};
    return m_values[static_cast<size_t>(index)];
}

void ZStringComboBox::SetCurrentValue(ZString value)
{
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (m_values[i].view() == value.view()) {
            SetCurSel(static_cast<int>(i));
            return;
        }
    }
}

void ZStringComboBox::ResetContent()
{
    CComboBox::ResetContent();
    m_values.clear();
}
