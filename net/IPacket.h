// IPacket: reader and writer of binary messages laid over a chain of IBuffer
// objects. Integers of 8 to 64 bits in either byte order; strings, byte blocks and
// sub-packets with one of six length formats; zero-copy insertion of whole buffers.
//
// Every Get... returns true on success; on failure the read cursor and the read
// limit are as they were before the call (a destination may hold part of the data).
// Puts that take a length refuse, returning false and writing nothing, when the
// length does not fit the chosen prefix, when the data holds the terminator of a
// terminated format (a reader would stop there), or when the text is not valid UTF-16.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

#include "net/IBuffer.h"

class ZString;
class ZUnicodeString;

// How a string, byte block or sub-packet marks its length.
enum LengthFormat : unsigned int {
    LengthPrefix32 = 0,   // unsigned 32-bit length before the bytes, packet byte order
    LengthPrefix16 = 1,   // unsigned 16-bit length before the bytes, packet byte order
    LengthPrefix8 = 2,    // one length byte before the bytes
    NulTerminated = 3,    // one 0x00 after the bytes
    CrLfTerminated = 4,   // 0x0D 0x0A after the bytes
    LengthGiven = 5,      // nothing: the reader passes the length
};

// Bytes owned by the caller: reading fills `data` with at most `size` bytes.
struct ZByteBlock {
    size_t size = 0;
    unsigned char* data = nullptr;
};

// Both cursors and the read limit of a packet, from SaveState.
class IPacketState : public IUnknown {};

class IPacket : public IUnknown {
public:
    virtual void SetLittleEndian() = 0;
    virtual void SetBigEndian() = 0;
    virtual IPacketState* SaveState() = 0;
    virtual void RestoreState(IPacketState* state) = 0;
    virtual size_t GetTotalLength() = 0;
    virtual size_t GetRemaining() = 0;
    virtual size_t GetWritePosition() = 0;
    // SIZE_MAX means no limit.
    virtual void SetReadLimit(size_t limit) = 0;

    virtual bool GetUint8(unsigned char& value) = 0;
    virtual bool GetInt8(char& value) = 0;
    virtual bool GetBool(bool& value) = 0;
    virtual bool GetInt16(short& value) = 0;
    virtual bool GetUint16(unsigned short& value) = 0;
    virtual bool GetInt32(VARIANT& value) = 0;
    virtual bool GetInt32(long& value) = 0;
    virtual bool GetUint32(VARIANT& value) = 0;
    // Four bytes at an absolute position from the start of the first buffer; the
    // read cursor and limit are left as they were.
    virtual bool GetUint32At(unsigned long& value, size_t position) = 0;
    virtual bool GetUint32(unsigned long& value) = 0;
    virtual bool GetInt64(__int64& value) = 0;
    virtual bool GetUint64(unsigned __int64& value) = 0;
    // Appends the bytes to the destination as a new buffer of its own.
    virtual bool GetString(IPacket* destination, LengthFormat format, size_t length = 0) = 0;
    virtual bool GetString(IBuffer* destination, LengthFormat format, size_t length = 0) = 0;
    // block.size is the length for LengthGiven and the upper bound otherwise.
    virtual bool GetBytes(ZByteBlock& block, LengthFormat format) = 0;
    virtual bool GetAnsiString(VARIANT& value) = 0;
    virtual bool GetString(std::string& value, LengthFormat format, size_t length = 0) = 0;
    virtual bool GetBytes(ZString& value, LengthFormat format, size_t length = 0) = 0;
    virtual bool GetString(VARIANT& value) = 0;
    // UTF-8 in the packet, UTF-16 in the string.
    virtual bool GetString(ZUnicodeString& value, LengthFormat format, size_t length = 0) = 0;
    virtual bool GetString(ZString& value, LengthFormat format, size_t length = 0) = 0;
    // The unread bytes of the read buffer, within the limit; the buffer gains a reference.
    virtual bool GetNextChunk(IBuffer*& buffer, size_t& offset, size_t& length) = 0;
    virtual bool GetNextBuffer(IBuffer*& buffer, size_t& offset) = 0;
    // A packet sharing this packet's buffers (no copy); the caller owns it.
    virtual bool GetPacket(IPacket*& packet, LengthFormat format, size_t length = 0) = 0;
    // Counts `length` down to 0 while skipping; a terminator is left unread.
    virtual bool SkipString(size_t& length, LengthFormat format) = 0;
    virtual bool Skip(size_t count) = 0;
    virtual bool Unread(size_t count) = 0;
    virtual void Rewind() = 0;
    // Finds the pattern in the unread bytes without moving the cursor; also true for a
    // proper prefix of the pattern at the very end (matched < pattern length).
    virtual bool FindString(std::string pattern, size_t& position, size_t& matched) = 0;

    virtual void PutUint8(unsigned char value) = 0;
    virtual void PutInt8(char value) = 0;
    virtual void PutBool(bool value) = 0;
    virtual void PutInt16(short value) = 0;
    virtual void PutUint16(unsigned short value) = 0;
    virtual void PutInt32(long value) = 0;
    // Overwrites four bytes at an absolute position (a length reserved earlier).
    virtual void PutUint32At(unsigned long value, size_t position) = 0;
    virtual void PutUint32(unsigned long value) = 0;
    virtual void PutInt32At(long value, size_t position) = 0;
    virtual void PutUint32(unsigned int value) = 0;
    virtual void PutInt64(__int64 value) = 0;
    virtual void PutUint64(unsigned __int64 value) = 0;
    virtual bool PutPacket(IPacket* source, LengthFormat format) = 0;
    virtual bool PutBytes(const ZByteBlock& block, LengthFormat format) = 0;
    virtual bool PutBytes(const void* data, size_t length, LengthFormat format) = 0;
    virtual bool PutBytes(const char* data, size_t length, LengthFormat format) = 0;
    virtual bool PutCString(const char* text, LengthFormat format) = 0;
    // UTF-16 in, UTF-8 in the packet; the length counts UTF-8 bytes.
    virtual bool PutString(const wchar_t* text, size_t count, LengthFormat format) = 0;
    virtual bool PutString(const wchar_t* text, LengthFormat format) = 0;
    virtual bool PutString(const ZUnicodeString& text, LengthFormat format) = 0;
    virtual bool PutAnsiString(const char* text, LengthFormat format) = 0;
    virtual bool PutString(const ZString& text, LengthFormat format) = 0;
    // Inserts the buffer itself at the write cursor (gains a reference, no copy).
    virtual bool PutBuffer(IBuffer* buffer, LengthFormat format) = 0;
    virtual bool PutPacketBuffers(IPacket* source, LengthFormat format) = 0;
    virtual void SeekWriteToEnd() = 0;
    virtual bool MoveWritePosition(__int64 delta) = 0;
    virtual void SetWriteToRead() = 0;
    virtual void TruncateAtWrite() = 0;
    virtual void AddBuffer(IBuffer* buffer) = 0;
    // The first buffer once it is read through (the caller owns the reference), or null.
    virtual IBuffer* RemoveFirstBuffer() = 0;
    // Same unread bytes, read limits aside.
    virtual bool IsEqual(IPacket* other) = 0;
};
