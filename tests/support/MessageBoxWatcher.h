// Watches the message boxes that the calling thread shows, records what each
// looked like and closes it by pressing a chosen button, so that tests can show
// real boxes without a person. Needs a display (DISPLAY tests).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace TestSupport {

struct ShownMessageBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr;       // null when the box shows no icon
    std::vector<int> buttons;   // IDOK, IDYES, ... in id order
    int cursorCount = 0;        // the cursor's display count while the box was up

    bool HasButton(int id) const;
};

class MessageBoxWatcher {
public:
    // Closes each box with reply (IDOK, IDNO, ...) that opens while the watcher
    // lives; windows open before it are left alone. One watcher per thread.
    explicit MessageBoxWatcher(int reply = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    const std::vector<ShownMessageBox>& Boxes() const { return m_boxes; }
    bool Hooked() const { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void Record(HWND box);

    HHOOK m_hook = nullptr;
    int m_reply;
    std::vector<ShownMessageBox> m_boxes;
    std::vector<HWND> m_seen;
};

// The system's icon for an MB_ICON... value (shared handles, as message boxes use).
HICON SystemIconFor(UINT iconType);

}  // namespace TestSupport
