// Message reports: lookup through the system, kernel-layer, library and host tables, inserts and the
// placeholder rule, fallbacks, caching, copying; and the library's message table. Wine words system
// messages differently and has no kernel status texts: cases never assert the platform's wording.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "ReportTestMessages.h"
#include "foundation/ZReportMessageParams.h"
#include "tests/support/LibraryMessages.h"
#include "tests/support/WineDetection.h"

namespace {

constexpr LANGID kEnglish = 0x409;
constexpr LANGID kFrench = 0x40C;

std::wstring Fallback(const wchar_t* hexDigits)
{
    return std::wstring(L"Could not retrieve the error text for error code 0x") + hexDigits + L".\r\n";
}

ZReportMessageParams MakeReport(uint32_t id, std::vector<const wchar_t*> inserts, HMODULE module = GetTessaroDll())
{
    ZReportMessageParams report(id, module);
    for (const wchar_t* insert : inserts)
        report.AddInsert(insert);
    return report;
}

// --- Lookup, inserts and placeholders ------------------------------------------

// The module a report is made for: the library, this program (the host), a DLL without resources (1812
// must not end the search), or one whose message the formatter rejects (87), which ends it with error 87.
enum Module { Library, Host, Bare, Broken };

TEST(ReportFormatting, TextsFromEachTableWithTheirInserts)
{
    const std::wstring invalidParameter = ZReportMessageParams(ERROR_INVALID_PARAMETER).GetText();
    // Library messages without inserts are read back whole by MessageTable.ProcessLanguagePicksEnglish.
    const struct {
        const char* name;
        uint32_t id;
        std::vector<const wchar_t*> inserts;
        std::wstring expected;
        Module module = Library;
    } cases[] = {
        {"one insert of two keeps the raw text", MSG_ENTER_INTEGER_BETWEEN, {L"1"},
         L"Please enter an integer between %1 and %2.\r\n"},
        {"two inserts fill the text", MSG_ENTER_INTEGER_BETWEEN, {L"1", L"10"},
         L"Please enter an integer between 1 and 10.\r\n"},
        {"surplus inserts are not used", MSG_ENTER_INTEGER_BETWEEN, {L"1", L"10", L"99"},
         L"Please enter an integer between 1 and 10.\r\n"},
        {"an insert may be empty", MSG_FILE_NOT_FOUND, {L""}, L"The file '' was not found.\r\n"},
        {"inserts are not formatted again", MSG_FILE_NOT_FOUND, {L"%2 and 100%"},
         L"The file '%2 and 100%' was not found.\r\n"},
        {"escaped percent is formatted with one insert", MSG_CRASH_PACKAGING, {L"12"},
         L"Packaging crash information (%1 KB archived):\r\n"},
        {"third placeholder, two inserts", MSG_TEST_HOST_THIRD_INSERT, {L"a", L"b"}, L"Only %3 here.\r\n"},
        {"third placeholder, three inserts", MSG_TEST_HOST_THIRD_INSERT, {L"a", L"b", L"c"}, L"Only c here.\r\n"},
        {"host escape with its insert", MSG_TEST_HOST_PERCENT, {L"yes"}, L"100% sure, yes.\r\n"},
        {"host escape without its insert", MSG_TEST_HOST_PERCENT, {}, L"100%% sure, %1.\r\n"},
        {"an insert format the formatter rejects gives the raw text", MSG_TEST_HOST_BAD_INSERT_FORMAT, {L"7"},
         L"Count: %1!d\r\n"},
        {"%0 ends the text without a break", MSG_TEST_HOST_CUT_SHORT, {}, L"Visible"},
        {"unknown error identifier", 0xE1330FFE, {}, Fallback(L"e1330ffe")},
        {"customer bit alone: not a platform code", 0x20000001, {}, Fallback(L"20000001")},
        {"host table searched last", MSG_TEST_HOST_GREETING, {L"tester"}, L"Hello from the host, tester.\r\n"},
        {"report of the host", MSG_TEST_HOST_GREETING, {L"tester"}, L"Hello from the host, tester.\r\n", Host},
        {"report of the host skips the library", MSG_ENTER_POSITIVE_INTEGER, {}, Fallback(L"e1330010"), Host},
        {"module without resources, unknown", 0x6133FFF0, {}, Fallback(L"6133fff0"), Bare},
        {"module without resources, then the host", MSG_TEST_HOST_GREETING, {L"again"},
         L"Hello from the host, again.\r\n", Bare},
        {"broken module passes on what it lacks", MSG_TEST_HOST_GREETING, {}, L"Hello from the host, %1.\r\n", Broken},
        {"the host's copy of the broken message", MSG_TEST_HOST_COPY_OF_BROKEN, {},
         L"The host's copy of the broken message.\r\n"},
        {"a message the formatter rejects", MSG_TEST_HOST_COPY_OF_BROKEN, {}, invalidParameter, Broken},
        {"a message the formatter rejects, with inserts", MSG_TEST_HOST_COPY_OF_BROKEN, {L"unused"}, invalidParameter,
         Broken},
    };
    HMODULE broken = ::LoadLibraryW(L"report_broken_table.dll");
    const HMODULE modules[] = {GetTessaroDll(), ::GetModuleHandleW(nullptr), ::GetModuleHandleW(L"libgcc_s_seh-1.dll"),
                               broken};
    ASSERT_NE(modules[Bare], nullptr);
    ASSERT_NE(broken, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZReportMessageParams report = MakeReport(c.id, c.inserts, modules[c.module]);
        EXPECT_EQ(std::wstring(report.GetText()), c.expected);
        EXPECT_EQ(report.GetTextLength(), c.expected.size());
    }
    ::FreeLibrary(broken);
}

TEST(ReportFormatting, EveryInsertOverloadAppendsInOrder)
{
    ZReportMessageParams report(MSG_TEST_HOST_GREETING);
    report.AddInsert(std::wstring(L"wide"));
    report.AddInsert(static_cast<const wchar_t*>(nullptr));
    report.AddInsert(std::string("narrow"));
    report.AddInsert(static_cast<const char*>(nullptr));
    report.AddInsert("plain");
    const ZStringArray& inserts = report.GetInserts();
    ASSERT_EQ(inserts.GetCount(), 5u);
    const wchar_t* expected[] = {L"wide", L"", L"narrow", L"", L"plain"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(inserts[i], expected[i]) << i;
    EXPECT_EQ(std::wstring(report.GetText()), L"Hello from the host, wide.\r\n");
}

// The 32-bit overload is the range check's and the origin's; the patterns themselves are ZUnicodeString::Format's.
TEST(ReportFormatting, FormattedInsertOf64BitsKeepsTheHighHalf)
{
    ZReportMessageParams report;
    report.AddFormattedInsert(L"%1!I64u!", uint64_t{0x123456789ABCDEF0});
    report.AddFormattedInsert(L"%1!I64d!", static_cast<uint64_t>(-5));
    ASSERT_EQ(report.GetInserts().GetCount(), 2u);
    EXPECT_EQ(report.GetInserts()[0].str(), L"1311768467463790320");
    EXPECT_EQ(report.GetInserts()[1].str(), L"-5");
}

// --- Platform codes and lookup failures -----------------------------------------

TEST(ReportFallback, PlatformCodeComesFromTheSystemTable)
{
    // The wording is the platform's; each code must give a text of its own, 0 ("success") included.
    std::set<std::wstring> texts;
    for (DWORD code : {0ul, 2ul, 5ul, 87ul, 10061ul}) {
        const std::wstring text = ZReportMessageParams(code).GetText();
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find(L"Could not retrieve"), std::wstring::npos) << code;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 5u);
}

TEST(ReportFallback, KernelStatusCode)
{
    const std::wstring text = ZReportMessageParams(0xC0000005).GetText();
    // Wine's ntdll carries no message table and its system table no status texts,
    // so the search ends in the fallback; on Windows ntdll's table answers.
    if (TestSupport::RunningUnderWine())
        EXPECT_EQ(text, Fallback(L"c0000005"));
    else
        EXPECT_TRUE(!text.empty() && text.find(L"Could not retrieve") == std::wstring::npos) << text;
}

// --- Width and caching ---------------------------------------------------------

TEST(ReportCache, SingleLineTurnsSoftBreaksIntoBlanks)
{
    const struct { uint32_t id; const wchar_t* lines; const wchar_t* oneLine; } cases[] = {
        {MSG_TOOLBAR_CHANGED,
         L"The toolbar has changed. A new version will be created.\r\n\r\nIf you customized the toolbar and would "
         L"like for the changes to be available in the new version, the customizations will need to be redone.\r\n",
         L"The toolbar has changed. A new version will be created.  If you customized the toolbar and would like "
         L"for the changes to be available in the new version, the customizations will need to be redone. "},
        {MSG_TEST_HOST_TWO_LINES, L"First line of the host.\r\nSecond line of the host.\r\n",
         L"First line of the host. Second line of the host. "},
        {MSG_BUTTON_OK, L"OK\r\n", L"OK "},
    };
    for (const auto& c : cases) {
        ZReportMessageParams lines(c.id), oneLine(c.id), trimmed(c.id);
        EXPECT_EQ(std::wstring(lines.GetText()), c.lines);
        EXPECT_EQ(std::wstring(oneLine.GetSingleLineText()), c.oneLine);
        const std::wstring expectedTrimmed(c.oneLine, std::wstring(c.oneLine).size() - 1);
        EXPECT_EQ(std::wstring(trimmed.GetSingleLineTextTrimmed()), expectedTrimmed);
        EXPECT_EQ(trimmed.GetTextLength(), expectedTrimmed.size());
    }
}

TEST(ReportCache, FirstWidthWinsThroughChangesUntilReset)
{
    const std::wstring oneLine = L"First line of the host. Second line of the host. ";
    ZReportMessageParams report(MSG_TEST_HOST_TWO_LINES);
    const wchar_t* single = report.GetSingleLineText();
    EXPECT_EQ(report.GetText(), single);
    EXPECT_EQ(std::wstring(single), oneLine);
    report.SetMessageId(MSG_FIND_DOWN);
    report.AddInsert(L"late");
    EXPECT_EQ(std::wstring(report.GetText()), oneLine);

    report.Reset(MSG_TEST_HOST_TWO_LINES);
    EXPECT_EQ(std::wstring(report.GetText()), L"First line of the host.\r\nSecond line of the host.\r\n");
    EXPECT_EQ(std::wstring(report.GetSingleLineText()), L"First line of the host.\r\nSecond line of the host.\r\n");
}

TEST(ReportCache, NoFinalBreakRemovesOneBreakPerCall)
{
    ZReportMessageParams report(MSG_TEST_HOST_BLANK_END);
    EXPECT_EQ(std::wstring(report.GetTextNoFinalBreak()), L"Ends with a blank line.\r\n");
    EXPECT_EQ(std::wstring(report.GetTextNoFinalBreak()), L"Ends with a blank line.");
    EXPECT_EQ(std::wstring(report.GetTextNoFinalBreak()), L"Ends with a blank line.");
    EXPECT_EQ(report.GetTextLength(), 23u);
    EXPECT_EQ(std::wstring(report.GetText()), L"Ends with a blank line.");
}

TEST(ReportOrigin, WrapsTheTextWithTheOrigin)
{
    ZReportMessageParams report = MakeReport(MSG_ENTER_INTEGER_BETWEEN, {L"1", L"10"});
    report.SetOrigin("settings.cpp", -42);
    EXPECT_EQ(std::wstring(report.GetTextWithOrigin(MSG_TEST_HOST_ORIGIN)),
              L"Please enter an integer between 1 and 10.\r\n(in settings.cpp, line -42)\r\n");
    // The report's own text is untouched.
    EXPECT_EQ(std::wstring(report.GetText()), L"Please enter an integer between 1 and 10.\r\n");
}

// --- Copying, Assign, Reset -----------------------------------------------------

class NotAReport : public ZUnknown<IReportMessageParams> {
public:
    void Reset(uint32_t) override {}
    IReportMessageParams* Assign(const IReportMessageParams*) override { return nullptr; }
    uint32_t GetMessageId() const override { return MSG_FIND_UP; }
    void SetMessageId(uint32_t) override {}
    uint32_t GetAuxCode() const override { return 1; }
    void SetAuxCode(uint32_t) override {}
    uint64_t GetAuxValue() const override { return 2; }
    void SetAuxValue(uint64_t) override {}
    void AddInsert(const std::wstring&) override {}
    void AddInsert(const wchar_t*) override {}
    void AddInsert(const std::string&) override {}
    void AddInsert(const char*) override {}
    void AddFormattedInsert(const wchar_t*, uint32_t) override {}
    void AddFormattedInsert(const wchar_t*, uint64_t) override {}
    HMODULE GetModule() const override { return nullptr; }
    const wchar_t* GetText() const override { return L"Up\r\n"; }
    const wchar_t* GetTextNoFinalBreak() override { return L"Up"; }
    const wchar_t* GetSingleLineText() const override { return L"Up "; }
    const wchar_t* GetSingleLineTextTrimmed() override { return L"Up"; }
    const wchar_t* GetTextWithOrigin(uint32_t) override { return L"Up\r\n"; }
    uint64_t GetTextLength() const override { return 4; }
    const ZStringArray& GetInserts() const override { return m_inserts; }

private:
    ZStringArray m_inserts;
};

void ExpectSameReport(const ZReportMessageParams& a, const ZReportMessageParams& b)
{
    EXPECT_EQ(a.GetMessageId(), b.GetMessageId());
    EXPECT_EQ(a.GetModule(), b.GetModule());
    EXPECT_EQ(a.GetAuxValue(), b.GetAuxValue());
    ASSERT_EQ(a.GetInserts().GetCount(), b.GetInserts().GetCount());
    for (size_t i = 0; i < a.GetInserts().GetCount(); ++i)
        EXPECT_EQ(a.GetInserts()[i], b.GetInserts()[i]);
}

TEST(ReportCopy, AssignFromAnotherKindChangesNothing)
{
    ZReportMessageParams report = MakeReport(MSG_ENTER_INTEGER_BETWEEN, {L"3", L"4"});
    report.SetAuxValue(77);
    const wchar_t* text = report.GetText();
    NotAReport other;
    EXPECT_EQ(report.Assign(&other), nullptr);
    EXPECT_EQ(report.Assign(nullptr), nullptr);
    EXPECT_EQ(report.GetMessageId(), MSG_ENTER_INTEGER_BETWEEN);
    EXPECT_EQ(report.GetAuxValue(), 77u);
    EXPECT_EQ(report.GetInserts().GetCount(), 2u);
    EXPECT_EQ(report.GetText(), text);
    EXPECT_EQ(std::wstring(text), L"Please enter an integer between 3 and 4.\r\n");
}

TEST(ReportCopy, AssignAndCopyTakeAllButTheCache)
{
    ZReportMessageParams source =
        MakeReport(MSG_TEST_HOST_ORIGIN, {L"inner", L"file.cpp", L"9"}, ::GetModuleHandleW(nullptr));
    source.SetAuxCode(5);
    source.SetAuxValue(0x1122334455667788ull);
    source.SetOrigin("origin.cpp", 12);
    ASSERT_EQ(std::wstring(source.GetSingleLineText()), L"inner(in file.cpp, line 9) ");

    // Assign keeps the target's auxiliary code, the copy constructor takes the source's.
    ZReportMessageParams assigned(MSG_FIND_UP);
    assigned.SetAuxCode(6);
    EXPECT_EQ(std::wstring(assigned.GetText()), L"Up\r\n");
    EXPECT_EQ(assigned.Assign(&source), &assigned);
    EXPECT_EQ(assigned.GetAuxCode(), 6u);
    ZReportMessageParams copied(source);
    EXPECT_EQ(copied.GetAuxCode(), 5u);
    for (ZReportMessageParams* copy : {&assigned, &copied}) {
        ExpectSameReport(*copy, source);
        EXPECT_EQ(copy->GetTextLength(), 0u);
        // Each formats for itself, with the width of its own first request, and the origin came along.
        EXPECT_EQ(std::wstring(copy->GetText()), L"inner(in file.cpp, line 9)\r\n");
        EXPECT_EQ(std::wstring(copy->GetTextWithOrigin(MSG_TEST_HOST_ORIGIN)),
                  L"inner(in file.cpp, line 9)\r\n(in origin.cpp, line 12)\r\n");
    }
    EXPECT_EQ(std::wstring(source.GetText()), L"inner(in file.cpp, line 9) ");

    // Assigning a report to itself keeps it and drops only the cache.
    EXPECT_EQ(assigned.Assign(&assigned), &assigned);
    ExpectSameReport(assigned, source);
    EXPECT_EQ(assigned.GetTextLength(), 0u);
}

// A reset report holds what a new one does, but keeps its auxiliary code.
TEST(ReportCopy, ResetKeepsOnlyTheAuxCode)
{
    ZReportMessageParams report = MakeReport(MSG_TEST_HOST_GREETING, {L"gone"}, ::GetModuleHandleW(nullptr));
    report.SetAuxCode(4);
    report.SetAuxValue(8);
    report.SetOrigin("reset.cpp", 1);
    report.GetText();
    report.Reset(MSG_FIND_DOWN);
    ZReportMessageParams fresh;
    const struct { ZReportMessageParams* r; uint32_t id, auxCode; } expected[] = {
        {&report, MSG_FIND_DOWN, 4}, {&fresh, 0, 0xFFFFFFFF}};
    for (const auto& e : expected) {
        EXPECT_EQ(e.r->GetMessageId(), e.id);
        EXPECT_EQ(e.r->GetModule(), GetTessaroDll());
        EXPECT_EQ(e.r->GetAuxCode(), e.auxCode);
        EXPECT_EQ(e.r->GetAuxValue(), 0u);
        EXPECT_EQ(e.r->GetTextLength(), 0u);
        EXPECT_TRUE(e.r->GetInserts().IsEmpty());
    }
    EXPECT_EQ(std::wstring(report.GetText()), L"Down\r\n");
    // No origin any more.
    EXPECT_EQ(report.GetTextWithOrigin(MSG_TEST_HOST_ORIGIN), report.GetText());
}

TEST(ReportValidate, OutsideTheRangeFillsTheReportInsideLeavesIt)
{
    const wchar_t* const k1To10 = L"Please enter an integer between 1 and 10.\r\n";
    const struct {
        int value, min, max;
        unsigned long messageId;
        uint32_t expectedId;      // the report's own when inside the range
        const wchar_t* expected;  // null when inside: the report and its cache left alone
    } cases[] = {
        {1, 1, 10, 0, MSG_FIND_UP, nullptr},
        {10, 1, 10, 0, MSG_FIND_UP, nullptr},
        {-3, -3, -3, 0, MSG_FIND_UP, nullptr},
        {INT_MIN, INT_MIN, INT_MAX, 0, MSG_FIND_UP, nullptr},
        {INT_MAX, 0, INT_MAX, 0, MSG_FIND_UP, nullptr},
        {0, 1, 10, 0, MSG_ENTER_INTEGER_BETWEEN, k1To10},
        {11, 1, 10, 0, MSG_ENTER_INTEGER_BETWEEN, k1To10},
        {-6, -5, -1, 0, MSG_ENTER_INTEGER_BETWEEN, L"Please enter an integer between -5 and -1.\r\n"},
        {INT_MIN, INT_MIN + 1, INT_MAX, 0, MSG_ENTER_INTEGER_BETWEEN,
         L"Please enter an integer between -2147483647 and 2147483647.\r\n"},
        {0, 1, 65535, MSG_TEST_HOST_THIRD_INSERT, MSG_TEST_HOST_THIRD_INSERT, L"Only %3 here.\r\n"},
        {0, 1, 65535, MSG_TEST_HOST_GREETING, MSG_TEST_HOST_GREETING, L"Hello from the host, 1.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " in [" << c.min << ", " << c.max << "]");
        ZReportMessageParams report = MakeReport(MSG_FIND_UP, {L"kept"});
        const wchar_t* text = report.GetText();
        EXPECT_EQ(ValidateIntMinMax(report, c.value, c.min, c.max, c.messageId), c.expected == nullptr);
        EXPECT_EQ(report.GetMessageId(), c.expectedId);
        EXPECT_EQ(report.GetModule(), GetTessaroDll());
        EXPECT_EQ(report.GetInserts().GetCount(), c.expected ? 2u : 1u);
        if (c.expected)
            EXPECT_EQ(std::wstring(report.GetText()), c.expected);
        else
            EXPECT_EQ(report.GetText(), text);
    }
}

TEST(ReportLabels, LabelsAreOneLineWithPlaceholdersKept)
{
    // The labels' texts are the whole-table run's; these are the ways a label differs from a report.
    const struct { uint32_t id; const wchar_t* expected; } cases[] = {
        {MSG_MENU_OPEN, L"&Open"},
        {MSG_FILTER_PFX_FILES, L"PFX Files (%1)"},
        {MSG_TEST_HOST_PERCENT, L"100%% sure, %1."},
        {MSG_TEST_HOST_TWO_LINES, L"First line of the host. Second line of the host."},
        {0x6133FFFD, L"Could not retrieve the error text for error code 0x6133fffd.\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadMessageLabel(c.id), c.expected) << std::hex << c.id;
    EXPECT_EQ(LoadMessageLabel(MSG_TEST_HOST_GREETING, ::GetModuleHandleW(nullptr)), L"Hello from the host, %1.");
}

// --- The library's table -----------------------------------------------------------

std::set<std::wstring> Placeholders(const std::wstring& text)
{
    std::set<std::wstring> found;
    for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 1)) {
        size_t end = at + 1;
        while (end < text.size() && (text[end] == L'%' || std::iswdigit(text[end])))
            ++end;
        if (end > at + 1)
            found.insert(text.substr(at, end - at));
        at = end - 1;
    }
    return found;
}

TEST(MessageTable, EveryIdentifierInBothLanguages)
{
    const std::vector<uint32_t> english = TestSupport::TableIdentifiers(kEnglish);
    EXPECT_EQ(TestSupport::TableIdentifiers(kFrench), english);
    EXPECT_EQ(english.size(), 113u);
    size_t translated = 0;
    for (uint32_t id : english) {
        SCOPED_TRACE(testing::Message() << std::hex << id);
        EXPECT_EQ(id & 0x0FFF0000u, 0x01330000u);
        EXPECT_TRUE((id & 0xF0000000u) == 0x60000000u || (id & 0xF0000000u) == 0xE0000000u);
        const std::wstring englishText = TestSupport::TableText(id, kEnglish);
        const std::wstring frenchText = TestSupport::TableText(id, kFrench);
        ASSERT_GT(englishText.size(), 2u);
        ASSERT_GT(frenchText.size(), 2u);
        EXPECT_EQ(englishText.substr(englishText.size() - 2), L"\r\n");
        EXPECT_EQ(frenchText.substr(frenchText.size() - 2), L"\r\n");
        EXPECT_EQ(Placeholders(englishText), Placeholders(frenchText));
        EXPECT_EQ(std::count(englishText.begin(), englishText.end(), L'&'),
                  std::count(frenchText.begin(), frenchText.end(), L'&'));
        translated += englishText != frenchText ? 1 : 0;
    }
    // Some labels read the same in both languages ("OK", "Version", "SHA-1").
    EXPECT_GT(translated, 95u);
}

TEST(MessageTable, ProcessLanguagePicksEnglish)
{
    // test_reports_fr checks the French run.
    ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), LANG_ENGLISH);
    for (uint32_t id : TestSupport::TableIdentifiers(kEnglish))
        EXPECT_EQ(std::wstring(ZReportMessageParams(id).GetText()), TestSupport::TableText(id, kEnglish))
            << std::hex << id;
}

}  // namespace
