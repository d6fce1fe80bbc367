// Library start-up: module handles and the host's factories.
#include <gtest/gtest.h>

#include "foundation/TessaroInit.h"

namespace {

// Hosts' objects stand in as addresses only; the library never looks inside here.
int g_resolverObject;
int g_storeFactoryObject;
IHostnameResolver* MakeResolver() { return reinterpret_cast<IHostnameResolver*>(&g_resolverObject); }
ZProfileStoreFactory* StoreFactory() { return reinterpret_cast<ZProfileStoreFactory*>(&g_storeFactoryObject); }

TEST(Startup, LibraryModuleIsTheLoadedDll)
{
    HMODULE loaded = ::GetModuleHandleW(L"Tessaro87U.dll");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(GetTessaroDll(), loaded);
    EXPECT_EQ(Tessaro::GetHostModule(), ::GetModuleHandleW(nullptr));
}

TEST(Startup, ForwardersReachTheHostsFactoriesOrGiveNull)
{
    TessaroInit(nullptr, nullptr);  // as before the host's call
    EXPECT_EQ(Tessaro::CreateHostnameResolver(), nullptr);
    EXPECT_EQ(Tessaro::GetProfileStoreFactory(), nullptr);

    TessaroInit(MakeResolver, StoreFactory);
    EXPECT_EQ(Tessaro::CreateHostnameResolver(), reinterpret_cast<IHostnameResolver*>(&g_resolverObject));
    EXPECT_EQ(Tessaro::GetProfileStoreFactory(), reinterpret_cast<ZProfileStoreFactory*>(&g_storeFactoryObject));
}

}  // namespace
