// ZSettingsStore over the file-backed host store in a temporary configuration
// folder: value round trips, the flattened value names, the version check,
// the customisation files, and creation through the toolkit.
#include <gtest/gtest.h>

#include <afxcoll.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/TessaroInit.h"
#include "hoststore/ZFileProfileStore.h"
#include "settings/ZProfileStore.h"
#include "settings/ZSettingsStore.h"
#include "tests/support/ScratchFolder.h"

// A value the toolkit might store as an object.
class DockState : public CObject {
    DECLARE_SERIAL(DockState)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_bars << m_title;
        else
            ar >> m_bars >> m_title;
    }
    DWORD m_bars = 0;
    CString m_title;
};
IMPLEMENT_SERIAL(DockState, CObject, 1)

// Fails its serialisation in the way given.
class Failing : public CObject {
    DECLARE_SERIAL(Failing)
public:
    enum class How { Memory, Archive, Other };
    void Serialize(CArchive&) override
    {
        switch (m_how) {
        case How::Memory: AfxThrowMemoryException();
        case How::Archive: AfxThrowArchiveException(CArchiveException::badSchema);
        case How::Other: throw std::runtime_error("host failure");
        }
    }
    How m_how = How::Memory;
};
IMPLEMENT_SERIAL(Failing, CObject, 1)

// A run-time class without a schema: the archive cannot write it.
class Plain : public CObject {
    DECLARE_DYNCREATE(Plain)
};
IMPLEMENT_DYNCREATE(Plain, CObject)

namespace {

ZFileProfileStoreFactory* g_factory = nullptr;

ZProfileStoreFactory* FactorySource()
{
    return g_factory;
}

// Opens the protected process-wide state for resets and checks.
class StoreState : public ZSettingsStore {
public:
    static void Reset()
    {
        CleanUp();
        m_dwReleaseMenuBarVersion = m_dwReleaseToolBarVersion = 0;
        m_dwLoadedMenuBarVersion = m_dwLoadedToolBarVersion = 0;
        m_bIsCurrentToolbarCustomized = false;
        m_iToolBarsToLoad = 0;
    }
    static bool CurrentToolbarCustomized() { return m_bIsCurrentToolbarCustomized; }
};

// One top-level key of the host store, read and written past ZSettingsStore.
class RawKey {
public:
    explicit RawKey(const std::wstring& name) : m_key(*m_store.GetRootKey(), name.c_str()) {}
    ZProfileKey& operator*() { return m_key; }
    ZProfileKey* operator->() { return &m_key; }

private:
    ZProfileStore m_store;
    ZProfileKey m_key;
};

constexpr DWORD kAbsent = 0xDEAD;  // a number no test stores

// A number of a top-level key, read past ZSettingsStore; kAbsent when missing.
DWORD Stored(const wchar_t* name, const std::wstring& key = L"AppMenuToolbarV3")
{
    RawKey raw(key);
    DWORD value = kAbsent;
    raw->ReadDword(name, value);
    return value;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_factory = new ZFileProfileStoreFactory(m_folder.c_str());
        TessaroInit(nullptr, FactorySource);
        StoreState::Reset();
        ZSettingsStore::SetAppName(L"App");
        ZSettingsStore::SetAppConfigPath(m_folder.c_str());
    }

    void TearDown() override
    {
        StoreState::Reset();  // the working key goes before its factory
        TessaroInit(nullptr, nullptr);
        delete g_factory;
        g_factory = nullptr;
    }

    std::wstring InFolder(const std::wstring& name) const { return m_scratch.File(name); }

    // Removed with everything in it after TearDown has let go of the store.
    ScratchFolder m_scratch;
    const std::wstring m_folder = m_scratch.Path();
};

// One value form: how it is written, and how it is read back and checked.
struct ValueForm {
    const char* name;
    std::function<BOOL(ZSettingsStore&)> write;
    std::function<void(ZSettingsStore&)> check;
};

// A value written as it is and read back over blank.
template <class T>
ValueForm Scalar(const char* name, T value, T blank = T())
{
    return {name, [=](ZSettingsStore& s) { return s.Write(L"V", value); },
            [=](ZSettingsStore& s) {
                T read = blank;
                EXPECT_TRUE(s.Read(L"V", read));
                EXPECT_TRUE(read == value);
            }};
}

