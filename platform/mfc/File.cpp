#include "afx.h"

#include <fcntl.h>
#include <io.h>
#include <cerrno>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (buffer && maxChars > 0)
        *buffer = L'\0';
    return FALSE;
}

int AFXAPI CFileException::OsErrorToException(LONG osError)
{
    switch (osError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void AFXAPI CFileException::ThrowOsError(LONG osError, LPCWSTR fileName)
{
    throw new CFileException(OsErrorToException(osError), osError, fileName);
}

BOOL CFileException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (!buffer || maxChars == 0)
        return FALSE;
    *buffer = L'\0';
    if (m_lOsError <= 0)
        return FALSE;
    return ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                            static_cast<DWORD>(m_lOsError), 0, buffer, maxChars, nullptr) != 0;
}

CFile::CFile(LPCWSTR fileName, UINT openFlags)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        throw new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete)
        Abort();
}

BOOL CFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error)
{
    ASSERT(m_hFile == INVALID_HANDLE_VALUE);
    if (m_hFile != INVALID_HANDLE_VALUE || !fileName) {
        if (error)
            *error = CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, fileName);
        return FALSE;
    }
    m_strFileName = fileName;

    DWORD access = 0;
    switch (openFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default:
        if (error)
            *error = CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, fileName);
        return FALSE;
    }
    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;
    }
    DWORD creation = OPEN_EXISTING;
    if (openFlags & modeCreate)
        creation = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (openFlags & osNoBuffer) attributes |= FILE_FLAG_NO_BUFFERING;
    if (openFlags & osWriteThrough) attributes |= FILE_FLAG_WRITE_THROUGH;
    if (openFlags & osRandomAccess) attributes |= FILE_FLAG_RANDOM_ACCESS;
    if (openFlags & osSequentialScan) attributes |= FILE_FLAG_SEQUENTIAL_SCAN;

    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE file = ::CreateFileW(fileName, access, share, &security, creation, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const LONG osError = static_cast<LONG>(::GetLastError());
        if (error)
            *error = CFileException(CFileException::OsErrorToException(osError), osError, fileName);
        return FALSE;
    }
    m_hFile = file;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

void CFile::Close()
{
    BOOL ok = TRUE;
    if (m_hFile != INVALID_HANDLE_VALUE)
        ok = ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    if (!ok)
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (count == 0)
        return 0;
    DWORD read = 0;
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return read;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    DWORD written = 0;
    if (!::WriteFile(m_hFile, buffer, count, &written, nullptr))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    if (written != count)
        throw new CFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

void CFile::Flush()
{
    if (m_hFile != INVALID_HANDLE_VALUE && !::FlushFileBuffers(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, distance, &position, from))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG newLength)
{
    Seek(static_cast<LONGLONG>(newLength), begin);
    if (!::SetEndOfFile(m_hFile))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}

CStdioFile::CStdioFile(FILE* openStream) : m_pStream(openStream)
{
    if (m_pStream)
        m_hFile = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_pStream)));
}

CStdioFile::CStdioFile(LPCWSTR fileName, UINT openFlags)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        throw new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CStdioFile::~CStdioFile()
{
    if (m_pStream && m_bCloseOnDelete)
        Abort();
}

BOOL CStdioFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error)
{
    // The stream's mode string follows the open flags the way the framework
    // builds it: create or append or read, '+' where read and write mix.
    wchar_t mode[4] = {};
    int n = 0;
    if (openFlags & modeCreate)
        mode[n++] = (openFlags & modeNoTruncate) ? L'a' : L'w';
    else if (openFlags & modeWrite)
        mode[n++] = L'a';
    else
        mode[n++] = L'r';
    if ((mode[0] == L'r' && (openFlags & modeReadWrite)) || (mode[0] != L'r' && !(openFlags & modeWrite)))
        mode[n++] = L'+';
    int fdFlags = _O_RDONLY | _O_TEXT;
    if (openFlags & (modeWrite | modeReadWrite))
        fdFlags ^= _O_RDONLY;
    if (openFlags & typeBinary) {
        mode[n++] = L'b';
        fdFlags ^= _O_TEXT;
    } else {
        mode[n++] = L't';
    }
    if (mode[0] == L'a')
        fdFlags |= _O_APPEND;

    if (!CFile::Open(fileName, openFlags & ~static_cast<UINT>(typeText | typeBinary), error))
        return FALSE;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), fdFlags);
    if (fd == -1) {
        CFile::Abort();
        if (error)
            *error = CFileException(CFileException::tooManyOpenFiles, ERROR_TOO_MANY_OPEN_FILES, fileName);
        return FALSE;
    }
    m_pStream = _wfdopen(fd, mode);
    if (!m_pStream) {
        _close(fd);  // closes the handle too
        m_hFile = INVALID_HANDLE_VALUE;
        m_bCloseOnDelete = FALSE;
        if (error)
            *error = CFileException(CFileException::genericException, _doserrno, fileName);
        return FALSE;
    }
    return TRUE;
}

void CStdioFile::Close()
{
    int result = 0;
    if (m_pStream)
        result = fclose(m_pStream);  // closes the handle too
    m_pStream = nullptr;
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    if (result != 0)
        throw new CFileException(CFileException::genericException, _doserrno, m_strFileName);
}

void CStdioFile::Abort()
{
    if (m_pStream)
        fclose(m_pStream);
    m_pStream = nullptr;
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
}

UINT CStdioFile::Read(void* buffer, UINT count)
{
    if (count == 0)
        return 0;
    const size_t read = fread(buffer, 1, count, m_pStream);
    if (read == 0 && ferror(m_pStream)) {
        clearerr(m_pStream);
        throw new CFileException(CFileException::genericException, _doserrno, m_strFileName);
    }
    return static_cast<UINT>(read);
}

void CStdioFile::Write(const void* buffer, UINT count)
{
    if (count > 0 && fwrite(buffer, 1, count, m_pStream) != count) {
        clearerr(m_pStream);
        throw new CFileException(CFileException::genericException, _doserrno, m_strFileName);
    }
}

void CStdioFile::WriteString(LPCWSTR text)
{
    ASSERT(text != nullptr);
    if (!text || !m_pStream)
        throw new CFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    if (fputws(text, m_pStream) == WEOF) {
        clearerr(m_pStream);
        throw new CFileException(CFileException::genericException, _doserrno, m_strFileName);
    }
}

void CStdioFile::Flush()
{
    if (m_pStream && fflush(m_pStream) != 0)
        throw new CFileException(CFileException::diskFull, _doserrno, m_strFileName);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from)
{
    const int origin = from == begin ? SEEK_SET : (from == current ? SEEK_CUR : SEEK_END);
    if (_fseeki64(m_pStream, offset, origin) != 0)
        throw new CFileException(CFileException::badSeek, _doserrno, m_strFileName);
    return static_cast<ULONGLONG>(_ftelli64(m_pStream));
}

ULONGLONG CStdioFile::GetPosition() const
{
    const __int64 position = _ftelli64(m_pStream);
    if (position < 0)
        throw new CFileException(CFileException::invalidFile, _doserrno, m_strFileName);
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CStdioFile::GetLength() const
{
    const __int64 position = _ftelli64(m_pStream);
    if (position < 0 || _fseeki64(m_pStream, 0, SEEK_END) != 0)
        throw new CFileException(CFileException::badSeek, _doserrno, m_strFileName);
    const __int64 length = _ftelli64(m_pStream);
    _fseeki64(m_pStream, position, SEEK_SET);
    return static_cast<ULONGLONG>(length);
}
