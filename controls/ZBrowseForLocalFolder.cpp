#include "controls/ZBrowseForLocalFolder.h"

#include <afxwin.h>

#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"

namespace Tessaro {

namespace {

PIDLIST_ABSOLUTE BrowseWithShell(BROWSEINFOW* info)
{
    return ::SHBrowseForFolderW(info);
}

ShellFolderBrowser g_browser = BrowseWithShell;

int CALLBACK SelectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM folder)
{
    if (message == BFFM_INITIALIZED)
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
}

// Item lists come from the shell and go back to its allocator.
struct ItemList {
    PIDLIST_ABSOLUTE items = nullptr;
    ~ItemList()
    {
        IMalloc* allocator = nullptr;
        if (items && SUCCEEDED(::SHGetMalloc(&allocator))) {
            allocator->Free(items);
            allocator->Release();
        }
    }
};

}  // namespace

ShellFolderBrowser SetShellFolderBrowser(ShellFolderBrowser browser)
{
    const ShellFolderBrowser previous = g_browser;
    g_browser = browser ? browser : BrowseWithShell;
    return previous;
}

bool ZBrowseForLocalFolder(CWnd* parent, const wchar_t* title, ZUnicodeString& folder, UINT flags)
{
    const HWND owner = parent ? parent->GetSafeHwnd() : nullptr;
    ItemList root;
    if (FAILED(::SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &root.items)))
        root.items = nullptr;

    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = root.items;
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = flags;
    info.lpfn = SelectInitialFolder;
    info.lParam = reinterpret_cast<LPARAM>(folder.c_str());

    ItemList choice;
    choice.items = g_browser(&info);
    if (!choice.items)
        return false;
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(choice.items, path)) {
        folder = ZUnicodeString(path);
        return true;
    }
    ZReportMessageParams report(MSG_HOST_NOT_A_FILE_SYSTEM_FOLDER);
    if (parent)
        ZMessageBox(parent, &report, MB_ICONEXCLAMATION);
    else
        ZMessageBox(&report, MB_ICONEXCLAMATION);
    folder = ZUnicodeString();
    return true;
}

bool ZBrowseForLocalFolder(CWnd* parent, const wchar_t* title, ZUnicodeString& folder)
{
    return ZBrowseForLocalFolder(parent, title, folder, BIF_RETURNONLYFSDIRS);
}

}  // namespace Tessaro
