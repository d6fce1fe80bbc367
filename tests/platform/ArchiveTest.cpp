// CArchive over CMemFile, the serialisable collections and the byte format
// they share: round trips, the stored bytes of worked examples, and damaged
// input that must fail with an archive exception and never crash.
#include <gtest/gtest.h>

#include <afx.h>
#include <afxcoll.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tests/platform/ArchiveMarker.h"
#include "tests/platform/ThrownCause.h"
#include "tests/support/Mutations.h"

IMPLEMENT_SERIAL(Marker, CObject, 3)

namespace {


using Bytes = std::vector<BYTE>;

template <class Store>
Bytes Stored(Store store, int bufferSize = 4096)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store, bufferSize);
        store(ar);
        ar.Close();
    }
    const UINT length = static_cast<UINT>(file.GetLength());
    BYTE* data = file.Detach();
    EXPECT_EQ(file.GetLength(), 0u);  // the bytes are the caller's now
    Bytes bytes(data, data + length);
    std::free(data);
    return bytes;
}

template <class Load>
void Loaded(Bytes bytes, Load load, int bufferSize = 4096)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load, bufferSize);
    load(ar);
}

// The archive exception's cause, or -1 when the load succeeded.
template <class Load>
int LoadFailure(const Bytes& bytes, Load load)
{
    return ThrownCause<CArchiveException>([&] { Loaded(bytes, load); });
}

void DeleteObjects(CObList& list)
{
    std::set<CObject*> unique;
    for (POSITION p = list.GetHeadPosition(); p;)
        unique.insert(list.GetNext(p));
    for (CObject* object : unique)
        delete object;
    list.RemoveAll();
}

// Written in pieces across the file's growth steps, every byte reads back.
TEST(MemFile, WritesPastAGrowthStepKeepEveryByte)
{
    for (const UINT size : {1025u, 5000u}) {
        Bytes data(size);
        for (UINT i = 0; i < size; ++i)
            data[i] = static_cast<BYTE>(i * 7);
        CMemFile file;
        for (UINT at = 0; at < size; at += 700)
            file.Write(data.data() + at, std::min(700u, size - at));
        EXPECT_EQ(file.GetLength(), size);
        file.SeekToBegin();
        Bytes read(size + 1);
        EXPECT_EQ(file.Read(read.data(), size + 1), size);
        read.resize(size);
        EXPECT_EQ(read, data) << size;
    }
}

TEST(MemFile, ReadsSeeksAndTruncates)
{
    CMemFile file;
    file.Write("abcdefgh", 8);
    file.SeekToBegin();
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(file.Seek(-2, CFile::end), 6u);
    EXPECT_EQ(file.Read(buffer, 16), 2u);
    EXPECT_EQ(std::string(buffer, 2), "gh");
    EXPECT_EQ(file.Read(buffer, 16), 0u);

    file.SetLength(4);
    EXPECT_EQ(file.GetLength(), 4u);
    EXPECT_EQ(file.GetPosition(), 4u);
    // Seeking past the end makes a gap of zeros.
    file.Seek(6, CFile::begin);
    file.Write("z", 1);
    file.SeekToBegin();
    EXPECT_EQ(file.Read(buffer, 16), 7u);
    EXPECT_EQ(std::string(buffer, 7), std::string("abcd\0\0z", 7));
    EXPECT_EQ(ThrownCause<CFileException>([&] { file.Seek(-1, CFile::begin); }), CFileException::badSeek);
}

TEST(MemFile, AttachedBufferIsReadButNotGrownOrFreed)
{
    BYTE buffer[4] = {1, 2, 3, 4};
    {
        CMemFile file(buffer, sizeof(buffer));
        BYTE read[8] = {};
        EXPECT_EQ(file.Read(read, 8), 4u);
        EXPECT_EQ(Bytes(read, read + 4), Bytes(buffer, buffer + 4));
        EXPECT_EQ(ThrownCause<CMemoryException>([&] { file.Write("x", 1); }), 0) << "a fixed buffer grew";
    }
    EXPECT_EQ(buffer[3], 4);  // still ours, untouched
}

// One of every value an archive stores, different for each i.
auto Values(int i)
{
    return std::make_tuple(static_cast<BYTE>(i), static_cast<WORD>(i * 300), static_cast<LONG>(-i * 70000),
                           static_cast<DWORD>(i * 0x01010101u), i - 50, static_cast<unsigned int>(i),
                           static_cast<short>(-i), static_cast<char>('a' + i % 26), static_cast<wchar_t>(0x4E00 + i),
                           i % 2 == 0, static_cast<float>(i) / 4, static_cast<double>(i) / 3,
                           static_cast<LONGLONG>(i) * -1000000000000LL, static_cast<ULONGLONG>(i) << 40,
                           CPoint(i, -i), CSize(2 * i, 3), CRect(i, i + 1, i + 2, i + 3));
}

