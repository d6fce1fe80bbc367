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

}  // namespace Tessaro
