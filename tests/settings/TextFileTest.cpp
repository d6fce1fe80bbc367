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

struct ReadResult {
    std::vector<std::wstring> lines;
    DWORD finalError = 0;
    bool opened = false;
};

ReadResult ReadAllLines(const std::wstring& path, bool lockRegions = false)
{
    ReadResult result;
    ZTextFile file;
    file.SetLockRegions(lockRegions);
    result.opened = file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING);
    if (!result.opened) {
        ADD_FAILURE() << "cannot open the file to read: " << ::GetLastError();
        return result;
    }
    ZUnicodeString line;
    for (int guard = 0; guard < 100000; ++guard) {
        if (!file.ReadLine(line)) {
            result.finalError = ::GetLastError();
            EXPECT_TRUE(line.empty()) << "text returned with false";
            // Once ended, reading stays ended.
            EXPECT_FALSE(file.ReadLine(line));
            EXPECT_EQ(::GetLastError(), result.finalError);
            return result;
        }
        result.lines.emplace_back(line.c_str(), line.length());
    }
    ADD_FAILURE() << "ReadLine never returned false";
    return result;
}

// Puts bytes into a file of folder and reads them back line by line.
ReadResult ReadBack(const ScratchFolder& folder, const std::string& bytes, bool lockRegions = false)
{
    const std::wstring path = folder.File(L"read.txt");
    if (!ScratchFolder::WriteBytes(path, bytes)) {
        ADD_FAILURE() << "cannot write the file to read";
        return {};
    }
    return ReadAllLines(path, lockRegions);
}

using TestSupport::Utf8Of;

enum class Form { Ansi, Utf8, Utf16LE, Utf16BE };

// The file's bytes for text in the given form, with its mark.
std::string Encode(Form form, const std::wstring& text)
{
    switch (form) {
    case Form::Ansi: {
        std::string bytes;
        for (wchar_t c : text)
            bytes += static_cast<char>(c);  // callers keep to ASCII
        return bytes;
    }
    case Form::Utf8:
        return "\xEF\xBB\xBF" + Utf8Of(text);
    case Form::Utf16LE:
        return "\xFF\xFE" + TestSupport::Utf16BytesOf(text, false);
    case Form::Utf16BE:
        return "\xFE\xFF" + TestSupport::Utf16BytesOf(text, true);
    }
    return {};
}

const char* NameOf(Form form)
{
    switch (form) {
    case Form::Ansi: return "ANSI";
    case Form::Utf8: return "UTF-8";
    case Form::Utf16LE: return "UTF-16LE";
    case Form::Utf16BE: return "UTF-16BE";
    }
    return "?";
}

using Lines = std::vector<std::wstring>;

struct LineCase {
    const char* name;
    std::string bytes;
    Lines lines;
    DWORD finalError;
};

// Plain UTF-16 and multi-byte UTF-8 text is left to the random round trip below.
TEST(ZTextFileRead, MarksEncodingsAndLineEnds)
{
    const LineCase cases[] = {
        {"UTF-8 with mark, no final line end", "\xEF\xBB\xBF" "a\n\nb", {L"a", L"", L"b"}, ERROR_HANDLE_EOF},
        {"no mark reads as ANSI", "plain\r\ntext", {L"plain", L"text"}, ERROR_HANDLE_EOF},
        {"CR, LF and CR LF each end one line", "a\rb\nc\r\nd\n", {L"a", L"b", L"c", L"d"}, ERROR_HANDLE_EOF},
        {"CR CR LF is two line ends", "x\r\r\ny", {L"x", L"", L"y"}, ERROR_HANDLE_EOF},
        {"LF CR is two line ends", "x\n\ry", {L"x", L"", L"y"}, ERROR_HANDLE_EOF},
        {"a final CR adds no empty line", "x\r", {L"x"}, ERROR_HANDLE_EOF},
        {"only line ends", "\r\n\n\r", {L"", L"", L""}, ERROR_HANDLE_EOF},
        {"empty file", "", {}, ERROR_HANDLE_EOF},
        {"mark only, UTF-8", "\xEF\xBB\xBF", {}, ERROR_HANDLE_EOF},
        {"mark only, FE FF", "\xFE\xFF", {}, ERROR_HANDLE_EOF},
        {"mark only, FF FE", "\xFF\xFE", {}, ERROR_HANDLE_EOF},
        {"FF FE 00 00 reads as UTF-16 LE", std::string("\xFF\xFE\0\0A\0\n\0", 8), {std::wstring(L"\0A", 2)},
         ERROR_HANDLE_EOF},
        {"UTF-16 LE odd last byte", std::string("\xFF\xFEo\0k\0!", 7), {L"ok"}, ERROR_HANDLE_EOF},
        {"UTF-8 stray continuation byte stands for itself", "\xEF\xBB\xBF" "a\x80z", {L"a\u0080z"},
         ERROR_HANDLE_EOF},
        {"UTF-8 illegal lead byte ends reading", "\xEF\xBB\xBF" "ok\nab\xF8" "cd\nmore\n", {L"ok", L"ab"},
         ERROR_NO_UNICODE_TRANSLATION},
        {"UTF-8 bad follower ends reading", "\xEF\xBB\xBF" "one\n\xC3(two\n", {L"one"},
         ERROR_NO_UNICODE_TRANSLATION},
        {"UTF-8 value above U+10FFFF", "\xEF\xBB\xBF" "a\n\xF4\x90\x80\x80\n", {L"a"}, ERROR_NO_UNICODE_TRANSLATION},
        {"UTF-8 file ending inside a character", "\xEF\xBB\xBF" "ab\xE2\x82", {L"ab"},
         ERROR_NO_UNICODE_TRANSLATION},
    };
    ScratchFolder folder;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = ReadBack(folder, c.bytes);
        ASSERT_TRUE(result.opened);
        EXPECT_EQ(result.lines, c.lines);
        EXPECT_EQ(result.finalError, c.finalError);
    }
}

