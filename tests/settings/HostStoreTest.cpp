// ZFileProfileStoreFactory through the library's wrappers: round trips, names,
// the file-per-top-level-key rule, atomic writes and files it cannot read.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "hoststore/ZFileProfileStore.h"
#include "settings/ZProfileStore.h"
#include "tests/settings/HostStoreTree.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SeededRandom.h"

namespace {

using HostStoreTree::Host;
using HostStoreTree::Tree;
using HostStoreTree::TreeOf;

// A writer killed at random moments: the test program starts itself again
// with this switch, and the child writes Settings\Payload in a loop, the
// counter going up from the number given, until it is killed.
constexpr wchar_t kWriterSwitch[] = L"--host-store-writer";
constexpr DWORD kSlow = 20000;  // generous: process start-up under Wine is slow

// "<n>|" + a pattern that depends on n + "|<n>": a torn file cannot pass for one.
std::wstring Payload(unsigned long n)
{
    std::wstring text = std::to_wstring(n) + L"|";
    for (unsigned long i = 0; i < 30000; ++i)
        text += static_cast<wchar_t>(L'a' + (n + i) % 26);
    return text + L"|" + std::to_wstring(n);
}

// The counter of a well-formed payload; 0 for anything else.
unsigned long CounterOf(const std::wstring& text)
{
    const size_t bar = text.find(L'|');
    if (bar == 0 || bar == std::wstring::npos || bar > 9)
        return 0;
    const unsigned long n = std::wcstoul(text.substr(0, bar).c_str(), nullptr, 10);
    return n != 0 && text == Payload(n) ? n : 0;
}

[[noreturn]] void RunWriter(const std::wstring& folder, unsigned long first, const std::wstring& readyName)
{
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName.c_str());
    ZFileProfileStoreFactory factory(folder.c_str());
    ZProfileStore store(&factory);
    ZProfileKey key(*store.GetRootKey(), L"Settings");
    for (unsigned long n = first;; ++n) {
        if (!key.WriteString(L"Payload", Payload(n).c_str()))
            ::ExitProcess(1);
        if (n == first && ready)
            ::SetEvent(ready);
    }
}

// Runs before gtest's main: a writer child writes until it is killed.
const bool g_writerChild = [] {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments && count == 5 && std::wstring(arguments[1]) == kWriterSwitch)
        RunWriter(arguments[2], std::wcstoul(arguments[3], nullptr, 10), arguments[4]);
    ::LocalFree(arguments);
    return false;
}();

// The plain files in a folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

constexpr auto ReadBytes = &ScratchFolder::ReadBytes;

ZStringArray Array(std::initializer_list<const wchar_t*> texts)
{
    ZStringArray array;
    for (const wchar_t* text : texts)
        array.Add(ZUnicodeString(text));
    return array;
}

std::vector<std::wstring> Texts(const ZStringArray& array)
{
    std::vector<std::wstring> texts;
    for (const ZUnicodeString& text : array)
        texts.push_back(text.str());
    return texts;
}