const BYTE kBlob[] = {0, 1, 2, 0xFE, 0xFF};
const wchar_t kTitle[] = L"Outils \x00E9tendus";

// Forty texts, larger than the other values; made at the first call.
CStringArray& Items()
{
    static CStringArray items;
    for (int i = static_cast<int>(items.GetSize()); i < 40; ++i)
        items.Add((L"button " + std::to_wstring(i)).c_str());
    return items;
}

// The toolkit turns objects, arrays, doubles and points into bytes before
// they reach the store, so one row of each way in stands for its kind.
// Rectangles have their own text form, checked by the tests after these.
const ValueForm kValueForms[] = {
    Scalar("NegativeInt", -42),
    Scalar("AllOnesDword", static_cast<DWORD>(0xFFFFFFFF)),
    Scalar("NonAsciiText", CString(L"Fen\x00EAtre \x65E5\x672C")),
    Scalar("EmptyText", CString(), CString(L"x")),
    Scalar("Double", 0.625),
    {"Binary", [](ZSettingsStore& s) { return s.Write(L"V", const_cast<BYTE*>(kBlob), sizeof(kBlob)); },
     [](ZSettingsStore& s) {
         BYTE* data = nullptr;
         UINT size = 0;
         ASSERT_TRUE(s.Read(L"V", &data, &size));
         std::unique_ptr<BYTE[]> owned(data);
         EXPECT_EQ(std::vector<BYTE>(data, data + size), std::vector<BYTE>(std::begin(kBlob), std::end(kBlob)));
     }},
    {"Object",
     [](ZSettingsStore& s) {
         DockState dock;
         dock.m_bars = 5;
         dock.m_title = kTitle;
         return s.Write(L"V", static_cast<CObject&>(dock));
     },
     [](ZSettingsStore& s) {
         DockState read;
         EXPECT_TRUE(s.Read(L"V", static_cast<CObject&>(read)));
         EXPECT_EQ(read.m_bars, 5u);
         EXPECT_STREQ(read.m_title.GetString(), kTitle);
     }},
    {"StringArray", [](ZSettingsStore& s) { return s.Write(L"V", Items()); },
     [](ZSettingsStore& s) {
         CStringArray read;
         EXPECT_TRUE(s.Read(L"V", read));
         ASSERT_EQ(read.GetSize(), Items().GetSize());
         for (INT_PTR i = 0; i < read.GetSize(); ++i)
             EXPECT_TRUE(read[i] == Items()[i]) << i;
     }},
};

class SettingsStoreValue : public SettingsStore, public ::testing::WithParamInterface<ValueForm> {};

TEST_P(SettingsStoreValue, RoundTripsThroughTheHostStore)
{
    {
        ZSettingsStore store;
        ASSERT_TRUE(store.CreateKey(L"Software\\Maker\\App\\Workspace"));
        ASSERT_TRUE(GetParam().write(store));
    }
    // As at the next start of the host: new working key, new factory on the same folder.
    StoreState::Reset();
    delete g_factory;
    g_factory = new ZFileProfileStoreFactory(m_folder.c_str());
    ZSettingsStore store;
    ASSERT_TRUE(store.Open(L"Software\\Maker\\App\\Workspace"));
    GetParam().check(store);
}

INSTANTIATE_TEST_SUITE_P(Forms, SettingsStoreValue, ::testing::ValuesIn(kValueForms),
                         [](const ::testing::TestParamInfo<ValueForm>& info) { return info.param.name; });

TEST_F(SettingsStore, ValueNamesJoinTheLastKeyComponentAndTheValueName)
{
    const struct {
        const wchar_t* path;
        const wchar_t* value;
        const wchar_t* stored;
    } cases[] = {
        {L"Software\\Maker\\App\\Workspace", L"Size", L"Workspace-Size"},
        {L"Workspace", L"Size", L"Workspace-Size"},
        {L"Software\\Maker\\App\\", L"Size", L"-Size"},
        {L"A\\B\\C\\D\\E\\ToolBar-59392", L"Buttons", L"ToolBar-59392-Buttons"},
        {L"Menu", L"", L"Menu-"},
    };
    DWORD number = 100;
    for (const auto& c : cases) {
        ZSettingsStore store;
        ASSERT_TRUE(store.CreateKey(c.path));
        ASSERT_TRUE(store.Write(c.value, ++number));
        EXPECT_EQ(Stored(c.stored), number) << c.stored;
    }
}

