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

#include <cstdint>
#include <vector>

#include "foundation/TessaroApi.h"
#include "net/IPacket.h"

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

    bool GetUint8(unsigned char& value) override;
    bool GetInt8(char& value) override;
    bool GetBool(bool& value) override;
    bool GetInt16(short& value) override;
    bool GetUint16(unsigned short& value) override;
    bool GetInt32(VARIANT& value) override;
    bool GetInt32(long& value) override;
    bool GetUint32(VARIANT& value) override;
    bool GetUint32At(unsigned long& value, size_t position) override;
    bool GetUint32(unsigned long& value) override;
    bool GetInt64(__int64& value) override;
    bool GetUint64(unsigned __int64& value) override;
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

    void PutUint8(unsigned char value) override;
    void PutInt8(char value) override;
    void PutBool(bool value) override;
    void PutInt16(short value) override;
    void PutUint16(unsigned short value) override;
    void PutInt32(long value) override;
    void PutUint32At(unsigned long value, size_t position) override;
    void PutUint32(unsigned long value) override;
    void PutInt32At(long value, size_t position) override;
    void PutUint32(unsigned int value) override;
    void PutInt64(__int64 value) override;
    void PutUint64(unsigned __int64 value) override;
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

    template <class Read>
    bool Reading(Read read);
    template <class Integer>
    bool GetInteger(Integer& value);
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
};
