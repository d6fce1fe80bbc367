#include "afx.h"

#include <cstdlib>
#include <cstring>
#include <limits>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT growBytes) : m_nGrowBytes(growBytes)
{
}

CMemFile::CMemFile(BYTE* buffer, UINT size, UINT growBytes) : m_nGrowBytes(growBytes)
{
    Attach(buffer, size, growBytes);
}

CMemFile::~CMemFile()
{
    FreeMemory();
}

void CMemFile::FreeMemory()
{
    if (m_lpBuffer && m_bAutoDelete)
        std::free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
}

void CMemFile::Attach(BYTE* buffer, UINT size, UINT growBytes)
{
    FreeMemory();
    m_lpBuffer = buffer;
    m_nBufferSize = buffer ? size : 0;
    // The buffer's bytes are the file's contents; writes past them need room
    // the caller's buffer does not have, so they fail.
    m_nFileSize = buffer ? size : 0;
    m_nGrowBytes = growBytes;
    m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach()
{
    BYTE* buffer = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    m_bAutoDelete = TRUE;
    return buffer;
}

BOOL CMemFile::Open(LPCWSTR, UINT, CFileException* error)
{
    // A memory file has no name to open.
    if (error)
        *error = CFileException(CFileException::genericException, ERROR_NOT_SUPPORTED);
    return FALSE;
}

void CMemFile::Close()
{
    FreeMemory();
}

void CMemFile::Abort()
{
    FreeMemory();
}

void CMemFile::GrowFile(SIZE_T newLength)
{
    if (newLength <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0 || (m_lpBuffer && !m_bAutoDelete))
        AfxThrowMemoryException();  // the caller's fixed buffer is full
    const SIZE_T steps = newLength / m_nGrowBytes + (newLength % m_nGrowBytes ? 1 : 0);
    if (steps > std::numeric_limits<SIZE_T>::max() / m_nGrowBytes)
        AfxThrowMemoryException();
    const SIZE_T newSize = steps * m_nGrowBytes;
    BYTE* grown = static_cast<BYTE*>(std::realloc(m_lpBuffer, newSize));
    if (!grown)
        AfxThrowMemoryException();
    m_lpBuffer = grown;
    m_nBufferSize = newSize;
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (count == 0 || m_nPosition >= m_nFileSize)
        return 0;
    const SIZE_T available = m_nFileSize - m_nPosition;
    const UINT read = available < count ? static_cast<UINT>(available) : count;
    std::memcpy(buffer, m_lpBuffer + m_nPosition, read);
    m_nPosition += read;
    return read;
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    if (m_nPosition > std::numeric_limits<SIZE_T>::max() - count)
        AfxThrowMemoryException();
    const SIZE_T end = m_nPosition + count;
    GrowFile(end);
    std::memcpy(m_lpBuffer + m_nPosition, buffer, count);
    m_nPosition = end;
    if (end > m_nFileSize)
        m_nFileSize = end;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from)
{
    LONGLONG base = 0;
    switch (from) {
    case begin: base = 0; break;
    case current: base = static_cast<LONGLONG>(m_nPosition); break;
    case end: base = static_cast<LONGLONG>(m_nFileSize); break;
    default: CFileException::ThrowOsError(ERROR_INVALID_PARAMETER);
    }
    const LONGLONG target = base + offset;
    if (target < 0)
        throw new CFileException(CFileException::badSeek, ERROR_NEGATIVE_SEEK);
    // Seeking past the end is allowed; the gap is filled when written.
    m_nPosition = static_cast<SIZE_T>(target);
    if (m_nPosition > m_nFileSize && m_nPosition > m_nBufferSize)
        GrowFile(m_nPosition);
    if (m_nPosition > m_nFileSize) {
        std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
        m_nFileSize = m_nPosition;
    }
    return m_nPosition;
}

void CMemFile::SetLength(ULONGLONG newLength)
{
    if (newLength > std::numeric_limits<SIZE_T>::max())
        AfxThrowMemoryException();
    const SIZE_T length = static_cast<SIZE_T>(newLength);
    GrowFile(length);
    if (length > m_nFileSize)
        std::memset(m_lpBuffer + m_nFileSize, 0, length - m_nFileSize);
    m_nFileSize = length;
    if (m_nPosition > length)
        m_nPosition = length;
}
