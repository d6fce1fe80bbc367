// A copy of some bytes placed against a no-access page, so that a reader that
// goes one byte too far faults at once instead of passing unseen:
//   TestSupport::GuardedBuffer input(bytes);       Parse(input.Data(), input.Size());
//   TestSupport::GuardedBuffer output(64);         64 zero bytes, writable
// Guard::End (the default) puts the last byte just before the guard page;
// Guard::Start puts the first byte just after one. With size 0, Data() points
// at the guard page itself, a valid pointer to no readable bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace TestSupport {

class GuardedBuffer {
public:
    enum class Guard { End, Start };

    GuardedBuffer(const void* data, size_t size, Guard guard = Guard::End);
    explicit GuardedBuffer(size_t size, Guard guard = Guard::End);  // zero-filled
    explicit GuardedBuffer(const std::vector<unsigned char>& bytes, Guard guard = Guard::End)
        : GuardedBuffer(bytes.data(), bytes.size(), guard) {}
    explicit GuardedBuffer(const std::string& bytes, Guard guard = Guard::End)
        : GuardedBuffer(bytes.data(), bytes.size(), guard) {}
    explicit GuardedBuffer(const std::wstring& units, Guard guard = Guard::End)
        : GuardedBuffer(units.data(), units.size() * sizeof(wchar_t), guard) {}
    ~GuardedBuffer();

    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    unsigned char* Data() { return m_data; }
    const unsigned char* Data() const { return m_data; }
    size_t Size() const { return m_size; }

    // The bytes as another type; with Guard::End the size should be a multiple of
    // sizeof(T), so that the last element ends at the guard.
    template <class T> T* DataAs() { return reinterpret_cast<T*>(m_data); }
    template <class T> const T* DataAs() const { return reinterpret_cast<const T*>(m_data); }

    const void* GuardPage() const { return m_guard; }

    // True when the page holding `address` is committed with PAGE_NOACCESS.
    static bool IsNoAccess(const void* address);

    static size_t PageSize();

private:
    void Allocate(size_t size, Guard guard);

    void* m_region = nullptr;        // the whole reservation, released as one
    unsigned char* m_data = nullptr;
    size_t m_size = 0;
    const void* m_guard = nullptr;
};

}  // namespace TestSupport
