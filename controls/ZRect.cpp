#include "controls/ZRect.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <utility>

#include "foundation/ZArray.h"

namespace {

ZStringArray SplitAtCommas(const ZUnicodeString& text)
{
    ZStringArray fields;
    const wchar_t* start = text.c_str();
    const wchar_t* end = start + text.length();
    for (const wchar_t* cursor = start;; ++cursor) {
        if (cursor == end || *cursor == L',') {
            fields.Add(ZUnicodeString(start, static_cast<size_t>(cursor - start)));
            if (cursor == end)
                break;
            start = cursor + 1;
        }
    }
    return fields;
}

// Leading blanks, an optional sign and digits; anything after is ignored.
// Out-of-range values are clamped.
int ReadField(const ZUnicodeString& field)
{
    const wchar_t* cursor = field.c_str();
    while (std::iswspace(*cursor))
        ++cursor;
    const long long value = std::wcstoll(cursor, nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int ClampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

ZRect::ZRect(const ZUnicodeString& text)
{
    const ZStringArray fields = SplitAtCommas(text);
    // The fourth field first: a short text throws before anything is read.
    m_left = ReadField(fields[3]);
    m_bottom = ReadField(fields[0]);
    m_right = ReadField(fields[1]);
    m_top = ReadField(fields[2]);
}

void ZRect::NormalizeRect()
{
    if (m_top > m_bottom)
        std::swap(m_top, m_bottom);
    if (m_left > m_right)
        std::swap(m_left, m_right);
}

ZUnicodeString ZRect::ToString() const
{
    ZUnicodeString text;
    text.Format(L"%1!d!, %2!d!, %3!d!, %4!d!", m_bottom, m_right, m_top, m_left);
    return text;
}

void ZRectF::NormalizeRect()
{
    if (m_top > m_bottom)
        std::swap(m_top, m_bottom);
    if (m_left > m_right)
        std::swap(m_left, m_right);
}

CRect ZRectF::ToCRect() const
{
    return CRect(ClampToInt(std::trunc(m_left)), ClampToInt(std::trunc(m_top)), ClampToInt(std::ceil(m_right)),
                 ClampToInt(std::ceil(m_bottom)));
}
