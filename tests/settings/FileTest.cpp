// ZFile: the long-path retry, positional reads and writes, truncation, region
// locks, the read-only mapping and unique temporary files.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/ZFile.h"
#include "settings/ZTextFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

std::wstring DescriptorText(const SECURITY_ATTRIBUTES* security)
{
    LPWSTR text = nullptr;
    if (!security || !security->lpSecurityDescriptor)
        return L"";
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(security->lpSecurityDescriptor, SDDL_REVISION_1,
                                                               DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"<unreadable>";
    std::wstring result = text;
    ::LocalFree(text);
    return result;
}

// Fails the first opens with scripted errors, then opens for real (with the
// access given here, when there is one), recording every path and descriptor.
class ScriptedOpenFile : public ZFile {
public:
    explicit ScriptedOpenFile(std::vector<DWORD> failures, DWORD access = 0)
        : m_failures(std::move(failures)), m_access(access)
    {
    }

    std::vector<std::wstring> paths;
    std::vector<std::wstring> descriptors;  // as text; empty for none

protected:
    HANDLE OpenHandle(const wchar_t* path, DWORD access, DWORD disposition, SECURITY_ATTRIBUTES* security) override
    {
        paths.push_back(path);
        descriptors.push_back(DescriptorText(security));
        if (paths.size() <= m_failures.size()) {
            ::SetLastError(m_failures[paths.size() - 1]);
            return INVALID_HANDLE_VALUE;
        }
        return ZFile::OpenHandle(path, m_access ? m_access : access, disposition, security);
    }

private:
    std::vector<DWORD> m_failures;
    DWORD m_access;
};

TEST(ZFileOpen, RetriesLongPathsOnlyInTheirPrefixedForm)
{
    struct Case {
        const wchar_t* path;
        DWORD firstError;
        const wchar_t* retriedAs;  // null: no second attempt
    };
    const Case cases[] = {
        {L"C:\\data\\file.txt", ERROR_FILENAME_EXCED_RANGE, L"\\\\?\\C:\\data\\file.txt"},
        {L"d:\\x", ERROR_PATH_NOT_FOUND, L"\\\\?\\d:\\x"},
        {L"\\\\server\\share\\file.txt", ERROR_FILENAME_EXCED_RANGE, L"\\\\?\\UNC\\server\\share\\file.txt"},
        {L"\\\\?\\C:\\data\\file.txt", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"C:\\", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"data\\file.txt", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"C:data\\file.txt", ERROR_FILENAME_EXCED_RANGE, nullptr},
        {L"C:\\data\\file.txt", ERROR_ACCESS_DENIED, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.path)) << " error " << c.firstError);
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

// A refused descriptor leaves the platform's default; a given one is copied, so
// the caller may free it at once.
TEST(ZFileOpen, PrefixedRetryKeepsTheCallersPathAndDescriptorsAreCopied)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"long.txt");
    ASSERT_EQ(path[1], L':') << "the temporary folder is expected on a drive";
    ScriptedOpenFile file({ERROR_FILENAME_EXCED_RANGE});
    SECURITY_DESCRIPTOR bogus = {};
    bogus.Revision = 99;  // not a descriptor the platform accepts
    EXPECT_FALSE(file.SetSecurityDescriptor(&bogus));
    ASSERT_TRUE(file.Open(path.c_str(), kReadWrite, CREATE_NEW));
    EXPECT_EQ(file.paths, (std::vector<std::wstring>{path, L"\\\\?\\" + path}));
    EXPECT_EQ(std::wstring(file.GetPath().c_str()), path);
    DWORD written = 0;
    ASSERT_TRUE(file.Write("abc", 3, 0, written));
    file.Close();
    EXPECT_EQ(ScratchFolder::ReadBytes(path), "abc");

    const wchar_t kGiven[] = L"D:P(A;;FA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(kGiven, SDDL_REVISION_1, &descriptor, nullptr));
    ASSERT_TRUE(file.SetSecurityDescriptor(descriptor));
    ::ZeroMemory(descriptor, ::LocalSize(descriptor));
    ::LocalFree(descriptor);
    ASSERT_TRUE(file.Open(folder.File(L"secured.bin").c_str(), kReadWrite, CREATE_NEW));
    EXPECT_EQ(file.descriptors, (std::vector<std::wstring>{L"", L"", kGiven}));
}

TEST(ZFileIo, PositionalReadsAndWritesAndTruncation)
{
    ScratchFolder folder;
    ZFile file;
    char buffer[16] = {};
    DWORD count = 0;
    EXPECT_FALSE(file.Read(buffer, 4, 0, count)) << "not open";
    EXPECT_FALSE(file.Write(buffer, 4, 0, count));
    EXPECT_FALSE(file.Truncate());
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_EQ(file.GetPosition(), -1);
    ASSERT_TRUE(file.Open(folder.File(L"io.bin").c_str(), kReadWrite, CREATE_NEW));
    ASSERT_TRUE(file.Write("hello", 5, 10, count));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(file.GetSize(), 15);
    ASSERT_TRUE(file.Read(buffer, 16, 12, count));
    EXPECT_EQ(std::string(buffer, count), "llo");
    // Past the end of the file is success with nothing read.
    EXPECT_TRUE(file.Read(buffer, 4, 1000, count));
    EXPECT_EQ(count, 0u);
    // Truncation empties the file and keeps the position.
    ASSERT_TRUE(file.Seek(0, FILE_BEGIN));
    ASSERT_TRUE(file.Write("0123456789", 10, count));
    EXPECT_EQ(file.GetPosition(), 10);
    ASSERT_TRUE(file.Seek(4, FILE_BEGIN));
    ASSERT_TRUE(file.Truncate());
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_EQ(file.GetPosition(), 4);
}

