// ITaskbarProxyOwner: implemented by a host's document window that has a
// taskbar proxy (HiddenTabWindow); ZSetTaskbarTabOrder asks it for the proxy.
#pragma once

#include <windows.h>

class ITaskbarProxyOwner {
public:
    virtual HWND GetProxyWindow() = 0;

protected:
    ~ITaskbarProxyOwner() = default;
};
