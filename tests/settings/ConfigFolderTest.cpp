// The configuration-folder check, its dialog validation, the local-directory
// split and the folder register, on real folders. An unwritable folder is the
// read-only sysfs seen through Wine's Z: drive; a missing drive is a letter
// the process has no drive for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TessaroMessages.h"
#include "settings/ZConfigFolder.h"
#include "settings/ZFolderRegister.h"
#include "tests/platform/DialogTemplate.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WineDetection.h"

namespace {

std::wstring MissingDrive()
{
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter)
        if (!(drives & (1u << (letter - L'A'))))
            return std::wstring(1, letter) + L":";
    return L"";
}

// In the "\\?\" form, which takes no "/", so that long folders are found too.
std::wstring LongForm(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return L"\\\\?\\" + path;
}

bool IsDirectory(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(LongForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int FilesIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((LongForm(folder) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        count += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return count;
}

// A folder name of about `length` characters below base, in 50-character steps.
std::wstring DeepFolder(const std::wstring& base, size_t length)
{
    std::wstring path = base;
    while (path.size() < length)
        path += L"\\" + std::wstring(49, L'd');
    return path;
}

class ConfigFolder : public ::testing::Test {
protected:
    ScratchFolder m_scratch;
};

TEST_F(ConfigFolder, FoldersThatCanBeMadeAndWrittenPass)
{
    const std::wstring base = m_scratch.Path();
    struct Case {
        const char* name;
        std::wstring folder;
    };
    const Case cases[] = {
        {"existing", base},
        {"existing with final backslash", base + L"\\"},
        {"missing parents", base + L"\\a\\b\\c"},
        {"forward slashes", base + L"/s/t"},
        {"beyond MAX_PATH", DeepFolder(base + L"\\long", 400)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZUnicodeString folder(c.folder.c_str());
        ZReportMessageParams report;
        ASSERT_TRUE(IsValidConfigFolder(folder, report));
        EXPECT_TRUE(IsDirectory(c.folder));
        EXPECT_EQ(FilesIn(c.folder), 0);  // the probe file is gone
    }
}

TEST_F(ConfigFolder, ARelativeFolderComesBackAsAFullPath)
{
    wchar_t previous[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH + 1, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(m_scratch.Path().c_str()));
    ZUnicodeString folder(L"rel\\sub");
    ZReportMessageParams report;
    const bool valid = IsValidConfigFolder(folder, report);
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(valid);
    EXPECT_EQ(std::wstring(folder.c_str()), m_scratch.Path() + L"\\rel\\sub");
    EXPECT_TRUE(IsDirectory(m_scratch.Path() + L"\\rel\\sub"));
}

TEST_F(ConfigFolder, FoldersThatCannotServeAreReportedWithTheirName)
{
    ASSERT_TRUE(ScratchFolder::WriteBytes(m_scratch.File(L"plain.txt"), "x"));
    const std::wstring missingDrive = MissingDrive();
    ASSERT_FALSE(missingDrive.empty());
    struct Case {
        const char* name;
        std::wstring folder;
        uint32_t message;
        bool wineOnly;
    };
    const Case cases[] = {
        {"empty name", L"", MSG_FOLDER_NOT_VALID, false},
        {"a file", m_scratch.File(L"plain.txt"), MSG_FOLDER_NOT_VALID, false},
        {"below a file", m_scratch.File(L"plain.txt") + L"\\sub", MSG_FOLDER_NOT_VALID, false},
        {"missing drive", missingDrive + L"\\config", MSG_FOLDER_NOT_VALID, false},
        {"missing drive root", missingDrive + L"\\", MSG_FOLDER_NOT_VALID, false},
        {"read-only file system", L"Z:\\sys\\kernel", MSG_FOLDER_ACCESS_DENIED, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.wineOnly && !TestSupport::RunningUnderWine())
            continue;  // the folder exists only where Wine maps Z: to the Linux root
        ZUnicodeString folder(c.folder.c_str());
        ZReportMessageParams report;
        // A stale success code must not turn a failure into a pass.
        ::SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(IsValidConfigFolder(folder, report));
        EXPECT_EQ(report.GetMessageId(), c.message);
        ASSERT_EQ(report.GetInserts().GetCount(), 1u);
        EXPECT_EQ(std::wstring(report.GetInserts()[0].c_str()), c.folder);
        EXPECT_EQ(std::wstring(folder.c_str()), c.folder);
    }
}

// --- the dialog validation ----------------------------------------------------------

constexpr int kFolderEdit = 100;

class FolderDialog : public CDialog {
public:
    CStringW m_folder;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kFolderEdit, m_folder);
        ZDDV_ValidateConfigFolder(dx, m_folder, kFolderEdit);
    }
};

TEST_F(ConfigFolder, TheDialogRefusesABadFolderAndKeepsTheText)
{
    TestSupport::DialogTemplate form{L"Folder", 220, 60, WS_POPUP | WS_CAPTION | DS_SETFONT};
    form.Add(TestSupport::DialogTemplate::Edit, kFolderEdit, L"", 10, 10, 180, 14, WS_BORDER | WS_TABSTOP)
        .Add(TestSupport::DialogTemplate::Button, IDOK, L"OK", 10, 30, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
    FolderDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(form.Get()));
    const HWND edit = ::GetDlgItem(dialog.m_hWnd, kFolderEdit);

    const std::wstring good = m_scratch.Path() + L"\\made";
    const std::wstring bad = m_scratch.File(L"plain.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(bad, "x"));
    struct Case {
        std::wstring text;
        bool accepted;
    };
    for (const Case& c : {Case{good, true}, Case{bad, false}}) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        ::SetWindowTextW(edit, c.text.c_str());
        ::SetFocus(::GetDlgItem(dialog.m_hWnd, IDOK));
        TestSupport::MessageBoxWatcher watcher(IDOK);
        EXPECT_EQ(dialog.UpdateData(TRUE) != FALSE, c.accepted);
        EXPECT_EQ(watcher.Boxes().size(), c.accepted ? 0u : 1u);
        if (!c.accepted) {
            EXPECT_NE(watcher.Boxes()[0].text.find(c.text), std::wstring::npos);
            EXPECT_NE(watcher.Boxes()[0].icon, nullptr);
            EXPECT_EQ(::GetFocus(), edit);
        }
        // The caller's text is never replaced by the full path.
        wchar_t shown[MAX_PATH + 1] = {};
        ::GetWindowTextW(edit, shown, MAX_PATH + 1);
        EXPECT_EQ(std::wstring(shown), c.text);
    }
    EXPECT_TRUE(IsDirectory(good));
    dialog.DestroyWindow();
    CWnd::DeleteTempMap();
}

// --- the local-directory split ------------------------------------------------------

TEST_F(ConfigFolder, LocalPathsSplitIntoAnExistingFolderAndAFileName)
{
    const std::wstring base = m_scratch.Path();
    ASSERT_TRUE(::CreateDirectoryW((base + L"\\data").c_str(), nullptr));
    ASSERT_TRUE(ScratchFolder::WriteBytes(base + L"\\data\\x.txt", "x"));
    const std::wstring missingDrive = MissingDrive();
    struct Case {
        const char* name;
        std::wstring path;
        std::wstring folder;
        std::wstring file;
        bool result;
    };
    const Case cases[] = {
        {"drive root", L"C:\\", L"C:\\", L"", true},
        {"missing drive root", missingDrive + L"\\", missingDrive + L"\\", L"", false},
        {"existing folder", base + L"\\data", base + L"\\data", L"", true},
        {"existing folder, final backslash", base + L"\\data\\", base + L"\\data\\", L"", true},
        {"existing file", base + L"\\data\\x.txt", base + L"\\data", L"x.txt", true},
        {"new file in existing folder", base + L"\\data\\new.log", base + L"\\data", L"new.log", true},
        {"new file in missing folder", base + L"\\none\\new.log", base + L"\\none", L"new.log", false},
        {"new file at a root", L"C:\\tessaro-not-there.txt", L"C:\\", L"tessaro-not-there.txt", true},
        {"new file on a missing drive", missingDrive + L"\\a.txt", missingDrive + L"\\", L"a.txt", false},
        {"bare name", L"tessaro-not-there.txt", L"", L"tessaro-not-there.txt", false},
        {"forward slashes", base + L"/data/new.log", base + L"/data", L"new.log", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZUnicodeString folder(L"before"), file(L"before");
        EXPECT_EQ(ZExtractLocalDirectory(c.path.c_str(), folder, file), c.result);
        EXPECT_EQ(std::wstring(folder.c_str()), c.folder);
        EXPECT_EQ(std::wstring(file.c_str()), c.file);
    }

    ZUnicodeString folder(L"before"), file(L"before");
    EXPECT_FALSE(ZExtractLocalDirectory(L"", folder, file));
    EXPECT_FALSE(ZExtractLocalDirectory(nullptr, folder, file));
    EXPECT_EQ(std::wstring(folder.c_str()), L"before");
    EXPECT_EQ(std::wstring(file.c_str()), L"before");
}

TEST_F(ConfigFolder, LongPathsSplitWithoutOverflow)
{
    const std::wstring deep = DeepFolder(m_scratch.Path() + L"\\long", 700);
    ZUnicodeString made(deep.c_str());
    ZReportMessageParams report;
    ASSERT_TRUE(IsValidConfigFolder(made, report));
    const std::wstring name = std::wstring(300, L'n') + L"." + std::wstring(40, L'e');
    ASSERT_TRUE(ScratchFolder::WriteBytes(L"\\\\?\\" + deep + L"\\x.txt", "x"));

    struct Case {
        const char* name;
        std::wstring path;
        std::wstring folder;
        std::wstring file;
        bool result;
    };
    const Case cases[] = {
        {"existing file", deep + L"\\x.txt", deep, L"x.txt", true},
        {"existing folder", deep, deep, L"", true},
        {"long new name", deep + L"\\" + name, deep, name, true},
        {"long missing folder", deep + L"\\missing\\" + name, deep + L"\\missing", name, false},
        {"very long relative", std::wstring(20000, L'r') + L"\\f.txt", std::wstring(20000, L'r'), L"f.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The path ends against a no-access page: reading past its terminator faults.
        TestSupport::GuardedBuffer input(c.path.c_str(), (c.path.size() + 1) * sizeof(wchar_t));
        ZUnicodeString folder, file;
        EXPECT_EQ(ZExtractLocalDirectory(input.DataAs<wchar_t>(), folder, file), c.result);
        EXPECT_EQ(std::wstring(folder.c_str()), c.folder);
        EXPECT_EQ(std::wstring(file.c_str()), c.file);
    }
}

// --- the folder register ------------------------------------------------------------

class RecordingString : public IString {
public:
    void Unused1() override {}
    void Unused2() override {}
    void Unused3() override {}
    void Unused4() override {}
    void Assign(const wchar_t* text, uint64_t reserved) override
    {
        m_text = text;
        m_reserved = reserved;
        ++m_calls;
    }
    std::wstring m_text = L"untouched";
    uint64_t m_reserved = 99;
    int m_calls = 0;
};

TEST(FolderRegister, EachFolderKeepsItsOwnCopy)
{
    using Setter = void (*)(const wchar_t*);
    using Getter = void (*)(IString*);
    const std::pair<Setter, Getter> folders[] = {{SetZrnConfigPathSub, GetZrnConfigPathSub},
                                                 {SetZrnInstallPathSub, GetZrnInstallPathSub},
                                                 {SetZrnSshDataPathSub, GetZrnSshDataPathSub},
                                                 {SetZrnUserDataPathSub, GetZrnUserDataPathSub}};
    for (const auto& [set, get] : folders) {
        RecordingString empty;
        get(&empty);
        EXPECT_EQ(empty.m_text, L"");
        EXPECT_EQ(empty.m_reserved, 0u);
    }
    for (size_t i = 0; i < std::size(folders); ++i) {
        std::wstring text = L"C:\\folder " + std::to_wstring(i);
        folders[i].first(text.c_str());
        text = L"overwritten";  // the register kept its own copy
    }
    for (size_t i = 0; i < std::size(folders); ++i) {
        RecordingString out;
        folders[i].second(&out);
        EXPECT_EQ(out.m_text, L"C:\\folder " + std::to_wstring(i));
        EXPECT_EQ(out.m_calls, 1);
    }
    folders[0].first(nullptr);
    RecordingString cleared;
    folders[0].second(&cleared);
    EXPECT_EQ(cleared.m_text, L"");
    folders[0].second(nullptr);  // no string object: nothing to do
}

}  // namespace
