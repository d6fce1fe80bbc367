// ZDialog: the base of the library's dialogs and of dialogs in the hosts.
//
// On top of CDialog it loads its template from a chosen module, refuses modal
// nesting beyond 24 levels on one thread, closes menus and captures before it
// goes modal, can be ended from any thread, and supports resizable dialogs with
// a minimum size and a saved placement, and growing a text control to fit its
// text while the controls below it move.
#pragma once

#include <afxwin.h>

#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"

class ZDialogPrivate;

class TESSARO_API ZDialog : public CDialog {
    DECLARE_DYNAMIC(ZDialog)
public:
    // Modal dialogs nested deeper than this on one thread are refused.
    static constexpr int kMaxModalDepth = 24;

    ZDialog(UINT templateId, HINSTANCE module, CWnd* parent = nullptr);
    // With deferLoad the derived class calls LoadResource itself.
    ZDialog(UINT templateId, HINSTANCE module, bool deferLoad, CWnd* parent = nullptr);
    ~ZDialog() override;

    // Finds the template (and its initialisation data) with module as the
    // framework's resource module and prepares the modal dialog from it. False
    // when there is no such template: DoModal then fails as any CDialog does.
    bool LoadResource(UINT templateId, HINSTANCE module, CWnd* parent);

    // Modeless, from the template and parent given at construction, or these.
    BOOL Create();
    BOOL Create(UINT templateId, CWnd* parent = nullptr) override;

    // IDCANCEL at once, showing nothing, when the thread already runs
    // kMaxModalDepth modal ZDialogs.
    INT_PTR DoModal() override;
    // Runs under the resource module the host had before DoModal.
    int RunModalLoop() override;
    // Safe from any thread: the result travels to the dialog's own thread.
    void EndDialog(int result);

    // For a derived OnInitDialog: runs the base initialisation, makes the
    // initial size the minimum, loads the layout (none: the dialog cannot be
    // resized) and applies a saved placement (sizeOnly: only the size of its
    // normal rectangle, and only when both sides are at least 1).
    BOOL OnInitDynamicLayoutDialog(UINT layoutId, const WINDOWPLACEMENT* placement, bool sizeOnly);

    // Grows or shrinks control controlId to the height text needs at its
    // current width in its font, moves each follower by the same amount and
    // changes the dialog's height to match. The caller sets the text.
    void ResizeElements(int controlId, const ZArray<int>& followers, const ZUnicodeString& text);

    // Called with the placement when a dynamic-layout dialog is destroyed; a
    // derived dialog keeps it where it likes.
    virtual void SaveDynamicLayoutDialogPlacement(const WINDOWPLACEMENT* placement);

    // The recorded minimum size; zero before a dynamic-layout dialog initialised.
    SIZE GetMinimumSize() const { return SIZE{m_minWidth, m_minHeight}; }
    // How many ZDialog modal loops run on the calling thread.
    static int GetModalDepth();

protected:
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // A named template would bypass the module given at construction.
    using CDialog::Create;
    friend class ZDialogPrivate;
    void EndDialogOnOwnThread(int result);

    HGLOBAL m_templateResource = nullptr;
    HGLOBAL m_initDataResource = nullptr;
    HINSTANCE m_module = nullptr;
    UINT m_templateId = 0;
    std::unique_ptr<ZDialogPrivate> m_private;
    bool m_dynamicLayout = false;
    int m_minWidth = 0;
    int m_minHeight = 0;
};
