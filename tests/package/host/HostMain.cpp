// Reaches each of the package's DLLs through its installed headers and import
// libraries; exits non-zero, naming the check, when one of them misbehaves.
#include <afxstr.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "TessaroMessages.h"
#include "foundation/TessaroInit.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUTF8.h"

int wmain()
{
    TessaroInit([]() -> IHostnameResolver* { return nullptr; },
                []() -> ZProfileStoreFactory* { return nullptr; });
    int failures = 0;
    auto check = [&failures](bool passed, const char* what) {
        std::printf("%s: %s\n", passed ? "ok" : "FAILED", what);
        failures += passed ? 0 : 1;
    };

    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(GetTessaroDll(), path, MAX_PATH);
    const wchar_t* name = std::wcsrchr(path, L'\\');
    check(name && std::wcscmp(name + 1, L"Tessaro87U.dll") == 0, "the library module is Tessaro87U.dll");
    check(ZEncodeUTF8(L"\u00e9t\u00e9", 3) == "\xc3\xa9t\xc3\xa9", "UTF-8 encoding");
    check(LoadMessageLabel(MSG_BUTTON_OK) == L"OK", "a label from the library's message table");
    check(CStringW(L"abc").GetLength() == 3, "a framework stand-in string");
    return failures == 0 ? 0 : 1;
}
