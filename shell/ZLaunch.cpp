#include "shell/ZLaunch.h"

#include <shellapi.h>

#include <vector>

#include "TessaroMessages.h"
#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"

namespace {

UINT g_updateCloseMessage = 0;

// ShellExecuteW's result is an HINSTANCE only for old programs' sake: it is a code.
bool ShellSucceeded(HINSTANCE result)
{
    return reinterpret_cast<INT_PTR>(result) > 32;
}

const wchar_t* OrEmpty(const wchar_t* text)
{
    return text ? text : L"";
}

}  // namespace

bool LaunchApp(const wchar_t* file, const wchar_t* parameters, UINT)
{
    if (!file || !*file)
        return false;
    return ShellSucceeded(::ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOWNORMAL));
}

void OpenURLWithoutConfig(const wchar_t* url)
{
    if (!ShellSucceeded(::ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOW)))
        ::MessageBeep(MB_ICONEXCLAMATION);
}

UINT GetZorvaneUpdateCloseMessage()
{
    return g_updateCloseMessage;
}

namespace Tessaro {

void RegisterZorvaneUpdateCloseMessage()
{
    g_updateCloseMessage = ::RegisterWindowMessageW(L"Zorvane_Software_Update_Close");
}

std::wstring GetHostExecutableFolder()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(::GetModuleHandleW(nullptr), path.data(),
                                                  static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            std::wstring file(path.data(), length);
            const size_t slash = file.find_last_of(L'\\');
            return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
        }
        path.resize(path.size() * 2);  // truncated: a long path
    }
}

std::wstring ZorvaneUpdateCommandLine(const std::wstring& folder, const wchar_t* a1, const wchar_t* a2,
                                      const wchar_t* a3, const wchar_t* a4)
{
    std::wstring line = L"\"" + folder + L"\\ZorvaneUpdate.exe\"";
    for (const wchar_t* part : {a1, a3, a2, folder.c_str(), a4})
        line.append(L"!").append(OrEmpty(part));
    return line;
}

}  // namespace Tessaro

bool StartZorvaneUpdate(const char* a1, const wchar_t* a2, const wchar_t* a3, const wchar_t* a4)
{
    if (HANDLE running = ::OpenMutexW(SYNCHRONIZE | MUTEX_ALL_ACCESS, FALSE, Tessaro::kZorvaneUpdateMutexName)) {
        ::CloseHandle(running);
        return true;
    }
    const ZUnicodeString first(ZString(a1 ? a1 : ""));
    std::wstring line = Tessaro::ZorvaneUpdateCommandLine(Tessaro::GetHostExecutableFolder(), first.c_str(), a2, a3, a4);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ZReportMessageParams report(MSG_UPDATE_NOT_STARTED);
        ZMessageBox(&report);
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}
