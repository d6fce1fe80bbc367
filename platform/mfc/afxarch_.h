// Serialisation: CArchive over a CFile, the in-memory CMemFile, and the two
// exceptions they throw besides CFileException.
//
// Exceptions are thrown as pointers allocated with new, as the framework does;
// the catcher calls Delete(). A load that runs past the end of the data, meets
// an unknown class or a class of another schema throws a CArchiveException*;
// memory that cannot be had throws a CMemoryException*.
//
// The byte format is the framework's: little-endian numbers, counts as a WORD
// (0xFFFF escapes to a DWORD), strings as a length prefix with the UTF-16
// marker, objects as class and object tags (new class: 0xFFFF, schema, name).
#pragma once

#include "afxver_.h"

#include <map>
#include <vector>

class TESSARO_MFC_API CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException() = default;
};

class TESSARO_MFC_API CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema
    };

    explicit CArchiveException(int cause = none, LPCWSTR archiveName = nullptr)
        : m_cause(cause), m_strFileName(archiveName) {}

    int m_cause;
    CStringW m_strFileName;
};

[[noreturn]] TESSARO_MFC_API void AFXAPI AfxThrowMemoryException();
[[noreturn]] TESSARO_MFC_API void AFXAPI AfxThrowArchiveException(int cause, LPCWSTR archiveName = nullptr);

class TESSARO_MFC_API CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    // bufferSize: bytes kept between the caller and the file (at least 128).
    // buffer: the caller's own memory of that size, or null to allocate one.
    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    // Closes the archive unless bNoFlushOnDelete was given; a failure there is
    // swallowed (a destructor must not throw), so callers that care call Close.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    // Storing: writes what is buffered to the file.
    void Flush();
    // Flushes a storing archive and detaches it from the file.
    void Close();
    // Detaches without flushing or throwing.
    void Abort();

    // Loading: returns the bytes read, fewer only at the end of the file.
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);

    // Loading: throws CArchiveException::endOfFile unless count more bytes
    // remain, so a corrupt length is refused before anything is allocated.
    void EnsureAvailable(ULONGLONG count);

    void WriteCount(DWORD_PTR count);
    DWORD_PTR ReadCount();

    void WriteString(LPCWSTR text);
    void WriteObject(const CObject* object);
    // Null for a null reference. requested (if given) must be a base of the
    // class read, else CArchiveException::badClass.
    CObject* ReadObject(const CRuntimeClass* requested);
    void WriteClass(const CRuntimeClass* classInfo);
    CRuntimeClass* ReadClass(const CRuntimeClass* requested = nullptr, UINT* schema = nullptr);

    CArchive& operator<<(BYTE value) { return WriteValue(value); }
    CArchive& operator<<(WORD value) { return WriteValue(value); }
    CArchive& operator<<(LONG value) { return WriteValue(value); }
    CArchive& operator<<(DWORD value) { return WriteValue(value); }
    CArchive& operator<<(int value) { return WriteValue(value); }
    CArchive& operator<<(unsigned int value) { return WriteValue(value); }
    CArchive& operator<<(short value) { return WriteValue(value); }
    CArchive& operator<<(char value) { return WriteValue(value); }
    CArchive& operator<<(wchar_t value) { return WriteValue(value); }
    CArchive& operator<<(bool value) { return WriteValue(static_cast<BYTE>(value ? 1 : 0)); }
    CArchive& operator<<(float value) { return WriteValue(value); }
    CArchive& operator<<(double value) { return WriteValue(value); }
    CArchive& operator<<(LONGLONG value) { return WriteValue(value); }
    CArchive& operator<<(ULONGLONG value) { return WriteValue(value); }
    CArchive& operator<<(const CStringW& text);
    CArchive& operator<<(const CObject* object) { WriteObject(object); return *this; }
    CArchive& operator<<(POINT point) { return *this << point.x << point.y; }
    CArchive& operator<<(SIZE size) { return *this << size.cx << size.cy; }
    CArchive& operator<<(const RECT& rect) { return *this << rect.left << rect.top << rect.right << rect.bottom; }

    CArchive& operator>>(BYTE& value) { return ReadValue(value); }
    CArchive& operator>>(WORD& value) { return ReadValue(value); }
    CArchive& operator>>(LONG& value) { return ReadValue(value); }
    CArchive& operator>>(DWORD& value) { return ReadValue(value); }
    CArchive& operator>>(int& value) { return ReadValue(value); }
    CArchive& operator>>(unsigned int& value) { return ReadValue(value); }
    CArchive& operator>>(short& value) { return ReadValue(value); }
    CArchive& operator>>(char& value) { return ReadValue(value); }
    CArchive& operator>>(wchar_t& value) { return ReadValue(value); }
    CArchive& operator>>(bool& value);
    CArchive& operator>>(float& value) { return ReadValue(value); }
    CArchive& operator>>(double& value) { return ReadValue(value); }
    CArchive& operator>>(LONGLONG& value) { return ReadValue(value); }
    CArchive& operator>>(ULONGLONG& value) { return ReadValue(value); }
    CArchive& operator>>(CStringW& text);
    CArchive& operator>>(CObject*& object) { object = ReadObject(nullptr); return *this; }
    CArchive& operator>>(POINT& point) { return *this >> point.x >> point.y; }
    CArchive& operator>>(SIZE& size) { return *this >> size.cx >> size.cy; }
    CArchive& operator>>(RECT& rect) { return *this >> rect.left >> rect.top >> rect.right >> rect.bottom; }

