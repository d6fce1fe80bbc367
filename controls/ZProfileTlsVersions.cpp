#include "controls/ZProfileTlsVersions.h"

#include <string_view>

namespace {

struct Version {
    const wchar_t* name;
    unsigned bit;
};

constexpr Version kVersions[ZProfileTlsVersions::kVersionCount] = {
    {L"1.0", 0x20},
    {L"1.1", 0x40},
    {L"1.2", 0x80},
    {L"1.3", 0x100},
};

// Blanks around a name or an item, as a hand-edited text has them.
std::wstring_view TrimBlanks(std::wstring_view text)
{
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace

bool ZProfileTlsVersions::GetVersionInfo(size_t index, std::wstring& name, unsigned& bit)
{
    if (index >= kVersionCount)
        return false;
    name = kVersions[index].name;
    bit = kVersions[index].bit;
    return true;
}

bool ZProfileTlsVersions::GetEnabledVersions(unsigned& mask) const
{
    unsigned versions = kDefaultVersions;
    std::wstring_view rest = m_text.view();
    while (!rest.empty()) {
        const size_t comma = rest.find(L',');
        const std::wstring_view item = TrimBlanks(rest.substr(0, comma));
        rest = comma == std::wstring_view::npos ? std::wstring_view() : rest.substr(comma + 1);
        // Empty items (",," or a trailing ",") say nothing; failing on them
        // would fall back to every version, enabling ones the text disabled.
        // So would ignoring " 1.0" as no version's name.
        if (item.empty())
            continue;
        const size_t equals = item.find(L'=');
        if (equals == std::wstring_view::npos)
            return false;
        const std::wstring_view name = TrimBlanks(item.substr(0, equals));
        const bool enabled = item.substr(equals + 1) == L"1";
        for (const Version& version : kVersions) {
            if (name == version.name)
                versions = enabled ? versions | version.bit : versions & ~version.bit;
        }
    }
    mask = (mask & ~kMaskBits) | versions;
    return true;
}

void ZProfileTlsVersions::SetEnabledVersions(unsigned mask)
{
    ZUnicodeString text;
    for (const Version& version : kVersions) {
        if (!text.empty())
            text += L",";
        text += version.name;
        text += (mask & version.bit) ? L"=1" : L"=0";
    }
    m_text = text;
}
