// The module state and the chain of resource modules.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <thread>

namespace {

// Two resource-only modules join the chain as extension modules, A first, so B is searched first.
class ResourceChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_probeA = ::LoadLibraryW(L"MfcProbeA.dll");
        m_probeB = ::LoadLibraryW(L"MfcProbeB.dll");
        ASSERT_TRUE(m_probeA && m_probeB);
        ASSERT_TRUE(AfxInitExtensionModule(m_recordA, m_probeA));
        ASSERT_TRUE(AfxInitExtensionModule(m_recordB, m_probeB));
        new CDynLinkLibrary(m_recordA);
        new CDynLinkLibrary(m_recordB);
        m_savedResource = AfxGetResourceHandle();
    }

    void TearDown() override
    {
        AfxSetResourceHandle(m_savedResource);
        AfxTermExtensionModule(m_recordA);
        AfxTermExtensionModule(m_recordB);
        for (HMODULE probe : {m_probeA, m_probeB})
            if (probe)
                ::FreeLibrary(probe);
    }

    static CString Load(UINT id)
    {
        CString text(L"(unchanged)");
        text.LoadString(id);
        return text;
    }

    HMODULE m_probeA = nullptr;
    HMODULE m_probeB = nullptr;
    AFX_EXTENSION_MODULE m_recordA = {};
    AFX_EXTENSION_MODULE m_recordB = {};
    HINSTANCE m_savedResource = nullptr;
};

TEST_F(ResourceChain, CurrentModuleThenExtensionsNewestFirstThenApplication)
{
    const HINSTANCE exe = ::GetModuleHandleW(nullptr);
    struct Case {
        HINSTANCE current;
        UINT id;
        const wchar_t* expected;
    } cases[] = {
        {exe, 200, L"exe:shared"},        // the current module wins
        {m_probeA, 200, L"A:shared"},
        {m_probeB, 200, L"B:shared"},
        {exe, 201, L"A:only"},             // then the chain
        {exe, 202, L"B:only"},
        {exe, 204, L"B:extension"},        // newest extension first
        {m_probeA, 204, L"A:extension"},
        {m_probeA, 203, L"exe:only"},      // a string table block without the string does not stop the search
        {m_probeB, 203, L"exe:only"},
        {exe, 299, L"(unchanged)"},        // nowhere
    };
    for (const Case& c : cases) {
        AfxSetResourceHandle(c.current);
        EXPECT_STREQ(Load(c.id), c.expected) << "id " << c.id;
    }
}

TEST_F(ResourceChain, FindResourceHandleNamesTheHoldingModule)
{
    AfxSetResourceHandle(::GetModuleHandleW(nullptr));
    // A string table block is a resource of its own: id / 16 + 1.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(200 / 16 + 1), RT_STRING), ::GetModuleHandleW(nullptr));
    AfxSetResourceHandle(m_probeA);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(200 / 16 + 1), RT_STRING), m_probeA);
    // Not found anywhere: the current resource module, where the load then fails.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(77), RT_DIALOG), m_probeA);
    EXPECT_EQ(AfxFindStringResourceHandle(201), m_probeA);
    EXPECT_EQ(AfxFindStringResourceHandle(202), m_probeB);
}

TEST_F(ResourceChain, TerminatedModulesLeaveTheChain)
{
    AfxSetResourceHandle(::GetModuleHandleW(nullptr));
    AfxTermExtensionModule(m_recordB);
    EXPECT_FALSE(m_recordB.bInitialized);
    EXPECT_STREQ(Load(202), L"(unchanged)");
    EXPECT_STREQ(Load(204), L"A:extension");
    EXPECT_STREQ(Load(201), L"A:only");

    // A record can be initialised again, given a module, and rejoin.
    EXPECT_FALSE(AfxInitExtensionModule(m_recordB, nullptr));
    EXPECT_FALSE(m_recordB.bInitialized);
    ASSERT_TRUE(AfxInitExtensionModule(m_recordB, m_probeB));
    new CDynLinkLibrary(m_recordB);
    EXPECT_STREQ(Load(204), L"B:extension");
}

TEST(ModuleState, OneStateForTheProcess)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    ASSERT_NE(state, nullptr);
    AFX_MODULE_STATE* seenElsewhere = nullptr;
    std::thread([&seenElsewhere] { seenElsewhere = AfxGetModuleState(); }).join();
    EXPECT_EQ(seenElsewhere, state) << "another thread sees the same state";
    EXPECT_EQ(state->m_hCurrentInstanceHandle, ::GetModuleHandleW(nullptr));
}

}  // namespace
