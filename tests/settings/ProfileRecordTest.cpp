// ProfileRecord and the typed profile values: the profile text format (section
// boundaries, entry lines, the written forms), hexadecimal parsing, the font's
// text form, and the application profile reached through the running CWinApp.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <climits>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/ProfileRecord.h"
#include "settings/ProfileValues.h"
#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SeededRandom.h"

namespace {

using Lines = std::vector<std::wstring>;

// Writes through a CStdioFile in binary mode after a UTF-16 mark, so that
// exactly the units the classes write reach the file.
void WriteProfile(const std::wstring& path, const std::function<void(CStdioFile&)>& write)
{
    CStdioFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    file.Write("\xFF\xFE", 2);
    write(file);
    file.Close();
}

Lines ReadLines(const std::wstring& path)
{
    Lines lines;
    ZTextFile file;
    if (!file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING))
        return {L"<cannot open>"};
    ZUnicodeString line;
    while (file.ReadLine(line))
        lines.emplace_back(line.c_str(), line.length());
    return lines;
}

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

class ProfileFiles : public ::testing::Test {
protected:
    std::wstring Path() const { return m_folder.File(L"profile.txt"); }

    // The profile's lines after loading them back through ZTextFile.
    Lines SavedLines(const std::function<void(CStdioFile&)>& write)
    {
        WriteProfile(Path(), write);
        return ReadLines(Path());
    }

    // A file holding the given lines (LF after each), read as sections.
    void WriteLines(const Lines& lines)
    {
        std::wstring text;
        for (const std::wstring& line : lines)
            text += line + L"\n";
        WriteProfile(Path(), [&](CStdioFile& file) { file.WriteString(text.c_str()); });
    }

    ScratchFolder m_folder;
};

// ------------------------------------------------------------ written forms

struct WriteCase {
    const char* name;
    std::function<void(CStdioFile&)> write;
    Lines expected;
};

TEST_F(ProfileFiles, WrittenForms)
{
    const WriteCase cases[] = {
        {"int 80", [](CStdioFile& f) { ProfileInt v(L"Columns", 0); v = 80; v.save(f); }, {L"Columns=00000050"}},
        {"int -1", [](CStdioFile& f) { ProfileInt v(L"Columns", 0); v = -1; v.save(f); }, {L"Columns=ffffffff"}},
        {"int at its default", [](CStdioFile& f) { ProfileInt v(L"Columns", 80); v.save(f); }, {}},
        {"int minimum", [](CStdioFile& f) { ProfileInt v(L"N", 0); v = INT_MIN; v.save(f); }, {L"N=80000000"}},
        {"colour", [](CStdioFile& f) { ProfileColorref c(L"Back", 0); c = 0x00C0FFEEul; c.save(f); },
         {L"Back=00c0ffee"}},
        {"double 1.5", [](CStdioFile& f) { ProfileDouble d(L"Ratio"); d = 1.5; d.save(f); }, {L"Ratio=000005dc"}},
        {"double is always written", [](CStdioFile& f) { ProfileDouble d(L"Zero"); d.save(f); },
         {L"Zero=00000000"}},
        {"double 1.2345 rounds", [](CStdioFile& f) { ProfileDouble d(L"R", 1.2345); d.save(f); },
         {L"R=000004d3"}},
        {"string with '='", [](CStdioFile& f) { ProfileString s(L"Title", L""); s = L"a=b"; s.save(f); },
         {L"Title=a=b"}},
        {"string at its default", [](CStdioFile& f) { ProfileString s(L"Title", L"x"); s.save(f); }, {}},
        {"string differing only in case", [](CStdioFile& f) { ProfileString s(L"T", L"x"); s = L"X"; s.save(f); },
         {L"T=X"}},
        {"string emptied", [](CStdioFile& f) { ProfileString s(L"T", L"x"); s = L""; s.save(f); }, {L"T="}},
        {"font from face and height",
         [](CStdioFile& f) {
             ProfileLogfont font;
             font.init(ProfileRecord(), L"Font", L"Courier New", 13);
             font.save(f);
         },
         {L"Font=97,-13,0,0,0,400,0,0,0,1,0,0,0,1,Courier New"}},
        {"font at its default text",
         [](CStdioFile& f) {
             ProfileLogfont font;
             font.init(ProfileRecord(), L"Font", L"90,-12,0,0,0,700,1,0,0,0,0,0,0,49,Mono");
             font.save(f);
         },
         {}},
        {"byte fields written unsigned",
         [](CStdioFile& f) {
             ProfileLogfont font;
             font.init(ProfileRecord(), L"F", L"");
             font.m_logFont.lfCharSet = 0xFF;
             font.m_logFont.lfQuality = 0x80;
             font.save(f);
         },
         {L"F=0,0,0,0,0,0,0,0,0,255,0,0,128,0,"}},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SavedLines(c.write), c.expected);
    }
}

