#include "certificates/TemporaryKeyContainers.h"

#include <objbase.h>
#include <wincrypt.h>

#include <cwchar>

#include "certificates/KeyContainerList.h"
#include "certificates/ZCapiKeyContainer.h"

namespace Tessaro {

namespace {

constexpr wchar_t kPrefix[] = L"ZrnTmpKeyContainer";
constexpr size_t kPrefixLength = sizeof(kPrefix) / sizeof(wchar_t) - 1;
constexpr size_t kTimeDigits = 16;

bool StartTime(HANDLE process, unsigned long long& time)
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return false;
    time = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return true;
}

// This computer's name: the user's containers may live in a folder that
// several computers share, and a process id means something on one only.
std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &length) ? std::wstring(name, length) : std::wstring();
}

// "-<pid>-<time>-<computer>-" after the prefix; false for any other name.
bool ParseMaker(const std::wstring& name, DWORD& processId, unsigned long long& startTime)
{
    if (name.size() < kPrefixLength + 2 || name.compare(0, kPrefixLength, kPrefix) != 0 || name[kPrefixLength] != L'-')
        return false;
    size_t at = kPrefixLength + 1;
    unsigned long long id = 0;
    const size_t idStart = at;
    for (; at < name.size() && at - idStart < 10 && name[at] >= L'0' && name[at] <= L'9'; ++at)
        id = id * 10 + static_cast<unsigned>(name[at] - L'0');
    if (at == idStart || id > 0xFFFFFFFFull || at >= name.size() || name[at] != L'-')
        return false;
    ++at;
    startTime = 0;
    for (size_t digit = 0; digit < kTimeDigits; ++digit, ++at) {
        const wchar_t c = at < name.size() ? name[at] : L'\0';
        const int value = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
        if (value < 0)
            return false;
        startTime = (startTime << 4) | static_cast<unsigned>(value);
    }
    if (at >= name.size() || name[at] != L'-')
        return false;
    ++at;
    const std::wstring computer = ComputerName();
    const size_t length = computer.size();
    if (computer.empty() || name.size() <= at + length || name[at + length] != L'-' ||
        ::CompareStringOrdinal(name.c_str() + at, static_cast<int>(length), computer.c_str(), static_cast<int>(length),
                               TRUE) != CSTR_EQUAL)
        return false;
    processId = static_cast<DWORD>(id);
    return true;
}

// Gone when no process has the id, it has ended, or the process holding the id
// started at another time. A process that cannot be asked counts as alive.
bool MakerIsGone(DWORD processId, unsigned long long startTime)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD exitCode = 0;
    unsigned long long started = 0;
    bool gone = false;
    if (::GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE)
        gone = true;
    else if (StartTime(process, started))
        gone = started != startTime;
    ::CloseHandle(process);
    return gone;
}

}  // namespace

const wchar_t kCertificateContainerProvider[] = L"Microsoft RSA SChannel Cryptographic Provider";

ZUnicodeString NewCertificateContainerName()
{
    GUID guid = {};
    wchar_t text[40] = {};
    unsigned long long started = 0;
    const std::wstring computer = ComputerName();
    if (FAILED(::CoCreateGuid(&guid)) || ::StringFromGUID2(guid, text, 40) == 0 ||
        !StartTime(::GetCurrentProcess(), started) || computer.empty())
        return ZUnicodeString(kPrefix);
    wchar_t maker[48] = {};
    std::swprintf(maker, 48, L"-%lu-%016llX-", static_cast<unsigned long>(::GetCurrentProcessId()), started);
    return ZUnicodeString(std::wstring(kPrefix) + maker + computer + L"-" + text);
}

bool IsNewCertificateContainer(const std::wstring& name) { return name.compare(0, kPrefixLength, kPrefix) == 0; }

void RemoveAbandonedCertificateContainers()
{
    for (const KeyContainerRef& container : ListKeyContainers(kCertificateContainerProvider, PROV_RSA_SCHANNEL)) {
        DWORD processId = 0;
        unsigned long long startTime = 0;
        if (ParseMaker(container.name, processId, startTime) && MakerIsGone(processId, startTime))
            ZCapiKeyContainer::Delete(container.name.c_str(), container.provider.c_str(), container.providerType, 0);
    }
}

}  // namespace Tessaro
