#include "tests/support/FreedMemoryWatch.h"

#include "foundation/ZStringBlock.h"
#include "net/ZBasicBuffer.h"

namespace TestSupport {

FreedMemoryWatch::FreedMemoryWatch()
{
    s_blocks.clear();
    m_previousStringHook = Tessaro::StringBlock::SetFreeHook(Record);
    m_previousBufferHook = ZBasicBuffer::SetFreeHook(Record);
}

FreedMemoryWatch::~FreedMemoryWatch()
{
    Tessaro::StringBlock::SetFreeHook(m_previousStringHook);
    ZBasicBuffer::SetFreeHook(m_previousBufferHook);
    s_blocks.clear();
}

bool FreedMemoryWatch::HoldsText(std::wstring_view asciiText) const
{
    std::string narrow, wide;
    for (wchar_t c : asciiText) {
        narrow += static_cast<char>(c);
        wide += static_cast<char>(c & 0xFF);
        wide += static_cast<char>(c >> 8);
    }
    return Holds(narrow) || Holds(wide);
}

}  // namespace TestSupport
