// ZTextFile: byte-order marks, the four decoders, line ends across buffer
// fills, the error codes that end reading, and the marks written on creation.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TextEncodings.h"

namespace {

constexpr size_t kFill = ZTextFile::kRawBufferSize;
constexpr DWORD kEnd = ERROR_HANDLE_EOF;
constexpr DWORD kBad = ERROR_NO_UNICODE_TRANSLATION;
constexpr auto kNone = ZTextFile::EncodingUnknown;
constexpr auto kAnsi = ZTextFile::EncodingAnsi;
constexpr auto kUtf8 = ZTextFile::EncodingUtf8;
constexpr auto kLE = ZTextFile::EncodingUtf16LE;
constexpr auto kBE = ZTextFile::EncodingUtf16BE;
using Lines = std::vector<std::wstring>;

struct ReadResult {
    Lines lines;
    DWORD finalError = 0;
    ZTextFile::Encoding encoding = ZTextFile::EncodingUnknown;
};

// Puts bytes into a file of folder and reads them back line by line.
ReadResult ReadBack(const ScratchFolder& folder, const std::string& bytes, bool lockRegions = false)
{
    ReadResult result;
    const std::wstring path = folder.File(L"read.txt");
    ZTextFile file;
    file.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    file.SetLockRegions(lockRegions);
    if (!ScratchFolder::WriteBytes(path, bytes) || !file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING)) {
        ADD_FAILURE() << "cannot write or open the file to read: " << ::GetLastError();
        return result;
    }
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SUCCESS)) << "the open's own error code is kept";
    result.encoding = file.GetEncoding();
    ZUnicodeString line;
    while (result.lines.size() < 100000 && file.ReadLine(line))
        result.lines.emplace_back(line.c_str(), line.length());
    result.finalError = ::GetLastError();
    EXPECT_TRUE(line.empty()) << "text returned with false";
    EXPECT_FALSE(file.ReadLine(line)) << "once ended, reading stays ended";
    EXPECT_EQ(::GetLastError(), result.finalError);
    // Every region locked for reading was let go.
    HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    OVERLAPPED at = {};
    EXPECT_TRUE(::LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, 0, &at))
        << "a region stayed locked: " << ::GetLastError();
    ::CloseHandle(other);
    return result;
}

enum class Form { Ansi, Utf8, Utf16LE, Utf16BE };
constexpr Form kForms[] = {Form::Ansi, Form::Utf8, Form::Utf16LE, Form::Utf16BE};
const char* const kFormNames[] = {"ANSI", "UTF-8", "UTF-16LE", "UTF-16BE"};

// The file's bytes for text in the given form, with its mark; ANSI text is kept to ASCII.
std::string Encode(Form form, const std::wstring& text)
{
    switch (form) {
    case Form::Ansi: return std::string(text.begin(), text.end());
    case Form::Utf8: return "\xEF\xBB\xBF" + TestSupport::Utf8Of(text);
    case Form::Utf16LE: return "\xFF\xFE" + TestSupport::Utf16BytesOf(text, false);
    case Form::Utf16BE: return "\xFE\xFF" + TestSupport::Utf16BytesOf(text, true);
    }
    return {};
}

// Plain UTF-16 and multi-byte UTF-8 text is left to the random round trip below.
TEST(ZTextFileRead, MarksEncodingsAndLineEnds)
{
    struct Case {
        const char* name;
        std::string bytes;
        ZTextFile::Encoding encoding;
        Lines lines;
        DWORD finalError = kEnd;
    };
    const Case cases[] = {
        {"UTF-8 with mark, no final line end", "\xEF\xBB\xBF" "a\n\nb", kUtf8, {L"a", L"", L"b"}},
        {"no mark reads as ANSI", "plain\r\ntext", kAnsi, {L"plain", L"text"}},
        {"CR, LF and CR LF each end one line", "a\rb\nc\r\nd\n", kAnsi, {L"a", L"b", L"c", L"d"}},
        {"CR CR LF is two line ends", "x\r\r\ny", kAnsi, {L"x", L"", L"y"}},
        {"LF CR is two line ends", "x\n\ry", kAnsi, {L"x", L"", L"y"}},
        {"a final CR adds no empty line", "x\r", kAnsi, {L"x"}},
        {"only line ends", "\r\n\n\r", kAnsi, {L"", L"", L""}},
        {"empty file", "", kAnsi, {}},
        {"mark only, UTF-8", "\xEF\xBB\xBF", kUtf8, {}},
        {"mark only, FE FF", "\xFE\xFF", kBE, {}},
        {"mark only, FF FE", "\xFF\xFE", kLE, {}},
        {"FF FE 00 00 reads as UTF-16 LE", std::string("\xFF\xFE\0\0A\0\n\0", 8), kLE, {std::wstring(L"\0A", 2)}},
        {"UTF-16 LE odd last byte", std::string("\xFF\xFEo\0k\0!", 7), kLE, {L"ok"}},
        {"UTF-8 stray continuation byte stands for itself", "\xEF\xBB\xBF" "a\x80z", kUtf8, {L"a\u0080z"}},
        {"UTF-8 illegal lead byte ends reading", "\xEF\xBB\xBF" "ok\nab\xF8" "cd\nmore\n", kUtf8, {L"ok", L"ab"}, kBad},
        {"UTF-8 file ending inside a character", "\xEF\xBB\xBF" "ab\xE2\x82", kUtf8, {L"ab"}, kBad},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = ReadBack(folder, c.bytes);
        EXPECT_EQ(result.encoding, c.encoding);
        EXPECT_EQ(result.lines, c.lines);
        EXPECT_EQ(result.finalError, c.finalError);
    }
}

