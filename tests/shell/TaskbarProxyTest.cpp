// Taskbar tab proxies in a real tabbed MDI frame. Wine never sends the DWM requests and its DWM calls do
// nothing, so the tests send the requests themselves and read the bitmaps where the proxy hands them to
// the DWM; SetTabOrder is E_NOTIMPL there, so tab order goes to a recording list.
#include <gtest/gtest.h>

#include "BCGPMDIFrameWnd.h"
#include "shell/HiddenTabWindow.h"
#include "controls/ZBitmap.h"
#include "tests/support/WindowReaders.h"

#include <deque>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kTabColour = RGB(0x20, 0x90, 0xE0);

// The pixel in the middle of a bitmap.
uint32_t CentreOf(HBITMAP bitmap)
{
    const SIZE size = ZGetBitmapSize(bitmap);
    const std::vector<uint32_t> pixels = TestSupport::BitmapPixels(bitmap);
    return pixels.empty() ? 0xDEADu : pixels[static_cast<size_t>(size.cy / 2 * size.cx + size.cx / 2)];
}

struct Received { std::vector<UINT> messages; std::vector<WPARAM> commands; };

class TestFrame : public CBCGPMDIFrameWnd {
public:
    Received received;

protected:
    afx_msg void OnSysCommand(UINT id, LPARAM) { received.commands.push_back(id); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestFrame, CBCGPMDIFrameWnd)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

class RecordingProxy : public HiddenTabWindow {
public:
    explicit RecordingProxy(CBCGPMDIChildWnd* tab, bool* deleted) : HiddenTabWindow(tab), m_deleted(deleted) {}
    ~RecordingProxy() override { *m_deleted = true; }

    std::vector<SIZE> thumbnailSizes;
    std::vector<uint32_t> thumbnailCentre;
    std::vector<SIZE> previewSizes;
    std::vector<POINT> previewOffsets;
    std::vector<uint32_t> previewCentre;

protected:
    HRESULT SetIconicThumbnail(HBITMAP bitmap) override
    {
        thumbnailSizes.push_back(ZGetBitmapSize(bitmap));
        thumbnailCentre.push_back(CentreOf(bitmap));
        return S_OK;
    }
    HRESULT SetIconicLivePreviewBitmap(HBITMAP bitmap, POINT offset) override
    {
        previewSizes.push_back(ZGetBitmapSize(bitmap));
        previewOffsets.push_back(offset);
        previewCentre.push_back(CentreOf(bitmap));
        return S_OK;
    }

private:
    bool* m_deleted;
};

// A tab painting one colour, with its proxy.
class TestTab : public CBCGPMDIChildWnd, public ITaskbarProxyOwner {
public:
    Received received;
    RecordingProxy* proxy = nullptr;
    bool sawActivationFromMinimize = false;
    HWND GetProxyWindow() override { return proxy->GetSafeHwnd(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_PRINTCLIENT: {
            RECT client = {};
            ::GetClientRect(m_hWnd, &client);
            HBRUSH brush = ::CreateSolidBrush(kTabColour);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
            ::DeleteObject(brush);
            return 0;
        }
        case WM_CLOSE:
            received.messages.push_back(message);
            return 0;
        case WM_SYSCOMMAND:
            received.commands.push_back(wParam);
            return 0;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(lParam) == m_hWnd && proxy && proxy->IsActivatingFromMinimize())
                sawActivationFromMinimize = true;
            break;
        }
        return CBCGPMDIChildWnd::WindowProc(message, wParam, lParam);
    }
};

