// The clipboard functions and ClipboardBuffer against the platform's clipboard.
#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/TextViewTestLines.h"
#include "foundation/ZReportMessageParams.h"
#include "textview/ClipboardBuffer.h"
#include <afxole.h>
#include "textview/ZTextViewBuffer.h"

namespace {

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        // A message-only window, so that an open clipboard has an owner to ask about.
        m_window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        Empty();
    }
    void TearDown() override
    {
        ::OleUninitialize();
        ::DestroyWindow(m_window);
    }

    void Open() { ASSERT_TRUE(::OpenClipboard(m_window)); }
    bool IsOpen() const { return ::GetOpenClipboardWindow() == m_window; }
    void Empty()
    {
        ::OleSetClipboard(nullptr);
        Open();
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    // Puts bytes on the clipboard directly, the way another program would.
    void PutRaw(UINT format, const void* data, size_t bytes)
    {
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        ASSERT_NE(block, nullptr);
        std::memcpy(::GlobalLock(block), data, bytes);
        ::GlobalUnlock(block);
        Open();
        ::EmptyClipboard();
        ASSERT_NE(::SetClipboardData(format, block), nullptr);
        ::CloseClipboard();
    }
    std::wstring ReadUnicode()
    {
        Open();
        ClipboardBuffer buffer(CF_UNICODETEXT);
        ZUnicodeString text;
        buffer.GetData(text);
        return text.str();
    }

    HWND m_window = nullptr;
};

}  // namespace

TEST_F(Clipboard, UnicodeRoundTrip)
{
    const wchar_t* texts[] = {L"plain", L"Gr\u00fc\u00dfe \u2014 \u65e5\u672c\r\nsecond line", L""};
    for (const wchar_t* text : texts) {
        ASSERT_TRUE(ZCopyTextToClipboard(text));
        Open();
        ClipboardBuffer buffer(CF_UNICODETEXT);
        EXPECT_FALSE(IsOpen());  // closed as soon as it was read
        EXPECT_TRUE(buffer.IsValid());
        EXPECT_TRUE(buffer.IsUnicode());
        ZUnicodeString read;
        EXPECT_TRUE(buffer.GetData(read));
        EXPECT_EQ(read.str(), text);
        EXPECT_EQ(buffer.IsMultiline(), std::wcschr(text, L'\n') != nullptr);
    }
}

TEST_F(Clipboard, NarrowTextRoundTrip)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"ascii text\nwith a line feed"));
    Open();
    ClipboardBuffer buffer(CF_TEXT);
    ASSERT_TRUE(buffer.IsValid());
    EXPECT_FALSE(buffer.IsUnicode());
    unsigned char* bytes = nullptr;
    ASSERT_TRUE(buffer.GetData(bytes));
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes), "ascii text\nwith a line feed");
    ZUnicodeString text;
    buffer.GetData(text);
    EXPECT_EQ(text.str(), L"ascii text\nwith a line feed");
    EXPECT_TRUE(buffer.IsMultiline());
}

TEST_F(Clipboard, AsciiFormatStraightensDashesAndDoubleQuotes)
{
    struct Case {
        std::string raw;
        std::string expected;
    } cases[] = {
        {"a\x96" "b", "a-b"},
        {"\x93word\x94", "\"word\""},
        {"x\x97y", "x-y"},
        {"\x91single\x92", "\x91single\x92"},  // single quotes stay
        {"plain", "plain"},
    };
    for (const Case& c : cases) {
        PutRaw(CF_TEXT, c.raw.c_str(), c.raw.size() + 1);
        Open();
        ClipboardBuffer buffer(ClipboardBuffer::CF_TEXT_ASCII);
        unsigned char* bytes = nullptr;
        ASSERT_TRUE(buffer.GetData(bytes)) << c.raw;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes)), c.expected);
        EXPECT_FALSE(buffer.IsUnicode());
        EXPECT_EQ(buffer.GetFormat(), ClipboardBuffer::CF_TEXT_ASCII);
    }
}

TEST_F(Clipboard, AsciiFormatRoundTrip)
{
    // The platform makes the 8-bit text from the Unicode text in the Western code page.
    ASSERT_TRUE(ZCopyTextToClipboard(L"\u201cquoted\u201d \u2013 dashed \u2014 \u2018single\u2019"));
    Open();
    ClipboardBuffer buffer(ClipboardBuffer::CF_TEXT_ASCII);
    unsigned char* bytes = nullptr;
    ASSERT_TRUE(buffer.GetData(bytes));
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes), "\"quoted\" - dashed - \x91single\x92");
}

