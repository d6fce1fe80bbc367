// CFile and CStdioFile over real files.
#include <gtest/gtest.h>

#include <afx.h>

#include <string>
#include <vector>

#include "tests/platform/ThrownCause.h"
#include "tests/support/ScratchFolder.h"

namespace {

class Files : public ::testing::Test {
protected:
    ScratchFolder m_scratch;
    const std::wstring m_path = m_scratch.File(L"file.txt");
};

// Each text is written by a file opened afresh with the row's flags.
TEST_F(Files, StdioWritesTheirModesBytes)
{
    const UINT write = CFile::modeCreate | CFile::modeWrite;
    struct Case {
        const char* name;
        UINT flags;
        std::vector<const wchar_t*> texts;
        std::string bytes;
    } cases[] = {
        {"text mode adds carriage returns", write | CFile::typeText, {L"Columns=50\nTitle=a=b\n"},
         "Columns=50\r\nTitle=a=b\r\n"},
        {"binary mode writes the units", write | CFile::typeBinary, {L"A\n\u00e9"}, std::string("A\0\n\0\xe9\0", 6)},
        {"creating truncates", write, {L"a longer first\n", L"two\n"}, "two\r\n"},
        {"creating without truncating appends", write | CFile::modeNoTruncate, {L"one\n", L"two\n"},
         "one\r\ntwo\r\n"},
    };
    for (const Case& c : cases) {
        ::DeleteFileW(m_path.c_str());
        for (const wchar_t* text : c.texts) {
            CStdioFile file;
            ASSERT_TRUE(file.Open(m_path.c_str(), c.flags)) << c.name;
            file.WriteString(text);
        }
        EXPECT_EQ(ScratchFolder::ReadBytes(m_path), c.bytes) << c.name;
    }
}

TEST_F(Files, MissingFilesFailToOpenWithTheCause)
{
    CFileException error;
    CStdioFile file;
    EXPECT_FALSE(file.Open(m_path.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(file.m_pStream, nullptr);
    CFile plain;
    EXPECT_FALSE(plain.Open(L"Z:\\no\\such\\folder\\x.txt", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_EQ(ThrownCause<CFileException>([&] { CFile opened(m_path.c_str(), CFile::modeRead); }),
              CFileException::fileNotFound);
}

// Reads, writes and lengths are the platform's; seeking from the end and truncating are ours.
TEST_F(Files, PlainFilesSeekAndTruncate)
{
    CFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    file.Write("0123456789", 10);
    EXPECT_EQ(file.Seek(-4, CFile::end), 6u);
    char back[8] = {};
    EXPECT_EQ(file.Read(back, 8), 4u);
    EXPECT_STREQ(back, "6789");
    file.SetLength(5);
    file.Close();
    EXPECT_EQ(ScratchFolder::ReadBytes(m_path), "01234");
}

TEST_F(Files, WritingToAReadOnlyStreamThrows)
{
    ASSERT_TRUE(ScratchFolder::WriteBytes(m_path, ""));
    CStdioFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeRead));
    EXPECT_NE(ThrownCause<CFileException>([&] {
        file.WriteString(L"x");
        file.Flush();
    }), -1);
}

}  // namespace