TEST_F(SettingsStore, RectanglesAreStoredAsBottomRightTopLeftTextAndReadOnlyFromFourNumbers)
{
    const CRect kept(11, 22, 33, 44);
    const struct {
        const wchar_t* text;
        CRect expected;
    } cases[] = {
        {L"", kept},           {L"7", kept},          {L"7, 8", kept},           {L"7, 8, 9", kept},
        {L"7, 8, 9,", kept},   {L"a, b, c, d", kept}, {L"4, 3, , 1", kept},      {L"99999999999, 1, 2, 3", kept},
        {L"4,3,2,1", CRect(1, 2, 3, 4)},
        {L" 4, \t3x, 2 ,-1", CRect(-1, 2, 3, 4)},
        {L"4, 3, 2, 1, 0", CRect(1, 2, 3, 4)},
        {L"-2147483648, 2147483647, 0, 0", CRect(0, 0, 2147483647, -2147483647 - 1)},
        {L"+5, 6, 7, 8", CRect(8, 7, 6, 5)},
    };
    ZSettingsStore store;
    ASSERT_TRUE(store.CreateKey(L"Workspace"));
    ASSERT_TRUE(store.Write(L"Frame", CRect(10, 20, 110, 220)));
    ZUnicodeString written;
    ASSERT_TRUE(RawKey(L"AppMenuToolbarV3")->ReadString(L"Workspace-Frame", written));
    EXPECT_EQ(written.str(), L"220, 110, 20, 10");
    // Texts without four numbers fail and leave the rectangle.
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        ASSERT_TRUE(store.Write(L"Frame", c.text));
        CRect rect = kept;
        BOOL ok = FALSE;
        EXPECT_NO_THROW(ok = store.Read(L"Frame", rect));
        EXPECT_EQ(ok != FALSE, c.expected != kept);
        EXPECT_TRUE(rect == c.expected) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
    CRect missing = kept;
    EXPECT_FALSE(store.Read(L"Missing", missing));
    EXPECT_TRUE(missing == kept);
}

TEST_F(SettingsStore, FailedReadsLeaveTheVariablesAndObjectFailuresBecomeResults)
{
    ZSettingsStore store;
    ASSERT_TRUE(store.CreateKey(L"Workspace"));
    ASSERT_TRUE(store.Write(L"Text", L"not a number"));
    const BYTE none[1] = {};
    ASSERT_TRUE(store.Write(L"Nothing", const_cast<BYTE*>(none), 0));
    ASSERT_TRUE(store.Write(L"Garbage", const_cast<BYTE*>(none), 1));
    DockState dock;
    ASSERT_TRUE(store.Write(L"Dock", static_cast<CObject&>(dock)));

    int number = 7;
    DWORD dword = 8;
    CString text(L"kept");
    EXPECT_FALSE(store.Read(L"Missing", number));
    EXPECT_FALSE(store.Read(L"Text", dword));
    EXPECT_FALSE(store.Read(L"Missing", text));
    EXPECT_EQ(number, 7);
    EXPECT_EQ(dword, 8u);
    EXPECT_STREQ(text.GetString(), L"kept");

    // Zero-length and missing binary values fail and allocate nothing.
    for (const wchar_t* name : {L"Nothing", L"Missing"}) {
        BYTE* data = nullptr;
        UINT size = 99;
        EXPECT_FALSE(store.Read(name, &data, &size)) << name;
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(size, 99u);
    }
    // Bytes that are not the object's make the object read fail.
    EXPECT_FALSE(store.Read(L"Garbage", static_cast<CObject&>(dock)));
    EXPECT_FALSE(store.Read(L"Missing", static_cast<CObject&>(dock)));
    CObject* nothing = nullptr;
    EXPECT_FALSE(store.Read(L"Garbage", nothing));
    EXPECT_FALSE(store.Write(L"Null", static_cast<CObject*>(nullptr)));

    Failing failing;
    for (Failing::How how : {Failing::How::Memory, Failing::How::Archive}) {
        failing.m_how = how;
        EXPECT_FALSE(store.Write(L"Failing", static_cast<CObject&>(failing)));
        EXPECT_FALSE(store.Read(L"Dock", static_cast<CObject&>(failing)));
    }
    // A list holding an object of a class without a schema cannot be written.
    Plain plain;
    CObList list;
    list.AddTail(&plain);
    EXPECT_FALSE(store.Write(L"List", list));
    BYTE* data = nullptr;
    UINT size = 0;
    EXPECT_FALSE(store.Read(L"List", &data, &size));  // nothing was stored
    // Exceptions not the toolkit's own pass through.
    failing.m_how = Failing::How::Other;
    EXPECT_THROW(store.Write(L"Failing", static_cast<CObject&>(failing)), std::runtime_error);
    EXPECT_THROW(store.Read(L"Dock", static_cast<CObject&>(failing)), std::runtime_error);
}

