#include "net/ZPacket.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <typeinfo>

#include "foundation/ZExceptions.h"
#include "foundation/ZString.h"
#include "foundation/ZUTF8.h"
#include "foundation/ZUnicodeString.h"
#include "net/ZBasicBuffer.h"

namespace {

// Thrown by the single-byte reader when the chain or the read limit is exhausted;
// every reading operation catches it and puts the read cursor back.
class DataUnderrun {};

constexpr size_t kBufferSlack = 1024;


bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Bytes of the UTF-8 sequence that starts with `lead`, judged by its top four bits.
size_t SequenceLength(unsigned char lead)
{
    switch (lead >> 4) {
    case 0xC:
    case 0xD:
        return 2;
    case 0xE:
        return 3;
    case 0xF:
        return 4;
    default:
        return 1;
    }
}

void AppendCodePoint(ZUnicodeString& text, uint32_t codePoint)
{
    if (codePoint < 0x10000) {
        text += static_cast<wchar_t>(codePoint);
        return;
    }
    const uint32_t value = codePoint - 0x10000;
    const wchar_t pair[2] = {static_cast<wchar_t>(0xD800 | ((value >> 10) & 0x3FF)),
                             static_cast<wchar_t>(0xDC00 | (value & 0x3FF))};
    text.append(pair, 2);
}

// Bytes of the length before a field: 0 for the formats without a prefix.
int PrefixSize(LengthFormat format)
{
    switch (format) {
    case LengthPrefix32:
        return 4;
    case LengthPrefix16:
        return 2;
    case LengthPrefix8:
        return 1;
    default:
        return 0;
    }
}

bool PrefixHolds(LengthFormat format, size_t length)
{
    const int bytes = PrefixSize(format);
    return bytes == 0 || (static_cast<uint64_t>(length) >> (8 * bytes)) == 0;
}

size_t TerminatorSize(LengthFormat format)
{
    return format == NulTerminated ? 1 : format == CrLfTerminated ? 2 : 0;
}

// Finds, over consecutive pieces, bytes that would end a terminated field early: a
// reader stops at the first terminator, so such data cannot be written in that format.
class TerminatorScan {
public:
    explicit TerminatorScan(LengthFormat format) : m_format(format) {}

    bool Found(const unsigned char* bytes, size_t length)
    {
        for (size_t i = 0; i < length; ++i) {
            if (m_format == NulTerminated && bytes[i] == 0x00)
                return true;
            if (m_format == CrLfTerminated) {
                if (m_afterCr && bytes[i] == 0x0A)
                    return true;
                m_afterCr = bytes[i] == 0x0D;
            }
        }
        return false;
    }

private:
    LengthFormat m_format;
    bool m_afterCr = false;
};

// UTF-8 has 0x00, 0x0D and 0x0A only where the text has those characters.
bool TextHoldsTerminator(LengthFormat format, const wchar_t* text, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (format == NulTerminated && text[i] == 0)
            return true;
        if (format == CrLfTerminated && text[i] == L'\r' && i + 1 < count && text[i + 1] == L'\n')
            return true;
    }
    return false;
}

// Calls visit(buffer) for the source's buffers from the first until it returns
// false; the source's cursors are left as they were.
template <class Visit>
void VisitBuffers(IPacket* source, Visit visit)
{
    ZUnknownPointer<IPacketState> saved;
    saved.Attach(source->SaveState());
    source->Rewind();
    bool more = true;
    IBuffer* buffer;
    size_t offset;
    while (more && source->GetNextBuffer(buffer, offset)) {
        more = visit(buffer);
        buffer->Release();
    }
    source->RestoreState(saved.Get());
}

bool PacketHoldsTerminator(LengthFormat format, IPacket* source)
{
    if (format != NulTerminated && format != CrLfTerminated)
        return false;
    TerminatorScan scan(format);
    bool found = false;
    VisitBuffers(source, [&](IBuffer* buffer) {
        found = scan.Found(buffer->GetData(), buffer->GetDataLength());
        return !found;
    });
    return found;
}

// An empty variant of an integer type, holding 0 until a read fills it.
bool ResetToInteger(VARIANT& value, VARTYPE type)
{
    if (FAILED(::VariantClear(&value)))
        return false;
    value.vt = type;
    value.lVal = 0;  // lVal and ulVal are the same four bytes
    return true;
}

bool StoreBstr(VARIANT& value, const ZUnicodeString& text)
{
    if (text.length() > std::numeric_limits<UINT>::max())
        return false;
    BSTR converted = ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.length()));
    if (!converted)
        return false;
    value.vt = VT_BSTR;
    value.bstrVal = converted;
    return true;
}

}  // namespace

ZPacket::ZPacket(size_t initialCapacity, bool wipe) : m_wipe(wipe)
{
    if (initialCapacity)
        AppendOwnBuffer(initialCapacity);
}

ZPacket::~ZPacket()
{
    for (IBuffer* buffer : m_buffers)
        buffer->Release();
}