TEST(ZTextFileRead, AnsiBytesComeFromTheSystemCodePage)
{
    if (::GetACP() != 1252)
        GTEST_SKIP() << "the expected text is written for the Western code page, 1252";
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"ansi.txt"), "caf\xE9 \x80\n"));
    const ReadResult result = ReadAllLines(folder.File(L"ansi.txt"));
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0], L"caf\u00e9 \u20ac");
    ZTextFile file;
    ASSERT_TRUE(file.Open(folder.File(L"ansi.txt").c_str(), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(file.GetEncoding(), ZTextFile::EncodingAnsi);
}

TEST(ZTextFileRead, RecognisesEachMark)
{
    struct MarkCase {
        std::string bytes;
        ZTextFile::Encoding encoding;
    };
    const MarkCase cases[] = {
        {"\xEF\xBB\xBFx", ZTextFile::EncodingUtf8},
        {"\xFF\xFEx\0", ZTextFile::EncodingUtf16LE},
        {std::string("\xFF\xFE\0\0", 4), ZTextFile::EncodingUtf16LE},
        {"\xFE\xFF\0x", ZTextFile::EncodingUtf16BE},
        {"\xEF\xBBx", ZTextFile::EncodingAnsi},
        {"", ZTextFile::EncodingAnsi},
    };
    ScratchFolder folder;
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"m.txt"), c.bytes));
        ZTextFile file;
        ASSERT_TRUE(file.Open(folder.File(L"m.txt").c_str(), GENERIC_READ, OPEN_EXISTING));
        EXPECT_EQ(::GetLastError(), DWORD(ERROR_SUCCESS)) << "the open's own error code is kept";
        EXPECT_EQ(file.GetEncoding(), c.encoding);
    }
}

// A line end split over the first two fills: CR as the last byte of the
// first, LF as the first byte of the next.
TEST(ZTextFileRead, CarriageReturnAndLineFeedInDifferentFills)
{
    ScratchFolder folder;
    for (Form form : {Form::Ansi, Form::Utf8, Form::Utf16LE, Form::Utf16BE}) {
        SCOPED_TRACE(NameOf(form));
        const size_t unit = (form == Form::Utf16LE || form == Form::Utf16BE) ? 2 : 1;
        const size_t mark = form == Form::Ansi ? 0 : form == Form::Utf8 ? 3 : 2;
        // Characters before the CR so that the CR's last byte is the fill's last byte.
        const size_t before = (kFill - mark) / unit - 1;
        const std::wstring first = std::wstring(before - 1, L'a') + L"x";
        const std::string bytes = Encode(form, first + L"\r\nz");
        ASSERT_EQ(bytes.size(), mark + (before + 3) * unit);
        ASSERT_EQ(bytes[kFill - 1], unit == 2 && form == Form::Utf16LE ? '\0' : '\r');
        const ReadResult result = ReadBack(folder, bytes);
        EXPECT_EQ(result.lines, (Lines{first, L"z"}));
        EXPECT_EQ(result.finalError, DWORD(ERROR_HANDLE_EOF));
    }
}

