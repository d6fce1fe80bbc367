// WipedBytes (internal): a byte buffer for secrets (private keys, PKCS #12
// bytes), zeroed before its memory is given back.
#pragma once

#include <windows.h>

#include <vector>

namespace Tessaro {

class WipedBytes {
public:
    explicit WipedBytes(size_t size) : m_bytes(size) {}
    ~WipedBytes() { ::SecureZeroMemory(m_bytes.data(), m_bytes.size()); }
    WipedBytes(const WipedBytes&) = delete;
    WipedBytes& operator=(const WipedBytes&) = delete;

    BYTE* data() { return m_bytes.data(); }
    size_t size() const { return m_bytes.size(); }

private:
    std::vector<BYTE> m_bytes;
};

}  // namespace Tessaro
