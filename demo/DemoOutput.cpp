#include "demo/DemoOutput.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

void DemoPrint(const wchar_t* text)
{
    if (!text || !*text)
        return;
    // stdout is in text mode and adds the carriage returns back.
    std::wstring lines;
    for (const wchar_t* p = text; *p; ++p) {
        if (p[0] == L'\r' && p[1] == L'\n')
            continue;
        lines += *p;
    }
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0,
                                            nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), utf8.data(), bytes, nullptr,
                          nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void DemoPrintf(const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list arguments;
        va_start(arguments, format);
        const int written = std::vswprintf(buffer.data(), buffer.size(), format, arguments);
        va_end(arguments);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size())
            break;
        if (buffer.size() >= (1u << 20))
            return;  // a runaway format: print nothing rather than a cut text
        buffer.resize(buffer.size() * 4);
    }
    DemoPrint(buffer.data());
}

std::wstring DemoOutputFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TESSARO_DEMO_OUTPUT", buffer, MAX_PATH);
    std::wstring base;
    if (length > 0 && length < MAX_PATH) {
        base = buffer;
        if (base.front() == L'/') {
            for (wchar_t& c : base)
                c = c == L'/' ? L'\\' : c;
            base = L"Z:" + base;
        }
    } else {
        ::GetTempPathW(MAX_PATH, buffer);
        base = buffer;
    }
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    return base;
}

std::wstring DemoSettingsFolder() { return DemoOutputFolder() + L"settings"; }
