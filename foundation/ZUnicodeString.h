// ZUnicodeString: the library's UTF-16 string (copy on write, shared empty
// blocks, sensitive blocks wiped before they are freed; see ZStringBlock.h for
// the memory layout). ZString is its narrow twin in the thread's ANSI code page.
#pragma once

#include <afxstr.h>

#include <concepts>
#include <cstdarg>
#include <string_view>

#include "foundation/TessaroApi.h"
#include "foundation/ZStringCore.h"

class ZString;

class TESSARO_API ZUnicodeString : public ZStringCore<wchar_t, ZUnicodeString> {
    using Base = ZStringCore<wchar_t, ZUnicodeString>;

public:
    using Base::Base;
    using Base::operator=;
    ZUnicodeString() noexcept = default;

    // The framework's string holds the same UTF-16 units (embedded nulls kept).
    ZUnicodeString(const CStringW& text) : Base(text.GetString(), static_cast<size_t>(text.GetLength())) {}
    ZUnicodeString& operator=(const CStringW& text)
    {
        Assign(text.GetString(), static_cast<size_t>(text.GetLength()));
        return *this;
    }
    // A template so that only a CStringW itself matches, never a text that
    // would have to be converted to one.
    template <class S>
        requires std::same_as<S, CStringW>
    friend bool operator==(const ZUnicodeString& a, const S& b) noexcept
    {
        return a.view() == std::wstring_view(b.GetString(), static_cast<size_t>(b.GetLength()));
    }

    // Converted from the thread's ANSI code page; both conversions keep the
    // sensitive state.
    explicit ZUnicodeString(const ZString& text);
    ZString ToLocale() const;

    // Replaces the text with the platform message formatter's rendering of a
    // pattern such as "%1!d! of %2" and the arguments that follow (each insert
    // read as its "!...!" type says; plain %n is a wide string). A pattern the
    // formatter rejects is kept as it stands, placeholders included; any other
    // failure leaves the string unchanged and returns false.
    bool Format(const wchar_t* pattern, ...);
    bool FormatV(const wchar_t* pattern, va_list* arguments);
};

// Array of strings, as hosts and the library pass lists of texts.
template <class T>
class ZArray;
using ZStringArray = ZArray<ZUnicodeString>;