TEST_F(Clipboard, DataWithoutTerminatorIsReadOnlyToItsEnd)
{
    // A private format: the platform terminates its own text formats itself.
    const UINT format = ::RegisterClipboardFormatW(L"Tessaro test bytes");
    ASSERT_NE(format, 0u);
    const char raw[4] = {'a', 'b', 'c', 'd'};
    PutRaw(format, raw, sizeof raw);
    Open();
    ClipboardBuffer buffer(format);
    unsigned char* bytes = nullptr;
    ASSERT_TRUE(buffer.GetData(bytes));
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes), "abcd");
}

TEST_F(Clipboard, EmptyClipboardGivesAnEmptyBuffer)
{
    Open();
    ClipboardBuffer buffer(CF_UNICODETEXT);
    // The platform gives no reason of its own for a missing format.
    const DWORD error = ::GetLastError();
    EXPECT_EQ(error, 0xE1330066u);
    ZReportMessageParams report(error);
    EXPECT_STREQ(report.GetSingleLineTextTrimmed(), L"Generic clipboard failure.");
    EXPECT_FALSE(IsOpen());
    EXPECT_FALSE(buffer.IsValid());
    EXPECT_FALSE(buffer.IsMultiline());
    unsigned char* bytes = reinterpret_cast<unsigned char*>(1);
    EXPECT_FALSE(buffer.GetData(bytes));
    EXPECT_EQ(bytes, nullptr);
    ZUnicodeString text(L"left over");
    EXPECT_FALSE(buffer.GetData(text));
    EXPECT_TRUE(text.empty());
}

TEST_F(Clipboard, NullTextTouchesNothing)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"keep me"));
    EXPECT_FALSE(ZCopyTextToClipboard(nullptr));
    EXPECT_FALSE(ZCopyBufferToClipboard(nullptr));
    EXPECT_EQ(ReadUnicode(), L"keep me");
}

TEST_F(Clipboard, WithoutOleTheCopyFailsAndSaysSo)
{
    bool copied = true;
    std::thread worker([&] {
        // A thread that never initialised OLE cannot own OLE clipboard data.
        copied = ZCopyTextToClipboard(L"lost");
    });
    worker.join();
    EXPECT_FALSE(copied);
}

// Takes a reference of its own on the source being filled, then fails the
// caching as running out of memory would.
COleDataSource* g_failedSource = nullptr;
void FailCaching(COleDataSource& source)
{
    source.InternalAddRef();
    g_failedSource = &source;
    throw std::bad_alloc();
}

TEST_F(Clipboard, AFailedCachingFreesTheSourceAndTheBlock)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"keep me"));
    const wchar_t text[] = L"never cached";
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    ASSERT_NE(block, nullptr);
    std::memcpy(::GlobalLock(block), text, sizeof text);
    ::GlobalUnlock(block);

    g_failedSource = nullptr;
    const COleDataSource::CacheHook previous = COleDataSource::SetCacheHook(FailCaching);
    bool copied = true;
    EXPECT_NO_THROW(copied = ZCopyBufferToClipboard(block));
    COleDataSource::SetCacheHook(previous);

    EXPECT_FALSE(copied);
    EXPECT_EQ(::GlobalSize(block), 0u) << "the block was not freed";
    ASSERT_NE(g_failedSource, nullptr);
    EXPECT_EQ(g_failedSource->InternalRelease(), 0u) << "the source kept a reference nobody holds";
    EXPECT_EQ(ReadUnicode(), L"keep me");
}

TEST_F(Clipboard, SetDataReplacesTheContents)
{
    struct Case {
        unsigned int format;
        const wchar_t* text;
        const char* bytes;  // for 8-bit formats
        bool multiline;
    } cases[] = {
        {CF_UNICODETEXT, L"one\rtwo", nullptr, true},
        {CF_UNICODETEXT, L"single", nullptr, false},
        {CF_TEXT, L"a\nb", "a\nb", true},
        {ClipboardBuffer::CF_TEXT_ASCII, L"\u201cq\u201d \u2013 x", "\"q\" - x", false},
    };
    for (const Case& c : cases) {
        Open();
        ClipboardBuffer buffer(c.format);  // reads an empty clipboard
        EXPECT_FALSE(buffer.IsValid());
        Open();
        ZUnicodeString text(c.text);
        ASSERT_TRUE(buffer.SetData(text));
        EXPECT_FALSE(IsOpen());  // SetData closes the clipboard
        EXPECT_TRUE(buffer.IsValid());
        EXPECT_EQ(buffer.IsMultiline(), c.multiline) << c.format;
        if (c.bytes) {
            unsigned char* bytes = nullptr;
            buffer.GetData(bytes);
            EXPECT_STREQ(reinterpret_cast<const char*>(bytes), c.bytes);
        } else {
            ZUnicodeString read;
            buffer.GetData(read);
            EXPECT_EQ(read.str(), c.text);
        }
    }
}

