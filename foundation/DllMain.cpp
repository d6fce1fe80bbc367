// The library's load notification: it joins the framework's chain of resource
// modules, so that dialogs, icons and strings are found in this module.
#include <afxwin.h>

#include "foundation/TessaroInit.h"
#include "autocomplete/ZAutoComplete.h"
#include "net/ZNotificationSink.h"
#include "shell/TrayIcon.h"
#include "shell/ZLaunch.h"
#include "textview/ZFindDialog.h"

namespace {

AFX_EXTENSION_MODULE g_extensionModule = {};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!AfxInitExtensionModule(g_extensionModule, instance))
            return FALSE;
        // Owned by the chain; AfxTermExtensionModule deletes it.
        new CDynLinkLibrary(g_extensionModule);
        Tessaro::SetTessaroDll(instance);
        // Its outcome is kept: a failure shows in every sink's Create.
        Tessaro::RegisterNotificationWindowClass();
        ZAutoComplete::RegisterListViewParentWindowClass();
        Tessaro::RegisterFindDialogMessages();
        TrayIcon::RegisterClassW();
        Tessaro::RegisterZorvaneUpdateCloseMessage();
        break;
    case DLL_PROCESS_DETACH:
        // Unloaded while the process goes on: no window may keep a procedure
        // that is about to vanish. At process exit there is nothing to tidy.
        if (!reserved) {
            Tessaro::UnregisterNotificationWindowClass();
            ZAutoComplete::UnregisterListViewParentWindowClass();
            TrayIcon::UnregisterWndClass();
        }
        AfxTermExtensionModule(g_extensionModule);
        break;
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
        break;
    }
    return TRUE;
}
