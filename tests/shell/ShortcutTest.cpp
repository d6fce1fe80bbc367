// Shortcuts written by the library and read back through IShellLinkW, in a
// scratch folder, on the desktop and among the favourite links.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "shell/ZShortcuts.h"
#include "tests/support/ScratchFolder.h"

namespace ShortcutTest {

struct Link {
    bool loaded = false;
    std::wstring path;
    std::wstring arguments;
};

Link ReadLink(const std::wstring& file)
{
    Link link;
    IShellLinkW* shellLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&shellLink))))
        return link;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            link.loaded = SUCCEEDED(shellLink->GetPath(text, MAX_PATH, nullptr, 0));
            link.path = text;
            text[0] = 0;
            shellLink->GetArguments(text, MAX_PATH);
            link.arguments = text;
        }
        persist->Release();
    }
    shellLink->Release();
    return link;
}

class Shortcuts : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Wine mirrors saved links onto the Linux desktop through a helper process; keep it out.
        ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;winemenubuilder.exe=d");
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    std::wstring m_target = L"C:\\windows\\system32\\notepad.exe";
    std::wstring m_name = L"Tessaro Server A " + std::to_wstring(::GetCurrentProcessId());
};

TEST_F(Shortcuts, APathTooLongForTheVolumeMakesNoFile)
{
    // The volume allows 255 characters a component, less its root "C:\": a
    // path of 258 is refused before the file system sees it, one of 245 is made.
    ScratchFolder folder;
    const auto nameFor = [&](size_t pathLength) { return std::wstring(pathLength - folder.Path().size() - 5, L'n'); };
    const std::wstring tooLong = nameFor(258);
    EXPECT_FALSE(Tessaro::CreateShortcutIn(folder.Path(), m_target.c_str(), L"", tooLong.c_str()));
    EXPECT_FALSE(ScratchFolder::Exists(folder.File(tooLong + L".lnk")));
    const std::wstring fits = nameFor(245);
    EXPECT_TRUE(Tessaro::CreateShortcutIn(folder.Path(), m_target.c_str(), L"", fits.c_str()));
    EXPECT_TRUE(ScratchFolder::Exists(folder.File(fits + L".lnk")));
    // A name the file system refuses fails instead of being changed.
    EXPECT_FALSE(Tessaro::CreateShortcutIn(folder.Path(), m_target.c_str(), L"", L"a<b"));
}

// A name is one file name: anything that would leave the folder fails and writes nothing.
TEST_F(Shortcuts, NamesThatLeaveTheFolderMakeNoFile)
{
    ScratchFolder folder;
    const std::wstring inner = folder.File(L"a\\b");
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"a").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(inner.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((inner + L"\\sub").c_str(), nullptr));
    const struct {
        const wchar_t* name;
        const wchar_t* escapedTo;  // where the file would land, relative to the scratch folder; null: a device
    } cases[] = {
        {L"../../y", L"y.lnk"},
        {L"..\\z", L"a\\z.lnk"},
        {L"sub\\w", L"a\\b\\sub\\w.lnk"},
        {L"C:v", L"a\\b\\C:v.lnk"},
        {L"..", L"a\\b\\...lnk"},
        {L".", L"a\\b\\..lnk"},
        {L"", L"a\\b\\.lnk"},
        // Device names, whatever follows them: the "file" would be the device
        // (a save to NUL succeeds and writes nothing).
        {L"con", nullptr},
        {L"Com1 ", nullptr},
        {L"lpt9.notes", nullptr},
        {L"CONOUT$", nullptr},
        {L"LPT0", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_FALSE(Tessaro::CreateShortcutIn(inner, m_target.c_str(), L"", c.name));
        if (c.escapedTo) {
            EXPECT_FALSE(ScratchFolder::Exists(folder.File(c.escapedTo)));
        }
    }
    // Dots inside an ordinary name, and names that only begin like a device's, are fine.
    for (const wchar_t* name : {L"..server.a", L"console", L"nul-host", L"COM10"}) {
        EXPECT_TRUE(Tessaro::CreateShortcutIn(inner, m_target.c_str(), L"", name));
        EXPECT_TRUE(ScratchFolder::Exists(inner + L"\\" + name + L".lnk"));
    }
}

TEST_F(Shortcuts, DesktopAndLinksFolders)
{
    const struct {
        const char* name;
        bool (*create)(const wchar_t*, const wchar_t*, const wchar_t*, CWnd*);
        int folder;
        const wchar_t* under;  // the folder below it
    } cases[] = {
        {"desktop", ZCreateDesktopShortcut, CSIDL_DESKTOPDIRECTORY, L""},
        {"links", ZCreateFavoritesShortcut, CSIDL_PROFILE, L"\\Links"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wchar_t folder[MAX_PATH] = {};
        ASSERT_EQ(::SHGetFolderPathW(nullptr, c.folder, nullptr, 0, folder), S_OK);
        const std::wstring file = folder + std::wstring(c.under) + L"\\" + m_name + L".lnk";
        ASSERT_TRUE(c.create(m_target.c_str(), L"-x 1", m_name.c_str(), nullptr));
        const Link link = ReadLink(file);
        ::DeleteFileW(file.c_str());
        ASSERT_TRUE(link.loaded);
        EXPECT_EQ(_wcsicmp(link.path.c_str(), m_target.c_str()), 0) << link.path;
        EXPECT_EQ(link.arguments, L"-x 1");
    }
}

TEST(WellKnownPlaces, TheHostsFolderHoldsTheProgram)
{
    const std::wstring folder = ZGetCommonDocumentsDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(ScratchFolder::Exists(folder + L"\\test_shell.exe"));
}

TEST(WellKnownPlaces, AWorkerThreadHasNoMainWindow)
{
    CWnd* found = reinterpret_cast<CWnd*>(1);
    std::thread([&] { found = ZGetMainWindow(); }).join();
    EXPECT_EQ(found, nullptr);
}

}  // namespace ShortcutTest