TEST_F(ProfileFiles, EachEntryEndsInOneLineFeed)
{
    CStdioFile file;
    ASSERT_TRUE(file.Open(Path().c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    ProfileInt columns(L"Columns", 0);
    columns = 80;
    columns.save(file);
    ProfileString title(L"Title", L"");
    title = L"a=b";
    title.save(file);
    file.Close();
    // Text mode turns each LF into CR LF; nothing else is added.
    EXPECT_EQ(ScratchFolder::ReadBytes(Path()), "Columns=00000050\r\nTitle=a=b\r\n");
}

TEST_F(ProfileFiles, LongStringsAreCutInTextFilesOnly)
{
    std::wstring value(9000, L'v');
    for (size_t i = 0; i < value.size(); i += 97)
        value[i] = static_cast<wchar_t>(L'a' + i % 26);
    ProfileString text(L"Long", L"");
    text = value.c_str();
    EXPECT_EQ(SavedLines([&](CStdioFile& f) { text.save(f); }), (Lines{L"Long=" + value.substr(0, 8000)}));

    // A surrogate pair across the cut is left out whole rather than halved.
    std::wstring paired(7999, L'p');
    paired += L"\U0001F600tail";
    ProfileString emoji(L"E", L"");
    emoji = paired.c_str();
    EXPECT_EQ(SavedLines([&](CStdioFile& f) { emoji.save(f); }), (Lines{L"E=" + paired.substr(0, 7999)}));
}

// ------------------------------------------------------- reading sections

struct SectionCase {
    const char* name;
    Lines file;
    std::wstring section;
    std::map<std::wstring, std::wstring> entries;
};

TEST_F(ProfileFiles, SectionNamesAndEntries)
{
    const SectionCase cases[] = {
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
    for (const SectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLines(c.file);
        ZTextFile file;
        ASSERT_TRUE(file.Open(Path().c_str(), GENERIC_READ, OPEN_EXISTING));
        ProfileRecord record;
        record[L"stale"] = L"from before";
        EXPECT_EQ(std::wstring(record.load(file).c_str()), c.section);
        EXPECT_EQ(record.GetCount(), c.entries.size());
        for (const auto& [key, value] : c.entries) {
            const ProfileRecord& constRecord = record;
            EXPECT_EQ(std::wstring(constRecord[ZUnicodeString(key.c_str())].c_str()), value)
                << "key " << testing::PrintToString(key);
        }
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
    EXPECT_EQ(record.GetCount(), 1u);

    // "[B]" ended section A; the next line read is "k=2": no header, so the
    // record stays as it was.
    EXPECT_EQ(record.load(file), L"");
    EXPECT_EQ(view[L"k"], L"1");
    EXPECT_EQ(record.GetCount(), 1u);

    // The empty line was consumed by that load: the next is "[C]".
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

TEST(ProfileRecordMap, LookupsAndCopies)
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

    ProfileRecord copy(record);
    EXPECT_EQ(copy.GetBucketCount(), 7u);
    copy[L"ab"] = L"changed";
    EXPECT_EQ(view[L"ab"], L"1");
    ProfileRecord assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetBucketCount(), 7u);
    EXPECT_EQ(static_cast<const ProfileRecord&>(assigned)[L"ab"], L"changed");
    EXPECT_EQ(ProfileRecord().GetBucketCount(), 100u);
}

// ------------------------------------------------------- values from records

TEST(ProfileValuesFromRecords, HexadecimalIntegers)
{
    struct Case {
        const wchar_t* text;  // null: key absent
        int expected;
    };
    const Case cases[] = {
        {L"0x1F", 31},       {L"1f", 31},          {L"1F", 31},          {L"zz", 0},
        {L"", 7},            {nullptr, 7},         {L"00000050", 80},    {L"ffffffff", -1},
        {L"80000000", INT_MIN}, {L"7fffffff", INT_MAX}, {L"100000000", -1}, {L"12g4", 0x12},
        {L" 50", 0x50},      {L"-1", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text ? c.text : L"<absent>")));
        const ProfileRecord record = c.text ? RecordOf({{L"K", c.text}}) : ProfileRecord();
        ProfileInt value;
        value.init(record, L"K", 7);
        EXPECT_EQ(static_cast<int>(value), c.expected);
        EXPECT_EQ(value.GetDefault(), 7);
        EXPECT_EQ(value.GetName(), L"K");

        ProfileColorref colour;
        colour.init(record, L"K", 7);
        EXPECT_EQ(static_cast<unsigned long>(colour), static_cast<unsigned long>(static_cast<uint32_t>(c.expected)));
    }
}

TEST(ProfileValuesFromRecords, Thousandths)
{
    struct Case {
        double value;
        int thousandths;
    };
    const Case cases[] = {
        {1.2345, 1235}, {1.5, 1500}, {0.0, 0}, {0.0004, 0}, {0.0005, 1}, {2147483.647, INT_MAX},
        {1e300, INT_MAX}, {-1.5, -1500}, {-0.0005, -1}, {-1e300, INT_MIN}, {std::nan(""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ProfileDouble::ToThousandths(c.value), c.thousandths);
    }

    struct TextCase {
        const wchar_t* text;
        double expected;
    };
    const TextCase texts[] = {
        {L"000005dc", 1.5}, {L"5DC", 1.5}, {L"", 2.25}, {L"x", 0.0}, {L"7fffffff", 2147483.647},
        {L"fffffa24", -1.5},
    };
    for (const TextCase& c : texts) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        ProfileDouble value;
        value.init(RecordOf({{L"Ratio", c.text}}), L"Ratio", 2.25);
        EXPECT_DOUBLE_EQ(static_cast<double>(value), c.expected);
        EXPECT_EQ(value.GetName(), L"Ratio");
    }
}

TEST(ProfileValuesFromRecords, StringsTakeOnlyNonEmptyTexts)
{
    ProfileString value;
    value.init(RecordOf({{L"T", L""}}), L"T", L"x");
    EXPECT_EQ(value.GetValue(), L"x");
    value.init(RecordOf({{L"T", L" padded = "}}), L"T", L"x");
    EXPECT_EQ(value.GetValue(), L" padded = ");
    EXPECT_EQ(value.GetDefault(), L"x");
    value.init(ProfileRecord(), L"T", nullptr);
    EXPECT_TRUE(value.GetValue().IsEmpty());

    value.init(L"Other", L"d");
    EXPECT_EQ(value.GetName(), L"Other");
    EXPECT_EQ(value.GetValue(), L"d");
    value = CString(L"set");
    EXPECT_EQ(static_cast<const CString&>(value), L"set");
    EXPECT_EQ(value.GetDefault(), L"d");
}

// Seeded random values written to a text file and loaded back.
TEST_F(ProfileFiles, ValuesRoundTripThroughTheTextFormat)
{
    TestSupport::SeededRandom random;
    SCOPED_TRACE(testing::Message() << "seed " << random.Seed());
    for (int round = 0; round < 20; ++round) {
        const int integer = static_cast<int>(random.Between(0, UINT32_MAX));
        const double ratio = static_cast<int>(random.Between(0, UINT32_MAX)) / 1000.0;
        std::wstring text;
        const size_t length = random.Between(1, 300);
        while (text.size() < length) {
            const wchar_t c = static_cast<wchar_t>(random.Between(0x20, 0x24FF));
            if (c != L'\r' && c != L'\n')
                text += c;
        }
        WriteProfile(Path(), [&](CStdioFile& f) {
            f.WriteString(L"[Round]\n");
            ProfileInt i(L"Int", integer == 12345 ? 0 : 12345);
            i = integer;
            i.save(f);
            ProfileDouble d(L"Ratio", ratio);
            d.save(f);
            ProfileString s(L"Text", L"");
            s = text.c_str();
            s.save(f);
        });
        ZTextFile file;
        ASSERT_TRUE(file.Open(Path().c_str(), GENERIC_READ, OPEN_EXISTING));
        ProfileRecord record;
        ASSERT_EQ(record.load(file), L"Round");
        ProfileInt i;
        i.init(record, L"Int", 12345);
        ProfileDouble d;
        d.init(record, L"Ratio", 0.5);
        ProfileString s;
        s.init(record, L"Text", L"");
        EXPECT_EQ(static_cast<int>(i), integer);
        EXPECT_DOUBLE_EQ(static_cast<double>(d), ratio);
        EXPECT_EQ(std::wstring(s.GetValue().GetString()), text);
    }
}

// ------------------------------------------------------------------- fonts

TEST(ProfileLogfontText, ParsesTheFifteenFields)
{
    ProfileLogfont font;
    font = L"90,-12,1,2,3,700,1,0,1,0,3,2,5,49,Fixed Sys{x}";
    EXPECT_EQ(font.m_size, 90);
    EXPECT_EQ(font.m_logFont.lfHeight, -12);
    EXPECT_EQ(font.m_logFont.lfWidth, 1);
    EXPECT_EQ(font.m_logFont.lfEscapement, 2);
    EXPECT_EQ(font.m_logFont.lfOrientation, 3);
    EXPECT_EQ(font.m_logFont.lfWeight, 700);
    EXPECT_EQ(font.m_logFont.lfItalic, 1);
    EXPECT_EQ(font.m_logFont.lfUnderline, 0);
    EXPECT_EQ(font.m_logFont.lfStrikeOut, 1);
    EXPECT_EQ(font.m_logFont.lfCharSet, 0);
    EXPECT_EQ(font.m_logFont.lfOutPrecision, 3);
    EXPECT_EQ(font.m_logFont.lfClipPrecision, 2);
    EXPECT_EQ(font.m_logFont.lfQuality, 5);
    EXPECT_EQ(font.m_logFont.lfPitchAndFamily, 49);
    EXPECT_EQ(Face(font.m_logFont), L"Fixed Sys");
    EXPECT_EQ(font.GetText(), L"90,-12,1,2,3,700,1,0,1,0,3,2,5,49,Fixed Sys{x}");
}

TEST(ProfileLogfontText, FaceNamesAndPartialTexts)
{
    const std::wstring longFace = L"An Extremely Long Face Name That Goes On And On";
    struct Case {
        const char* name;
        std::wstring text;
        int size;
        LONG height;
        LONG weight;
        BYTE italic;
        std::wstring face;
    };
    // Each text is parsed over the same starting font: 97,-13,...,400,...,"Start".
    const Case cases[] = {
        {"face cut at '|'", L"1,2,3,4,5,6,7,8,9,10,11,12,13,14,Mono|Bold", 1, 2, 6, 7, L"Mono"},
        {"face cut at a non-ASCII letter", L"1,2,0,0,0,6,0,0,0,0,0,0,0,0,Caf\u00e9", 1, 2, 6, 0, L"Caf"},
        {"face starting with '~' becomes empty", L"1,2,0,0,0,6,0,0,0,0,0,0,0,0,~x", 1, 2, 6, 0, L""},
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
    for (const Case& c : cases) {
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
    struct Case {
        const wchar_t* face;
        int height;
        int size;
        std::wstring expectedFace;
    };
    const Case cases[] = {
        {L"Courier New", 13, 97, L"Courier New"},
        {L"Mono", -16, 120, L"Mono"},
        {L"0123456789012345678901234567890123456789", 10, 75, L"0123456789012345678901234567890"},
        {nullptr, 0, 0, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        ProfileLogfont font;
        font.init(ProfileRecord(), L"Font", c.face, c.height);
        LOGFONTW expected = {};
        expected.lfHeight = -c.height;
        expected.lfWeight = FW_NORMAL;
        expected.lfCharSet = DEFAULT_CHARSET;
        expected.lfPitchAndFamily = FIXED_PITCH;
        wcsncpy(expected.lfFaceName, c.expectedFace.c_str(), LF_FACESIZE - 1);
        EXPECT_FALSE(font != expected);
        EXPECT_EQ(font.m_size, c.size);
        EXPECT_TRUE(font.GetText().IsEmpty()) << "the text form waits for save";
    }

    // A text in the record wins over face and height.
    ProfileLogfont font;
    font.init(RecordOf({{L"Font", L"80,-11,0,0,0,700,0,0,0,0,0,0,0,49,Mono"}}), L"Font", L"Courier New", 13);
    EXPECT_EQ(font.m_logFont.lfWeight, 700);
    EXPECT_EQ(Face(font.m_logFont), L"Mono");
}

TEST(ProfileLogfontText, ComparisonCoversTheWholeFaceArray)
{
    ProfileLogfont font;
    font.init(ProfileRecord(), L"Font", L"Mono", 12);
    LOGFONTW same = font.m_logFont;
    EXPECT_FALSE(font != same);
    same.lfFaceName[LF_FACESIZE - 1] = L'x';  // beyond the terminator
    EXPECT_TRUE(font != same);
    same = font.m_logFont;
    same.lfQuality = 1;
    EXPECT_TRUE(font != same);
}

TEST_F(ProfileFiles, FontTextFormRoundTrips)
{
    ProfileLogfont written;
    written.init(ProfileRecord(), L"Font", L"", 0);
    written.m_size = 105;
    written.m_logFont = LOGFONTW{-14, 7, 900, 450, 700, 1, 1, 1, 204, 3, 2, 5, 0x31, L"Some Face 12"};
    // A face filling all 32 units, with no terminator, is written as 32 units
    // and read back cut to the 31 that fit.
    ProfileLogfont full(written);
    for (int i = 0; i < LF_FACESIZE; ++i)
        full.m_logFont.lfFaceName[i] = static_cast<wchar_t>(L'A' + i % 26);
    WriteProfile(Path(), [&](CStdioFile& f) {
        f.WriteString(L"[Fonts]\n");
        written.save(f);
        ProfileLogfont second(full);
        second.init(ProfileRecord(), L"Full", L"");
        second.m_logFont = full.m_logFont;
        second.m_size = 1;
        second.save(f);
    });
    ZTextFile file;
    ASSERT_TRUE(file.Open(Path().c_str(), GENERIC_READ, OPEN_EXISTING));
    ProfileRecord record;
    ASSERT_EQ(record.load(file), L"Fonts");
    EXPECT_EQ(record[L"Font"], L"105,-14,7,900,450,700,1,1,1,204,3,2,5,49,Some Face 12");
    ProfileLogfont read;
    read.init(record, L"Font", L"");
    EXPECT_FALSE(read != written.m_logFont);
    EXPECT_EQ(read.m_size, 105);

    EXPECT_EQ(std::wstring(record[L"Full"].c_str()),
              L"1,-14,7,900,450,700,1,1,1,204,3,2,5,49," + std::wstring(full.m_logFont.lfFaceName, LF_FACESIZE));
    read.init(record, L"Full", L"");
    EXPECT_EQ(Face(read.m_logFont), std::wstring(full.m_logFont.lfFaceName, 31));
    EXPECT_EQ(read.m_size, 1);
}

// --------------------------------------------------- application profile

// Keeps the application profile in memory and records every call.
class MemoryProfileApp : public CWinApp {
public:
    MemoryProfileApp() : CWinApp(L"Profile Test Host") {}

    UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) override
    {
        calls.push_back(L"GetProfileInt " + Key(section, entry) + L" " + std::to_wstring(defaultValue));
        const auto found = values.find(Key(section, entry));
        return found == values.end() ? static_cast<UINT>(defaultValue) : static_cast<UINT>(std::stoll(found->second));
    }
    CStringW GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) override
    {
        calls.push_back(L"GetProfileString " + Key(section, entry));
        const auto found = values.find(Key(section, entry));
        return found == values.end() ? CStringW(defaultValue) : CStringW(found->second.c_str());
    }
    BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) override
    {
        calls.push_back(L"WriteProfileInt " + Key(section, entry) + L" " + std::to_wstring(value));
        values[Key(section, entry)] = std::to_wstring(value);
        return TRUE;
    }
    BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) override
    {
        calls.push_back(L"WriteProfileString " + Key(section, entry));
        values[Key(section, entry)] = value;
        return TRUE;
    }

    static std::wstring Key(LPCWSTR section, LPCWSTR entry) { return std::wstring(section) + L"/" + entry; }

    std::map<std::wstring, std::wstring> values;
    std::vector<std::wstring> calls;
};

