// ZString: narrow text in the thread's ANSI code page (CP_THREAD_ACP), sharing
// ZUnicodeString's block layout and copy-on-write rules.
#pragma once

#include "foundation/TessaroApi.h"
#include "foundation/ZStringCore.h"

class ZUnicodeString;

class TESSARO_API ZString : public ZStringCore<char, ZString> {
    using Base = ZStringCore<char, ZString>;

public:
    using Base::Base;
    using Base::operator=;
    ZString() noexcept = default;

    // Converted to the thread's ANSI code page; characters it lacks become its
    // default character. Both conversions keep the sensitive state.
    explicit ZString(const ZUnicodeString& text);
    ZUnicodeString ToUnicode() const;
};

namespace Tessaro {

// Bounded conversions between UTF-16 and the thread's ANSI code page. They
// return the units written and throw std::overflow_error("ZConvertToLocale")
// when the output is too small; a null output only measures.
TESSARO_API size_t ZConvertToLocale(const wchar_t* text, size_t length, char* out, size_t outCapacity);
TESSARO_API size_t ZConvertFromLocale(const char* text, size_t length, wchar_t* out, size_t outCapacity);

}  // namespace Tessaro
