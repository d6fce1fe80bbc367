#include "controls/ZSubMenu.h"

#include <string>
#include <vector>

namespace {

// The text as shown: single "&" markers go, "&&" becomes "&".
std::wstring ShownText(const wchar_t* text)
{
    std::wstring shown;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'&') {
            if (c[1] != L'&')
                continue;
            ++c;
        }
        shown += *c;
    }
    return shown;
}

std::wstring ItemText(HMENU menu, int position)
{
    const int length = ::GetMenuStringW(menu, static_cast<UINT>(position), nullptr, 0, MF_BYPOSITION);
    if (length <= 0)
        return {};
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    ::GetMenuStringW(menu, static_cast<UINT>(position), text.data(), length + 1, MF_BYPOSITION);
    return ShownText(text.data());
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

HMENU Find(HMENU menu, const std::wstring& wanted, int depth)
{
    // Menus are trees, but a handle may be shared; the depth bound keeps a
    // cycle from recursing for ever.
    if (depth > 32)
        return nullptr;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = ::GetSubMenu(menu, i);
        if (popup && SameText(ItemText(menu, i), wanted))
            return popup;
    }
    for (int i = 0; i < count; ++i) {
        if (HMENU popup = ::GetSubMenu(menu, i)) {
            if (HMENU found = Find(popup, wanted, depth + 1))
                return found;
        }
    }
    return nullptr;
}

}  // namespace

HMENU ZFindSubMenu(HMENU menu, const wchar_t* text)
{
    if (!menu || !text || !::IsMenu(menu))
        return nullptr;
    return Find(menu, ShownText(text), 0);
}
