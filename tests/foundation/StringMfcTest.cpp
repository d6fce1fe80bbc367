// ZUnicodeString with the framework's CStringW: construction, assignment and
// comparison in both directions.
#include <gtest/gtest.h>

#include <afx.h>

#include "foundation/ZUnicodeString.h"

namespace {

TEST(StringWithCString, ConstructsFromTheSameUnits)
{
    const CStringW texts[] = {CStringW(L""), CStringW(L"plain"), CStringW(L"\u00e9t\u00e9 \U0001F600"),
                              CStringW(L"nul\0inside", 10)};
    for (const CStringW& text : texts) {
        const ZUnicodeString copy(text);
        EXPECT_EQ(copy.length(), static_cast<size_t>(text.GetLength()));
        EXPECT_TRUE(copy == text);
        EXPECT_TRUE(text == copy);
        EXPECT_FALSE(copy != text);
    }
}

TEST(StringWithCString, ComparisonSeesEveryUnit)
{
    struct Case {
        const wchar_t* z;
        CStringW c;
        bool equal;
    } cases[] = {
        {L"abc", CStringW(L"abc"), true},
        {L"abc", CStringW(L"abC"), false},
        {L"abc", CStringW(L"ab"), false},
        {L"", CStringW(), true},
        {L"nul", CStringW(L"nul\0x", 5), false},  // the CString is longer than its first null
    };
    for (const Case& c : cases) {
        const ZUnicodeString z(c.z);
        EXPECT_EQ(z == c.c, c.equal) << c.z;
        EXPECT_EQ(c.c == z, c.equal) << c.z;
        EXPECT_EQ(z != c.c, !c.equal) << c.z;
    }
}

TEST(StringWithCString, AssignmentReplacesTheTextAndKeepsSensitivity)
{
    ZUnicodeString text(L"before");
    const ZUnicodeString shared = text;
    text = CStringW(L"after");
    EXPECT_TRUE(text == CStringW(L"after"));
    EXPECT_TRUE(shared == L"before");  // the copy that shared the block is untouched

    ZUnicodeString secret(Str::Sensitive);
    secret = CStringW(L"pass phrase");
    EXPECT_EQ(secret.GetSensitiveState(), Str::Sensitive);
    EXPECT_TRUE(secret == CStringW(L"pass phrase"));

    secret = CStringW();
    EXPECT_TRUE(secret.empty());
    EXPECT_EQ(secret.GetSensitiveState(), Str::Sensitive);
}

}  // namespace
