// CString: construction, formatting, buffers and the clamped text operations.
#include <gtest/gtest.h>

#include <afx.h>

#include <cstring>
#include <string>

namespace {

// %s takes wide strings, and no text is ever cut.
TEST(CString, FormatReplacesTheText)
{
    CString text;
    text.Format(L"%s=%08x", L"Columns", 80);
    EXPECT_STREQ(text, L"Columns=00000050");
    text.Format(L"%ls=%08x", L"\u4e2d\u6587", -1);
    EXPECT_STREQ(text, L"\u4e2d\u6587=ffffffff");
    text.Format(L"%hs/%c/%d/%5.2f", "narrow", L'\u00e9', -42, 3.14159);
    EXPECT_STREQ(text, L"narrow/\u00e9/-42/ 3.14");
    text.Format(L"%s", L"");
    EXPECT_TRUE(text.IsEmpty());
    const std::wstring longText(5000, L'x');
    text.Format(L"start:%s|%d", longText.c_str(), 7);
    EXPECT_EQ(std::wstring(text), L"start:" + longText + L"|7");
}

TEST(CString, ConstructionAndAssignment)
{
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    EXPECT_STREQ(CString(L"abcdef", 3), L"abc");
    EXPECT_STREQ(CString(L'-', 4), L"----");
    EXPECT_STREQ(CString("ascii text"), L"ascii text");

    CString text(L"hello");
    text = text.GetString() + 1;  // from its own characters
    EXPECT_STREQ(text, L"ello");
    text = L'z';
    EXPECT_STREQ(text, L"z");
}

TEST(CString, OperatorsJoinAndCompare)
{
    CString a(L"Tab");
    const CString joined = a + L"le" + L'/' + CString(L"x");
    EXPECT_STREQ(joined, L"Table/x");
    a += L"s";
    a += L'!';
    EXPECT_TRUE(a == L"Tabs!");
    EXPECT_TRUE(L"Tabs!" == a);
    EXPECT_TRUE(a != CString(L"Tabs"));
    EXPECT_TRUE(CString(L"a") < CString(L"b"));
}

TEST(CString, BufferWritesSetTheLengthOnRelease)
{
    CString text(L"old");
    wchar_t* buffer = text.GetBuffer(10);
    wcscpy_s(buffer, 11, L"0123456789");
    text.ReleaseBuffer();
    EXPECT_EQ(text.GetLength(), 10);
    EXPECT_STREQ(text, L"0123456789");

    buffer = text.GetBuffer(32);
    buffer[4] = L'\0';
    text.ReleaseBuffer();
    EXPECT_STREQ(text, L"0123");

    text.GetBuffer(8);
    text.ReleaseBuffer(2);
    EXPECT_STREQ(text, L"01");
}

TEST(CString, PiecesAreClampedToTheText)
{
    const CString text(L"abcdef");
    const std::pair<CString, const wchar_t*> cases[] = {
        {text.Left(2), L"ab"},       {text.Left(0), L""},        {text.Left(99), L"abcdef"},
        {text.Left(-1), L""},        {text.Right(2), L"ef"},     {text.Right(99), L"abcdef"},
        {text.Mid(2), L"cdef"},      {text.Mid(2, 3), L"cde"},   {text.Mid(4, 99), L"ef"},
        {text.Mid(6), L""},          {text.Mid(99), L""},        {text.Mid(-3, 2), L"ab"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_STREQ(actual, expected);
}

// The new text may contain the old: each occurrence is replaced once.
TEST(CString, ReplaceCountsEveryOccurrence)
{
    CString text(L"a&b&");
    EXPECT_EQ(text.Replace(L"&", L"&&"), 2);
    EXPECT_STREQ(text, L"a&&b&&");
    EXPECT_EQ(text.Replace(L"&&", L""), 2);
    EXPECT_STREQ(text, L"ab");
    EXPECT_EQ(text.Replace(L"", L"x"), 0);
    EXPECT_STREQ(text, L"ab");
}

}  // namespace
