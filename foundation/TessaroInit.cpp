#include "foundation/TessaroInit.h"

namespace {

// Written once (load notification, static initialisation, TessaroInit) and only
// read afterwards, so plain globals are enough.
HINSTANCE g_tessaroDll = nullptr;
const HMODULE g_hostModule = ::GetModuleHandleW(nullptr);
ZHostnameResolverFactory g_resolverFactory = nullptr;
ZProfileStoreFactorySource g_storeFactorySource = nullptr;

}  // namespace

extern "C" void TessaroInit(ZHostnameResolverFactory resolverFactory,
                            ZProfileStoreFactorySource storeFactorySource)
{
    g_resolverFactory = resolverFactory;
    g_storeFactorySource = storeFactorySource;
}

extern "C" HINSTANCE GetTessaroDll()
{
    return g_tessaroDll;
}

namespace Tessaro {

HMODULE GetHostModule()
{
    return g_hostModule;
}

ZHostnameResolverFactory GetResolverFactory()
{
    return g_resolverFactory;
}

ZProfileStoreFactorySource GetProfileStoreFactorySource()
{
    return g_storeFactorySource;
}

IHostnameResolver* CreateHostnameResolver()
{
    return g_resolverFactory ? g_resolverFactory() : nullptr;
}

ZProfileStoreFactory* GetProfileStoreFactory()
{
    return g_storeFactorySource ? g_storeFactorySource() : nullptr;
}

void SetTessaroDll(HINSTANCE module)
{
    g_tessaroDll = module;
}

}  // namespace Tessaro
