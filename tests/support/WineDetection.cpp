#include "tests/support/WineDetection.h"

#include <windows.h>

namespace TestSupport {

bool RunningUnderWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace TestSupport
