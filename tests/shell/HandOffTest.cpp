// Handing a command line to a running instance: the block's bytes, hostile
// blocks read through guard pages, and the hand-off between two processes (the
// test program starts itself again as the second instance).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/ZPacket.h"
#include "shell/ZHandOff.h"
#include "shell/ZMemoryMappedBuffer.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"

namespace HandOffTest {

using Bytes = std::vector<unsigned char>;

constexpr wchar_t kChildSwitch[] = L"--handoff-child";
constexpr DWORD kSent = 1;
constexpr DWORD kNotSent = 2;
constexpr DWORD kLong = 30000;

ZArray<ZUnicodeString> Arguments(std::initializer_list<const wchar_t*> texts)
{
    ZArray<ZUnicodeString> arguments;
    for (const wchar_t* text : texts)
        arguments.Add(ZUnicodeString(text));
    return arguments;
}

std::vector<std::wstring> Texts(const ZArray<ZUnicodeString>& arguments)
{
    std::vector<std::wstring> texts;
    for (const ZUnicodeString& argument : arguments)
        texts.emplace_back(argument.c_str(), argument.length());
    return texts;
}

// The second instance: `<switch> <class> <section> <message> <activate>` hands
// over 'a' and 'é' and exits with kSent or kNotSent.
const bool g_childDone = [] {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return false;
    if (count != 6 || std::wstring(argv[1]) != kChildSwitch) {
        ::LocalFree(argv);
        return false;
    }
    const bool sent = SendMessageToExistingApp(argv[3], argv[2], static_cast<UINT>(_wtoi(argv[4])),
                                               Arguments({L"a", L"\u00e9"}), argv[5][0] == L'1');
    ::ExitProcess(sent ? kSent : kNotSent);
    return true;
}();

Bytes BlockOf(const ZArray<ZUnicodeString>& arguments, bool* written = nullptr)
{
    ZPacket packet;
    const bool ok = Tessaro::WriteHandOffBlock(arguments, packet);
    if (written)
        *written = ok;
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
    struct Case {
        const char* name;
        ZArray<ZUnicodeString> arguments;
        Bytes bytes;
    };
    const Case cases[] = {
        {"none", Arguments({}), {}},
        {"empty argument", Arguments({L""}), {0, 0, 0, 0}},
        {"a and e-acute", Arguments({L"a", L"\u00e9"}), {0, 0, 0, 1, 0x61, 0, 0, 0, 2, 0xC3, 0xA9}},
        {"surrogate pair", Arguments({L"\U0001F600"}), {0, 0, 0, 4, 0xF0, 0x9F, 0x98, 0x80}},
        {"blank kept", Arguments({L"/S ServerA"}), {0, 0, 0, 10, '/', 'S', ' ', 'S', 'e', 'r', 'v', 'e', 'r', 'A'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool written = false;
        EXPECT_EQ(BlockOf(c.arguments, &written), c.bytes);
        EXPECT_TRUE(written);
    }
}

TEST(HandOffBlock, ALoneHighSurrogateIsRefused)
{
    ZArray<ZUnicodeString> arguments;
    arguments.Add(ZUnicodeString(std::wstring(L"x\xD800")));
    bool written = true;
    BlockOf(arguments, &written);
    EXPECT_FALSE(written);
}

TEST(HandOffBlock, HostileBlocksGiveNothing)
{
    struct Case {
        const char* name;
        Bytes bytes;
        size_t length;
        size_t count;
    };
    const Bytes good = {0, 0, 0, 1, 0x61, 0, 0, 0, 2, 0xC3, 0xA9};
    const Case cases[] = {
        {"length field past the block", {0xFF, 0xFF, 0xFF, 0xFF, 0x61}, 5, 1},
        {"length one past the end", {0, 0, 0, 2, 0x61}, 5, 1},
        {"length field cut short", {0, 0, 0}, 3, 1},
        {"truncated second string", Bytes(good.begin(), good.end() - 1), good.size() - 1, 2},
        {"lParam shorter than the block", good, 10, 2},
        {"lParam beyond the section", good, good.size() + 1, 2},
        {"bad continuation byte", {0, 0, 0, 2, 0xC3, 0x28}, 6, 1},
        {"lead byte F8", {0, 0, 0, 1, 0xF8}, 5, 1},
        {"above U+10FFFF", {0, 0, 0, 4, 0xF4, 0x90, 0x80, 0x80}, 8, 1},
        {"sequence cut by the length", {0, 0, 0, 1, 0xC3, 0xA9}, 6, 1},
        {"more strings claimed than sent", good, good.size(), 3},
        {"bytes left after the strings", good, good.size(), 1},
        {"empty block with one claimed", {}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZArray<ZUnicodeString> arguments = Arguments({L"stale"});
        EXPECT_FALSE(Read(c.bytes, c.length, c.count, arguments));
        EXPECT_EQ(arguments.GetCount(), 0u);
    }
}

TEST(HandOffBlock, TheFirstStringAloneIgnoresTheRest)
{
    ZArray<ZUnicodeString> arguments;
    ASSERT_TRUE(Read({0, 0, 0, 1, 0x61, 0xFF, 0xFF}, 7, SIZE_MAX, arguments));
    EXPECT_EQ(Texts(arguments), std::vector<std::wstring>{L"a"});
}

// Every bit flip, boundary byte and truncation of a good block is read or
// refused without a read past its end; a proper prefix never passes for the
// two strings.
TEST(HandOffBlock, MutatedBlocksAreReadOrRefusedWithinTheirBytes)
{
    const Bytes good = BlockOf(Arguments({L"-x", L"\u00e9t\u00e9 \U0001F600"}));
    TestSupport::Mutations mutations;
    size_t refused = 0;
    const size_t count = mutations.ForEach(good, [&](const TestSupport::Mutation& m) {
        SCOPED_TRACE(m.description);
        ZArray<ZUnicodeString> arguments;
        const bool all = Read(m.bytes, m.bytes.size(), 2, arguments);
        if (!all) {
            ++refused;
            EXPECT_EQ(arguments.GetCount(), 0u);
        } else {
            EXPECT_EQ(arguments.GetCount(), 2u);
        }
        if (m.description.rfind("prefix", 0) == 0) {
            EXPECT_FALSE(all);
        }
        Read(m.bytes, m.bytes.size(), SIZE_MAX, arguments);
    });
    EXPECT_GT(refused, count / 4);
    RecordProperty("mutated_inputs", static_cast<int>(count));
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
    EXPECT_EQ(Texts(arguments), std::vector<std::wstring>{L"a"});

    const size_t capacity = section->GetCapacity();
    for (LPARAM length : {LPARAM(-1), LPARAM(capacity + 1), LPARAM(0x7FFFFFFF)}) {
        SCOPED_TRACE(length);
        EXPECT_TRUE(LParamToString(name.c_str(), length).empty());
        EXPECT_FALSE(LParamToStrings(name.c_str(), 1, length, arguments));
    }
    EXPECT_TRUE(LParamToString(UniqueName(L"missing").c_str(), 5).empty());
    EXPECT_FALSE(LParamToStrings(UniqueName(L"missing").c_str(), 1, 5, arguments));
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
class FirstInstance {
public:
    FirstInstance() : m_className(UniqueName(L"class")), m_section(UniqueName(L"block"))
    {
        m_message = ::RegisterWindowMessageW(UniqueName(L"message").c_str());
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = m_className.c_str();
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowExW(0, m_className.c_str(), L"first", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                     nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FirstInstance()
    {
        ::DestroyWindow(m_window);
        ::UnregisterClassW(m_className.c_str(), ::GetModuleHandleW(nullptr));
    }

    // Starts the second instance and pumps messages until it exits; its exit code.
    DWORD RunSecondInstance(bool activate)
    {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(path) + L"\" " + kChildSwitch + L" " + m_className + L" " +
                               m_section + L" " + std::to_wstring(m_message) + L" " + (activate ? L"1" : L"0");
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process))
            return ~0u;
        const DWORD started = ::GetTickCount();
        while (::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
               ::GetTickCount() - started < kLong) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
        }
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process.hProcess, &code);
        else
            ::TerminateProcess(process.hProcess, 99);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return code;
    }

    HWND Window() const { return m_window; }
    const std::wstring& Section() const { return m_section; }
    UINT Message() const { return m_message; }

    int received = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    Bytes rawBlock;
    bool read = false;
    std::vector<std::wstring> strings;
    bool iconicWhenReceived = false;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<FirstInstance*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || message != self->m_message)
            return ::DefWindowProcW(window, message, wParam, lParam);
        ++self->received;
        self->wParam = wParam;
        self->lParam = lParam;
        self->iconicWhenReceived = ::IsIconic(window) != FALSE;
        // The section's bytes as they are, read without the code under test.
        if (HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, self->m_section.c_str())) {
            if (const auto* view = static_cast<const unsigned char*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
                self->rawBlock.assign(view, view + lParam);
                ::UnmapViewOfFile(view);
            }
            ::CloseHandle(mapping);
        }
        ZArray<ZUnicodeString> arguments;
        self->read = LParamToStrings(self->m_section.c_str(), wParam, lParam, arguments);
        self->strings = Texts(arguments);
        return 0;
    }

