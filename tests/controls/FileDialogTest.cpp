// The file dialog: initial-name repair, the retries after a rejected name (through a stand-in for the
// platform call, since Wine accepts any name), and the real dialog's title, OK text, filter and folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "controls/ZFileDialog.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WindowReaders.h"

namespace {

struct RepairCase { const wchar_t* fileName; const wchar_t* defaultName; const wchar_t* expected; };

class NameRepairTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(NameRepairTest, InitialNameIsRepaired)
{
    const RepairCase& c = GetParam();
    ZFileDialog dialog(true, c.defaultName, nullptr, nullptr, nullptr, c.fileName, 0, nullptr, nullptr);
    EXPECT_EQ(dialog.GetPathName(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NameRepairTest, ::testing::Values(
    RepairCase{L"logs/today.txt", nullptr, L"logs\\today.txt"},
    RepairCase{L"C:\\data\\", L"capture.log", L"C:\\data\\capture.log"},
    RepairCase{L"C:", L"capture.log", L"capture.log"},
    RepairCase{L"C:/data/", L"capture.log", L"C:\\data\\capture.log"},
    RepairCase{L"C:\\data\\\\", nullptr, L"C:\\data"},
    RepairCase{L"\\:", nullptr, L""},
    RepairCase{L"D:", nullptr, L"D"},
    RepairCase{L"", L"capture.log", L"capture.log"},
    RepairCase{L"", nullptr, L""},
    RepairCase{L"C:\\data\\x.txt", L"capture.log", L"C:\\data\\x.txt"}));

TEST(NameRepairLimitTest, FolderAndDefaultNameLongerThanTheBufferAreCut)
{
    const std::wstring folder = L"C:\\" + std::wstring(MAX_PATH - 8, L'f') + L"\\";
    ZFileDialog dialog(false, L"capture.log", nullptr, nullptr, nullptr, folder.c_str(), 0, nullptr, nullptr);
    const CStringW name = dialog.GetPathName();
    EXPECT_EQ(static_cast<size_t>(name.GetLength()), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_EQ(std::wstring(name.GetString()), (folder + L"capture.log").substr(0, MAX_PATH - 1));
}

// Each run records the name the dialog would open on and answers the next scripted (result, extended error).
class ScriptedFileDialog : public ZFileDialog {
public:
    struct Answer { INT_PTR result; DWORD error; };
    ScriptedFileDialog(const wchar_t* defaultName, const wchar_t* fileName, std::vector<Answer> answers)
        : ZFileDialog(true, defaultName, nullptr, nullptr, nullptr, fileName, 0, nullptr, nullptr),
          m_answers(std::move(answers))
    {
    }
    std::vector<std::wstring> m_names;
    size_t m_bufferCharsCleared = 0;

protected:
    INT_PTR RunPlatformDialog() override
    {
        m_names.emplace_back(m_ofn.lpstrFile);
        size_t zeros = 0;
        while (zeros < m_ofn.nMaxFile && m_ofn.lpstrFile[zeros] == L'\0')
            ++zeros;
        m_bufferCharsCleared = zeros;
        m_error = m_answers.at(m_names.size() - 1).error;
        return m_answers.at(m_names.size() - 1).result;
    }
    DWORD GetPlatformDialogError() const override { return m_error; }

private:
    std::vector<Answer> m_answers;
    DWORD m_error = 0;
};

constexpr DWORD kRejected = FNERR_INVALIDFILENAME;

struct RetryCase {
    const char* what;
    const wchar_t* defaultName;
    std::vector<ScriptedFileDialog::Answer> answers;
    std::vector<std::wstring> names;
    INT_PTR result;
};

class RetryTest : public ::testing::TestWithParam<RetryCase> {};

TEST_P(RetryTest, RejectedNameOpensTheDialogAgain)
{
    const RetryCase& c = GetParam();
    ScriptedFileDialog dialog(c.defaultName, L"a<>|bad?name.txt", c.answers);
    EXPECT_EQ(dialog.DoModal(), c.result) << c.what;
    EXPECT_EQ(dialog.m_names, c.names) << c.what;
    if (dialog.m_names.size() == c.answers.size() && dialog.m_names.back().empty()) {
        EXPECT_EQ(dialog.m_bufferCharsCleared, static_cast<size_t>(MAX_PATH)) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RetryTest, ::testing::Values(
    RetryCase{"accepted at once", L"def.log", {{IDOK, 0}}, {L"a<>|bad?name.txt"}, IDOK},
    RetryCase{"user cancelled", L"def.log", {{IDCANCEL, 0}}, {L"a<>|bad?name.txt"}, IDCANCEL},
    RetryCase{"other failure", L"def.log", {{IDCANCEL, FNERR_BUFFERTOOSMALL}}, {L"a<>|bad?name.txt"}, IDCANCEL},
    RetryCase{"default name accepted", L"def.log", {{IDCANCEL, kRejected}, {IDOK, 0}},
              {L"a<>|bad?name.txt", L"def.log"}, IDOK},
    RetryCase{"default name cancelled", L"def.log", {{IDCANCEL, kRejected}, {IDCANCEL, 0}},
              {L"a<>|bad?name.txt", L"def.log"}, IDCANCEL},
    RetryCase{"default name rejected too", L"def.log",
              {{IDCANCEL, kRejected}, {IDCANCEL, kRejected}, {IDOK, 0}},
              {L"a<>|bad?name.txt", L"def.log", L""}, IDOK},
    RetryCase{"no default name", nullptr, {{IDCANCEL, kRejected}, {IDCANCEL, 0}},
              {L"a<>|bad?name.txt", L""}, IDCANCEL}));

// The real dialog: a thread timer reads it once it is up, then types a path and presses OK, or cancels.
struct SeenDialog {
    std::wstring title;
    std::wstring okText;
    std::wstring typePath;  // empty: cancel
    bool seen = false;
};
SeenDialog* g_seen = nullptr;

BOOL CALLBACK FindFileDialog(HWND window, LPARAM found)
{
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    if (::IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DriveFileDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindFileDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !g_seen)
        return;
    ::KillTimer(nullptr, timer);
    g_seen->title = TestSupport::WindowText(dialog);
    g_seen->okText = TestSupport::WindowText(::GetDlgItem(dialog, IDOK));
    g_seen->seen = true;
    if (g_seen->typePath.empty()) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    HWND name = ::GetDlgItem(dialog, cmb13);
    if (!name)
        name = ::GetDlgItem(dialog, edt1);
    ::SetWindowTextW(name, g_seen->typePath.c_str());
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

class RealFileDialogTest : public ::testing::Test {
protected:
    INT_PTR Run(ZFileDialog& dialog)
    {
        g_seen = &m_seen;
        ::SetTimer(nullptr, 0, 50, DriveFileDialog);
        const INT_PTR result = dialog.DoModal();
        g_seen = nullptr;
        return result;
    }
    SeenDialog m_seen;
};

TEST_F(RealFileDialogTest, TitleAndOkTextAreShown)
{
    ZFileDialog dialog(true, L"capture.log", L"Pick a capture", L"&Take", nullptr, L"", 0,
                       L"Logs (*.log)|*.log|All (*.*)|*.*||", nullptr);
    EXPECT_EQ(Run(dialog), IDCANCEL);
    ASSERT_TRUE(m_seen.seen);
    EXPECT_EQ(m_seen.title, L"Pick a capture");
    EXPECT_EQ(m_seen.okText, L"&Take");
}

TEST_F(RealFileDialogTest, ChoiceGivesItsFolderAndFilter)
{
    ScratchFolder scratch;
    const std::wstring initial = scratch.File(L"initial.txt");
    ZFileDialog dialog(false, nullptr, initial.c_str(), 0, L"Logs (*.log)|*.log|All (*.*)|*.*||", nullptr);
    EXPECT_TRUE(dialog.GetDirectory().empty());  // the initial name is no choice
    dialog.SetFilter(2);
    dialog.SetInitialDirectory(scratch.Path().c_str());
    m_seen.typePath = scratch.File(L"x.txt");
    ASSERT_EQ(Run(dialog), IDOK);
    EXPECT_EQ(std::wstring(dialog.GetPathName().GetString()), scratch.File(L"x.txt"));
    EXPECT_EQ(dialog.GetDirectory().view(), scratch.Path());
    EXPECT_EQ(dialog.GetSelectedFilter(), 2u);
}

}  // namespace
