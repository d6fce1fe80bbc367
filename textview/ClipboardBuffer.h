// Text on the clipboard.
//
// ZCopyBufferToClipboard and ZCopyTextToClipboard put UTF-16 text on the
// clipboard through an OLE data source. ClipboardBuffer reads the clipboard in
// one format into memory of its own, so that the clipboard can be closed at
// once; the library's own format ClipboardBuffer::CF_TEXT_ASCII reads CF_TEXT
// and turns typographic dashes and double quotes into ASCII, for terminals.
// This is the only place that talks to the platform's clipboard.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"
#include "foundation/ZUnknown.h"

// Puts a GlobalAlloc block holding a null-terminated UTF-16 text on the
// clipboard as CF_UNICODETEXT; the clipboard owns the block from then on, also
// when this fails (it is freed). Returns false when the data source cannot be
// made or filled (memory runs out) or the clipboard refuses it.
TESSARO_API bool ZCopyBufferToClipboard(void* handle);
// Copies text (with its terminator) into a new block and hands it to
// ZCopyBufferToClipboard. nullptr gives false and touches nothing.
TESSARO_API bool ZCopyTextToClipboard(const wchar_t* text);

class IClipboardBuffer : public IUnknown {
public:
    virtual bool GetData(ZUnicodeString& out) const = 0;
    virtual bool GetData(unsigned char*& out) const = 0;
    virtual bool IsUnicode() const = 0;
    virtual bool SetData(ZUnicodeString& text) = 0;
    virtual bool IsMultiline() const = 0;
    virtual ~IClipboardBuffer() = default;

protected:
    virtual void DeleteThis() = 0;
};

class TESSARO_API ClipboardBuffer : public ZUnknown<IClipboardBuffer> {
public:
    // CF_TEXT read and translated to ASCII; never asked of the platform.
    enum : unsigned int { CF_TEXT_ASCII = 19 };

    // Reads the clipboard, which the caller has opened, and closes it. Without
    // data in that format the buffer stays empty (IsValid false) and the
    // thread's last error says why (0xE1330066 when the platform gave no reason).
    ClipboardBuffer(unsigned int format, bool unused = false);
    // A copy owns a copy of the contents.
    ClipboardBuffer(const ClipboardBuffer& other);
    ClipboardBuffer& operator=(const ClipboardBuffer& other);
    ~ClipboardBuffer() override;

    bool IsValid() const { return m_hData != nullptr || m_contents != nullptr; }
    unsigned int GetFormat() const { return m_format; }

    // The contents as a string; 8-bit contents come from the thread's ANSI code page.
    bool GetData(ZUnicodeString& out) const override;
    // The contents themselves, owned by the buffer (nullptr when empty).
    bool GetData(unsigned char*& out) const override;
    bool IsUnicode() const override { return m_format == CF_UNICODETEXT; }
    // Replaces the contents with text in the buffer's format (UTF-16, or the
    // thread's ANSI code page, translated for CF_TEXT_ASCII) and closes the
    // clipboard. Puts nothing on the clipboard.
    bool SetData(ZUnicodeString& text) override;
    // True when the contents hold a carriage return or a line feed.
    bool IsMultiline() const override;

    // Turns en and em dashes (0x96, 0x97) into '-' and curly double quotes
    // (0x93, 0x94) into '"' in 8-bit Western text; everything else stays.
    static void TranslateToAscii(unsigned char* text, size_t length);

private:
    size_t ContentBytes() const;

    HGLOBAL m_hData = nullptr;  // the clipboard's block, only while the constructor reads it
    std::unique_ptr<unsigned char[]> m_contents;  // terminated, wide for CF_UNICODETEXT
    unsigned int m_format;
};
