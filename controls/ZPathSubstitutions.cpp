#include "controls/ZPathSubstitutions.h"

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ZReportMessageParams.h"

namespace Tessaro {

namespace {

constexpr DWORD kFirstExpansionBuffer = 512;

void AppendNumber(std::wstring& out, unsigned value, int digits)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%0*u", digits, value);
    out += text;
}

// Appends the replacement of code; false when it is not one.
bool AppendCode(std::wstring& out, wchar_t code, const wchar_t* host, const wchar_t* session,
                const SYSTEMTIME& now)
{
    switch (code) {
    case L'Y': AppendNumber(out, now.wYear, 4); return true;
    case L'y': AppendNumber(out, now.wYear % 100u, 2); return true;
    case L'M': AppendNumber(out, now.wMonth, 2); return true;
    case L'D': AppendNumber(out, now.wDay, 2); return true;
    case L'h': AppendNumber(out, now.wHour, 2); return true;
    case L'm': AppendNumber(out, now.wMinute, 2); return true;
    case L's': AppendNumber(out, now.wSecond, 2); return true;
    case L't': AppendNumber(out, now.wMilliseconds, 3); return true;
    case L'F': return true;
    case L'%': out += L'%'; return true;
    case L'S':
        if (!session)
            return false;
        out += session;
        return true;
    case L'H':
        if (!host)
            return false;
        // A host text is one name in the path: its separators (and an IPv6
        // address's colons) must not make folders or name a drive, nor may
        // "." or ".." name the folder or its parent.
        if (std::wcsspn(host, L".") == std::wcslen(host)) {
            out.append(std::wcslen(host), L'_');
            return true;
        }
        for (const wchar_t* c = host; *c; ++c)
            out += *c == L':' || *c == L'\\' || *c == L'/' ? L'_' : *c;
        return true;
    default:
        return false;
    }
}

// A root ("C:\", "\", "\\server\share") has no containing folder: empty.
std::wstring ContainingFolder(std::wstring_view path)
{
    while (path.size() > 1 && path.back() == L'\\' && !(path.size() == 3 && path[1] == L':'))
        path.remove_suffix(1);
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring_view::npos || separator + 1 == path.size())
        return {};
    if (path.starts_with(L"\\\\") && path.find_first_of(L"\\/", path.find_first_of(L"\\/", 2) + 1) ==
                                         std::wstring_view::npos)
        return {};
    if (separator == 2 && path[1] == L':')
        return std::wstring(path.substr(0, 3));
    if (separator == 0)
        return L"\\";
    return std::wstring(path.substr(0, separator));
}

bool Exists(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace

ZUnicodeString ExpandEnvironmentVariables(const wchar_t* text)
{
    std::vector<wchar_t> buffer(kFirstExpansionBuffer);
    for (;;) {
        const DWORD needed = ::ExpandEnvironmentStringsW(text, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0)
            return ZUnicodeString(text);
        if (needed <= buffer.size())
            return ZUnicodeString(buffer.data());  // cut at the first null
        buffer.assign(needed, L'\0');
    }
}

ZUnicodeString ExpandPathSubstitutions(const wchar_t* text, IReportMessageParams& report, const wchar_t* host,
                                       const wchar_t* session, const SYSTEMTIME& now)
{
    const ZUnicodeString expanded = ExpandEnvironmentVariables(text ? text : L"");
    const std::wstring_view in = expanded.view();
    std::wstring out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != L'%') {
            out += in[i];
            continue;
        }
        if (i + 1 == in.size()) {
            report.SetMessageId(MSG_HOST_PATH_TRAILING_PERCENT);
            return {};
        }
        if (AppendCode(out, in[i + 1], host, session, now)) {
            ++i;
            continue;
        }
        const size_t nextPercent = in.find(L'%', i + 2);
        const size_t end = nextPercent == std::wstring_view::npos ? i + 2 : nextPercent + 1;
        report.SetMessageId(MSG_HOST_PATH_UNKNOWN_CODE);
        report.AddInsert(std::wstring(in.substr(i, end - i)));
        return {};
    }
    return ZUnicodeString(out);
}

ZUnicodeString ExpandPathSubstitutions(const wchar_t* text, IReportMessageParams& report, const wchar_t* host,
                                       const wchar_t* session)
{
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    return ExpandPathSubstitutions(text, report, host, session, now);
}

bool MatchesExpandedPath(const wchar_t* pattern, const wchar_t* path, const wchar_t* host, const wchar_t* session)
{
    ZReportMessageParams report;
    const ZUnicodeString expanded = ExpandPathSubstitutions(pattern, report, host, session);
    return ::CompareStringOrdinal(expanded.c_str(), -1, path ? path : L"", -1, TRUE) == CSTR_EQUAL;
}

ZUnicodeString FindExistingFolder(const wchar_t* path)
{
    std::wstring candidate = path ? path : L"";
    if (!candidate.empty() && candidate.back() == L':')
        candidate += L'\\';
    while (!candidate.empty()) {
        if (Exists(candidate))
            return ZUnicodeString(candidate);
        std::wstring parent = ContainingFolder(candidate);
        if (parent == candidate)
            break;
        candidate = std::move(parent);
    }
    return {};
}

}  // namespace Tessaro
