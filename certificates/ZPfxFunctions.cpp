#include "certificates/ZPfxFunctions.h"

namespace {

ZPfxFunctions& Current()
{
    static ZPfxFunctions functions = {&::PFXExportCertStoreEx, &::PFXImportCertStore};
    return functions;
}

}  // namespace

const ZPfxFunctions& ZGetPfxFunctions() { return Current(); }

ZPfxFunctions ZSetPfxFunctions(const ZPfxFunctions& functions)
{
    const ZPfxFunctions previous = Current();
    Current().exportStore = functions.exportStore ? functions.exportStore : &::PFXExportCertStoreEx;
    Current().importStore = functions.importStore ? functions.importStore : &::PFXImportCertStore;
    return previous;
}
