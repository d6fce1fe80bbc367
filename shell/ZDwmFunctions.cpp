#include "shell/ZDwmFunctions.h"

namespace {

using SetIconicThumbnail = HRESULT(WINAPI*)(HWND, HBITMAP, DWORD);
using SetIconicLivePreviewBitmap = HRESULT(WINAPI*)(HWND, HBITMAP, POINT*, DWORD);
using PrintWindowFunction = BOOL(WINAPI*)(HWND, HDC, UINT);

template <class F>
F Lookup(const wchar_t* module, const char* name)
{
    HMODULE loaded = ::GetModuleHandleW(module);
    if (!loaded)
        loaded = ::LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return loaded ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(loaded, name))) : nullptr;
}

}  // namespace

HRESULT ZDwmSetIconicThumbnail(HWND window, HBITMAP bitmap, DWORD flags)
{
    static const auto function = Lookup<SetIconicThumbnail>(L"dwmapi.dll", "DwmSetIconicThumbnail");
    return function ? function(window, bitmap, flags) : S_OK;
}

HRESULT ZDwmSetIconicLivePreviewBitmap(HWND window, HBITMAP bitmap, POINT* offset, DWORD flags)
{
    static const auto function =
        Lookup<SetIconicLivePreviewBitmap>(L"dwmapi.dll", "DwmSetIconicLivePreviewBitmap");
    return function ? function(window, bitmap, offset, flags) : S_OK;
}

BOOL ZPrintWindow(HWND window, HDC dc, UINT flags)
{
    static const auto function = Lookup<PrintWindowFunction>(L"user32.dll", "PrintWindow");
    return function ? function(window, dc, flags) : FALSE;
}