TEST(HostStore, AllFourTypesSurviveNewStoresAndANewFactory)
{
    ScratchFolder folder;
    const BYTE blob[] = {0x00, 0xFF, 0x10, 0x7F, 0x80};
    {
        Host host(folder.Path());
        ZProfileKey app = host.Key(L"App");
        ZProfileKey deep(app, L"Window\\Placement");
        EXPECT_TRUE(app.WriteDword(L"Zero", 0));
        EXPECT_TRUE(app.WriteDword(L"Max", 0xFFFFFFFF));
        EXPECT_TRUE(app.WriteString(L"Title", L"Main window"));
        EXPECT_TRUE(app.WriteString(L"Empty", L""));
        EXPECT_TRUE(deep.WriteBinary(L"Blob", blob, sizeof(blob)));
        EXPECT_TRUE(deep.WriteBinary(L"NoBytes", nullptr, 0));
        EXPECT_TRUE(deep.WriteStringArray(L"List", Array({L"a", L"", L"c, d"})));
        EXPECT_TRUE(deep.WriteStringArray(L"None", ZStringArray()));
        EXPECT_TRUE(deep.WriteStringArray(L"OneEmpty", Array({L""})));

        // Another store of the same factory sees the writes at once.
        ZProfileStore other(&host.factory);
        DWORD n = 0;
        EXPECT_TRUE(ZProfileKey(*other.GetRootKey(), L"App").ReadDword(L"Max", n));
        EXPECT_EQ(n, 0xFFFFFFFFu);
    }
    const Tree expected = {
        {L"|Zero", L"0:0"},          {L"|Max", L"0:4294967295"},
        {L"|Title", L"1:Main window"}, {L"|Empty", L"1:"},
        {L"\\Window", L"key"},      {L"\\Window\\Placement", L"key"},
        {L"\\Window\\Placement|Blob", L"2:0.255.16.127.128."}, {L"\\Window\\Placement|NoBytes", L"2:"},
        {L"\\Window\\Placement|List", L"3:a||c, d|"},          {L"\\Window\\Placement|None", L"3:"},
        {L"\\Window\\Placement|OneEmpty", L"3:|"},
    };
    EXPECT_EQ(TreeOf(Host(folder.Path()).Key(L"App")), expected);
}

TEST(HostStore, ReadsOfTheWrongTypeOrTooSmallABufferFailAndChangeNothing)
{
    ScratchFolder folder;
    Host host(folder.Path());
    ZProfileKey key = host.Key(L"App");
    ASSERT_TRUE(key.WriteString(L"Text", L"42"));
    const BYTE blob[] = {1, 2, 3, 4};
    ASSERT_TRUE(key.WriteBinary(L"Blob", blob, 4));

    DWORD n = 7;
    EXPECT_FALSE(key.ReadDword(L"Text", n));
    EXPECT_FALSE(key.ReadDword(L"Missing", n));
    EXPECT_EQ(n, 7u);
    BYTE small[2] = {9, 9};
    DWORD size = 2;
    EXPECT_FALSE(key.ReadBinary(L"Blob", small, size));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(small[0], 9);
    ZUnicodeString text(L"keep");
    EXPECT_FALSE(key.ReadString(L"Missing", text));
    EXPECT_EQ(text, L"keep");
    ZStringArray array = Array({L"keep"});
    EXPECT_FALSE(key.ReadStringArray(L"Text", array));
    EXPECT_EQ(Texts(array), (std::vector<std::wstring>{L"keep"}));
}

TEST(HostStore, AwkwardNamesAndTextsSurvive)
{
    const std::wstring texts[] = {
        L"a=b",          L"[section]",   L"line\nbreak", L"cr\rlf\r\n",      L"tab\there",
        L"semi;colon",   L"comma,",      L"per%cent",    L"%0041",           L" leading",
        L"trailing ",    L"back\\slash", L"caf\u00e9",   L"\u65e5\u672c",    L"\U0001F600 smile",
        L"lone \xD800!", L"\xDC00",      L"=",           L"\x01\x1F\x7F",    L"  ",
    };
    ScratchFolder folder;
    Tree expected;
    {
        Host host(folder.Path());
        ZProfileKey key = host.Key(L"Names");
        for (const std::wstring& text : texts) {
            EXPECT_TRUE(key.WriteString(text.c_str(), text.c_str())) << testing::PrintToString(text);
            expected[L"|" + text] = L"1:" + text;
            if (text.find(L'\\') != std::wstring::npos)
                continue;  // a path, not a name, for a key
            EXPECT_TRUE(ZProfileKey(key, text.c_str()).WriteStringArray(L"v", Array({text.c_str(), text.c_str()})));
            expected[L"\\" + text] = L"key";
            expected[L"\\" + text + L"|v"] = L"3:" + text + L"|" + text + L"|";
        }
    }
    Host host(folder.Path());
    ZProfileKey key = host.Key(L"Names");
    EXPECT_EQ(TreeOf(key), expected);
    // Names come back from iteration exactly as written, in the same order.
    std::vector<std::wstring> seen;
    ZProfileKeyIterator values(key, true);
    ZUnicodeString name;
    DWORD type = 0;
    while (values.NextValue(name, type))
        seen.push_back(name.str());
    EXPECT_EQ(seen, std::vector<std::wstring>(std::begin(texts), std::end(texts)));
}