TEST(ZTextFileRead, AnsiBytesComeFromTheSystemCodePage)
{
    if (::GetACP() != 1252)
        GTEST_SKIP() << "the expected text is written for the Western code page, 1252";
    ScratchFolder folder;
    // EF BB is only the start of the UTF-8 mark: two characters of the text.
    const ReadResult result = ReadBack(folder, "\xEF\xBB" "caf\xE9 \x80\n");
    EXPECT_EQ(result.encoding, kAnsi);
    EXPECT_EQ(result.lines, Lines{L"\u00ef\u00bbcaf\u00e9 \u20ac"});
}

// CR as the last byte of the first fill: the LF first in the next one belongs
// to it, any other character starts the next line.
TEST(ZTextFileRead, CarriageReturnEndingTheFirstFill)
{
    ScratchFolder folder;
    for (Form form : kForms) {
        for (const wchar_t* end : {L"\r\n", L"\r"}) {
            SCOPED_TRACE(testing::Message() << kFormNames[int(form)] << (end[1] ? " CR LF" : " CR"));
            const size_t unit = form >= Form::Utf16LE ? 2 : 1;
            const size_t mark = form == Form::Ansi ? 0 : form == Form::Utf8 ? 3 : 2;
            const std::wstring first((kFill - mark) / unit - 1, L'a');
            const std::string bytes = Encode(form, first + end + L"z");
            ASSERT_EQ(bytes[form == Form::Utf16LE ? kFill - 2 : kFill - 1], '\r');
            EXPECT_EQ(ReadBack(folder, bytes).lines, (Lines{first, L"z"}));
        }
    }
}

TEST(ZTextFileRead, Utf8SequencesSplitAcrossFills)
{
    ScratchFolder folder;
    for (const std::wstring character : {L"\u00e9", L"\u20ac", L"\U0001F600"}) {
        const size_t size = TestSupport::Utf8Of(character).size();
        for (size_t inFirstFill = 1; inFirstFill < size; ++inFirstFill) {
            SCOPED_TRACE(testing::Message() << size << "-byte sequence, " << inFirstFill << " in the first fill");
            const std::wstring line = std::wstring(kFill - 3 - inFirstFill, L'f') + character + L"tail";
            const std::string bytes = Encode(Form::Utf8, line + L"\nsecond");
            ASSERT_EQ(static_cast<unsigned char>(bytes[kFill - inFirstFill]) & 0xC0, 0xC0u) << "lead byte position";
            const ReadResult result = ReadBack(folder, bytes);
            EXPECT_EQ(result.lines, (Lines{line, L"second"}));
            EXPECT_EQ(result.finalError, kEnd);
        }
    }
}

// Seeded random lines and line ends, in every encoding; some lines span several fills.
TEST(ZTextFileRead, RandomTextRoundTripsInEveryEncoding)
{
    ScratchFolder folder;
    std::mt19937 random(20261206);
    const std::wstring alphabet = L"abcXYZ 019=[]\t\u00e9\u00df\u20ac\u4e2d\U0001F600";
    const wchar_t* const ends[] = {L"\n", L"\r", L"\r\n"};
    for (Form form : kForms) {
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE(testing::Message() << kFormNames[int(form)] << " round " << round);
            Lines lines;
            std::wstring text;
            std::wstring previousEnd;
            const int count = 1 + static_cast<int>(random() % 60);
            for (int i = 0; i < count; ++i) {
                std::wstring line;
                const size_t length = random() % 4 == 0 ? random() % 9000 : random() % 40;
                while (line.size() < length) {
                    const size_t pick = random() % (alphabet.size() - 1);
                    if (form == Form::Ansi)
                        line += static_cast<wchar_t>(L' ' + random() % 90);
                    else
                        line += alphabet.substr(pick, alphabet[pick] >= 0xD800 && alphabet[pick] <= 0xDBFF ? 2 : 1);
                }
                lines.push_back(line);
                text += line;
                // An empty last line exists only with its line end; a CR
                // followed by an empty line's LF would read as one CR LF.
                if (i + 1 < count || line.empty() || random() % 2) {
                    std::wstring end = ends[random() % 3];
                    if (line.empty() && previousEnd == L"\r" && end == L"\n")
                        end = L"\r";
                    text += end;
                    previousEnd = end;
                }
            }
            // Region locking changes nothing for a lone reader (and ReadBack sees every region let go).
            const ReadResult result = ReadBack(folder, Encode(form, text), round % 2 == 1);
            EXPECT_EQ(result.lines, lines);
            EXPECT_EQ(result.finalError, kEnd);
        }
    }
}

