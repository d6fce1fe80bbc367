// Mutations of a valid profile text file, read through ZTextFile and ProfileRecord::load and
// turned into typed values: reading must end and hand out only well-formed results; the font
// parser sees every value against a guard page, so a read past the terminator faults.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <string>

#include "settings/ProfileRecord.h"
#include "settings/ProfileValues.h"
#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"
#include "tests/support/TextEncodings.h"

namespace {

// A valid profile; each form puts its byte-order mark before it.
const std::wstring kProfile =
    L"[Window]\r\n"
    L"Columns=00000050\r\n"
    L"Ratio=000005dc\r\n"
    L"Title=a=b\r\n"
    L"Font=97,-13,0,0,0,400,0,0,0,1,0,0,0,1,Courier New\r\n"
    L"\r\n"
    L"[Colors]\n"
    L"Back=00c0ffee\n"
    L"Name=caf\u00e9 \u20ac\n";

const wchar_t* const kKeys[] = {L"Columns", L"Ratio", L"Title", L"Font", L"Back", L"Name"};

bool HasLineEnd(const ZUnicodeString& text)
{
    return text.find(L'\r') != ZUnicodeString::npos || text.find(L'\n') != ZUnicodeString::npos;
}

// Reads every section of the file as a host would; returns the values found.
int ReadProfile(const std::wstring& path)
{
    ZTextFile file;
    if (!file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING)) {
        ADD_FAILURE() << "open failed: " << ::GetLastError();
        return 0;
    }
    int found = 0;
    // Each load consumes at least one line, so this many loads pass the end.
    for (int load = 0; load < 32; ++load) {
        ProfileRecord record;
        record[L"sentinel"] = L"kept";
        const ZUnicodeString name = record.load(file);
        EXPECT_FALSE(HasLineEnd(name));
        const ProfileRecord& view = record;
        if (!view[L"sentinel"].empty())
            continue;  // no section: the record is as it was
        for (const wchar_t* key : kKeys) {
            const ZUnicodeString value = view[key];
            EXPECT_FALSE(HasLineEnd(value));
            found += !value.empty();

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
            // The value's terminator is the last character before the guard page.
            TestSupport::GuardedBuffer placed(value.c_str(), (value.length() + 1) * sizeof(wchar_t));
            font = placed.DataAs<wchar_t>();
            EXPECT_EQ(font.m_logFont.lfFaceName[LF_FACESIZE - 1], L'\0');
        }
    }
    ZUnicodeString line;
    EXPECT_FALSE(file.ReadLine(line)) << "32 loads did not reach the end";
    const DWORD error = ::GetLastError();
    EXPECT_TRUE(error == ERROR_HANDLE_EOF || error == ERROR_NO_UNICODE_TRANSLATION) << error;
    return found;
}

// Each form unmutated reads whole; then every kind of mutation of the UTF-8 form, and
// truncations (odd ones cut a unit in half) and random edits of the UTF-16 forms.
TEST(ProfileMutation, MutatedFilesReadCleanly)
{
    struct Form {
        const char* name;
        std::string bytes;
        bool everyKind;
    };
    const Form forms[] = {
        {"UTF-8", "\xEF\xBB\xBF" + TestSupport::Utf8Of(kProfile), true},
        {"UTF-16 LE", "\xFF\xFE" + TestSupport::Utf16BytesOf(kProfile, false), false},
        {"UTF-16 BE", "\xFE\xFF" + TestSupport::Utf16BytesOf(kProfile, true), false},
    };
    ScratchFolder folder;
    const std::wstring path = folder.File(L"mutated.txt");
    size_t total = 0;
    for (const Form& form : forms) {
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, form.bytes));
        EXPECT_EQ(ReadProfile(path), 6) << form.name << ": every value of both sections";
        TestSupport::Mutations mutations;
        mutations.bitFlips = mutations.byteValues = form.everyKind;
        const size_t count = mutations.ForEach(form.bytes, [&](const TestSupport::Mutation& m) {
            SCOPED_TRACE(testing::Message() << form.name << ", " << m.description);
            ASSERT_TRUE(ScratchFolder::WriteBytes(path, std::string(m.bytes.begin(), m.bytes.end())));
            ReadProfile(path);
        });
        EXPECT_EQ(count, mutations.Count(form.bytes.size()));
        total += count;
    }
    RecordProperty("mutated_inputs", static_cast<int>(total));
}

}  // namespace