// The folder, given with a trailing backslash here, is made at the first write.
TEST(HostStore, EachTopLevelKeyIsOneIniFileWithItsSubkeys)
{
    ScratchFolder scratch;
    const std::wstring folder = scratch.Path() + L"\\one\\two";
    ZFileProfileStoreFactory factory((folder + L"\\").c_str());
    EXPECT_EQ(factory.GetFolder(), folder);
    {
        ZProfileStore store(&factory);
        ZProfileKey app(*store.GetRootKey(), L"AppMenuToolbarV3");
        ZProfileKey untouched(*store.GetRootKey(), L"OnlyOpened");
        DWORD n = 0;
        EXPECT_FALSE(app.ReadDword(L"ToolBar-Version", n)) << "a missing folder reads as empty";
        EXPECT_TRUE(app.WriteDword(L"ToolBar-Version", 4));
        EXPECT_TRUE(ZProfileKey(ZProfileKey(app, L"Sub"), L"Deeper").WriteString(L"x", L"y"));
        EXPECT_TRUE(ZProfileKey(*store.GetRootKey(), L"Other").WriteDword(L"n", 1));
        EXPECT_EQ(factory.GetFilePath(L"Other"), folder + L"\\Other.ini");
    }
    EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{L"AppMenuToolbarV3.ini", L"Other.ini"}))
        << "a key only opened is not stored";
    const std::string text = ReadBytes(folder + L"\\AppMenuToolbarV3.ini");
    EXPECT_NE(text.find("ToolBar-Version=dword:4\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Sub\\Deeper]\r\nx=sz:y\r\n"), std::string::npos) << text;

    // The root's child keys are the files; the root has no file for values.
    ZProfileStore store(&factory);
    const Tree expected = {
        {L"\\AppMenuToolbarV3", L"key"},       {L"\\AppMenuToolbarV3|ToolBar-Version", L"0:4"},
        {L"\\AppMenuToolbarV3\\Sub", L"key"},  {L"\\AppMenuToolbarV3\\Sub\\Deeper", L"key"},
        {L"\\AppMenuToolbarV3\\Sub\\Deeper|x", L"1:y"},
        {L"\\Other", L"key"},                  {L"\\Other|n", L"0:1"},
    };
    EXPECT_EQ(TreeOf(*store.GetRootKey()), expected);
    EXPECT_FALSE(store.GetRootKey()->WriteDword(L"AtRoot", 1));
}

TEST(HostStore, NamesIgnoreCaseAndKeepTheirFirstCase)
{
    ScratchFolder folder;
    {
        Host host(folder.Path());
        ZProfileKey key = host.Key(L"MixedCase\\Child");
        EXPECT_TRUE(key.WriteDword(L"Value", 1));
        EXPECT_TRUE(key.WriteDword(L"VALUE", 2));
    }
    Host host(folder.Path());
    ZProfileKey key = host.Key(L"MIXEDCASE\\child");
    DWORD n = 0;
    EXPECT_TRUE(key.ReadDword(L"value", n));
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(key.WriteDword(L"vAlUe", 3));
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::wstring>{L"MixedCase.ini"}));
    EXPECT_EQ(TreeOf(host.Key(L"mixedcase")), (Tree{{L"\\Child", L"key"}, {L"\\Child|Value", L"0:3"}}));
}

