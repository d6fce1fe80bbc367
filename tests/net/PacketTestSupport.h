// Helpers for the packet tests: packets laid over given byte chains, a view of a
// packet's bytes, and reads that hand back their value (or nothing).
#pragma once

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/ZUnicodeString.h"
#include "net/ZBasicBuffer.h"
#include "net/ZPacket.h"
#include "tests/support/OwnedReference.h"

namespace PacketTest {

using Bytes = std::vector<unsigned char>;

using TestSupport::Own;

// An IBuffer over memory the test owns (a guarded page, say): capacity = length,
// so nothing is ever written past it.
class ExternalBuffer : public ZUnknown<IBuffer> {
public:
    ExternalBuffer(unsigned char* data, size_t length) : m_data(data), m_length(length) {}
    const unsigned char* GetData() const override { return m_data; }
    unsigned char* GetData() override { return m_data; }
    size_t GetCapacity() const override { return m_length; }
    size_t GetDataLength() const override { return m_length; }
    void SetDataLength(size_t length) override { m_length = length; }
    void* Append(const void*, size_t, size_t) override { return nullptr; }

private:
    unsigned char* m_data;
    size_t m_length;
};

inline const char* FormatName(unsigned format)
{
    static const char* const names[] = {"LengthPrefix32", "LengthPrefix16", "LengthPrefix8",
                                        "NulTerminated",  "CrLfTerminated", "LengthGiven"};
    return format < std::size(names) ? names[format] : "unknown format";
}

// A packet whose chain holds `bytes` in full buffers, cut at the given offsets.
inline ZUnknownPointer<ZPacket> Chain(const Bytes& bytes, const std::vector<size_t>& cuts = {})
{
    auto packet = Own(new ZPacket(0, false));
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const size_t to = i < cuts.size() ? cuts[i] : bytes.size();
        if (to == from)
            continue;
        auto buffer = Own(new ZBasicBuffer(to - from, false));
        buffer->Append(bytes.data() + from, to - from, 0);
        packet->AddBuffer(buffer.Get());
        from = to;
    }
    packet->SeekWriteToEnd();
    return packet;
}

// The bytes from the read cursor on, the read limit aside.
inline Bytes Unread(IPacket* packet)
{
    auto state = Own(packet->SaveState());
    Bytes out;
    IBuffer* buffer;
    size_t offset;
    while (packet->GetNextBuffer(buffer, offset)) {
        out.insert(out.end(), buffer->GetData() + offset, buffer->GetData() + buffer->GetDataLength());
        buffer->Release();
    }
    packet->RestoreState(state.Get());
    return out;
}

// Every byte of every buffer, from the first.
inline Bytes Contents(IPacket* packet)
{
    auto state = Own(packet->SaveState());
    packet->Rewind();
    Bytes out = Unread(packet);
    packet->RestoreState(state.Get());
    return out;
}

// What `put` writes into a new packet, in the given byte order.
inline Bytes Written(const std::function<void(IPacket*)>& put, bool littleEndian = false)
{
    auto packet = Own(new ZPacket(0, false));
    if (littleEndian)
        packet->SetLittleEndian();
    put(packet.Get());
    return Contents(packet.Get());
}

inline Bytes Utf8(const char* text) { return Bytes(text, text + std::strlen(text)); }

inline std::string Text(const IBuffer* buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer->GetData()), buffer->GetDataLength());
}

inline std::optional<unsigned> U8(IPacket* packet)
{
    unsigned char value;
    return packet->GetUint8(value) ? std::optional<unsigned>(value) : std::nullopt;
}

inline std::optional<unsigned long> U32(IPacket* packet)
{
    unsigned long value;
    return packet->GetUint32(value) ? std::optional<unsigned long>(value) : std::nullopt;
}

inline std::optional<std::string> Narrow(IPacket* packet, LengthFormat format, size_t length = 0)
{
    std::string value;
    return packet->GetString(value, format, length) ? std::optional<std::string>(value) : std::nullopt;
}

inline std::optional<std::wstring> Wide(IPacket* packet, LengthFormat format, size_t length = 0)
{
    ZUnicodeString value;
    return packet->GetString(value, format, length) ? std::optional<std::wstring>(value.str()) : std::nullopt;
}

}  // namespace PacketTest