void ZPacket::SetLittleEndian() { m_bigEndian = false; }
void ZPacket::SetBigEndian() { m_bigEndian = true; }

IPacketState* ZPacket::SaveState()
{
    ZPacketState* state = new ZPacketState;
    state->m_readIndex = m_readIndex;
    state->m_readOffset = m_readOffset;
    state->m_readLimit = m_readLimit;
    state->m_writeIndex = m_writeIndex;
    state->m_writeOffset = m_writeOffset;
    return state;
}

void ZPacket::RestoreState(IPacketState* state)
{
    const ZPacketState* saved = dynamic_cast<const ZPacketState*>(state);
    if (!saved)
        return;
    m_readIndex = saved->m_readIndex;
    m_readOffset = saved->m_readOffset;
    m_readLimit = saved->m_readLimit;
    m_writeIndex = saved->m_writeIndex;
    m_writeOffset = saved->m_writeOffset;
}

size_t ZPacket::GetTotalLength()
{
    size_t total = 0;
    for (IBuffer* buffer : m_buffers)
        total += buffer->GetDataLength();
    return total;
}

size_t ZPacket::GetRemaining()
{
    if (m_readLimit == 0)
        return 0;
    size_t remaining = 0;
    for (size_t i = m_readIndex; i < m_buffers.size() && remaining < m_readLimit; ++i) {
        const size_t length = LengthOf(i);
        if (i != m_readIndex)
            remaining += length;
        else if (m_readOffset < length)
            remaining += length - m_readOffset;
    }
    return std::min(remaining, m_readLimit);
}

size_t ZPacket::GetWritePosition()
{
    size_t position = 0;
    const size_t before = std::min(m_writeIndex, m_buffers.size());
    for (size_t i = 0; i < before; ++i)
        position += LengthOf(i);
    if (m_writeIndex < m_buffers.size())
        position += m_writeOffset;
    return position;
}

void ZPacket::SetReadLimit(size_t limit) { m_readLimit = limit; }

// --- reading -----------------------------------------------------------------

template <class Read>
bool ZPacket::Reading(Read read)
{
    const size_t index = m_readIndex, offset = m_readOffset, limit = m_readLimit;
    auto restore = [&] {
        m_readIndex = index;
        m_readOffset = offset;
        m_readLimit = limit;
    };
    try {
        if (read())
            return true;
    } catch (const DataUnderrun&) {
    } catch (const IllegalSequence&) {
        // Malformed UTF-8 in a text read: the text is refused like a short one.
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return false;
}

void ZPacket::Settle(Position& at) const
{
    while (at.index < m_buffers.size() && at.offset >= LengthOf(at.index)) {
        ++at.index;
        at.offset = 0;
    }
}

void ZPacket::SettleRead()
{
    Position at{m_readIndex, m_readOffset};
    Settle(at);
    m_readIndex = at.index;
    m_readOffset = at.offset;
}

unsigned char ZPacket::ReadByte()
{
    SettleRead();
    if (m_readIndex >= m_buffers.size() || m_readLimit == 0)
        throw DataUnderrun();
    if (m_readLimit != SIZE_MAX)
        --m_readLimit;
    const unsigned char value = m_buffers[m_readIndex]->GetData()[m_readOffset++];
    SettleRead();
    return value;
}

// Where byte i of a `bytes`-byte integer goes in the value, by the packet's byte order.
int ZPacket::ShiftOf(int i, int bytes) const
{
    return m_bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
}

uint64_t ZPacket::ReadUnsigned(int bytes)
{
    const size_t count = static_cast<size_t>(bytes);
    SettleRead();
    const unsigned char* at = nullptr;
    if (m_readIndex < m_buffers.size() && m_readLimit >= count && LengthOf(m_readIndex) - m_readOffset >= count)
        at = m_buffers[m_readIndex]->GetData() + m_readOffset;
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        // All in one buffer: straight from memory; else byte by byte across buffers.
        const uint64_t byte = at ? at[i] : ReadByte();
        value |= byte << ShiftOf(i, bytes);
    }
    if (at) {
        m_readOffset += count;
        if (m_readLimit != SIZE_MAX)
            m_readLimit -= count;
        SettleRead();
    }
    return value;
}

void ZPacket::Advance(size_t count)
{
    if (m_readLimit != SIZE_MAX && count > m_readLimit)
        throw DataUnderrun();
    while (count) {
        SettleRead();
        if (m_readIndex >= m_buffers.size())
            throw DataUnderrun();
        const size_t step = std::min(count, LengthOf(m_readIndex) - m_readOffset);
        m_readOffset += step;
        count -= step;
        if (m_readLimit != SIZE_MAX)
            m_readLimit -= step;
    }
    SettleRead();
}

