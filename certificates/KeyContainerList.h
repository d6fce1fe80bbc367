// KeyContainerList (internal): the key containers of the user's software
// providers that certificate keys are imported into or made in, so that what
// an operation left behind can be found and deleted.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <tuple>

namespace Tessaro {

struct KeyContainerRef {
    std::wstring provider;
    DWORD providerType = 0;
    std::wstring name;
    DWORD flags = 0;  // CRYPT_MACHINE_KEYSET, for the deletion; not part of the order

    bool operator<(const KeyContainerRef& other) const
    {
        return std::tie(provider, providerType, name) < std::tie(other.provider, other.providerType, other.name);
    }
};

// Every container of one provider; empty when the provider is missing.
std::set<KeyContainerRef> ListKeyContainers(const wchar_t* provider, DWORD providerType);
// Every container of the RSA and DSS software providers.
std::set<KeyContainerRef> ListKeyContainers();

// Held while an operation takes the containers that appear in the lists as
// its own: every instance of the library in the session takes it, so none
// takes another's new container (a key it keeps) for its own. A holder that
// hangs makes the others give up after a while: IsHeld is then false and
// they must claim nothing.
class KeyContainerListLock {
public:
    KeyContainerListLock();
    ~KeyContainerListLock();
    KeyContainerListLock(const KeyContainerListLock&) = delete;
    KeyContainerListLock& operator=(const KeyContainerListLock&) = delete;

    bool IsHeld() const { return m_held; }

private:
    HANDLE m_mutex = nullptr;
    bool m_held = false;
};

}  // namespace Tessaro