TEST(Archive, NumbersRoundTripAcrossBufferRefills)
{
    // 128 bytes of buffer (the minimum) against 100 rounds of every kind of
    // value, so that each kind straddles a refill somewhere.
    for (int bufferSize : {128, 4096}) {
        const auto store = [](CArchive& ar) {
            for (int i = 0; i < 100; ++i)
                std::apply([&](auto... value) { (ar << ... << value); }, Values(i));
        };
        Loaded(Stored(store, bufferSize), [](CArchive& ar) {
            for (int i = 0; i < 100; ++i) {
                decltype(Values(0)) read;
                std::apply([&](auto&... value) { (ar >> ... >> value); }, read);
                ASSERT_EQ(read, Values(i));
            }
        }, bufferSize);
    }
}

TEST(Archive, StringsUseTheLengthPrefixWithTheUtf16Marker)
{
    const std::pair<int, Bytes> cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {2, {0xFF, 0xFE, 0xFF, 0x02}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const auto& [length, prefix] : cases) {
        CString text(L'\x00E9', length);
        const Bytes bytes = Stored([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), prefix.size() + 2 * length) << length;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + prefix.size()), prefix) << length;
        CString read(L"old");
        Loaded(bytes, [&](CArchive& ar) { ar >> read; });
        EXPECT_TRUE(read == text) << length;
    }
}

TEST(Archive, NarrowStringsAreReadInTheAnsiCodePage)
{
    CString read;
    Loaded({3, 'a', 'b', 'c'}, [&](CArchive& ar) { ar >> read; });
    EXPECT_STREQ(read.GetString(), L"abc");
    Loaded({0xFF, 0x04, 0x00, 'w', 'x', 'y', 'z'}, [&](CArchive& ar) { ar >> read; });
    EXPECT_STREQ(read.GetString(), L"wxyz");
}

TEST(Archive, CountsUseTheShortestForm)
{
    const std::pair<DWORD_PTR, Bytes> cases[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
        {0x100000000ULL, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 0, 0, 0}},
    };
    for (const auto& [count, expected] : cases) {
        const Bytes bytes = Stored([&, count = count](CArchive& ar) { ar.WriteCount(count); });
        EXPECT_EQ(bytes, expected) << count;
        DWORD_PTR read = 0;
        Loaded(bytes, [&](CArchive& ar) { read = ar.ReadCount(); });
        EXPECT_EQ(read, count);
    }
}

TEST(Archive, MisuseAndShortInputThrowArchiveExceptions)
{
    EXPECT_EQ(LoadFailure({1, 2, 3}, [](CArchive& ar) { DWORD d; ar >> d; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure({}, [](CArchive& ar) { BYTE b; ar >> b; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure({1}, [](CArchive& ar) { ar << static_cast<BYTE>(1); }), CArchiveException::readOnly);
    // A string claiming more characters than there are bytes is refused before any allocation.
    EXPECT_EQ(LoadFailure({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x10, 'a', 0},
                          [](CArchive& ar) { CString s; ar >> s; }),
              CArchiveException::endOfFile);

    CMemFile file;
    CArchive ar(&file, CArchive::store);
    BYTE b;
    EXPECT_EQ(ThrownCause<CArchiveException>([&] { ar.Read(&b, 1); }), CArchiveException::writeOnly);
    CMemFile plain;  // a run-time class without a schema cannot be written as an object
    EXPECT_EQ(ThrownCause<CArchiveException>([&] { ar << static_cast<const CObject*>(&plain); }),
              CArchiveException::badClass);
}

TEST(Archive, ObjectsKeepClassesReferencesAndNulls)
{
    Marker first(1, L"one");
    Marker second(2, L"two");
    const Bytes bytes = Stored([&](CArchive& ar) {
        ar << static_cast<const CObject*>(&first) << static_cast<const CObject*>(&second)
           << static_cast<const CObject*>(&first) << static_cast<const CObject*>(nullptr);
    });
    // New class tag, schema 3, name; the object; then the class by index
    // (0x8001) for the second, and the first object again by index (2).
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12), (Bytes{0xFF, 0xFF, 3, 0, 6, 0, 'M', 'a', 'r', 'k', 'e', 'r'}));
    EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{0x02, 0x00, 0x00, 0x00}));

    Loaded(bytes, [](CArchive& ar) {
        Marker* a = nullptr;
        Marker* b = nullptr;
        Marker* again = nullptr;
        CObject* none = reinterpret_cast<CObject*>(1);
        ar >> a >> b >> again >> none;
        std::unique_ptr<Marker> ownA(a), ownB(b);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(std::make_tuple(a->m_id, std::wstring(a->m_label), b->m_id),
                  std::make_tuple(1, std::wstring(L"one"), 2));
        EXPECT_EQ(again, a);
        EXPECT_EQ(none, nullptr);
    });
}

TEST(Archive, UnknownClassesAndSchemasAreRefused)
{
    Marker marker(5, L"five");
    Bytes bytes = Stored([&](CArchive& ar) { ar << static_cast<const CObject*>(&marker); });
    Bytes otherSchema = bytes;
    otherSchema[2] = 4;
    Bytes unknown = bytes;
    unknown[6] = 'W';  // "Warker"
    auto load = [](CArchive& ar) {
        CObject* object = nullptr;
        ar >> object;
        delete object;
    };
    EXPECT_EQ(LoadFailure(bytes, load), -1);
    EXPECT_EQ(LoadFailure(otherSchema, load), CArchiveException::badSchema);
    EXPECT_EQ(LoadFailure(unknown, load), CArchiveException::badClass);
    // A Marker where a string array is asked for.
    EXPECT_EQ(LoadFailure(bytes, [](CArchive& ar) { ar.ReadObject(RUNTIME_CLASS(CStringArray)); }),
              CArchiveException::badClass);
}

