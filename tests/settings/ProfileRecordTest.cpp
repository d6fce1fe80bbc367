// ProfileRecord and the typed profile values: the profile text format (section
// boundaries, entry lines, the written forms), hexadecimal parsing, the font's
// text form, and the application profile reached through the running CWinApp.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/ProfileRecord.h"
#include "settings/ProfileValues.h"
#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Lines = std::vector<std::wstring>;
using Writer = std::function<void(CStdioFile&)>;

ProfileRecord RecordOf(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> entries)
{
    ProfileRecord record;
    for (const auto& [key, value] : entries)
        record[ZUnicodeString(key)] = value;
    return record;
}

std::wstring Face(const LOGFONTW& lf)
{
    return std::wstring(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
}

// Saves profile after setting it to value.
template <class Profile, class Value>
Writer Saving(Profile profile, Value value)
{
    return [=](CStdioFile& file) mutable {
        profile = value;
        profile.save(file);
    };
}

class ProfileFiles : public ::testing::Test {
protected:
    std::wstring Path() const { return m_folder.File(L"profile.txt"); }

    // Written through a CStdioFile in binary mode after a UTF-16 mark, so that
    // exactly the units the classes write reach the file.
    void Write(const Writer& write)
    {
        CStdioFile file;
        ASSERT_TRUE(file.Open(Path().c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        file.Write("\xFF\xFE", 2);
        write(file);
        file.Close();
    }

    void WriteLines(const Lines& lines)
    {
        std::wstring text;
        for (const std::wstring& line : lines)
            text += line + L"\n";
        Write([&](CStdioFile& file) { file.WriteString(text.c_str()); });
    }

    // What write wrote, after the mark.
    std::wstring Written(const Writer& write)
    {
        Write(write);
        const std::string bytes = ScratchFolder::ReadBytes(Path());
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    }

    // The first section of the file written.
    ProfileRecord FirstSection(const Writer& write, const wchar_t* name)
    {
        Write(write);
        ZTextFile file;
        EXPECT_TRUE(file.Open(Path().c_str(), GENERIC_READ, OPEN_EXISTING));
        ProfileRecord record;
        EXPECT_EQ(record.load(file), name);
        return record;
    }

    ScratchFolder m_folder;
};

TEST_F(ProfileFiles, WrittenForms)
{
    const struct {
        const char* name;
        Writer write;
        std::wstring expected;  // each entry ends in one line feed
    } cases[] = {
        {"int 80", Saving(ProfileInt(L"Columns", 0), 80), L"Columns=00000050\n"},
        {"int -1", Saving(ProfileInt(L"Columns", 0), -1), L"Columns=ffffffff\n"},
        {"int at its default", Saving(ProfileInt(L"Columns", 80), 80), L""},
        {"colour", Saving(ProfileColorref(L"Back", 0), 0x00C0FFEEul), L"Back=00c0ffee\n"},
        {"double is always written", Saving(ProfileDouble(L"Zero"), 0.0), L"Zero=00000000\n"},
        {"double 1.2345 rounds", Saving(ProfileDouble(L"R"), 1.2345), L"R=000004d3\n"},
        {"string with '='", Saving(ProfileString(L"Title", L""), L"a=b"), L"Title=a=b\n"},
        {"string at its default", Saving(ProfileString(L"Title", L"x"), L"x"), L""},
        {"string differing only in case", Saving(ProfileString(L"T", L"x"), L"X"), L"T=X\n"},
        {"string emptied", Saving(ProfileString(L"T", L"x"), L""), L"T=\n"},
        {"font at its default text",
         [](CStdioFile& f) {
             ProfileLogfont font;
             font.init(ProfileRecord(), L"Font", L"90,-12,0,0,0,700,1,0,0,0,0,0,0,49,Mono");
             font.save(f);
         },
         L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Written(c.write), c.expected);
    }
}

TEST_F(ProfileFiles, LongStringsAreCutInTextFilesOnly)
{
    std::wstring value(9000, L'v');
    for (size_t i = 0; i < value.size(); i += 97)
        value[i] = static_cast<wchar_t>(L'a' + i % 26);
    EXPECT_EQ(Written(Saving(ProfileString(L"Long", L""), value.c_str())), L"Long=" + value.substr(0, 8000) + L"\n");

    // A surrogate pair across the cut is left out whole rather than halved.
    const std::wstring paired = std::wstring(7999, L'p') + L"\U0001F600tail";
    EXPECT_EQ(Written(Saving(ProfileString(L"E", L""), paired.c_str())), L"E=" + paired.substr(0, 7999) + L"\n");
}

TEST_F(ProfileFiles, SectionNamesAndEntries)
{
    const struct {
        const char* name;
        Lines file;
        std::wstring section;
        std::map<std::wstring, std::wstring> entries;
    } cases[] = {
        {"plain", {L"[Window]", L"Columns=00000050", L"Title=a=b", L""}, L"Window",
         {{L"Columns", L"00000050"}, {L"Title", L"a=b"}}},
        {"text after the last ]", {L"[Colors] extra", L"k=v"}, L"Colors", {{L"k", L"v"}}},
        {"no ]", {L"[Colors", L"k=v"}, L"Colors", {{L"k", L"v"}}},
        {"] inside the name", {L"[a]b]", L"k=v"}, L"a]b", {{L"k", L"v"}}},
        {"empty name with entries", {L"[]", L"k=v"}, L"", {{L"k", L"v"}}},
        {"blanks and empties kept", {L"[S]", L" k = v ", L"=", L"=only value", L"only key=", L"end"}, L"S",
         {{L" k ", L" v "}, {L"", L"only value"}, {L"only key", L""}}},
        {"later key replaces earlier", {L"[S]", L"k=1", L"k=2"}, L"S", {{L"k", L"2"}}},
        {"keys are case-sensitive", {L"[S]", L"Key=1", L"key=2"}, L"S", {{L"Key", L"1"}, {L"key", L"2"}}},
        {"a header right after an entry ends nothing", {L"[A]", L"k=1", L"[B=x]", L"m=2"}, L"A",
         {{L"k", L"1"}, {L"[B", L"x]"}, {L"m", L"2"}}},
        {"header only", {L"[Empty]"}, L"Empty", {}},
        {"non-ASCII keys", {L"[\u00c9t\u00e9]", L"cl\u00e9=\u20ac"}, L"\u00c9t\u00e9", {{L"cl\u00e9", L"\u20ac"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLines(c.file);
        ZTextFile file;
        ASSERT_TRUE(file.Open(Path().c_str(), GENERIC_READ, OPEN_EXISTING));
        ProfileRecord record;
        record[L"stale"] = L"from before";
        EXPECT_EQ(std::wstring(record.load(file).c_str()), c.section);
        EXPECT_EQ(record.GetCount(), c.entries.size());
        for (const auto& [key, value] : c.entries)
            EXPECT_EQ(std::wstring(std::as_const(record)[ZUnicodeString(key.c_str())].c_str()), value)
                << "key " << testing::PrintToString(key);
    }
}

TEST_F(ProfileFiles, TheEndingLineIsConsumed)
{
    WriteLines({L"[A]", L"k=1", L"[B]", L"k=2", L"", L"[C]", L"c=3", L"", L"[D]"});
    ZTextFile file;
    ASSERT_TRUE(file.Open(Path().c_str(), GENERIC_READ, OPEN_EXISTING));
    ProfileRecord record;
    const ProfileRecord& view = record;
    EXPECT_EQ(record.load(file), L"A");
    EXPECT_EQ(view[L"k"], L"1");
    // "[B]" ended A; the next line, "k=2", is no header: the record stays.
    EXPECT_EQ(record.load(file), L"");
    EXPECT_EQ(view[L"k"], L"1");
    EXPECT_EQ(record.GetCount(), 1u);
    // That load consumed the empty line too: the next is "[C]".
    EXPECT_EQ(record.load(file), L"");
    EXPECT_EQ(record.load(file), L"C");
    EXPECT_EQ(view[L"c"], L"3");
    EXPECT_EQ(view[L"k"], L"") << "the record is emptied before a section is read";
    EXPECT_EQ(record.load(file), L"D");
    EXPECT_EQ(record.GetCount(), 0u);
    record[L"x"] = L"y";
    EXPECT_EQ(record.load(file), L"") << "end of file";
    EXPECT_EQ(view[L"x"], L"y");
}

TEST(ProfileRecordMap, LookupsAndMoves)
{
    ProfileRecord record(7);
    const ProfileRecord& view = record;
    EXPECT_EQ(view[L"absent"], L"");
    EXPECT_EQ(record.GetCount(), 0u) << "the const lookup never inserts";
    EXPECT_EQ(record[L"absent"], L"");
    EXPECT_EQ(record.GetCount(), 1u) << "the non-const lookup inserts an empty value";
    record[L"ab"] = L"1";
    record[L"ba"] = L"2";  // same sum of code units: same bucket
    EXPECT_EQ(view[L"ab"], L"1");
    EXPECT_EQ(view[L"ba"], L"2");
    // A moved record keeps the entries and the bucket count (ZMap has no move).
    ProfileRecord moved(std::move(record));
    EXPECT_EQ(moved.GetBucketCount(), 7u);
    EXPECT_EQ(std::as_const(moved)[L"ba"], L"2");
}

TEST(ProfileValuesFromRecords, HexadecimalIntegers)
{
    const struct {
        const wchar_t* text;  // null: key absent
        int expected;
    } cases[] = {
        {L"0x1F", 31},          {L"1f", 31},            {L"1F", 31},         {L"zz", 0},
        {L"", 7},               {nullptr, 7},           {L"00000050", 80},   {L"ffffffff", -1},
        {L"80000000", INT_MIN}, {L"7fffffff", INT_MAX}, {L"100000000", -1},  {L"12g4", 0x12},
        {L" 50", 0x50},         {L"-1", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text ? c.text : L"<absent>")));
        const ProfileRecord record = c.text ? RecordOf({{L"K", c.text}}) : ProfileRecord();
        ProfileInt value;
        value.init(record, L"K", 7);
        EXPECT_EQ(static_cast<int>(value), c.expected);
        ProfileColorref colour;
        colour.init(record, L"K", 7);
        EXPECT_EQ(static_cast<unsigned long>(colour), static_cast<unsigned long>(static_cast<uint32_t>(c.expected)));
    }
}

TEST(ProfileValuesFromRecords, Thousandths)
{
    const struct {
        double value;
        int thousandths;
    } cases[] = {
        {1.2345, 1235}, {1.5, 1500}, {0.0, 0}, {0.0004, 0}, {0.0005, 1}, {2147483.647, INT_MAX},
        {1e300, INT_MAX}, {-1.5, -1500}, {-0.0005, -1}, {-1e300, INT_MIN}, {std::nan(""), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileDouble::ToThousandths(c.value), c.thousandths) << c.value;

    const struct {
        const wchar_t* text;
        double expected;
    } texts[] = {
        {L"000005dc", 1.5}, {L"5DC", 1.5}, {L"", 2.25}, {L"x", 0.0}, {L"7fffffff", 2147483.647}, {L"fffffa24", -1.5},
    };
    for (const auto& c : texts) {
        ProfileDouble value;
        value.init(RecordOf({{L"Ratio", c.text}}), L"Ratio", 2.25);
        EXPECT_DOUBLE_EQ(static_cast<double>(value), c.expected) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(ProfileValuesFromRecords, StringsTakeOnlyNonEmptyTexts)
{
    ProfileString value;
    value.init(RecordOf({{L"T", L""}}), L"T", L"x");
    EXPECT_EQ(value.GetValue(), L"x");
    value.init(RecordOf({{L"T", L" padded = "}}), L"T", L"x");
    EXPECT_EQ(value.GetValue(), L" padded = ");
    value.init(ProfileRecord(), L"T", nullptr);
    EXPECT_TRUE(value.GetValue().IsEmpty());
    value.init(L"Other", L"d");
    EXPECT_EQ(value.GetValue(), L"d") << "name and default only: the value is the default";
}

TEST(ProfileLogfontText, FaceNamesAndPartialTexts)
{
    const std::wstring longFace = L"An Extremely Long Face Name That Goes On And On";
    // Each text is parsed over the same starting font: 97,-13,...,400,...,"Start".
    const struct {
        const char* name;
        std::wstring text;
        int size;
        LONG height, weight;
        BYTE italic;
        std::wstring face;
    } cases[] = {
        // Any unit above 'z' ends the face: '|', '~', non-ASCII letters alike.
        {"face cut at '|'", L"1,2,3,4,5,6,7,8,9,10,11,12,13,14,Mono|Bold", 1, 2, 6, 7, L"Mono"},
        {"empty face field", L"1,2,0,0,0,6,0,0,0,0,0,0,0,0,", 1, 2, 6, 0, L""},
        {"blanks kept in the face", L"1,2,0,0,0,6,0,0,0,0,0,0,0,0, A B ", 1, 2, 6, 0, L" A B "},
        {"long face cut to 31 units", L"1,2,0,0,0,6,0,0,0,0,0,0,0,0," + longFace, 1, 2, 6, 0,
         longFace.substr(0, 31)},
        {"stops at the third field", L"100,-20", 100, -20, 400, 0, L"Start"},
        {"stops at a field that is not a number", L"100,-20,0,0,0,x,1", 100, -20, 400, 0, L"Start"},
        {"no face field", L"1,2,0,0,0,6,0,0,0,0,0,0,0,0", 1, 2, 6, 0, L"Start"},
        {"byte fields keep their low 8 bits", L"1,2,0,0,0,6,257,0,0,0,0,0,0,0,F", 1, 2, 6, 1, L"F"},
        {"blanks before numbers", L" 5, -6,0,0,0, 7,0,0,0,0,0,0,0,0,F", 5, -6, 7, 0, L"F"},
        {"huge numbers saturate", L"99999999999,2,0,0,0,6,0,0,0,0,0,0,0,0,F", INT_MAX, 2, 6, 0, L"F"},
        {"empty text", L"", 97, -13, 400, 0, L"Start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileLogfont font;
        font.init(ProfileRecord(), L"Font", L"Start", 13);
        font = c.text.c_str();
        EXPECT_EQ(font.m_size, c.size);
        EXPECT_EQ(font.m_logFont.lfHeight, c.height);
        EXPECT_EQ(font.m_logFont.lfWeight, c.weight);
        EXPECT_EQ(font.m_logFont.lfItalic, c.italic);
        EXPECT_EQ(Face(font.m_logFont), c.face);
        EXPECT_EQ(font.m_logFont.lfFaceName[LF_FACESIZE - 1], L'\0');
    }
}

TEST(ProfileLogfontText, BuildsTheDefaultFontFromFaceAndHeight)
{
    const struct {
        const wchar_t* face;
        int height, size;
        std::wstring expectedFace;
    } cases[] = {
        {L"Courier New", 13, 97, L"Courier New"},
        {L"Mono", -16, 120, L"Mono"},
        {L"0123456789012345678901234567890123456789", 10, 75, L"0123456789012345678901234567890"},
        {nullptr, 0, 0, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        ProfileLogfont font;
        font.init(ProfileRecord(), L"Font", c.face, c.height);
        LOGFONTW expected = {-c.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH, L""};
        wcsncpy(expected.lfFaceName, c.expectedFace.c_str(), LF_FACESIZE - 1);
        EXPECT_EQ(std::memcmp(&font.m_logFont, &expected, sizeof expected), 0);
        EXPECT_EQ(font.m_size, c.size);
        EXPECT_TRUE(font.GetText().IsEmpty()) << "the text form waits for save";
    }
    // A text in the record wins over face and height.
    ProfileLogfont font;
    font.init(RecordOf({{L"Font", L"80,-11,0,0,0,700,0,0,0,0,0,0,0,49,Mono"}}), L"Font", L"Courier New", 13);
    EXPECT_EQ(font.m_logFont.lfWeight, 700);
    EXPECT_EQ(Face(font.m_logFont), L"Mono");
}

TEST_F(ProfileFiles, FontTextFormRoundTrips)
{
    ProfileLogfont written;
    written.init(ProfileRecord(), L"Font", L"", 0);
    written.m_size = 105;
    // Every field differs, and every byte field is above 127, to be written unsigned.
    written.m_logFont = LOGFONTW{-14, 7, 900, 450, 700, 129, 130, 131, 204, 132, 133, 134, 177, L"Some Face 12"};
    // A face filling all 32 units, with no terminator, is written as 32 units
    // and read back cut to the 31 that fit.
    ProfileLogfont full(written);
    full.init(ProfileRecord(), L"Full", L"");
    full.m_logFont = written.m_logFont;
    full.m_size = 1;
    for (int i = 0; i < LF_FACESIZE; ++i)
        full.m_logFont.lfFaceName[i] = static_cast<wchar_t>(L'A' + i % 26);
    ProfileRecord record = FirstSection(
        [&](CStdioFile& f) {
            f.WriteString(L"[Fonts]\n");
            written.save(f);
            full.save(f);
        },
        L"Fonts");
    EXPECT_EQ(record[L"Font"], L"105,-14,7,900,450,700,129,130,131,204,132,133,134,177,Some Face 12");
    ProfileLogfont read;
    read.init(record, L"Font", L"");
    EXPECT_EQ(std::memcmp(&read.m_logFont, &written.m_logFont, sizeof(LOGFONTW)), 0);
    EXPECT_EQ(read.m_size, 105);

    EXPECT_EQ(std::wstring(record[L"Full"].c_str()),
              L"1,-14,7,900,450,700,129,130,131,204,132,133,134,177," + std::wstring(full.m_logFont.lfFaceName, LF_FACESIZE));
    read.init(record, L"Full", L"");
    EXPECT_EQ(Face(read.m_logFont), std::wstring(full.m_logFont.lfFaceName, 31));
    EXPECT_EQ(read.m_size, 1);
}

// Keeps the application profile in memory, as "section/entry" -> text.
class MemoryProfileApp : public CWinApp {
public:
    MemoryProfileApp() : CWinApp(L"Profile Test Host") {}
    UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) override
    {
        const auto found = values.find(Key(section, entry));
        return found == values.end() ? static_cast<UINT>(defaultValue) : static_cast<UINT>(std::stoll(found->second));
    }
    CStringW GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) override
    {
        const auto found = values.find(Key(section, entry));
        return found == values.end() ? CStringW(defaultValue) : CStringW(found->second.c_str());
    }
    BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) override
    {
        values[Key(section, entry)] = std::to_wstring(value);
        return TRUE;
    }
    BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) override
    {
        values[Key(section, entry)] = value;
        return TRUE;
    }
    static std::wstring Key(LPCWSTR section, LPCWSTR entry) { return std::wstring(section) + L"/" + entry; }

    std::map<std::wstring, std::wstring> values;
};

TEST(ProfileValuesApplication, ValuesGoThroughTheApplicationsProfile)
{
    MemoryProfileApp app;
    ProfileInt columns;
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), 80);
    columns.save(L"Window");
    EXPECT_EQ(app.values[L"Window/Columns"], L"80") << "saved at its default: written all the same";
    columns = -3;
    columns.save(L"Window");
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), -3);

    ProfileDouble ratio;
    ratio.init(L"Window", L"Ratio", 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(ratio), 1.5);
    ratio = 0.2505;
    ratio.save(L"Window");
    EXPECT_EQ(app.values[L"Window/Ratio"], L"251");
    ratio = -2.0;
    ratio.save(L"Window");
    ratio.init(L"Window", L"Ratio", 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(ratio), -2.0);

    ProfileString title;
    title.init(L"Window", L"Title", L"Untitled");
    EXPECT_EQ(title.GetValue(), L"Untitled");
    title = std::wstring(9000, L'w').c_str();
    title.save(L"Window");
    EXPECT_EQ(app.values[L"Window/Title"].size(), 9000u) << "the application profile gets the whole text";
    title.init(L"Window", L"Title", L"Untitled");
    EXPECT_EQ(title.GetValue().GetLength(), 9000);

    app.values[L"View/Font"] = L"90,-12,0,0,0,700,1,0,0,0,0,0,0,49,Mono";
    ProfileLogfont font;
    font.init(L"View", L"Font", L"1,2,0,0,0,3,0,0,0,0,0,0,0,0,D");
    EXPECT_EQ(font.m_logFont.lfWeight, 700);
    EXPECT_EQ(Face(font.m_logFont), L"Mono");
    font.m_logFont.lfWeight = 400;
    font.save(L"View");
    EXPECT_EQ(app.values[L"View/Font"], L"90,-12,0,0,0,400,1,0,0,0,0,0,0,49,Mono");
}

// A save without an application goes nowhere: the value is kept, and read
// again the entry still gives its default.
TEST(ProfileValuesApplication, WithoutAnApplicationDefaultsStand)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    ProfileInt columns;
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), 80);
    columns = 132;
    columns.save(L"Window");
    EXPECT_EQ(static_cast<int>(columns), 132);
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), 80);

    ProfileDouble ratio;
    ratio.init(L"Window", L"Ratio", 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(ratio), 1.5);

    ProfileString title;
    title.init(L"Window", L"Title", L"Untitled");
    EXPECT_EQ(title.GetValue(), L"Untitled");
    title = L"Session";
    title.save(L"Window");
    title.init(L"Window", L"Title", L"Untitled");
    EXPECT_EQ(title.GetValue(), L"Untitled");
}

}  // namespace