    std::wstring m_className;
    std::wstring m_section;
    UINT m_message = 0;
    HWND m_window = nullptr;
};

TEST(HandOffProcesses, ASecondInstanceHandsItsArgumentsToTheFirst)
{
    FirstInstance first;
    ASSERT_NE(first.Window(), nullptr);
    ::ShowWindow(first.Window(), SW_SHOWNORMAL);
    ASSERT_EQ(first.RunSecondInstance(false), kSent);
    ASSERT_EQ(first.received, 1);
    EXPECT_EQ(first.wParam, 2u);
    EXPECT_EQ(first.lParam, 11);
    EXPECT_EQ(first.rawBlock, (Bytes{0, 0, 0, 1, 0x61, 0, 0, 0, 2, 0xC3, 0xA9}));
    EXPECT_TRUE(first.read);
    EXPECT_EQ(first.strings, (std::vector<std::wstring>{L"a", L"\u00e9"}));
    // Released once the send returned.
    HANDLE gone = ::OpenFileMappingW(FILE_MAP_READ, FALSE, first.Section().c_str());
    EXPECT_EQ(gone, nullptr);
    if (gone)
        ::CloseHandle(gone);
}

TEST(HandOffProcesses, AMinimizedFirstInstanceIsRestoredOnlyWhenAsked)
{
    for (bool activate : {false, true}) {
        SCOPED_TRACE(activate ? "activate" : "leave");
        FirstInstance first;
        ::ShowWindow(first.Window(), SW_SHOWMINIMIZED);
        ASSERT_TRUE(::IsIconic(first.Window()));
        ASSERT_EQ(first.RunSecondInstance(activate), kSent);
        ASSERT_EQ(first.received, 1);
        EXPECT_EQ(first.iconicWhenReceived, !activate);
        EXPECT_EQ(::IsIconic(first.Window()) != FALSE, !activate);
    }
}

TEST(HandOff, WithoutAnArgumentNoSectionIsMade)
{
    FirstInstance first;
    ZArray<ZUnicodeString> none;
    wchar_t className[256] = {};
    ::GetClassNameW(first.Window(), className, 256);
    ASSERT_TRUE(SendMessageToExistingApp(first.Section().c_str(), className, first.Message(), none, false));
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
    wchar_t className[256] = {};
    ::GetClassNameW(first.Window(), className, 256);
    // The section's name already belongs to an object of another kind.
    HANDLE squatter = ::CreateMutexW(nullptr, FALSE, first.Section().c_str());
    ASSERT_NE(squatter, nullptr);
    EXPECT_FALSE(SendMessageToExistingApp(first.Section().c_str(), className, first.Message(), Arguments({L"a"}), false));
    EXPECT_EQ(first.received, 0);
    ::CloseHandle(squatter);
}

TEST(HandOff, NoRunningInstanceSendsNothing)
{
    EXPECT_FALSE(SendMessageToExistingApp(UniqueName(L"section").c_str(), UniqueName(L"no-such-class").c_str(),
                                          WM_USER, Arguments({L"a"}), true));
}

}  // namespace HandOffTest
