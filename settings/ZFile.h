// ZFile: a thin owner of a Windows file handle. Opens retry long paths with the
// "\\?\" prefix, reads and writes go to explicit offsets, regions can be locked,
// the whole file can be mapped read-only, and unique temporary files are made
// on request. Every operation returns false on failure and leaves the
// platform's error code (GetLastError) as the failing call set it; reading at
// the end of the file is success with 0 bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZFile {
public:
    ZFile();
    virtual ~ZFile();
    ZFile(const ZFile&) = delete;
    ZFile& operator=(const ZFile&) = delete;

    // CreateFileW with this object's share mode, security descriptor and
    // flags. Closes whatever this object held before.
    virtual bool Open(const wchar_t* path, DWORD access, DWORD disposition);
    virtual bool Open(const ZString& path, DWORD access, DWORD disposition);
    // Empties the file; the file pointer stays where it was.
    virtual bool Truncate();
    // method: FILE_BEGIN, FILE_CURRENT or FILE_END.
    virtual bool Seek(int64_t offset, DWORD method);
    virtual int64_t GetPosition();

    void Close();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_hFile; }
    // The path as the caller gave it to the last successful open.
    const ZUnicodeString& GetPath() const { return m_path; }

    // -1 when the size cannot be read.
    int64_t GetSize() const;
    bool Read(void* buffer, DWORD count, int64_t offset, DWORD& read);
    bool Write(const void* buffer, DWORD count, int64_t offset, DWORD& written);
    bool Write(const void* buffer, DWORD count, DWORD& written);
    // Waits until the region is granted.
    bool Lock(int64_t offset, int64_t length, bool exclusive);
    bool Unlock(int64_t offset, int64_t length);

    // Opens the file for reading and maps all of it. An empty file opens with
    // no view (GetMappedView() is null) and counts as success. On failure the
    // file is closed.
    bool MapReadOnly(const wchar_t* path);
    // Maps all of the file this object holds open, as MapReadOnly does.
    bool MapOpenFile();
    const void* GetMappedView() const { return m_view; }
    // The bytes the view holds: the file's size when it was mapped, which is
    // also the mapping's size, so a file changed afterwards is never read
    // past its view.
    uint64_t GetMappedSize() const { return m_viewSize; }

    // Creates and opens a new file "<folder>\<prefix><hex>.tmp" (folder null:
    // the system's temporary folder). unique 0 tries 1, 2, ... until a name is
    // free; otherwise only that number is tried. name receives the last name
    // tried, also on failure. A prefix holding a separator or a colon fails
    // with ERROR_INVALID_NAME before any name is tried.
    bool CreateTempFile(const wchar_t* folder, const wchar_t* prefix, UINT unique, ZUnicodeString& name);

    void SetShareMode(DWORD shareMode) { m_shareMode = shareMode; }
    DWORD GetShareMode() const { return m_shareMode; }
    void SetFlagsAndAttributes(DWORD flags) { m_flagsAndAttributes = flags; }
    DWORD GetFlagsAndAttributes() const { return m_flagsAndAttributes; }
    // Every later open passes a copy of this descriptor (null: the default
    // security). False when the descriptor is not valid.
    bool SetSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor);

protected:
    // The one place that creates the handle; tests replace it to stand in for
    // platform failures that cannot be provoked (a path that is too long).
    virtual HANDLE OpenHandle(const wchar_t* path, DWORD access, DWORD disposition, SECURITY_ATTRIBUTES* security);

private:
    class SecurityDescriptor;

    HANDLE m_hFile;
    ZUnicodeString m_path;
    DWORD m_shareMode;
    DWORD m_flagsAndAttributes;
    std::unique_ptr<SecurityDescriptor> m_security;
    const void* m_view;
    uint64_t m_viewSize = 0;
};
