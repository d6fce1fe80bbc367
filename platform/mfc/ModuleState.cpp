#include "afxwin.h"

#include <mutex>
#include <vector>

namespace {

AFX_MODULE_STATE& State()
{
    static AFX_MODULE_STATE state = {
        nullptr, ::GetModuleHandleW(nullptr), ::GetModuleHandleW(nullptr), nullptr, FALSE, FALSE, nullptr};
    return state;
}

// Guards the chain only. Resource lookups run outside it: they may wait for the
// loader lock, under which extension modules join the chain.
std::mutex& ChainLock()
{
    static std::mutex lock;
    return lock;
}

// The modules to search, in order, without duplicates.
std::vector<HINSTANCE> SearchOrder()
{
    std::vector<HINSTANCE> order;
    auto add = [&order](HINSTANCE module) {
        if (!module)
            return;
        for (HINSTANCE seen : order) {
            if (seen == module)
                return;
        }
        order.push_back(module);
    };
    AFX_MODULE_STATE& state = State();
    std::lock_guard<std::mutex> guard(ChainLock());
    if (!state.m_bSystem)
        add(state.m_hCurrentResourceHandle);
    for (CDynLinkLibrary* dll = state.m_pFirstLibrary; dll; dll = dll->m_pNextDLL) {
        if (!dll->m_bSystem)
            add(dll->m_hResource);
    }
    for (CDynLinkLibrary* dll = state.m_pFirstLibrary; dll; dll = dll->m_pNextDLL) {
        if (dll->m_bSystem)
            add(dll->m_hResource);
    }
    add(state.m_hCurrentInstanceHandle);
    return order;
}

}  // namespace

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CObject)

AFX_MODULE_STATE* AFXAPI AfxGetModuleState()
{
    return &State();
}

HINSTANCE AFXAPI AfxGetInstanceHandle()
{
    return State().m_hCurrentInstanceHandle;
}

HINSTANCE AFXAPI AfxGetResourceHandle()
{
    return State().m_hCurrentResourceHandle;
}

void AFXAPI AfxSetResourceHandle(HINSTANCE resource)
{
    ASSERT(resource != nullptr);
    State().m_hCurrentResourceHandle = resource;
}

LPCWSTR AFXAPI AfxGetAppName()
{
    return State().m_lpszCurrentAppName;
}

HINSTANCE AFXAPI AfxFindResourceHandle(LPCWSTR name, LPCWSTR type)
{
    for (HINSTANCE module : SearchOrder()) {
        if (::FindResourceW(module, name, type))
            return module;
    }
    return AfxGetResourceHandle();
}

HINSTANCE AFXAPI AfxFindStringResourceHandle(UINT id)
{
    for (HINSTANCE module : SearchOrder()) {
        LPCWSTR text = nullptr;
        if (::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0) > 0)
            return module;
    }
    return AfxGetResourceHandle();
}

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module)
{
    if (!module)
        return FALSE;
    if (state.bInitialized)
        return TRUE;  // a module initialises its record once
    state.hModule = module;
    state.hResource = module;
    state.pFirstSharedClass = nullptr;
    state.pFirstSharedFactory = nullptr;
    state.bInitialized = TRUE;
    return TRUE;
}

void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all)
{
    std::vector<CDynLinkLibrary*> doomed;
    {
        std::lock_guard<std::mutex> guard(ChainLock());
        for (CDynLinkLibrary* dll = State().m_pFirstLibrary; dll; dll = dll->m_pNextDLL) {
            if (all || dll->m_hModule == state.hModule)
                doomed.push_back(dll);
        }
    }
    for (CDynLinkLibrary* dll : doomed)
        delete dll;
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system), m_pNextDLL(nullptr)
{
    ASSERT(state.bInitialized);
    Link();
}

CDynLinkLibrary::CDynLinkLibrary(HINSTANCE module, HINSTANCE resource)
    : m_hModule(module), m_hResource(resource), m_bSystem(FALSE), m_pNextDLL(nullptr)
{
    Link();
}

void CDynLinkLibrary::Link()
{
    std::lock_guard<std::mutex> guard(ChainLock());
    m_pNextDLL = State().m_pFirstLibrary;
    State().m_pFirstLibrary = this;
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    std::lock_guard<std::mutex> guard(ChainLock());
    for (CDynLinkLibrary** link = &State().m_pFirstLibrary; *link; link = &(*link)->m_pNextDLL) {
        if (*link == this) {
            *link = m_pNextDLL;
            break;
        }
    }
}