TEST(ProfileValuesApplication, IntegersAndDoubles)
{
    MemoryProfileApp app;
    ProfileInt columns;
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), 80);
    ASSERT_EQ(app.calls.size(), 1u);
    EXPECT_EQ(app.calls[0], L"GetProfileInt Window/Columns 80");

    // Saved at its default: written all the same.
    columns.save(L"Window");
    EXPECT_EQ(app.values[L"Window/Columns"], L"80");
    columns = -3;
    columns.save(L"Window");
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), -3);

    ProfileDouble ratio;
    ratio.init(L"Window", L"Ratio", 1.5);
    EXPECT_EQ(app.calls.back(), L"GetProfileInt Window/Ratio 1500");
    EXPECT_DOUBLE_EQ(static_cast<double>(ratio), 1.5);
    ratio = 0.2505;
    ratio.save(L"Window");
    EXPECT_EQ(app.values[L"Window/Ratio"], L"251");
    ratio = -2.0;
    ratio.save(L"Window");
    ratio.init(L"Window", L"Ratio", 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(ratio), -2.0);
}

TEST(ProfileValuesApplication, StringsAndFonts)
{
    MemoryProfileApp app;
    ProfileString title;
    title.init(L"Window", L"Title", L"Untitled");
    EXPECT_EQ(title.GetValue(), L"Untitled");
    const std::wstring longText(9000, L'w');
    title = longText.c_str();
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

TEST(ProfileValuesApplication, WithoutAnApplicationDefaultsStand)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    ProfileInt columns;
    columns.init(L"Window", L"Columns", 80);
    EXPECT_EQ(static_cast<int>(columns), 80);
    columns.save(L"Window");
    ProfileDouble ratio;
    ratio.init(L"Window", L"Ratio", 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(ratio), 1.5);
    ProfileString title;
    title.init(L"Window", L"Title", L"Untitled");
    EXPECT_EQ(title.GetValue(), L"Untitled");
    title.save(L"Window");
}

}  // namespace
