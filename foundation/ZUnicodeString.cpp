#include "foundation/ZUnicodeString.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

#include "foundation/ZString.h"

namespace Tessaro {
namespace {

[[noreturn]] void ThrowConversionOverflow()
{
    throw std::overflow_error("ZConvertToLocale");
}

int ToInt(size_t length)
{
    if (length > INT_MAX)
        throw std::length_error("ZString");
    return static_cast<int>(length);
}

}  // namespace

namespace {

// Measures with the platform converter, then converts into the caller's buffer.
// convert(out, outCapacity) is the platform call for this direction.
template <class Out, class Convert>
size_t ConvertBounded(size_t length, Out* out, size_t outCapacity, Convert convert)
{
    if (length == 0)
        return 0;
    const int needed = convert(nullptr, 0);
    if (needed <= 0)
        throw std::runtime_error("ZConvertToLocale");
    if (!out)
        return static_cast<size_t>(needed);
    if (static_cast<size_t>(needed) > outCapacity)
        ThrowConversionOverflow();
    return static_cast<size_t>(convert(out, needed));
}

}  // namespace

size_t ZConvertToLocale(const wchar_t* text, size_t length, char* out, size_t outCapacity)
{
    return ConvertBounded(length, out, outCapacity, [&](char* to, int room) {
        return ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, ToInt(length), to, room, nullptr, nullptr);
    });
}

size_t ZConvertFromLocale(const char* text, size_t length, wchar_t* out, size_t outCapacity)
{
    return ConvertBounded(length, out, outCapacity, [&](wchar_t* to, int room) {
        return ::MultiByteToWideChar(CP_THREAD_ACP, MB_PRECOMPOSED, text, ToInt(length), to, room);
    });
}

}  // namespace Tessaro

ZUnicodeString::ZUnicodeString(const ZString& text) : Base(text.GetSensitiveState())
{
    const size_t needed = Tessaro::ZConvertFromLocale(text.c_str(), text.length(), nullptr, 0);
    wchar_t* out = GetBuffer(needed);
    ReleaseBuffer(Tessaro::ZConvertFromLocale(text.c_str(), text.length(), out, needed));
}

ZString ZUnicodeString::ToLocale() const
{
    return ZString(*this);
}

bool ZUnicodeString::Format(const wchar_t* pattern, ...)
{
    va_list arguments;
    va_start(arguments, pattern);
    const bool formatted = FormatV(pattern, &arguments);
    va_end(arguments);
    return formatted;
}

bool ZUnicodeString::FormatV(const wchar_t* pattern, va_list* arguments)
{
    if (!pattern)
        return false;
    DWORD flags = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER;
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(flags, pattern, 0, 0, reinterpret_cast<wchar_t*>(&text), 0, arguments);
    if (length == 0 && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // A pattern the formatter cannot apply is kept as it stands.
        flags |= FORMAT_MESSAGE_IGNORE_INSERTS;
        length = ::FormatMessageW(flags, pattern, 0, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    }
    if (length == 0 || !text) {
        if (text)
            ::LocalFree(text);
        return false;
    }
    // The platform's copy of a sensitive text is wiped before it is freed.
    const auto release = [this, text, length] {
        if (IsSensitive())
            ::SecureZeroMemory(text, length * sizeof(wchar_t));
        ::LocalFree(text);
    };
    try {
        Assign(text, length);
    } catch (...) {
        release();
        throw;
    }
    release();
    return true;
}

ZString::ZString(const ZUnicodeString& text) : Base(text.GetSensitiveState())
{
    const size_t needed = Tessaro::ZConvertToLocale(text.c_str(), text.length(), nullptr, 0);
    char* out = GetBuffer(needed);
    ReleaseBuffer(Tessaro::ZConvertToLocale(text.c_str(), text.length(), out, needed));
}

ZUnicodeString ZString::ToUnicode() const
{
    return ZUnicodeString(*this);
}
