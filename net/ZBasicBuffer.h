// ZBasicBuffer: a growable heap IBuffer.
//
// Growth is exact (no doubling): a block grows to the old length plus what is
// appended plus the caller's reserve. With wipe set every block is zeroed over its
// whole capacity before it is freed, on growth and on destruction, so the bytes
// leave no copies in freed memory. Space handed out before it is written (a
// reserve, Append without data) is zero, never leftover heap contents.
#pragma once

#include <cstddef>

#include "foundation/TessaroApi.h"
#include "net/IBuffer.h"

class TESSARO_API ZBasicBuffer : public ZUnknown<IBuffer> {
public:
    explicit ZBasicBuffer(size_t initialCapacity = 0, bool wipe = false);
    ZBasicBuffer(const ZBasicBuffer&) = delete;
    ZBasicBuffer& operator=(const ZBasicBuffer&) = delete;

    const unsigned char* GetData() const override { return m_data; }
    unsigned char* GetData() override { return m_data; }
    size_t GetCapacity() const override { return m_capacity; }
    size_t GetDataLength() const override { return m_length; }
    void SetDataLength(size_t length) override;
    void* Append(const void* data, size_t length, size_t reserve) override;

    // Wipes from now on, the block it holds included; wiping stays on.
    void SetWipe() { m_wipe = true; }

    ~ZBasicBuffer() override;

    // Appends the UTF-16 units as they are (2 bytes each).
    virtual void* AppendWide(const wchar_t* text, size_t count, size_t reserve);
    virtual void* Append(const char* data, size_t length, size_t reserve);
    // Appends the text without its terminating NUL.
    virtual void* AppendText(const char* text);

    // Append(nullptr, 0, n) reserves n bytes; without this the two pointer forms
    // would make that call ambiguous.
    void* Append(std::nullptr_t, size_t length, size_t reserve)
    {
        return Append(static_cast<const void*>(nullptr), length, reserve);
    }

    // Test hook: called with each storage block and its capacity just before
    // it is freed, after any wipe. Returns the previous hook.
    using FreeHook = void (*)(const void* block, size_t bytes);
    static FreeHook SetFreeHook(FreeHook hook);

private:
    // The packet's integer puts and gets read and raise these fields directly
    // while a value fits the buffer under its cursor.
    friend class ZPacket;

    void Grow(size_t capacity);
    void FreeStorage() noexcept;

    unsigned char* m_data = nullptr;  // null while the capacity is 0
    size_t m_capacity = 0;
    size_t m_length = 0;              // never above m_capacity
    bool m_wipe = false;
};
