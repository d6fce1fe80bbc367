// A host profile store kept in memory for tests of what the library does with
// the host's store objects: a tree of keys holding typed values in name
// order, a log of every read and write with a failure to inject at the Nth, and
// a count of the store objects still alive.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "settings/ZProfileStore.h"

namespace MemoryProfile {

// Every type kept as text: a number in decimal, one unit per byte, and each
// text of an array followed by a line feed.
struct Value {
    Value(DWORD valueType, std::wstring valueData) : type(valueType), data(std::move(valueData)) {}
    DWORD type;
    std::wstring data;
    UINT64 reportedSize = 0;  // binary values: a size to report instead of data.size(), if nonzero
};

struct Node {
    std::map<std::wstring, Value> values;
    std::map<std::wstring, std::unique_ptr<Node>> children;
    bool cyclic = false;  // every child opened under it is itself

    Value* Find(const std::wstring& name)
    {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : &found->second;
    }
    void Set(const std::wstring& name, Value value) { values.insert_or_assign(name, std::move(value)); }
    // Made when missing, as the host's OpenKey does.
    Node* Child(const std::wstring& name)
    {
        if (cyclic)
            return this;
        std::unique_ptr<Node>& child = children[name];
        if (!child)
            child = std::make_unique<Node>();
        return child.get();
    }
};

// Every value below node, depth-first, as "path|name=type:data".
inline std::vector<std::wstring> Dump(const Node& node, const std::wstring& path = L"")
{
    std::vector<std::wstring> lines;
    for (const auto& [name, v] : node.values)
        lines.push_back(path + L"|" + name + L"=" + std::to_wstring(v.type) + L":" + v.data);
    for (const auto& [name, child] : node.children)
        for (std::wstring& line : Dump(*child, path + L"\\" + name))
            lines.push_back(std::move(line));
    return lines;
}

// Shared by every object of one store: the data, the logs and the failures to inject.
struct World {
    Node root;
    std::vector<std::wstring> log;       // "ReadDword \Key:name", "FAILED WriteString \Key:name" ...
    std::vector<std::wstring> lifetime;  // "delete store", "delete key \Key"
    int calls = 0;
    int failAt = 0;  // the 1-based read or write to fail; 0 for none
    bool storeFails = false, rootFails = false, openKeyFails = false;
    int liveObjects = 0;

    bool Call(const std::wstring& operation)
    {
        const bool fails = ++calls == failAt;
        log.push_back(fails ? L"FAILED " + operation : operation);
        return !fails;
    }
};

struct Counted {
    explicit Counted(World& w) : world(w) { ++world.liveObjects; }
    ~Counted() { --world.liveObjects; }
    World& world;
};

// Lists what the key held when it was made.
class Iterator : public IProfileKeyIteratorImpl, Counted {
public:
    Iterator(World& w, const Node& node, bool values) : Counted(w)
    {
        if (values)
            for (const auto& [name, v] : node.values)
                m_items.emplace_back(name, v.type);
        else
            for (const auto& entry : node.children)
                m_items.emplace_back(entry.first, 0);
        if (node.cyclic && !values)
            m_items.emplace_back(L"self", 0);
    }
    bool NextValue(ZUnicodeString& name, DWORD& type) override
    {
        if (m_next >= m_items.size())
            return false;
        name = m_items[m_next].first;
        type = m_items[m_next++].second;
        return true;
    }
    bool NextKey(ZUnicodeString& name) override
    {
        DWORD type = 0;
        return NextValue(name, type);
    }

private:
    std::vector<std::pair<std::wstring, DWORD>> m_items;
    size_t m_next = 0;
};

class Key : public IProfileKeyImpl, Counted {
public:
    Key(World& w, Node& node, std::wstring path) : Counted(w), m_node(node), m_path(std::move(path)) {}
    ~Key() override { world.lifetime.push_back(L"delete key " + m_path); }

