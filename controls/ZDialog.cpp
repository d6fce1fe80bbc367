#include "controls/ZDialog.h"

#include "foundation/ZModuleResourceHandle.h"
#include "net/ZNotificationSink.h"

namespace {

// Modal ZDialog loops running on this thread.
thread_local int t_modalDepth = 0;

constexpr UINT kEndDialogMessage = WM_USER;
const LPCWSTR kDialogInitType = MAKEINTRESOURCEW(240);  // RT_DLGINIT

// Enters and leaves one modal level, whatever way DoModal ends.
class ModalLevel {
public:
    ModalLevel() { ++t_modalDepth; }
    ~ModalLevel() { --t_modalDepth; }
    ModalLevel(const ModalLevel&) = delete;
    ModalLevel& operator=(const ModalLevel&) = delete;
};

// Menus, drags and captures end before the dialog takes the input.
void CancelModes(CWnd* parent)
{
    if (HWND window = parent->GetSafeHwnd(); window && ::IsWindow(window)) {
        ::SendMessageW(window, WM_CANCELMODE, 0, 0);
        parent->SendMessageToDescendants(WM_CANCELMODE, 0, 0, TRUE);
    }
    if (HWND capture = ::GetCapture())
        ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
}

}  // namespace

// Carries EndDialog requests from any thread to the dialog's thread.
class ZDialogPrivate : public ZNotificationSink {
public:
    explicit ZDialogPrivate(ZDialog& dialog) : m_dialog(dialog) {}

    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == kEndDialogMessage)
            m_dialog.EndDialogOnOwnThread(static_cast<int>(wParam));
        return 0;
    }

    // The resource module the host had when DoModal began.
    HINSTANCE hostResources = nullptr;

private:
    ZDialog& m_dialog;
};

IMPLEMENT_DYNAMIC(ZDialog, CDialog)

BEGIN_MESSAGE_MAP(ZDialog, CDialog)
    ON_WM_GETMINMAXINFO()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

ZDialog::ZDialog(UINT templateId, HINSTANCE module, CWnd* parent) : ZDialog(templateId, module, false, parent) {}

ZDialog::ZDialog(UINT templateId, HINSTANCE module, bool deferLoad, CWnd* parent)
    : CDialog(templateId, parent), m_module(module), m_private(std::make_unique<ZDialogPrivate>(*this))
{
    m_private->Create();
    if (!deferLoad)
        LoadResource(templateId, module, parent);
}

ZDialog::~ZDialog()
{
    // The sink goes first, so that no late request reaches a half-destroyed dialog.
    m_private.reset();
    if (m_templateResource)
        ::FreeResource(m_templateResource);
    if (m_initDataResource)
        ::FreeResource(m_initDataResource);
}

bool ZDialog::LoadResource(UINT templateId, HINSTANCE module, CWnd* parent)
{
    ZModuleResourceHandle scope(module);
    m_module = module;
    m_lpszTemplateName = MAKEINTRESOURCEW(templateId);
    const HINSTANCE holder = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    const HRSRC found = ::FindResourceW(holder, m_lpszTemplateName, RT_DIALOG);
    const HGLOBAL loaded = found ? ::LoadResource(holder, found) : nullptr;
    void* dialogTemplate = loaded ? ::LockResource(loaded) : nullptr;
    if (!dialogTemplate)
        return false;
    m_templateResource = loaded;

    void* initData = nullptr;
    if (const HRSRC init = ::FindResourceW(holder, m_lpszTemplateName, kDialogInitType)) {
        m_initDataResource = ::LoadResource(holder, init);
        initData = m_initDataResource ? ::LockResource(m_initDataResource) : nullptr;
    }
    InitModalIndirect(static_cast<LPCDLGTEMPLATEW>(dialogTemplate), parent, initData);
    // Prepared from memory: the template name no longer says where it came from.
    m_lpszTemplateName = nullptr;
    m_templateId = templateId;
    return true;
}

BOOL ZDialog::Create()
{
    return Create(m_templateId, m_pParentWnd);
}

BOOL ZDialog::Create(UINT templateId, CWnd* parent)
{
    ZModuleResourceHandle scope(m_module);
    m_private->Create();
    if ((!m_lpDialogTemplate || templateId != m_templateId) && !LoadResource(templateId, m_module, parent))
        return FALSE;
    return CreateIndirect(m_lpDialogTemplate, parent, m_lpDialogInit);
}