private:
    template <class T>
    CArchive& WriteValue(T value)
    {
        Write(&value, sizeof(value));
        return *this;
    }
    template <class T>
    CArchive& ReadValue(T& value)
    {
        T read;
        ReadExactly(&read, sizeof(read));
        value = read;
        return *this;
    }
    void ReadExactly(void* buffer, UINT count);
    CRuntimeClass* LoadClassAfterTag(WORD tag, DWORD index, UINT* schema);
    void FillBuffer();
    void CheckLoading() const;
    void CheckStoring() const;

    // What a loaded tag refers to: a class or an object, by map index.
    struct LoadedEntry {
        const void* pointer;
        bool isClass;
    };

    CFile* m_pFile;
    UINT m_nMode;
    UINT m_nBufSize;
    BYTE* m_lpBufStart;
    BYTE* m_lpBufCur;
    BYTE* m_lpBufMax;  // storing: end of the buffer; loading: end of the bytes read
    bool m_bUserBuf;
    bool m_bEndOfFile = false;  // loading: the file has no more bytes
    // Storing: index of every class and object written; loading: the same by index.
    std::map<const void*, DWORD> m_storeMap;
    std::vector<LoadedEntry> m_loadArray;
};

// A CFile in memory. Grown in steps of growBytes by realloc; a file made over
// the caller's buffer with growBytes 0 cannot grow and throws a
// CMemoryException* when written past its end.
class TESSARO_MFC_API CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT growBytes = 1024);
    CMemFile(BYTE* buffer, UINT size, UINT growBytes = 0);
    ~CMemFile() override;

    // Takes buffer as the file's contents (the file does not free it).
    void Attach(BYTE* buffer, UINT size, UINT growBytes = 0);
    // Gives up the memory: the caller frees it with free(). The file is empty afterwards.
    BYTE* Detach();

    BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
    void Close() override;
    void Abort() override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    void Flush() override {}
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override { return m_nPosition; }
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void SetLength(ULONGLONG newLength) override;
    CStringW GetFilePath() const override { return CStringW(); }

protected:
    void GrowFile(SIZE_T newLength);
    void FreeMemory();

    UINT m_nGrowBytes;
    SIZE_T m_nPosition = 0;
    SIZE_T m_nBufferSize = 0;
    SIZE_T m_nFileSize = 0;
    BYTE* m_lpBuffer = nullptr;
    BOOL m_bAutoDelete = TRUE;
};

// Serialisable classes: creatable by name when loaded, with a schema number
// that must match between writer and reader.
#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name) \
    friend CArchive& AFXAPI operator>>(CArchive& ar, class_name*& object);

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema) \
    CObject* AFXAPI class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject) \
    CArchive& AFXAPI operator>>(CArchive& ar, class_name*& object) \
    { \
        object = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name))); \
        return ar; \
    }
