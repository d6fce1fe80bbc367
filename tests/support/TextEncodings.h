// Reference encoders for building test input: UTF-8 from the platform's
// converter (the library has its own), UTF-16 bytes in either order.
#pragma once

#include <windows.h>

#include <string>

namespace TestSupport {

inline std::string Utf8Of(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int units = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), units, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

inline std::string Utf16BytesOf(const std::wstring& text, bool bigEndian)
{
    std::string bytes;
    for (wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF);
        const char high = static_cast<char>((c >> 8) & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

}  // namespace TestSupport
