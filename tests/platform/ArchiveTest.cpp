// CArchive over CMemFile, the serialisable collections and the byte format
// they share: round trips, the stored bytes of worked examples, and damaged
// input that must fail with an archive exception and never crash.
#include <gtest/gtest.h>

#include <afx.h>
#include <afxcoll.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "tests/support/Mutations.h"

// Run-time class without a schema: it cannot be written as an object.
class Unserialisable : public CObject {
    DECLARE_DYNAMIC(Unserialisable)
};
IMPLEMENT_DYNAMIC(Unserialisable, CObject)

namespace {

class Marker : public CObject {
    DECLARE_SERIAL(Marker)
public:
    Marker() = default;
    Marker(int id, const wchar_t* label) : m_id(id), m_label(label) {}
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_id << m_label;
        else
            ar >> m_id >> m_label;
    }
    int m_id = 0;
    CString m_label;
};
IMPLEMENT_SERIAL(Marker, CObject, 3)

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
    try {
        Loaded(bytes, load);
    } catch (CArchiveException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
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

class MemFileProbe : public CMemFile {
public:
    SIZE_T BufferSize() const { return m_nBufferSize; }
};

TEST(MemFile, GrowsInStepsOfTheGrowthSize)
{
    struct Case {
        UINT written;
        SIZE_T buffer;
    } cases[] = {{1, 1024}, {1024, 1024}, {1025, 2048}, {3000, 3072}, {5000, 5120}};
    for (const Case& c : cases) {
        MemFileProbe file;
        const Bytes data(c.written, 0x5A);
        file.Write(data.data(), c.written);
        EXPECT_EQ(file.BufferSize(), c.buffer) << c.written;
        EXPECT_EQ(file.GetLength(), c.written);
        EXPECT_EQ(file.GetPosition(), c.written);
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
    EXPECT_EQ(std::memcmp(buffer, "gh", 2), 0);
    EXPECT_EQ(file.Read(buffer, 16), 0u);

    file.SetLength(4);
    EXPECT_EQ(file.GetLength(), 4u);
    EXPECT_EQ(file.GetPosition(), 4u);

    // Seeking past the end makes a gap of zeros.
    file.Seek(6, CFile::begin);
    file.Write("z", 1);
    file.SeekToBegin();
    char all[7] = {};
    EXPECT_EQ(file.Read(all, 7), 7u);
    EXPECT_EQ(std::memcmp(all, "abcd\0\0z", 7), 0);

    try {
        file.Seek(-1, CFile::begin);
        ADD_FAILURE() << "a negative position was accepted";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badSeek);
        e->Delete();
    }
}

TEST(MemFile, AttachedBufferIsReadButNotGrownOrFreed)
{
    BYTE buffer[4] = {1, 2, 3, 4};
    {
        CMemFile file(buffer, sizeof(buffer));
        EXPECT_EQ(file.GetLength(), 4u);
        BYTE read[4] = {};
        EXPECT_EQ(file.Read(read, 4), 4u);
        EXPECT_EQ(std::memcmp(read, buffer, 4), 0);
        try {
            file.Write("x", 1);
            ADD_FAILURE() << "a fixed buffer grew";
        } catch (CMemoryException* e) {
            e->Delete();
        }
    }
    EXPECT_EQ(buffer[3], 4);  // still ours, untouched
}

TEST(MemFile, DetachHandsOverTheBytes)
{
    CMemFile file;
    file.Write("data", 4);
    BYTE* data = file.Detach();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, "data", 4), 0);
    EXPECT_EQ(file.GetLength(), 0u);
    std::free(data);
}

