#include "shell/HiddenTabWindow.h"

#include "BCGPMDIFrameWnd.h"
#include "shell/ZDwmFunctions.h"
#include "shell/ZWindowCapture.h"

#ifndef WM_DWMSENDICONICTHUMBNAIL
#define WM_DWMSENDICONICTHUMBNAIL 0x0323
#endif
#ifndef WM_DWMSENDICONICLIVEPREVIEWBITMAP
#define WM_DWMSENDICONICLIVEPREVIEWBITMAP 0x0326
#endif

BEGIN_MESSAGE_MAP(HiddenTabWindow, CWnd)
    ON_WM_ACTIVATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_DWMSENDICONICTHUMBNAIL, OnSendIconicThumbnail)
    ON_MESSAGE(WM_DWMSENDICONICLIVEPREVIEWBITMAP, OnSendIconicLivePreviewBitmap)
END_MESSAGE_MAP()

namespace {

constexpr int kThumbnailSide = 400;

}  // namespace

HiddenTabWindow::HiddenTabWindow(CBCGPMDIChildWnd* tab) : m_tab(tab) {}

HiddenTabWindow::~HiddenTabWindow() = default;

bool HiddenTabWindow::Create(const wchar_t* title, HICON icon)
{
    m_icon = icon;
    static const LPCWSTR className = AfxRegisterWndClass(0);
    return CreateEx(0, className, title, WS_POPUP | WS_CAPTION | WS_SYSMENU, -32000, -32000, 10, 10, nullptr,
                    nullptr) != FALSE;
}

CMDIFrameWnd* HiddenTabWindow::MainFrame() const
{
    return m_tab && ::IsWindow(m_tab->m_hWnd) ? m_tab->GetMDIFrame() : nullptr;
}

bool HiddenTabWindow::MainFrameMinimized() const
{
    CMDIFrameWnd* frame = MainFrame();
    return frame && ::IsIconic(frame->m_hWnd);
}

void HiddenTabWindow::UpdateThumbnail()
{
    if (!m_tab || !::IsWindow(m_tab->m_hWnd))
        return;
    if (!m_thumbnail) {
        SIZE size = {};
        m_thumbnail = ZCaptureWindow(m_tab->m_hWnd, m_thumbnailWidth, m_thumbnailHeight, m_icon, size);
        m_thumbnailWidth = size.cx;
        m_thumbnailHeight = size.cy;
    }
    CMDIFrameWnd* frame = MainFrame();
    if (frame && !::IsIconic(frame->m_hWnd)) {
        m_thumbnail.reset();
        SIZE size = {};
        m_thumbnail = ZCaptureWindow(m_tab->m_hWnd, kThumbnailSide, kThumbnailSide, nullptr, size);
        m_thumbnailWidth = size.cx;
        m_thumbnailHeight = size.cy;
    }
}

HRESULT HiddenTabWindow::SetIconicThumbnail(HBITMAP bitmap)
{
    return ZDwmSetIconicThumbnail(m_hWnd, bitmap, 0);
}

HRESULT HiddenTabWindow::SetIconicLivePreviewBitmap(HBITMAP bitmap, POINT offset)
{
    return ZDwmSetIconicLivePreviewBitmap(m_hWnd, bitmap, &offset, 0);
}

LRESULT HiddenTabWindow::OnSendIconicThumbnail(WPARAM, LPARAM lParam)
{
    UpdateThumbnail();
    if (!m_thumbnail)
        return 0;
    // The request is the largest size the taskbar shows: width high, height low.
    ZBitmapHandle rescaled = ZShrinkToFit(m_thumbnail.get(), HIWORD(lParam), LOWORD(lParam));
    if (!rescaled)
        return 0;
    const SIZE size = ZGetBitmapSize(rescaled.get());
    m_thumbnail = std::move(rescaled);
    m_thumbnailWidth = size.cx;
    m_thumbnailHeight = size.cy;
    SetIconicThumbnail(m_thumbnail.get());
    return 0;
}

