// Demo section: shell integration. A notification-area icon with its menu, the
// demo's own command line handed to a running instance of itself (a second
// copy of the demo is started for that), a shortcut read back, and a list of
// files with the icon manager's pictures, with screenshots.
#include <afxwin.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "demo/DemoDpi.h"
#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"
#include "shell/TrayIcon.h"
#include "shell/ZFileTypeManager.h"
#include "shell/ZHandOff.h"
#include "shell/ZIconManager.h"
#include "shell/ZLaunch.h"
#include "shell/ZShortcuts.h"

namespace {

constexpr wchar_t kHandOffSwitch[] = L"--hand-off";
constexpr wchar_t kMainClass[] = L"TessaroDemoShellMain";
constexpr wchar_t kSection[] = L"TessaroDemoCommandLine";
constexpr wchar_t kHandOffMessage[] = L"TessaroDemoCommandLine";
constexpr DWORD kHandedOver = 0;
constexpr DWORD kWouldStartNormally = 3;

// A second copy started with the switch hands the rest of its command line to
// the running demo and ends; it never reaches the demo's sections.
const bool g_secondInstance = [] {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv || count < 2 || std::wstring(argv[1]) != kHandOffSwitch) {
        ::LocalFree(argv);
        return false;
    }
    ZArray<ZUnicodeString> arguments;
    for (int i = 2; i < count; ++i)
        arguments.Add(ZUnicodeString(argv[i]));
    ::LocalFree(argv);
    const bool sent = SendMessageToExistingApp(kSection, kMainClass, ::RegisterWindowMessageW(kHandOffMessage),
                                               arguments, true);
    ::ExitProcess(sent ? kHandedOver : kWouldStartNormally);
    return true;
}();

std::function<void()> g_step;

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_step)
        g_step();
}

