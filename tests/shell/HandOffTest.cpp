// Handing a command line to a running instance: the block's bytes, hostile
// blocks read through guard pages (fuzz_handoff feeds their mutations), and
// the hand-off between two processes (the test program starts itself again as
// the second instance).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "net/ZPacket.h"
#include "shell/ZHandOff.h"
#include "shell/ZMemoryMappedBuffer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/MessagePump.h"

namespace HandOffTest {

using Bytes = std::vector<unsigned char>;
using Strings = std::vector<std::wstring>;

constexpr wchar_t kChildSwitch[] = L"--handoff-child";
constexpr DWORD kSent = 1;
constexpr DWORD kNotSent = 2;
const Bytes kAAndEAcute = {0, 0, 0, 1, 0x61, 0, 0, 0, 2, 0xC3, 0xA9};

ZArray<ZUnicodeString> Arguments(std::initializer_list<const wchar_t*> texts)
{
    ZArray<ZUnicodeString> arguments;
    for (const wchar_t* text : texts)
        arguments.Add(ZUnicodeString(std::wstring(text)));
    return arguments;
}

Strings Texts(const ZArray<ZUnicodeString>& arguments)
{
    Strings texts;
    for (const ZUnicodeString& argument : arguments)
        texts.emplace_back(argument.c_str(), argument.length());
    return texts;
}

// The second instance: `<switch> <class> <section> <message> <activate> [<text>]`
// hands over "a" and "é" (or the text and "é") and exits with kSent or kNotSent.
const bool g_childDone = [] {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv || (count != 6 && count != 7) || std::wstring(argv[1]) != kChildSwitch) {
        ::LocalFree(argv);
        return false;
    }
    const bool sent = SendMessageToExistingApp(argv[3], argv[2], static_cast<UINT>(_wtoi(argv[4])),
                                               Arguments({count == 7 ? argv[6] : L"a", L"\u00e9"}),
                                               argv[5][0] == L'1');
    ::ExitProcess(sent ? kSent : kNotSent);
    return true;
}();

// The block's bytes; nothing when the arguments are refused.
std::optional<Bytes> BlockOf(const ZArray<ZUnicodeString>& arguments)
{
    ZPacket packet;
    if (!Tessaro::WriteHandOffBlock(arguments, packet))
        return std::nullopt;
    Bytes bytes(packet.GetTotalLength());
    ZByteBlock block{bytes.size(), bytes.data()};
    if (!bytes.empty())
        packet.GetBytes(block, LengthGiven);
    return bytes;
}

// An IBuffer over bytes that end at a guard page: a read past them faults.
class GuardedIBuffer : public ZUnknown<IBuffer> {
public:
    explicit GuardedIBuffer(const Bytes& bytes) : m_bytes(bytes) {}
    const unsigned char* GetData() const override { return m_bytes.Data(); }
    unsigned char* GetData() override { return m_bytes.Data(); }
    size_t GetCapacity() const override { return m_bytes.Size(); }
    size_t GetDataLength() const override { return m_length; }
    void SetDataLength(size_t length) override { m_length = length; }
    void* Append(const void*, size_t, size_t) override { return nullptr; }

private:
    TestSupport::GuardedBuffer m_bytes;
    size_t m_length = 0;
};

bool Read(const Bytes& bytes, size_t length, size_t count, ZArray<ZUnicodeString>& arguments)
{
    GuardedIBuffer buffer(bytes);
    buffer.AddRef();  // on the stack: the packet's Release must not delete it
    return Tessaro::ReadHandOffBlock(&buffer, length, count, arguments);
}

TEST(HandOffBlock, ArgumentsBecomeBigEndianLengthsAndUtf8)
{
    const struct {
        const char* name;
        ZArray<ZUnicodeString> arguments;
        std::optional<Bytes> bytes;  // nothing: refused
    } cases[] = {
        {"none", Arguments({}), Bytes{}},
        {"empty argument", Arguments({L""}), Bytes{0, 0, 0, 0}},
        {"a and e-acute", Arguments({L"a", L"\u00e9"}), kAAndEAcute},
        {"lone high surrogate", Arguments({L"x\xD800"}), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BlockOf(c.arguments), c.bytes);
    }
}

