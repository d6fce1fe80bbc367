// ZFile: the long-path retry, positional reads and writes, truncation, region
// locks, the read-only mapping and unique temporary files.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <string>
#include <vector>

#include "settings/ZFile.h"
#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::wstring DescriptorText(const SECURITY_ATTRIBUTES* security)
{
    if (!security || !security->lpSecurityDescriptor)
        return L"";
    LPWSTR text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(security->lpSecurityDescriptor, SDDL_REVISION_1,
                                                               DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"<unreadable>";
    std::wstring result = text;
    ::LocalFree(text);
    return result;
}

// Fails the first opens with scripted errors, then opens for real, recording
// every path it was asked for.
class ScriptedOpenFile : public ZFile {
public:
    explicit ScriptedOpenFile(std::vector<DWORD> failures) : m_failures(std::move(failures)) {}

    std::vector<std::wstring> paths;
    std::vector<std::wstring> descriptors;  // the descriptor of each open, as text; empty for none

protected:
    HANDLE OpenHandle(const wchar_t* path, DWORD access, DWORD disposition, SECURITY_ATTRIBUTES* security) override
    {
        paths.push_back(path);
        descriptors.push_back(DescriptorText(security));
        if (paths.size() <= m_failures.size()) {
            ::SetLastError(m_failures[paths.size() - 1]);
            return INVALID_HANDLE_VALUE;
        }
        return ZFile::OpenHandle(path, access, disposition, security);
    }

private:
    std::vector<DWORD> m_failures;
};

struct RetryCase {
    const wchar_t* path;
    DWORD firstError;
    const wchar_t* retriedAs;  // null: no second attempt
};

TEST(ZFileOpen, RetriesLongPathsOnlyInTheirPrefixedForm)
{
    const RetryCase cases[] = {
        {L"C:\\data\\file.txt", ERROR_FILENAME_EXCED_RANGE, L"\\\\?\\C:\\data\\file.txt"},
        {L"d:\\x", ERROR_PATH_NOT_FOUND, L"\\\\?\\d:\\x"},
        {L"\\\\server\\share\\file.txt", ERROR_FILENAME_EXCED_RANGE, L"\\\\?\\UNC\\server\\share\\file.txt"},
        {L"\\\\?\\C:\\data\\file.txt", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"C:\\", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"data\\file.txt", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"C:data\\file.txt", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"C:\\data\\file.txt", ERROR_ACCESS_DENIED, nullptr},
        {L"C:\\data\\file.txt", ERROR_FILE_NOT_FOUND, nullptr},
    };
    for (const RetryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << testing::PrintToString(std::wstring(c.path)) << " error "
                                        << c.firstError);
        ScriptedOpenFile file({c.firstError, ERROR_FILENAME_EXCED_RANGE});
        EXPECT_FALSE(file.Open(c.path, GENERIC_READ, OPEN_EXISTING));
        std::vector<std::wstring> expected = {c.path};
        if (c.retriedAs)
            expected.push_back(c.retriedAs);
        EXPECT_EQ(file.paths, expected);
        EXPECT_EQ(::GetLastError(), c.retriedAs ? DWORD(ERROR_FILENAME_EXCED_RANGE) : c.firstError);
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST(ZFileOpen, PrefixedRetryOpensTheFileAndKeepsTheCallersPath)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"long.txt");
    ASSERT_EQ(path[1], L':') << "the temporary folder is expected on a drive";
    ScriptedOpenFile file({ERROR_FILENAME_EXCED_RANGE});
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    ASSERT_EQ(file.paths.size(), 2u);
    EXPECT_EQ(file.paths[1], L"\\\\?\\" + path);
    EXPECT_EQ(std::wstring(file.GetPath().c_str()), path);
    DWORD written = 0;
    ASSERT_TRUE(file.Write("abc", 3, 0, written));
    file.Close();
    EXPECT_EQ(ScratchFolder::ReadBytes(path), "abc");
}

TEST(ZFileOpen, ReportsThePlatformErrorAndTheOpenAlwaysOutcome)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"a.bin");
    ZFile file;
    EXPECT_FALSE(file.Open(path.c_str(), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(file.Open(folder.File(L"no\\such\\a.bin").c_str(), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_SUCCESS));
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_EXISTS));
}