TEST(HostStore, TopLevelNamesMustBeFileNamesAndPathsHaveNoEmptyParts)
{
    ScratchFolder folder;
    Host host(folder.Path());
    const std::wstring refused[] = {L"", L"a/b", L"x:y", L"what?", L"star*", L"pipe|", L"q\"uote", L"<a>",
                                    L"CON", L"nul", L"Com1", L"LPT9.old", L"aux ", L"ctl\x01", L"\\lead",
                                    L"trail\\", L"a\\\\b", std::wstring(252, L'x')};
    for (const std::wstring& name : refused) {
        SCOPED_TRACE(testing::PrintToString(name));
        ZProfileKey key = host.Key(name.c_str());
        EXPECT_FALSE(key.IsOpen());
        EXPECT_FALSE(key.WriteDword(L"n", 1));
    }
    EXPECT_TRUE(host.Key(std::wstring(251, L'x').c_str()).IsOpen());
    const std::wstring accepted[] = {L"CONSOLE", L"COM", L"a.b", L"..x", L"sp ace"};
    for (const std::wstring& name : accepted) {
        SCOPED_TRACE(testing::PrintToString(name));
        EXPECT_TRUE(host.Key(name.c_str()).WriteDword(L"n", 1));
        EXPECT_NE(ReadBytes(host.factory.GetFilePath(name.c_str())), "<missing>");
    }
    EXPECT_TRUE(host.Key(L"Top\\CON\\a:b?").WriteDword(L"n", 1)) << "below the top level any name will do";
}

TEST(HostStore, ATopLevelNameBeyondAsciiNamesItsFile)
{
    ScratchFolder folder;
    const std::wstring probe = folder.Path() + L"\\probe-\u00e9";
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "this Wine cannot make non-ASCII file names (no UTF-8 locale on the host), error "
                     << ::GetLastError();
    ::CloseHandle(file);
    ::DeleteFileW(probe.c_str());

    Host host(folder.Path());
    EXPECT_TRUE(host.Key(L"Caf\u00e9 \u65e5\u672c").WriteDword(L"n", 1));
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::wstring>{L"Caf\u00e9 \u65e5\u672c.ini"});
}

// A write that fails at any step leaves the old file as it was, no temporary
// file behind, and the old value in memory.
TEST(HostStore, AFailedWriteKeepsThePreviousFileWholeAndLeavesNoTemporaryFile)
{
    using Step = ZFileProfileStoreFactory::WriteStep;
    for (Step failing : {Step::CreateTemporary, Step::Write, Step::Flush, Step::Replace}) {
        SCOPED_TRACE(static_cast<int>(failing));
        ScratchFolder folder;
        Host host(folder.Path());
        ZProfileKey key = host.Key(L"Settings");
        ASSERT_TRUE(key.WriteString(L"Name", std::wstring(5000, L'a').c_str()));
        ASSERT_TRUE(key.WriteDword(L"Counter", 1));
        const std::wstring path = host.factory.GetFilePath(L"Settings");
        const std::string before = ReadBytes(path);
        const Tree tree = TreeOf(key);

        std::vector<Step> seen;
        host.factory.SetWriteFaultHook([&](Step step) {
            seen.push_back(step);
            return step == failing;
        });
        EXPECT_FALSE(key.WriteDword(L"Counter", 2));
        EXPECT_FALSE(key.WriteString(L"New", L"value"));
        EXPECT_EQ(seen.back(), failing);
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::wstring>{L"Settings.ini"});
        EXPECT_EQ(TreeOf(key), tree) << "the values in memory went back too";

        host.factory.SetWriteFaultHook(nullptr);
        EXPECT_TRUE(key.WriteDword(L"Counter", 2));
        EXPECT_EQ(TreeOf(Host(folder.Path()).Key(L"Settings")).at(L"|Counter"), L"0:2");
    }
}

