#include "net/ZBasicBuffer.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {

ZBasicBuffer::FreeHook g_freeHook = nullptr;

}  // namespace

ZBasicBuffer::ZBasicBuffer(size_t initialCapacity, bool wipe) : m_wipe(wipe)
{
    if (initialCapacity)
        Grow(initialCapacity);
}

ZBasicBuffer::~ZBasicBuffer()
{
    FreeStorage();
}

void ZBasicBuffer::SetDataLength(size_t length)
{
    if (length > m_capacity)
        throw std::overflow_error("SetDataLength");
    m_length = length;
}

void* ZBasicBuffer::Append(const void* data, size_t length, size_t reserve)
{
    const unsigned char* source = static_cast<const unsigned char*>(data);
    const size_t free = m_capacity - m_length;
    const bool fits = length ? length <= free : reserve <= free;
    if (!fits) {
        if (length > SIZE_MAX - m_length || reserve > SIZE_MAX - m_length - length)
            throw std::bad_alloc();
        // Bytes taken from this buffer itself must be found again in the new block.
        const bool ownBytes = source && m_data && source >= m_data && source < m_data + m_capacity;
        const size_t sourceOffset = ownBytes ? static_cast<size_t>(source - m_data) : 0;
        Grow(m_length + length + reserve);
        if (ownBytes)
            source = m_data + sourceOffset;
    }
    unsigned char* at = m_data + m_length;
    if (length) {
        if (source)
            std::memmove(at, source, length);
        else
            std::memset(at, 0, length);  // the caller may send it before filling all of it
    }
    m_length += length;
    return at;
}

void* ZBasicBuffer::AppendWide(const wchar_t* text, size_t count, size_t reserve)
{
    if (count > SIZE_MAX / sizeof(wchar_t))
        throw std::bad_alloc();
    return Append(static_cast<const void*>(text), count * sizeof(wchar_t), reserve);
}

void* ZBasicBuffer::Append(const char* data, size_t length, size_t reserve)
{
    return Append(static_cast<const void*>(data), length, reserve);
}

void* ZBasicBuffer::AppendText(const char* text)
{
    return Append(static_cast<const void*>(text), text ? std::strlen(text) : 0, 0);
}

void ZBasicBuffer::Grow(size_t capacity)
{
    // Zero-filled, so that reserved space never shows what the heap held before.
    unsigned char* grown = new unsigned char[capacity]();
    if (m_length)
        std::memcpy(grown, m_data, m_length);
    FreeStorage();
    m_data = grown;
    m_capacity = capacity;
}

void ZBasicBuffer::FreeStorage() noexcept
{
    if (!m_data)
        return;
    if (m_wipe)
        ::SecureZeroMemory(m_data, m_capacity);
    if (FreeHook hook = g_freeHook)
        hook(m_data, m_capacity);
    delete[] m_data;
    m_data = nullptr;
    m_capacity = 0;
}

ZBasicBuffer::FreeHook ZBasicBuffer::SetFreeHook(FreeHook hook)
{
    FreeHook previous = g_freeHook;
    g_freeHook = hook;
    return previous;
}
