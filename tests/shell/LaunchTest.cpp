// Launching through the shell and starting the update utility.
#include <gtest/gtest.h>

#include "shell/ZLaunch.h"
#include "tests/support/MessageBoxWatcher.h"

namespace LaunchTest {

TEST(LaunchApp, RefusesAMissingNameWithoutAskingTheShell)
{
    EXPECT_FALSE(LaunchApp(nullptr, nullptr, 0));
    EXPECT_FALSE(LaunchApp(L"", L"-x", 0));
    EXPECT_FALSE(LaunchApp(L"C:\\no\\such\\program-4711.exe", nullptr, 0));
}

TEST(ZorvaneUpdate, CommandLineSeparatesEveryPartWithAnExclamationMark)
{
    const struct {
        const char* name;
        const wchar_t *a1, *a2, *a3, *a4;
        const wchar_t* expected;
    } cases[] = {
        {"all given", L"prod", L"8.7", L"en", L"/quiet",
         L"\"C:\\Apps\\Host\\ZorvaneUpdate.exe\"!prod!en!8.7!C:\\Apps\\Host!/quiet"},
        {"nulls are empty", nullptr, nullptr, nullptr, nullptr,
         L"\"C:\\Apps\\Host\\ZorvaneUpdate.exe\"!!!!C:\\Apps\\Host!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Tessaro::ZorvaneUpdateCommandLine(L"C:\\Apps\\Host", c.a1, c.a2, c.a3, c.a4), c.expected);
    }
}

TEST(ZorvaneUpdate, WhileTheUtilityRunsNothingIsStarted)
{
    HANDLE running = ::CreateMutexW(nullptr, TRUE, Tessaro::kZorvaneUpdateMutexName);
    ASSERT_NE(running, nullptr);
    TestSupport::MessageBoxWatcher watcher;
    EXPECT_TRUE(StartZorvaneUpdate("prod", L"8.7", L"en", L""));
    EXPECT_TRUE(watcher.Boxes().empty());
    ::ReleaseMutex(running);
    ::CloseHandle(running);
}

TEST(ZorvaneUpdate, AMissingUtilityIsReportedToTheUser)
{
    // The test program's folder holds no ZorvaneUpdate.exe.
    TestSupport::MessageBoxWatcher watcher;
    ASSERT_TRUE(watcher.Hooked());
    EXPECT_FALSE(StartZorvaneUpdate("prod", L"8.7", L"en", L""));
    ASSERT_EQ(watcher.Boxes().size(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].text.rfind(L"The Zorvane Update utility could not be started.", 0), 0u);
}

}  // namespace LaunchTest