TEST(HostStore, WritingAnEqualValueDoesNotTouchTheDisk)
{
    ScratchFolder folder;
    Host host(folder.Path());
    ZProfileKey key = host.Key(L"Same");
    ASSERT_TRUE(key.WriteStringArray(L"List", Array({L"a"})));
    int writes = 0;
    host.factory.SetWriteFaultHook([&](ZFileProfileStoreFactory::WriteStep step) {
        writes += step == ZFileProfileStoreFactory::WriteStep::CreateTemporary;
        return false;
    });
    EXPECT_TRUE(key.WriteStringArray(L"List", Array({L"a"})));
    EXPECT_EQ(writes, 0);
    EXPECT_TRUE(key.WriteStringArray(L"List", Array({L"a", L"b"})));
    EXPECT_EQ(writes, 1);
}

TEST(HostStore, HandEditedFilesAreRead)
{
    ScratchFolder folder;
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.Path() + L"\\Edited.ini",
                                          "\xEF\xBB\xBF; written by hand\n"
                                          "  Width = dword: 800  \n"
                                          "\n"
                                          "Name=sz:caf\xC3\xA9 %0020\r\n"
                                          "[ Recent ]\n"
                                          "Files=multi_sz:a,b,\n"
                                          "[Recent\\Deep]\n"
                                          "Bytes=hex:00FFab\n"));
    Host host(folder.Path());
    ZProfileKey top = host.Key(L"Edited");
    const Tree expected = {
        {L"|Width", L"0:800"},        {L"|Name", L"1:caf\u00e9  "},
        {L"\\Recent", L"key"},        {L"\\Recent|Files", L"3:a|b|"},
        {L"\\Recent\\Deep", L"key"}, {L"\\Recent\\Deep|Bytes", L"2:0.255.171."},
    };
    EXPECT_EQ(TreeOf(top), expected);
    EXPECT_TRUE(top.WriteDword(L"Width", 1024)) << "a file fully understood may be written";
}

TEST(HostStore, AFileItCannotFullyUnderstandIsReadButNeverOverwritten)
{
    const struct {
        const char* what;
        const char* text;
    } cases[] = {
        {"unknown type", "Good=dword:1\nFuture=qword:5\n"},
        {"line without =", "Good=dword:1\njust words\n"},
        {"number too large", "Good=dword:1\nBig=dword:4294967296\n"},
        {"odd hex", "Good=dword:1\nB=hex:abc\n"},
        {"bad escape", "Good=dword:1\nS=sz:50%\n"},
        {"array without final comma", "Good=dword:1\nA=multi_sz:a,b\n"},
        {"name given twice", "Good=dword:1\nGood=dword:2\n"},
        {"unclosed section", "Good=dword:1\n[Sub\nX=dword:1\n"},
        {"empty path part", "Good=dword:1\n[a\\\\b]\n"},
        {"bad UTF-8", "Good=dword:1\nS=sz:\xC3\x28\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const std::wstring path = folder.Path() + L"\\Odd.ini";
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, c.text));
        Host host(folder.Path());
        ZProfileKey key = host.Key(L"Odd");
        ASSERT_TRUE(key.IsOpen());
        DWORD n = 0;
        if (std::string(c.what) != "bad UTF-8") {
            EXPECT_TRUE(key.ReadDword(L"Good", n));
            EXPECT_EQ(n, 1u);
        }
        EXPECT_FALSE(key.WriteDword(L"Good", 3));
        EXPECT_FALSE(ZProfileKey(key, L"Sub").WriteDword(L"New", 3));
        EXPECT_EQ(ReadBytes(path), c.text);
    }
}

TEST(HostStore, KeysDeeperThan512LevelsAreRefused)
{
    ScratchFolder folder;
    std::string deepSection = "Good=dword:1\n[a";
    for (int i = 0; i < 100000; ++i)
        deepSection += "\\a";
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.Path() + L"\\Deep.ini", deepSection + "]\nX=dword:1\n"));

    Host host(folder.Path());
    ZProfileKey fromFile = host.Key(L"Deep");
    DWORD n = 0;
    EXPECT_TRUE(fromFile.ReadDword(L"Good", n));
    EXPECT_FALSE(fromFile.WriteDword(L"Good", 2)) << "the file held more than this store takes";

    std::wstring path = L"Top";
    for (int i = 0; i < 511; ++i)
        path += L"\\k";
    ZProfileKey deepest = host.Key(path.c_str());
    EXPECT_TRUE(deepest.WriteDword(L"n", 1));
    EXPECT_FALSE(ZProfileKey(deepest, L"one\\more").IsOpen());
    EXPECT_TRUE(ZProfileKey(deepest, L"last").WriteDword(L"n", 1));
    EXPECT_FALSE(ZProfileKey(ZProfileKey(deepest, L"last"), L"beyond").IsOpen());
}