class DemoTrayClient : public TrayIconClient {
public:
    void OnTrayIconClick() override { DemoPrintf(L"tray icon: click\n"); }
    void OnTrayIconDoubleClick() override { DemoPrintf(L"tray icon: double click\n"); }
    void GetTrayIconMenu(HMENU* menu) override
    {
        *menu = ::CreatePopupMenu();
        ::AppendMenuW(*menu, MF_STRING, 101, L"&Open log window");
        ::AppendMenuW(*menu, MF_STRING, 102, L"&Check for updates");
        ::AppendMenuW(*menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(*menu, MF_STRING, 103, L"E&xit");
    }
    void OnTrayIconCommand(UINT id) override { DemoPrintf(L"tray icon: menu command %u\n", id); }
};

void ShowTrayIcon()
{
    DemoTrayClient client;
    TrayIcon icon(&client);
    if (!icon.Create()) {
        DemoPrintf(L"tray icon: the hidden window could not be made\n");
        return;
    }
    icon.SetTrayIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    icon.SetTrayIconTip(L"Tessaro demo: 3 sessions open, 1 transfer running, and a tip longer than the shell shows");
    DemoPrintf(L"tray icon shown: %ls\n", icon.IsShown() ? L"yes" : L"no");

    const HWND window = icon.GetSafeHwnd();
    ::SendMessageW(window, TrayIcon::kCallbackMessage, 0, WM_LBUTTONUP);
    ::SendMessageW(window, TrayIcon::kCallbackMessage, 0, WM_LBUTTONDBLCLK);
    // A shell restart, played: the new shell knows no icons and says it is up.
    NOTIFYICONDATAW lost = {};
    lost.cbSize = sizeof(lost);
    lost.hWnd = window;
    ::Shell_NotifyIconW(NIM_DELETE, &lost);
    ::SendMessageW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    DemoPrintf(L"after a shell restart the icon is shown again: %ls\n", icon.IsShown() ? L"yes" : L"no");

    // A right click near the bottom-right corner, as over a taskbar: the menu
    // opens above and to the left of the cursor.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    ::SetCursorPos(width - 40, height - 20);
    std::wstring screenshot;
    int waited = 0;
    int drawn = 0;
    bool done = false;
    // Not cleared from inside: the running lambda's captures live in g_step.
    g_step = [&] {
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        // Once the menu has been up for a few ticks, so that it is painted.
        if (done || (menu ? ++drawn < 4 : ++waited < 40))
            return;
        done = true;
        if (menu)
            screenshot = SaveScreenshot(menu, L"shell-tray-menu.png");  // from its own window: a capture of the screen area comes out black
        ::EndMenu();
        // The script's choice, as the menu would deliver it.
        ::PostMessageW(window, WM_COMMAND, 101, 0);
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, RunStep);
    ::SendMessageW(window, TrayIcon::kCallbackMessage, 0, WM_RBUTTONUP);
    ::KillTimer(nullptr, timer);
    g_step = nullptr;
    MSG message;
    while (::PeekMessageW(&message, window, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&message);
    if (!screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", screenshot.c_str());
    icon.RemoveTrayIcon();
}

// The running instance: a window of the class the second copy looks for.
struct HandOffReceiver {
    UINT message = ::RegisterWindowMessageW(kHandOffMessage);
    std::vector<std::wstring> received;
    bool read = false;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<HandOffReceiver*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || message != self->message)
            return ::DefWindowProcW(window, message, wParam, lParam);
        ZArray<ZUnicodeString> arguments;
        self->read = LParamToStrings(kSection, wParam, lParam, arguments);
        for (const ZUnicodeString& argument : arguments)
            self->received.emplace_back(argument.c_str());
        return 1;
    }
};

void ShowHandOff()
{
    HandOffReceiver receiver;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HandOffReceiver::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMainClass;
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, kMainClass, L"Tessaro demo (first instance)", WS_OVERLAPPEDWINDOW, 60, 60, 320,
                                    120, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver));
    ::ShowWindow(window, SW_SHOWMINIMIZED);

    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(path) + L"\" " + kHandOffSwitch + L" /connect \"Server A\" /user=opérateur";
    DemoPrintf(L"second instance: %ls /connect \"Server A\" /user=op\u00e9rateur\n", kHandOffSwitch);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    DWORD code = ~0u;
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        // The first instance keeps its messages flowing while the second sends.
        while (::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
        }
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    DemoPrintf(L"second instance %ls\n", code == kHandedOver ? L"handed its command line over and ended"
                                                              : L"found no instance and would start normally");
    DemoPrintf(L"first instance received %u argument(s)%ls:\n", static_cast<unsigned>(receiver.received.size()),
               receiver.read ? L"" : L" (block refused)");
    for (const std::wstring& argument : receiver.received)
        DemoPrintf(L"  [%ls]\n", argument.c_str());
    DemoPrintf(L"first instance restored from minimized: %ls\n", ::IsIconic(window) ? L"no" : L"yes");
    ::DestroyWindow(window);
    ::UnregisterClassW(kMainClass, windowClass.hInstance);
}

void ShowShortcut()
{
    const std::wstring folder = DemoSettingsFolder();
    const std::wstring target = ZGetCommonDocumentsDirectory() + L"\\TessaroDemo.exe";
    const bool made = Tessaro::CreateShortcutIn(folder, target.c_str(), L"/S ServerA", L"Server A");
    std::wstring arguments;
    IShellLinkW* link = nullptr;
    if (made && SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t text[MAX_PATH] = {};
            if (SUCCEEDED(file->Load((folder + L"\\Server A.lnk").c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetArguments(text, MAX_PATH)))
                arguments = text;
            file->Release();
        }
        link->Release();
    }
    DemoPrintf(L"shortcut \"Server A.lnk\" in the demo's folder: %ls, arguments read back \"%ls\"\n",
               made ? L"made" : L"failed", arguments.c_str());
}