struct Collections : ArchiveCollections {
    Bytes Stored() { return ::Stored([&](CArchive& ar) { Serialize(ar); }); }
};

TEST(Collections, RoundTripArraysReplacedAndListsAppendedTo)
{
    Collections stored;
    for (int i = 0; i < 300; ++i) {
        stored.bytes.Add(static_cast<BYTE>(i));
        stored.words.Add(static_cast<WORD>(i * 211));
        stored.dwords.Add(static_cast<DWORD>(i) * 0x10001u);
        CString text;
        text.Format(L"item %d \x00FC", i);
        stored.strings.Add(text);
    }
    stored.names.AddTail(L"b");
    stored.names.AddHead(L"a");
    stored.names.AddTail(L"");
    Marker shared(7, L"shared");
    stored.objects.AddTail(&shared);
    stored.objects.AddTail(nullptr);
    stored.objects.AddTail(&shared);
    const Bytes bytes = stored.Stored();
    // The byte array: its count, then the bytes themselves.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 3), (Bytes{0x2C, 0x01, 0x00}));
    EXPECT_EQ(bytes[2 + 299], 299 & 0xFF);

    Collections read;
    read.strings.Add(L"replaced");
    read.names.AddTail(L"kept");
    Loaded(bytes, [&](CArchive& ar) { read.Serialize(ar); });
    ASSERT_EQ(read.strings.GetSize(), 300);
    for (INT_PTR i = 0; i < 300; ++i) {
        ASSERT_EQ(read.bytes[i], stored.bytes[i]);
        ASSERT_EQ(read.words[i], stored.words[i]);
        ASSERT_EQ(read.dwords[i], stored.dwords[i]);
        ASSERT_TRUE(read.strings[i] == stored.strings[i]);
    }
    POSITION p = read.names.GetHeadPosition();
    for (const wchar_t* text : {L"kept", L"a", L"b", L""})
        EXPECT_STREQ(read.names.GetNext(p).GetString(), text);
    EXPECT_EQ(p, nullptr);

    ASSERT_EQ(read.objects.GetCount(), 3);
    p = read.objects.GetHeadPosition();
    CObject* first = read.objects.GetNext(p);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(static_cast<Marker*>(first)->m_id, 7);
    EXPECT_EQ(read.objects.GetNext(p), nullptr);
    EXPECT_EQ(read.objects.GetNext(p), first);  // one object, referenced twice
    DeleteObjects(read.objects);
}

TEST(Collections, BadIndexesAreRefused)
{
    CDWordArray array;
    array.Add(1);
    EXPECT_THROW(array.GetAt(1), std::out_of_range);
    EXPECT_THROW(array.SetAt(-1, 0), std::out_of_range);
    array.RemoveAt(0, 5);  // refused: beyond the end
    EXPECT_EQ(array.GetSize(), 1);
    CStringList empty;
    EXPECT_THROW(empty.GetHead(), std::out_of_range);
}

// Every variant of a good archive either loads or fails with an archive or memory exception.
TEST(Collections, DamagedArchivesFailCleanly)
{
    Collections stored;
    stored.strings.Add(L"alpha");
    stored.strings.Add(L"\x00E9t\x00E9");
    stored.words.Add(1);
    stored.words.Add(0xFFFF);
    Marker a(1, L"a");
    Marker b(2, L"bee");
    stored.objects.AddTail(&a);
    stored.objects.AddTail(&b);
    stored.objects.AddTail(&a);
    stored.names.AddTail(L"x");
    const Bytes good = stored.Stored();

    int failures = 0;
    auto attempt = [&](const Bytes& bytes) {
        Collections read;
        try {
            Loaded(bytes, [&](CArchive& ar) { read.Serialize(ar); });
        } catch (CArchiveException* e) {
            ++failures;
            e->Delete();
        } catch (CMemoryException* e) {
            ++failures;
            e->Delete();
        }
        DeleteObjects(read.objects);
    };

    attempt(good);
    ASSERT_EQ(failures, 0) << "the undamaged archive must load";
    TestSupport::Mutations truncations;
    truncations.bitFlips = truncations.byteValues = false;
    truncations.randomVariants = 0;
    const size_t truncated = truncations.ForEach(good, [&](const TestSupport::Mutation& m) { attempt(m.bytes); });
    EXPECT_EQ(failures, static_cast<int>(truncated)) << "every truncation must fail";

    TestSupport::Mutations damage;
    damage.truncations = false;
    damage.ForEach(good, [&](const TestSupport::Mutation& m) {
        SCOPED_TRACE(m.description);
        attempt(m.bytes);
    });
}

}  // namespace
