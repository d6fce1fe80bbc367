// ZMemoryMappedBuffer: a named shared-memory section seen as an IBuffer, the
// carrier of a command line handed to a running instance.
//
// Created (backed by the paging file) or opened by name, then mapped whole. The
// buffer is usable only when the section is at least `size` bytes (SIZE_MAX:
// any size); otherwise it holds nothing and the last error is
// ERROR_INSUFFICIENT_BUFFER, or the platform's error of a failed create, open
// or map. The capacity is the mapped size, which the platform rounds up to
// whole pages; the data length starts at 0. A section this object creates is
// zero-filled; one it merely opens keeps the bytes another process put there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "foundation/TessaroApi.h"
#include "net/IBuffer.h"

class ZIpcLock;

class TESSARO_API ZMemoryMappedBuffer : public ZUnknown<IBuffer> {
public:
    ZMemoryMappedBuffer(const wchar_t* name, size_t size, bool create);
    ~ZMemoryMappedBuffer() override;
    ZMemoryMappedBuffer(const ZMemoryMappedBuffer&) = delete;
    ZMemoryMappedBuffer& operator=(const ZMemoryMappedBuffer&) = delete;

    bool IsMapped() const { return m_view != nullptr; }

    const unsigned char* GetData() const override { return m_view; }
    unsigned char* GetData() override { return m_view; }
    size_t GetCapacity() const override { return m_capacity; }
    size_t GetDataLength() const override { return m_length; }
    void SetDataLength(size_t length) override;
    // Never grows: bytes beyond the capacity give null and ERROR_INSUFFICIENT_BUFFER.
    void* Append(const void* data, size_t length, size_t reserve) override;

private:
    void Map(const wchar_t* name, size_t size, bool create);
    void Unmap();

    HANDLE m_section = nullptr;
    struct LockRelease {
        void operator()(ZIpcLock* lock) const;
    };
    std::unique_ptr<ZIpcLock, LockRelease> m_lock;
    unsigned char* m_view = nullptr;
    size_t m_capacity = 0;
    size_t m_length = 0;  // never above m_capacity
};