class DemoFileTypes : public ZFileTypeManager {
public:
    struct Type {
        const wchar_t* extension;
        std::wstring iconFile;
        int iconIndex;
        int imageIndex;
    };
    DemoFileTypes()
    {
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        m_types = {{L"txt", std::wstring(system) + L"\\notepad.exe", 0, -1},
                   {L"log", L"%1", 0, -1},
                   {L"exe", L"", 0, -1},
                   {L"zip", L"C:\\no\\such\\archiver.exe", 0, -1}};
    }
    int GetDefinitionCount() const override { return static_cast<int>(m_types.size()); }
    std::wstring GetIconFile(int d) const override { return m_types[static_cast<size_t>(d)].iconFile; }
    int GetIconIndex(int d) const override { return m_types[static_cast<size_t>(d)].iconIndex; }
    int GetImageIndex(int d) const override { return m_types[static_cast<size_t>(d)].imageIndex; }
    void SetImageIndex(int d, int index) override { m_types[static_cast<size_t>(d)].imageIndex = index; }
    unsigned GetApplicationDefinition() const override { return 2; }
    int FindDefinition(const wchar_t* fileName) const override
    {
        const wchar_t* dot = wcsrchr(fileName, L'.');
        for (size_t i = 0; dot && i < m_types.size(); ++i) {
            if (_wcsicmp(dot + 1, m_types[i].extension) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }

private:
    std::vector<Type> m_types;
};

void ShowIcons()
{
    DemoFileTypes types;
    ZIconManager manager(&types);
    if (!manager.PrepareImageLists()) {
        DemoPrintf(L"icon manager: the image lists could not be made\n");
        return;
    }
    DemoPrintf(L"icon manager: colour depth %d, %d system pictures\n", manager.GetColorDepth(),
               manager.GetLargeIconImageList()->GetImageCount());

    // The manager owns the lists: the view only shares them.
    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"Files", WS_OVERLAPPEDWINDOW | WS_VISIBLE | LVS_ICON | LVS_SHAREIMAGELISTS |
                                  LVS_AUTOARRANGE, 80, 80, DemoScaled(560), DemoScaled(300), nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ListView_SetImageList(list, manager.GetLargeIconImageList()->GetSafeHandle(), LVSIL_NORMAL);
    ListView_SetImageList(list, manager.GetSmallIconImageList()->GetSafeHandle(), LVSIL_SMALL);
    struct Row {
        const wchar_t* name;
        int image;
    };
    const Row rows[] = {
        {L"This computer", manager.GetImageIndex(ZIconManager::COMPUTER)},
        {L"C: (fixed)", manager.GetImageIndex(ZIconManager::FIXED_DRIVE)},
        {L"D: (CD)", manager.GetImageIndex(ZIconManager::CD_DRIVE)},
        {L"\\\\server\\share", manager.GetImageIndex(ZIconManager::NETWORK_DRIVE)},
        {L"projects", manager.GetImageIndex(ZIconManager::FOLDER)},
        {L"projects.lnk", manager.GetImageIndex(ZIconManager::FOLDER_SHORTCUT)},
        {L"notes.txt", manager.GetImageIndex(L"notes.txt")},
        {L"server.log", manager.GetImageIndex(L"server.log")},
        {L"setup.exe", manager.GetImageIndex(L"setup.exe")},
        {L"backup.zip", manager.GetImageIndex(L"backup.zip")},
        {L"README", manager.GetImageIndex(L"README")},
    };
    int item = 0;
    for (const Row& row : rows) {
        LVITEMW entry = {};
        entry.mask = LVIF_TEXT | LVIF_IMAGE;
        entry.iItem = item++;
        entry.pszText = const_cast<wchar_t*>(row.name);
        entry.iImage = row.image;
        ListView_InsertItem(list, &entry);
        DemoPrintf(L"  %-16ls picture %d\n", row.name, row.image);
    }
    ::UpdateWindow(list);
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const std::wstring screenshot = SaveScreenshot(list, L"shell-icons.png");
    if (!screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", screenshot.c_str());
    ::DestroyWindow(list);
}

}  // namespace

void ShowShell()
{
    DemoPrintf(L"== Shell integration\n");
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ShowTrayIcon();
    ShowHandOff();
    ShowShortcut();
    ShowIcons();
    if (SUCCEEDED(com))
        ::CoUninitialize();
    DemoPrintf(L"\n");
}