LRESULT HiddenTabWindow::OnSendIconicLivePreviewBitmap(WPARAM, LPARAM)
{
    CMDIFrameWnd* frame = MainFrame();
    if (!frame)
        return 0;
    ZBitmapHandle preview;
    POINT offset = {};
    if (::IsIconic(frame->m_hWnd)) {
        void* bits = nullptr;
        preview = ZCreateTopDownSection(1, 1, &bits);
        if (bits)
            *static_cast<uint32_t*>(bits) = 0xFF000000u;
    } else {
        SIZE size = {};
        preview = ZCaptureWindow(m_tab->m_hWnd, 0, 0, nullptr, size);
        RECT tab = {};
        ::GetWindowRect(m_tab->m_hWnd, &tab);
        ::MapWindowPoints(nullptr, frame->m_hWnd, reinterpret_cast<POINT*>(&tab), 2);
        const RECT visible = ZVisiblePart(m_tab->m_hWnd);
        offset = POINT{tab.left + visible.left, tab.top + visible.top};
    }
    if (preview)
        SetIconicLivePreviewBitmap(preview.get(), offset);
    return 0;
}

void HiddenTabWindow::ActivateTab()
{
    CMDIFrameWnd* frame = MainFrame();
    if (!frame)
        return;
    const bool minimized = ::IsIconic(frame->m_hWnd) != FALSE;
    m_activatingFromMinimize = minimized;
    frame->MDIActivate(m_tab);
    m_activatingFromMinimize = false;
}

void HiddenTabWindow::OnActivate(UINT state, CWnd*, BOOL)
{
    CMDIFrameWnd* frame = MainFrame();
    if (state == WA_INACTIVE || !frame)
        return;
    if (::IsIconic(frame->m_hWnd)) {
        // A minimized window is never zoomed: the placement remembers whether
        // it was maximized before.
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        frame->GetWindowPlacement(&placement);
        const bool maximized = (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
        m_activatingFromMinimize = true;
        frame->ShowWindow(maximized ? SW_SHOWMAXIMIZED : SW_RESTORE);
    }
    if (::IsIconic(m_tab->m_hWnd))
        m_tab->MDIRestore();
    frame->MDIActivate(m_tab);
    frame->SetFocus();
    m_activatingFromMinimize = false;
}

void HiddenTabWindow::OnClose()
{
    // A disabled frame runs a modal dialog: the tab must not close under it.
    CMDIFrameWnd* frame = MainFrame();
    if (frame && frame->IsWindowEnabled())
        m_tab->SendMessage(WM_CLOSE);
}

void HiddenTabWindow::OnDestroy()
{
    Default();
    m_thumbnail.reset();
}

void HiddenTabWindow::PostNcDestroy()
{
    delete this;
}

void HiddenTabWindow::OnSysCommand(UINT id, LPARAM lParam)
{
    const UINT command = id & 0xFFF0;
    switch (command) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MAXIMIZE:
    case SC_RESTORE:
        ActivateTab();
        [[fallthrough]];
    case SC_MINIMIZE: {
        CMDIFrameWnd* frame = MainFrame();
        if (!frame)
            return;
        frame->SendMessage(WM_SYSCOMMAND, id, lParam);
        auto* tabbed = dynamic_cast<CBCGPMDIFrameWnd*>(frame);
        if (!tabbed || !tabbed->AreMDITabs())
            m_tab->SendMessage(WM_SYSCOMMAND, id, lParam);
        return;
    }
    default:
        Default();
    }
}

void ZSetTaskbarTabOrder(CBCGPMDIFrameWnd* frame, ITaskbarList3* taskbar)
{
    if (!frame || !taskbar)
        return;
    const CObList& groups = frame->GetMDITabGroups();
    for (POSITION at = groups.GetHeadPosition(); at;) {
        auto* group = dynamic_cast<CBCGPTabWnd*>(groups.GetNext(at));
        for (int i = 0; group && i < group->GetTabsNum(); ++i) {
            auto* tab = dynamic_cast<CBCGPMDIChildWnd*>(group->GetTabWnd(i));
            if (!tab || !::IsWindow(tab->m_hWnd))
                continue;
            if (auto* owner = dynamic_cast<ITaskbarProxyOwner*>(tab))
                taskbar->SetTabOrder(owner->GetProxyWindow(), nullptr);
        }
    }
}
