// Packet integers against the plainest code that does the same job: a big-endian
// writer and reader over a byte vector that check their bounds on every value.
// 32-bit puts and gets are called both through IPacket (one virtual call per
// value) and on the ZPacket itself (the fast path inlined into the loop); byte
// blocks are compared with memcpy of the same bytes. Each loop holds its packet
// in a local pointer, as a caller would: read through the lambda's captured
// reference it would be reloaded after every store the packet makes.
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/harness/BenchHarness.h"
#include "net/ZPacket.h"

namespace {

constexpr size_t kIntegers = 16 * 1024;
constexpr size_t kBlock = 64 * 1024;
constexpr size_t kBlocks = 16;

// The baseline: grows the vector when a value does not fit, refuses a read past
// the end. Nothing more than a careful hand-written codec does.
class PlainWriter {
public:
    explicit PlainWriter(std::vector<unsigned char>& bytes) : m_bytes(bytes) {}
    void Restart() { m_position = 0; }
    size_t Position() const { return m_position; }
    void PutUint32(uint32_t value)
    {
        if (m_bytes.size() - m_position < 4)
            m_bytes.resize(m_position + 4 + m_bytes.size());
        unsigned char* at = m_bytes.data() + m_position;
        at[0] = static_cast<unsigned char>(value >> 24);
        at[1] = static_cast<unsigned char>(value >> 16);
        at[2] = static_cast<unsigned char>(value >> 8);
        at[3] = static_cast<unsigned char>(value);
        m_position += 4;
    }

private:
    std::vector<unsigned char>& m_bytes;
    size_t m_position = 0;
};

class PlainReader {
public:
    PlainReader(const std::vector<unsigned char>& bytes, size_t length) : m_bytes(bytes), m_length(length) {}
    void Restart() { m_position = 0; }
    bool GetUint32(uint32_t& value)
    {
        if (m_length - m_position < 4)
            return false;
        const unsigned char* at = m_bytes.data() + m_position;
        value = (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) | at[3];
        m_position += 4;
        return true;
    }

private:
    const std::vector<unsigned char>& m_bytes;
    size_t m_length;
    size_t m_position = 0;
};

void CompareIntegers(Bench::Harness& harness)
{
    std::vector<uint32_t> values(kIntegers);
    std::mt19937 random(5);
    for (uint32_t& v : values)
        v = random();
    const size_t bytes = kIntegers * 4;

    std::vector<unsigned char> plainBytes(bytes);
    PlainWriter writer(plainBytes);
    for (uint32_t v : values)
        writer.PutUint32(v);
    PlainReader reader(plainBytes, bytes);

    auto owned = ZAdoptReference(new ZPacket(bytes, false));
    ZPacket* concrete = owned.Get();
    IPacket* packet = concrete;
    for (uint32_t v : values)
        packet->PutUint32(static_cast<unsigned long>(v));

    harness.Compare("put 32-bit", bytes,
                    {"plain writer", [&] {
                         writer.Restart();
                         for (uint32_t v : values)
                             writer.PutUint32(v);
                         return writer.Position();
                     }},
                    {{"PutUint32 on IPacket", [&] {
                          IPacket* local = packet;
                          local->Rewind();
                          local->SetWriteToRead();
                          for (uint32_t v : values)
                              local->PutUint32(static_cast<unsigned long>(v));
                          return local->GetWritePosition();
                      }},
                     {"PutUint32 on ZPacket", [&] {
                          ZPacket* local = concrete;
                          local->Rewind();
                          local->SetWriteToRead();
                          for (uint32_t v : values)
                              local->PutUint32(static_cast<unsigned long>(v));
                          return local->GetWritePosition();
                      }}});
    harness.Compare("get 32-bit", bytes,
                    {"plain reader", [&] {
                         reader.Restart();
                         uint32_t sum = 0, v = 0;
                         while (reader.GetUint32(v))
                             sum += v;
                         return size_t(sum);
                     }},
                    {{"GetUint32 on IPacket", [&] {
                          IPacket* local = packet;
                          local->Rewind();
                          unsigned long sum = 0, v = 0;
                          while (local->GetUint32(v))
                              sum += v;
                          return size_t(sum);
                      }},
                     {"GetUint32 on ZPacket", [&] {
                          ZPacket* local = concrete;
                          local->Rewind();
                          unsigned long sum = 0, v = 0;
                          while (local->GetUint32(v))
                              sum += v;
                          return size_t(sum);
                      }}});
}

void CompareBlocks(Bench::Harness& harness)
{
    std::vector<unsigned char> block(kBlock);
    std::mt19937 random(9);
    for (unsigned char& b : block)
        b = static_cast<unsigned char>(random());
    const size_t bytes = kBlock * kBlocks;
    std::vector<unsigned char> target(bytes);

    auto owned = ZAdoptReference(new ZPacket(bytes, false));
    IPacket* packet = owned.Get();
    for (size_t i = 0; i < kBlocks; ++i)
        packet->PutBytes(block.data(), block.size(), LengthGiven);
    std::vector<unsigned char> out(kBlock);

    const Bench::Case copy{"memcpy", [&] {
                               for (size_t i = 0; i < kBlocks; ++i)
                                   std::memcpy(target.data() + i * kBlock, block.data(), kBlock);
                               return size_t(target[bytes - 1]);
                           }};
    harness.Compare("put 64 KiB blocks", bytes, copy,
                    {{"PutBytes", [&] {
                          packet->Rewind();
                          packet->SetWriteToRead();
                          for (size_t i = 0; i < kBlocks; ++i)
                              packet->PutBytes(block.data(), block.size(), LengthGiven);
                          return packet->GetWritePosition();
                      }}});
    harness.Compare("get 64 KiB blocks", bytes, copy,
                    {{"GetBytes", [&] {
                          packet->Rewind();
                          ZByteBlock into{kBlock, out.data()};
                          size_t got = 0;
                          while (packet->GetBytes(into, LengthGiven))
                              got += kBlock;
                          return got + out[kBlock - 1];
                      }}});
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_packet_integers", argc, argv);
    CompareIntegers(harness);
    CompareBlocks(harness);
    return harness.Finish();
}