TEST_F(SettingsStore, AnObjectServesOneKeyAndDeletesNothing)
{
    ZSettingsStore first;
    EXPECT_TRUE(first.CreateKey(L"Workspace\\"));
    EXPECT_FALSE(first.CreateKey(L"Other"));  // an empty key name is still its key
    EXPECT_FALSE(first.Open(L"Other"));
    EXPECT_FALSE(ZSettingsStore().CreateKey(nullptr));

    ASSERT_TRUE(first.Write(L"Kept", 1));
    EXPECT_FALSE(first.DeleteValue(L"Kept"));
    EXPECT_FALSE(first.DeleteKey(L"Workspace\\", TRUE));
    first.Close();
    int kept = 0;
    EXPECT_TRUE(first.Read(L"Kept", kept));
    EXPECT_EQ(kept, 1);
}

TEST_F(SettingsStore, VersionCheckDecidesOnTheFirstKey)
{
    const struct {
        DWORD storedMenu, storedTool, storedCustom;  // kAbsent: not stored
        DWORD releaseMenu, releaseTool;
        int bits;
        bool currentCustomized;
        DWORD customAfter;
        bool menuGreater, toolGreater;
    } cases[] = {
        // First start: nothing stored.
        {kAbsent, kAbsent, kAbsent, 2, 4, 0, false, kAbsent, true, true},
        {kAbsent, kAbsent, kAbsent, 0, 0, 4, false, kAbsent, false, false},
        // Same versions, customised or not.
        {2, 4, 1, 2, 4, 6, false, 1, false, false},
        {2, 4, 0, 2, 4, 4, false, 0, false, false},
        {2, 4, kAbsent, 2, 4, 4, false, kAbsent, false, false},
        // A new toolbar: the old customisation is no longer the user's.
        {2, 3, 1, 2, 4, 4, true, 0, false, true},
        {2, 3, 0, 2, 4, 4, false, 0, false, true},
        // A new menu bar only.
        {1, 4, 1, 2, 4, 2, false, 1, true, false},
        // Settings from a newer build, and settings that never stored a version.
        {3, 5, 1, 2, 4, 0, true, 0, false, false},
        {kAbsent, kAbsent, 1, 2, 4, 0, true, 0, true, true},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(index);
        StoreState::Reset();
        const std::wstring app = L"Case" + std::to_wstring(index++), file = app + L"MenuToolbarV3";
        ZSettingsStore::SetAppName(app.c_str());
        {
            RawKey raw(file);
            const std::pair<const wchar_t*, DWORD> stored[] = {{L"MenuBar-Version", c.storedMenu},
                                                               {L"ToolBar-Version", c.storedTool},
                                                               {L"ToolBar-IsCustom", c.storedCustom}};
            for (const auto& [name, value] : stored) {
                if (value != kAbsent) {
                    ASSERT_TRUE(raw->WriteDword(name, value));
                }
            }
        }
        ZSettingsStore::SetMenuBarVersion(c.releaseMenu);
        ZSettingsStore::SetToolBarVersion(c.releaseTool);
        ZSettingsStore store;
        ASSERT_TRUE(store.CreateKey(L"Software\\Maker\\App\\Workspace"));
        EXPECT_EQ(ZSettingsStore::FindToolBarsToLoad(), c.bits);
        EXPECT_EQ(StoreState::CurrentToolbarCustomized(), c.currentCustomized);
        EXPECT_EQ(ZSettingsStore::MenuReleaseVersionGreaterThanLoadedVersion(), c.menuGreater);
        EXPECT_EQ(ZSettingsStore::ToolBarReleaseVersionGreaterThanLoadedVersion(), c.toolGreater);
        EXPECT_EQ(Stored(L"ToolBar-IsCustom", file), c.customAfter);

        // Later keys do not run the check again.
        ASSERT_TRUE(RawKey(file)->WriteDword(L"ToolBar-IsCustom", 1));
        ASSERT_TRUE(ZSettingsStore().CreateKey(L"Other"));
        EXPECT_EQ(ZSettingsStore::FindToolBarsToLoad(), c.bits);
    }
}