// Hands the next `length` bytes to sink(bytes, count, stillToCome) in contiguous
// pieces and moves the cursor over them.
template <class Sink>
void ZPacket::ReadPieces(size_t length, Sink sink)
{
    while (length) {
        SettleRead();
        if (m_readIndex >= m_buffers.size())
            throw DataUnderrun();
        const size_t piece = std::min({LengthOf(m_readIndex) - m_readOffset, length, m_readLimit});
        if (piece == 0)
            throw DataUnderrun();
        length -= piece;
        sink(m_buffers[m_readIndex]->GetData() + m_readOffset, piece, length);
        Advance(piece);
    }
}

// Distance from the read cursor to the first terminator, searched to the end of the
// chain whatever the read limit.
bool ZPacket::FindTerminator(LengthFormat format, size_t& distance) const
{
    Position at{m_readIndex, m_readOffset};
    size_t seen = 0;
    bool afterCr = false;
    for (Settle(at); at.index < m_buffers.size(); Settle(at)) {
        const unsigned char byte = m_buffers[at.index]->GetData()[at.offset++];
        if (format == NulTerminated && byte == 0x00) {
            distance = seen;
            return true;
        }
        if (format == CrLfTerminated) {
            if (afterCr && byte == 0x0A) {
                distance = seen - 1;
                return true;
            }
            afterCr = byte == 0x0D;
        }
        ++seen;
    }
    return false;
}

bool ZPacket::ReadLength(LengthFormat format, size_t given, size_t& length)
{
    switch (format) {
    case LengthPrefix32:
    case LengthPrefix16:
    case LengthPrefix8:
        length = static_cast<size_t>(ReadUnsigned(PrefixSize(format)));
        break;
    case NulTerminated:
    case CrLfTerminated:
        if (!FindTerminator(format, length))
            return false;
        break;
    case LengthGiven:
        length = given;
        break;
    default:
        return false;
    }
    return GetRemaining() >= length;
}

bool ZPacket::ReadTerminator(LengthFormat format)
{
    if (format == NulTerminated)
        return ReadByte() == 0x00;
    if (format == CrLfTerminated)
        return ReadByte() == 0x0D && ReadByte() == 0x0A;
    return true;
}

// One length-marked field, all or nothing: its length, then body(length), which
// reads that many bytes, then its terminator.
template <class Body>
bool ZPacket::ReadField(LengthFormat format, size_t given, Body body)
{
    return Reading([&] {
        size_t length;
        return ReadLength(format, given, length) && body(length) && ReadTerminator(format);
    });
}

void ZPacket::ReadInto(void* out, size_t length)
{
    unsigned char* at = static_cast<unsigned char*>(out);
    ReadPieces(length, [&](const unsigned char* bytes, size_t count, size_t) {
        std::memcpy(at, bytes, count);
        at += count;
    });
}

// `position` bytes from the start of the first buffer, counted in data lengths; past
// the last buffer when the chain is shorter.
ZPacket::Position ZPacket::Locate(size_t position) const
{
    Position at{0, position};
    while (at.index < m_buffers.size() && at.offset >= LengthOf(at.index)) {
        at.offset -= LengthOf(at.index);
        ++at.index;
    }
    return at;
}

ZBasicBuffer* ZPacket::LookUpBasic(CursorBuffer& cache, size_t index)
{
    cache.index = index;
    cache.basic = nullptr;
    // Only the class itself: a derived buffer may answer its accessors differently.
    IBuffer* buffer = index < m_buffers.size() ? m_buffers[index] : nullptr;
    if (buffer && typeid(*buffer) == typeid(ZBasicBuffer))
        cache.basic = static_cast<ZBasicBuffer*>(buffer);
    return cache.basic;
}

void ZPacket::ForgetCursorBuffers()
{
    m_readBuffer = CursorBuffer();
    m_writeBuffer = CursorBuffer();
}

bool ZPacket::ReadAcross(uint64_t& value, size_t bytes)
{
    return Reading([&] {
        value = ReadUnsigned(static_cast<int>(bytes));
        return true;
    });
}

bool ZPacket::ReadAcrossInto(void* value, size_t bytes)
{
    uint64_t read;
    const bool ok = ReadAcross(read, bytes);
    if (ok)
        std::memcpy(value, &read, bytes);
    if (m_readBuffer.index != m_readIndex)
        LookUpBasic(m_readBuffer, m_readIndex);
    return ok;
}

bool ZPacket::ReadBoolAcross(bool& value)
{
    uint64_t read = 0;
    if (!ReadAcrossInto(&read, 1))
        return false;
    value = static_cast<unsigned char>(read) != 0;
    return true;
}

void ZPacket::WriteAcross(uint64_t value, size_t bytes)
{
    WriteUnsigned(value, static_cast<int>(bytes));
    if (m_writeBuffer.index != m_writeIndex)
        LookUpBasic(m_writeBuffer, m_writeIndex);
}

bool ZPacket::GetInt32(VARIANT& value) { return ResetToInteger(value, VT_I4) && GetInt32(value.lVal); }
bool ZPacket::GetUint32(VARIANT& value) { return ResetToInteger(value, VT_UI4) && GetUint32(value.ulVal); }

