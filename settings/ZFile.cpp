#include "settings/ZFile.h"

#include <cwchar>
#include <vector>

namespace {

constexpr DWORD kLastTempCounter = 0xFFFFFFFE;

OVERLAPPED OverlappedAt(int64_t offset)
{
    OVERLAPPED overlapped = {};
    overlapped.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
    overlapped.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    return overlapped;
}

DWORD LowPart(int64_t value) { return static_cast<DWORD>(static_cast<uint64_t>(value) & 0xFFFFFFFFu); }
DWORD HighPart(int64_t value) { return static_cast<DWORD>(static_cast<uint64_t>(value) >> 32); }

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The "\\?\" form of a path that was too long or not found as given, or an
// empty string when the path has no such form: only absolute drive paths and
// UNC paths are retried, and only when they reach beyond their root.
ZUnicodeString LongPathForm(const wchar_t* path)
{
    const size_t length = std::wcslen(path);
    if (length < 4 || std::wcsncmp(path, L"\\\\?\\", 4) == 0)
        return ZUnicodeString();
    if (path[0] == L'\\' && path[1] == L'\\')
        return ZUnicodeString(L"\\\\?\\UNC\\") + (path + 2);
    if (IsAsciiLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return ZUnicodeString(L"\\\\?\\") + path;
    return ZUnicodeString();
}

}  // namespace

// A self-relative copy of the caller's descriptor, so that the caller may free
// the original at once.
class ZFile::SecurityDescriptor {
public:
    static std::unique_ptr<SecurityDescriptor> CopyOf(PSECURITY_DESCRIPTOR source)
    {
        if (!::IsValidSecurityDescriptor(source)) {
            ::SetLastError(ERROR_INVALID_SECURITY_DESCR);
            return nullptr;
        }
        auto copy = std::unique_ptr<SecurityDescriptor>(new SecurityDescriptor);
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        if (!::GetSecurityDescriptorControl(source, &control, &revision))
            return nullptr;
        if (control & SE_SELF_RELATIVE) {
            const DWORD size = ::GetSecurityDescriptorLength(source);
            copy->m_bytes.assign(static_cast<const BYTE*>(source), static_cast<const BYTE*>(source) + size);
            return copy;
        }
        DWORD size = 0;
        ::MakeSelfRelativeSD(source, nullptr, &size);
        if (size == 0)
            return nullptr;
        copy->m_bytes.resize(size);
        if (!::MakeSelfRelativeSD(source, copy->m_bytes.data(), &size))
            return nullptr;
        return copy;
    }

    PSECURITY_DESCRIPTOR Get() { return m_bytes.data(); }

private:
    SecurityDescriptor() = default;
    std::vector<BYTE> m_bytes;
};

ZFile::ZFile()
    : m_hFile(INVALID_HANDLE_VALUE),
      m_shareMode(0),
      m_flagsAndAttributes(FILE_ATTRIBUTE_NORMAL),
      m_view(nullptr)
{
}

ZFile::~ZFile()
{
    Close();
}

void ZFile::Close()
{
    if (m_view) {
        ::UnmapViewOfFile(m_view);
        m_view = nullptr;
    }
    m_viewSize = 0;
    if (m_hFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

HANDLE ZFile::OpenHandle(const wchar_t* path, DWORD access, DWORD disposition, SECURITY_ATTRIBUTES* security)
{
    return ::CreateFileW(path, access, m_shareMode, security, disposition, m_flagsAndAttributes, nullptr);
}

bool ZFile::Open(const wchar_t* path, DWORD access, DWORD disposition)
{
    Close();
    m_path.clear();
    if (!path) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof(attributes);
    attributes.bInheritHandle = FALSE;
    attributes.lpSecurityDescriptor = m_security ? m_security->Get() : nullptr;

    HANDLE handle = OpenHandle(path, access, disposition, &attributes);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILENAME_EXCED_RANGE && error != ERROR_PATH_NOT_FOUND)
            return false;
        const ZUnicodeString longPath = LongPathForm(path);
        if (longPath.empty()) {
            ::SetLastError(error);
            return false;
        }
        handle = OpenHandle(longPath.c_str(), access, disposition, &attributes);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
    }
    const DWORD openError = ::GetLastError();  // 183 tells OPEN_ALWAYS/CREATE_ALWAYS callers the file existed
    m_hFile = handle;
    m_path = path;
    ::SetLastError(openError);
    return true;
}

bool ZFile::Open(const ZString& path, DWORD access, DWORD disposition)
{
    const ZUnicodeString widePath(path);
    return Open(widePath.c_str(), access, disposition);
}

bool ZFile::Truncate()
{
    const int64_t position = GetPosition();
    if (position < 0)
        return false;
    if (!ZFile::Seek(0, FILE_BEGIN))
        return false;
    if (!::SetEndOfFile(m_hFile))
        return false;
    return ZFile::Seek(position, FILE_BEGIN);
}

bool ZFile::Seek(int64_t offset, DWORD method)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return ::SetFilePointerEx(m_hFile, distance, nullptr, method) != FALSE;
}

