// Library start-up: module handles and the host's factories.
#include <gtest/gtest.h>

#include "foundation/TessaroInit.h"

namespace {

IHostnameResolver* FirstResolverFactory() { return nullptr; }
IHostnameResolver* SecondResolverFactory() { return nullptr; }
ZProfileStoreFactory* StoreFactorySource() { return nullptr; }

TEST(Startup, LibraryModuleIsTheLoadedDll)
{
    HMODULE loaded = ::GetModuleHandleW(L"Tessaro87U.dll");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(GetTessaroDll(), loaded);
    EXPECT_EQ(Tessaro::GetHostModule(), ::GetModuleHandleW(nullptr));
}

TEST(Startup, LaterInitReplacesTheFactories)
{
    TessaroInit(FirstResolverFactory, StoreFactorySource);
    EXPECT_EQ(Tessaro::GetResolverFactory(), &FirstResolverFactory);
    EXPECT_EQ(Tessaro::GetProfileStoreFactorySource(), &StoreFactorySource);
    TessaroInit(SecondResolverFactory, nullptr);
    EXPECT_EQ(Tessaro::GetResolverFactory(), &SecondResolverFactory);
    EXPECT_EQ(Tessaro::GetProfileStoreFactorySource(), nullptr);
}

}  // namespace
