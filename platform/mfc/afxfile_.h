// CFile and CStdioFile over Win32 file handles, and the exceptions they throw.
// As in the framework, Open reports failure by its result (and the optional
// CFileException), while failed reads and writes throw a CFileException*
// allocated with new; the catcher calls Delete().
#pragma once

#include "afxver_.h"

#include <cstdio>

class TESSARO_MFC_API CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() = default;
    // Frees an exception thrown with new.
    void Delete() { delete this; }
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const;
};

class TESSARO_MFC_API CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
        invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
        lockViolation, diskFull, endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCWSTR fileName = nullptr)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

    static int AFXAPI OsErrorToException(LONG osError);
    [[noreturn]] static void AFXAPI ThrowOsError(LONG osError, LPCWSTR fileName = nullptr);
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
    CStringW m_strFileName;
};

class TESSARO_MFC_API CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        shareCompat = 0x0000, shareExclusive = 0x0010, shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030, shareDenyNone = 0x0040, modeNoInherit = 0x0080,
        modeCreate = 0x1000, modeNoTruncate = 0x2000, typeText = 0x4000, typeBinary = 0x8000,
        osNoBuffer = 0x10000, osWriteThrough = 0x20000, osRandomAccess = 0x40000,
        osSequentialScan = 0x80000
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    CFile() = default;
    explicit CFile(HANDLE file) : m_hFile(file) {}
    // Throws a CFileException* when the file cannot be opened.
    CFile(LPCWSTR fileName, UINT openFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr);
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual void Flush();
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG newLength);
    virtual CStringW GetFilePath() const { return m_strFileName; }
    operator HANDLE() const { return m_hFile; }

    static const HANDLE hFileNull;

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

protected:
    BOOL m_bCloseOnDelete = FALSE;
    CStringW m_strFileName;
};

// A CFile read and written through the C runtime's buffered streams, in text
// mode (LF becomes CR LF on the way out) unless typeBinary is given.
class TESSARO_MFC_API CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile() = default;
    explicit CStdioFile(FILE* openStream);
    CStdioFile(LPCWSTR fileName, UINT openFlags);
    ~CStdioFile() override;

    BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
    void Close() override;
    void Abort() override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    void Flush() override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;

    // Writes the text as it is (no line break added); throws on failure.
    virtual void WriteString(LPCWSTR text);

    FILE* m_pStream = nullptr;
};
