// CFile and CStdioFile over real files.
#include <gtest/gtest.h>

#include <afx.h>

#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

namespace {

class Files : public ::testing::Test {
protected:
    std::string ReadBytes() const { return ScratchFolder::ReadBytes(m_path); }

    ScratchFolder m_scratch;
    const std::wstring m_path = m_scratch.File(L"file.txt");
};

TEST_F(Files, TextModeWritesLinesWithCarriageReturns)
{
    CStdioFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    file.WriteString(L"Columns=00000050\n");
    file.WriteString(L"Title=a=b\n");
    file.Close();
    EXPECT_EQ(ReadBytes(), "Columns=00000050\r\nTitle=a=b\r\n");
}

TEST_F(Files, BinaryModeWritesTheUnitsAsTheyAre)
{
    CStdioFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    file.WriteString(L"A\n\u00e9");
    file.Close();
    EXPECT_EQ(ReadBytes(), std::string("A\0\n\0\xe9\0", 6));
}

TEST_F(Files, CreateWithoutTruncateAppends)
{
    for (const wchar_t* line : {L"one\n", L"two\n"}) {
        CStdioFile file;
        ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
        file.WriteString(line);
    }
    EXPECT_EQ(ReadBytes(), "one\r\ntwo\r\n");
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

    bool thrown = false;
    try {
        CFile opened(m_path.c_str(), CFile::modeRead);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::fileNotFound;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST_F(Files, PlainFilesReadWriteAndSeek)
{
    CFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    const char data[] = "0123456789";
    file.Write(data, 10);
    EXPECT_EQ(file.GetLength(), 10u);
    EXPECT_EQ(file.GetPosition(), 10u);
    EXPECT_EQ(file.Seek(-4, CFile::end), 6u);
    char back[8] = {};
    EXPECT_EQ(file.Read(back, 8), 4u);
    EXPECT_STREQ(back, "6789");
    file.SeekToBegin();
    EXPECT_EQ(file.Read(back, 3), 3u);
    EXPECT_EQ(std::string(back, 3), "012");
    file.SetLength(5);
    EXPECT_EQ(file.GetLength(), 5u);
    file.Close();
    EXPECT_EQ(ReadBytes(), "01234");
}

TEST_F(Files, WritingToAReadOnlyStreamThrows)
{
    {
        CStdioFile create;
        ASSERT_TRUE(create.Open(m_path.c_str(), CFile::modeCreate | CFile::modeWrite));
    }
    CStdioFile file;
    ASSERT_TRUE(file.Open(m_path.c_str(), CFile::modeRead));
    bool thrown = false;
    try {
        file.WriteString(L"x");
        file.Flush();
    } catch (CFileException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

}  // namespace
