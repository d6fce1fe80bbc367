// The window a dialog or report is modal to. Made on a thread of the framework
// it starts with that thread's main window; asked for its parent it gives the
// parent's active pop-up when one is open, so a box never hides behind it.
#pragma once

#include "foundation/TessaroApi.h"

class CWnd;

class TESSARO_API IParentable {
public:
    virtual CWnd* GetParentWindow() const = 0;
    virtual void SetParentWindow(CWnd* parent) = 0;
    virtual ~IParentable() = default;
};

class TESSARO_API ZParentable : public IParentable {
public:
    ZParentable();

    // Null when no parent is set; else the parent's last active pop-up (the
    // parent itself when it has none).
    CWnd* GetParentWindow() const override;
    void SetParentWindow(CWnd* parent) override;
    ~ZParentable() override = default;

protected:
    ZParentable(const ZParentable& other) = default;
    ZParentable& operator=(const ZParentable& other) = default;

private:
    CWnd* m_pParentWnd;
};
