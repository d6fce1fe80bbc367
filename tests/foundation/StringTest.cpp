// ZUnicodeString and ZString: sharing, copy on write, sensitivity and its wipe,
// bounds, conversions and message-style formatting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

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

TEST(StringLayout, HeaderDescribesTheCharacters)
{
    ZUnicodeString s(L"abc");
    const Header* h = HeaderOf(s);
    EXPECT_EQ(h->lengthBytes, 6u);
    EXPECT_GE(h->capacityBytes, 8u);
    EXPECT_EQ(h->chars, s.c_str());
    EXPECT_EQ(h->sensitive, Str::NotSensitive);
    EXPECT_EQ(h->refCount, 1);
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

TEST(CopyOnWrite, CopiesShareUntilOneIsWritten)
{
    ZUnicodeString original(L"shared text");
    ZUnicodeString copy = original;
    EXPECT_EQ(copy.c_str(), original.c_str());
    EXPECT_EQ(HeaderOf(original)->refCount, 2);

    copy.append(L"!");
    EXPECT_NE(copy.c_str(), original.c_str());
    EXPECT_EQ(original, L"shared text");
    EXPECT_EQ(copy, L"shared text!");
    EXPECT_EQ(HeaderOf(original)->refCount, 1);

    ZUnicodeString third = original;
    wchar_t* buffer = third.GetBuffer(0);
    buffer[0] = L'S';
    third.ReleaseBuffer();
    EXPECT_EQ(original, L"shared text");
    EXPECT_EQ(third, L"Shared text");
}

TEST(CopyOnWrite, EveryMutatorLeavesTheOriginalAlone)
{
    const ZUnicodeString original(L"0123456789");
    std::vector<ZUnicodeString> copies(6, original);
    copies[0].insert(3, L"xx");
    copies[1].erase(2, 3);
    copies[2].resize(4);
    copies[3].clear();
    copies[4] += L'z';
    copies[5] = L"other";
    EXPECT_EQ(original, L"0123456789");
    EXPECT_EQ(copies[0], L"012xx3456789");
    EXPECT_EQ(copies[1], L"0156789");
    EXPECT_EQ(copies[2], L"0123");
    EXPECT_TRUE(copies[3].empty());
    EXPECT_EQ(copies[4], L"0123456789z");
    EXPECT_EQ(copies[5], L"other");
}

TEST(CopyOnWrite, ShrinkingASharedStringCopiesOnlyWhatIsKept)
{
    const ZUnicodeString original(L"a fairly long text that is shared");
    ZUnicodeString copy = original;
    copy.resize(3);
    EXPECT_EQ(copy, L"a f");
    EXPECT_LE(copy.capacity(), 3u + 8u) << "the new block is sized for the kept text";
    EXPECT_EQ(original, L"a fairly long text that is shared");
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

    ZUnicodeString copy = secret;  // copying shares the sensitive block
    EXPECT_TRUE(copy.IsSensitive());
}

TEST(Sensitivity, FreedSensitiveBlocksAreZeroedHeaderIncluded)
{
    TestSupport::FreedMemoryWatch watch;
    {
        ZUnicodeString secret(L"correct horse battery staple", Str::Sensitive);
        ZUnicodeString plain(L"nothing to hide");
    }
    ASSERT_EQ(watch.BlocksFreed(), 2u);
    EXPECT_EQ(std::count_if(watch.Blocks().begin(), watch.Blocks().end(), AllZero), 1)
        << "only the sensitive block is wiped, and wholly";
}

TEST(Sensitivity, GrowthWipesTheOldSensitiveBlock)
{
    TestSupport::FreedMemoryWatch watch;
    ZUnicodeString secret(L"pass", Str::Sensitive);
    for (int i = 0; i < 10; ++i)
        secret.append(L"phrase");
    ASSERT_GT(watch.BlocksFreed(), 0u);
    EXPECT_TRUE(std::all_of(watch.Blocks().begin(), watch.Blocks().end(), AllZero));
}

// Every string made from a secret, whatever the other operand, keeps it only
// in blocks that are wiped.
constexpr wchar_t kSecret[] = L"Tr0ub4dor&3-unique-secret";

struct SecretPath {
    const char* name;
    void (*run)();
};

const SecretPath kSecretPaths[] = {
    {"plain + secret (UTF-16)",
     [] {
         const ZUnicodeString secret(kSecret, Str::Sensitive);
         const ZUnicodeString joined = ZUnicodeString(L"user:") + secret;
         EXPECT_TRUE(joined.IsSensitive());
     }},
    {"plain + secret (ANSI)",
     [] {
         const ZString secret(ZUnicodeString(kSecret, Str::Sensitive));
         const ZString joined = ZString("user:") + secret;
         EXPECT_TRUE(joined.IsSensitive());
     }},
    {"ZString from a secret ZUnicodeString",
     [] {
         const ZString narrow(ZUnicodeString(kSecret, Str::Sensitive));
         EXPECT_TRUE(narrow.IsSensitive());
     }},
    {"ToLocale",
     [] {
         const ZUnicodeString secret(kSecret, Str::Sensitive);
         EXPECT_TRUE(secret.ToLocale().IsSensitive());
     }},
    {"ToUnicode and ZUnicodeString from a secret ZString",
     [] {
         const ZString secret(ZUnicodeString(kSecret, Str::Sensitive));
         EXPECT_TRUE(secret.ToUnicode().IsSensitive());
         EXPECT_TRUE(ZUnicodeString(secret).IsSensitive());
     }},
    {"substr",
     [] {
         const ZUnicodeString secret(kSecret, Str::Sensitive);
         const ZUnicodeString tail = secret.substr(0);
         EXPECT_TRUE(tail.IsSensitive());
     }},
};

TEST(Sensitivity, ResultsBuiltFromASecretLeaveNoCopyInFreedMemory)
{
    for (const SecretPath& path : kSecretPaths) {
        SCOPED_TRACE(path.name);
        TestSupport::FreedMemoryWatch watch;
        path.run();
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
    wchar_t* p = s.GetBuffer(10);
    std::memcpy(p, L"hello\0xx", 9 * sizeof(wchar_t));
    s.ReleaseBuffer();
    EXPECT_EQ(s.length(), 5u);
    p = s.GetBuffer(10);
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
    ZUnicodeString s;
    ASSERT_TRUE(s.Format(L"%1!d!", -42));
    EXPECT_EQ(s, L"-42");
    ASSERT_TRUE(s.Format(L"%1:%2!hu!", L"10.0.0.1", 8080));
    EXPECT_EQ(s, L"10.0.0.1:8080");
    ASSERT_TRUE(s.Format(L"0x%1!08x!", 0xBEEFu));
    EXPECT_EQ(s, L"0x0000beef");
    ASSERT_TRUE(s.Format(L"%1!I64u!", 18446744073709551615ull));
    EXPECT_EQ(s, L"18446744073709551615");
}

TEST(Formatting, MalformedPatternIsKeptAsItStands)
{
    ZUnicodeString s(L"before");
    ASSERT_TRUE(s.Format(L"bad %1!d", 5));
    EXPECT_EQ(s, L"bad %1!d");
    EXPECT_FALSE(s.Format(nullptr));
    EXPECT_EQ(s, L"bad %1!d");
}

TEST(Comparison, OrderAndEquality)
{
    EXPECT_LT(ZUnicodeString(L"abc"), ZUnicodeString(L"abd"));
    EXPECT_EQ(ZUnicodeString(L"x"), ZUnicodeString(std::wstring(L"x")));
    EXPECT_TRUE(ZUnicodeString() == nullptr);
    EXPECT_EQ(ZUnicodeString(L"a") + ZUnicodeString(L"b"), L"ab");
    EXPECT_EQ(ZString("a") + "b", "ab");
}

}  // namespace