TEST(Archive, NumbersRoundTripAcrossBufferRefills)
{
    // 128 bytes of buffer (the minimum) against 2,000 values, so every kind
    // of value straddles a refill somewhere.
    for (int bufferSize : {128, 4096}) {
        const Bytes bytes = Stored(
            [](CArchive& ar) {
                for (int i = 0; i < 100; ++i) {
                    ar << static_cast<BYTE>(i) << static_cast<WORD>(i * 300) << static_cast<LONG>(-i * 70000)
                       << static_cast<DWORD>(i * 0x01010101u) << (i - 50) << static_cast<unsigned int>(i)
                       << static_cast<short>(-i) << static_cast<char>('a' + i % 26) << static_cast<wchar_t>(0x4E00 + i)
                       << (i % 2 == 0) << static_cast<float>(i) / 4 << static_cast<double>(i) / 3
                       << static_cast<LONGLONG>(i) * -1000000000000LL << (static_cast<ULONGLONG>(i) << 40)
                       << CPoint(i, -i) << CSize(2 * i, 3) << CRect(i, i + 1, i + 2, i + 3);
                }
            },
            bufferSize);
        Loaded(
            bytes,
            [](CArchive& ar) {
                for (int i = 0; i < 100; ++i) {
                    BYTE b; WORD w; LONG l; DWORD d; int n; unsigned int u; short s; char c; wchar_t wc; bool flag;
                    float f; double x; LONGLONG ll; ULONGLONG ull; POINT pt; SIZE sz; RECT rc;
                    ar >> b >> w >> l >> d >> n >> u >> s >> c >> wc >> flag >> f >> x >> ll >> ull >> pt >> sz >> rc;
                    ASSERT_EQ(b, static_cast<BYTE>(i));
                    ASSERT_EQ(w, static_cast<WORD>(i * 300));
                    ASSERT_EQ(l, -i * 70000);
                    ASSERT_EQ(d, i * 0x01010101u);
                    ASSERT_EQ(n, i - 50);
                    ASSERT_EQ(u, static_cast<unsigned int>(i));
                    ASSERT_EQ(s, -i);
                    ASSERT_EQ(c, 'a' + i % 26);
                    ASSERT_EQ(wc, static_cast<wchar_t>(0x4E00 + i));
                    ASSERT_EQ(flag, i % 2 == 0);
                    ASSERT_EQ(f, static_cast<float>(i) / 4);
                    ASSERT_EQ(x, static_cast<double>(i) / 3);
                    ASSERT_EQ(ll, static_cast<LONGLONG>(i) * -1000000000000LL);
                    ASSERT_EQ(ull, static_cast<ULONGLONG>(i) << 40);
                    ASSERT_TRUE(CPoint(pt) == CPoint(i, -i));
                    ASSERT_TRUE(CSize(sz) == CSize(2 * i, 3));
                    ASSERT_TRUE(CRect(rc) == CRect(i, i + 1, i + 2, i + 3));
                }
            },
            bufferSize);
    }
}

