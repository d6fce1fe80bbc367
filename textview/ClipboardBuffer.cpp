#include "textview/ClipboardBuffer.h"

#include <afxole.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "TessaroMessages.h"
#include "foundation/ZString.h"
#include "textview/ZGlobalTextBlock.h"

namespace {

// What a report of the last error says when the platform call failed without
// giving a reason of its own.
constexpr DWORD kGenericClipboardFailure = MSG_CLIPBOARD_FAILURE;

// Closes the clipboard without losing the error that explains an empty read.
void CloseClipboardKeepingError()
{
    const DWORD error = ::GetLastError();
    ::CloseClipboard();
    ::SetLastError(error);
}

struct SourceReleaser {
    void operator()(COleDataSource* source) const { source->InternalRelease(); }
};
using OwnedSource = std::unique_ptr<COleDataSource, SourceReleaser>;

}  // namespace

bool ZCopyBufferToClipboard(void* handle)
{
    if (!handle)
        return false;
    auto block = ZGlobalTextBlock::Adopt(static_cast<HGLOBAL>(handle));
    OwnedSource source(new (std::nothrow) COleDataSource);
    if (!source)
        return false;
    try {
        source->CacheGlobalData(CF_UNICODETEXT, block.Get());
    } catch (const std::bad_alloc&) {
        return false;
    }
    block.Release();  // the source frees it from now on
    if (FAILED(source->SetClipboard()))
        return false;
    source.release();  // the clipboard holds it now
    return true;
}

bool ZCopyTextToClipboard(const wchar_t* text)
{
    if (!text)
        return false;
    const size_t characters = std::wcslen(text) + 1;
    ZGlobalTextBlock block(characters);
    {
        ZGlobalTextBlock::Lock lock(block);
        if (!lock.Text())
            return false;
        std::memcpy(lock.Text(), text, characters * sizeof(wchar_t));
    }
    return ZCopyBufferToClipboard(block.Release());
}

ClipboardBuffer::ClipboardBuffer(unsigned int format, bool) : m_format(format)
{
    ::SetLastError(kGenericClipboardFailure);
    m_hData = ::GetClipboardData(format == CF_TEXT_ASCII ? CF_TEXT : format);
    if (!m_hData) {
        CloseClipboardKeepingError();
        return;
    }
    const auto* data = static_cast<const unsigned char*>(::GlobalLock(m_hData));
    if (!data) {
        m_hData = nullptr;
        CloseClipboardKeepingError();
        return;
    }

    // The block comes from another program: measure only inside it, and supply
    // the terminator if it has none.
    const size_t unit = IsUnicode() ? sizeof(wchar_t) : 1;
    const size_t units = ::GlobalSize(m_hData) / unit;
    size_t length = 0;
    while (length < units) {
        unsigned int value = 0;
        std::memcpy(&value, data + length * unit, unit);
        if (value == 0)
            break;
        ++length;
    }
    m_contents.reset(new (std::nothrow) unsigned char[(length + 1) * unit]);
    if (m_contents) {
        std::memcpy(m_contents.get(), data, length * unit);
        std::memset(m_contents.get() + length * unit, 0, unit);
    }
    ::GlobalUnlock(m_hData);
    m_hData = nullptr;
    ::CloseClipboard();

    if (m_contents && m_format == CF_TEXT_ASCII)
        TranslateToAscii(m_contents.get(), length);
}

ClipboardBuffer::ClipboardBuffer(const ClipboardBuffer& other) : ZUnknown(other), m_format(other.m_format)
{
    if (other.m_contents) {
        const size_t bytes = other.ContentBytes();
        m_contents.reset(new unsigned char[bytes]);
        std::memcpy(m_contents.get(), other.m_contents.get(), bytes);
    }
}

ClipboardBuffer& ClipboardBuffer::operator=(const ClipboardBuffer& other)
{
    if (this != &other) {
        ClipboardBuffer copy(other);
        m_contents = std::move(copy.m_contents);
        m_format = other.m_format;
    }
    return *this;
}

ClipboardBuffer::~ClipboardBuffer()
{
    if (m_hData) {
        ::GlobalUnlock(m_hData);
        ::CloseClipboard();
    }
}

size_t ClipboardBuffer::ContentBytes() const
{
    if (!m_contents)
        return 0;
    if (IsUnicode())
        return (std::wcslen(reinterpret_cast<const wchar_t*>(m_contents.get())) + 1) * sizeof(wchar_t);
    return std::strlen(reinterpret_cast<const char*>(m_contents.get())) + 1;
}

bool ClipboardBuffer::GetData(ZUnicodeString& out) const
{
    if (!m_contents) {
        out.clear();
        return false;
    }
    if (IsUnicode())
        out = reinterpret_cast<const wchar_t*>(m_contents.get());
    else
        out = ZUnicodeString(ZString(reinterpret_cast<const char*>(m_contents.get())));
    return true;
}

bool ClipboardBuffer::GetData(unsigned char*& out) const
{
    out = m_contents.get();
    return out != nullptr;
}

bool ClipboardBuffer::SetData(ZUnicodeString& text)
{
    std::unique_ptr<unsigned char[]> contents;
    if (IsUnicode()) {
        const size_t bytes = (text.length() + 1) * sizeof(wchar_t);
        contents.reset(new (std::nothrow) unsigned char[bytes]);
        if (contents)
            std::memcpy(contents.get(), text.c_str(), bytes);
    } else {
        const ZString local = text.ToLocale();
        contents.reset(new (std::nothrow) unsigned char[local.length() + 1]);
        if (contents) {
            std::memcpy(contents.get(), local.c_str(), local.length() + 1);
            if (m_format == CF_TEXT_ASCII)
                TranslateToAscii(contents.get(), local.length());
        }
    }
    ::CloseClipboard();
    if (!contents)
        return false;
    m_contents = std::move(contents);
    return true;
}

bool ClipboardBuffer::IsMultiline() const
{
    if (!m_contents)
        return false;
    if (IsUnicode())
        return std::wcspbrk(reinterpret_cast<const wchar_t*>(m_contents.get()), L"\r\n") != nullptr;
    return std::strpbrk(reinterpret_cast<const char*>(m_contents.get()), "\r\n") != nullptr;
}

void ClipboardBuffer::TranslateToAscii(unsigned char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
        case 0x96:
        case 0x97:
            text[i] = '-';
            break;
        case 0x93:
        case 0x94:
            text[i] = '"';
            break;
        default:
            break;
        }
    }
}
