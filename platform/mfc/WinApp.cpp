#include "afxwin.h"
#include "afximpl.h"

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// The framework's string id of the application title.
constexpr UINT kAppTitleId = 0xE000;

std::wstring ExecutableBaseName()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return name;
}

// The window a box without an explicit owner is modal to: the main window's
// last active pop-up, if there is a main window.
HWND DefaultOwner()
{
    CWnd* main = AfxGetMainWnd();
    HWND window = main ? main->GetSafeHwnd() : nullptr;
    if (!window || !::IsWindow(window))
        return nullptr;
    return ::GetLastActivePopup(window);
}

int ShowAppMessageBox(LPCWSTR caption, LPCWSTR text, UINT type)
{
    std::wstring fallback;
    if (!caption) {
        fallback = ExecutableBaseName();
        caption = fallback.c_str();
    }
    return ::MessageBoxW(DefaultOwner(), text, caption, type);
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinApp::CWinApp(LPCWSTR appName)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    ASSERT(state->m_pCurrentWinApp == nullptr);  // one application per process

    m_hInstance = ::GetModuleHandleW(nullptr);
    const std::wstring exeName = ExecutableBaseName();
    m_pszExeName = _wcsdup(exeName.c_str());
    m_pszProfileName = _wcsdup((exeName + L".INI").c_str());
    if (appName) {
        m_pszAppName = _wcsdup(appName);
    } else {
        CStringW title;
        m_pszAppName = _wcsdup(title.LoadString(m_hInstance, kAppTitleId) ? title.GetString() : exeName.c_str());
    }

    // The main thread's CWinThread is the application itself; its handle is the
    // thread's pseudo handle, as the framework keeps it.
    m_hThread = ::GetCurrentThread();
    m_nThreadID = ::GetCurrentThreadId();
    AfxSetCurrentThread(this);

    state->m_pCurrentWinApp = this;
    state->m_lpszCurrentAppName = m_pszAppName;
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pCurrentWinApp == this) {
        state->m_pCurrentWinApp = nullptr;
        state->m_lpszCurrentAppName = nullptr;
    }
    if (AfxGetThread() == this)
        AfxSetCurrentThread(nullptr);
    m_hThread = nullptr;  // a pseudo handle, not ours to close
    free(const_cast<LPWSTR>(m_pszAppName));
    free(const_cast<LPWSTR>(m_pszExeName));
    free(const_cast<LPWSTR>(m_pszProfileName));
    free(const_cast<LPWSTR>(m_pszRegistryKey));
}

int CWinApp::DoMessageBox(LPCWSTR prompt, UINT type, UINT)
{
    return ShowAppMessageBox(m_pszAppName, prompt, type);
}

UINT CWinApp::GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue)
{
    ASSERT(section != nullptr && entry != nullptr);
    return ::GetPrivateProfileIntW(section, entry, defaultValue, m_pszProfileName);
}

CStringW CWinApp::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue)
{
    ASSERT(section != nullptr && entry != nullptr);
    if (!section || !entry)
        return CStringW(defaultValue);
    // A full buffer means the value may have been cut: grow until it fits.
    CStringW value;
    for (DWORD size = 256;; size *= 2) {
        const DWORD length = ::GetPrivateProfileStringW(section, entry, defaultValue ? defaultValue : L"",
                                                        value.GetBuffer(static_cast<int>(size)), size,
                                                        m_pszProfileName);
        if (length + 1 < size || size >= 0x1000000) {
            value.ReleaseBuffer(static_cast<int>(length));
            return value;
        }
    }
}

BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value)
{
    ASSERT(section != nullptr && entry != nullptr);
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", value);
    return ::WritePrivateProfileStringW(section, entry, text, m_pszProfileName);
}

BOOL CWinApp::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value)
{
    ASSERT(section != nullptr);
    return ::WritePrivateProfileStringW(section, entry, value, m_pszProfileName);
}

CWinApp* AFXAPI AfxGetApp()
{
    return AfxGetModuleState()->m_pCurrentWinApp;
}

int AFXAPI AfxMessageBox(LPCWSTR text, UINT type, UINT helpId)
{
    if (CWinApp* app = AfxGetApp())
        return app->DoMessageBox(text, type, helpId);
    return ShowAppMessageBox(AfxGetAppName(), text, type);
}

int AFXAPI AfxMessageBox(UINT promptId, UINT type, UINT helpId)
{
    CStringW prompt;
    prompt.LoadString(promptId);
    return AfxMessageBox(prompt, type, helpId == static_cast<UINT>(-1) ? promptId : helpId);
}
