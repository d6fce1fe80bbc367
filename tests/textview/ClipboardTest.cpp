// The clipboard functions and ClipboardBuffer against the platform's clipboard.
#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <new>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/ZReportMessageParams.h"
#include "textview/ClipboardBuffer.h"
#include <afxole.h>
#include "textview/ZTextViewBuffer.h"

namespace {

std::string BytesOf(const ClipboardBuffer& buffer)
{
    unsigned char* bytes = nullptr;
    buffer.GetData(bytes);
    return bytes ? reinterpret_cast<const char*>(bytes) : "(none)";
}

std::wstring TextOf(const ClipboardBuffer& buffer)
{
    ZUnicodeString text;
    buffer.GetData(text);
    return text.str();
}

// A movable block holding a copy of the bytes.
HGLOBAL Block(const void* data, size_t bytes)
{
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block) {
        std::memcpy(::GlobalLock(block), data, bytes);
        ::GlobalUnlock(block);
    }
    return block;
}

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
        HGLOBAL block = Block(data, bytes);
        ASSERT_NE(block, nullptr);
        Open();
        ::EmptyClipboard();
        ASSERT_NE(::SetClipboardData(format, block), nullptr);
        ::CloseClipboard();
    }
    // A buffer read from the clipboard, which it opens for the buffer to close.
    ClipboardBuffer Read(UINT format)
    {
        Open();
        return ClipboardBuffer(format);
    }

    HWND m_window = nullptr;
};

}  // namespace

TEST_F(Clipboard, TextCopiedOrSetReadsBackInEachFormat)
{
    struct Case {
        const wchar_t* text;
        UINT format;
        const char* bytes;  // what an 8-bit format holds
        bool multiline;
    } cases[] = {
        {L"plain", CF_UNICODETEXT, nullptr, false},
        {L"Gr\u00fc\u00dfe \u2014 \u65e5\u672c\r\nsecond line", CF_UNICODETEXT, nullptr, true},
        {L"one\rtwo", CF_UNICODETEXT, nullptr, true},
        {L"", CF_UNICODETEXT, nullptr, false},
        {L"ascii text\nwith a line feed", CF_TEXT, "ascii text\nwith a line feed", true},
        // 8-bit text in the Western code page, then dashes and double quotes straightened.
        {L"\u201cquoted\u201d \u2013 dashed \u2014 \u2018single\u2019", ClipboardBuffer::CF_TEXT_ASCII,
         "\"quoted\" - dashed - \x91single\x92", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ASSERT_TRUE(ZCopyTextToClipboard(c.text));
        ClipboardBuffer copied = Read(c.format);
        EXPECT_FALSE(IsOpen());  // closed as soon as it was read
        Empty();
        ClipboardBuffer set = Read(c.format);
        EXPECT_FALSE(set.IsValid());
        Open();
        ZUnicodeString text(c.text);
        ASSERT_TRUE(set.SetData(text));
        EXPECT_FALSE(IsOpen());  // SetData closes it too
        for (ClipboardBuffer* buffer : {&copied, &set}) {
            EXPECT_TRUE(buffer->IsValid());
            EXPECT_EQ(buffer->IsUnicode(), c.format == CF_UNICODETEXT);
            EXPECT_EQ(buffer->GetFormat(), c.format);
            EXPECT_EQ(buffer->IsMultiline(), c.multiline);
            if (c.bytes) {
                EXPECT_EQ(BytesOf(*buffer), c.bytes);
            }
            if (c.format != ClipboardBuffer::CF_TEXT_ASCII) {  // the others read back what went in
                EXPECT_EQ(TextOf(*buffer), c.text);
            }
        }
    }
}

TEST_F(Clipboard, OtherProgramsBytesAreReadAsTheyAre)
{
    // A private format: the platform terminates its own text formats itself, not this one.
    const UINT privateFormat = ::RegisterClipboardFormatW(L"Tessaro test bytes");
    ASSERT_NE(privateFormat, 0u);
    struct Case {
        UINT format;
        std::string raw;
        UINT readFormat;
        std::string expected;
    } cases[] = {
        // Dashes and double quotes straightened, single quotes kept.
        {CF_TEXT, "\x93w\x94 a\x96" "b\x97" "c \x91s\x92", ClipboardBuffer::CF_TEXT_ASCII, "\"w\" a-b-c \x91s\x92"},
        {privateFormat, "abcd", privateFormat, "abcd"},  // unterminated: read only to the block's end
    };
    for (const Case& c : cases) {
        const bool terminated = c.format != privateFormat;
        PutRaw(c.format, c.raw.c_str(), c.raw.size() + (terminated ? 1 : 0));
        EXPECT_EQ(BytesOf(Read(c.readFormat)), c.expected) << c.raw;
    }
}

TEST_F(Clipboard, EmptyClipboardGivesAnEmptyBuffer)
{
    ClipboardBuffer buffer = Read(CF_UNICODETEXT);
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

TEST_F(Clipboard, NothingToCopyTouchesNothing)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"keep me"));
    EXPECT_FALSE(ZCopyTextToClipboard(nullptr));
    EXPECT_FALSE(ZCopyBufferToClipboard(nullptr));
    ZTextViewBuffer(3).CopyTextToClipboard();  // an empty buffer
    EXPECT_EQ(TextOf(Read(CF_UNICODETEXT)), L"keep me");
}