TEST_F(Clipboard, SetDataKeepsDoubleByteCharacters)
{
    const LCID previous = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT)));
    CPINFO info{};
    if (!::GetCPInfo(CP_THREAD_ACP, &info) || info.MaxCharSize < 2) {
        ::SetThreadLocale(previous);
        GTEST_SKIP() << "the thread's ANSI code page did not become a double-byte one";
    }
    Open();
    ClipboardBuffer buffer(CF_TEXT);
    ZUnicodeString text(L"\u65e5\u672c\u8a9e abc");
    ASSERT_TRUE(buffer.SetData(text));
    unsigned char* bytes = nullptr;
    buffer.GetData(bytes);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(bytes)), 10u);  // three two-byte characters and " abc"
    ZUnicodeString read;
    buffer.GetData(read);
    ::SetThreadLocale(previous);
    EXPECT_EQ(read.str(), L"\u65e5\u672c\u8a9e abc");
}

TEST_F(Clipboard, CopiedBuffersOwnTheirContents)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"shared?"));
    Open();
    auto* original = new ClipboardBuffer(CF_UNICODETEXT);
    auto* copy = new ClipboardBuffer(*original);
    unsigned char* originalBytes = nullptr;
    unsigned char* copyBytes = nullptr;
    original->GetData(originalBytes);
    copy->GetData(copyBytes);
    EXPECT_NE(originalBytes, copyBytes);
    original->Release();  // frees only its own contents
    ZUnicodeString text;
    copy->GetData(text);
    EXPECT_EQ(text.str(), L"shared?");

    ClipboardBuffer assigned(CF_TEXT, false);  // the clipboard is closed: empty
    assigned = *copy;
    EXPECT_TRUE(assigned.IsUnicode());
    assigned.GetData(text);
    EXPECT_EQ(text.str(), L"shared?");
    copy->Release();
}

TEST_F(Clipboard, BufferCopiesReachTheClipboard)
{
    ZTextViewBuffer buffer(3);
    TextViewTest::Append(buffer, {L"first", L"second", L"third", L"fourth"});
    buffer.CopyTextToClipboard();
    EXPECT_EQ(ReadUnicode(), L"second\r\nthird\r\nfourth\r\n");
    buffer.CopyTextToClipboard(0, 1, 2, 4, true);
    EXPECT_EQ(ReadUnicode(), L"eco\r\nhir\r\nour\r\n");
    buffer.CopyTextToClipboard(1, 2, 1, ZTextViewBuffer::npos, false);
    EXPECT_EQ(ReadUnicode(), L"ird");

    ZTextViewBuffer empty(3);
    empty.CopyTextToClipboard();  // nothing to copy: the clipboard keeps what it had
    EXPECT_EQ(ReadUnicode(), L"ird");
}

TEST_F(Clipboard, OleConsumersSeeTheUnicodeText)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"through OLE"));
    IDataObject* data = nullptr;
    ASSERT_EQ(::OleGetClipboard(&data), S_OK);
    FORMATETC unicode = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC bitmap = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    EXPECT_EQ(data->QueryGetData(&unicode), S_OK);
    EXPECT_NE(data->QueryGetData(&bitmap), S_OK);
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&unicode, &medium), S_OK);
    ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_STREQ(static_cast<const wchar_t*>(::GlobalLock(medium.hGlobal)), L"through OLE");
    ::GlobalUnlock(medium.hGlobal);
    ::ReleaseStgMedium(&medium);

    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    bool offersUnicode = false;
    FORMATETC format{};
    while (formats->Next(1, &format, nullptr) == S_OK)
        offersUnicode |= format.cfFormat == CF_UNICODETEXT;
    EXPECT_TRUE(offersUnicode);
    formats->Release();
    data->Release();
}