// A name can never hold a NUL unit through the interface, so one read from a
// file (raw or escaped) cannot be opened by the name it enumerates as: such a
// file is not understood, and a write must leave it as it was rather than add
// the key that opening the shortened name made. The first input is the one
// the fuzz run found.
TEST(HostStore, NamesHoldingNulMakeTheFileReadOnly)
{
    const std::string found(
        "n=dword:123456\r\ns=sz:x%003Dy%003B%000A\xc3\xa9 %005Ba%005D %002C%0025\r\n[S\x00"
        "003D1]\r\n[S%003D1\\T]\r\na=multi_sz:p,q%002Cr,\r\nb=hex:0102fa\r\n[S%003D1\\T\\U]\r\n"
        "[S%003D1\\T\\U\\V]\r\n[S%003D1\\T\\U\\V\\W]\r\n%0020lead=sz:%D800 lone\r\n",
        202);
    const std::string files[] = {found, "[A%0000B]\r\nn=dword:1\r\n", "x%0000y=dword:1\r\n"};
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        ScratchFolder folder;
        const std::wstring path = folder.Path() + L"\\M.ini";
        ASSERT_TRUE(ScratchFolder::WriteBytes(path, file));
        {
            Host host(folder.Path());
            ZProfileKey key = host.Key(L"M");
            ASSERT_TRUE(key.IsOpen());
            TreeOf(key);
            EXPECT_FALSE(key.WriteDword(L"probe", 1));
        }
        EXPECT_EQ(ReadBytes(path), file);
    }
}

// Two factories over one folder stand for two processes of the host: neither
// loses what the other wrote, and a file the other left unreadable is kept.
TEST(HostStore, WritesOfAnotherWriterToTheSameFileAreKept)
{
    ScratchFolder folder;
    Host first(folder.Path()), second(folder.Path());
    ZProfileKey a = first.Key(L"Shared");
    ZProfileKey b = second.Key(L"Shared");
    ASSERT_TRUE(a.WriteDword(L"FromFirst", 1));
    ASSERT_TRUE(b.WriteDword(L"FromSecond", 2));  // b loaded before a's write
    ASSERT_TRUE(ZProfileKey(b, L"Child").WriteString(L"Deep", L"x"));
    ASSERT_TRUE(a.WriteDword(L"Both", 3));
    ASSERT_TRUE(b.WriteDword(L"Both", 4));
    ASSERT_TRUE(a.WriteDword(L"Later", 5));

    DWORD n = 0;
    EXPECT_TRUE(a.ReadDword(L"FromSecond", n)) << "taken in at the first's next write";
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(a.ReadDword(L"Both", n));
    EXPECT_EQ(n, 4u) << "the last writer wins a value both wrote";
    const Tree expected = {{L"|FromFirst", L"0:1"}, {L"|FromSecond", L"0:2"}, {L"|Both", L"0:4"},
                           {L"|Later", L"0:5"},     {L"\\Child", L"key"},     {L"\\Child|Deep", L"1:x"}};
    EXPECT_EQ(TreeOf(Host(folder.Path()).Key(L"Shared")), expected);

    const std::string spoiled = "n=dword:1\nfuture=newtype:1\n";
    ASSERT_TRUE(ScratchFolder::WriteBytes(first.factory.GetFilePath(L"Shared"), spoiled));
    EXPECT_FALSE(a.WriteDword(L"n", 2));
    EXPECT_EQ(ReadBytes(first.factory.GetFilePath(L"Shared")), spoiled);
}