// Invalid UTF-8 inside a string is the packet's to refuse (tests/net PacketText).
TEST(HandOffBlock, AllStringsOrNoneAreRead)
{
    const Bytes good = kAAndEAcute;
    const struct {
        const char* name;
        Bytes bytes;
        size_t length;
        size_t count;  // SIZE_MAX: the first string alone
        Strings read;  // none: refused
    } cases[] = {
        {"both", good, good.size(), 2, {L"a", L"\u00e9"}},
        {"the first alone ignores the rest", {0, 0, 0, 1, 0x61, 0xFF, 0xFF}, 7, SIZE_MAX, {L"a"}},
        {"length field past the block", {0xFF, 0xFF, 0xFF, 0xFF, 0x61}, 5, 1, {}},
        {"length one past the end", {0, 0, 0, 2, 0x61}, 5, 1, {}},
        {"length field cut short", {0, 0, 0}, 3, 1, {}},
        {"truncated second string", Bytes(good.begin(), good.end() - 1), good.size() - 1, 2, {}},
        {"lParam shorter than the block", good, 10, 2, {}},
        {"lParam beyond the section", good, good.size() + 1, 2, {}},
        {"more strings claimed than sent", good, good.size(), 3, {}},
        {"bytes left after the strings", good, good.size(), 1, {}},
        {"empty block with one claimed", {}, 0, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZArray<ZUnicodeString> arguments = Arguments({L"stale"});
        EXPECT_EQ(Read(c.bytes, c.length, c.count, arguments), !c.read.empty());
        EXPECT_EQ(Texts(arguments), c.read);
    }
}

std::wstring UniqueName(const wchar_t* what)
{
    static int counter = 0;
    return std::wstring(L"TessaroHandOffTest-") + what + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

TEST(HandOffSection, TheReceiverRefusesLengthsTheSectionDoesNotHold)
{
    const std::wstring name = UniqueName(L"section");
    const Bytes good = {0, 0, 0, 1, 0x61};
    ZUnknownPointer<ZMemoryMappedBuffer> section;
    section.Attach(new ZMemoryMappedBuffer(name.c_str(), good.size(), true));
    ASSERT_TRUE(section->IsMapped());
    ASSERT_NE(section->Append(good.data(), good.size(), 0), nullptr);

    EXPECT_EQ(std::wstring(LParamToString(name.c_str(), 5).c_str()), L"a");
    ZArray<ZUnicodeString> arguments;
    EXPECT_TRUE(LParamToStrings(name.c_str(), 1, 5, arguments));
    EXPECT_EQ(Texts(arguments), Strings{L"a"});
    // A count no block of that length can hold is not read as "the first one".
    EXPECT_FALSE(LParamToStrings(name.c_str(), SIZE_MAX, 5, arguments));
    EXPECT_FALSE(LParamToStrings(name.c_str(), 2, 5, arguments));
    EXPECT_EQ(arguments.GetCount(), 0u);
    const std::wstring missing = UniqueName(L"missing");
    for (const auto& [sectionName, length] : {std::pair{name, LPARAM(-1)}, std::pair{name, LPARAM(0x7FFFFFFF)},
                                              std::pair{name, LPARAM(section->GetCapacity() + 1)},
                                              std::pair{missing, LPARAM(5)}}) {
        SCOPED_TRACE(testing::Message() << length);
        EXPECT_TRUE(LParamToString(sectionName.c_str(), length).empty());
        EXPECT_FALSE(LParamToStrings(sectionName.c_str(), 1, length, arguments));
    }
}

TEST(HandOffSection, ABufferNeverGrowsPastItsSection)
{
    ZUnknownPointer<ZMemoryMappedBuffer> section;
    section.Attach(new ZMemoryMappedBuffer(UniqueName(L"grow").c_str(), 10, true));
    ASSERT_TRUE(section->IsMapped());
    const size_t capacity = section->GetCapacity();
    EXPECT_GE(capacity, 10u);
    EXPECT_NE(section->Append(nullptr, capacity, 0), nullptr);
    EXPECT_EQ(section->Append("x", 1, 0), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_THROW(section->SetDataLength(capacity + 1), std::overflow_error);
}

// The first instance: a window of its own class that records the hand-off it
// receives while the sender waits.
struct FirstInstance {
    FirstInstance()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className.c_str();
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, className.c_str(), L"first", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FirstInstance()
    {
        ::DestroyWindow(window);
        ::UnregisterClassW(className.c_str(), ::GetModuleHandleW(nullptr));
    }

    // Starts one second instance per text (empty: the usual "a") at once and
    // pumps messages until all have exited; their exit codes.
    std::vector<DWORD> RunSecondInstances(bool activate, const std::vector<std::wstring>& texts)
    {
        std::deque<TestSupport::ChildProcess> children;
        std::vector<HANDLE> processes;
        for (const std::wstring& text : texts) {
            std::wstring arguments = std::wstring(kChildSwitch) + L" " + className + L" " + section + L" " +
                                     std::to_wstring(message) + L" " + (activate ? L"1" : L"0");
            if (!text.empty())
                arguments += L" " + text;
            if (children.emplace_back(arguments).Started())
                processes.push_back(children.back().Handle());
        }
        const DWORD started = ::GetTickCount();
        const DWORD count = static_cast<DWORD>(processes.size());
        while (::WaitForMultipleObjects(count, processes.data(), TRUE, 0) != WAIT_OBJECT_0 &&
               ::GetTickCount() - started < 60000) {
            ::MsgWaitForMultipleObjects(count, processes.data(), FALSE, 100, QS_ALLINPUT);
            TestSupport::PumpPending();
        }
        std::vector<DWORD> codes;
        for (const TestSupport::ChildProcess& child : children)
            codes.push_back(child.ExitCode());
        return codes;
    }

    const std::wstring className = UniqueName(L"class");
    const std::wstring section = UniqueName(L"block");
    const UINT message = ::RegisterWindowMessageW(UniqueName(L"message").c_str());
    HWND window = nullptr;
    int received = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    Bytes rawBlock;
    bool read = false;
    Strings strings;
    std::vector<Strings> everyHandOff;
    bool iconicWhenReceived = false;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<FirstInstance*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || message != self->message)
            return ::DefWindowProcW(window, message, wParam, lParam);
        ++self->received;
        self->wParam = wParam;
        self->lParam = lParam;
        self->iconicWhenReceived = ::IsIconic(window) != FALSE;
        // The section's bytes as they are, read without the code under test.
        if (HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, self->section.c_str())) {
            if (void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
                self->rawBlock.assign(static_cast<unsigned char*>(view), static_cast<unsigned char*>(view) + lParam);
                ::UnmapViewOfFile(view);
            }
            ::CloseHandle(mapping);
        }
        ZArray<ZUnicodeString> arguments;
        self->read = LParamToStrings(self->section.c_str(), wParam, lParam, arguments);
        self->strings = Texts(arguments);
        self->everyHandOff.push_back(self->strings);
        return 0;
    }
};

