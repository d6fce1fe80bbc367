#include "tests/support/GuardedBuffer.h"

#include <cstring>
#include <stdexcept>

#include <windows.h>

namespace TestSupport {

size_t GuardedBuffer::PageSize()
{
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return info.dwPageSize;
}

GuardedBuffer::GuardedBuffer(const void* data, size_t size, Guard guard)
{
    Allocate(size, guard);
    if (size) std::memcpy(m_data, data, size);
}

GuardedBuffer::GuardedBuffer(size_t size, Guard guard)
{
    Allocate(size, guard);  // fresh pages are zero
}

GuardedBuffer::~GuardedBuffer()
{
    ::VirtualFree(m_region, 0, MEM_RELEASE);
}

void GuardedBuffer::Allocate(size_t size, Guard guard)
{
    const size_t page = PageSize();
    const size_t dataPages = (size + page - 1) / page;
    auto* region = static_cast<unsigned char*>(
        ::VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!region)
        throw std::runtime_error("GuardedBuffer: VirtualAlloc failed");
    unsigned char* guardPage = guard == Guard::End ? region + dataPages * page : region;
    DWORD previous = 0;
    if (!::VirtualProtect(guardPage, page, PAGE_NOACCESS, &previous)) {
        ::VirtualFree(region, 0, MEM_RELEASE);
        throw std::runtime_error("GuardedBuffer: VirtualProtect failed");
    }
    m_region = region;
    m_size = size;
    m_guard = guardPage;
    // With size 0 even the first byte faults.
    m_data = size == 0 ? guardPage : guard == Guard::End ? guardPage - size : guardPage + page;
}

bool GuardedBuffer::IsNoAccess(const void* address)
{
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(address, &info, sizeof info) != sizeof info) return false;
    return info.State == MEM_COMMIT && info.Protect == PAGE_NOACCESS;
}

}  // namespace TestSupport
