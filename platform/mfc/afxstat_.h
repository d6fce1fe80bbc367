// Module state and the chain of resource modules.
//
// One module state serves the whole process and lives in this DLL, so the
// host, the library and every extension module see the same application,
// resource handle and chain. Extension modules join the chain by making a
// CDynLinkLibrary; the newest one is searched first.
#pragma once

#include "afxver_.h"

class CWinApp;
class CDynLinkLibrary;

struct TESSARO_MFC_API AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;
    HINSTANCE m_hCurrentInstanceHandle;   // the application's executable
    HINSTANCE m_hCurrentResourceHandle;   // searched first for resources
    LPCWSTR m_lpszCurrentAppName;         // the application's name, null before a CWinApp exists
    BOOL m_bDLL;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pFirstLibrary;     // the chain; guarded inside the DLL
};

TESSARO_MFC_API AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
TESSARO_MFC_API HINSTANCE AFXAPI AfxGetInstanceHandle();
TESSARO_MFC_API HINSTANCE AFXAPI AfxGetResourceHandle();
TESSARO_MFC_API void AFXAPI AfxSetResourceHandle(HINSTANCE resource);
TESSARO_MFC_API LPCWSTR AFXAPI AfxGetAppName();

// The module that holds a resource: the current resource module, then each
// extension module of the chain, newest first, then the application. When none
// does, the current resource module (so that the caller's load fails there).
TESSARO_MFC_API HINSTANCE AFXAPI AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);
// The same search for a non-empty string of a string table.
TESSARO_MFC_API HINSTANCE AFXAPI AfxFindStringResourceHandle(UINT id);

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
    CRuntimeClass* pFirstSharedClass;
    void* pFirstSharedFactory;
};

// Records the module in the extension-module record; FALSE without a module.
TESSARO_MFC_API BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Removes the module's CDynLinkLibrary objects from the chain and deletes them;
// with all set, every object of the chain.
TESSARO_MFC_API void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

class TESSARO_MFC_API CDynLinkLibrary : public CObject {
    DECLARE_DYNAMIC(CDynLinkLibrary)
public:
    // Joins the chain at its head.
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    CDynLinkLibrary(HINSTANCE module, HINSTANCE resource);
    // Leaves the chain.
    ~CDynLinkLibrary() override;

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;

private:
    void Link();
};