TEST(ZFileOpen, NarrowPathOpensTheSameFile)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"narrow.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, "xyz"));
    ZFile file;
    ASSERT_TRUE(file.Open(ZString(ZUnicodeString(path.c_str())), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(file.GetSize(), 3);
}

TEST(ZFileOpen, UsesTheSecurityDescriptorGiven)
{
    ScratchFolder folder;
    ScriptedOpenFile file({});
    SECURITY_DESCRIPTOR bogus = {};
    bogus.Revision = 99;  // not a descriptor the platform accepts
    EXPECT_FALSE(file.SetSecurityDescriptor(&bogus));

    const wchar_t kGiven[] = L"D:P(A;;FA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(kGiven, SDDL_REVISION_1, &descriptor,
                                                                       nullptr));
    ASSERT_TRUE(file.SetSecurityDescriptor(descriptor));
    ::ZeroMemory(descriptor, ::LocalSize(descriptor));  // the file keeps its own copy
    ::LocalFree(descriptor);
    const std::wstring path = folder.File(L"secured.bin");
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(file.descriptors, std::vector<std::wstring>{kGiven});
    DWORD written = 0;
    EXPECT_TRUE(file.Write("s", 1, 0, written));
    file.Close();
    EXPECT_EQ(ScratchFolder::ReadBytes(path), "s");

    // Without a descriptor the platform's default applies.
    ScriptedOpenFile plain({});
    ASSERT_TRUE(plain.Open(folder.File(L"plain.bin").c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(plain.descriptors, std::vector<std::wstring>{L""});
}

TEST(ZFileIo, ReadsAndWritesAtExplicitOffsets)
{
    ScratchFolder folder;
    ZFile file;
    ASSERT_TRUE(file.Open(folder.File(L"io.bin").c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    DWORD count = 0;
    ASSERT_TRUE(file.Write("hello", 5, 10, count));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(file.GetSize(), 15);

    char buffer[16] = {};
    ASSERT_TRUE(file.Read(buffer, 5, 10, count));
    EXPECT_EQ(std::string(buffer, count), "hello");
    ASSERT_TRUE(file.Read(buffer, 16, 12, count));
    EXPECT_EQ(std::string(buffer, count), "llo");

    // The end of the file is success with nothing read.
    ::SetLastError(0);
    EXPECT_TRUE(file.Read(buffer, 4, 15, count));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(file.Read(buffer, 4, 1000, count));
    EXPECT_EQ(count, 0u);
}

TEST(ZFileIo, WritesAtTheCurrentPositionAndSeeks)
{
    ScratchFolder folder;
    ZFile file;
    ASSERT_TRUE(file.Open(folder.File(L"seek.bin").c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    DWORD count = 0;
    ASSERT_TRUE(file.Write("0123456789", 10, count));
    EXPECT_EQ(file.GetPosition(), 10);
    ASSERT_TRUE(file.Seek(-4, FILE_END));
    EXPECT_EQ(file.GetPosition(), 6);
    ASSERT_TRUE(file.Write("AB", 2, count));
    ASSERT_TRUE(file.Seek(-8, FILE_CURRENT));
    EXPECT_EQ(file.GetPosition(), 0);
    EXPECT_FALSE(file.Seek(-1, FILE_BEGIN));
    file.Close();
    EXPECT_EQ(ScratchFolder::ReadBytes(folder.File(L"seek.bin")), "012345AB89");
}

TEST(ZFileIo, TruncateEmptiesTheFileAndKeepsThePosition)
{
    ScratchFolder folder;
    ZFile file;
    ASSERT_TRUE(file.Open(folder.File(L"t.bin").c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    DWORD count = 0;
    ASSERT_TRUE(file.Write(std::string(100, 'x').data(), 100, count));
    ASSERT_TRUE(file.Seek(40, FILE_BEGIN));
    ASSERT_TRUE(file.Truncate());
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_EQ(file.GetPosition(), 40);
}

TEST(ZFileIo, OperationsOnAClosedFileFail)
{
    ZFile file;
    char buffer[4];
    DWORD count = 0;
    EXPECT_FALSE(file.Read(buffer, 4, 0, count));
    EXPECT_FALSE(file.Write(buffer, 4, 0, count));
    EXPECT_FALSE(file.Truncate());
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(file.GetPosition(), -1);
}

TEST(ZFileLock, ExclusiveAndSharedRegions)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"lock.bin");
    ZFile owner;
    owner.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(owner.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    ZFile other;
    other.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(other.Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING));

    auto tryLock = [&](int64_t offset, bool exclusive) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
        if (!::LockFileEx(other.GetHandle(), flags, 0, 10, 0, &at))
            return ::GetLastError();
        ::UnlockFileEx(other.GetHandle(), 0, 10, 0, &at);
        return DWORD(ERROR_SUCCESS);
    };

    ASSERT_TRUE(owner.Lock(100, 10, true));
    EXPECT_EQ(tryLock(100, false), DWORD(ERROR_LOCK_VIOLATION));
    EXPECT_EQ(tryLock(200, true), DWORD(ERROR_SUCCESS));
    ASSERT_TRUE(owner.Unlock(100, 10));
    EXPECT_EQ(tryLock(100, true), DWORD(ERROR_SUCCESS));

    ASSERT_TRUE(owner.Lock(100, 10, false));
    EXPECT_EQ(tryLock(100, false), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(tryLock(100, true), DWORD(ERROR_LOCK_VIOLATION));
    EXPECT_TRUE(owner.Unlock(100, 10));
    EXPECT_FALSE(owner.Unlock(100, 10));
}

TEST(ZFileMap, MapsTheWholeFileReadOnly)
{
    ScratchFolder folder;
    std::string content(10000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"m.bin"), content));
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"empty.bin"), ""));

    ZFile file;
    ASSERT_TRUE(file.MapReadOnly(folder.File(L"m.bin").c_str()));
    ASSERT_NE(file.GetMappedView(), nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(file.GetMappedView()), content.size()), content);
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(::VirtualQuery(file.GetMappedView(), &info, sizeof(info)), 0u);
    EXPECT_EQ(info.Protect, DWORD(PAGE_READONLY));

    ASSERT_TRUE(file.MapReadOnly(folder.File(L"empty.bin").c_str()));
    EXPECT_EQ(file.GetMappedView(), nullptr);
    EXPECT_TRUE(file.IsOpen());

    EXPECT_FALSE(file.MapReadOnly(folder.File(L"missing.bin").c_str()));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(file.GetMappedView(), nullptr);
}