bool ZPacket::GetUint32At(unsigned long& value, size_t position)
{
    if (position >= GetTotalLength())
        return false;
    const size_t index = m_readIndex, offset = m_readOffset, limit = m_readLimit;
    const Position at = Locate(position);
    m_readIndex = at.index;
    m_readOffset = at.offset;
    const bool ok = GetUint32(value);
    m_readIndex = index;
    m_readOffset = offset;
    m_readLimit = limit;
    return ok;
}

bool ZPacket::GetString(IPacket* destination, LengthFormat format, size_t length)
{
    if (!destination)
        return false;
    ZUnknownPointer<IBuffer> buffer;
    buffer.Attach(new ZBasicBuffer(0, false));
    if (!GetString(buffer.Get(), format, length))
        return false;
    destination->AddBuffer(buffer.Get());
    return true;
}

bool ZPacket::GetString(IBuffer* destination, LengthFormat format, size_t length)
{
    if (!destination)
        return false;
    return ReadField(format, length, [&](size_t total) {
        // The reserve lets the destination grow once for the whole string.
        ReadPieces(total, [&](const unsigned char* bytes, size_t count, size_t stillToCome) {
            destination->Append(bytes, count, stillToCome);
        });
        return true;
    });
}

bool ZPacket::GetBytes(ZByteBlock& block, LengthFormat format)
{
    return ReadField(format, block.size, [&](size_t total) {
        if (total > block.size || (total && !block.data))
            return false;
        ReadInto(block.data, total);
        return true;
    });
}

bool ZPacket::GetAnsiString(VARIANT& value)
{
    if (FAILED(::VariantClear(&value)))
        return false;
    return Reading([&] {
        ZString bytes;
        return GetBytes(bytes, LengthPrefix32) && StoreBstr(value, ZUnicodeString(bytes));
    });
}

bool ZPacket::GetString(std::string& value, LengthFormat format, size_t length)
{
    return ReadField(format, length, [&](size_t total) {
        value.resize(total);
        ReadInto(value.data(), total);
        return true;
    });
}

bool ZPacket::GetBytes(ZString& value, LengthFormat format, size_t length)
{
    return ReadField(format, length, [&](size_t total) {
        ReadInto(value.GetBuffer(total), total);
        value.ReleaseBuffer(total);
        return true;
    });
}

bool ZPacket::GetString(VARIANT& value)
{
    if (FAILED(::VariantClear(&value)))
        return false;
    return Reading([&] {
        ZUnicodeString text;
        return GetString(text, LengthPrefix32) && StoreBstr(value, text);
    });
}

bool ZPacket::GetString(ZUnicodeString& value, LengthFormat format, size_t length)
{
    return ReadField(format, length, [&](size_t left) {
        // Keeps the string's storage for the next text when it is not shared.
        if (value.IsShared())
            value.clear();
        else
            value.resize(0);
        while (left) {
            SettleRead();
            if (m_readIndex >= m_buffers.size())
                throw DataUnderrun();
            const unsigned char* bytes = m_buffers[m_readIndex]->GetData() + m_readOffset;
            const size_t piece = std::min({LengthOf(m_readIndex) - m_readOffset, left, m_readLimit});
            if (piece == 0)
                throw DataUnderrun();
            // UTF-8 never needs more UTF-16 units than it has bytes.
            const size_t old = value.length();
            wchar_t* out = value.GetBuffer(old + piece);
            size_t used = 0;
            size_t written = 0;
            try {
                written = ZDecodeUTF8(bytes, piece, used, out + old, piece);
            } catch (...) {
                value.ReleaseBuffer(old);
                throw;
            }
            value.ReleaseBuffer(old + written);
            if (used) {
                Advance(used);
                left -= used;
                continue;
            }
            // The piece ends inside a sequence (a buffer boundary or the read limit cuts
            // it): gather that one sequence byte by byte.
            unsigned char sequence[4];
            sequence[0] = ReadByte();
            --left;
            const size_t needed = SequenceLength(sequence[0]);
            size_t have = 1;
            while (have < needed && left) {
                sequence[have++] = ReadByte();
                --left;
            }
            uint32_t codePoint;
            if (ZDecodeUTF8(sequence, have, codePoint) != have)
                return false;  // the text ends inside a sequence
            AppendCodePoint(value, codePoint);
        }
        return true;
    });
}

bool ZPacket::GetString(ZString& value, LengthFormat format, size_t length)
{
    ZUnicodeString text(value.GetSensitiveState());
    if (!GetString(text, format, length))
        return false;
    value = ZString(text);
    return true;
}

