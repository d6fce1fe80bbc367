#include "afx.h"

#include <algorithm>
#include <cwchar>
#include <stdio.h>

namespace {

// Positions and counts outside the string are clamped, as the framework does.
int Clamp(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

CStringW::CStringW(LPCWSTR text)
{
    if (text)
        m_text = text;
}

CStringW::CStringW(LPCWSTR text, int length)
{
    if (text && length > 0)
        m_text.assign(text, static_cast<size_t>(length));
}

CStringW::CStringW(wchar_t ch, int repeat)
{
    if (repeat > 0)
        m_text.assign(static_cast<size_t>(repeat), ch);
}

CStringW::CStringW(LPCSTR text)
{
    if (!text || !*text)
        return;
    const int needed = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 1)
        return;
    m_text.resize(static_cast<size_t>(needed));
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, m_text.data(), needed);
    m_text.resize(static_cast<size_t>(needed - 1));
}

CStringW& CStringW::operator=(LPCWSTR text)
{
    if (!text)
        m_text.clear();
    else
        m_text = std::wstring(text);  // text may point into this string
    return *this;
}

CStringW& CStringW::operator=(wchar_t ch)
{
    m_text.assign(1, ch);
    return *this;
}

CStringW& CStringW::operator+=(LPCWSTR text)
{
    if (text)
        m_text += std::wstring(text);
    return *this;
}

wchar_t CStringW::GetAt(int index) const
{
    ASSERT(index >= 0 && index < GetLength());
    if (index < 0 || index >= GetLength())
        return L'\0';
    return m_text[static_cast<size_t>(index)];
}

void CStringW::SetAt(int index, wchar_t ch)
{
    ASSERT(index >= 0 && index < GetLength());
    if (index >= 0 && index < GetLength())
        m_text[static_cast<size_t>(index)] = ch;
}

LPWSTR CStringW::GetBuffer()
{
    return m_text.data();
}

LPWSTR CStringW::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_text.resize(static_cast<size_t>(minLength));
    return m_text.data();
}

void CStringW::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(std::wcslen(m_text.c_str()));
    m_text.resize(static_cast<size_t>(Clamp(newLength, 0, GetLength())));
}

CStringW CStringW::Left(int count) const
{
    return CStringW(m_text.c_str(), Clamp(count, 0, GetLength()));
}

CStringW CStringW::Right(int count) const
{
    count = Clamp(count, 0, GetLength());
    return CStringW(m_text.c_str() + (GetLength() - count), count);
}

CStringW CStringW::Mid(int first) const
{
    return Mid(first, GetLength());
}

CStringW CStringW::Mid(int first, int count) const
{
    first = Clamp(first, 0, GetLength());
    count = Clamp(count, 0, GetLength() - first);
    return CStringW(m_text.c_str() + first, count);
}

int CStringW::ReverseFind(wchar_t ch) const
{
    const size_t at = m_text.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CStringW::Replace(LPCWSTR oldText, LPCWSTR newText)
{
    if (!oldText || !*oldText)
        return 0;
    const std::wstring from(oldText);
    const std::wstring to(newText ? newText : L"");
    int count = 0;
    for (size_t at = m_text.find(from); at != std::wstring::npos; at = m_text.find(from, at + to.size())) {
        m_text.replace(at, from.size(), to);
        ++count;
    }
    return count;
}

int CStringW::Compare(LPCWSTR other) const
{
    return std::wcscmp(m_text.c_str(), other ? other : L"");
}

int CStringW::CompareNoCase(LPCWSTR other) const
{
    return _wcsicmp(m_text.c_str(), other ? other : L"");
}

void CStringW::Format(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CStringW::FormatV(LPCWSTR format, va_list args)
{
    Empty();
    if (!format)
        return;
    // The runtime's own formatter (not the C99 one the compiler's headers may
    // substitute for the standard names), so that %s in a wide format is wide.
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length <= 0)
        return;
    m_text.resize(static_cast<size_t>(length) + 1);
    const int written = _vsnwprintf(m_text.data(), static_cast<size_t>(length) + 1, format, args);
    m_text.resize(static_cast<size_t>(written < 0 ? 0 : written));
}

BOOL CStringW::LoadString(UINT id)
{
    return LoadString(AfxFindStringResourceHandle(id), id);
}

BOOL CStringW::LoadString(HINSTANCE module, UINT id)
{
    // Length 0 asks for a read-only pointer to the resource itself (not terminated).
    LPCWSTR resource = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || !resource)
        return FALSE;
    m_text.assign(resource, static_cast<size_t>(length));
    return TRUE;
}
