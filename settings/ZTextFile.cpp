#include "settings/ZTextFile.h"

#include <cstring>

#include "foundation/ZExceptions.h"
#include "foundation/ZUTF8.h"

namespace {

struct ByteOrderMark {
    ZTextFile::Encoding encoding;
    unsigned char bytes[4];
    DWORD size;
};

// In the order they are tried when reading: FF FE 00 00 matches FF FE first,
// so a UTF-32 file reads as UTF-16 with a leading U+0000.
constexpr ByteOrderMark kMarks[] = {
    {ZTextFile::EncodingUtf8, {0xEF, 0xBB, 0xBF, 0}, 3},
    {ZTextFile::EncodingUtf16LE, {0xFF, 0xFE, 0, 0}, 2},
    {ZTextFile::EncodingUtf16BE, {0xFE, 0xFF, 0, 0}, 2},
    {ZTextFile::EncodingUtf32LE, {0xFF, 0xFE, 0x00, 0x00}, 4},
};

const ByteOrderMark* MarkOf(ZTextFile::Encoding encoding)
{
    for (const ByteOrderMark& mark : kMarks)
        if (mark.encoding == encoding)
            return &mark;
    return nullptr;
}

// Decodes whole UTF-8 sequences from the front of bytes and appends them to
// text; an incomplete sequence at the end is left for the next fill. consumed
// receives the bytes decoded; the result is 0, or 1113 at an illegal sequence
// (whatever preceded it is decoded and kept).
DWORD DecodeUTF8Prefix(const unsigned char* bytes, size_t count, ZUnicodeString& text, size_t& consumed)
{
    consumed = 0;
    if (count == 0)
        return ERROR_SUCCESS;
    const size_t start = text.length();
    // Never more UTF-16 units than bytes: a four-byte sequence gives two units.
    wchar_t* out = text.GetBuffer(start + count) + start;
    size_t written = 0;
    DWORD status = ERROR_SUCCESS;
    try {
        written = ZDecodeUTF8(bytes, count, consumed, out, count);
    } catch (const IllegalSequence&) {
        // consumed stops at the bad sequence; keep the text decoded before it.
        size_t prefix = 0;
        written = ZDecodeUTF8(bytes, consumed, prefix, nullptr, 0);
        status = ERROR_NO_UNICODE_TRANSLATION;
    }
    text.ReleaseBuffer(start + written);
    return status;
}

// Empties text but keeps its block when no other string shares it, so that
// reading line after line does not allocate for every line.
void EmptyKeepingRoom(ZUnicodeString& text)
{
    if (!text.empty())
        text.resize(0);
}

}  // namespace

ZTextFile::ZTextFile()
    : m_raw{},
      m_encoding(EncodingUnknown),
      m_lockRegions(false),
      m_bufferOrigin(0),
      m_bytesInBuffer(0),
      m_bufferPosition(0),
      m_carriageReturnPending(false),
      m_textTaken(false),
      m_decodedPosition(0)
{
}

ZTextFile::~ZTextFile() = default;

void ZTextFile::ClearReaderState()
{
    m_bufferOrigin = 0;
    m_bytesInBuffer = 0;
    m_bufferPosition = 0;
    m_carriageReturnPending = false;
    m_textTaken = false;
    m_decoded.clear();
    m_decodedPosition = 0;
}

bool ZTextFile::Open(const wchar_t* path, DWORD access, DWORD disposition)
{
    ClearReaderState();
    if (!ZFile::Open(path, access, disposition))
        return false;
    const DWORD openError = ::GetLastError();

    bool existing = false;
    bool creating = false;
    switch (disposition) {
    case OPEN_EXISTING:
        existing = true;
        break;
    case OPEN_ALWAYS:
        existing = openError == ERROR_ALREADY_EXISTS;
        creating = !existing;
        break;
    case CREATE_NEW:
    case CREATE_ALWAYS:
    case TRUNCATE_EXISTING:
        creating = true;
        break;
    default:
        break;
    }

    if (existing) {
        m_encoding = EncodingUnknown;
        FillBuffer();  // recognises and skips the mark; an empty file reads as no lines
    } else if (creating && !WriteByteOrderMark()) {
        return false;
    }
    ::SetLastError(openError);
    return true;
}

