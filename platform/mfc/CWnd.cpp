#include "afxwin.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

// Window handles to framework objects. One map for the process; the window
// core decides later whether these become per thread.
struct HandleMaps {
    std::mutex lock;
    std::map<HWND, CWnd*> permanent;
    std::map<HWND, std::unique_ptr<CWnd>> temporary;
};

HandleMaps& Maps()
{
    static HandleMaps* maps = new HandleMaps;  // lives until the process ends
    return *maps;
}

}  // namespace

IMPLEMENT_DYNCREATE(CWnd, CObject)

CWnd::~CWnd()
{
    if (m_hWnd)
        Detach();
}

CWnd* AFXAPI CWnd::FromHandle(HWND window)
{
    if (!window)
        return nullptr;
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> guard(maps.lock);
    if (auto found = maps.permanent.find(window); found != maps.permanent.end())
        return found->second;
    std::unique_ptr<CWnd>& temporary = maps.temporary[window];
    if (!temporary) {
        temporary = std::make_unique<CWnd>();
        temporary->m_hWnd = window;
    }
    return temporary.get();
}

CWnd* AFXAPI CWnd::FromHandlePermanent(HWND window)
{
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> guard(maps.lock);
    auto found = maps.permanent.find(window);
    return found == maps.permanent.end() ? nullptr : found->second;
}

void AFXAPI CWnd::DeleteTempMap()
{
    std::map<HWND, std::unique_ptr<CWnd>> doomed;
    {
        HandleMaps& maps = Maps();
        std::lock_guard<std::mutex> guard(maps.lock);
        doomed.swap(maps.temporary);
    }
    for (auto& entry : doomed)
        entry.second->m_hWnd = nullptr;  // temporaries never owned their window
}

BOOL CWnd::Attach(HWND window)
{
    ASSERT(m_hWnd == nullptr);
    if (!window || m_hWnd)
        return FALSE;
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> guard(maps.lock);
    if (!maps.permanent.emplace(window, this).second)
        return FALSE;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (window) {
        HandleMaps& maps = Maps();
        std::lock_guard<std::mutex> guard(maps.lock);
        auto found = maps.permanent.find(window);
        if (found != maps.permanent.end() && found->second == this)
            maps.permanent.erase(found);
    }
    m_hWnd = nullptr;
    return window;
}

HWND CWnd::GetSafeHwnd() const
{
    // Callers rely on a null object giving a null handle; hide the pointer from
    // the optimiser, which may otherwise assume that this is never null.
    const CWnd* self = this;
    asm("" : "+r"(self));
    return self ? self->m_hWnd : nullptr;
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type)
{
    if (!caption)
        caption = AfxGetAppName();
    return ::MessageBoxW(GetSafeHwnd(), text, caption, type);
}

CWnd* CWnd::GetLastActivePopup() const
{
    ASSERT(::IsWindow(m_hWnd));
    return FromHandle(::GetLastActivePopup(m_hWnd));
}