bool ZPacket::GetNextChunk(IBuffer*& buffer, size_t& offset, size_t& length)
{
    Position at{m_readIndex, m_readOffset};
    Settle(at);
    if (at.index >= m_buffers.size())
        return false;
    const size_t left = LengthOf(at.index) - at.offset;
    if (m_readLimit == SIZE_MAX) {
        length = left;
        return GetNextBuffer(buffer, offset);
    }
    const size_t count = std::min(left, m_readLimit);
    if (count == 0)
        return false;
    SettleRead();
    buffer = m_buffers[m_readIndex];
    buffer->AddRef();
    offset = m_readOffset;
    length = count;
    Advance(count);
    return true;
}

bool ZPacket::GetNextBuffer(IBuffer*& buffer, size_t& offset)
{
    Position at{m_readIndex, m_readOffset};
    Settle(at);
    if (at.index >= m_buffers.size())
        return false;
    buffer = m_buffers[at.index];
    buffer->AddRef();
    offset = at.offset;
    m_readIndex = at.index + 1;
    m_readOffset = 0;
    return true;
}

bool ZPacket::GetPacket(IPacket*& packet, LengthFormat format, size_t length)
{
    ZUnknownPointer<ZPacket> part;
    const bool ok = ReadField(format, length, [&](size_t left) {
        part.Attach(new ZPacket(0, false));
        if (left) {
            SettleRead();
            part->m_readOffset = m_readOffset;
            part->m_readLimit = left;
            while (left) {
                SettleRead();  // passes over buffers without unread bytes
                if (m_readIndex >= m_buffers.size())
                    throw DataUnderrun();
                const size_t step = std::min({LengthOf(m_readIndex) - m_readOffset, left, m_readLimit});
                part->AddBuffer(m_buffers[m_readIndex]);
                Advance(step);
                left -= step;
            }
        }
        // The shared buffers also hold this packet's bytes around the part: the
        // part's own writes go into fresh buffers after them.
        part->m_writeIndex = part->m_buffers.size();
        return true;
    });
    if (!ok)
        return false;
    packet = part.Detach();
    return true;
}

bool ZPacket::SkipString(size_t& length, LengthFormat format)
{
    return Reading([&] {
        size_t total;
        if (!ReadLength(format, length, total))
            return false;
        length = total;
        Advance(total);
        length = 0;
        return true;
    });
}

bool ZPacket::Skip(size_t count)
{
    return SkipString(count, LengthGiven);
}

bool ZPacket::Unread(size_t count)
{
    // Only bytes before the cursor can be retraced (the read limit does not tell).
    Position at{m_readIndex, m_readOffset};
    Settle(at);
    size_t consumed = 0;
    for (size_t i = 0; i < std::min(at.index, m_buffers.size()); ++i)
        consumed += LengthOf(i);
    if (at.index < m_buffers.size())
        consumed += at.offset;
    if (count > consumed)
        return false;
    if (m_readLimit != SIZE_MAX)
        m_readLimit = count >= SIZE_MAX - 1 - m_readLimit ? SIZE_MAX - 1 : m_readLimit + count;
    if (at.index >= m_buffers.size())
        at = {m_buffers.size(), 0};
    while (count) {
        if (at.offset >= count) {
            at.offset -= count;
            break;
        }
        count -= at.offset;
        --at.index;
        at.offset = LengthOf(at.index);
    }
    m_readIndex = at.index;
    m_readOffset = at.offset;
    return true;
}

void ZPacket::Rewind()
{
    m_readIndex = 0;
    m_readOffset = 0;
}

bool ZPacket::FindString(std::string pattern, size_t& position, size_t& matched)
{
    position = SIZE_MAX;
    matched = 0;
    if (pattern.empty())
        return false;
    const size_t remaining = GetRemaining();
    Position start{m_readIndex, m_readOffset};
    Settle(start);
    for (size_t shift = 0; shift < remaining; ++shift) {
        Position at = start;
        size_t count = 0;
        while (count < pattern.size() && shift + count < remaining &&
               m_buffers[at.index]->GetData()[at.offset] == static_cast<unsigned char>(pattern[count])) {
            ++count;
            ++at.offset;
            Settle(at);
        }
        if (count == pattern.size() || (count && shift + count == remaining)) {
            position = shift;
            matched = count;
            return true;
        }
        ++start.offset;
        Settle(start);
    }
    return false;
}

// --- writing -----------------------------------------------------------------

// The buffer under the write cursor, appending one of `newBufferSize` bytes when the
// cursor is past the last; never a full one.
IBuffer* ZPacket::WriteBuffer(size_t newBufferSize)
{
    while (m_writeIndex < m_buffers.size() && m_writeOffset >= m_buffers[m_writeIndex]->GetCapacity()) {
        RaiseWriteLength();
        ++m_writeIndex;
        m_writeOffset = 0;
    }
    if (m_writeIndex >= m_buffers.size()) {
        AppendOwnBuffer(std::max<size_t>(newBufferSize, 1));
        m_writeIndex = m_buffers.size() - 1;
        m_writeOffset = 0;
    }
    return m_buffers[m_writeIndex];
}

