// The toolkit's own CBCGPRegistry over HKEY_CURRENT_USER, and the factory that
// makes the registry objects of the class a host registers.
#include <gtest/gtest.h>

#include <BCGPRegistry.h>

#include <cstring>
#include <memory>
#include <vector>
#include <string>

// A registry that keeps every byte value in memory: shows that the typed
// writers of the base reach a derived store through the byte operations.
class MemoryRegistry : public CBCGPRegistry {
    DECLARE_DYNCREATE(MemoryRegistry)
public:
    using CBCGPRegistry::Read;
    using CBCGPRegistry::Write;
    BOOL Write(LPCTSTR, LPBYTE data, UINT size) override
    {
        s_bytes.assign(data, data + size);
        return TRUE;
    }
    BOOL Read(LPCTSTR, BYTE** data, UINT* size) override
    {
        if (s_bytes.empty())
            return FALSE;
        *data = new BYTE[s_bytes.size()];
        std::memcpy(*data, s_bytes.data(), s_bytes.size());
        *size = static_cast<UINT>(s_bytes.size());
        return TRUE;
    }
    static inline std::vector<BYTE> s_bytes;
};
IMPLEMENT_DYNCREATE(MemoryRegistry, CBCGPRegistry)

namespace {

// The value read under name into a fresh T; the read must succeed.
template <class T>
T ReadBack(CBCGPRegistry& registry, const wchar_t* name)
{
    T value{};
    EXPECT_TRUE(registry.Read(name, value)) << testing::PrintToString(std::wstring(name));
    return value;
}

class Registry : public ::testing::Test {
protected:
    void TearDown() override { CBCGPRegistry().DeleteKey(m_path.c_str()); }
    const std::wstring m_path = L"Software\\TessaroTest\\Registry" + std::to_wstring(::GetCurrentProcessId());
};

TEST_F(Registry, TypedValuesRoundTrip)
{
    CStringArray strings;
    strings.Add(L"one");
    strings.Add(L"\x00E9");
    CDWordArray dwords;
    dwords.Add(0xFEEDFACE);
    POINT point = {5, -6};
    LPPOINT pointRef = &point;
    {
        CBCGPRegistry registry;
        ASSERT_TRUE(registry.CreateKey((m_path + L"\\Pane").c_str()));
        EXPECT_TRUE(registry.Write(L"Int", -9));
        EXPECT_TRUE(registry.Write(L"Dword", static_cast<DWORD>(77)));
        EXPECT_TRUE(registry.Write(L"Text", L"caf\x00E9"));
        EXPECT_TRUE(registry.Write(L"Rect", CRect(1, 2, 3, 4)));
        EXPECT_TRUE(registry.Write(L"Double", 2.5));
        EXPECT_TRUE(registry.Write(L"Point", pointRef));
        EXPECT_TRUE(registry.Write(L"Strings", strings));
        EXPECT_TRUE(registry.Write(L"DWords", dwords));
    }
    CBCGPRegistry registry(FALSE, TRUE);
    ASSERT_TRUE(registry.Open((m_path + L"\\Pane").c_str()));
    EXPECT_EQ(ReadBack<int>(registry, L"Int"), -9);
    EXPECT_EQ(ReadBack<DWORD>(registry, L"Dword"), 77u);
    EXPECT_STREQ(ReadBack<CString>(registry, L"Text").GetString(), L"caf\x00E9");
    EXPECT_TRUE(ReadBack<CRect>(registry, L"Rect") == CRect(1, 2, 3, 4));
    EXPECT_EQ(ReadBack<double>(registry, L"Double"), 2.5);
    CPoint pointRead;
    LPPOINT pointReadRef = &pointRead;
    EXPECT_TRUE(registry.Read(L"Point", pointReadRef));
    EXPECT_EQ(pointRead, CPoint(5, -6));
    CStringArray stringsRead;
    CDWordArray dwordsRead;
    EXPECT_TRUE(registry.Read(L"Strings", stringsRead));
    EXPECT_TRUE(registry.Read(L"DWords", dwordsRead));
    ASSERT_EQ(stringsRead.GetSize(), 2);
    EXPECT_TRUE(stringsRead[1] == strings[1]);
    ASSERT_EQ(dwordsRead.GetSize(), 1);
    EXPECT_EQ(dwordsRead[0], 0xFEEDFACEu);

    // Wrong types and missing values fail and leave the variables.
    DWORD dword = 77;
    CString text = L"kept";
    CRect rect(1, 2, 3, 4);
    EXPECT_FALSE(registry.Read(L"Text", dword));
    EXPECT_FALSE(registry.Read(L"Missing", text));
    EXPECT_FALSE(registry.Read(L"Int", rect));
    EXPECT_EQ(dword, 77u);
    EXPECT_STREQ(text.GetString(), L"kept");
    EXPECT_TRUE(rect == CRect(1, 2, 3, 4));
    // Read-only objects do not write.
    EXPECT_FALSE(registry.Write(L"Int", 1));
    EXPECT_FALSE(registry.DeleteValue(L"Int"));
}

TEST_F(Registry, KeysAndValuesAreListedAndDeleted)
{
    CBCGPRegistry registry;
    for (const wchar_t* key : {L"\\A", L"\\B", L""})  // the last one stays open
        ASSERT_TRUE(registry.CreateKey((m_path + key).c_str()));
    ASSERT_TRUE(registry.Write(L"x", 1));
    ASSERT_TRUE(registry.Write(L"y", L"2"));

    CStringArray keys, values;
    EXPECT_TRUE(registry.ReadSubKeys(keys));
    EXPECT_TRUE(registry.ReadKeyValues(values));
    ASSERT_EQ(keys.GetSize(), 2);
    ASSERT_EQ(values.GetSize(), 2);
    EXPECT_TRUE(registry.VerifyValue(L"x"));
    EXPECT_TRUE(registry.DeleteValue(L"x"));
    EXPECT_FALSE(registry.VerifyValue(L"x"));

    EXPECT_TRUE(registry.VerifyKey((m_path + L"\\A").c_str()));
    EXPECT_TRUE(registry.DeleteKey((m_path + L"\\A").c_str()));
    EXPECT_FALSE(registry.VerifyKey((m_path + L"\\A").c_str()));
    EXPECT_FALSE(registry.DeleteKey(L"\\"));  // never the whole root
    EXPECT_FALSE(CBCGPRegistry().Open((m_path + L"\\Missing").c_str()));
}

TEST_F(Registry, TypedWritersGoThroughTheByteOperations)
{
    CBCGPRegistrySP maker;
    ASSERT_TRUE(CBCGPRegistrySP::SetRuntimeClass(RUNTIME_CLASS(MemoryRegistry)));
    CBCGPRegistry& registry = maker.Create(FALSE, FALSE);
    ASSERT_TRUE(registry.IsKindOf(RUNTIME_CLASS(MemoryRegistry)));
    CWordArray words;
    words.Add(0x1234);
    EXPECT_TRUE(registry.Write(L"Words", words));
    EXPECT_EQ(MemoryRegistry::s_bytes, (std::vector<BYTE>{0x01, 0x00, 0x34, 0x12}));
    CWordArray read;
    EXPECT_TRUE(registry.Read(L"Words", read));
    ASSERT_EQ(read.GetSize(), 1);
    EXPECT_EQ(read[0], 0x1234);

    // Bytes that are not a word array fail the read and keep the array.
    MemoryRegistry::s_bytes = {0x05, 0x00, 0x01};
    EXPECT_FALSE(registry.Read(L"Words", read));
    EXPECT_EQ(read.GetSize(), 1);
    CStringList list;
    list.AddTail(L"kept");
    EXPECT_FALSE(registry.Read(L"List", list));
    EXPECT_EQ(list.GetCount(), 1);

    EXPECT_FALSE(CBCGPRegistrySP::SetRuntimeClass(RUNTIME_CLASS(CWordArray)));
    EXPECT_EQ(CBCGPRegistrySP::GetRuntimeClass(), RUNTIME_CLASS(MemoryRegistry));
    ASSERT_TRUE(CBCGPRegistrySP::SetRuntimeClass(nullptr));
    EXPECT_EQ(CBCGPRegistrySP::GetRuntimeClass(), RUNTIME_CLASS(CBCGPRegistry));
}

}  // namespace
