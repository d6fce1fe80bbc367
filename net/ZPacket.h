// ZPacket: the IPacket over a chain of IBuffer objects, and ZPacketState, the
// snapshot of its cursors that SaveState hands out.
//
// Read cursor: (buffer index, offset) plus a read limit, the bytes reads may still
// consume (SIZE_MAX: unlimited, never lowered). It moves to the next buffer when it
// reaches a buffer's data length. Write cursor: (buffer index, offset); it moves on
// when it reaches a buffer's capacity, and every put raises the buffer's data length
// to the offset. Buffers the packet makes for itself are ZBasicBuffers carrying the
// packet's wipe flag, sized to the whole pending write plus 1024 bytes. Putting a
// sensitive string turns the flag on for good and makes every ZBasicBuffer in the
// chain wipe, so the secret's bytes are never freed unwiped.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "foundation/TessaroApi.h"
#include "net/IPacket.h"
#include "net/ZBasicBuffer.h"

// The integer fast path loads and stores whole values and swaps them for the
// big-endian order.
static_assert(std::endian::native == std::endian::little);

class TESSARO_API ZPacketState : public ZUnknown<IPacketState> {
public:
    size_t m_readIndex = 0;
    size_t m_readOffset = 0;
    size_t m_readLimit = SIZE_MAX;
    size_t m_writeIndex = 0;
    size_t m_writeOffset = 0;
};

class TESSARO_API ZPacket : public ZUnknown<IPacket> {
public:
    // A non-zero capacity starts the chain with one ZBasicBuffer of that size.
    explicit ZPacket(size_t initialCapacity = 0, bool wipe = false);
    ZPacket(const ZPacket&) = delete;
    ZPacket& operator=(const ZPacket&) = delete;

    void SetLittleEndian() override;
    void SetBigEndian() override;
    IPacketState* SaveState() override;
    void RestoreState(IPacketState* state) override;
    size_t GetTotalLength() override;
    size_t GetRemaining() override;
    size_t GetWritePosition() override;
    void SetReadLimit(size_t limit) override;

    bool GetUint8(unsigned char& value) final { return GetInteger(value); }
    bool GetInt8(char& value) final { return GetInteger(value); }
    bool GetBool(bool& value) final { return GetInteger(value); }
    bool GetInt16(short& value) final { return GetInteger(value); }
    bool GetUint16(unsigned short& value) final { return GetInteger(value); }
    bool GetInt32(VARIANT& value) override;
    bool GetInt32(long& value) final { return GetInteger(value); }
    bool GetUint32(VARIANT& value) override;
    bool GetUint32At(unsigned long& value, size_t position) override;
    bool GetUint32(unsigned long& value) final { return GetInteger(value); }
    bool GetInt64(__int64& value) final { return GetInteger(value); }
    bool GetUint64(unsigned __int64& value) final { return GetInteger(value); }
    bool GetString(IPacket* destination, LengthFormat format, size_t length = 0) override;
    bool GetString(IBuffer* destination, LengthFormat format, size_t length = 0) override;
    bool GetBytes(ZByteBlock& block, LengthFormat format) override;
    bool GetAnsiString(VARIANT& value) override;
    bool GetString(std::string& value, LengthFormat format, size_t length = 0) override;
    bool GetBytes(ZString& value, LengthFormat format, size_t length = 0) override;
    bool GetString(VARIANT& value) override;
    bool GetString(ZUnicodeString& value, LengthFormat format, size_t length = 0) override;
    bool GetString(ZString& value, LengthFormat format, size_t length = 0) override;
    bool GetNextChunk(IBuffer*& buffer, size_t& offset, size_t& length) override;
    bool GetNextBuffer(IBuffer*& buffer, size_t& offset) override;
    bool GetPacket(IPacket*& packet, LengthFormat format, size_t length = 0) override;
    bool SkipString(size_t& length, LengthFormat format) override;
    bool Skip(size_t count) override;
    bool Unread(size_t count) override;
    void Rewind() override;
    bool FindString(std::string pattern, size_t& position, size_t& matched) override;

