// The application object: names, current application and thread, and the
// default application profile kept in an initialisation file.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <cstdlib>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace {

TEST(WinApp, NamesComeFromTheArgumentOrTheExecutable)
{
    EXPECT_EQ(AfxGetThread(), nullptr);
    {
        CWinApp app(L"Named Host");
        EXPECT_STREQ(AfxGetAppName(), L"Named Host");
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_STREQ(app.m_pszExeName, L"test_mfc");
        EXPECT_STREQ(app.m_pszProfileName, L"test_mfc.INI");
        // The application is the main thread's thread object.
        EXPECT_EQ(AfxGetThread(), &app);
        EXPECT_EQ(app.m_nThreadID, ::GetCurrentThreadId());
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxGetAppName(), nullptr);
    EXPECT_EQ(AfxGetThread(), nullptr);
    CWinApp app;  // the executable's application-title string
    EXPECT_STREQ(AfxGetAppName(), L"Stand-in Tests");
}

class WinAppProfile : public ::testing::Test {
protected:
    void SetUp() override
    {
        free(const_cast<LPWSTR>(m_app.m_pszProfileName));
        m_app.m_pszProfileName = _wcsdup(m_path.c_str());
    }

    ScratchFolder m_folder;
    const std::wstring m_path = m_folder.File(L"profile.ini");
    CWinApp m_app{L"Profile Host"};
};

TEST_F(WinAppProfile, ValuesRoundTripThroughTheFile)
{
    EXPECT_EQ(m_app.GetProfileInt(L"Window", L"Columns", 80), 80u);
    EXPECT_STREQ(m_app.GetProfileString(L"Window", L"Title", L"fallback"), L"fallback");

    for (int value : {132, 0, -5}) {
        ASSERT_TRUE(m_app.WriteProfileInt(L"Window", L"Columns", value));
        EXPECT_EQ(m_app.GetProfileInt(L"Window", L"Columns", 80), static_cast<UINT>(value)) << value;
    }

    const std::wstring longValue(6000, L'v');
    for (const wchar_t* value : {L"\u00e9t\u00e9", longValue.c_str()}) {
        ASSERT_TRUE(m_app.WriteProfileString(L"Window", L"Title", value));
        EXPECT_STREQ(m_app.GetProfileString(L"Window", L"Title"), value);
    }

    // The values sit in the named file, where any reader of such files finds them.
    wchar_t raw[32] = {};
    ::GetPrivateProfileStringW(L"Window", L"Columns", L"", raw, 32, m_path.c_str());
    EXPECT_STREQ(raw, L"-5");
}

TEST_F(WinAppProfile, NullValuesRemoveEntriesAndSections)
{
    ASSERT_TRUE(m_app.WriteProfileString(L"Recent", L"File1", L"a.log"));
    ASSERT_TRUE(m_app.WriteProfileString(L"Recent", L"File2", L"b.log"));
    ASSERT_TRUE(m_app.WriteProfileString(L"Recent", L"File1", nullptr));
    EXPECT_STREQ(m_app.GetProfileString(L"Recent", L"File1", L"gone"), L"gone");
    EXPECT_STREQ(m_app.GetProfileString(L"Recent", L"File2"), L"b.log");
    ASSERT_TRUE(m_app.WriteProfileString(L"Recent", nullptr, nullptr));
    EXPECT_STREQ(m_app.GetProfileString(L"Recent", L"File2", L"gone"), L"gone");
}

}  // namespace
