// ZProfileStore, ZProfileKey, ZProfileKeyIterator: the library's owners of the
// host's store objects (see ZProfileStoreFactory.h), with typed access and a
// recursive copy of key trees.
//
// A store is made for one operation and let go; keys may outlive it.
//
// Detached keys: when no store can be had (no factory given and TessaroInit not
// called or its function returned null, or the factory, store or parent key
// returned null), the store's root key, and every key opened below it, is
// detached: it is never null, its reads and writes return false, its iterators
// yield nothing and copies to or from it fail. Callers thus never jump through
// a null pointer and see the same failure as from a store that refuses writes.
//
// The wrappers take no lock; callers guard keys they share between threads.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"
#include "settings/ZProfileStoreFactory.h"

class ZProfileStore;

class TESSARO_API ZProfileKey {
public:
    // Opens the child of parent named name; callers pass 0 as flags. A name
    // holding backslashes is handed to the store as it is.
    ZProfileKey(const ZProfileKey& parent, const wchar_t* name, int flags = 0);
    ~ZProfileKey();

    ZProfileKey(const ZProfileKey&) = delete;
    ZProfileKey& operator=(const ZProfileKey&) = delete;

    // False for a detached key.
    bool IsOpen() const { return m_impl != nullptr; }
    IProfileKeyImpl* GetImpl() const { return m_impl.get(); }

    // Each returns what the store returns. value keeps its content when the
    // store leaves it alone, so it may hold a default.
    bool ReadDword(const wchar_t* name, DWORD& value) const;
    bool ReadString(const wchar_t* name, ZUnicodeString& value) const;
    // size: capacity of buffer in, bytes of the value out; a null buffer only
    // asks for the size. A value of 4 GiB or more does not fit the 32-bit size
    // and fails rather than report a truncated length.
    bool ReadBinary(const wchar_t* name, void* buffer, DWORD& size) const;
    bool ReadStringArray(const wchar_t* name, ZStringArray& value) const;

    bool WriteDword(const wchar_t* name, DWORD value);
    bool WriteString(const wchar_t* name, const wchar_t* value);
    bool WriteBinary(const wchar_t* name, const void* data, DWORD size);
    bool WriteStringArray(const wchar_t* name, const ZStringArray& value);

    // Copies the values and child keys of source into this key, depth-first,
    // values before child keys, in the store's order. Nothing is deleted here:
    // values and keys found only here stay, values of the same name are
    // overwritten. Stops at the first failed read or write, or at a value of a
    // type it does not know, and returns false; what was written so far stays.
    bool CopyFrom(const ZProfileKey& source);

private:
    friend class ZProfileStore;

    // The root of store (which may be null), opened with OpenRootKey(openRootKeyFlag).
    ZProfileKey(IProfileStoreImpl* store, bool openRootKeyFlag);

    bool CopyFrom(const ZProfileKey& source, int depth);

    std::unique_ptr<IProfileKeyImpl> m_impl;
};

class TESSARO_API ZProfileStore {
public:
    // A null factory asks the host's function given to TessaroInit for one.
    explicit ZProfileStore(ZProfileStoreFactory* factory = nullptr);
    // Deletes the implementation first and the root key second.
    ~ZProfileStore();

    ZProfileStore(const ZProfileStore&) = delete;
    ZProfileStore& operator=(const ZProfileStore&) = delete;

    // Never null; detached when the store could not be made.
    ZProfileKey* GetRootKey() const { return m_root.get(); }
    bool IsOpen() const { return m_impl != nullptr && m_root->IsOpen(); }

private:
    // Declared root first so that the implementation is destroyed first.
    std::unique_ptr<ZProfileKey> m_root;
    std::unique_ptr<IProfileStoreImpl> m_impl;
    // What OpenRootKey is given; hosts expect false.
    bool m_openRootKeyFlag = false;
};

class TESSARO_API ZProfileKeyIterator {
public:
    // Over the values (true) or the child keys (false) of key.
    ZProfileKeyIterator(const ZProfileKey& key, bool values);
    ~ZProfileKeyIterator();

    ZProfileKeyIterator(const ZProfileKeyIterator&) = delete;
    ZProfileKeyIterator& operator=(const ZProfileKeyIterator&) = delete;

    // Each is true while there is another item; type is a ZProfileValueType.
    bool NextValue(ZUnicodeString& name, DWORD& type);
    bool NextKey(ZUnicodeString& name);

private:
    std::unique_ptr<IProfileKeyIteratorImpl> m_impl;
};