    void PutUint8(unsigned char value) final { PutUnsigned<1>(value); }
    void PutInt8(char value) final { PutUnsigned<1>(static_cast<unsigned char>(value)); }
    void PutBool(bool value) final { PutUnsigned<1>(value ? 1 : 0); }
    void PutInt16(short value) final { PutUnsigned<2>(static_cast<unsigned short>(value)); }
    void PutUint16(unsigned short value) final { PutUnsigned<2>(value); }
    void PutInt32(long value) final { PutUnsigned<4>(static_cast<unsigned long>(value)); }
    void PutUint32At(unsigned long value, size_t position) override;
    void PutUint32(unsigned long value) final { PutUnsigned<4>(value); }
    void PutInt32At(long value, size_t position) override;
    void PutUint32(unsigned int value) final { PutUnsigned<4>(value); }
    void PutInt64(__int64 value) final { PutUnsigned<8>(static_cast<unsigned __int64>(value)); }
    void PutUint64(unsigned __int64 value) final { PutUnsigned<8>(value); }
    bool PutPacket(IPacket* source, LengthFormat format) override;
    bool PutBytes(const ZByteBlock& block, LengthFormat format) override;
    bool PutBytes(const void* data, size_t length, LengthFormat format) override;
    bool PutBytes(const char* data, size_t length, LengthFormat format) override;
    bool PutCString(const char* text, LengthFormat format) override;
    bool PutString(const wchar_t* text, size_t count, LengthFormat format) override;
    bool PutString(const wchar_t* text, LengthFormat format) override;
    bool PutString(const ZUnicodeString& text, LengthFormat format) override;
    bool PutAnsiString(const char* text, LengthFormat format) override;
    bool PutString(const ZString& text, LengthFormat format) override;
    bool PutBuffer(IBuffer* buffer, LengthFormat format) override;
    bool PutPacketBuffers(IPacket* source, LengthFormat format) override;
    void SeekWriteToEnd() override;
    bool MoveWritePosition(__int64 delta) override;
    void SetWriteToRead() override;
    void TruncateAtWrite() override;
    void AddBuffer(IBuffer* buffer) override;
    IBuffer* RemoveFirstBuffer() override;
    bool IsEqual(IPacket* other) override;

    ~ZPacket() override;

private:
    struct Position {
        size_t index;
        size_t offset;
    };

    // The plain ZBasicBuffer at a cursor's buffer index, looked up once per
    // buffer the cursor enters; null for any other kind of buffer, which takes
    // the general path. Forgotten whenever the chain changes.
    struct CursorBuffer {
        size_t index = SIZE_MAX;
        ZBasicBuffer* basic = nullptr;
    };