void ZPacket::RaiseWriteLength()
{
    if (m_writeIndex >= m_buffers.size())
        return;
    IBuffer* buffer = m_buffers[m_writeIndex];
    const size_t end = std::min(m_writeOffset, buffer->GetCapacity());
    if (buffer->GetDataLength() < end)
        buffer->SetDataLength(end);
}

void ZPacket::MoveOnWhenFull()
{
    if (m_writeIndex < m_buffers.size() && m_writeOffset >= m_buffers[m_writeIndex]->GetCapacity()) {
        ++m_writeIndex;
        m_writeOffset = 0;
    }
}

void ZPacket::FinishWriteBuffer()
{
    if (m_writeIndex < m_buffers.size() && m_writeOffset) {
        RaiseWriteLength();
        ++m_writeIndex;
        m_writeOffset = 0;
    }
    m_writeIndex = std::min(m_writeIndex, m_buffers.size());
}

void ZPacket::WriteByte(unsigned char value)
{
    IBuffer* buffer = WriteBuffer(kBufferSlack);
    buffer->GetData()[m_writeOffset++] = value;
    if (m_writeOffset == buffer->GetCapacity()) {
        RaiseWriteLength();
        MoveOnWhenFull();
    }
}

void ZPacket::WriteUnsigned(uint64_t value, int bytes)
{
    const size_t count = static_cast<size_t>(bytes);
    if (m_writeIndex < m_buffers.size()) {
        IBuffer* buffer = m_buffers[m_writeIndex];
        const size_t capacity = buffer->GetCapacity();
        if (m_writeOffset < capacity && capacity - m_writeOffset >= count) {
            // Room for the whole value in the current buffer.
            unsigned char* at = buffer->GetData() + m_writeOffset;
            for (int i = 0; i < bytes; ++i)
                at[i] = static_cast<unsigned char>(value >> ShiftOf(i, bytes));
            m_writeOffset += count;
            RaiseWriteLength();
            MoveOnWhenFull();
            return;
        }
    }
    for (int i = 0; i < bytes; ++i)
        WriteByte(static_cast<unsigned char>(value >> ShiftOf(i, bytes)));
    RaiseWriteLength();
}

// `pending` counts these bytes and any that follow them in the same put, so that a
// new buffer takes the whole rest.
void ZPacket::WriteRaw(const unsigned char* data, size_t length, size_t pending)
{
    while (length) {
        IBuffer* buffer = WriteBuffer(pending + kBufferSlack);
        const size_t count = std::min(length, buffer->GetCapacity() - m_writeOffset);
        std::memcpy(buffer->GetData() + m_writeOffset, data, count);
        m_writeOffset += count;
        RaiseWriteLength();
        MoveOnWhenFull();
        data += count;
        length -= count;
        pending -= count;
    }
}

void ZPacket::WritePrefix(LengthFormat format, size_t length)
{
    if (const int bytes = PrefixSize(format))
        WriteUnsigned(length, bytes);
}

void ZPacket::WriteTerminator(LengthFormat format)
{
    if (format == NulTerminated) {
        WriteByte(0x00);
    } else if (format == CrLfTerminated) {
        WriteByte(0x0D);
        WriteByte(0x0A);
    } else {
        return;
    }
    RaiseWriteLength();
}

void ZPacket::PutUint32At(unsigned long value, size_t position)
{
    const size_t total = GetTotalLength();
    if (position <= total && total - position >= 4) {
        // All four bytes are written data: patch them where they lie, across buffer
        // boundaries by data length, whatever spare capacity a buffer has.
        Position at = Locate(position);
        for (int i = 0; i < 4; ++i) {
            m_buffers[at.index]->GetData()[at.offset++] = static_cast<unsigned char>(value >> ShiftOf(i, 4));
            Settle(at);
        }
        return;
    }
    const size_t index = m_writeIndex, offset = m_writeOffset;
    const Position at = Locate(position);
    if (at.index == m_buffers.size())
        AppendOwnBuffer(std::max<size_t>(at.offset + 4, kBufferSlack));
    m_writeIndex = at.index;
    m_writeOffset = at.offset;
    WriteUnsigned(value, 4);
    m_writeIndex = index;
    m_writeOffset = offset;
}

void ZPacket::PutInt32At(long value, size_t position)
{
    PutUint32At(static_cast<unsigned long>(value), position);
}

bool ZPacket::PutPacket(IPacket* source, LengthFormat format)
{
    if (!source)
        return false;
    const size_t total = source->GetTotalLength();
    if (!PrefixHolds(format, total) || PacketHoldsTerminator(format, source))
        return false;
    if (source == this) {
        // Copied first, since the writes may land in the buffers being read; the
        // copy wipes as this packet does.
        ZUnknownPointer<ZBasicBuffer> copy;
        copy.Attach(new ZBasicBuffer(total, m_wipe));
        for (IBuffer* buffer : m_buffers)
            copy->Append(buffer->GetData(), buffer->GetDataLength(), 0);
        WritePrefix(format, total);
        WriteRaw(copy->GetData(), copy->GetDataLength(), copy->GetDataLength());
        WriteTerminator(format);
        return true;
    }
    WritePrefix(format, total);
    size_t pending = total;
    VisitBuffers(source, [&](IBuffer* buffer) {
        const size_t length = buffer->GetDataLength();
        WriteRaw(buffer->GetData(), length, pending);
        pending -= std::min(pending, length);
        return true;
    });
    WriteTerminator(format);
    return true;
}

