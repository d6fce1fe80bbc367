// ZGlobalTextBlock: owns a block of global memory holding UTF-16 text, the
// form the clipboard takes. The block is freed unless Release hands it on, so
// no early return or exception can leak it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

class ZGlobalTextBlock {
public:
    // A zero-filled block of characters UTF-16 units (the terminator included);
    // empty when the platform has no memory for it.
    explicit ZGlobalTextBlock(size_t characters)
        : m_block(characters <= static_cast<size_t>(-1) / sizeof(wchar_t)
                      ? ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, characters * sizeof(wchar_t))
                      : nullptr)
    {
    }
    // Adopts a block made elsewhere.
    static ZGlobalTextBlock Adopt(HGLOBAL block) { return ZGlobalTextBlock(block); }

    ~ZGlobalTextBlock()
    {
        if (m_block)
            ::GlobalFree(m_block);
    }
    ZGlobalTextBlock(ZGlobalTextBlock&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
    ZGlobalTextBlock(const ZGlobalTextBlock&) = delete;
    ZGlobalTextBlock& operator=(const ZGlobalTextBlock&) = delete;
    ZGlobalTextBlock& operator=(ZGlobalTextBlock&&) = delete;

    explicit operator bool() const { return m_block != nullptr; }
    HGLOBAL Get() const { return m_block; }
    // Hands the block to whoever frees it from now on.
    HGLOBAL Release() { return std::exchange(m_block, nullptr); }

    // The characters while the lock lives; null when the block cannot be locked.
    class Lock {
    public:
        explicit Lock(const ZGlobalTextBlock& owner)
            : m_block(owner.m_block), m_text(m_block ? static_cast<wchar_t*>(::GlobalLock(m_block)) : nullptr)
        {
        }
        ~Lock()
        {
            if (m_text)
                ::GlobalUnlock(m_block);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        wchar_t* Text() const { return m_text; }

    private:
        HGLOBAL m_block;
        wchar_t* m_text;
    };

private:
    explicit ZGlobalTextBlock(HGLOBAL block) : m_block(block) {}
    HGLOBAL m_block;
};