TEST_F(SettingsStore, VersionsAndTheCustomFlagAreStoredInTheWorkingKey)
{
    // Before any key is open there is nowhere to store them.
    EXPECT_FALSE(ZSettingsStore::StoreMenuBarVersion());
    EXPECT_FALSE(ZSettingsStore::SetToolBarCustomized(true));
    EXPECT_FALSE(ZSettingsStore::IsToolBarCustomized());

    ZSettingsStore::SetMenuBarVersion(7);
    ZSettingsStore::SetToolBarVersion(9);
    ZSettingsStore store;
    ASSERT_TRUE(store.CreateKey(L"Workspace"));
    EXPECT_TRUE(ZSettingsStore::StoreMenuBarVersion());
    EXPECT_TRUE(ZSettingsStore::StoreToolBarVersion());
    EXPECT_FALSE(ZSettingsStore::IsToolBarCustomized());
    EXPECT_TRUE(ZSettingsStore::SetToolBarCustomized(true));
    EXPECT_TRUE(ZSettingsStore::IsToolBarCustomized());
    EXPECT_EQ(Stored(L"MenuBar-Version"), 7u);
    EXPECT_EQ(Stored(L"ToolBar-Version"), 9u);
    EXPECT_EQ(Stored(L"ToolBar-IsCustom"), 1u);
    EXPECT_TRUE(ZSettingsStore::SetToolBarCustomized(false));
    EXPECT_EQ(Stored(L"ToolBar-IsCustom"), 0u);
}

TEST_F(SettingsStore, IncompatibleCustomisationFollowsTheFilesPresent)
{
    EXPECT_FALSE(ZSettingsStore::HasIncompatibleCustomizeConfig()) << "nothing stored at all";

    // Only the second-generation file: its own flag decides.
    const struct {
        const wchar_t* name;
        DWORD flag;
        bool expected;
    } olderCases[] = {{L"ToolBar-IsCustom", 1, true}, {L"ToolBar-IsCustom", 0, false}, {L"Other", 0, false}};
    int index = 0;
    for (const auto& c : olderCases) {
        SCOPED_TRACE(index);
        const std::wstring app = L"Older" + std::to_wstring(index++);
        ZSettingsStore::SetAppName(app.c_str());
        ASSERT_TRUE(RawKey(app + L"MenuToolbarV2")->WriteDword(c.name, c.flag));
        ASSERT_TRUE(ScratchFolder::Exists(InFolder(app + L"MenuToolbarV2.ini")));
        EXPECT_EQ(ZSettingsStore::HasIncompatibleCustomizeConfig(), c.expected);
    }

    // The current file exists: the version check's finding decides, whatever
    // the older file says. Stored toolbar 3, this build 4, customised.
    ZSettingsStore::SetAppName(L"App");
    ASSERT_TRUE(RawKey(L"AppMenuToolbarV2")->WriteDword(L"ToolBar-IsCustom", 1));
    ASSERT_TRUE(RawKey(L"AppMenuToolbarV3")->WriteDword(L"ToolBar-Version", 3));
    ASSERT_TRUE(RawKey(L"AppMenuToolbarV3")->WriteDword(L"ToolBar-IsCustom", 1));
    ASSERT_TRUE(ZSettingsStore::HasRecentCustomizeConfig());
    EXPECT_FALSE(ZSettingsStore::HasIncompatibleCustomizeConfig()) << "no check has run yet";
    ZSettingsStore::SetToolBarVersion(4);
    ASSERT_TRUE(ZSettingsStore().CreateKey(L"Workspace"));
    EXPECT_TRUE(ZSettingsStore::HasIncompatibleCustomizeConfig());
}