// Opens with the access given instead of the one asked for, so that the
// mapping fails on a file that did open.
class NarrowAccessFile : public ZFile {
public:
    explicit NarrowAccessFile(DWORD access) : m_access(access) {}

protected:
    HANDLE OpenHandle(const wchar_t* path, DWORD, DWORD disposition, SECURITY_ATTRIBUTES* security) override
    {
        return ZFile::OpenHandle(path, m_access, disposition, security);
    }

private:
    DWORD m_access;
};

TEST(ZFileMap, AFailedMappingClosesTheFile)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"m.bin"), "mapped"));
    NarrowAccessFile file(FILE_READ_ATTRIBUTES);  // enough for the size, not for a mapping
    EXPECT_FALSE(file.MapReadOnly(folder.File(L"m.bin").c_str()));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetMappedView(), nullptr);
}

TEST(ZFileMap, ClosingUnmapsTheView)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"m.bin"), "mapped"));
    const void* view = nullptr;
    {
        ZFile file;
        ASSERT_TRUE(file.MapReadOnly(folder.File(L"m.bin").c_str()));
        view = file.GetMappedView();
        ASSERT_NE(view, nullptr);
    }
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(::VirtualQuery(view, &info, sizeof(info)), 0u);
    EXPECT_EQ(info.State, DWORD(MEM_FREE));
    // The file is no longer held either.
    EXPECT_TRUE(::DeleteFileW(folder.File(L"m.bin").c_str()));
}

TEST(ZFileTemp, SkipsExistingNamesFromOneUpwards)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"x1.tmp"), "1"));
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"x2.tmp"), "2"));
    ZFile file;
    ZUnicodeString name;
    ASSERT_TRUE(file.CreateTempFile(folder.Path().c_str(), L"x", 0, name));
    EXPECT_EQ(std::wstring(name.c_str()), folder.File(L"x3.tmp"));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_TRUE(ScratchFolder::Exists(folder.File(L"x3.tmp")));
    EXPECT_EQ(ScratchFolder::ReadBytes(folder.File(L"x1.tmp")), "1");
}

TEST(ZFileTemp, NamesAndFailures)
{
    ScratchFolder folder;
    ZFile file;
    ZUnicodeString name;

    // An explicit number in upper-case hexadecimal, tried once.
    ASSERT_TRUE(file.CreateTempFile(folder.Path().c_str(), L"log", 0x1AB, name));
    EXPECT_EQ(std::wstring(name.c_str()), folder.File(L"log1AB.tmp"));
    EXPECT_FALSE(file.CreateTempFile(folder.Path().c_str(), L"log", 0x1AB, name));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(std::wstring(name.c_str()), folder.File(L"log1AB.tmp"));

    // A folder given with its trailing backslash gets no second one.
    ASSERT_TRUE(file.CreateTempFile((folder.Path() + L"\\").c_str(), L"p", 0, name));
    EXPECT_EQ(std::wstring(name.c_str()), folder.File(L"p1.tmp"));

    // A missing folder ends the search at once instead of counting on.
    EXPECT_FALSE(file.CreateTempFile(folder.File(L"missing").c_str(), L"x", 0, name));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(std::wstring(name.c_str()), folder.File(L"missing\\x1.tmp"));
}

TEST(ZFileTemp, DefaultsToTheSystemTemporaryFolder)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    ZUnicodeString name;
    {
        ZFile file;
        ASSERT_TRUE(file.CreateTempFile(nullptr, L"tessaro-zfile-", 0, name));
    }
    const std::wstring created = name.c_str();
    EXPECT_EQ(created.rfind(temp, 0), 0u) << testing::PrintToString(created);
    EXPECT_EQ(created.substr(created.size() - 4), L".tmp");
    EXPECT_TRUE(::DeleteFileW(created.c_str()));
}

TEST(ZFileTemp, TextFileTemporariesStartWithTheirMark)
{
    ScratchFolder folder;
    ZUnicodeString name;
    {
        ZTextFile file;
        file.SetEncoding(ZTextFile::EncodingUtf8);
        ASSERT_TRUE(file.CreateTempFile(folder.Path().c_str(), L"t", 0, name));
    }
    EXPECT_EQ(ScratchFolder::ReadBytes(name.c_str()), "\xEF\xBB\xBF");
}

}  // namespace
