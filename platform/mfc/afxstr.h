// CStringW: the framework's UTF-16 string (CString in this Unicode-only build).
// Indexes are counts of UTF-16 units; out-of-range positions are clamped the way
// the framework clamps them, never read past the end.
//
// Format and AppendFormat follow the Windows convention for wide formats: %s and
// %c take wide arguments, %hs and %hc narrow ones; %ls works as well.
#pragma once

#include "afxver_.h"

#include <cstdarg>
#include <string>

class TESSARO_MFC_API CStringW {
public:
    CStringW() = default;
    CStringW(const CStringW&) = default;
    CStringW(CStringW&&) noexcept = default;
    CStringW(LPCWSTR text);  // null gives an empty string
    CStringW(LPCWSTR text, int length);
    explicit CStringW(wchar_t ch, int repeat = 1);
    CStringW(LPCSTR text);   // converted from the thread's ANSI code page
    ~CStringW() = default;

    CStringW& operator=(const CStringW&) = default;
    CStringW& operator=(CStringW&&) noexcept = default;
    CStringW& operator=(LPCWSTR text);
    CStringW& operator=(wchar_t ch);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    LPCWSTR GetString() const { return m_text.c_str(); }
    operator LPCWSTR() const { return m_text.c_str(); }
    wchar_t GetAt(int index) const;
    void SetAt(int index, wchar_t ch);
    wchar_t operator[](int index) const { return GetAt(index); }

    // A writable buffer of at least minLength units plus the terminator; the
    // string's length is fixed by ReleaseBuffer (-1: up to the first null).
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    CStringW Left(int count) const;
    CStringW Right(int count) const;
    CStringW Mid(int first) const;
    CStringW Mid(int first, int count) const;

    // -1 when not found.
    int ReverseFind(wchar_t ch) const;
    int Replace(LPCWSTR oldText, LPCWSTR newText);

    int Compare(LPCWSTR other) const;
    int CompareNoCase(LPCWSTR other) const;

    void __cdecl Format(LPCWSTR format, ...);
    void FormatV(LPCWSTR format, va_list args);

    // From the resource chain (AfxFindStringResourceHandle), or from one module.
    // FALSE, and the string unchanged, when no module holds a non-empty string.
    BOOL LoadString(UINT id);
    BOOL LoadString(HINSTANCE module, UINT id);

    CStringW& operator+=(const CStringW& other) { m_text += other.m_text; return *this; }
    CStringW& operator+=(LPCWSTR text);
    CStringW& operator+=(wchar_t ch) { m_text += ch; return *this; }

    friend CStringW operator+(const CStringW& a, const CStringW& b) { CStringW r(a); r += b; return r; }
    friend CStringW operator+(const CStringW& a, LPCWSTR b) { CStringW r(a); r += b; return r; }
    friend CStringW operator+(LPCWSTR a, const CStringW& b) { CStringW r(a); r += b; return r; }
    friend CStringW operator+(const CStringW& a, wchar_t b) { CStringW r(a); r += b; return r; }
    friend CStringW operator+(wchar_t a, const CStringW& b) { CStringW r(a); r += b; return r; }

    friend bool operator==(const CStringW& a, const CStringW& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CStringW& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(LPCWSTR a, const CStringW& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CStringW& a, const CStringW& b) { return !(a == b); }
    friend bool operator!=(const CStringW& a, LPCWSTR b) { return !(a == b); }
    friend bool operator!=(LPCWSTR a, const CStringW& b) { return !(a == b); }
    friend bool operator<(const CStringW& a, const CStringW& b) { return a.m_text < b.m_text; }

private:
    std::wstring m_text;
};

using CString = CStringW;
