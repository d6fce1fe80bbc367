#include "certificates/KeyContainerList.h"

#include <wincrypt.h>

#include <memory>

namespace Tessaro {

std::set<KeyContainerRef> ListKeyContainers(const wchar_t* provider, DWORD providerType)
{
    std::set<KeyContainerRef> found;
    HCRYPTPROV handle = 0;
    if (!::CryptAcquireContextW(&handle, nullptr, provider, providerType, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
        return found;
    // The first call with no buffer gives the longest name's size.
    DWORD longest = 0;
    if (::CryptGetProvParam(handle, PP_ENUMCONTAINERS, nullptr, &longest, CRYPT_FIRST) && longest > 0) {
        auto name = std::make_unique<char[]>(longest + 1);
        for (DWORD flags = CRYPT_FIRST, size = longest;
             ::CryptGetProvParam(handle, PP_ENUMCONTAINERS, reinterpret_cast<BYTE*>(name.get()), &size, flags);
             flags = CRYPT_NEXT, size = longest) {
            name[longest] = '\0';
            wchar_t wide[MAX_PATH] = {};
            if (::MultiByteToWideChar(CP_ACP, 0, name.get(), -1, wide, MAX_PATH) > 0)
                found.insert({provider, providerType, wide});
        }
    }
    ::CryptReleaseContext(handle, 0);
    return found;
}

std::set<KeyContainerRef> ListKeyContainers()
{
    const struct {
        const wchar_t* name;
        DWORD type;
    } providers[] = {
        {MS_ENHANCED_PROV_W, PROV_RSA_FULL},
        {MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES},
        {MS_DEF_RSA_SCHANNEL_PROV_W, PROV_RSA_SCHANNEL},
        {MS_ENH_DSS_DH_PROV_W, PROV_DSS_DH},
    };
    std::set<KeyContainerRef> all;
    for (const auto& provider : providers)
        all.merge(ListKeyContainers(provider.name, provider.type));
    return all;
}

KeyContainerListLock::KeyContainerListLock()
{
    m_mutex = ::CreateMutexW(nullptr, FALSE, L"Local\\Tessaro-KeyContainerList");
    // An owner that died is no reason to stop: its operation is over.
    constexpr DWORD kPatience = 10000;
    if (m_mutex) {
        const DWORD waited = ::WaitForSingleObject(m_mutex, kPatience);
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

KeyContainerListLock::~KeyContainerListLock()
{
    if (m_held)
        ::ReleaseMutex(m_mutex);
    if (m_mutex)
        ::CloseHandle(m_mutex);
}

}  // namespace Tessaro