int64_t ZFile::GetPosition()
{
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position = {};
    if (!::SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT))
        return -1;
    return position.QuadPart;
}

int64_t ZFile::GetSize() const
{
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(m_hFile, &size))
        return -1;
    return size.QuadPart;
}

bool ZFile::Read(void* buffer, DWORD count, int64_t offset, DWORD& read)
{
    read = 0;
    OVERLAPPED overlapped = OverlappedAt(offset);
    if (::ReadFile(m_hFile, buffer, count, &read, &overlapped))
        return true;
    if (::GetLastError() == ERROR_HANDLE_EOF) {
        read = 0;
        return true;
    }
    return false;
}

bool ZFile::Write(const void* buffer, DWORD count, int64_t offset, DWORD& written)
{
    written = 0;
    OVERLAPPED overlapped = OverlappedAt(offset);
    return ::WriteFile(m_hFile, buffer, count, &written, &overlapped) != FALSE;
}

bool ZFile::Write(const void* buffer, DWORD count, DWORD& written)
{
    written = 0;
    return ::WriteFile(m_hFile, buffer, count, &written, nullptr) != FALSE;
}

bool ZFile::Lock(int64_t offset, int64_t length, bool exclusive)
{
    OVERLAPPED overlapped = OverlappedAt(offset);
    const DWORD flags = exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    return ::LockFileEx(m_hFile, flags, 0, LowPart(length), HighPart(length), &overlapped) != FALSE;
}

bool ZFile::Unlock(int64_t offset, int64_t length)
{
    OVERLAPPED overlapped = OverlappedAt(offset);
    return ::UnlockFileEx(m_hFile, 0, LowPart(length), HighPart(length), &overlapped) != FALSE;
}

bool ZFile::MapReadOnly(const wchar_t* path)
{
    return ZFile::Open(path, GENERIC_READ, OPEN_EXISTING) && MapOpenFile();
}

bool ZFile::MapOpenFile()
{
    if (m_view) {
        ::UnmapViewOfFile(m_view);
        m_view = nullptr;
    }
    m_viewSize = 0;
    const int64_t size = GetSize();
    if (size == 0)
        return true;  // nothing to map; the platform refuses empty mappings
    // The mapping is made exactly as large as the size read: a file that
    // shrank since fails here instead of leaving a view shorter than the size.
    const uint64_t length = static_cast<uint64_t>(size);
    HANDLE mapping = size > 0 ? ::CreateFileMappingW(m_hFile, nullptr, PAGE_READONLY, static_cast<DWORD>(length >> 32),
                                                     static_cast<DWORD>(length), nullptr)
                              : nullptr;
    if (mapping) {
        m_view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        const DWORD error = ::GetLastError();
        ::CloseHandle(mapping);  // the view keeps the section alive
        ::SetLastError(error);
    }
    if (m_view) {
        m_viewSize = static_cast<uint64_t>(size);
        return true;
    }
    // A failure leaves nothing open, as a failed Open does.
    const DWORD error = ::GetLastError();
    Close();
    ::SetLastError(error);
    return false;
}

bool ZFile::CreateTempFile(const wchar_t* folder, const wchar_t* prefix, UINT unique, ZUnicodeString& name)
{
    // The prefix is part of one file name: it may not lead out of the folder.
    if (prefix && std::wcspbrk(prefix, L"\\/:")) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    ZUnicodeString base;
    if (folder) {
        base = folder;
    } else {
        wchar_t tempPath[MAX_PATH + 1] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, tempPath);
        if (length == 0 || length > MAX_PATH) {
            if (length > MAX_PATH)
                ::SetLastError(ERROR_BUFFER_OVERFLOW);
            return false;
        }
        base = tempPath;
    }
    if (!base.empty() && base[base.length() - 1] != L'\\')
        base += L'\\';
    if (prefix)
        base += prefix;

    auto tryCreate = [&](UINT number) {
        if (!name.Format(L"%1%2!X!.tmp", base.c_str(), number))
            return false;
        return Open(name.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    };

    if (unique != 0)
        return tryCreate(unique);
    for (DWORD counter = 1;; ++counter) {
        if (tryCreate(counter))
            return true;
        if (::GetLastError() != ERROR_FILE_EXISTS || counter >= kLastTempCounter)
            return false;
    }
}

bool ZFile::SetSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor)
{
    if (!descriptor) {
        m_security.reset();
        return true;
    }
    std::unique_ptr<SecurityDescriptor> copy = SecurityDescriptor::CopyOf(descriptor);
    if (!copy)
        return false;
    m_security = std::move(copy);
    return true;
}