bool ZTextFile::Seek(int64_t offset, DWORD method)
{
    if (!ZFile::Seek(offset, method))
        return false;
    ClearReaderState();
    m_bufferOrigin = GetPosition();
    return m_bufferOrigin >= 0;
}

bool ZTextFile::Truncate()
{
    if (!ZFile::Truncate())
        return false;
    ClearReaderState();
    return WriteByteOrderMark();
}

bool ZTextFile::WriteByteOrderMark()
{
    if (m_encoding == EncodingUnknown)
        m_encoding = EncodingUtf16LE;
    const ByteOrderMark* mark = MarkOf(m_encoding);
    if (!mark)
        return true;
    const int64_t offset = m_bufferOrigin + m_bufferPosition;
    if (m_lockRegions && !Lock(offset, mark->size, true))
        return false;
    DWORD written = 0;
    const bool wrote = Write(mark->bytes, mark->size, offset, written);
    const DWORD error = ::GetLastError();
    if (m_lockRegions)
        Unlock(offset, mark->size);
    if (!wrote) {
        ::SetLastError(error);
        return false;
    }
    // The buffer holds nothing after a clear, so moving its origin past the
    // mark is the same as advancing the position over it.
    m_bufferOrigin = offset + written;
    m_bytesInBuffer = 0;
    m_bufferPosition = 0;
    m_carriageReturnPending = false;
    m_textTaken = false;
    if (written != mark->size) {
        ::SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

bool ZTextFile::ReadRegion(int64_t offset, void* buffer, DWORD count, DWORD& read)
{
    read = 0;
    if (count == 0)
        return true;
    if (m_lockRegions && !Lock(offset, count, true))
        return false;
    const bool ok = Read(buffer, count, offset, read);
    const DWORD error = ::GetLastError();
    if (m_lockRegions)
        Unlock(offset, count);
    ::SetLastError(error);
    return ok;
}

void ZTextFile::RecogniseByteOrderMark()
{
    const int available = UnconsumedBytes();
    for (const ByteOrderMark& mark : kMarks) {
        if (mark.encoding == EncodingUtf32LE)
            continue;  // never recognised: its first two bytes are the UTF-16 LE mark
        if (available >= static_cast<int>(mark.size) &&
            std::memcmp(m_raw + m_bufferPosition, mark.bytes, mark.size) == 0) {
            m_encoding = mark.encoding;
            m_bufferPosition += static_cast<int32_t>(mark.size);
            return;
        }
    }
    m_encoding = EncodingAnsi;
}

ZTextFile::FillResult ZTextFile::FillBuffer()
{
    for (;;) {
        if (UnconsumedBytes() >= 4)
            return FillResult::Filled;
        const int kept = UnconsumedBytes();
        m_bufferOrigin += m_bufferPosition;
        std::memmove(m_raw, m_raw + m_bufferPosition, static_cast<size_t>(kept));
        m_bytesInBuffer = kept;
        m_bufferPosition = 0;

        DWORD read = 0;
        if (!ReadRegion(m_bufferOrigin + kept, m_raw + kept, static_cast<DWORD>(kRawBufferSize - kept), read))
            return FillResult::Failed;
        m_bytesInBuffer += static_cast<int32_t>(read);
        if (m_encoding == EncodingUnknown) {
            RecogniseByteOrderMark();
            continue;
        }
        if (read > 0)
            return FillResult::Filled;
        ::SetLastError(ERROR_HANDLE_EOF);
        return FillResult::EndOfFile;
    }
}

DWORD ZTextFile::Decode()
{
    const int available = UnconsumedBytes();
    if (available <= 0)
        return ERROR_SUCCESS;
    const unsigned char* bytes = m_raw + m_bufferPosition;
    switch (m_encoding) {
    case EncodingAnsi: {
        const int needed = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, reinterpret_cast<const char*>(bytes),
                                                 available, nullptr, 0);
        if (needed > 0) {
            const size_t start = m_decoded.length();
            wchar_t* out = m_decoded.GetBuffer(start + static_cast<size_t>(needed));
            const int converted = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, reinterpret_cast<const char*>(bytes),
                                                        available, out + start, needed);
            m_decoded.ReleaseBuffer(start + static_cast<size_t>(converted > 0 ? converted : 0));
        }
        m_bufferPosition += available;
        return ERROR_SUCCESS;
    }
    case EncodingUtf8: {
        size_t consumed = 0;
        const DWORD status = DecodeUTF8Prefix(bytes, static_cast<size_t>(available), m_decoded, consumed);
        m_bufferPosition += static_cast<int32_t>(consumed);
        return status;
    }
    case EncodingUtf16BE: {
        const int units = available / 2;
        const size_t start = m_decoded.length();
        wchar_t* out = m_decoded.GetBuffer(start + static_cast<size_t>(units)) + start;
        for (int i = 0; i < units; ++i)
            out[i] = static_cast<wchar_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
        m_decoded.ReleaseBuffer(start + static_cast<size_t>(units));
        m_bufferPosition += units * 2;
        return ERROR_SUCCESS;
    }
    default:
        return ERROR_SUCCESS;  // UTF-16 LE is scanned in the raw buffer
    }
}