class TaskbarProxy : public testing::Test {
protected:
    void SetUp() override
    {
        m_frame = new TestFrame;
        ASSERT_TRUE(m_frame->Create(nullptr, L"Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600)));
        m_frame->ShowWindow(SW_SHOWNORMAL);
        m_frame->EnableMDITabs(TRUE);
    }
    void TearDown() override
    {
        for (size_t i = 0; i < m_tabs.size(); ++i) {
            if (!m_deleted[i])
                m_tabs[i]->proxy->DestroyWindow();
        }
        m_frame->DestroyWindow();
    }

    TestTab* AddTab(const RECT& rect)
    {
        auto* tab = new TestTab;
        EXPECT_TRUE(tab->Create(nullptr, L"Tab", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, rect, m_frame));
        m_deleted.push_back(false);
        tab->proxy = new RecordingProxy(tab, &m_deleted.back());
        EXPECT_TRUE(tab->proxy->Create(L"Tab proxy", m_icon));
        m_tabs.push_back(tab);
        return tab;
    }

    TestFrame* m_frame = nullptr;
    std::vector<TestTab*> m_tabs;
    std::deque<bool> m_deleted;
    HICON m_icon = ::LoadIconW(nullptr, IDI_APPLICATION);
};

TEST_F(TaskbarProxy, ThumbnailsFitEachRequest)
{
    TestTab* tab = AddTab(CRect(0, 0, 300, 150));  // 2:1 and inside the client
    struct Case { WORD width, height; SIZE expected; };
    // Captured to fit 400 x 400 (400 x 200), then reduced to the request.
    const Case cases[] = {
        {200, 100, {200, 100}}, {100, 100, {100, 50}}, {800, 800, {400, 200}}, {40, 300, {40, 20}},
    };
    for (const Case& c : cases) {
        tab->proxy->SendMessage(WM_DWMSENDICONICTHUMBNAIL, 0, MAKELPARAM(c.height, c.width));
        ASSERT_FALSE(tab->proxy->thumbnailSizes.empty());
        EXPECT_EQ(tab->proxy->thumbnailSizes.back().cx, c.expected.cx) << c.width << "x" << c.height;
        EXPECT_EQ(tab->proxy->thumbnailSizes.back().cy, c.expected.cy) << c.width << "x" << c.height;
        // The middle shows the tab's client, alpha 0.
        EXPECT_EQ(tab->proxy->thumbnailCentre.back(), 0x2090E0u) << std::hex << tab->proxy->thumbnailCentre.back();
    }
}

TEST_F(TaskbarProxy, FirstThumbnailWhileMinimizedIsTheIcon)
{
    TestTab* tab = AddTab(CRect(0, 0, 300, 300));
    m_frame->ShowWindow(SW_MINIMIZE);
    tab->proxy->SendMessage(WM_DWMSENDICONICTHUMBNAIL, 0, MAKELPARAM(200, 200));
    ASSERT_EQ(tab->proxy->thumbnailSizes.size(), 1u);
    EXPECT_EQ(tab->proxy->thumbnailSizes[0].cx, 48);
    EXPECT_EQ(tab->proxy->thumbnailSizes[0].cy, 48);
    EXPECT_NE(tab->proxy->thumbnailCentre[0], 0x2090E0u);
    // A smaller request reduces the icon.
    tab->proxy->SendMessage(WM_DWMSENDICONICTHUMBNAIL, 0, MAKELPARAM(24, 32));
    EXPECT_EQ(tab->proxy->thumbnailSizes[1].cx, 24);
    EXPECT_EQ(tab->proxy->thumbnailSizes[1].cy, 24);
}

TEST_F(TaskbarProxy, PreviewIsTheVisiblePartAtItsPlace)
{
    TestTab* tab = AddTab(CRect(-100, 20, 200, 220));  // partly left of the client
    tab->proxy->SendMessage(WM_DWMSENDICONICLIVEPREVIEWBITMAP);
    ASSERT_EQ(tab->proxy->previewSizes.size(), 1u);
    RECT window = {};
    ::GetWindowRect(tab->m_hWnd, &window);
    EXPECT_EQ(tab->proxy->previewSizes[0].cx, window.right - window.left - 100);
    EXPECT_EQ(tab->proxy->previewSizes[0].cy, window.bottom - window.top);
    // The visible part starts at the client's left edge.
    POINT expected = {0, 0};
    ::ClientToScreen(m_frame->m_hWndMDIClient, &expected);
    ::ScreenToClient(m_frame->m_hWnd, &expected);
    EXPECT_EQ(tab->proxy->previewOffsets[0].x, expected.x);
    EXPECT_EQ(tab->proxy->previewOffsets[0].y, expected.y + 20);
    EXPECT_EQ(tab->proxy->previewCentre[0], 0x2090E0u) << std::hex << tab->proxy->previewCentre[0];

    m_frame->ShowWindow(SW_MINIMIZE);
    tab->proxy->SendMessage(WM_DWMSENDICONICLIVEPREVIEWBITMAP);
    ASSERT_EQ(tab->proxy->previewSizes.size(), 2u);
    EXPECT_EQ(tab->proxy->previewSizes[1].cx, 1);
    EXPECT_EQ(tab->proxy->previewSizes[1].cy, 1);
    EXPECT_EQ(tab->proxy->previewCentre[1], 0xFF000000u);
}

TEST_F(TaskbarProxy, ActivationReachesTheTab)
{
    TestTab* first = AddTab(CRect(0, 0, 200, 200));
    TestTab* second = AddTab(CRect(50, 50, 250, 250));
    ASSERT_EQ(m_frame->MDIGetActive(), second);
    first->proxy->SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(m_frame->MDIGetActive(), first);
    EXPECT_FALSE(first->sawActivationFromMinimize);

    m_frame->ShowWindow(SW_MINIMIZE);
    second->proxy->SendMessage(WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_FALSE(::IsIconic(m_frame->m_hWnd));
    EXPECT_EQ(m_frame->MDIGetActive(), second);
    EXPECT_TRUE(second->sawActivationFromMinimize);
    EXPECT_FALSE(second->proxy->IsActivatingFromMinimize());

    first->proxy->SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(m_frame->MDIGetActive(), second);
}

TEST_F(TaskbarProxy, CloseReachesTheTabUnlessTheFrameIsDisabledAndTheProxyGoesWithItsWindow)
{
    TestTab* tab = AddTab(CRect(0, 0, 200, 200));
    m_frame->EnableWindow(FALSE);
    tab->proxy->SendMessage(WM_CLOSE);
    EXPECT_TRUE(tab->received.messages.empty());
    EXPECT_TRUE(::IsWindow(tab->proxy->m_hWnd));
    m_frame->EnableWindow(TRUE);
    tab->proxy->SendMessage(WM_CLOSE);
    EXPECT_EQ(tab->received.messages, std::vector<UINT>{WM_CLOSE});
    EXPECT_TRUE(::IsWindow(tab->proxy->m_hWnd));
    EXPECT_FALSE(m_deleted[0]);
    tab->proxy->DestroyWindow();
    EXPECT_TRUE(m_deleted[0]);
}

TEST_F(TaskbarProxy, SystemCommandsGoToTheFrameAndWithoutTabsToTheTab)
{
    TestTab* first = AddTab(CRect(0, 0, 200, 200));
    AddTab(CRect(50, 50, 250, 250));
    struct Case { bool tabs; WPARAM command; bool activates; };
    const Case cases[] = {
        {true, SC_MINIMIZE, false}, {true, SC_MAXIMIZE | 2, true}, {false, SC_RESTORE, true},
        {false, SC_MINIMIZE, false}, {true, SC_MOVE, true}, {false, SC_SIZE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.command << (c.tabs ? " tabs" : " no tabs"));
        m_frame->EnableMDITabs(c.tabs);
        m_frame->MDIActivate(m_tabs[1]);
        m_frame->received.commands.clear();
        first->received.commands.clear();
        first->proxy->SendMessage(WM_SYSCOMMAND, c.command, 0);
        EXPECT_EQ(m_frame->received.commands, std::vector<WPARAM>{c.command});
        EXPECT_EQ(first->received.commands, c.tabs ? std::vector<WPARAM>{} : std::vector<WPARAM>{c.command});
        EXPECT_EQ(m_frame->MDIGetActive() == first, c.activates);
    }
    // Other commands are the proxy's own.
    m_frame->received.commands.clear();
    first->proxy->SendMessage(WM_SYSCOMMAND, SC_DEFAULT, 0);
    EXPECT_TRUE(m_frame->received.commands.empty());
}

// Records SetTabOrder; everything else succeeds and does nothing.
class RecordingTaskbar : public ITaskbarList3 {
public:
    std::vector<HWND> order;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG, ULONGLONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND tab, HWND before) override
    {
        EXPECT_EQ(before, nullptr);
        order.push_back(tab);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }
};

TEST_F(TaskbarProxy, TheActiveTabOfAGroupIsItsActiveDocument)
{
    TestTab* a = AddTab(CRect(0, 0, 100, 100));
    TestTab* b = AddTab(CRect(0, 0, 100, 100));
    TestTab* c = AddTab(CRect(0, 0, 100, 100));
    AddTab(CRect(0, 0, 100, 100));
    const auto firstGroup = [&] {
        POSITION first = m_frame->GetMDITabGroups().GetHeadPosition();
        return static_cast<CBCGPTabWnd*>(m_frame->GetMDITabGroups().GetNext(first));
    };
    EXPECT_EQ(firstGroup()->GetActiveTab(), 3);  // the newest document is active
    m_frame->MDIActivate(b);
    EXPECT_EQ(firstGroup()->GetActiveTab(), 1);
    ASSERT_TRUE(m_frame->MDITabNewGroup());  // groups: [a, c, d] [b]
    m_frame->MDIActivate(c);
    EXPECT_EQ(firstGroup()->GetActiveTab(), 1);
    m_frame->EnableMDITabs(TRUE);  // one group again: [a, b, c, d]
    EXPECT_EQ(firstGroup()->GetActiveTab(), 2);
    a->proxy->DestroyWindow();
    a->DestroyWindow();  // a tab before the active one closes: [b, c, d]
    EXPECT_EQ(firstGroup()->GetActiveTab(), 1);
}

TEST_F(TaskbarProxy, TabOrderFollowsGroupsAndTabs)
{
    TestTab* a = AddTab(CRect(0, 0, 100, 100));
    TestTab* b = AddTab(CRect(0, 0, 100, 100));
    auto* plain = new CBCGPMDIChildWnd;  // no proxy: skipped
    ASSERT_TRUE(plain->Create(nullptr, L"Plain", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CRect(0, 0, 90, 90),
                              m_frame));
    TestTab* c = AddTab(CRect(0, 0, 100, 100));
    m_frame->MDIActivate(a);
    ASSERT_TRUE(m_frame->MDITabNewGroup());  // groups: [b, plain, c] [a]
    RecordingTaskbar taskbar;
    ZSetTaskbarTabOrder(m_frame, &taskbar);
    EXPECT_EQ(taskbar.order, (std::vector<HWND>{b->proxy->m_hWnd, c->proxy->m_hWnd, a->proxy->m_hWnd}));

    taskbar.order.clear();
    m_frame->EnableMDITabs(TRUE);  // one group again, in creation order
    ZSetTaskbarTabOrder(m_frame, &taskbar);
    EXPECT_EQ(taskbar.order, (std::vector<HWND>{a->proxy->m_hWnd, b->proxy->m_hWnd, c->proxy->m_hWnd}));

    taskbar.order.clear();
    ZSetTaskbarTabOrder(nullptr, &taskbar);
    ZSetTaskbarTabOrder(m_frame, nullptr);
    EXPECT_TRUE(taskbar.order.empty());
}

}  // namespace