TEST_F(Clipboard, WithoutOleTheCopyFails)
{
    bool copied = true;
    // A thread that never initialised OLE cannot own OLE clipboard data.
    std::thread([&] { copied = ZCopyTextToClipboard(L"lost"); }).join();
    EXPECT_FALSE(copied);
}

TEST_F(Clipboard, AFailedCachingFreesTheSourceAndTheBlock)
{
    ASSERT_TRUE(ZCopyTextToClipboard(L"keep me"));
    const wchar_t text[] = L"never cached";
    HGLOBAL block = Block(text, sizeof text);
    ASSERT_NE(block, nullptr);

    static COleDataSource* failedSource;
    failedSource = nullptr;
    const COleDataSource::CacheHook previous = COleDataSource::SetCacheHook([](COleDataSource& source) {
        source.InternalAddRef();  // a reference of our own, to count the ones left after the failure
        failedSource = &source;
        throw std::bad_alloc();  // as running out of memory would
    });
    bool copied = true;
    EXPECT_NO_THROW(copied = ZCopyBufferToClipboard(block));
    COleDataSource::SetCacheHook(previous);

    EXPECT_FALSE(copied);
    EXPECT_EQ(::GlobalSize(block), 0u) << "the block was not freed";
    ASSERT_NE(failedSource, nullptr);
    EXPECT_EQ(failedSource->InternalRelease(), 0u) << "the source kept a reference nobody holds";
    EXPECT_EQ(TextOf(Read(CF_UNICODETEXT)), L"keep me");
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
    ClipboardBuffer buffer = Read(CF_TEXT);
    ZUnicodeString text(L"\u65e5\u672c\u8a9e abc");
    ASSERT_TRUE(buffer.SetData(text));
    EXPECT_EQ(BytesOf(buffer).size(), 10u);  // three two-byte characters and " abc"
    const std::wstring read = TextOf(buffer);
    ::SetThreadLocale(previous);
    EXPECT_EQ(read, L"\u65e5\u672c\u8a9e abc");
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
    EXPECT_EQ(TextOf(*copy), L"shared?");

    ClipboardBuffer assigned(CF_TEXT, false);  // the clipboard is closed: empty
    assigned = *copy;
    EXPECT_TRUE(assigned.IsUnicode());
    EXPECT_EQ(TextOf(assigned), L"shared?");
    copy->Release();
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
    data->Release();
}