TEST(HandOffProcesses, ASecondInstanceHandsItsArgumentsToTheFirst)
{
    const struct {
        const char* name;
        int show;
        bool activate;
    } cases[] = {{"shown", SW_SHOWNORMAL, false},
                 {"minimized, left so", SW_SHOWMINIMIZED, false},
                 {"minimized, restored when asked", SW_SHOWMINIMIZED, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FirstInstance first;
        ASSERT_NE(first.window, nullptr);
        ::ShowWindow(first.window, c.show);
        ASSERT_EQ(first.RunSecondInstances(c.activate, {L""}).front(), kSent);
        ASSERT_EQ(first.received, 1);
        EXPECT_EQ(first.wParam, 2u);
        EXPECT_EQ(first.rawBlock, kAAndEAcute);  // as many bytes as lParam says
        EXPECT_TRUE(first.read);
        EXPECT_EQ(first.strings, (Strings{L"a", L"\u00e9"}));
        const bool minimized = c.show == SW_SHOWMINIMIZED && !c.activate;
        EXPECT_EQ(first.iconicWhenReceived, minimized);
        EXPECT_EQ(::IsIconic(first.window) != FALSE, minimized);
        // Released once the send returned.
        EXPECT_EQ(::OpenFileMappingW(FILE_MAP_READ, FALSE, first.section.c_str()), nullptr);
    }
}

// Another process made the section first with its pages only reserved:
// touching them would fault, so neither side does and the hand-off fails.
// Each side runs in a child process, which a fault would end.
TEST(HandOffSection, AReservedSectionIsNeitherWrittenNorRead)
{
    const auto handOff = [](bool send) {
        FirstInstance first;
        const HANDLE reserved = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_RESERVE, 0,
                                                     65536, first.section.c_str());
        if (!reserved)
            std::exit(3);
        ZArray<ZUnicodeString> arguments;
        const bool handed = send ? SendMessageToExistingApp(first.section.c_str(), first.className.c_str(),
                                                            first.message, Arguments({L"a"}), false)
                                 : LParamToStrings(first.section.c_str(), 1, 5, arguments) ||
                                       !LParamToString(first.section.c_str(), 5).empty();
        std::exit(handed ? 1 : 0);
    };
    EXPECT_EXIT(handOff(true), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(handOff(false), testing::ExitedWithCode(0), "");
}

TEST(HandOffProcesses, SecondInstancesStartedTogetherEachHandOverTheirOwnArguments)
{
    FirstInstance first;
    ASSERT_NE(first.window, nullptr);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        first.everyHandOff.clear();
        std::vector<std::wstring> texts;
        for (int i = 0; i < 8; ++i)  // lengths differ, so a mixed block shows
            texts.push_back(std::to_wstring(round) + std::wstring(i * 3 + 1, L'a' + i));
        const std::vector<DWORD> codes = first.RunSecondInstances(false, texts);
        for (size_t i = 0; i < texts.size(); ++i) {
            const Strings sent{texts[i], L"\u00e9"};
            const auto own = std::count(first.everyHandOff.begin(), first.everyHandOff.end(), sent);
            EXPECT_TRUE(codes[i] == kSent ? own == 1 : codes[i] == kNotSent) << i;
        }
    }
}

