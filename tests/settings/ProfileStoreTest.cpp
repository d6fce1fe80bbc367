// ZProfileStore, ZProfileKey, ZProfileKeyIterator over an in-memory store that
// records every call and can fail the Nth read or write.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/TessaroInit.h"
#include "settings/ZProfileStore.h"

namespace {

constexpr DWORD kUnknownType = 9;

struct FakeValue {
    explicit FakeValue(DWORD valueType = ZProfileValueDword, DWORD valueNumber = 0)
        : type(valueType), number(valueNumber) {}

    DWORD type;
    DWORD number;
    std::wstring text;
    std::vector<BYTE> bytes;
    std::vector<std::wstring> texts;
    UINT64 reportedSize = 0;  // for binary values: a size to report instead of bytes.size(), if nonzero
};

struct FakeNode {
    std::vector<std::pair<std::wstring, FakeValue>> values;
    std::vector<std::pair<std::wstring, std::unique_ptr<FakeNode>>> children;
    bool cyclic = false;  // every child opened under it is itself

    FakeValue* Find(const std::wstring& name)
    {
        for (auto& entry : values)
            if (entry.first == name)
                return &entry.second;
        return nullptr;
    }
    void Set(const std::wstring& name, FakeValue value)
    {
        if (FakeValue* found = Find(name))
            *found = std::move(value);
        else
            values.emplace_back(name, std::move(value));
    }
    FakeNode* Child(const std::wstring& name)
    {
        if (cyclic)
            return this;
        for (auto& entry : children)
            if (entry.first == name)
                return entry.second.get();
        children.emplace_back(name, std::make_unique<FakeNode>());
        return children.back().second.get();
    }
};

// Shared by every object of one fake store: the data, the call log and the
// failure to inject.
struct FakeWorld {
    FakeNode root;
    std::vector<std::wstring> log;  // reads and writes, "ReadDword a" ...
    std::vector<std::wstring> lifetime;
    int calls = 0;
    int failAt = 0;  // 1-based number of the read or write to fail; 0 for none
    int liveObjects = 0;
    bool rootFails = false;
    bool openKeyFails = false;

    bool Call(const wchar_t* operation, const wchar_t* name)
    {
        ++calls;
        if (calls == failAt) {
            log.push_back(std::wstring(L"FAILED ") + operation + L' ' + name);
            return false;
        }
        log.push_back(std::wstring(operation) + L' ' + name);
        return true;
    }
};

class FakeIterator : public IProfileKeyIteratorImpl {
public:
    FakeIterator(FakeWorld& world, FakeNode& node, bool values) : m_world(world)
    {
        ++m_world.liveObjects;
        if (values)
            for (auto& entry : node.values)
                m_values.emplace_back(entry.first, entry.second.type);
        else
            for (auto& entry : node.children)
                m_keys.push_back(entry.first);
        if (node.cyclic && !values)
            m_keys.push_back(L"self");
    }
    ~FakeIterator() override { --m_world.liveObjects; }

    bool NextValue(ZUnicodeString& name, DWORD& type) override
    {
        if (m_next >= m_values.size())
            return false;
        name = m_values[m_next].first;
        type = m_values[m_next++].second;
        return true;
    }
    bool NextKey(ZUnicodeString& name) override
    {
        if (m_next >= m_keys.size())
            return false;
        name = m_keys[m_next++];
        return true;
    }

private:
    FakeWorld& m_world;
    std::vector<std::pair<std::wstring, DWORD>> m_values;
    std::vector<std::wstring> m_keys;
    size_t m_next = 0;
};

class FakeKey : public IProfileKeyImpl {
public:
    FakeKey(FakeWorld& world, FakeNode& node, std::wstring label)
        : m_world(world), m_node(node), m_label(std::move(label))
    {
        ++m_world.liveObjects;
    }
    ~FakeKey() override
    {
        --m_world.liveObjects;
        m_world.lifetime.push_back(L"delete key " + m_label);
    }

