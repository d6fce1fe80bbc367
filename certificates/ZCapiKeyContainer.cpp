#include "certificates/ZCapiKeyContainer.h"

#include <memory>

#include "certificates/CapiHandles.h"

ZCapiKeyContainer::ZCapiKeyContainer(const ZUnicodeString& containerName, const ZUnicodeString& providerName,
                                     bool deleteOnRelease)
    : m_containerName(containerName), m_providerName(providerName), m_deleteOnRelease(deleteOnRelease)
{
    LookUpProviderType();
    if (::CryptAcquireContextW(&m_provider, m_containerName.c_str(), m_providerName.c_str(), m_providerType,
                               CRYPT_NEWKEYSET | CRYPT_SILENT)) {
        m_acquired = true;
        return;
    }
    DWORD error = ::GetLastError();
    if (error == static_cast<DWORD>(NTE_EXISTS)) {
        if (::CryptAcquireContextW(&m_provider, m_containerName.c_str(), m_providerName.c_str(), m_providerType, 0)) {
            m_acquired = true;
            return;
        }
        error = ::GetLastError();
    }
    m_provider = 0;
    m_errorReport.Reset(error != ERROR_SUCCESS ? error : static_cast<DWORD>(E_FAIL));
}

ZCapiKeyContainer::~ZCapiKeyContainer() { Release(); }

void ZCapiKeyContainer::Release()
{
    if (!m_acquired)
        return;
    ::CryptReleaseContext(m_provider, 0);
    m_provider = 0;
    m_acquired = false;
    if (m_deleteOnRelease)
        Delete(m_containerName.c_str(), m_providerName.c_str(), m_providerType, 0);
}

bool ZCapiKeyContainer::Delete(const wchar_t* containerName, const wchar_t* providerName, DWORD providerType,
                               DWORD flags)
{
    HCRYPTPROV ignored = 0;
    return ::CryptAcquireContextW(&ignored, containerName, providerName, providerType,
                                  (flags & CRYPT_MACHINE_KEYSET) | CRYPT_DELETEKEYSET) != FALSE;
}

// Enumerates the installed providers until the name matches; without a match
// the type of the last one enumerated stays.
void ZCapiKeyContainer::LookUpProviderType()
{
    for (DWORD index = 0;; ++index) {
        DWORD type = 0;
        DWORD size = 0;
        if (!::CryptEnumProvidersW(index, nullptr, 0, &type, nullptr, &size))
            return;
        auto name = std::make_unique<wchar_t[]>(size / sizeof(wchar_t) + 1);
        if (!::CryptEnumProvidersW(index, nullptr, 0, &type, name.get(), &size))
            return;
        m_providerType = type;
        if (m_providerName.view() == name.get())
            return;
    }
}

ZCapiKey::ZCapiKey(const ZCapiKeyContainer& container, ALG_ID keySpec, DWORD flags)
{
    if (::CryptGenKey(container.GetHandle(), keySpec, flags, &m_key)) {
        m_succeeded = true;
        return;
    }
    m_key = 0;
    m_errorReport.Reset(Tessaro::LastFailure());
}

ZCapiKey::~ZCapiKey()
{
    if (m_key)
        ::CryptDestroyKey(m_key);
}
