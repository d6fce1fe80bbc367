#include "tests/support/FreedMemoryWatch.h"

#include <algorithm>
#include <string>

#include "foundation/ZStringBlock.h"
#include "net/ZBasicBuffer.h"

namespace TestSupport {
namespace {

std::vector<std::string> g_freedBlocks;

void Record(const void* block, size_t bytes)
{
    g_freedBlocks.emplace_back(static_cast<const char*>(block), bytes);
}

}  // namespace

FreedMemoryWatch::FreedMemoryWatch()
{
    g_freedBlocks.clear();
    m_previousStringHook = Tessaro::StringBlock::SetFreeHook(Record);
    m_previousBufferHook = ZBasicBuffer::SetFreeHook(Record);
}

FreedMemoryWatch::~FreedMemoryWatch()
{
    Tessaro::StringBlock::SetFreeHook(m_previousStringHook);
    ZBasicBuffer::SetFreeHook(m_previousBufferHook);
    g_freedBlocks.clear();
}

size_t FreedMemoryWatch::BlocksFreed() const
{
    return g_freedBlocks.size();
}

const std::vector<std::string>& FreedMemoryWatch::Blocks() const
{
    return g_freedBlocks;
}

bool FreedMemoryWatch::Holds(std::string_view bytes) const
{
    return std::any_of(g_freedBlocks.begin(), g_freedBlocks.end(),
                       [bytes](const std::string& block) { return block.find(bytes) != std::string::npos; });
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