    bool ReadStringArray(const wchar_t* name, ZStringArray& value) override
    {
        FakeValue* found = Read(L"ReadStringArray", name, ZProfileValueStringArray);
        if (!found)
            return false;
        value.RemoveAll();
        for (const auto& text : found->texts)
            value.Add(ZUnicodeString(text));
        return true;
    }
    bool ReadBinary(const wchar_t* name, void* buffer, UINT64& size) override
    {
        FakeValue* found = Read(buffer ? L"ReadBinary" : L"ReadBinarySize", name, ZProfileValueBinary);
        if (!found)
            return false;
        if (buffer) {
            if (size < found->bytes.size())
                return false;
            std::copy(found->bytes.begin(), found->bytes.end(), static_cast<BYTE*>(buffer));
        }
        size = found->reportedSize ? found->reportedSize : found->bytes.size();
        return true;
    }
    bool ReadString(const wchar_t* name, ZUnicodeString& value) override
    {
        FakeValue* found = Read(L"ReadString", name, ZProfileValueString);
        if (found)
            value = found->text;
        return found != nullptr;
    }
    bool ReadDword(const wchar_t* name, DWORD& value) override
    {
        FakeValue* found = Read(L"ReadDword", name, ZProfileValueDword);
        if (found)
            value = found->number;
        return found != nullptr;
    }
    bool WriteStringArray(const wchar_t* name, const ZStringArray& value) override
    {
        FakeValue stored{ZProfileValueStringArray};
        for (const auto& text : value)
            stored.texts.push_back(text.str());
        return Write(L"WriteStringArray", name, std::move(stored));
    }
    bool WriteBinary(const wchar_t* name, const void* data, UINT64 size) override
    {
        FakeValue stored{ZProfileValueBinary};
        stored.bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
        return Write(L"WriteBinary", name, std::move(stored));
    }
    bool WriteString(const wchar_t* name, const wchar_t* value) override
    {
        FakeValue stored{ZProfileValueString};
        stored.text = value;
        return Write(L"WriteString", name, std::move(stored));
    }
    bool WriteDword(const wchar_t* name, DWORD value) override
    {
        FakeValue stored{ZProfileValueDword, value};
        return Write(L"WriteDword", name, std::move(stored));
    }
    IProfileKeyImpl* OpenKey(const wchar_t* name, int reserved, int flags) override
    {
        EXPECT_EQ(reserved, 0);
        EXPECT_EQ(flags, 0);
        if (m_world.openKeyFails)
            return nullptr;
        return new FakeKey(m_world, *m_node.Child(name), m_label + L"\\" + name);
    }
    IProfileKeyIteratorImpl* CreateIterator(bool values) override
    {
        return new FakeIterator(m_world, m_node, values);
    }

private:
    FakeValue* Read(const wchar_t* operation, const wchar_t* name, DWORD type)
    {
        if (!m_world.Call(operation, (m_label + L':' + name).c_str()))
            return nullptr;
        FakeValue* found = m_node.Find(name);
        return found && found->type == type ? found : nullptr;
    }
    bool Write(const wchar_t* operation, const wchar_t* name, FakeValue value)
    {
        if (!m_world.Call(operation, (m_label + L':' + name).c_str()))
            return false;
        m_node.Set(name, std::move(value));
        return true;
    }

