// Path substitutions at a fixed moment, environment variables, the errors and
// their inserts, and the nearest existing folder.
#include <gtest/gtest.h>

#include <string>

#include "controls/ZPathSubstitutions.h"
#include "foundation/ZReportMessageParams.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Tessaro::ExpandPathSubstitutions;

// 5 March 2024, 09:04:03.007 UTC.
constexpr SYSTEMTIME kMoment = {2024, 3, 2, 5, 9, 4, 3, 7};

struct ExpansionCase { const wchar_t* text; const wchar_t* host; const wchar_t* session; const wchar_t* expected; };

class ExpansionTest : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpansionTest, ReplacesEveryCode)
{
    const ExpansionCase& c = GetParam();
    ZReportMessageParams report;
    EXPECT_EQ(ExpandPathSubstitutions(c.text, report, c.host, c.session, kMoment).view(), c.expected);
    EXPECT_EQ(report.GetMessageId(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Codes, ExpansionTest, ::testing::Values(
    ExpansionCase{L"log-%Y%M%D.txt", nullptr, nullptr, L"log-20240305.txt"},
    ExpansionCase{L"%y", nullptr, nullptr, L"24"},
    ExpansionCase{L"%h:%m:%s", nullptr, nullptr, L"09:04:03"},
    ExpansionCase{L"%t", nullptr, nullptr, L"007"},
    ExpansionCase{L"a%Fb", nullptr, nullptr, L"ab"},
    ExpansionCase{L"100%%", nullptr, nullptr, L"100%"},
    ExpansionCase{L"%H", L"fe80::1", nullptr, L"fe80__1"},
    ExpansionCase{L"C:\\logs\\%H.log", L"..\\..\\x/y", nullptr, L"C:\\logs\\.._.._x_y.log"},  // stays in its folder
    ExpansionCase{L"C:\\logs\\%H\\x.log", L"..", nullptr, L"C:\\logs\\__\\x.log"},  // not the parent folder
    ExpansionCase{L"%H", L"a..b.", nullptr, L"a..b."},
    ExpansionCase{L"%S-%H", L"h", L"my session", L"my session-h"},
    ExpansionCase{L"", nullptr, nullptr, L""},
    ExpansionCase{L"C:\\logs\\plain.txt", nullptr, nullptr, L"C:\\logs\\plain.txt"}));

// insert: null when there is none.
struct FailureCase { const wchar_t* text; const wchar_t* host; uint32_t messageId; const wchar_t* insert; };

class ExpansionFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ExpansionFailureTest, EmptiesTheResultAndNamesTheCode)
{
    const FailureCase& c = GetParam();
    ZReportMessageParams report;
    EXPECT_TRUE(ExpandPathSubstitutions(c.text, report, c.host, nullptr, kMoment).empty());
    EXPECT_EQ(report.GetMessageId(), c.messageId);
    if (c.insert) {
        ASSERT_EQ(report.GetInserts().GetCount(), 1);
        EXPECT_EQ(report.GetInserts()[0].view(), c.insert);
    } else {
        EXPECT_EQ(report.GetInserts().GetCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, ExpansionFailureTest, ::testing::Values(
    FailureCase{L"abc%", nullptr, 0xE1040066, nullptr},
    FailureCase{L"a%Qb%c", nullptr, 0xE1040065, L"%Qb%"},
    FailureCase{L"%P", nullptr, 0xE1040065, L"%P"},
    FailureCase{L"x%H", nullptr, 0xE1040065, L"%H"},
    FailureCase{L"%S", L"host", 0xE1040065, L"%S"},
    FailureCase{L"%Y%d", nullptr, 0xE1040065, L"%d"}));

class EnvironmentTest : public ::testing::Test {
protected:
    void TearDown() override { ::SetEnvironmentVariableW(L"TESSARO_SUBST_TEST", nullptr); }
};

// A variable holding a code has the code replaced after its expansion; long values stay whole.
TEST_F(EnvironmentTest, VariablesExpandBeforeTheCodesAndBeyondTheFirstBuffer)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"D:\\logs-%Y", L"D:\\logs-2024"},
        {std::wstring(500, L'v'), std::wstring(500, L'v')},
        {std::wstring(511, L'v'), std::wstring(511, L'v')},
        {std::wstring(512, L'v'), std::wstring(512, L'v')},
        {std::wstring(3000, L'v'), std::wstring(3000, L'v')},
    };
    for (const auto& [value, expanded] : cases) {
        ASSERT_TRUE(::SetEnvironmentVariableW(L"TESSARO_SUBST_TEST", value.c_str()));
        ZReportMessageParams report;
        EXPECT_EQ(ExpandPathSubstitutions(L"%TESSARO_SUBST_TEST%\\end", report, nullptr, nullptr, kMoment).view(),
                  expanded + L"\\end")
            << value.size();
    }
}

TEST(MatchesExpandedPathTest, ComparesTheExpansionIgnoringCase)
{
    EXPECT_TRUE(Tessaro::MatchesExpandedPath(L"C:\\Logs\\%%", L"c:\\LOGS\\%", nullptr, nullptr));
    EXPECT_FALSE(Tessaro::MatchesExpandedPath(L"C:\\Logs", L"C:\\Logs2", nullptr, nullptr));
    // A failed expansion is empty and matches nothing real.
    EXPECT_FALSE(Tessaro::MatchesExpandedPath(L"C:\\%Q", L"C:\\%Q", nullptr, nullptr));
}

TEST(FindExistingFolderTest, ClimbsToTheNearestExistingFolder)
{
    ScratchFolder scratch;
    const std::wstring inner = scratch.File(L"inner");
    ASSERT_TRUE(::CreateDirectoryW(inner.c_str(), nullptr));
    ASSERT_TRUE(ScratchFolder::WriteBytes(inner + L"\\file.txt", "x"));

    EXPECT_EQ(Tessaro::FindExistingFolder(inner.c_str()).view(), inner);
    EXPECT_EQ(Tessaro::FindExistingFolder((inner + L"\\file.txt").c_str()).view(), inner + L"\\file.txt");
    EXPECT_EQ(Tessaro::FindExistingFolder((inner + L"\\missing\\deeper\\x.log").c_str()).view(), inner);
    EXPECT_EQ(Tessaro::FindExistingFolder((inner + L"\\missing\\\\").c_str()).view(), inner);
    EXPECT_TRUE(Tessaro::FindExistingFolder(L"").empty());
    EXPECT_EQ(Tessaro::FindExistingFolder(L"C:").view(), L"C:\\");
    EXPECT_EQ(Tessaro::FindExistingFolder(L"C:\\no-such-folder-here\\x").view(), L"C:\\");
    // A drive that does not exist has nothing above its root.
    EXPECT_TRUE(Tessaro::FindExistingFolder(L"Q:\\absent\\x").empty());
}

}  // namespace