// Each kill must leave the old or the new value, and the next write (here, by
// the test) removes the temporaries of writers that are gone but never those of
// a live one.
TEST(HostStore, AKilledWriterLeavesAWholeFileAndTheNextWriteRemovesItsTemporary)
{
    constexpr int kKills = 25;
    ScratchFolder folder;
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    // A temporary of this live process, made before any write, must survive.
    const std::wstring live = L"Settings.ini." + pid + L".999999.tmp";
    ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(live), "live writer"));

    TestSupport::SeededRandom random;
    unsigned long seen = 0;
    int leftovers = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE(testing::Message() << "kill " << kill);
        const std::wstring readyName = L"TessaroHostStoreWriter-" + pid + L"-" + std::to_wstring(kill);
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
        ASSERT_NE(ready, nullptr);
        TestSupport::ChildProcess child(std::wstring(kWriterSwitch) + L" \"" + folder.Path() + L"\" " +
                                        std::to_wstring(seen + 1) + L" " + readyName);
        ASSERT_TRUE(child.Started());
        HANDLE waits[] = {ready, child.Handle()};
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, kSlow);
        ::Sleep(random.Between(0, 40));
        ::TerminateProcess(child.Handle(), 99);
        ::WaitForSingleObject(child.Handle(), kSlow);
        const std::wstring deadPrefix = L"Settings.ini." + std::to_wstring(child.Id()) + L".";
        ::CloseHandle(ready);
        ASSERT_EQ(woke, WAIT_OBJECT_0) << "the writer never wrote";
        const std::vector<std::wstring> before = FilesIn(folder.Path());
        leftovers += static_cast<int>(std::count_if(before.begin(), before.end(), [&](const std::wstring& name) {
            return name.starts_with(deadPrefix);
        }));

        Host host(folder.Path());
        ZProfileKey key = host.Key(L"Settings");
        ZUnicodeString text;
        ASSERT_TRUE(key.ReadString(L"Payload", text));
        const unsigned long counter = CounterOf(text.str());
        ASSERT_NE(counter, 0u) << "torn value";
        EXPECT_GE(counter, seen) << "older than a value read before";
        seen = counter;
        ASSERT_TRUE(key.WriteDword(L"Round", static_cast<DWORD>(kill))) << "the file is no longer writable";
        EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::wstring>{L"Settings.ini", live}))
            << "a dead writer's temporary left behind, or the live one's removed";
    }
    std::printf("%d kills, %d temporaries left by them\n", kKills, leftovers);
    RecordProperty("kills", kKills);
    RecordProperty("leftovers", leftovers);
}

// A process id is reused: a temporary made before the process now holding its
// id started was left by an earlier, dead process. Anything not named as our
// temporaries stays.
TEST(HostStore, TemporariesOlderThanTheProcessHoldingTheirIdAreRemoved)
{
    ScratchFolder folder;
    const std::wstring reused = folder.File(L"Settings.ini." + std::to_wstring(::GetCurrentProcessId()) + L".1.tmp");
    for (const wchar_t* name : {L"Other.ini.1.1.tmp", L"Settings.ini.12.tmp", L"Settings.ini.x.1.tmp"})
        ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(name), "not ours"));
    ASSERT_TRUE(ScratchFolder::WriteBytes(reused, "reused id"));
    HANDLE planted = ::CreateFileW(reused.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(planted, INVALID_HANDLE_VALUE);
    const FILETIME longAgo = {0x00000000u, 0x01BF53EBu};  // 2000-01-01
    ASSERT_TRUE(::SetFileTime(planted, &longAgo, nullptr, &longAgo));
    ::CloseHandle(planted);

    Host host(folder.Path());
    ASSERT_TRUE(host.Key(L"Settings").WriteDword(L"Round", 1));
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::wstring>{L"Other.ini.1.1.tmp", L"Settings.ini",
                                                                  L"Settings.ini.12.tmp", L"Settings.ini.x.1.tmp"}));
}

}  // namespace
