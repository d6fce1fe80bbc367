// The configuration-folder check, its dialog validation, the local-directory split and the
// folder register, on real folders; Wine's Z:\sys stands for a folder that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
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

// The files in a folder, found in the "\\?\" form (which takes no "/") so that
// long folders are found too; -1 when there is no such folder.
int FilesIn(std::wstring folder)
{
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    while (folder.back() == L'\\')
        folder.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
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
    const std::wstring m_base = m_scratch.Path();
};

// A folder passes when it can be made and written, and comes back as a full
// path; one that cannot serve is reported by its name and left as it was.
TEST_F(ConfigFolder, FoldersThatCanServeAndThoseThatCannot)
{
    const std::wstring file = m_base + L"\\other\\plain.txt";  // not in a folder whose files are counted
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"\\other").c_str(), nullptr));
    ASSERT_TRUE(ScratchFolder::WriteBytes(file, "x"));
    const std::wstring drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    struct Case {
        const char* name;
        std::wstring folder;
        uint32_t message;   // 0: the folder passes
        std::wstring full = L"";  // the folder afterwards; empty: as given
    };
    std::vector<Case> cases = {
        {"existing", m_base, 0},
        {"existing with final backslash", m_base + L"\\", 0},
        {"missing parents", m_base + L"\\a\\b\\c", 0},
        {"forward slashes", m_base + L"/s/t", 0, m_base + L"\\s\\t"},
        {"beyond MAX_PATH", DeepFolder(m_base + L"\\long", 400), 0},
        {"relative to the current folder", L"rel\\sub", 0, m_base + L"\\rel\\sub"},
        {"empty name", L"", MSG_FOLDER_NOT_VALID},
        {"a file", file, MSG_FOLDER_NOT_VALID},
        {"below a file", file + L"\\sub", MSG_FOLDER_NOT_VALID},
        {"missing drive", drive + L"\\config", MSG_FOLDER_NOT_VALID},
        {"missing drive root", drive + L"\\", MSG_FOLDER_NOT_VALID},
    };
    if (TestSupport::RunningUnderWine())  // only Wine maps Z: to the Linux root
        cases.push_back({"read-only file system", L"Z:\\sys\\kernel", MSG_FOLDER_ACCESS_DENIED});
    wchar_t previous[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH + 1, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(m_base.c_str()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring expected = c.full.empty() ? c.folder : c.full;
        ZUnicodeString folder(c.folder.c_str());
        ZReportMessageParams report;
        ::SetLastError(ERROR_SUCCESS);  // a stale success code must not turn a failure into a pass
        EXPECT_EQ(IsValidConfigFolder(folder, report), c.message == 0);
        EXPECT_EQ(std::wstring(folder.c_str()), expected);
        if (c.message == 0) {
            EXPECT_EQ(FilesIn(expected), 0) << "the probe file is gone";
            continue;
        }
        EXPECT_EQ(report.GetMessageId(), c.message);
        const auto& inserts = report.GetInserts();
        EXPECT_EQ(inserts.GetCount() == 1 ? std::wstring(inserts[0].c_str()) : L"<not one insert>", c.folder);
    }
    ::SetCurrentDirectoryW(previous);
}

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
    const std::wstring good = m_base + L"/made";  // its full path has a backslash instead
    const std::wstring bad = m_scratch.File(L"plain.txt");
    ASSERT_TRUE(ScratchFolder::WriteBytes(bad, "x"));
    for (const std::wstring& text : {good, bad}) {
        const bool accepted = text == good;
        SCOPED_TRACE(accepted ? "good" : "bad");
        ::SetWindowTextW(edit, text.c_str());
        ::SetFocus(::GetDlgItem(dialog.m_hWnd, IDOK));
        TestSupport::MessageBoxWatcher watcher(IDOK);
        EXPECT_EQ(dialog.UpdateData(TRUE) != FALSE, accepted);
        EXPECT_EQ(watcher.Boxes().size(), accepted ? 0u : 1u);
        if (!accepted && watcher.Boxes().size() == 1) {
            EXPECT_NE(watcher.Boxes()[0].text.find(text), std::wstring::npos);
            EXPECT_NE(watcher.Boxes()[0].icon, nullptr);
            EXPECT_EQ(::GetFocus(), edit);
        }
        // The caller's text is never replaced by the full path.
        wchar_t shown[MAX_PATH + 1] = {};
        ::GetWindowTextW(edit, shown, MAX_PATH + 1);
        EXPECT_EQ(std::wstring(shown), text);
    }
    EXPECT_EQ(FilesIn(good), 0);
    dialog.DestroyWindow();
    CWnd::DeleteTempMap();
}

