#include "net/ZCriticalSection.h"

namespace {

// Short waits spin before they sleep: the library's sections guard a few
// pointer moves at a time.
constexpr DWORD kSpinCount = 4000;

}  // namespace

ZCriticalSection::ZCriticalSection()
{
    // Cannot fail since Windows Vista, so there is no result to check.
    ::InitializeCriticalSectionAndSpinCount(&m_section, kSpinCount);
}

ZCriticalSection::~ZCriticalSection()
{
    ::DeleteCriticalSection(&m_section);
}

void ZCriticalSection::Lock()
{
    ::EnterCriticalSection(&m_section);
}

void ZCriticalSection::Unlock()
{
    ::LeaveCriticalSection(&m_section);
}
