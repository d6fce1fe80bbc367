// The window-free text and path utilities: path shortening against a fake measure (one unit per
// character), the "&" marker, reserved host names, lenient numbers, multi-line lists, file-type filters
// and the shared labels, with expected texts in English, the suite's user language.
#include <gtest/gtest.h>

#include "TessaroMessages.h"
#include "controls/ZExchangeRules.h"
#include "controls/ZFileFilters.h"
#include "controls/ZLabels.h"
#include "controls/ZMnemonic.h"
#include "controls/ZPathAbbreviation.h"
#include "foundation/ZArray.h"

#include <climits>
#include <string>
#include <vector>

namespace {

std::wstring Abbreviate(const wchar_t* path, int width, bool keepLastFolder)
{
    return Tessaro::AbbreviatePath(path, width, keepLastFolder,
                                   [](std::wstring_view text) { return static_cast<int>(text.size()); });
}

// --- path shortening ----------------------------------------------------------------

TEST(PathComponents, SeparatorsStayWithTheirComponent)
{
    struct Case { const wchar_t* path; std::vector<std::wstring> parts; bool network; };
    const Case cases[] = {
        {L"C:\\a\\b", {L"C:\\", L"a\\", L"b"}, false},
        {L"\\\\server\\share\\dir\\file", {L"\\\\server\\", L"share\\", L"dir\\", L"file"}, true},
        {L"\\a\\b", {L"\\a\\", L"b"}, false},
        {L"a/b\\c", {L"a/", L"b\\", L"c"}, false},
        {L"C:\\a\\", {L"C:\\", L"a\\"}, false},
        {L"file.txt", {L"file.txt"}, false},
        {L"", {}, false},
        {L"\\\\server\\c:", {L"\\\\server\\c:"}, true},          // a drive after the server joins it
        {L"\\\\server\\c:\\x", {L"\\\\server\\", L"c:\\", L"x"}, true},
        {L"C:\\d:", {L"C:\\", L"d:"}, false},                     // only on network paths
    };
    for (const Case& c : cases) {
        const Tessaro::PathComponents split = Tessaro::SplitPathComponents(c.path);
        EXPECT_EQ(split.parts, c.parts) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(split.network, c.network) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(PathAbbreviation, FirstFormThatFitsWins)
{
    // 37 characters; the forms below have 35, 27, 21, 15, 12 and 8.
    const wchar_t* path = L"C:\\alpha\\bravo\\charlie\\delta\\file.txt";
    struct Case { int width; const wchar_t* keepingLastFolder; const wchar_t* keepingFirstFolder; };
    const Case cases[] = {
        {37, path, path},
        {36, L"C:\\alpha\\...\\charlie\\delta\\file.txt", L"C:\\alpha\\...\\charlie\\delta\\file.txt"},
        {35, L"C:\\alpha\\...\\charlie\\delta\\file.txt", L"C:\\alpha\\...\\charlie\\delta\\file.txt"},
        {34, L"C:\\alpha\\...\\delta\\file.txt", L"C:\\alpha\\...\\delta\\file.txt"},
        {27, L"C:\\alpha\\...\\delta\\file.txt", L"C:\\alpha\\...\\delta\\file.txt"},
        {26, L"C:\\...\\delta\\file.txt", L"C:\\alpha\\...\\file.txt"},
        {21, L"C:\\...\\delta\\file.txt", L"C:\\alpha\\...\\file.txt"},
        {20, L"C:\\...\\file.txt", L"C:\\...\\file.txt"},
        {15, L"C:\\...\\file.txt", L"C:\\...\\file.txt"},
        {14, L"...\\file.txt", L"...\\file.txt"},
        {12, L"...\\file.txt", L"...\\file.txt"},
        {11, L"file.txt", L"file.txt"},
        {0, L"file.txt", L"file.txt"},  // nothing fits: the shortest form
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Abbreviate(path, c.width, true), c.keepingLastFolder) << c.width;
        EXPECT_EQ(Abbreviate(path, c.width, false), c.keepingFirstFolder) << c.width;
    }
}

TEST(PathAbbreviation, LongerAndShorterPaths)
{
    const wchar_t* deep = L"C:\\a1\\bravo22\\c333\\d4444\\e55555\\file.txt";  // 40
    struct Case { const wchar_t* path; int width; const wchar_t* expected; };
    const Case cases[] = {
        {deep, 39, L"C:\\a1\\...\\c333\\d4444\\e55555\\file.txt"},  // 36
        {deep, 35, L"C:\\a1\\...\\d4444\\e55555\\file.txt"},        // 31: folders after "..." go one by one
        {deep, 30, L"C:\\a1\\...\\e55555\\file.txt"},               // 25
        {deep, 24, L"C:\\...\\e55555\\file.txt"},                     // 22
        {L"\\\\server\\share\\file", 18, L"share\\file"},
        {L"\\\\server\\share\\file", 9, L"file"},
        {L"C:\\dir\\name.txt", 14, L"dir\\name.txt"},
        {L"C:\\name.txt", 3, L"name.txt"},
        {L"a-single-long-name.txt", 3, L"a-single-long-name.txt"},  // one component stays whole
        {L"", 0, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Abbreviate(c.path, c.width, true), c.expected) << testing::PrintToString(c.path) << c.width;
}

// --- the "&" marker -----------------------------------------------------------------

TEST(Mnemonic, DoublingAndRemoval)
{
    using Function = ZUnicodeString (*)(const wchar_t*);
    struct Case { Function function; const wchar_t* text; const wchar_t* expected; };
    const Case cases[] = {
        {EscapeAmpersand, L"a&b&c", L"a&&b&&c"},          {EscapeAmpersand, L"&&&", L"&&&&&&"},
        {EscapeAmpersand, L"x&", L"x&&"},                 {EscapeAmpersand, L"plain", L"plain"},
        {EscapeAmpersandButtons, L"&Save", L"&&Save"},    {EscapeAmpersand, nullptr, L""},
        {RemoveAmpersand, L"&File &Edit", L"File &Edit"}, {RemoveAmpersand, L"&&", L"&"},
        {RemoveAmpersand, L"end&", L"end"},               {RemoveAmpersand, nullptr, L""},
        {RemoveEscapedAmpersands, L"Save && Exit", L"Save & Exit"},
        {RemoveEscapedAmpersands, L"a&b", L"a&b"},        {RemoveEscapedAmpersands, L"a&b&&c", L"a&b&c"},
        {RemoveEscapedAmpersands, L"&&&", L"&&"},         {RemoveEscapedAmpersands, L"&&&&", L"&&"},
        {RemoveEscapedAmpersands, L"x&&", L"x&"},         {RemoveEscapedAmpersands, L"&", L"&"},
        {RemoveEscapedAmpersands, nullptr, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.function(c.text).str(), c.expected) << (c.text ? c.text : L"(null)");
}

TEST(Mnemonic, HugeTextsNeedNoDeepStack)
{
    // A recursion per marker would overflow the stack long before this.
    const std::wstring markers(2'000'000, L'&');
    const ZUnicodeString doubled = EscapeAmpersand(markers.c_str());
    ASSERT_EQ(doubled.length(), 4'000'000u);
    EXPECT_EQ(doubled.view().find_first_not_of(L'&'), std::wstring_view::npos);
    EXPECT_EQ(RemoveEscapedAmpersands(doubled.c_str()).str(), markers);
}

// --- data-exchange rules ------------------------------------------------------------

TEST(ReservedDeviceNames, DeviceAloneOrBeforeADot)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"con", true},        {L"CON", true},      {L"Com1.example", true}, {L"NUL.x", true},
        {L"aux", true},        {L"LPT9.local", true}, {L"clock$", true},     {L"CLOCK$.lan", true},
        {L"prn.", true},       {L"com9", true},     {L"aux1", false},        {L"CONSOLE", false},
        {L"COM10", false},     {L"COM0", false},    {L"LPT", false},         {L"host.con", false},
        {L".con", false},      {L"con-host", false}, {L"", false},           {L"my-host.example", false},
    };
    for (const auto& [name, reserved] : cases)
        EXPECT_EQ(Tessaro::IsReservedDeviceName(name), reserved) << testing::PrintToString(std::wstring(name));
}

TEST(LenientNumbers, LeadingNumberOrZero)
{
    struct Case { const wchar_t* text; int32_t asSigned; uint32_t asUnsigned; };
    const Case cases[] = {
        {L"", 0, 0},           {L"42", 42, 42},      {L"  7 apples", 7, 7},        {L"\t\r\n12", 12, 12},
        {L"+9", 9, 9},         {L"-5", -5, 0},       {L"-0", 0, 0},                {L"abc", 0, 0},
        {L"- 5", 0, 0},        {L"0x1A", 0, 0},      {L"00080", 80, 80},           {L"-2147483649", 0, 0},
        {L"2147483647", INT_MAX, 2147483647u},       {L"2147483648", 0, 2147483648u},
        {L"-2147483648", INT_MIN, 0},                {L"4294967295", 0, UINT_MAX}, {L"4294967296", 0, 0},
        {L"18446744073709551617", 0, 0},  // wraps to 1 in 64 bits
        {L"\xFF11\xFF12", 0, 0},          // full-width digits are not decimal digits here
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tessaro::ParseLenientInt(c.text), c.asSigned) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(Tessaro::ParseLenientUInt(c.text), c.asUnsigned) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(MultiLineLists, EveryRunOfBreaksIsOneBreak)
{
    struct Case { const wchar_t* text; std::vector<std::wstring> items; };
    const Case cases[] = {
        {L"", {}},           {L"one", {L"one"}},         {L"one\r\ntwo", {L"one", L"two"}},
        {L"\r\n", {}},       {L" \r\n ", {L" ", L" "}}, {L"a\rb\nc", {L"a", L"b", L"c"}},
        {L"\r\n\r\none\n\ntwo\r", {L"one", L"two"}},
    };
    for (const Case& c : cases) {
        ZStringArray lines = {L"left over"};
        Tessaro::SplitLines(c.text, lines);
        std::vector<std::wstring> items;
        for (const ZUnicodeString& line : lines)
            items.push_back(line.str());
        EXPECT_EQ(items, c.items) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(Tessaro::JoinLines(ZStringArray{L"one", L"two", L"three"}), L"one\r\ntwo\r\nthree");
    EXPECT_EQ(Tessaro::JoinLines(ZStringArray{}), L"");
}

// --- filters and labels -------------------------------------------------------------

TEST(FileFilters, FixedLists)
{
    const std::pair<std::wstring (*)(), const wchar_t*> cases[] = {
        {GetAllFileFilterDescription, L"All Files (*.*)|*.*||"},
        {GetApplicationFileFilterDescription, L"Exe files (*.exe)|*.exe|All Files (*.*)|*.*||"},
        {GetCertificateFileFilterDescription, L"PFX Files (*.pfx;*.p12)|*.pfx;*.p12|All Files (*.*)|*.*||"},
        {GetKeymapFileFilterDescription, L"Keymap Files (*.key)|*.key|All Files (*.*)|*.*||"},
        {GetLogFileFilterDescription, L"Log Files (*.log)|*.log|All Files (*.*)|*.*||"},
        {GetRecordScriptFileFilterDescription, L"Script Files (*.vbs;*.py)|*.vbs;*.py|All Files (*.*)|*.*||"},
        {GetRunScriptFileFilterDescription,
         L"Script Files (*.vbs;*.vbe;*.js;*.pl;*.py)|*.vbs;*.vbe;*.js;*.pl;*.py|All Files (*.*)|*.*||"},
        {GetTransferFileFilterDescriptionASCII, L"Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
        {GetTransferFileFilterDescription,
         L"All Files (*.*)|*.*|Exe files (*.exe)|*.exe|GIF Images (*.gif)|*.gif|HTML Files (*.html)|*.html|"
         L"JPEG Images (*.jpg)|*.jpg|Text Files (*.txt)|*.txt|Zip Files (*.zip)|*.zip||"},
    };
    for (const auto& [list, expected] : cases)
        EXPECT_EQ(list(), expected);
}

TEST(FileFilters, AppendedEntriesKeepTheirOrder)
{
    std::vector<FileFilterInfo> list;
    EXPECT_EQ(ZGetFileFilters(list), L"|");
    EXPECT_EQ(ZAppendFileFilter(list, ZReportMessageParams(MSG_FILTER_LOG_FILES), L"*.log;*.txt"),
              L"Log Files (*.log;*.txt)|*.log;*.txt||");
    EXPECT_EQ(ZAppendFileFilter(list, ZReportMessageParams(MSG_FILTER_ZIP_FILES), L"*.zip"),
              L"Log Files (*.log;*.txt)|*.log;*.txt|Zip Files (*.zip)|*.zip||");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].pattern, L"*.zip");
    // Joining again formats from the stored descriptions, which stay without inserts.
    EXPECT_EQ(ZGetFileFilters(list), L"Log Files (*.log;*.txt)|*.log;*.txt|Zip Files (*.zip)|*.zip||");
}

TEST(Labels, MappedFunctionTypesInStoredOrder)
{
    const wchar_t* expected[] = {
        L"Send String", L"Menu Function", L"Scroll Bar Function", L"Telnet Function", L"TN3270 Function",
        L"VT Function", L"SSH Function",  L"Button Bar",          L"Run Script",      L"Launch Application",
        L"Disable",
    };
    ASSERT_EQ(GetMappedFunctionTypesSize(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(GetMappedFunctionType(i), expected[i]) << i;
    EXPECT_EQ(GetMappedFunctionType(11), L"");
    EXPECT_EQ(GetMappedFunctionType(static_cast<size_t>(-1)), L"");
    EXPECT_EQ(GetSelectSessionLabel(), L"Select Session...");
    EXPECT_EQ(GetNewFirewallLabel(), L"New...");
}

TEST(Labels, ThreeDecimals)
{
    const std::pair<double, const wchar_t*> cases[] = {{2.5, L"2.500"},   {1.0 / 3.0, L"0.333"}, {2.0 / 3.0, L"0.667"},
                                                       {0.0, L"0.000"},   {-2.25, L"-2.250"},    {1e6, L"1000000.000"}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(DoubleToString(value), expected) << value;
    EXPECT_EQ(DoubleToString(1.7976931348623157e308).size(), 309u + 4u);  // the widest double, whole
}

}  // namespace
