#include "textview/ZTextViewLineQueue.h"

#include <utility>

#include "textview/ZTextViewBase.h"

namespace {

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

}  // namespace

ZTextViewLineQueue::ZTextViewLineQueue(HWND window, UINT wakeMessage) : m_window(window), m_wakeMessage(wakeMessage) {}

bool ZTextViewLineQueue::Push(const wchar_t* text, size_t length, unsigned long long attribute)
{
    bool wake = false;
    {
        ExclusiveLock lock(m_lock);
        if (m_filled == m_filling.size())
            m_filling.emplace_back();
        ZTextViewBuffer::LineInfo& line = m_filling[m_filled++];
        line.text.assign(text, text + length);
        line.attribute = attribute;
        wake = !std::exchange(m_wakePosted, true);
    }
    if (!wake || ::PostMessageW(m_window, m_wakeMessage, 0, 0))
        return true;
    ExclusiveLock lock(m_lock);
    m_wakePosted = false;  // the next push tries again
    return false;
}

size_t ZTextViewLineQueue::DrainInto(ZTextViewBase& view)
{
    size_t count = 0;
    {
        ExclusiveLock lock(m_lock);
        std::swap(m_filling, m_draining);
        count = std::exchange(m_filled, 0);
        m_wakePosted = false;
    }
    if (count)
        view.AppendLines(m_draining.data(), count);
    return count;
}