TEST(HandOff, WithoutAnArgumentNoSectionIsMade)
{
    FirstInstance first;
    const ZArray<ZUnicodeString> none;
    ASSERT_TRUE(SendMessageToExistingApp(first.section.c_str(), first.className.c_str(), first.message, none, false));
    EXPECT_EQ(first.received, 1);
    EXPECT_EQ(first.wParam, 0u);
    EXPECT_EQ(first.lParam, 0);
    EXPECT_TRUE(first.rawBlock.empty());
    EXPECT_TRUE(first.read);
    EXPECT_TRUE(first.strings.empty());
}

TEST(HandOff, ABlockThatCannotBePlacedIsNotSent)
{
    FirstInstance first;
    // The section's name already belongs to an object of another kind.
    HANDLE squatter = ::CreateMutexW(nullptr, FALSE, first.section.c_str());
    ASSERT_NE(squatter, nullptr);
    EXPECT_FALSE(SendMessageToExistingApp(first.section.c_str(), first.className.c_str(), first.message,
                                          Arguments({L"a"}), false));
    EXPECT_EQ(first.received, 0);
    ::CloseHandle(squatter);
}

TEST(HandOff, NoRunningInstanceSendsNothing)
{
    EXPECT_FALSE(SendMessageToExistingApp(UniqueName(L"section").c_str(), UniqueName(L"no-such-class").c_str(),
                                          WM_USER, Arguments({L"a"}), true));
}

}  // namespace HandOffTest