TEST(ZFileLock, ExclusiveAndSharedRegions)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"lock.bin");
    ZFile owner, other;
    owner.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    other.SetShareMode(FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(owner.Open(path.c_str(), kReadWrite, CREATE_NEW));
    ASSERT_TRUE(other.Open(path.c_str(), kReadWrite, OPEN_EXISTING));
    // What another handle gets when it asks for 10 bytes at offset without waiting.
    auto tryLock = [&](DWORD offset, bool exclusive) {
        OVERLAPPED at = {};
        at.Offset = offset;
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

TEST(ZFileMap, MapsTheWholeFileReadOnlyUntilTheNextOpen)
{
    ScratchFolder folder;
    std::string content(10000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"m.bin"), content));
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"empty.bin"), ""));
    ZFile file;
    ASSERT_TRUE(file.MapReadOnly(folder.File(L"m.bin").c_str()));
    const void* view = file.GetMappedView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(view), content.size()), content);
    EXPECT_EQ(file.GetMappedSize(), content.size());
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(::VirtualQuery(view, &info, sizeof(info)), 0u);
    EXPECT_EQ(info.Protect, DWORD(PAGE_READONLY));

    // An empty file opens with no view; the first view and file are let go.
    ASSERT_TRUE(file.MapReadOnly(folder.File(L"empty.bin").c_str()));
    EXPECT_EQ(file.GetMappedView(), nullptr);
    EXPECT_EQ(file.GetMappedSize(), 0u);
    EXPECT_TRUE(file.IsOpen());
    ASSERT_NE(::VirtualQuery(view, &info, sizeof(info)), 0u);
    EXPECT_EQ(info.State, DWORD(MEM_FREE));
    EXPECT_TRUE(::DeleteFileW(folder.File(L"m.bin").c_str()));

    EXPECT_FALSE(file.MapReadOnly(folder.File(L"missing.bin").c_str()));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(file.IsOpen());
}

TEST(ZFileMap, AFailedMappingClosesTheFile)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"m.bin"), "mapped"));
    ScriptedOpenFile file({}, FILE_READ_ATTRIBUTES);  // enough for the size, not for a mapping
    EXPECT_FALSE(file.MapReadOnly(folder.File(L"m.bin").c_str()));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetMappedView(), nullptr);
}

TEST(ZFileTemp, NamesAndFailures)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"x1.tmp"), "1"));
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(L"x2.tmp"), "2"));
    struct Case {
        const char* name;
        std::wstring folder;
        const wchar_t* prefix;
        UINT unique;
        DWORD error;
        std::wstring expected;  // the last name tried
    };
    const Case cases[] = {
        {"counting from 1 skips taken names", folder.Path(), L"x", 0, 0, folder.File(L"x3.tmp")},
        {"a number given, in upper-case hex", folder.Path(), L"log", 0x1AB, 0, folder.File(L"log1AB.tmp")},
        {"a number given is tried once", folder.Path(), L"log", 0x1AB, ERROR_FILE_EXISTS, folder.File(L"log1AB.tmp")},
        {"no second final backslash", folder.Path() + L"\\", L"p", 0, 0, folder.File(L"p1.tmp")},
        {"a missing folder ends the count", folder.File(L"missing"), L"x", 0, ERROR_PATH_NOT_FOUND,
         folder.File(L"missing\\x1.tmp")},
        {"a prefix that leaves the folder is refused", folder.File(L"sub"), L"..\\x", 0, ERROR_INVALID_NAME, L""},
        {"so is one naming a drive", folder.File(L"sub"), L"C:x", 0, ERROR_INVALID_NAME, L""},
    };
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"sub").c_str(), nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZFile file;
        ZUnicodeString name;
        EXPECT_EQ(file.CreateTempFile(c.folder.c_str(), c.prefix, c.unique, name), !c.error);
        EXPECT_EQ(::GetLastError(), c.error);
        EXPECT_EQ(std::wstring(name.c_str()), c.expected);
        EXPECT_EQ(file.IsOpen(), !c.error);
    }
    EXPECT_EQ(ScratchFolder::ReadBytes(folder.File(L"x1.tmp")), "1");
}

TEST(ZFileTemp, TextFilesStartWithTheirMarkInTheSystemTemporaryFolder)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    ZUnicodeString name;
    {
        ZTextFile file;
        file.SetEncoding(ZTextFile::EncodingUtf8);
        ASSERT_TRUE(file.CreateTempFile(nullptr, L"tessaro-zfile-", 0, name));
    }
    const std::wstring created = name.c_str();
    EXPECT_EQ(created.rfind(temp, 0), 0u) << testing::PrintToString(created);
    EXPECT_EQ(created.substr(created.size() - 4), L".tmp");
    EXPECT_EQ(ScratchFolder::ReadBytes(created), "\xEF\xBB\xBF");
    EXPECT_TRUE(::DeleteFileW(created.c_str()));
}

}  // namespace