TEST(ZTextFileRead, CarriageReturnEndingTheFirstFillBeforeAnotherLine)
{
    // The CR that ends a fill must not swallow a following non-LF character.
    ScratchFolder folder;
    const std::wstring first(kFill - 1, L'q');
    const ReadResult result = ReadBack(folder, Encode(Form::Ansi, first + L"\rnext\r"));
    EXPECT_EQ(result.lines, (Lines{first, L"next"}));
}

TEST(ZTextFileRead, Utf8SequencesSplitAcrossFills)
{
    ScratchFolder folder;
    const std::wstring characters[] = {L"\u00e9", L"\u20ac", L"\U0001F600"};
    for (const std::wstring& character : characters) {
        const size_t size = Utf8Of(character).size();
        for (size_t inFirstFill = 1; inFirstFill < size; ++inFirstFill) {
            SCOPED_TRACE(testing::Message() << size << "-byte sequence, " << inFirstFill << " in the first fill");
            const size_t filler = kFill - 3 - inFirstFill;
            const std::wstring line = std::wstring(filler, L'f') + character + L"tail";
            const std::string bytes = Encode(Form::Utf8, line + L"\nsecond");
            ASSERT_EQ(static_cast<unsigned char>(bytes[kFill - inFirstFill]) & 0xC0, 0xC0u) << "lead byte position";
            const ReadResult result = ReadBack(folder, bytes);
            EXPECT_EQ(result.lines, (Lines{line, L"second"}));
            EXPECT_EQ(result.finalError, DWORD(ERROR_HANDLE_EOF));
        }
    }
}

// Seeded random lines with random line ends, in every encoding, read back
// whole; lines are long enough to span several fills.
TEST(ZTextFileRead, RandomTextRoundTripsInEveryEncoding)
{
    ScratchFolder folder;
    std::mt19937 random(20261206);
    const std::wstring alphabet = L"abcXYZ 019=[]\t\u00e9\u00df\u20ac\u4e2d\U0001F600";
    for (Form form : {Form::Ansi, Form::Utf8, Form::Utf16LE, Form::Utf16BE}) {
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE(testing::Message() << NameOf(form) << " round " << round);
            Lines lines;
            std::wstring text;
            std::wstring previousEnd;
            const int count = 1 + static_cast<int>(random() % 60);
            for (int i = 0; i < count; ++i) {
                std::wstring line;
                const size_t length = random() % 4 == 0 ? random() % 9000 : random() % 40;
                while (line.size() < length) {
                    if (form == Form::Ansi) {
                        line += static_cast<wchar_t>(L' ' + random() % 90);
                        continue;
                    }
                    const size_t pick = random() % (alphabet.size() - 1);
                    const bool pair = alphabet[pick] >= 0xD800 && alphabet[pick] <= 0xDBFF;
                    line += alphabet.substr(pick, pair ? 2 : 1);
                }
                lines.push_back(line);
                text += line;
                static const wchar_t* ends[] = {L"\n", L"\r", L"\r\n"};
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
            // Region locking changes nothing for a reader working alone.
            const ReadResult result = ReadBack(folder, Encode(form, text), round % 2 == 1);
            EXPECT_EQ(result.lines, lines);
            EXPECT_EQ(result.finalError, DWORD(ERROR_HANDLE_EOF));
        }
    }
}

TEST(ZTextFileRead, LockedReadingReleasesEachRegion)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"locked.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, Encode(Form::Utf8, std::wstring(6000, L'l') + L"\nend\n")));
    ZTextFile file;
    file.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    file.SetLockRegions(true);
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING));
    ZUnicodeString line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line.length(), 6000u);

    HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED at = {};
    EXPECT_TRUE(::LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 20000, 0, &at))
        << "a region stayed locked: " << ::GetLastError();
    ::UnlockFileEx(other, 0, 20000, 0, &at);
    ::CloseHandle(other);
}

TEST(ZTextFileRead, UnsupportedEncodingsEndAtOnce)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"t.txt"), "text\n"));
    ZTextFile file;
    ZUnicodeString line;
    EXPECT_FALSE(file.ReadLine(line)) << "never opened";
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_HANDLE));

    ASSERT_TRUE(file.Open(folder.File(L"t.txt").c_str(), GENERIC_READ, OPEN_EXISTING));
    file.SetEncoding(ZTextFile::EncodingUtf32LE);
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_NOT_SUPPORTED));

    file.SetEncoding(ZTextFile::EncodingUnknown);
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(line.empty());
}

