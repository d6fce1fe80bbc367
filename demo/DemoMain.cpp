// A small host of the library: loads it, hands it the host's factories and
// shows, section by section, what the library can do.
#include <windows.h>

#include <cwchar>

#include "demo/DemoLogWindow.h"
#include "demo/DemoOutput.h"
#include "demo/DemoMessageBox.h"
#include "demo/DemoPackets.h"
#include "demo/DemoProfile.h"
#include "demo/DemoReports.h"
#include "foundation/TessaroInit.h"
#include "hostresolver/ZPlatformHostnameResolver.h"

void ShowTextView();
void ShowSettings();
void ShowCustomize();
// demo/DemoDialog.cpp
void ShowDataExchangeDialog();
// demo/DemoProgress.cpp
void ShowProgressAndResult();
// demo/DemoAutoComplete.cpp
void ShowAutoComplete();
// demo/DemoRemoteFolder.cpp
void ShowRemoteFolder();
// demo/DemoConnection.cpp
void ShowConnection();
// demo/DemoMigrator.cpp
void ShowMigrator();
// demo/DemoCertificate.cpp
void ShowCertificate();
// demo/DemoLists.cpp
void ShowLists();
// demo/DemoOptions.cpp
void ShowOptions();
// demo/DemoShell.cpp
void ShowShell();
// demo/DemoTaskbar.cpp
void ShowTaskbar();

namespace {

IHostnameResolver* DemoResolverFactory() { return ZPlatformHostnameResolver::ForThisThread(); }
ZProfileStoreFactory* DemoStoreFactorySource() { return nullptr; }

void ShowStartup()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(GetTessaroDll(), path, MAX_PATH);
    DemoPrintf(L"== Start-up\nlibrary module: %ls\n\n", path);
}

}  // namespace

// With --window the demo ends in its log window for a person to use; without
// it the window is toured by a script that saves screenshots.
int wmain(int argc, wchar_t** argv)
{
    const bool interactive = argc > 1 && std::wcscmp(argv[1], L"--window") == 0;
    TessaroInit(DemoResolverFactory, DemoStoreFactorySource);
    ShowStartup();
    ShowReports();
    ShowMessageBoxes();
    ShowProfile();
    ShowTextView();
    ShowSettings();
    ShowCustomize();
    ShowPackets();
    ShowConnection();
    ShowDataExchangeDialog();
    ShowProgressAndResult();
    ShowAutoComplete();
    ShowRemoteFolder();
    ShowMigrator();
    ShowCertificate();
    ShowLists();
    ShowOptions();
    ShowShell();
    ShowTaskbar();
    return interactive ? RunLogWindow() : RunLogWindowTour();
}