    template <class Read>
    bool Reading(Read read);
    // The integer fast path, inline so that callers holding a ZPacket make no
    // call at all while a value fits the buffer under the cursor.
    template <class Integer>
    bool GetInteger(Integer& value)
    {
        // Only the general path takes a variable by reference, so the fast
        // path's value never goes through memory.
        uint64_t read;
        if (ReadWithin<sizeof(Integer)>(read)) {
            value = static_cast<Integer>(read);
            return true;
        }
        // The general path is the last thing done, a jump rather than a call,
        // so the fast path needs no stack frame of its own.
        if constexpr (std::is_same_v<Integer, bool>)
            return ReadBoolAcross(value);
        else
            return ReadAcrossInto(&value, sizeof(Integer));
    }
    template <size_t Bytes>
    void PutUnsigned(uint64_t value)
    {
        if (!WriteWithin<Bytes>(value))
            WriteAcross(value, Bytes);
    }
    // The buffer under a cursor as last looked up; a cursor that has moved to
    // another buffer takes the general path, which looks it up for the next value.
    static ZBasicBuffer* BasicAt(const CursorBuffer& cache, size_t index)
    {
        return cache.index == index ? cache.basic : nullptr;
    }
    ZBasicBuffer* LookUpBasic(CursorBuffer& cache, size_t index);
    void ForgetCursorBuffers();
    // A value that lies wholly inside the read buffer and leaves at least one
    // byte after it, so the cursor stays in that buffer.
    template <size_t Bytes>
    bool ReadWithin(uint64_t& value)
    {
        const ZBasicBuffer* buffer = BasicAt(m_readBuffer, m_readIndex);
        if (!buffer)
            return false;
        // Every field read once, before the stores that could alias them.
        const size_t offset = m_readOffset;
        const size_t length = buffer->m_length;
        const size_t limit = m_readLimit;
        // offset is within a buffer's capacity, far from overflowing.
        if (offset + Bytes >= length || limit < Bytes)
            return false;
        uint64_t raw = 0;
        std::memcpy(&raw, buffer->m_data + offset, Bytes);
        value = m_bigEndian ? __builtin_bswap64(raw) >> (64 - 8 * Bytes) : raw;
        m_readOffset = offset + Bytes;
        if (limit != SIZE_MAX)
            m_readLimit = limit - Bytes;
        return true;
    }
    // A value that fits the write buffer with room to spare, so the cursor
    // stays in that buffer.
    template <size_t Bytes>
    bool WriteWithin(uint64_t value)
    {
        ZBasicBuffer* buffer = BasicAt(m_writeBuffer, m_writeIndex);
        if (!buffer)
            return false;
        // Every field read once, before the byte stores that could alias any of them.
        const size_t offset = m_writeOffset;
        const size_t capacity = buffer->m_capacity;
        const size_t length = buffer->m_length;
        unsigned char* data = buffer->m_data;
        if (offset + Bytes >= capacity)
            return false;
        const uint64_t raw = m_bigEndian ? __builtin_bswap64(value << (64 - 8 * Bytes)) : value;
        std::memcpy(data + offset, &raw, Bytes);
        m_writeOffset = offset + Bytes;
        if (length < offset + Bytes)
            buffer->m_length = offset + Bytes;
        return true;
    }
    // The general path: across buffers, at a buffer's end, over other buffers.
    bool ReadAcross(uint64_t& value, size_t bytes);
    // The same, storing the low bytes of the value (the integer itself, on
    // this little-endian machine) or, for a bool, whether it is non-zero.
    [[gnu::noinline]] bool ReadAcrossInto(void* value, size_t bytes);
    [[gnu::noinline]] bool ReadBoolAcross(bool& value);
    [[gnu::noinline]] void WriteAcross(uint64_t value, size_t bytes);

    template <class Body>
    bool ReadField(LengthFormat format, size_t given, Body body);
    size_t LengthOf(size_t index) const { return m_buffers[index]->GetDataLength(); }
    void Settle(Position& at) const;
    void SettleRead();
    unsigned char ReadByte();
    int ShiftOf(int i, int bytes) const;
    uint64_t ReadUnsigned(int bytes);
    void Advance(size_t count);
    template <class Sink>
    void ReadPieces(size_t length, Sink sink);
    bool FindTerminator(LengthFormat format, size_t& distance) const;
    bool ReadLength(LengthFormat format, size_t given, size_t& length);
    bool ReadTerminator(LengthFormat format);
    void ReadInto(void* out, size_t length);
    Position Locate(size_t position) const;

    IBuffer* WriteBuffer(size_t newBufferSize);
    void RaiseWriteLength();
    void MoveOnWhenFull();
    void FinishWriteBuffer();
    void WriteByte(unsigned char value);
    void WriteUnsigned(uint64_t value, int bytes);
    void WriteRaw(const unsigned char* data, size_t length, size_t pending);
    void WritePrefix(LengthFormat format, size_t length);
    void WriteTerminator(LengthFormat format);
    void InsertBuffer(IBuffer* buffer);
    void AppendOwnBuffer(size_t capacity);
    void WipeFromNowOn();

    std::vector<IBuffer*> m_buffers;  // one reference each
    bool m_bigEndian = true;
    bool m_wipe = false;
    size_t m_readIndex = 0;
    size_t m_readOffset = 0;
    size_t m_readLimit = SIZE_MAX;
    size_t m_writeIndex = 0;
    size_t m_writeOffset = 0;
    CursorBuffer m_readBuffer;
    CursorBuffer m_writeBuffer;
};
