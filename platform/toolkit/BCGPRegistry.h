// CBCGPRegistry: the toolkit's store of typed values under one key. The toolkit
// makes one object per key through CBCGPRegistrySP, which creates the run-time
// class a host registered, so a host can put its own store in place of the
// registry by deriving from this class.
//
// This implementation keeps values in the registry, under HKEY_CURRENT_USER
// (HKEY_LOCAL_MACHINE for admin objects). Values other than numbers, strings
// and bytes (rectangles, points, doubles, arrays, lists, objects) are turned
// into bytes and back through the virtual byte and object operations, so a
// derived store that replaces those also receives every other type.
//
// Every operation returns nonzero for success; a failed read leaves the
// caller's variable as it was.
#pragma once

#include <afx.h>
#include <afxcoll.h>

#include <memory>
#include <new>

#include "BCGPExport.h"

class TESSARO_TOOLKIT_API CBCGPRegistry : public CObject {
    DECLARE_DYNCREATE(CBCGPRegistry)
    friend class CBCGPRegistrySP;

public:
    explicit CBCGPRegistry(BOOL admin = FALSE, BOOL readOnly = FALSE);
    ~CBCGPRegistry() override;
    CBCGPRegistry(const CBCGPRegistry&) = delete;
    CBCGPRegistry& operator=(const CBCGPRegistry&) = delete;

    // The names of the open key's values / child keys, replacing values' contents.
    virtual BOOL ReadKeyValues(CStringArray& values);
    // Whether the key exists / the open key has the value.
    virtual BOOL VerifyKey(LPCTSTR path);
    virtual BOOL VerifyValue(LPCTSTR name);
    // Opens path (relative to the root), creating it if needed / only if it exists.
    virtual BOOL CreateKey(LPCTSTR path);
    virtual BOOL Open(LPCTSTR path);
    virtual void Close();
    virtual BOOL DeleteValue(LPCTSTR name);
    // Deletes path with everything below it.
    virtual BOOL DeleteKey(LPCTSTR path, BOOL admin = FALSE);

    virtual BOOL Write(LPCTSTR name, CObject* object);
    virtual BOOL Write(LPCTSTR name, CObject& object);
    virtual BOOL Write(LPCTSTR name, CObList& list);
    virtual BOOL Write(LPCTSTR name, LPBYTE data, UINT size);
    virtual BOOL Write(LPCTSTR name, LPPOINT& point);
    virtual BOOL Write(LPCTSTR name, const CRect& rect);
    virtual BOOL Write(LPCTSTR name, CWordArray& array);
    virtual BOOL Write(LPCTSTR name, CDWordArray& array);
    virtual BOOL Write(LPCTSTR name, CStringArray& array);
    virtual BOOL Write(LPCTSTR name, CByteArray& array);
    virtual BOOL Write(LPCTSTR name, CStringList& list);
    virtual BOOL Write(LPCTSTR name, LPCTSTR text);
    virtual BOOL Write(LPCTSTR name, double value);
    virtual BOOL Write(LPCTSTR name, int value);
    virtual BOOL Write(LPCTSTR name, DWORD value);

    // Reads into the object pointed to.
    virtual BOOL Read(LPCTSTR name, CObject*& object);
    virtual BOOL Read(LPCTSTR name, CObject& object);
    // Appends the objects read; the caller owns them.
    virtual BOOL Read(LPCTSTR name, CObList& list);
    // *data: a new array (free with delete[]) of *size bytes.
    virtual BOOL Read(LPCTSTR name, BYTE** data, UINT* size);
    virtual BOOL Read(LPCTSTR name, CRect& rect);
    // Reads into the point pointed to.
    virtual BOOL Read(LPCTSTR name, LPPOINT& point);
    virtual BOOL Read(LPCTSTR name, CByteArray& array);
    virtual BOOL Read(LPCTSTR name, CWordArray& array);
    virtual BOOL Read(LPCTSTR name, CDWordArray& array);
    virtual BOOL Read(LPCTSTR name, CStringArray& array);
    virtual BOOL Read(LPCTSTR name, CStringList& list);
    virtual BOOL Read(LPCTSTR name, CString& text);
    virtual BOOL Read(LPCTSTR name, double& value);
    virtual BOOL Read(LPCTSTR name, DWORD& value);
    virtual BOOL Read(LPCTSTR name, int& value);
    virtual BOOL ReadSubKeys(CStringArray& subKeys);

    BOOL IsAdmin() const { return m_bAdmin; }
    BOOL IsReadOnly() const { return m_bReadOnly; }

protected:
    HKEY GetRootKey() const { return m_bAdmin ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
    // Reads exactly size bytes of a binary value into buffer.
    BOOL ReadFixed(LPCTSTR name, void* buffer, UINT size);

    // Reads a value whose size is not known in advance into a new array (free
    // with delete[]): query(nullptr, size) gives the size, query(buffer, size)
    // fills a buffer of that size and sets size to what it read. A missing or
    // empty value fails and allocates nothing.
    template <class Query>
    static BOOL ReadSizedValue(Query query, BYTE** data, UINT* size)
    {
        DWORD length = 0;
        if (!query(nullptr, length) || length == 0)
            return FALSE;
        std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[length]);
        if (!buffer)
            return FALSE;
        // The value may have changed since its size was asked; what was read counts.
        DWORD read = length;
        if (!query(buffer.get(), read) || read == 0 || read > length)
            return FALSE;
        *data = buffer.release();
        *size = read;
        return TRUE;
    }

    HKEY m_hKey = nullptr;
    BOOL m_bAdmin;
    BOOL m_bReadOnly;
    CString m_sPath;
};

// Makes the registry object for one key: of the run-time class set with
// SetRuntimeClass (derived from CBCGPRegistry), or a CBCGPRegistry when none
// is set. Owns the object it made.
class TESSARO_TOOLKIT_API CBCGPRegistrySP {
public:
    CBCGPRegistrySP() = default;
    ~CBCGPRegistrySP();
    CBCGPRegistrySP(const CBCGPRegistrySP&) = delete;
    CBCGPRegistrySP& operator=(const CBCGPRegistrySP&) = delete;

    // Refuses (FALSE, setting unchanged) a class that is not creatable or not
    // derived from CBCGPRegistry; null goes back to CBCGPRegistry.
    static BOOL SetRuntimeClass(CRuntimeClass* registryClass);
    static CRuntimeClass* GetRuntimeClass();

    // Replaces any object made before.
    CBCGPRegistry& Create(BOOL admin, BOOL readOnly);
    CBCGPRegistry* Get() const { return m_pRegistry; }

private:
    CBCGPRegistry* m_pRegistry = nullptr;
};
