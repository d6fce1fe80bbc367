// Deterministic mutations (bit flips, byte values, truncations, random edits) of
// a valid profile text file, each read through ZTextFile and ProfileRecord::load
// and turned into typed values: reading must end, never hang, and hand out only
// well-formed results; the font parser sees every value placed against a guard
// page, so a read past the terminator faults.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <cstring>
#include <string>

#include "settings/ProfileRecord.h"
#include "settings/ProfileValues.h"
#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"

namespace {

const char kProfileUtf8[] =
    "\xEF\xBB\xBF"
    "[Window]\r\n"
    "Columns=00000050\r\n"
    "Ratio=000005dc\r\n"
    "Title=a=b\r\n"
    "Font=97,-13,0,0,0,400,0,0,0,1,0,0,0,1,Courier New\r\n"
    "\r\n"
    "[Colors]\n"
    "Back=00c0ffee\n"
    "Name=caf\xC3\xA9 \xE2\x82\xAC\n";

const wchar_t* const kKeys[] = {L"Columns", L"Ratio", L"Title", L"Font", L"Back", L"Name"};

bool HasLineEnd(const ZUnicodeString& text)
{
    return text.find(L'\r') != ZUnicodeString::npos || text.find(L'\n') != ZUnicodeString::npos;
}

// Reads every section of the file as a host would; returns the sections read.
int ReadProfile(const std::wstring& path)
{
    ZTextFile file;
    if (!file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING)) {
        ADD_FAILURE() << "open failed: " << ::GetLastError();
        return 0;
    }
    int sections = 0;
    // Each value is copied to the end of this buffer, its terminator last
    // before the guard page.
    TestSupport::GuardedBuffer guarded(8192);
    // Each load consumes at least one line, so this many loads pass the end.
    for (int load = 0; load < 32; ++load) {
        ProfileRecord record;
        record[L"sentinel"] = L"kept";
        const ZUnicodeString name = record.load(file);
        EXPECT_FALSE(HasLineEnd(name));
        const ProfileRecord& view = record;
        if (!view[L"sentinel"].empty())
            continue;  // no section: the record is as it was
        ++sections;
        for (const wchar_t* key : kKeys) {
            const ZUnicodeString value = view[key];
            EXPECT_FALSE(HasLineEnd(value));

            ProfileInt number;
            number.init(record, key, 1);
            ProfileColorref colour;
            colour.init(record, key, 2);
            ProfileDouble ratio;
            ratio.init(record, key, 3.0);
            ProfileString text;
            text.init(record, key, L"d");
            EXPECT_EQ(text.GetValue().GetLength(), value.empty() ? 1 : static_cast<int>(value.length()));

            ProfileLogfont font;
            font.init(record, L"Font", L"Start", 13);
            const size_t units = value.length() + 1;
            if (units * sizeof(wchar_t) > guarded.Size()) {
                ADD_FAILURE() << "value longer than the guarded buffer";
                continue;
            }
            wchar_t* placed = guarded.DataAs<wchar_t>() + guarded.Size() / sizeof(wchar_t) - units;
            std::memcpy(placed, value.c_str(), units * sizeof(wchar_t));
            font = placed;
            EXPECT_EQ(font.m_logFont.lfFaceName[LF_FACESIZE - 1], L'\0');
        }
    }
    ZUnicodeString line;
    EXPECT_FALSE(file.ReadLine(line)) << "32 loads did not reach the end";
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(error == ERROR_HANDLE_EOF || error == ERROR_NO_UNICODE_TRANSLATION) << error;
    return sections;
}

TEST(ProfileMutation, TheUnmutatedFileReadsWhole)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"good.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, kProfileUtf8));
    EXPECT_EQ(ReadProfile(path), 2);

    ZTextFile file;
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING));
    ProfileRecord record;
    ASSERT_EQ(record.load(file), L"Window");
    ProfileLogfont font;
    font.init(record, L"Font", L"", 0);
    EXPECT_EQ(font.m_size, 97);
    ASSERT_EQ(record.load(file), L"Colors");
    ProfileString name;
    name.init(record, L"Name", L"");
    EXPECT_EQ(name.GetValue(), L"caf\u00e9 \u20ac");
}

TEST(ProfileMutation, MutatedUtf8FilesReadCleanly)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"mutated.txt");
    TestSupport::Mutations mutations;
    const size_t count = mutations.ForEach(std::string(kProfileUtf8), [&](const TestSupport::Mutation& m) {
        SCOPED_TRACE(m.description);
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, std::string(m.bytes.begin(), m.bytes.end())));
        ReadProfile(path);
    });
    EXPECT_EQ(count, mutations.Count(sizeof(kProfileUtf8) - 1));
    RecordProperty("mutated_inputs", static_cast<int>(count));
}

TEST(ProfileMutation, MutatedUtf16FilesReadCleanly)
{
    // The same profile in UTF-16, both byte orders: truncations (odd ones cut a
    // unit in half) and random edits.
    std::wstring text;
    for (const char* p = kProfileUtf8 + 3; *p; ++p)
        text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    for (bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF);
            const char high = static_cast<char>(c >> 8);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        ScratchFolder folder;
        const std::wstring path = folder.File(L"mutated16.txt");
        TestSupport::Mutations mutations;
        mutations.bitFlips = false;
        mutations.byteValues = false;
        const size_t count = mutations.ForEach(bytes, [&](const TestSupport::Mutation& m) {
            SCOPED_TRACE(m.description);
            ASSERT_TRUE(ScratchFolder::WriteBytes(path, std::string(m.bytes.begin(), m.bytes.end())));
            ReadProfile(path);
        });
        EXPECT_GT(count, bytes.size());
    }
}

}  // namespace
