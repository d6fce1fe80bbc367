// Plug-ins: child dialogs of this library that a host places inside one of its
// own option pages.
//
//   IUpdateData        what the host asks of a page when the options are saved
//   IHostnameChanged   how a plug-in tells the host that a host name changed
//   ZPluginDialog      the base of every plug-in
#pragma once

#include "controls/ZDialog.h"
#include "foundation/TessaroApi.h"

class TESSARO_API IUpdateData {
public:
    // Validates and stores the page's values; false keeps the page open.
    virtual bool SavePageData() = 0;

protected:
    ~IUpdateData() = default;
};

class TESSARO_API IHostnameChanged {
public:
    virtual void OnHostnameChanged(const wchar_t* hostname) = 0;

protected:
    ~IHostnameChanged() = default;
};

class TESSARO_API ZPluginDialog : public ZDialog, public IUpdateData {
    DECLARE_DYNAMIC(ZPluginDialog)
public:
    ZPluginDialog(UINT templateId, HINSTANCE module, CWnd* parent);

    virtual BOOL OnSetActive() { return TRUE; }
    virtual void OnKillActive() {}
    // UpdateData(TRUE): a refused value has been shown to the user.
    bool SavePageData() override;
    // Not owned; null for none.
    void SetHostnameChangedSink(IHostnameChanged* sink) { m_hostnameChanged = sink; }
    UINT GetTemplateId() const { return m_pluginTemplateId; }

protected:
    IHostnameChanged* GetHostnameChangedSink() const { return m_hostnameChanged; }

private:
    UINT m_pluginTemplateId;
    IHostnameChanged* m_hostnameChanged = nullptr;
};
