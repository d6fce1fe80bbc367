// The host's side of the profile store: a factory of stores, the store, its keys
// and their iterators. The host implements these; the library calls only the
// operations listed here and deletes every object it is given.
//
// Slot order matters to hosts built separately from the library, so operations
// the library never calls keep their places as Unused* placeholders, which an
// implementation may leave alone.
//
// Contract the library relies on:
//  - a key opened with OpenKey exists for writing afterwards, and what is
//    written to it is read back by later stores made by the same factory;
//  - a failed read leaves the caller's variable as it was;
//  - keys may be deleted after the store object that opened them;
//  - a top-level key and the file named by the key with ".ini" added, in the
//    host's configuration folder, hold the same settings (the customisation
//    store tests for that file to learn whether the key was ever stored).
#pragma once

#include <windows.h>

#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"

class IProfileKeyImpl;
class IProfileKeyIteratorImpl;

// Value types as iterators report them.
enum ZProfileValueType : DWORD {
    ZProfileValueDword = 0,        // unsigned 32-bit number
    ZProfileValueString = 1,       // ZUnicodeString
    ZProfileValueBinary = 2,       // bytes with a length
    ZProfileValueStringArray = 3,  // ZStringArray
};

class IProfileStoreImpl {
public:
    virtual ~IProfileStoreImpl() = default;
    // A new root key, owned by the caller; the library passes false.
    virtual IProfileKeyImpl* OpenRootKey(bool flag) = 0;
};

class ZProfileStoreFactory {
public:
    virtual ~ZProfileStoreFactory() = default;
    // A new store, owned by the caller.
    virtual IProfileStoreImpl* CreateStore() = 0;
};

class IProfileKeyImpl {
public:
    virtual ~IProfileKeyImpl() = default;
    virtual bool Unused1() { return false; }
    virtual bool ReadStringArray(const wchar_t* name, ZStringArray& value) = 0;
    // With a null buffer only reports the value's size in bytes. With a buffer,
    // size holds its capacity on entry and the bytes read on return.
    virtual bool ReadBinary(const wchar_t* name, void* buffer, UINT64& size) = 0;
    virtual bool ReadString(const wchar_t* name, ZUnicodeString& value) = 0;
    virtual bool ReadDword(const wchar_t* name, DWORD& value) = 0;
    virtual bool Unused2() { return false; }
    virtual bool WriteStringArray(const wchar_t* name, const ZStringArray& value) = 0;
    virtual bool WriteBinary(const wchar_t* name, const void* data, UINT64 size) = 0;
    virtual bool WriteString(const wchar_t* name, const wchar_t* value) = 0;
    virtual bool WriteDword(const wchar_t* name, DWORD value) = 0;
    virtual bool Unused3() { return false; }
    virtual bool Unused4() { return false; }
    virtual bool Unused5() { return false; }
    virtual bool Unused6() { return false; }
    virtual bool Unused7() { return false; }
    virtual bool Unused8() { return false; }
    virtual bool Unused9() { return false; }
    virtual bool Unused10() { return false; }
    virtual bool Unused11() { return false; }
    // A new key for the child of that name, owned by the caller; the library
    // passes 0 for both numbers. Null when the key cannot be opened.
    virtual IProfileKeyImpl* OpenKey(const wchar_t* name, int reserved, int flags) = 0;
    // A new iterator over the key's values (true) or child keys (false).
    virtual IProfileKeyIteratorImpl* CreateIterator(bool values) = 0;
};

class IProfileKeyIteratorImpl {
public:
    virtual ~IProfileKeyIteratorImpl() = default;
    // Each returns false once there is nothing more.
    virtual bool NextValue(ZUnicodeString& name, DWORD& type) = 0;
    virtual bool NextKey(ZUnicodeString& name) = 0;
};