bool ZPacket::PutBytes(const ZByteBlock& block, LengthFormat format)
{
    return PutBytes(static_cast<const void*>(block.data), block.size, format);
}

bool ZPacket::PutBytes(const void* data, size_t length, LengthFormat format)
{
    if ((!data && length) || !PrefixHolds(format, length) ||
        TerminatorScan(format).Found(static_cast<const unsigned char*>(data), length))
        return false;
    WritePrefix(format, length);
    WriteRaw(static_cast<const unsigned char*>(data), length, length + TerminatorSize(format));
    WriteTerminator(format);
    return true;
}

bool ZPacket::PutBytes(const char* data, size_t length, LengthFormat format)
{
    return PutBytes(static_cast<const void*>(data), length, format);
}

bool ZPacket::PutCString(const char* text, LengthFormat format)
{
    if (!text)
        return false;
    return PutBytes(static_cast<const void*>(text), std::strlen(text), format);
}

bool ZPacket::PutString(const wchar_t* text, size_t count, LengthFormat format)
{
    if (!text && count)
        return false;
    size_t encoded;
    try {
        encoded = ZEncodeUTF8(text, count, nullptr, 0, nullptr);
    } catch (const IllegalSequence&) {
        return false;
    }
    if (!PrefixHolds(format, encoded) || TextHoldsTerminator(format, text, count))
        return false;
    WritePrefix(format, encoded);
    size_t consumed = 0;
    size_t pending = encoded;
    while (consumed < count) {
        IBuffer* buffer = WriteBuffer(pending + kBufferSlack);
        size_t units = 0;
        size_t written = ZEncodeUTF8(text + consumed, count - consumed, buffer->GetData() + m_writeOffset,
                                     buffer->GetCapacity() - m_writeOffset, &units);
        if (written) {
            m_writeOffset += written;
            RaiseWriteLength();
            MoveOnWhenFull();
        } else {
            // The next sequence is longer than the room left: its first bytes fill this
            // buffer exactly and the rest open the next one.
            unsigned char carry[4];
            const size_t sequenceUnits = IsHighSurrogate(text[consumed]) ? 2 : 1;
            written = ZEncodeUTF8(text + consumed, sequenceUnits, carry, sizeof carry, &units);
            WriteRaw(carry, written, pending);
        }
        consumed += units;
        pending -= written;
    }
    WriteTerminator(format);
    return true;
}

bool ZPacket::PutString(const wchar_t* text, LengthFormat format)
{
    if (!text)
        return false;
    return PutString(text, std::wcslen(text), format);
}

bool ZPacket::PutString(const ZUnicodeString& text, LengthFormat format)
{
    if (text.IsSensitive())
        WipeFromNowOn();
    return PutString(text.c_str(), text.length(), format);
}

bool ZPacket::PutAnsiString(const char* text, LengthFormat format)
{
    if (!text)
        return false;
    // Nothing tells a secret from plain text here, so the copies are wiped.
    const ZUnicodeString wide = ZString(text, Str::Sensitive).ToUnicode();
    return PutString(wide.c_str(), wide.length(), format);
}

bool ZPacket::PutString(const ZString& text, LengthFormat format)
{
    return PutString(text.ToUnicode(), format);
}

void ZPacket::AppendOwnBuffer(size_t capacity)
{
    ZUnknownPointer<IBuffer> buffer;
    buffer.Attach(new ZBasicBuffer(capacity, m_wipe));
    m_buffers.push_back(buffer.Get());
    ForgetCursorBuffers();
    buffer.Detach();  // the chain's reference from now on
}

void ZPacket::WipeFromNowOn()
{
    m_wipe = true;
    for (IBuffer* buffer : m_buffers) {
        if (auto* own = dynamic_cast<ZBasicBuffer*>(buffer))
            own->SetWipe();
    }
}

void ZPacket::InsertBuffer(IBuffer* buffer)
{
    FinishWriteBuffer();
    const size_t at = m_writeIndex;
    m_buffers.insert(m_buffers.begin() + static_cast<ptrdiff_t>(at), buffer);
    buffer->AddRef();
    ForgetCursorBuffers();
    // A reader beyond the insertion point stays on its bytes.
    if (at < m_readIndex || (at == m_readIndex && m_readOffset))
        ++m_readIndex;
    m_writeOffset = buffer->GetDataLength();
    MoveOnWhenFull();
}