    bool ReadStringArray(const wchar_t* name, ZStringArray& value) override
    {
        const Value* found = Read(L"ReadStringArray", name, ZProfileValueStringArray);
        if (found) {
            value.RemoveAll();
            for (size_t start = 0, end; (end = found->data.find(L'\n', start)) != std::wstring::npos; start = end + 1)
                value.Add(ZUnicodeString(found->data.substr(start, end - start)));
        }
        return found;
    }
    bool ReadBinary(const wchar_t* name, void* buffer, UINT64& size) override
    {
        const Value* found = Read(buffer ? L"ReadBinary" : L"ReadBinarySize", name, ZProfileValueBinary);
        if (!found || (buffer && size < found->data.size()))
            return false;
        if (buffer)
            std::copy(found->data.begin(), found->data.end(), static_cast<BYTE*>(buffer));
        size = found->reportedSize ? found->reportedSize : found->data.size();
        return true;
    }
    bool ReadString(const wchar_t* name, ZUnicodeString& value) override
    {
        const Value* found = Read(L"ReadString", name, ZProfileValueString);
        if (found)
            value = found->data;
        return found;
    }
    bool ReadDword(const wchar_t* name, DWORD& value) override
    {
        const Value* found = Read(L"ReadDword", name, ZProfileValueDword);
        if (found)
            value = std::stoul(found->data);
        return found;
    }
    bool WriteStringArray(const wchar_t* name, const ZStringArray& value) override
    {
        std::wstring data;
        for (const ZUnicodeString& text : value)
            data += text.str() + L"\n";
        return Write(L"WriteStringArray", name, {ZProfileValueStringArray, data});
    }
    bool WriteBinary(const wchar_t* name, const void* data, UINT64 size) override
    {
        const BYTE* bytes = static_cast<const BYTE*>(data);
        return Write(L"WriteBinary", name, {ZProfileValueBinary, std::wstring(bytes, bytes + size)});
    }
    bool WriteString(const wchar_t* name, const wchar_t* value) override
    {
        return Write(L"WriteString", name, {ZProfileValueString, value});
    }
    bool WriteDword(const wchar_t* name, DWORD value) override
    {
        return Write(L"WriteDword", name, {ZProfileValueDword, std::to_wstring(value)});
    }
    IProfileKeyImpl* OpenKey(const wchar_t* name, int reserved, int flags) override
    {
        EXPECT_EQ(reserved, 0);
        EXPECT_EQ(flags, 0);
        return world.openKeyFails ? nullptr : new Key(world, *m_node.Child(name), m_path + L"\\" + name);
    }
    IProfileKeyIteratorImpl* CreateIterator(bool values) override { return new Iterator(world, m_node, values); }

private:
    const Value* Read(const wchar_t* operation, const wchar_t* name, DWORD type)
    {
        if (!world.Call(operation + (L" " + m_path) + L":" + name))
            return nullptr;
        const Value* found = m_node.Find(name);
        return found && found->type == type ? found : nullptr;
    }
    bool Write(const wchar_t* operation, const wchar_t* name, Value value)
    {
        if (!world.Call(operation + (L" " + m_path) + L":" + name))
            return false;
        m_node.Set(name, std::move(value));
        return true;
    }

    Node& m_node;
    std::wstring m_path;
};

class Store : public IProfileStoreImpl, Counted {
public:
    explicit Store(World& w) : Counted(w) {}
    ~Store() override { world.lifetime.push_back(L"delete store"); }
    IProfileKeyImpl* OpenRootKey(bool flag) override
    {
        EXPECT_FALSE(flag);
        return world.rootFails ? nullptr : new Key(world, world.root, L"");
    }
};

class Factory : public ZProfileStoreFactory {
public:
    explicit Factory(World& world) : m_world(world) {}
    IProfileStoreImpl* CreateStore() override { return m_world.storeFails ? nullptr : new Store(m_world); }

private:
    World& m_world;
};

}  // namespace MemoryProfile