TEST(Archive, StringsUseTheLengthPrefixWithTheUtf16Marker)
{
    struct Case {
        int length;
        Bytes prefix;
    } cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {2, {0xFF, 0xFE, 0xFF, 0x02}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        CString text(L'\x00E9', c.length);
        const Bytes bytes = Stored([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + 2 * c.length) << c.length;
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.prefix.size()), c.prefix) << c.length;
        CString read(L"old");
        Loaded(bytes, [&](CArchive& ar) { ar >> read; });
        EXPECT_TRUE(read == text) << c.length;
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
    struct Case {
        DWORD_PTR count;
        Bytes bytes;
    } cases[] = {
        {0, {0x00, 0x00}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
        {0x100000000ULL, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Bytes bytes = Stored([&](CArchive& ar) { ar.WriteCount(c.count); });
        EXPECT_EQ(bytes, c.bytes) << c.count;
        DWORD_PTR read = 0;
        Loaded(bytes, [&](CArchive& ar) { read = ar.ReadCount(); });
        EXPECT_EQ(read, c.count);
    }
}

TEST(Archive, MisuseAndShortInputThrowArchiveExceptions)
{
    EXPECT_EQ(LoadFailure({1, 2, 3}, [](CArchive& ar) { DWORD d; ar >> d; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure({}, [](CArchive& ar) { BYTE b; ar >> b; }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure({1}, [](CArchive& ar) { ar << static_cast<BYTE>(1); }), CArchiveException::readOnly);
    // A string claiming more characters than there are bytes is refused
    // before anything is allocated.
    EXPECT_EQ(LoadFailure({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x10, 'a', 0},
                          [](CArchive& ar) { CString s; ar >> s; }),
              CArchiveException::endOfFile);

    CMemFile file;
    CArchive ar(&file, CArchive::store);
    try {
        BYTE b;
        ar.Read(&b, 1);
        ADD_FAILURE() << "a storing archive read";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::writeOnly);
        e->Delete();
    }
    Unserialisable plain;
    try {
        ar << static_cast<const CObject*>(&plain);
        ADD_FAILURE() << "an object without a schema was written";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::badClass);
        e->Delete();
    }
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
    const Bytes head = {0xFF, 0xFF, 0x03, 0x00, 0x06, 0x00, 'M', 'a', 'r', 'k', 'e', 'r'};
    ASSERT_GE(bytes.size(), head.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + head.size()), head);
    const Bytes tail = {0x02, 0x00, 0x00, 0x00};
    EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), tail);

    Loaded(bytes, [](CArchive& ar) {
        Marker* a = nullptr;
        Marker* b = nullptr;
        Marker* again = nullptr;
        CObject* none = reinterpret_cast<CObject*>(1);
        ar >> a >> b >> again >> none;
        std::unique_ptr<Marker> ownA(a), ownB(b);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->m_id, 1);
        EXPECT_STREQ(a->m_label.GetString(), L"one");
        EXPECT_EQ(b->m_id, 2);
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

TEST(Collections, ArraysRoundTripAndReplaceOnLoad)
{
    CByteArray bytes;
    CWordArray words;
    CDWordArray dwords;
    CStringArray strings;
    for (int i = 0; i < 300; ++i) {
        bytes.Add(static_cast<BYTE>(i));
        words.Add(static_cast<WORD>(i * 211));
        dwords.Add(static_cast<DWORD>(i) * 0x10001u);
        CString text;
        text.Format(L"item %d \x00FC", i);
        strings.Add(text);
    }
    const Bytes stored = Stored([&](CArchive& ar) {
        bytes.Serialize(ar);
        words.Serialize(ar);
        dwords.Serialize(ar);
        strings.Serialize(ar);
    });
    // The byte array: its count, then the bytes themselves.
    EXPECT_EQ(stored[0], 0x2C);
    EXPECT_EQ(stored[1], 0x01);
    EXPECT_EQ(stored[2 + 299], 299 & 0xFF);

    CByteArray bytesRead;
    CWordArray wordsRead;
    CDWordArray dwordsRead;
    CStringArray stringsRead;
    stringsRead.Add(L"replaced");
    Loaded(stored, [&](CArchive& ar) {
        bytesRead.Serialize(ar);
        wordsRead.Serialize(ar);
        dwordsRead.Serialize(ar);
        stringsRead.Serialize(ar);
    });
    ASSERT_EQ(stringsRead.GetSize(), 300);
    for (INT_PTR i = 0; i < 300; ++i) {
        ASSERT_EQ(bytesRead[i], bytes[i]);
        ASSERT_EQ(wordsRead[i], words[i]);
        ASSERT_EQ(dwordsRead[i], dwords[i]);
        ASSERT_TRUE(stringsRead[i] == strings[i]);
    }
}

TEST(Collections, ListsRoundTripAndAppendOnLoad)
{
    CStringList names;
    names.AddTail(L"b");
    names.AddHead(L"a");
    names.AddTail(L"");
    Marker shared(7, L"shared");
    CObList objects;
    objects.AddTail(&shared);
    objects.AddTail(nullptr);
    objects.AddTail(&shared);
    const Bytes stored = Stored([&](CArchive& ar) {
        names.Serialize(ar);
        objects.Serialize(ar);
    });

    CStringList namesRead;
    namesRead.AddTail(L"kept");
    CObList objectsRead;
    Loaded(stored, [&](CArchive& ar) {
        namesRead.Serialize(ar);
        objectsRead.Serialize(ar);
    });
    const wchar_t* expected[] = {L"kept", L"a", L"b", L""};
    ASSERT_EQ(namesRead.GetCount(), 4);
    POSITION p = namesRead.GetHeadPosition();
    for (const wchar_t* text : expected)
        EXPECT_STREQ(namesRead.GetNext(p).GetString(), text);
    EXPECT_EQ(p, nullptr);

    ASSERT_EQ(objectsRead.GetCount(), 3);
    p = objectsRead.GetHeadPosition();
    CObject* first = objectsRead.GetNext(p);
    CObject* second = objectsRead.GetNext(p);
    CObject* third = objectsRead.GetNext(p);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(static_cast<Marker*>(first)->m_id, 7);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(third, first);  // one object, referenced twice
    DeleteObjects(objectsRead);
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

// Every variant of a known-good archive (tests/support/Mutations) either loads
// or fails with an archive or memory exception; nothing else happens.
TEST(Collections, DamagedArchivesFailCleanly)
{
    CStringArray strings;
    strings.Add(L"alpha");
    strings.Add(L"\x00E9t\x00E9");
    CWordArray words;
    words.Add(1);
    words.Add(0xFFFF);
    Marker a(1, L"a");
    Marker b(2, L"bee");
    CObList objects;
    objects.AddTail(&a);
    objects.AddTail(&b);
    objects.AddTail(&a);
    CStringList list;
    list.AddTail(L"x");
    const Bytes good = Stored([&](CArchive& ar) {
        strings.Serialize(ar);
        words.Serialize(ar);
        objects.Serialize(ar);
        list.Serialize(ar);
    });

    int failures = 0;
    auto attempt = [&](const Bytes& bytes) {
        CStringArray s;
        CWordArray w;
        CObList o;
        CStringList l;
        try {
            Loaded(bytes, [&](CArchive& ar) {
                s.Serialize(ar);
                w.Serialize(ar);
                o.Serialize(ar);
                l.Serialize(ar);
            });
        } catch (CArchiveException* e) {
            ++failures;
            e->Delete();
        } catch (CMemoryException* e) {
            ++failures;
            e->Delete();
        }
        DeleteObjects(o);
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
