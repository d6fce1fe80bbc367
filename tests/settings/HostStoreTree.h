// A host store's tree read through the public iteration, for comparing what a
// store holds before and after; and one host process's view of a folder.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "hoststore/ZFileProfileStore.h"
#include "settings/ZProfileStore.h"

namespace HostStoreTree {

using Tree = std::map<std::wstring, std::wstring>;

// Every value and key below a key, through the public iteration, as
// "path|name" -> "type:content" and "path\name" -> "key".
inline void Snapshot(const ZProfileKey& key, const std::wstring& path, Tree& out)
{
    ZProfileKeyIterator values(key, true);
    ZUnicodeString name;
    DWORD type = 0;
    while (values.NextValue(name, type)) {
        std::wstring content;
        bool read = false;
        if (type == ZProfileValueDword) {
            DWORD n = 0;
            read = key.ReadDword(name.c_str(), n);
            content = std::to_wstring(n);
        } else if (type == ZProfileValueString) {
            ZUnicodeString s;
            read = key.ReadString(name.c_str(), s);
            content = s.str();
        } else if (type == ZProfileValueBinary) {
            DWORD size = 0;
            key.ReadBinary(name.c_str(), nullptr, size);
            std::vector<BYTE> bytes(size + 1);
            read = key.ReadBinary(name.c_str(), bytes.data(), size);
            for (DWORD i = 0; i < size; ++i)
                content += std::to_wstring(bytes[i]) + L".";
        } else if (type == ZProfileValueStringArray) {
            ZStringArray a;
            read = key.ReadStringArray(name.c_str(), a);
            for (const ZUnicodeString& s : a)
                content += s.str() + L"|";
        }
        out[path + L"|" + name.str()] = std::to_wstring(type) + L":" + (read ? content : L"<unreadable>");
    }
    ZProfileKeyIterator keys(key, false);
    while (keys.NextKey(name)) {
        ZProfileKey child(key, name.c_str());
        out[path + L"\\" + name.str()] = L"key";
        Snapshot(child, path + L"\\" + name.str(), out);
    }
}

inline Tree TreeOf(const ZProfileKey& key)
{
    Tree tree;
    Snapshot(key, L"", tree);
    return tree;
}

// What one host process holds: a factory over the folder and a store of it.
struct Host {
    explicit Host(const std::wstring& folder) : factory(folder.c_str()), store(&factory) {}
    ZProfileKey Key(const wchar_t* name) const { return ZProfileKey(*store.GetRootKey(), name); }

    ZFileProfileStoreFactory factory;
    ZProfileStore store;
};

}  // namespace HostStoreTree
