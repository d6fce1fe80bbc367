#include "shell/ZMemoryMappedBuffer.h"

#include <cstring>
#include <stdexcept>

#include "settings/ZIpcLock.h"

void ZMemoryMappedBuffer::LockRelease::operator()(ZIpcLock* lock) const
{
    lock->Release();
}

ZMemoryMappedBuffer::ZMemoryMappedBuffer(const wchar_t* name, size_t size, bool create)
    : m_lock(new ZIpcLock(nullptr))
{
    m_lock->Lock();
    Map(name, size, create);
    m_lock->Unlock();
}

ZMemoryMappedBuffer::~ZMemoryMappedBuffer()
{
    Unmap();
}

void ZMemoryMappedBuffer::Map(const wchar_t* name, size_t size, bool create)
{
    bool isNew = false;
    if (create) {
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
        const unsigned long long bytes = size;
        m_section = ::CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE,
                                         static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes), name);
        isNew = m_section && ::GetLastError() != ERROR_ALREADY_EXISTS;
    } else {
        m_section = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
    }
    if (!m_section)
        return;
    m_view = static_cast<unsigned char*>(::MapViewOfFile(m_section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!m_view) {
        const DWORD error = ::GetLastError();
        Unmap();
        ::SetLastError(error);
        return;
    }
    MEMORY_BASIC_INFORMATION region = {};
    const size_t mapped = ::VirtualQuery(m_view, &region, sizeof(region)) ? region.RegionSize : 0;
    if (size != SIZE_MAX && mapped < size) {
        Unmap();
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return;
    }
    if (isNew)
        std::memset(m_view, 0, mapped);
    m_capacity = mapped;
    m_length = 0;
    ::SetLastError(ERROR_SUCCESS);
}

void ZMemoryMappedBuffer::Unmap()
{
    if (m_view)
        ::UnmapViewOfFile(m_view);
    if (m_section)
        ::CloseHandle(m_section);
    m_view = nullptr;
    m_section = nullptr;
    m_capacity = 0;
    m_length = 0;
}

void ZMemoryMappedBuffer::SetDataLength(size_t length)
{
    if (length > m_capacity)
        throw std::overflow_error("SetDataLength");
    m_length = length;
}

void* ZMemoryMappedBuffer::Append(const void* data, size_t length, size_t)
{
    if (!m_view || length > m_capacity - m_length) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nullptr;
    }
    unsigned char* at = m_view + m_length;
    if (data)
        std::memcpy(at, data, length);
    m_length += length;
    return at;
}
