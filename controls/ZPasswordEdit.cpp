#include "controls/ZPasswordEdit.h"

#include <algorithm>
#include <string>

IMPLEMENT_DYNAMIC(ZPasswordEdit, CEdit)

BEGIN_MESSAGE_MAP(ZPasswordEdit, CEdit)
    ON_WM_CHAR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

constexpr size_t kEmptyWipeLength = 32;

// Characters the edit handles itself: NUL, backspace and Ctrl+V (paste).
bool EditHandles(UINT ch)
{
    return ch >= 32 || ch == 0 || ch == 8 || ch == 22;
}

}  // namespace

ZUnicodeString ZPasswordEdit::GetSecret() const
{
    ZUnicodeString text(Str::Sensitive);
    const int length = GetWindowTextLength();
    if (length <= 0)
        return text;
    wchar_t* buffer = text.GetBuffer(static_cast<size_t>(length));
    const int copied = ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void ZPasswordEdit::OnChar(UINT ch, UINT, UINT)
{
    if (EditHandles(ch)) {
        Default();
        return;
    }
    int start = 0, end = 0;
    GetSel(start, end);
    const ZUnicodeString old = GetSecret();
    const size_t from = std::min(static_cast<size_t>(std::max(start, 0)), old.length());
    const size_t to = std::clamp(static_cast<size_t>(std::max(end, 0)), from, old.length());
    ZUnicodeString text(Str::Sensitive);
    text.reserve(old.length() + 1);
    text.append(old.c_str(), from);
    text.push_back(static_cast<wchar_t>(ch));
    text.append(old.c_str() + to, old.length() - to);
    SetWindowText(text.c_str());
    SetSel(static_cast<int>(from) + 1, static_cast<int>(from) + 1);
}

void ZPasswordEdit::OnDestroy()
{
    CleanSensitiveDataEdit(this);
    Default();
}

void CleanSensitiveDataEdit(CEdit* edit)
{
    if (!edit || !::IsWindow(edit->GetSafeHwnd()))
        return;
    const int length = edit->GetWindowTextLength();
    const std::wstring stars(length > 0 ? static_cast<size_t>(length) : kEmptyWipeLength, L'*');
    edit->SetWindowText(stars.c_str());
}