bool ZPacket::PutBuffer(IBuffer* buffer, LengthFormat format)
{
    if (!buffer || !PrefixHolds(format, buffer->GetDataLength()) ||
        TerminatorScan(format).Found(buffer->GetData(), buffer->GetDataLength()))
        return false;
    WritePrefix(format, buffer->GetDataLength());
    InsertBuffer(buffer);
    WriteTerminator(format);
    return true;
}

bool ZPacket::PutPacketBuffers(IPacket* source, LengthFormat format)
{
    if (!source || source == this)
        return false;
    const size_t total = source->GetTotalLength();
    if (!PrefixHolds(format, total) || PacketHoldsTerminator(format, source))
        return false;
    WritePrefix(format, total);
    FinishWriteBuffer();
    VisitBuffers(source, [&](IBuffer* buffer) {
        InsertBuffer(buffer);
        return true;
    });
    WriteTerminator(format);
    return true;
}

void ZPacket::SeekWriteToEnd()
{
    for (size_t i = m_buffers.size(); i-- > 0;) {
        const size_t length = LengthOf(i);
        if (length) {
            m_writeIndex = i;
            m_writeOffset = length;
            MoveOnWhenFull();
            return;
        }
    }
    m_writeIndex = 0;
    m_writeOffset = 0;
}

bool ZPacket::MoveWritePosition(__int64 delta)
{
    if (delta == 0)
        return true;
    if (delta < 0) {
        size_t back = 0 - static_cast<size_t>(delta);
        size_t index = std::min(m_writeIndex, m_buffers.size());
        size_t offset = index < m_buffers.size() ? m_writeOffset : 0;
        while (back > offset) {
            if (index == 0)
                return false;
            back -= offset;
            --index;
            offset = LengthOf(index);
        }
        m_writeIndex = index;
        m_writeOffset = offset - back;
        return true;
    }
    // The whole delta is reserved, across as many buffers as it takes, so that the
    // next put lands exactly delta bytes further on.
    size_t ahead = static_cast<size_t>(delta);
    while (ahead) {
        IBuffer* buffer = WriteBuffer(ahead + kBufferSlack);
        const size_t step = std::min(ahead, buffer->GetCapacity() - m_writeOffset);
        const size_t length = buffer->GetDataLength();
        const size_t end = m_writeOffset + step;
        if (end > length) {
            // Never-written storage: it must not carry leftover memory into the stream.
            const size_t from = std::max(m_writeOffset, length);
            std::memset(buffer->GetData() + from, 0, end - from);
        }
        m_writeOffset = end;
        RaiseWriteLength();
        MoveOnWhenFull();
        ahead -= step;
    }
    return true;
}

void ZPacket::SetWriteToRead()
{
    m_writeIndex = m_readIndex;
    m_writeOffset = m_readOffset;
}

void ZPacket::TruncateAtWrite()
{
    if (m_writeIndex < m_buffers.size())
        m_buffers[m_writeIndex]->SetDataLength(std::min(m_writeOffset, m_buffers[m_writeIndex]->GetCapacity()));
    for (size_t i = m_writeIndex + 1; i < m_buffers.size(); ++i)
        m_buffers[i]->SetDataLength(0);
}

void ZPacket::AddBuffer(IBuffer* buffer)
{
    if (!buffer)
        return;
    m_buffers.push_back(buffer);
    buffer->AddRef();
    ForgetCursorBuffers();
}

IBuffer* ZPacket::RemoveFirstBuffer()
{
    Position at{m_readIndex, m_readOffset};
    Settle(at);
    if (m_buffers.empty() || at.index == 0)
        return nullptr;  // nothing there, or its bytes are not all read yet
    m_readIndex = at.index;
    m_readOffset = at.offset;
    IBuffer* first = m_buffers.front();
    m_buffers.erase(m_buffers.begin());
    ForgetCursorBuffers();
    --m_readIndex;
    if (m_writeIndex)
        --m_writeIndex;
    else
        m_writeOffset = 0;
    return first;
}

bool ZPacket::IsEqual(IPacket* other)
{
    if (!other)
        return false;
    Position mine{m_readIndex, m_readOffset};
    ZUnknownPointer<IPacketState> saved;
    saved.Attach(other->SaveState());
    bool equal = true;
    IBuffer* buffer;
    size_t offset;
    while (equal && other->GetNextBuffer(buffer, offset)) {
        const unsigned char* theirs = buffer->GetData();
        const size_t length = buffer->GetDataLength();
        while (equal && offset < length) {
            Settle(mine);
            if (mine.index >= m_buffers.size()) {
                equal = false;
                break;
            }
            const size_t step = std::min(length - offset, LengthOf(mine.index) - mine.offset);
            equal = std::memcmp(theirs + offset, m_buffers[mine.index]->GetData() + mine.offset, step) == 0;
            offset += step;
            mine.offset += step;
        }
        buffer->Release();
    }
    other->RestoreState(saved.Get());
    Settle(mine);
    return equal && mine.index >= m_buffers.size();
}