TEST_F(ConfigFolder, LocalPathsSplitIntoAnExistingFolderAndAFileName)
{
    const std::wstring deep = DeepFolder(m_base + L"\\long", 700);
    ZUnicodeString made(deep.c_str());
    ZReportMessageParams report;
    ASSERT_TRUE(IsValidConfigFolder(made, report));
    ASSERT_TRUE(ScratchFolder::WriteBytes(L"\\\\?\\" + deep + L"\\x.txt", "x"));
    ASSERT_TRUE(::CreateDirectoryW((m_base + L"\\data").c_str(), nullptr));
    ASSERT_TRUE(ScratchFolder::WriteBytes(m_base + L"\\data\\x.txt", "x"));
    const std::wstring data = m_base + L"\\data";
    const std::wstring drive = MissingDrive();
    const std::wstring name = std::wstring(300, L'n') + L"." + std::wstring(40, L'e');
    const std::wstring relative(20000, L'r');
    struct Case {
        const char* name;
        std::wstring path, folder, file;
        bool result;
    };
    const Case cases[] = {
        {"empty: both untouched", L"", L"before", L"before", false},
        {"drive root", L"C:\\", L"C:\\", L"", true},
        {"missing drive root", drive + L"\\", drive + L"\\", L"", false},
        {"existing folder", data, data, L"", true},
        {"existing folder, final backslash", data + L"\\", data + L"\\", L"", true},
        {"existing file", data + L"\\x.txt", data, L"x.txt", true},
        {"new file in existing folder", data + L"\\new.log", data, L"new.log", true},
        {"new file in missing folder", m_base + L"\\none\\new.log", m_base + L"\\none", L"new.log", false},
        {"new file at a root", L"C:\\tessaro-not-there.txt", L"C:\\", L"tessaro-not-there.txt", true},
        {"new file on a missing drive", drive + L"\\a.txt", drive + L"\\", L"a.txt", false},
        {"bare name", L"tessaro-not-there.txt", L"", L"tessaro-not-there.txt", false},
        {"forward slashes", m_base + L"/data/new.log", m_base + L"/data", L"new.log", true},
        {"long existing file", deep + L"\\x.txt", deep, L"x.txt", true},
        {"long existing folder", deep, deep, L"", true},
        {"long new name", deep + L"\\" + name, deep, name, true},
        {"long missing folder", deep + L"\\missing\\" + name, deep + L"\\missing", name, false},
        {"very long relative", relative + L"\\f.txt", relative, L"f.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The path ends against a no-access page: reading past its terminator faults.
        TestSupport::GuardedBuffer input(c.path.c_str(), (c.path.size() + 1) * sizeof(wchar_t));
        ZUnicodeString folder(L"before"), file(L"before");
        EXPECT_EQ(ZExtractLocalDirectory(input.DataAs<wchar_t>(), folder, file), c.result);
        EXPECT_EQ(std::wstring(folder.c_str()), c.folder);
        EXPECT_EQ(std::wstring(file.c_str()), c.file);
    }
    ZUnicodeString folder(L"before"), file(L"before");
    EXPECT_FALSE(ZExtractLocalDirectory(nullptr, folder, file));
    EXPECT_EQ(std::wstring(folder.c_str()) + L"|" + file.c_str(), L"before|before");
}

// What a getter hands the host's string object, which must be asked once and
// be given 0 as the reserved argument.
std::wstring Got(void (*get)(IString*))
{
    class Recording : public IString {
    public:
        void Unused1() override {}
        void Unused2() override {}
        void Unused3() override {}
        void Unused4() override {}
        void Assign(const wchar_t* assigned, uint64_t reserved) override
        {
            EXPECT_EQ(reserved, 0u);
            text = assigned;
            ++calls;
        }
        std::wstring text;
        int calls = 0;
    } out;
    get(&out);
    EXPECT_EQ(out.calls, 1);
    return out.text;
}

TEST(FolderRegister, EachFolderKeepsItsOwnCopy)
{
    using Setter = void (*)(const wchar_t*);
    using Getter = void (*)(IString*);
    const std::pair<Setter, Getter> folders[] = {{SetZrnConfigPathSub, GetZrnConfigPathSub},
                                                 {SetZrnInstallPathSub, GetZrnInstallPathSub},
                                                 {SetZrnSshDataPathSub, GetZrnSshDataPathSub},
                                                 {SetZrnUserDataPathSub, GetZrnUserDataPathSub}};
    for (size_t i = 0; i < std::size(folders); ++i) {
        EXPECT_EQ(Got(folders[i].second), L"") << "set by another folder's setter";
        std::wstring text = L"C:\\folder " + std::to_wstring(i);
        folders[i].first(text.c_str());
        text = L"overwritten";  // the register keeps its own copy
    }
    for (size_t i = 0; i < std::size(folders); ++i)
        EXPECT_EQ(Got(folders[i].second), L"C:\\folder " + std::to_wstring(i));
    folders[0].first(nullptr);
    EXPECT_EQ(Got(folders[0].second), L"");
    folders[0].second(nullptr);  // no string object: nothing to do
}

}  // namespace
