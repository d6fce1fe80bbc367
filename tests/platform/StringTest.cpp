// CString: construction, formatting, buffers and the clamped text operations.
#include <gtest/gtest.h>

#include <afx.h>

#include <cstring>
#include <string>

namespace {

// %s takes wide strings, and no text is ever cut.
TEST(CString, FormatReplacesOrAppends)
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
    text = L"start:";
    text.AppendFormat(L"%s|%d", longText.c_str(), 7);
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

    buffer = text.GetBufferSetLength(3);
    buffer[2] = L'Z';
    text.ReleaseBuffer(3);
    EXPECT_STREQ(text, L"01Z");
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

TEST(CString, TrimRemovesBlanksOrTheGivenCharacter)
{
    struct Case {
        const wchar_t* input;
        const wchar_t* trimmed;
        const wchar_t* left;
        const wchar_t* right;
    } cases[] = {
        {L"  a b  ", L"a b", L"a b  ", L"  a b"},
        {L"\t\r\nx\n", L"x", L"x\n", L"\t\r\nx"},
        {L"   ", L"", L"", L""},
        {L"", L"", L"", L""},
        {L"none", L"none", L"none", L"none"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(CString(c.input).Trim(), c.trimmed) << c.input;
        EXPECT_STREQ(CString(c.input).TrimLeft(), c.left) << c.input;
        EXPECT_STREQ(CString(c.input).TrimRight(), c.right) << c.input;
    }
    EXPECT_STREQ(CString(L"--a-b--").Trim(L'-'), L"a-b");
    EXPECT_STREQ(CString(L"----").Trim(L'-'), L"");
}

TEST(CString, FindReportsPositionsOrMinusOne)
{
    const CString text(L"key=value=end");
    const std::pair<int, int> cases[] = {
        {text.Find(L'='), 3},           {text.Find(L'=', 4), 9},      {text.Find(L'=', 10), -1},
        {text.Find(L"value"), 4},       {text.Find(L"value", 5), -1}, {text.Find(L"end", 13), -1},
        {text.Find(L'k', 99), -1},      {text.Find(L'k', -1), -1},    {text.Find(L"", 2), 2},
        {text.ReverseFind(L'='), 9},    {text.ReverseFind(L'#'), -1}, {text.FindOneOf(L"=v"), 3},
        {text.Find(static_cast<LPCWSTR>(nullptr)), -1},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(CString, EditingOperations)
{
    CString text(L"a.b.c");
    EXPECT_EQ(text.Replace(L".", L"::"), 2);
    EXPECT_STREQ(text, L"a::b::c");
    EXPECT_EQ(text.Replace(L':', L'-'), 4);
    EXPECT_STREQ(text, L"a--b--c");
    EXPECT_EQ(text.Delete(1, 2), 5);
    EXPECT_STREQ(text, L"ab--c");
    EXPECT_EQ(text.Delete(4, 99), 4);
    EXPECT_EQ(text.Insert(99, L"!"), 5);
    EXPECT_STREQ(text, L"ab--!");
    EXPECT_STREQ(text.MakeUpper(), L"AB--!");
    EXPECT_STREQ(text.MakeLower(), L"ab--!");
}

}  // namespace
