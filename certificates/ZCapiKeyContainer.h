// ZCapiKeyContainer (internal): one acquired key container of a named
// cryptographic provider. An existing container of that name is opened
// instead of created. Releasing closes the handle and, with delete-on-release,
// deletes the container and its keys.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

class ZCapiKeyContainer {
public:
    ZCapiKeyContainer(const ZUnicodeString& containerName, const ZUnicodeString& providerName,
                      bool deleteOnRelease);
    ~ZCapiKeyContainer();
    ZCapiKeyContainer(const ZCapiKeyContainer&) = delete;
    ZCapiKeyContainer& operator=(const ZCapiKeyContainer&) = delete;

    bool IsAcquired() const { return m_acquired; }
    HCRYPTPROV GetHandle() const { return m_provider; }
    const ZUnicodeString& GetContainerName() const { return m_containerName; }
    const ZUnicodeString& GetProviderName() const { return m_providerName; }
    DWORD GetProviderType() const { return m_providerType; }
    // Why the container could not be acquired.
    ZReportMessageParams& GetErrorReport() { return m_errorReport; }

    void Release();
    // Hands the container over to whoever recorded its name: releasing no
    // longer deletes it.
    void KeepOnRelease() { m_deleteOnRelease = false; }

    // Deletes a container and its keys; false when the platform refused.
    static bool Delete(const wchar_t* containerName, const wchar_t* providerName, DWORD providerType, DWORD flags);

private:
    void LookUpProviderType();

    bool m_acquired = false;
    ZUnicodeString m_containerName;
    ZUnicodeString m_providerName;
    DWORD m_providerType = 0;
    HCRYPTPROV m_provider = 0;
    ZReportMessageParams m_errorReport;
    bool m_deleteOnRelease;
};

// ZCapiKey (internal): a key pair generated in an acquired container. The
// handle is destroyed with the object; the key stays in the container.
class ZCapiKey {
public:
    ZCapiKey(const ZCapiKeyContainer& container, ALG_ID keySpec, DWORD flags);
    ~ZCapiKey();
    ZCapiKey(const ZCapiKey&) = delete;
    ZCapiKey& operator=(const ZCapiKey&) = delete;

    bool Succeeded() const { return m_succeeded; }
    ZReportMessageParams& GetErrorReport() { return m_errorReport; }

private:
    bool m_succeeded = false;
    HCRYPTKEY m_key = 0;
    ZReportMessageParams m_errorReport;
};
