#include "controls/ZExchangeRules.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

namespace Tessaro {

namespace {

constexpr std::wstring_view kReservedDeviceNames[] = {
    L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7", L"COM8",
    L"COM9", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9", L"CLOCK$",
};

// Device names are ASCII, so ASCII case folding decides them exactly.
wchar_t UpperAscii(wchar_t ch)
{
    return ch >= L'a' && ch <= L'z' ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (UpperAscii(text[i]) != prefix[i])
            return false;
    }
    return true;
}

// The number at the start of a text, its magnitude capped just above the
// unsigned 32-bit range so that any overflow still reads as "does not fit".
struct LeadingNumber {
    bool digits = false;
    bool negative = false;
    uint64_t magnitude = 0;
};

LeadingNumber ReadLeadingNumber(std::wstring_view text)
{
    constexpr uint64_t kCap = uint64_t{UINT32_MAX} + 1;
    LeadingNumber number;
    size_t at = 0;
    while (at < text.size() && std::iswspace(text[at]))
        ++at;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        number.negative = text[at++] == L'-';
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        number.digits = true;
        number.magnitude = std::min(number.magnitude * 10 + static_cast<uint64_t>(text[at] - L'0'), kCap);
    }
    return number;
}

}  // namespace

bool IsReservedDeviceName(std::wstring_view name)
{
    for (std::wstring_view device : kReservedDeviceNames) {
        if (!StartsWithIgnoringCase(name, device))
            continue;
        if (name.size() == device.size() || name[device.size()] == L'.')
            return true;
    }
    return false;
}

int32_t ParseLenientInt(std::wstring_view text)
{
    const LeadingNumber number = ReadLeadingNumber(text);
    if (!number.digits)
        return 0;
    if (number.negative)
        return number.magnitude <= uint64_t{INT32_MAX} + 1 ? static_cast<int32_t>(-static_cast<int64_t>(number.magnitude))
                                                            : 0;
    return number.magnitude <= INT32_MAX ? static_cast<int32_t>(number.magnitude) : 0;
}

uint32_t ParseLenientUInt(std::wstring_view text)
{
    const LeadingNumber number = ReadLeadingNumber(text);
    if (!number.digits || number.negative || number.magnitude > UINT32_MAX)
        return 0;
    return static_cast<uint32_t>(number.magnitude);
}

std::wstring JoinLines(const ZStringArray& lines)
{
    std::wstring joined;
    for (size_t i = 0; i < lines.GetCount(); ++i) {
        if (i > 0)
            joined += L"\r\n";
        joined += lines[i].view();
    }
    return joined;
}

void SplitLines(std::wstring_view text, ZStringArray& lines)
{
    lines.RemoveAll();
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of(L"\r\n", start);
        const size_t stop = end == std::wstring_view::npos ? text.size() : end;
        if (stop > start)
            lines.Add(ZUnicodeString(text.substr(start, stop - start)));
        start = stop + 1;
    }
}

}  // namespace Tessaro