// Seeking starts reading afresh with the encoding found on opening; a file never
// opened, or an encoding without a decoder, ends reading at once.
TEST(ZTextFileRead, SeekUnopenedFilesAndEncodingsWithoutADecoder)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"s.txt"), Encode(Form::Utf16BE, L"one\ntwo\nthree")));
    ZTextFile file;
    ZUnicodeString line;
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(file.Open(folder.File(L"s.txt").c_str(), GENERIC_READ, OPEN_EXISTING));
    ASSERT_TRUE(file.ReadLine(line) && file.ReadLine(line));
    EXPECT_EQ(line, L"two");
    ASSERT_TRUE(file.Seek(2 + 4 * 2, FILE_BEGIN));  // mark, "one\n"
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"two");
    EXPECT_EQ(file.GetEncoding(), kBE);
    for (auto encoding : {ZTextFile::EncodingUtf32LE, kNone}) {
        file.SetEncoding(encoding);
        line = L"stale";
        EXPECT_FALSE(file.ReadLine(line)) << encoding;
        EXPECT_EQ(::GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
        EXPECT_TRUE(line.empty());
    }
    file.SetEncoding(kBE);
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"three");
    EXPECT_FALSE(file.ReadLine(line));
}

TEST(ZTextFileCreate, TheDispositionChoosesBetweenReadingAndWritingTheMark)
{
    const char* const kKept = "\xEF\xBB\xBF" "kept\n";
    constexpr DWORD kBoth = GENERIC_READ | GENERIC_WRITE;
    struct Case {
        const char* name;
        const char* existing;  // the file's bytes before; null: no file
        ZTextFile::Encoding chosen;
        DWORD access, disposition, error;
        ZTextFile::Encoding encoding;  // after a successful open
        std::string bytes;             // the file's bytes after
    };
    const Case cases[] = {
        {"no encoding chosen", nullptr, kNone, kBoth, CREATE_ALWAYS, 0, kLE, "\xFF\xFE"},
        {"UTF-8", nullptr, kUtf8, kBoth, CREATE_NEW, 0, kUtf8, "\xEF\xBB\xBF"},
        {"UTF-16 BE", nullptr, kBE, kBoth, CREATE_ALWAYS, 0, kBE, "\xFE\xFF"},
        {"UTF-32 LE", nullptr, ZTextFile::EncodingUtf32LE, kBoth, CREATE_NEW, 0, ZTextFile::EncodingUtf32LE,
         std::string("\xFF\xFE\0\0", 4)},
        {"ANSI has no mark", nullptr, kAnsi, kBoth, CREATE_ALWAYS, 0, kAnsi, ""},
        {"OPEN_ALWAYS of a new file", nullptr, kNone, kBoth, OPEN_ALWAYS, 0, kLE, "\xFF\xFE"},
        {"OPEN_ALWAYS of a file is reading it", kKept, kBE, kBoth, OPEN_ALWAYS, ERROR_ALREADY_EXISTS, kUtf8, kKept},
        {"CREATE_NEW of a file fails", kKept, kBE, kBoth, CREATE_NEW, ERROR_FILE_EXISTS, kBE, kKept},
        {"TRUNCATE_EXISTING", kKept, kNone, kBoth, TRUNCATE_EXISTING, 0, kLE, "\xFF\xFE"},
        {"a mark that cannot be written", nullptr, kLE, GENERIC_READ, CREATE_ALWAYS, ERROR_ACCESS_DENIED, kLE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::wstring path = folder.File(L"new.txt");
        ASSERT_TRUE(!c.existing || ScratchFolder::WriteBytes(path, c.existing));
        {
            ZTextFile file;
            file.SetEncoding(c.chosen);
            EXPECT_EQ(file.Open(path.c_str(), c.access, c.disposition), !c.error || c.error == ERROR_ALREADY_EXISTS);
            EXPECT_EQ(::GetLastError(), c.error);
            EXPECT_EQ(file.GetEncoding(), c.encoding);
        }
        EXPECT_EQ(ScratchFolder::ReadBytes(path), c.bytes);
    }
}

// Truncating writes the mark of the file's encoding again, and reading goes on
// after it (lines written there are read back).
TEST(ZTextFileCreate, TruncateRewritesTheMarkOfTheFilesEncoding)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"trunc.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, Encode(Form::Utf16BE, L"first\nsecond\n")));
    ZTextFile file;
    file.SetShareMode(FILE_SHARE_READ);
    file.SetLockRegions(true);
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    ZUnicodeString line;
    ASSERT_TRUE(file.ReadLine(line));
    ASSERT_TRUE(file.Truncate());
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(::GetLastError(), kEnd);
    EXPECT_EQ(ScratchFolder::ReadBytes(path), "\xFE\xFF");
    const std::string body = TestSupport::Utf16BytesOf(L"alpha\r\nbeta", true);
    DWORD written = 0;
    ASSERT_TRUE(file.Write(body.data(), static_cast<DWORD>(body.size()), 2, written));
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"alpha");
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"beta");
    EXPECT_FALSE(file.ReadLine(line));
}

}  // namespace