INT_PTR ZDialog::DoModal()
{
    if (t_modalDepth >= kMaxModalDepth)
        return IDCANCEL;
    ModalLevel level;
    // Requests from other threads reach the thread that runs the loop.
    m_private->Create();
    if (m_pParentWnd)
        CancelModes(m_pParentWnd);
    else if (HWND capture = ::GetCapture())
        ::SendMessageW(capture, WM_CANCELMODE, 0, 0);
    // Making the dialog uses this dialog's module; the loop gives the host's
    // back (RunModalLoop), so that the host's timers and windows running in it
    // find their own resources.
    m_private->hostResources = AfxGetResourceHandle();
    ZModuleResourceHandle scope(m_module);
    return CDialog::DoModal();
}

int ZDialog::RunModalLoop()
{
    ZModuleResourceHandle host(m_private->hostResources ? m_private->hostResources : AfxGetResourceHandle());
    return CDialog::RunModalLoop();
}

void ZDialog::EndDialog(int result)
{
    m_private->PostNotification(kEndDialogMessage, static_cast<WPARAM>(result), 0);
}

void ZDialog::EndDialogOnOwnThread(int result)
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        CDialog::EndDialog(result);
}

int ZDialog::GetModalDepth()
{
    return t_modalDepth;
}

BOOL ZDialog::OnInitDynamicLayoutDialog(UINT layoutId, const WINDOWPLACEMENT* placement, bool sizeOnly)
{
    m_dynamicLayout = true;
    const BOOL result = CDialog::OnInitDialog();
    if (!result)
        return result;

    RECT window = {};
    GetWindowRect(&window);
    m_minWidth = window.right - window.left;
    m_minHeight = window.bottom - window.top;
    if (!LoadDynamicLayoutResource(layoutId))
        ModifyStyle(WS_THICKFRAME, DS_MODALFRAME, SWP_FRAMECHANGED);

    if (placement) {
        if (!sizeOnly) {
            SetWindowPlacement(placement);
        } else {
            const RECT& normal = placement->rcNormalPosition;
            const int width = normal.right - normal.left;
            const int height = normal.bottom - normal.top;
            if (width >= 1 && height >= 1)
                SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return result;
}

void ZDialog::OnGetMinMaxInfo(MINMAXINFO* info)
{
    Default();
    if (m_dynamicLayout && m_minWidth > 0 && m_minHeight > 0) {
        info->ptMinTrackSize.x = m_minWidth;
        info->ptMinTrackSize.y = m_minHeight;
    }
}

void ZDialog::OnDestroy()
{
    if (m_dynamicLayout) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (GetWindowPlacement(&placement))
            SaveDynamicLayoutDialogPlacement(&placement);
    }
    Default();
}

void ZDialog::SaveDynamicLayoutDialogPlacement(const WINDOWPLACEMENT*) {}

void ZDialog::ResizeElements(int controlId, const ZArray<int>& followers, const ZUnicodeString& text)
{
    CWnd* control = GetDlgItem(controlId);
    if (!control)
        return;
    RECT old = {};
    control->GetWindowRect(&old);
    ScreenToClient(&old);

    RECT needed = old;
    {
        const HWND controlWindow = control->GetSafeHwnd();
        const HDC dc = ::GetDC(controlWindow);
        if (!dc)
            return;
        const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(controlWindow, WM_GETFONT, 0, 0));
        const HGDIOBJ previous = font ? ::SelectObject(dc, font) : nullptr;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &needed, DT_CALCRECT | DT_WORDBREAK);
        if (previous)
            ::SelectObject(dc, previous);
        ::ReleaseDC(controlWindow, dc);
    }
    const int delta = (needed.bottom - needed.top) - (old.bottom - old.top);
    if (delta == 0)
        return;

    control->SetWindowPos(nullptr, 0, 0, old.right - old.left, needed.bottom - needed.top,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (size_t i = 0; i < followers.GetCount(); ++i) {
        CWnd* follower = GetDlgItem(followers[i]);
        if (!follower)
            continue;
        RECT place = {};
        follower->GetWindowRect(&place);
        ScreenToClient(&place);
        follower->SetWindowPos(nullptr, place.left, place.top + delta, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT dialog = {};
    GetWindowRect(&dialog);
    SetWindowPos(nullptr, 0, 0, dialog.right - dialog.left, dialog.bottom - dialog.top + delta,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
