#include "controls/ZMnemonic.h"

#include <algorithm>
#include <string_view>

// One pass each, so that texts of any length (and any number of markers) cost
// no stack and no more than one growth of the result.

namespace {

std::wstring_view ViewOf(const wchar_t* text)
{
    return text ? std::wstring_view(text) : std::wstring_view();
}

}  // namespace

ZUnicodeString EscapeAmpersand(const wchar_t* text)
{
    const std::wstring_view source = ViewOf(text);
    ZUnicodeString escaped;
    escaped.reserve(source.size() + static_cast<size_t>(std::count(source.begin(), source.end(), L'&')));
    size_t start = 0;
    for (size_t at = source.find(L'&'); at != std::wstring_view::npos; at = source.find(L'&', start)) {
        escaped.append(source.data() + start, at + 1 - start);
        escaped += L'&';
        start = at + 1;
    }
    escaped.append(source.data() + start, source.size() - start);
    return escaped;
}

ZUnicodeString EscapeAmpersandButtons(const wchar_t* text)
{
    return EscapeAmpersand(text);
}

ZUnicodeString RemoveAmpersand(const wchar_t* text)
{
    const std::wstring_view source = ViewOf(text);
    ZUnicodeString removed(source);
    const size_t at = source.find(L'&');
    if (at != std::wstring_view::npos)
        removed.erase(at, 1);
    return removed;
}

ZUnicodeString RemoveEscapedAmpersands(const wchar_t* text)
{
    const std::wstring_view source = ViewOf(text);
    ZUnicodeString unescaped;
    unescaped.reserve(source.size());
    for (size_t i = 0; i < source.size(); ++i) {
        unescaped += source[i];
        if (source[i] == L'&' && i + 1 < source.size() && source[i + 1] == L'&')
            ++i;
    }
    return unescaped;
}