TEST(ZTextFileRead, SeekStartsReadingAfreshKeepingTheEncoding)
{
    ScratchFolder folder;
    const std::string bytes = Encode(Form::Utf16BE, L"one\ntwo\nthree");
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"s.txt"), bytes));
    ZTextFile file;
    ASSERT_TRUE(file.Open(folder.File(L"s.txt").c_str(), GENERIC_READ, OPEN_EXISTING));
    ZUnicodeString line;
    ASSERT_TRUE(file.ReadLine(line));
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"two");
    ASSERT_TRUE(file.Seek(2 + 4 * 2, FILE_BEGIN));  // mark, "one\n"
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"two");
    EXPECT_EQ(file.GetEncoding(), ZTextFile::EncodingUtf16BE);
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"three");
    EXPECT_FALSE(file.ReadLine(line));
}

struct CreateCase {
    const char* name;
    ZTextFile::Encoding chosen;
    DWORD disposition;
    std::string expected;
};

TEST(ZTextFileCreate, WritesTheMarkOfTheEncoding)
{
    const CreateCase cases[] = {
        {"no encoding chosen", ZTextFile::EncodingUnknown, CREATE_ALWAYS, "\xFF\xFE"},
        {"UTF-8", ZTextFile::EncodingUtf8, CREATE_NEW, "\xEF\xBB\xBF"},
        {"UTF-16 BE", ZTextFile::EncodingUtf16BE, CREATE_ALWAYS, "\xFE\xFF"},
        {"UTF-32 LE", ZTextFile::EncodingUtf32LE, CREATE_NEW, std::string("\xFF\xFE\0\0", 4)},
        {"ANSI has no mark", ZTextFile::EncodingAnsi, CREATE_ALWAYS, ""},
        {"OPEN_ALWAYS of a new file", ZTextFile::EncodingUnknown, OPEN_ALWAYS, "\xFF\xFE"},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::wstring path = folder.File(L"new.txt");
        {
            ZTextFile file;
            file.SetEncoding(c.chosen);
            ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, c.disposition));
            EXPECT_EQ(::GetLastError(), DWORD(ERROR_SUCCESS));
            EXPECT_EQ(file.GetEncoding(), c.chosen == ZTextFile::EncodingUnknown ? ZTextFile::EncodingUtf16LE
                                                                                 : c.chosen);
        }
        EXPECT_EQ(ScratchFolder::ReadBytes(path), c.expected);
    }
}

TEST(ZTextFileCreate, ExistingFilesAreReadOrReplacedByDisposition)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"old.txt");
    const std::string content = "\xEF\xBB\xBF" "kept\n";
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, content));
    {
        ZTextFile file;
        ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
        EXPECT_EQ(::GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
        ZUnicodeString line;
        ASSERT_TRUE(file.ReadLine(line));
        EXPECT_EQ(line, L"kept");
    }
    EXPECT_EQ(ScratchFolder::ReadBytes(path), content);
    {
        ZTextFile file;
        EXPECT_FALSE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
        EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_EXISTS));
    }
    EXPECT_EQ(ScratchFolder::ReadBytes(path), content);
    {
        ZTextFile file;
        ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, TRUNCATE_EXISTING));
    }
    EXPECT_EQ(ScratchFolder::ReadBytes(path), "\xFF\xFE");
    {
        ZTextFile file;
        EXPECT_FALSE(file.Open(path.c_str(), GENERIC_READ, CREATE_ALWAYS)) << "the mark cannot be written";
    }
}

TEST(ZTextFileCreate, TruncateRewritesTheMarkOfTheFilesEncoding)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"trunc.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, Encode(Form::Utf16BE, L"first\nsecond\n")));
    ZTextFile file;
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));
    ZUnicodeString line;
    ASSERT_TRUE(file.ReadLine(line));
    ASSERT_TRUE(file.Truncate());
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_HANDLE_EOF));
    file.Close();
    EXPECT_EQ(ScratchFolder::ReadBytes(path), "\xFE\xFF");
}

TEST(ZTextFileCreate, LinesWrittenAfterTheMarkReadBack)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"rw.txt");
    ZTextFile file;
    file.SetLockRegions(true);
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    const std::string body = TestSupport::Utf16BytesOf(L"alpha\r\nbeta", false);
    DWORD written = 0;
    ASSERT_TRUE(file.Write(body.data(), static_cast<DWORD>(body.size()), 2, written));
    ZUnicodeString line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"alpha");
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, L"beta");
    EXPECT_FALSE(file.ReadLine(line));
}

}  // namespace
