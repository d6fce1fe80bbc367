// ZTextViewLineQueue: lines handed from a worker thread to a text view.
//
// The worker pushes lines as they come; the first line pushed into an empty
// queue posts one wake-up message to the view's window, so a burst costs one
// message however many lines it holds. On that message the user-interface
// thread drains the whole queue into the view with one AppendLines call. The
// line slots keep their text capacity from batch to batch, so a steady stream
// allocates nothing once the slots have grown.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "foundation/TessaroApi.h"
#include "textview/ZTextViewBuffer.h"

class ZTextViewBase;

class TESSARO_API ZTextViewLineQueue {
public:
    // wakeMessage is posted to window (with no parameters) once per batch.
    ZTextViewLineQueue(HWND window, UINT wakeMessage);
    ZTextViewLineQueue(const ZTextViewLineQueue&) = delete;
    ZTextViewLineQueue& operator=(const ZTextViewLineQueue&) = delete;

    // Any thread. False when the wake-up could not be posted (the window is
    // gone or its queue is full); the line stays queued for the next drain.
    // While an earlier wake-up is on its way nothing is posted and the result
    // is true, so a host stops its workers before it destroys the window.
    bool Push(const wchar_t* text, size_t length, unsigned long long attribute = 0);
    // The window's thread: appends every queued line to view in one call and
    // returns how many there were.
    size_t DrainInto(ZTextViewBase& view);

private:
    HWND m_window;
    UINT m_wakeMessage;
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::vector<ZTextViewBuffer::LineInfo> m_filling;   // the worker's side, m_filled lines used
    size_t m_filled = 0;
    bool m_wakePosted = false;                          // a wake-up is on its way
    std::vector<ZTextViewBuffer::LineInfo> m_draining;  // the batch being appended
};
