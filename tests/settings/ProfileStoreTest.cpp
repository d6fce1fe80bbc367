// ZProfileStore, ZProfileKey, ZProfileKeyIterator over an in-memory store that
// records every call and can fail the Nth read or write.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/TessaroInit.h"
#include "settings/ZProfileStore.h"
#include "tests/settings/MemoryProfileStore.h"

namespace {

using namespace MemoryProfile;
using Lines = std::vector<std::wstring>;

// Src: a=dword 7, b=sz "text", c=hex 01 02 03, d=multi {"x", "", "y"}
// Src\K1: e=dword 1;  Src\K1\K11: f=sz "deep";  Src\K2: g=hex (empty)
void FillSource(World& world)
{
    Node* src = world.root.Child(L"Src");
    src->Set(L"a", {ZProfileValueDword, L"7"});
    src->Set(L"b", {ZProfileValueString, L"text"});
    src->Set(L"c", {ZProfileValueBinary, {1, 2, 3}});
    src->Set(L"d", {ZProfileValueStringArray, L"x\n\ny\n"});
    src->Child(L"K1")->Set(L"e", {ZProfileValueDword, L"1"});
    src->Child(L"K1")->Child(L"K11")->Set(L"f", {ZProfileValueString, L"deep"});
    src->Child(L"K2")->Set(L"g", {ZProfileValueBinary, L""});
}

// Copies Src into Dst with a fresh log; arrange runs once both keys are open.
bool Copy(World& world, int failAt = 0, const std::function<void(World&)>& arrange = {})
{
    Factory factory(world);
    ZProfileStore store(&factory);
    ZProfileKey source(*store.GetRootKey(), L"Src");
    ZProfileKey destination(*store.GetRootKey(), L"Dst");
    world.calls = 0;
    world.log.clear();
    world.failAt = failAt;
    if (arrange)
        arrange(world);
    return destination.CopyFrom(source);
}

// The full copy's calls in order; then each read and write fails in turn: the
// copy stops right there, and exactly the writes before it reached the destination.
TEST(ProfileKeyCopy, CopiesEveryTypeDepthFirstValuesBeforeKeysAndStopsAtAnyFailure)
{
    World reference;
    FillSource(reference);
    ASSERT_TRUE(Copy(reference));
    // The zero-size binary stays binary.
    EXPECT_EQ(Dump(*reference.root.Child(L"Dst")), Dump(*reference.root.Child(L"Src")));
    const Lines full = {
        L"ReadDword \\Src:a",          L"WriteDword \\Dst:a",          L"ReadString \\Src:b",
        L"WriteString \\Dst:b",        L"ReadBinarySize \\Src:c",      L"ReadBinary \\Src:c",
        L"WriteBinary \\Dst:c",        L"ReadStringArray \\Src:d",     L"WriteStringArray \\Dst:d",
        L"ReadDword \\Src\\K1:e",      L"WriteDword \\Dst\\K1:e",      L"ReadString \\Src\\K1\\K11:f",
        L"WriteString \\Dst\\K1\\K11:f", L"ReadBinarySize \\Src\\K2:g", L"ReadBinary \\Src\\K2:g",
        L"WriteBinary \\Dst\\K2:g",
    };
    ASSERT_EQ(reference.log, full);
    EXPECT_EQ(reference.liveObjects, 0);
    for (size_t position = 1; position <= full.size(); ++position) {
        SCOPED_TRACE(position);
        World world;
        FillSource(world);
        EXPECT_FALSE(Copy(world, static_cast<int>(position)));
        EXPECT_EQ(world.liveObjects, 0);
        Lines expected(full.begin(), full.begin() + position);
        expected.back() = L"FAILED " + expected.back();
        EXPECT_EQ(world.log, expected) << "no call after the failure";
        const auto writes = std::count_if(full.begin(), full.begin() + position - 1,
                                          [](const std::wstring& call) { return call.starts_with(L"Write"); });
        EXPECT_EQ(Dump(*world.root.Child(L"Dst")).size(), static_cast<size_t>(writes));
    }
}

TEST(ProfileKeyCopy, ValuesAndKeysOnlyAtTheDestinationSurvive)
{
    World world;
    FillSource(world);
    Node* dst = world.root.Child(L"Dst");
    dst->Set(L"extra", {ZProfileValueString, L"keep me"});
    dst->Set(L"a", {ZProfileValueDword, L"99"});
    dst->Child(L"Own")->Set(L"mine", {ZProfileValueDword, L"5"});
    dst->Child(L"K1")->Set(L"local", {ZProfileValueDword, L"6"});
    ASSERT_TRUE(Copy(world));
    EXPECT_EQ(dst->Find(L"extra")->data, L"keep me");
    EXPECT_EQ(dst->Find(L"a")->data, L"7") << "same name is overwritten";
    EXPECT_EQ(dst->Child(L"Own")->Find(L"mine")->data, L"5");
    EXPECT_EQ(dst->Child(L"K1")->Find(L"local")->data, L"6");
    EXPECT_EQ(dst->Child(L"K1")->Find(L"e")->data, L"1");
}

// Each ends the copy with false, keeps what was written before and leaks no
// store object.
TEST(ProfileKeyCopy, StopsAtWhatItCannotCopy)
{
    const struct {
        const char* what;
        std::function<void(World&)> fill, arrange;
        size_t copied;
    } cases[] = {
        {"a value of an unknown type: nothing after it, no keys",
         [](World& w) {
             Node* src = w.root.Child(L"Src");
             src->Set(L"a before", {ZProfileValueDword, L"1"});
             src->Set(L"b odd", {9, L"?"});
             src->Set(L"c after", {ZProfileValueDword, L"2"});
             src->Child(L"Child")->Set(L"x", {ZProfileValueDword, L"3"});
         },
         {}, 1},
        // 512 levels, as deep as the registry goes, then it gives up.
        {"keys that contain themselves",
         [](World& w) {
             w.root.Child(L"Src")->Set(L"v", {ZProfileValueDword, L"1"});
             w.root.Child(L"Src")->cyclic = true;
         },
         {}, 512},
        {"a child key that cannot be opened, after the values", FillSource,
         [](World& w) { w.openKeyFails = true; }, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        c.fill(world);
        EXPECT_FALSE(Copy(world, 0, c.arrange));
        EXPECT_EQ(Dump(*world.root.Child(L"Dst")).size(), c.copied);
        EXPECT_EQ(world.liveObjects, 0);
    }
}

TEST(ProfileKey, BinaryOf4GiBOrMoreFailsInsteadOfReportingATruncatedSize)
{
    World world;
    Value huge(ZProfileValueBinary, L"\x01");
    huge.reportedSize = 0x100000001ull;
    world.root.Child(L"K")->Set(L"huge", huge);
    Factory factory(world);
    ZProfileStore store(&factory);
    ZProfileKey key(*store.GetRootKey(), L"K");
    DWORD size = 77;
    EXPECT_FALSE(key.ReadBinary(L"huge", nullptr, size));
    EXPECT_EQ(size, 77u);
}

TEST(ProfileStore, DeletesItsImplementationBeforeTheRootAndKeysMayOutliveIt)
{
    World world;
    Factory factory(world);
    std::unique_ptr<ZProfileKey> kept;
    {
        ZProfileStore store(&factory);
        EXPECT_TRUE(store.IsOpen());
        kept = std::make_unique<ZProfileKey>(*store.GetRootKey(), L"Kept");
    }
    EXPECT_EQ(world.lifetime, (Lines{L"delete store", L"delete key "}));
    EXPECT_TRUE(kept->WriteDword(L"later", 1));
    kept.reset();
    EXPECT_EQ(world.liveObjects, 0);
}

ZProfileStoreFactory* NullFactorySource() { return nullptr; }

// Every way of not getting a store gives a detached root that fails cleanly.
TEST(ProfileStore, WithoutAStoreTheRootIsDetachedAndEveryOperationFails)
{
    World storeless, rootless, source;
    storeless.storeFails = true;
    rootless.rootFails = true;
    FillSource(source);
    Factory storelessFactory(storeless), rootlessFactory(rootless), sourceFactory(source);
    ZProfileStore sourceStore(&sourceFactory);
    ZProfileKey src(*sourceStore.GetRootKey(), L"Src");
    const struct {
        const char* what;
        ZProfileStoreFactorySource hostSource;
        ZProfileStoreFactory* factory;
    } cases[] = {
        {"no TessaroInit", nullptr, nullptr},
        {"host function returns null", NullFactorySource, nullptr},
        {"factory makes no store", nullptr, &storelessFactory},
        {"store opens no root", nullptr, &rootlessFactory},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TessaroInit(nullptr, c.hostSource);
        ZProfileStore store(c.factory);
        EXPECT_FALSE(store.IsOpen());
        ZProfileKey child(*store.GetRootKey(), L"Child");
        EXPECT_FALSE(child.IsOpen());
        for (ZProfileKey* key : {store.GetRootKey(), &child}) {
            DWORD number = 11;
            EXPECT_FALSE(key->ReadDword(L"n", number));
            EXPECT_EQ(number, 11u);
            EXPECT_FALSE(key->WriteDword(L"n", 1));
            EXPECT_FALSE(key->WriteString(L"s", L"x"));
            EXPECT_FALSE(key->WriteBinary(L"b", "x", 1));
            EXPECT_FALSE(key->WriteStringArray(L"a", ZStringArray()));
            ZUnicodeString name;
            DWORD type;
            EXPECT_FALSE(ZProfileKeyIterator(*key, true).NextValue(name, type));
            EXPECT_FALSE(ZProfileKeyIterator(*key, false).NextKey(name));
            EXPECT_FALSE(key->CopyFrom(src));
        }
    }
    TessaroInit(nullptr, nullptr);
    EXPECT_EQ(storeless.liveObjects + rootless.liveObjects, 0);

    // Copying out of a detached key fails too, and touches nothing.
    ZProfileStore detached(nullptr);
    EXPECT_FALSE(ZProfileKey(*sourceStore.GetRootKey(), L"Dst").CopyFrom(*detached.GetRootKey()));
    EXPECT_TRUE(source.root.Child(L"Dst")->values.empty());
}

}  // namespace