    FakeWorld& m_world;
    FakeNode& m_node;
    std::wstring m_label;
};

class FakeStore : public IProfileStoreImpl {
public:
    explicit FakeStore(FakeWorld& world) : m_world(world) { ++m_world.liveObjects; }
    ~FakeStore() override
    {
        --m_world.liveObjects;
        m_world.lifetime.push_back(L"delete store");
    }
    IProfileKeyImpl* OpenRootKey(bool flag) override
    {
        EXPECT_FALSE(flag);
        return m_world.rootFails ? nullptr : new FakeKey(m_world, m_world.root, L"");
    }

private:
    FakeWorld& m_world;
};

class FakeFactory : public ZProfileStoreFactory {
public:
    explicit FakeFactory(FakeWorld& world) : m_world(world) {}
    IProfileStoreImpl* CreateStore() override { return fails ? nullptr : new FakeStore(m_world); }
    bool fails = false;

private:
    FakeWorld& m_world;
};

FakeValue Dword(DWORD n) { return FakeValue{ZProfileValueDword, n}; }
FakeValue String(const std::wstring& text)
{
    FakeValue v{ZProfileValueString};
    v.text = text;
    return v;
}
FakeValue Binary(std::vector<BYTE> bytes)
{
    FakeValue v{ZProfileValueBinary};
    v.bytes = std::move(bytes);
    return v;
}
FakeValue Strings(std::vector<std::wstring> texts)
{
    FakeValue v{ZProfileValueStringArray};
    v.texts = std::move(texts);
    return v;
}

// Source tree used by most copy tests:
//   Src: a=dword 7, b=sz "text", c=hex 01 02 03, d=multi {"x","","y"}
//   Src\K1: e=dword 1;  Src\K1\K11: f=sz "deep";  Src\K2: g=hex (empty)
void FillSource(FakeWorld& world)
{
    FakeNode* src = world.root.Child(L"Src");
    src->Set(L"a", Dword(7));
    src->Set(L"b", String(L"text"));
    src->Set(L"c", Binary({1, 2, 3}));
    src->Set(L"d", Strings({L"x", L"", L"y"}));
    FakeNode* k1 = src->Child(L"K1");
    k1->Set(L"e", Dword(1));
    k1->Child(L"K11")->Set(L"f", String(L"deep"));
    src->Child(L"K2")->Set(L"g", Binary({}));
}

bool Copy(FakeWorld& world, const wchar_t* from = L"Src", const wchar_t* to = L"Dst")
{
    FakeFactory factory(world);
    ZProfileStore store(&factory);
    ZProfileKey source(*store.GetRootKey(), from);
    ZProfileKey destination(*store.GetRootKey(), to);
    world.calls = 0;
    world.log.clear();
    return destination.CopyFrom(source);
}

TEST(ProfileKeyCopy, CopiesEveryTypeDepthFirstValuesBeforeKeys)
{
    FakeWorld world;
    FillSource(world);
    ASSERT_TRUE(Copy(world));

    FakeNode* dst = world.root.Child(L"Dst");
    ASSERT_EQ(dst->values.size(), 4u);
    EXPECT_EQ(dst->Find(L"a")->number, 7u);
    EXPECT_EQ(dst->Find(L"b")->text, L"text");
    EXPECT_EQ(dst->Find(L"c")->bytes, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(dst->Find(L"d")->texts, (std::vector<std::wstring>{L"x", L"", L"y"}));
    EXPECT_EQ(dst->Child(L"K1")->Find(L"e")->number, 1u);
    EXPECT_EQ(dst->Child(L"K1")->Child(L"K11")->Find(L"f")->text, L"deep");
    const FakeValue* empty = dst->Child(L"K2")->Find(L"g");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->type, static_cast<DWORD>(ZProfileValueBinary)) << "a zero-size binary stays binary";

    const std::vector<std::wstring> expected = {
        L"ReadDword \\Src:a",        L"WriteDword \\Dst:a",
        L"ReadString \\Src:b",       L"WriteString \\Dst:b",
        L"ReadBinarySize \\Src:c",   L"ReadBinary \\Src:c",
        L"WriteBinary \\Dst:c",      L"ReadStringArray \\Src:d",
        L"WriteStringArray \\Dst:d", L"ReadDword \\Src\\K1:e",
        L"WriteDword \\Dst\\K1:e",   L"ReadString \\Src\\K1\\K11:f",
        L"WriteString \\Dst\\K1\\K11:f", L"ReadBinarySize \\Src\\K2:g",
        L"ReadBinary \\Src\\K2:g",   L"WriteBinary \\Dst\\K2:g",
    };
    EXPECT_EQ(world.log, expected);
    EXPECT_EQ(world.liveObjects, 0);
}

TEST(ProfileKeyCopy, UnknownTypeStopsAfterTheValuesBeforeItAndCopiesNoKeys)
{
    FakeWorld world;
    FakeNode* src = world.root.Child(L"Src");
    src->Set(L"before", Dword(1));
    FakeValue odd{kUnknownType};
    src->Set(L"odd", odd);
    src->Set(L"after", Dword(2));
    src->Child(L"Child")->Set(L"x", Dword(3));

    EXPECT_FALSE(Copy(world));
    FakeNode* dst = world.root.Child(L"Dst");
    ASSERT_EQ(dst->values.size(), 1u);
    EXPECT_EQ(dst->values[0].first, L"before");
    EXPECT_TRUE(dst->children.empty());
    EXPECT_EQ(world.liveObjects, 0);
}

TEST(ProfileKeyCopy, ValuesAndKeysOnlyAtTheDestinationSurvive)
{
    FakeWorld world;
    FillSource(world);
    FakeNode* dst = world.root.Child(L"Dst");
    dst->Set(L"extra", String(L"keep me"));
    dst->Set(L"a", Dword(99));
    dst->Child(L"Own")->Set(L"mine", Dword(5));
    dst->Child(L"K1")->Set(L"local", Dword(6));

    ASSERT_TRUE(Copy(world));
    EXPECT_EQ(dst->Find(L"extra")->text, L"keep me");
    EXPECT_EQ(dst->Find(L"a")->number, 7u) << "same name is overwritten";
    EXPECT_EQ(dst->Child(L"Own")->Find(L"mine")->number, 5u);
    EXPECT_EQ(dst->Child(L"K1")->Find(L"local")->number, 6u);
    EXPECT_EQ(dst->Child(L"K1")->Find(L"e")->number, 1u);
}

// Fails each read and write in turn: the copy must stop right there with false,
// keep exactly what was written before, and leak no store object.
TEST(ProfileKeyCopy, StopsAtTheFirstFailureAtEveryPosition)
{
    FakeWorld reference;
    FillSource(reference);
    ASSERT_TRUE(Copy(reference));
    const std::vector<std::wstring> fullLog = reference.log;
    ASSERT_EQ(fullLog.size(), 16u);

    for (int position = 1; position <= static_cast<int>(fullLog.size()) + 1; ++position) {
        SCOPED_TRACE(position);
        FakeWorld world;
        FillSource(world);
        FakeFactory factory(world);
        bool result;
        {
            ZProfileStore store(&factory);
            ZProfileKey source(*store.GetRootKey(), L"Src");
            ZProfileKey destination(*store.GetRootKey(), L"Dst");
            world.calls = 0;
            world.failAt = position;
            result = destination.CopyFrom(source);
        }
        EXPECT_EQ(world.liveObjects, 0);
        if (position > static_cast<int>(fullLog.size())) {
            EXPECT_TRUE(result);
            EXPECT_EQ(world.log, fullLog);
            continue;
        }
        EXPECT_FALSE(result);
        ASSERT_EQ(world.log.size(), static_cast<size_t>(position)) << "no call after the failure";
        EXPECT_EQ(world.log.back(), L"FAILED " + fullLog[position - 1]);
        EXPECT_TRUE(std::equal(fullLog.begin(), fullLog.begin() + position - 1, world.log.begin()));

        // Exactly the writes that succeeded reached the destination.
        size_t writesBefore = 0;
        for (int i = 0; i < position - 1; ++i)
            writesBefore += fullLog[i].starts_with(L"Write") ? 1 : 0;
        size_t valuesFound = 0;
        std::vector<FakeNode*> pending = {world.root.Child(L"Dst")};
        while (!pending.empty()) {
            FakeNode* node = pending.back();
            pending.pop_back();
            valuesFound += node->values.size();
            for (auto& child : node->children)
                pending.push_back(child.second.get());
        }
        EXPECT_EQ(valuesFound, writesBefore);
    }
}

TEST(ProfileKeyCopy, AStoreWhoseKeysContainThemselvesEndsWithFalse)
{
    FakeWorld world;
    FakeNode* src = world.root.Child(L"Src");
    src->cyclic = true;
    src->Set(L"v", Dword(1));
    EXPECT_FALSE(Copy(world));
    EXPECT_EQ(world.liveObjects, 0);
}

TEST(ProfileKeyCopy, AChildThatCannotBeOpenedFailsTheCopy)
{
    FakeWorld world;
    FillSource(world);
    FakeFactory factory(world);
    ZProfileStore store(&factory);
    ZProfileKey source(*store.GetRootKey(), L"Src");
    ZProfileKey destination(*store.GetRootKey(), L"Dst");
    world.openKeyFails = true;
    EXPECT_FALSE(destination.CopyFrom(source));
    EXPECT_EQ(world.root.Child(L"Dst")->values.size(), 4u) << "values come before child keys";
}

TEST(ProfileKey, BinaryOf4GiBOrMoreFailsInsteadOfReportingATruncatedSize)
{
    FakeWorld world;
    FakeValue huge = Binary({1});
    huge.reportedSize = 0x100000001ull;
    world.root.Child(L"K")->Set(L"huge", huge);
    FakeFactory factory(world);
    ZProfileStore store(&factory);
    ZProfileKey key(*store.GetRootKey(), L"K");
    DWORD size = 77;
    EXPECT_FALSE(key.ReadBinary(L"huge", nullptr, size));
    EXPECT_EQ(size, 77u);
}

TEST(ProfileStore, DeletesItsImplementationBeforeTheRootAndKeysMayOutliveIt)
{
    FakeWorld world;
    FakeFactory factory(world);
    std::unique_ptr<ZProfileKey> kept;
    {
        ZProfileStore store(&factory);
        EXPECT_TRUE(store.IsOpen());
        kept = std::make_unique<ZProfileKey>(*store.GetRootKey(), L"Kept");
    }
    EXPECT_EQ(world.lifetime, (std::vector<std::wstring>{L"delete store", L"delete key "}));
    EXPECT_TRUE(kept->WriteDword(L"later", 1));
    kept.reset();
    EXPECT_EQ(world.liveObjects, 0);
}

FakeFactory* g_hostFactory = nullptr;
ZProfileStoreFactory* HostFactorySource() { return g_hostFactory; }

TEST(ProfileStore, WithoutAFactoryUsesTheHostsFunction)
{
    FakeWorld world;
    FakeFactory factory(world);
    g_hostFactory = &factory;
    TessaroInit(nullptr, HostFactorySource);
    {
        ZProfileStore store;
        ZProfileKey key(*store.GetRootKey(), L"Host");
        EXPECT_TRUE(key.WriteDword(L"x", 3));
    }
    TessaroInit(nullptr, nullptr);
    EXPECT_EQ(world.root.Child(L"Host")->Find(L"x")->number, 3u);
    EXPECT_EQ(world.liveObjects, 0);
}

ZProfileStoreFactory* NullFactorySource() { return nullptr; }

// Every way of not getting a store gives a detached root that fails cleanly.
TEST(ProfileStore, WithoutAStoreTheRootIsDetachedAndEveryOperationFails)
{
    FakeWorld world;
    FakeFactory failingFactory(world);
    failingFactory.fails = true;
    FakeWorld rootlessWorld;
    rootlessWorld.rootFails = true;
    FakeFactory rootlessFactory(rootlessWorld);
    FakeWorld sourceWorld;
    FillSource(sourceWorld);
    FakeFactory sourceFactory(sourceWorld);
    ZProfileStore sourceStore(&sourceFactory);
    ZProfileKey source(*sourceStore.GetRootKey(), L"Src");

    struct Case {
        const char* what;
        ZProfileStoreFactorySource hostSource;
        ZProfileStoreFactory* factory;
    } cases[] = {
        {"no TessaroInit", nullptr, nullptr},
        {"host function returns null", NullFactorySource, nullptr},
        {"factory makes no store", nullptr, &failingFactory},
        {"store opens no root", nullptr, &rootlessFactory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TessaroInit(nullptr, c.hostSource);
        ZProfileStore store(c.factory);
        EXPECT_FALSE(store.IsOpen());
        ZProfileKey* root = store.GetRootKey();
        ASSERT_NE(root, nullptr);
        ZProfileKey child(*root, L"Child");
        EXPECT_FALSE(child.IsOpen());
        for (ZProfileKey* key : {root, &child}) {
            DWORD number = 11;
            EXPECT_FALSE(key->ReadDword(L"n", number));
            EXPECT_EQ(number, 11u);
            EXPECT_FALSE(key->WriteDword(L"n", 1));
            EXPECT_FALSE(key->WriteString(L"s", L"x"));
            EXPECT_FALSE(key->WriteBinary(L"b", "x", 1));
            EXPECT_FALSE(key->WriteStringArray(L"a", ZStringArray()));
            ZUnicodeString name;
            DWORD type;
            ZProfileKeyIterator values(*key, true);
            EXPECT_FALSE(values.NextValue(name, type));
            ZProfileKeyIterator keys(*key, false);
            EXPECT_FALSE(keys.NextKey(name));
            EXPECT_FALSE(key->CopyFrom(source));
        }
    }
    TessaroInit(nullptr, nullptr);
    EXPECT_EQ(world.liveObjects, 0);
    EXPECT_EQ(rootlessWorld.liveObjects, 0);

    // Copying out of a detached key fails too, and touches nothing.
    ZProfileStore detached(nullptr);
    ZProfileKey destination(*sourceStore.GetRootKey(), L"Dst");
    EXPECT_FALSE(destination.CopyFrom(*detached.GetRootKey()));
    EXPECT_TRUE(sourceWorld.root.Child(L"Dst")->values.empty());
}

}  // namespace
