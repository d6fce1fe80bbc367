// Keeps a copy of every block the string allocator and the byte buffers free
// while it lives, so that a test can ask whether a secret was left behind in
// freed memory. One watch at a time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace TestSupport {

class FreedMemoryWatch {
public:
    FreedMemoryWatch();
    ~FreedMemoryWatch();
    FreedMemoryWatch(const FreedMemoryWatch&) = delete;
    FreedMemoryWatch& operator=(const FreedMemoryWatch&) = delete;

    size_t BlocksFreed() const { return s_blocks.size(); }
    // The freed blocks' bytes, in the order they were freed.
    const std::vector<std::string>& Blocks() const { return s_blocks; }
    bool Holds(std::string_view bytes) const
    {
        return std::any_of(s_blocks.begin(), s_blocks.end(),
                           [bytes](const std::string& block) { return block.find(bytes) != std::string::npos; });
    }
    // Whether any freed block holds the text as UTF-16 or as single bytes
    // (its ASCII form, the same in UTF-8 and the ANSI code pages).
    bool HoldsText(std::wstring_view asciiText) const;

private:
    using Hook = void (*)(const void*, size_t);
    static void Record(const void* block, size_t size) { s_blocks.emplace_back(static_cast<const char*>(block), size); }

    static inline std::vector<std::string> s_blocks;
    Hook m_previousStringHook;
    Hook m_previousBufferHook;
};

}  // namespace TestSupport
