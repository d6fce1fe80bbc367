// A small host of the library: loads it, hands it the host's factories and
// shows, section by section, what the library can do.
#include <windows.h>

#include "demo/DemoOutput.h"
#include "demo/DemoMessageBox.h"
#include "demo/DemoPackets.h"
#include "demo/DemoProfile.h"
#include "demo/DemoReports.h"
#include "foundation/TessaroInit.h"

void ShowTextView();
void ShowSettings();
void ShowCustomize();
// demo/DemoDialog.cpp
void ShowDataExchangeDialog();
// demo/DemoProgress.cpp
void ShowProgressAndResult();
// demo/DemoAutoComplete.cpp
void ShowAutoComplete();
// demo/DemoLists.cpp
void ShowLists();

namespace {

IHostnameResolver* DemoResolverFactory() { return nullptr; }
ZProfileStoreFactory* DemoStoreFactorySource() { return nullptr; }

void ShowStartup()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(GetTessaroDll(), path, MAX_PATH);
    DemoPrintf(L"== Start-up\nlibrary module: %ls\n\n", path);
}

}  // namespace

int wmain()
{
    TessaroInit(DemoResolverFactory, DemoStoreFactorySource);
    ShowStartup();
    ShowReports();
    ShowMessageBoxes();
    ShowProfile();
    ShowTextView();
    ShowSettings();
    ShowCustomize();
    ShowPackets();
    ShowDataExchangeDialog();
    ShowProgressAndResult();
    ShowAutoComplete();
    ShowLists();
    return 0;
}