// The other product's file: each of the pair names the other's, by exact name.
TEST_F(SettingsStore, OtherFileAndXmlPathFollowTheApplicationName)
{
    const std::pair<const wchar_t*, const wchar_t*> others[] = {
        {L"App", L"KLTXMenuToolbarV3"}, {L"KLTX", L"QMFMenuToolbarV3"},
        {L"kltx", L"KLTXMenuToolbarV3"}, {L"QMF", L"KLTXMenuToolbarV3"}};
    for (const auto& [app, other] : others) {
        ZSettingsStore::SetAppName(app);
        EXPECT_EQ(ZSettingsStore::GetOtherIniFilename().str(), other);
    }
    ZSettingsStore::SetAppName(L"App");
    const std::pair<const wchar_t*, const wchar_t*> paths[] = {
        {L"C:\\Config", L"C:\\Config\\AppMenuToolbar.xml"},
        {L"C:\\Config\\", L"C:\\Config\\AppMenuToolbar.xml"},
        {L"", L"AppMenuToolbar.xml"},
    };
    for (const auto& [folder, path] : paths) {
        ZSettingsStore::SetAppConfigPath(folder);
        EXPECT_EQ(ZSettingsStore::GetXmlFilePath().str(), path);
    }
}

TEST_F(SettingsStore, PresenceTestsLookForTheirOwnFile)
{
    const struct {
        const wchar_t* file;
        bool deprecated, deprecatedV2, recent, xml;
    } cases[] = {
        {L"AppMenuToolbar.ini", true, false, false, false},
        {L"AppMenuToolbarV2.ini", false, true, false, false},
        {L"AppMenuToolbarV3.ini", false, false, true, false},
        {L"AppMenuToolbar.xml", false, false, false, true},
        {L"OtherMenuToolbarV3.ini", false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.file)));
        ASSERT_TRUE(ScratchFolder::WriteBytes(InFolder(c.file), ""));
        EXPECT_EQ(ZSettingsStore::HasDeprecatedCustomizeConfig(), c.deprecated);
        EXPECT_EQ(ZSettingsStore::HasDeprecatedCustomizeConfigV2(), c.deprecatedV2);
        EXPECT_EQ(ZSettingsStore::HasRecentCustomizeConfig(), c.recent);
        EXPECT_EQ(ZSettingsStore::HasXmlCustomizeConfig(), c.xml);
        ASSERT_TRUE(::DeleteFileW(InFolder(c.file).c_str()));
    }
    // A folder of that name is not a customisation file.
    ASSERT_TRUE(::CreateDirectoryW(InFolder(L"AppMenuToolbarV3.ini").c_str(), nullptr));
    EXPECT_FALSE(ZSettingsStore::HasRecentCustomizeConfig());
}

TEST_F(SettingsStore, FrameworkVersionIsKeptUnderItsOwnKeyName)
{
    int major = 11, minor = 22;
    EXPECT_TRUE(ZSettingsStore::LoadFrameworkVersion(major, minor));
    EXPECT_EQ(major, 11);  // nothing stored yet
    EXPECT_EQ(minor, 22);
    ZSettingsStore::StoreFrameworkVersion(33, 4);
    EXPECT_EQ(Stored(L"BCGControlBarVersion-Major"), 33u);
    EXPECT_EQ(Stored(L"BCGControlBarVersion-Minor"), 4u);
    EXPECT_TRUE(ZSettingsStore::LoadFrameworkVersion(major, minor));
    EXPECT_EQ(major, 33);
    EXPECT_EQ(minor, 4);
}

TEST_F(SettingsStore, LoadAndSaveCopyTheWorkingKeyTree)
{
    ASSERT_TRUE(ZSettingsStore().CreateKey(L"Workspace"));
    ASSERT_TRUE(ZSettingsStore::SetToolBarCustomized(true));
    {
        RawKey backup(L"Backup");
        ASSERT_TRUE(ZSettingsStore::Save(*backup));
        ZProfileKey copy(*backup, L"AppMenuToolbarV3");
        DWORD custom = 0;
        EXPECT_TRUE(copy.ReadDword(L"ToolBar-IsCustom", custom));
        EXPECT_EQ(custom, 1u);
        // Change the backup, nest a key in it, and load it back.
        ASSERT_TRUE(copy.WriteDword(L"ToolBar-IsCustom", 2));
        ASSERT_TRUE(ZProfileKey(copy, L"Nested").WriteString(L"Name", L"deep"));
        ASSERT_TRUE(ZSettingsStore::Load(*backup));
    }
    EXPECT_EQ(Stored(L"ToolBar-IsCustom"), 2u);
    ZUnicodeString name;
    EXPECT_TRUE(ZProfileKey(*RawKey(L"AppMenuToolbarV3"), L"Nested").ReadString(L"Name", name));
    EXPECT_EQ(name.str(), L"deep");
}

