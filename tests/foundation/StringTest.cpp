// ZUnicodeString and ZString: copy on write, sensitivity and its wipe, bounds, conversions, formatting, CStringW.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"
#include "tests/support/FreedMemoryWatch.h"

namespace {

using Tessaro::StringBlock::Header;

bool AllZero(const std::string& block)
{
    return block.find_first_not_of('\0') == std::string::npos;
}

const Header* HeaderOf(const ZUnicodeString& s)
{
    return reinterpret_cast<const Header*>(s.c_str()) - 1;
}

TEST(StringLayout, EmptyStringsShareOneBlockPerSensitiveState)
{
    ZUnicodeString a, b, c(L""), d(Str::Sensitive), e(Str::Sensitive);
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_EQ(a.c_str(), c.c_str());
    EXPECT_EQ(d.c_str(), e.c_str());
    EXPECT_NE(a.c_str(), d.c_str());
    EXPECT_EQ(a.c_str()[0], L'\0');
    EXPECT_TRUE(d.IsSensitive());
}

TEST(CopyOnWrite, CopiesShareUntilAnyMutatorWritesOne)
{
    using Mutator = void (*)(ZUnicodeString&);
    const struct { const char* name; Mutator mutate; const wchar_t* expected; } cases[] = {
        {"append", [](ZUnicodeString& s) { s.append(L"!"); }, L"0123456789!"},
        {"insert", [](ZUnicodeString& s) { s.insert(3, L"xx"); }, L"012xx3456789"},
        {"erase", [](ZUnicodeString& s) { s.erase(2, 3); }, L"0156789"},
        {"resize", [](ZUnicodeString& s) { s.resize(4); }, L"0123"},
        {"clear", [](ZUnicodeString& s) { s.clear(); }, L""},
        {"+= a character", [](ZUnicodeString& s) { s += L'z'; }, L"0123456789z"},
        {"assignment", [](ZUnicodeString& s) { s = L"other"; }, L"other"},
        {"GetBuffer",
         [](ZUnicodeString& s) {
             s.GetBuffer(0)[0] = L'S';
             s.ReleaseBuffer();
         },
         L"S123456789"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ZUnicodeString original(L"0123456789");
        ZUnicodeString copy = original;
        EXPECT_EQ(copy.c_str(), original.c_str());
        EXPECT_EQ(HeaderOf(original)->refCount, 2);
        c.mutate(copy);
        EXPECT_EQ(copy, c.expected);
        EXPECT_EQ(original, L"0123456789");
        EXPECT_EQ(HeaderOf(original)->refCount, 1);
    }
}

TEST(CopyOnWrite, ShrinkingASharedStringCopiesOnlyWhatIsKept)
{
    const ZUnicodeString original(L"a fairly long text that is shared");
    ZUnicodeString copy = original;
    copy.resize(3);
    EXPECT_EQ(copy, L"a f");
    EXPECT_LE(copy.capacity(), 3u + 8u) << "the new block is sized for the kept text";
}

TEST(CopyOnWrite, SelfReferencingEditsAreSafe)
{
    ZUnicodeString s(L"abc");
    s.reserve(3);  // full block: the append must reallocate while reading itself
    s.append(s.c_str(), s.length());
    EXPECT_EQ(s, L"abcabc");
    s.insert(0, s.c_str() + 3, 3);
    EXPECT_EQ(s, L"abcabcabc");
    s = s.c_str() + 6;
    EXPECT_EQ(s, L"abc");
}

TEST(Sensitivity, StaysWithTheVariableAcrossAssignment)
{
    ZUnicodeString secret(Str::Sensitive);
    const ZUnicodeString plain(L"hunter2");
    secret = plain;
    EXPECT_TRUE(secret.IsSensitive());
    EXPECT_NE(secret.c_str(), plain.c_str()) << "a sensitive variable must not share a plain block";
    EXPECT_FALSE(plain.IsSensitive());

    secret = ZUnicodeString(L"moved in");
    EXPECT_TRUE(secret.IsSensitive());
    EXPECT_EQ(secret, L"moved in");

    secret = L"raw";
    secret.append(L" more text that forces growth of the block");
    EXPECT_TRUE(secret.IsSensitive());
    secret.clear();
    EXPECT_TRUE(secret.IsSensitive());
    EXPECT_TRUE(ZUnicodeString(secret).IsSensitive());  // copying shares the sensitive block
}

TEST(Sensitivity, FreedSensitiveBlocksAreZeroedWhollyPlainOnesAreNot)
{
    TestSupport::FreedMemoryWatch watch;
    {
        ZUnicodeString secret(L"pass", Str::Sensitive);
        ZUnicodeString plain(L"nothing to hide");
        for (int i = 0; i < 10; ++i)
            secret.append(L"phrase");  // each growth frees the old block
    }
    ASSERT_GT(watch.BlocksFreed(), 3u);
    const auto wiped = std::count_if(watch.Blocks().begin(), watch.Blocks().end(), AllZero);
    EXPECT_EQ(static_cast<size_t>(wiped), watch.BlocksFreed() - 1) << "every sensitive block wholly, and no other";
}

// Every string made from a secret, whatever the other operand, is sensitive and leaves it only in wiped blocks.
constexpr wchar_t kSecret[] = L"Tr0ub4dor&3-unique-secret";

ZUnicodeString Secret() { return ZUnicodeString(kSecret, Str::Sensitive); }

TEST(Sensitivity, ResultsBuiltFromASecretLeaveNoCopyInFreedMemory)
{
    const struct { const char* name; bool (*isSensitive)(); } paths[] = {
        {"plain + secret (UTF-16)", [] { return (ZUnicodeString(L"user:") + Secret()).IsSensitive(); }},
        {"plain + secret (ANSI)", [] { return (ZString("user:") + ZString(Secret())).IsSensitive(); }},
        {"ZString from a secret ZUnicodeString", [] { return ZString(Secret()).IsSensitive(); }},
        {"ToLocale", [] { return Secret().ToLocale().IsSensitive(); }},
        {"ToUnicode", [] { return ZString(Secret()).ToUnicode().IsSensitive(); }},
        {"ZUnicodeString from a secret ZString", [] { return ZUnicodeString(ZString(Secret())).IsSensitive(); }},
        {"substr", [] { return Secret().substr(0).IsSensitive(); }},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        TestSupport::FreedMemoryWatch watch;
        EXPECT_TRUE(path.isSensitive());
        EXPECT_GT(watch.BlocksFreed(), 0u);
        EXPECT_FALSE(watch.HoldsText(kSecret)) << "the secret is in a block freed without a wipe";
    }
}

TEST(Bounds, PositionsPastTheEndThrow)
{
    ZUnicodeString s(L"abc");
    EXPECT_THROW(s.insert(4, L"x"), std::out_of_range);
    EXPECT_THROW(s.find(L'a', 4), std::out_of_range);
    EXPECT_THROW(s.substr(5), std::out_of_range);
    EXPECT_THROW(s.erase(4), std::out_of_range);
    EXPECT_THROW(s.at(3), std::out_of_range);
    EXPECT_NO_THROW(s.insert(3, L"d"));
    EXPECT_EQ(s.find(L"cd"), 2u);
    EXPECT_EQ(s.find(L'z'), ZUnicodeString::npos);
    EXPECT_EQ(s.substr(1, 2), L"bc");
    try {
        s.insert(99, L"x");
        ADD_FAILURE() << "inserting past the end must throw";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "ZString");
    }
    EXPECT_EQ(s, L"abcd");
}

TEST(Bounds, ReleaseBufferStopsAtTheFirstNullOrTheCapacity)
{
    ZUnicodeString s;
    std::memcpy(s.GetBuffer(10), L"hello\0xx", 9 * sizeof(wchar_t));
    s.ReleaseBuffer();
    EXPECT_EQ(s.length(), 5u);
    s.GetBuffer(10);
    s.ReleaseBuffer(1000);
    EXPECT_EQ(s.length(), s.capacity());
}

TEST(Conversions, AnsiRoundTripAndBoundedOverflow)
{
    const ZUnicodeString wide(L"plain ASCII text");
    const ZString narrow(wide);
    EXPECT_STREQ(narrow.c_str(), "plain ASCII text");
    EXPECT_EQ(narrow.ToUnicode(), wide);

    char small[4];
    try {
        Tessaro::ZConvertToLocale(wide.c_str(), wide.length(), small, sizeof small);
        FAIL() << "a short buffer must throw";
    } catch (const std::overflow_error& e) {
        EXPECT_STREQ(e.what(), "ZConvertToLocale");
    }
    EXPECT_EQ(Tessaro::ZConvertToLocale(wide.c_str(), wide.length(), nullptr, 0), wide.length());
}

TEST(Formatting, MessageStylePatterns)
{
    using Format = bool (*)(ZUnicodeString&);
    const struct { Format format; bool ok; const wchar_t* expected; } cases[] = {
        {[](ZUnicodeString& s) { return s.Format(L"%1!d!", -42); }, true, L"-42"},
        {[](ZUnicodeString& s) { return s.Format(L"%1:%2!hu!", L"10.0.0.1", 8080); }, true, L"10.0.0.1:8080"},
        {[](ZUnicodeString& s) { return s.Format(L"%1!I64u!", 18446744073709551615ull); }, true,
         L"18446744073709551615"},
        // A pattern the formatter rejects is kept as it stands; no pattern changes nothing.
        {[](ZUnicodeString& s) { return s.Format(L"bad %1!d", 5); }, true, L"bad %1!d"},
        {[](ZUnicodeString& s) { return s.Format(nullptr); }, false, L"before"},
    };
    for (const auto& c : cases) {
        ZUnicodeString s(L"before");
        EXPECT_EQ(c.format(s), c.ok) << testing::PrintToString(c.expected);
        EXPECT_EQ(s, c.expected);
    }
}

TEST(Comparison, NullIsEmptyAndConcatenation)
{
    EXPECT_TRUE(ZUnicodeString() == nullptr);
    EXPECT_EQ(ZUnicodeString(L"a") + ZUnicodeString(L"b"), L"ab");
    EXPECT_EQ(ZString("a") + "b", "ab");
}

TEST(StringWithCString, ConstructsFromAssignsAndComparesWithEveryUnit)
{
    const struct { std::wstring z; CStringW c; bool equal; } cases[] = {
        {L"abc", CStringW(L"abc"), true},
        {L"", CStringW(), true},
        {std::wstring(L"nul\0inside", 10), CStringW(L"nul\0inside", 10), true},
        {L"abc", CStringW(L"abC"), false},
        {L"abc", CStringW(L"ab"), false},
        {L"nul", CStringW(L"nul\0x", 5), false},  // the CString is longer than its first null
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.z));
        const ZUnicodeString z(c.z);
        EXPECT_EQ(z == c.c, c.equal);
        EXPECT_EQ(c.c == z, c.equal);
        EXPECT_EQ(z != c.c, !c.equal);
        const ZUnicodeString fromC(c.c);
        EXPECT_EQ(fromC.length(), static_cast<size_t>(c.c.GetLength()));
        EXPECT_TRUE(fromC == c.c);
        // Assignment goes through the same Assign as a plain text's (copy on write, sensitivity kept).
        ZUnicodeString assigned(L"before", Str::Sensitive);
        assigned = c.c;
        EXPECT_TRUE(assigned == c.c);
        EXPECT_TRUE(assigned.IsSensitive());
    }
}

}  // namespace
