// The TLS versions setting's text form: the worked examples, defaults,
// forgiving reading, bits outside the feature, and the end of the version table.
#include <gtest/gtest.h>

#include "controls/ZProfileTlsVersions.h"

namespace {

TEST(TlsVersionsText, ReadsTheWorkedExamples)
{
    struct Case { const wchar_t* text; unsigned before; bool ok; unsigned after; };
    const Case cases[] = {
        {L"", 0, true, 0x1E0},                          // empty: every version
        {L"1.0=0", 0, true, 0x1C0},                     // unmentioned versions stay on
        {L"1.2=yes", 0, true, 0x160},                   // only "1" enables
        {L"1.0=1,1.1=0,1.2=1,1.3=0", 0, true, 0xA0},
        {L"1.3=,2.0=1,1.1=0", 0, true, 0xA0},           // empty value off, unknown names ignored
        {L"1.0", 0x77, false, 0x77},                    // no "=": unreadable, mask untouched
        {L"1.0=0,,1.1=0", 0, true, 0x180},              // empty items are skipped, not a reason to
        {L"1.0=0,", 0, true, 0x1C0},                    // fall back to every version
        {L",", 0x77, true, 0x1E7},
        {L"1.0=0, 1.1=0 , 1.2 =0", 0, true, 0x100},    // blanks around a name do not make it unknown,
        {L"1.0=0, ,\t", 0, true, 0x1C0},                // nor is a blank item a reason to fall back
        {L"1.0=0", 0xFFFF000F, true, 0xFFFF01CF},       // other bits survive; 0x10 is cleared
        {L"1.0=0", 0x10, true, 0x1C0},
    };
    for (const Case& c : cases) {
        ZProfileTlsVersions setting(c.text);
        unsigned mask = c.before;
        EXPECT_EQ(setting.GetEnabledVersions(mask), c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(mask, c.after) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(TlsVersionsText, WritesEveryVersionInOrder)
{
    const std::pair<unsigned, const wchar_t*> cases[] = {
        {0xA0, L"1.0=1,1.1=0,1.2=1,1.3=0"},
        {0x1E0, L"1.0=1,1.1=1,1.2=1,1.3=1"},
        {0, L"1.0=0,1.1=0,1.2=0,1.3=0"},
        {0xFFFFFF1F, L"1.0=0,1.1=0,1.2=0,1.3=1"},
    };
    for (const auto& [mask, text] : cases) {
        ZProfileTlsVersions setting;
        setting.SetEnabledVersions(mask);
        EXPECT_EQ(setting.GetText().str(), text) << std::hex << mask;
    }
}

TEST(TlsVersionsText, TableEndsAfterFourVersions)
{
    std::wstring name;
    unsigned bit = 0;
    ASSERT_TRUE(ZProfileTlsVersions::GetVersionInfo(3, name, bit));
    EXPECT_EQ(name, L"1.3");
    EXPECT_EQ(bit, 0x100u);
    EXPECT_FALSE(ZProfileTlsVersions::GetVersionInfo(4, name, bit));
}

}  // namespace
