// Demo section: browsing the folders of a remote file system. An in-memory
// server answers each request 80 ms later, as a connection would; the dialog
// opens at a start path level by level, a screenshot is taken, and OK returns
// the chosen folder.
#include <afxwin.h>

#include <functional>
#include <string>

#include "controls/ZRemoteFileDialog.h"
#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"
#include "hostremote/InMemoryRemoteFileSystem.h"

namespace {

std::function<void()> g_step;
// The script ends by this flag: clearing g_step from inside would free the running closure.
bool g_stepDone = false;

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_step && !g_stepDone)
        g_step();
}

}  // namespace

void ShowRemoteFolder()
{
    DemoPrintf(L"== Remote folder browse dialog\n");
    auto server = ZAdoptReference(new HostRemote::InMemoryRemoteFileSystem(L"/home/operator"));
    for (const wchar_t* folder : {L"/home/operator/projects/tessaro/src", L"/home/operator/projects/tessaro/docs",
                                  L"/home/operator/projects/archive", L"/home/operator/downloads", L"/home/guest",
                                  L"/srv/www", L"/srv/backups", L"/var/log", L"/tmp"})
        server->AddFolder(folder);
    server->AddFile(L"/home/operator/projects/README");
    server->SetDelay(80);

    std::wstring screenshot;
    int waited = 0;
    g_stepDone = false;
    g_step = [&] {
        HWND dialog = ::FindWindowW(nullptr, L"Browse for Folder");
        auto* tree = dialog ? dynamic_cast<ZRemoteFileDialogTreeView*>(CWnd::FromHandlePermanent(
                                  ::GetDlgItem(dialog, ZRemoteFileDialogBase::kTreeControl)))
                            : nullptr;
        if (!tree)
            return;
        // Once the start path is open (or after three seconds): a picture, then OK.
        if ((tree->IsBusy() || !tree->CTreeCtrl::GetSelectedItem()) && ++waited < 60)
            return;
        g_stepDone = true;
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        screenshot = SaveScreenshot(dialog, L"remote-folder.png");
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, RunStep);
    std::wstring path = L"projects/tessaro";
    const bool chosen = ShowRemoteFileDialog(server.Get(), path, nullptr);
    ::KillTimer(nullptr, timer);
    g_step = nullptr;

    DemoPrintf(L"asked for \"projects/tessaro\" below the server's home folder \"/home/operator\"\n");
    std::wstring requests;
    for (const std::wstring& request : server->Log())
        requests += L"  " + request + L"\n";
    DemoPrintf(L"requests to the server:\n%ls", requests.c_str());
    DemoPrintf(L"OK returned %ls, path \"%ls\"\n", chosen ? L"a folder" : L"nothing", path.c_str());
    if (!screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", screenshot.c_str());
    DemoPrintf(L"\n");
}
