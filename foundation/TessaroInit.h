// Library start-up: the host hands over its two factories once, and the library
// keeps its own module handle and the host's for resource and message lookup.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"

class IHostnameResolver;
class ZProfileStoreFactory;

using ZHostnameResolverFactory = IHostnameResolver* (*)();
using ZProfileStoreFactorySource = ZProfileStoreFactory* (*)();

// Stores both pointers unchanged; a later call replaces the earlier ones.
extern "C" TESSARO_API void TessaroInit(ZHostnameResolverFactory resolverFactory,
                                        ZProfileStoreFactorySource storeFactorySource);

// The library's own module: the default module of every report, template and icon.
extern "C" TESSARO_API HINSTANCE GetTessaroDll();

namespace Tessaro {

// The host executable: the last message table that report formatting searches.
TESSARO_API HMODULE GetHostModule();

// The factories as the host gave them (null before TessaroInit).
TESSARO_API ZHostnameResolverFactory GetResolverFactory();
TESSARO_API ZProfileStoreFactorySource GetProfileStoreFactorySource();

// The library's way to the host's objects. Before TessaroInit (or after it was
// given null) they return null instead of jumping through a null pointer; the
// caller turns that into a report. The host keeps ownership of what they return.
TESSARO_API IHostnameResolver* CreateHostnameResolver();
TESSARO_API ZProfileStoreFactory* GetProfileStoreFactory();

// Set by the load notification.
void SetTessaroDll(HINSTANCE module);

}  // namespace Tessaro