bool ZTextFile::ScanDecoded(ZUnicodeString& line)
{
    const wchar_t* text = m_decoded.c_str() + m_decodedPosition;
    const size_t available = m_decoded.length() - static_cast<size_t>(m_decodedPosition);
    if (available == 0)
        return false;  // a pending CR stays pending: its LF may come with the next fill
    size_t i = 0;
    if (m_carriageReturnPending) {
        m_carriageReturnPending = false;
        if (text[0] == L'\n')
            i = 1;
    }
    const size_t start = i;
    while (i < available && text[i] != L'\r' && text[i] != L'\n')
        ++i;
    if (i > start) {
        line.append(text + start, i - start);
        m_textTaken = true;
    }
    const bool ended = i < available;
    if (ended) {
        m_carriageReturnPending = text[i] == L'\r';
        ++i;
    }
    m_decodedPosition += static_cast<int32_t>(i);
    return ended;
}

bool ZTextFile::ScanRawUtf16LE(ZUnicodeString& line)
{
    const unsigned char* bytes = m_raw + m_bufferPosition;
    const size_t available = static_cast<size_t>(UnconsumedBytes() / 2);
    if (available == 0)
        return false;
    auto unitAt = [bytes](size_t index) { return static_cast<wchar_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8)); };
    size_t i = 0;
    if (m_carriageReturnPending) {
        m_carriageReturnPending = false;
        if (unitAt(0) == L'\n')
            i = 1;
    }
    const size_t start = i;
    while (i < available && unitAt(i) != L'\r' && unitAt(i) != L'\n')
        ++i;
    if (i > start) {
        const size_t old = line.length();
        wchar_t* out = line.GetBuffer(old + (i - start));
        std::memcpy(out + old, bytes + 2 * start, (i - start) * sizeof(wchar_t));
        line.ReleaseBuffer(old + (i - start));
        m_textTaken = true;
    }
    const bool ended = i < available;
    if (ended) {
        m_carriageReturnPending = unitAt(i) == L'\r';
        ++i;
    }
    m_bufferPosition += static_cast<int32_t>(2 * i);
    return ended;
}

bool ZTextFile::ReadLine(ZUnicodeString& line)
{
    EmptyKeepingRoom(line);
    m_textTaken = false;
    if (!IsOpen()) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (m_encoding < EncodingAnsi || m_encoding > EncodingUtf16BE) {
        ::SetLastError(ERROR_NOT_SUPPORTED);  // no decoder: waiting would never give text
        return false;
    }
    for (;;) {
        if (static_cast<size_t>(m_decodedPosition) >= m_decoded.length()) {
            EmptyKeepingRoom(m_decoded);
            m_decodedPosition = 0;
        }
        const DWORD decodeError = Decode();
        const bool ended = m_encoding == EncodingUtf16LE ? ScanRawUtf16LE(line) : ScanDecoded(line);
        if (ended)
            return true;
        if (decodeError != ERROR_SUCCESS) {
            // Nothing past an illegal sequence is read, now or later.
            ::SetLastError(decodeError);
            return !line.empty();
        }
        if (static_cast<size_t>(m_decodedPosition) < m_decoded.length())
            continue;
        switch (FillBuffer()) {
        case FillResult::Filled:
            continue;
        case FillResult::Failed:
            return false;
        case FillResult::EndOfFile:
            if (m_encoding == EncodingUtf8 && UnconsumedBytes() > 0) {
                // The file ends inside a character: say so rather than drop it.
                ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return !line.empty();
            }
            ::SetLastError(ERROR_HANDLE_EOF);
            return m_textTaken;
        }
    }
}
