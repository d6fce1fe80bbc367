// Helpers for the packet tests: packets laid over given byte chains, and a view of
// a packet's bytes.
#pragma once

#include <cstring>
#include <initializer_list>
#include <vector>

#include "net/ZBasicBuffer.h"
#include "net/ZPacket.h"

namespace PacketTest {

using Bytes = std::vector<unsigned char>;

template <class T>
ZUnknownPointer<T> Own(T* object)
{
    ZUnknownPointer<T> owner;
    owner.Attach(object);
    return owner;
}

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

// A packet whose chain holds `bytes` cut into buffers of the given sizes (the last
// takes the rest); every buffer is full.
inline ZUnknownPointer<ZPacket> Chain(const Bytes& bytes, std::initializer_list<size_t> sizes = {})
{
    auto packet = Own(new ZPacket(0, false));
    size_t at = 0;
    auto add = [&](size_t size) {
        auto buffer = Own(new ZBasicBuffer(size, false));
        buffer->Append(bytes.data() + at, size, 0);
        packet->AddBuffer(buffer.Get());
        at += size;
    };
    for (size_t size : sizes)
        if (at + size <= bytes.size())
            add(size);
    if (at < bytes.size())
        add(bytes.size() - at);
    packet->SeekWriteToEnd();
    return packet;
}

inline ZUnknownPointer<ZPacket> ChainCutAt(const Bytes& bytes, const std::vector<size_t>& cuts)
{
    auto packet = Own(new ZPacket(0, false));
    size_t from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const size_t to = i < cuts.size() ? cuts[i] : bytes.size();
        auto buffer = Own(new ZBasicBuffer(to - from, false));
        buffer->Append(bytes.data() + from, to - from, 0);
        packet->AddBuffer(buffer.Get());
        from = to;
    }
    packet->SeekWriteToEnd();
    return packet;
}

// Every byte of every buffer, from the first.
inline Bytes Contents(IPacket* packet)
{
    auto state = Own(packet->SaveState());
    packet->Rewind();
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

inline Bytes Utf8(const char* text) { return Bytes(text, text + std::strlen(text)); }

}  // namespace PacketTest
