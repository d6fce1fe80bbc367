// HiddenTabWindow: an invisible top-level proxy that the taskbar treats as one
// document tab (a CBCGPMDIChildWnd) of the main frame. It answers the desktop
// window manager's requests for the tab's thumbnail and live preview, and
// passes activation, closing and system commands on to the tab.
//
// Made with new once the tab's window exists; the host destroys the proxy's
// window when the tab closes, and the object then deletes itself.
//
// ZSetTaskbarTabOrder puts the proxies of a frame's tabs into the taskbar in
// the tabs' order (tab groups in order, the tabs of each in order).
#pragma once

#include <afxwin.h>
#include <shobjidl.h>

#include "shell/ITaskbarProxyOwner.h"
#include "controls/ZBitmap.h"
#include "foundation/TessaroApi.h"

class CBCGPMDIChildWnd;
class CBCGPMDIFrameWnd;

class TESSARO_API HiddenTabWindow : public CWnd {
public:
    explicit HiddenTabWindow(CBCGPMDIChildWnd* tab);
    ~HiddenTabWindow() override;

    // The icon is kept, not owned: it stands for the tab while the main frame
    // is minimized and nothing of the tab can be printed.
    bool Create(const wchar_t* title, HICON icon);

    // True while the proxy restores a minimized main frame to activate the
    // tab: the tab tells a restore from the taskbar from its own activations.
    bool IsActivatingFromMinimize() const { return m_activatingFromMinimize; }

    // The first thumbnail is the icon at 48 x 48; whenever the main frame is
    // not minimized the tab is captured again to fit 400 x 400.
    void UpdateThumbnail();

protected:
    // Where the bitmaps go: the desktop window manager.
    virtual HRESULT SetIconicThumbnail(HBITMAP bitmap);
    virtual HRESULT SetIconicLivePreviewBitmap(HBITMAP bitmap, POINT offset);

    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg LRESULT OnSendIconicThumbnail(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSendIconicLivePreviewBitmap(WPARAM wParam, LPARAM lParam);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    // The proxy is only made with its title and icon.
    using CWnd::Create;
    CMDIFrameWnd* MainFrame() const;
    bool MainFrameMinimized() const;
    void ActivateTab();

    CBCGPMDIChildWnd* m_tab;  // not owned
    HICON m_icon = nullptr;   // not owned
    ZBitmapHandle m_thumbnail;
    int m_thumbnailWidth = 0;
    int m_thumbnailHeight = 0;
    bool m_activatingFromMinimize = false;
};

TESSARO_API void ZSetTaskbarTabOrder(CBCGPMDIFrameWnd* frame, ITaskbarList3* taskbar);