TEST_F(SettingsStore, ToolkitCreatesItByRuntimeClassName)
{
    CRuntimeClass* registryClass = CRuntimeClass::FromName("ZSettingsStore");
    ASSERT_EQ(registryClass, RUNTIME_CLASS(ZSettingsStore));
    ASSERT_TRUE(CBCGPRegistrySP::SetRuntimeClass(registryClass));
    {
        CBCGPRegistrySP maker;
        CBCGPRegistry& registry = maker.Create(FALSE, FALSE);
        ASSERT_TRUE(registry.CreateKey(L"Software\\Maker\\App\\Toolbars"));
        EXPECT_TRUE(registry.Write(L"Count", 3));
    }
    EXPECT_EQ(Stored(L"Toolbars-Count"), 3u);
    ASSERT_TRUE(CBCGPRegistrySP::SetRuntimeClass(nullptr));
}

TEST_F(SettingsStore, WritesReportTheStoresFailures)
{
    ZSettingsStore store;
    ASSERT_TRUE(store.CreateKey(L"Workspace"));
    g_factory->SetWriteFaultHook([](ZFileProfileStoreFactory::WriteStep) { return true; });
    for (const ValueForm& form : kValueForms)
        EXPECT_FALSE(form.write(store)) << form.name;
    EXPECT_FALSE(store.Write(L"Rect", CRect(1, 2, 3, 4)));
    g_factory->SetWriteFaultHook({});
    EXPECT_TRUE(store.Write(L"Number", 1));
}

TEST_F(SettingsStore, WithoutAStoreEverythingFailsQuietly)
{
    TessaroInit(nullptr, nullptr);
    ZSettingsStore store;
    ASSERT_TRUE(store.CreateKey(L"Workspace"));
    EXPECT_FALSE(store.Write(L"Number", 1));
    int number = 5;
    EXPECT_FALSE(store.Read(L"Number", number));
    EXPECT_EQ(number, 5);
    EXPECT_EQ(ZSettingsStore::FindToolBarsToLoad(), 4);  // both versions 0, as on a first start
}

TEST_F(SettingsStore, ThreadsShareTheWorkingKey)
{
    constexpr int kThreads = 4, kValues = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            ZSettingsStore store;
            store.CreateKey((L"Pane" + std::to_wstring(t)).c_str());
            for (int v = 0; v < kValues; ++v)
                store.Write((L"V" + std::to_wstring(v)).c_str(), t * 1000 + v);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    RawKey raw(L"AppMenuToolbarV3");
    for (int t = 0; t < kThreads; ++t) {
        for (int v = 0; v < kValues; ++v) {
            DWORD value = 0;
            const std::wstring name = L"Pane" + std::to_wstring(t) + L"-V" + std::to_wstring(v);
            ASSERT_TRUE(raw->ReadDword(name.c_str(), value)) << testing::PrintToString(name);
            EXPECT_EQ(value, static_cast<DWORD>(t * 1000 + v));
        }
    }
}

TEST_F(SettingsStore, LoadAndSaveSurviveACleanUpOnAnotherThread)
{
    {
        ZSettingsStore store;
        ASSERT_TRUE(store.CreateKey(L"Workspace"));
        ASSERT_TRUE(store.Write(L"Size", 12));
    }
    RawKey backup(L"Backup");
    ASSERT_TRUE(ZSettingsStore::Save(*backup));

    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread copier([&] {
        for (int i = 0; i < 300; ++i) {
            if (!ZSettingsStore::Save(*backup) || !ZSettingsStore::Load(*backup))
                ++failures;
            ZSettingsStore::SetToolBarCustomized(i % 2 != 0);
            ZSettingsStore::IsToolBarCustomized();
            ZSettingsStore::StoreMenuBarVersion();
            ZSettingsStore::StoreToolBarVersion();
        }
        done = true;
    });
    std::thread cleaner([&] {
        while (!done)
            ZSettingsStore::CleanUp();
    });
    copier.join();
    cleaner.join();
    EXPECT_EQ(failures, 0) << "a copy failed while the working key was closed and reopened";
    EXPECT_EQ(Stored(L"Workspace-Size"), 12u);
}

}  // namespace
