// Packet puts and gets against a plain memcpy of the same bytes: integers in both
// byte orders, and strings as UTF-16 text (encoded to UTF-8 on the way in, decoded on
// the way out) and as bytes. Throughput is counted in packet bytes.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/harness/BenchHarness.h"
#include "foundation/ZUTF8.h"
#include "foundation/ZUnicodeString.h"
#include "net/ZPacket.h"

namespace {

constexpr size_t kIntegers = 16 * 1024;
constexpr size_t kStrings = 2000;

template <class T>
ZUnknownPointer<T> Own(T* object)
{
    ZUnknownPointer<T> owner;
    owner.Attach(object);
    return owner;
}

// Starts writing and reading again from the first byte, keeping the storage.
void Restart(IPacket* packet)
{
    packet->Rewind();
    packet->SetWriteToRead();
}

void CompareIntegers(Bench::Harness& harness, bool littleEndian)
{
    const char* order = littleEndian ? " little-endian" : " big-endian";
    std::vector<uint32_t> values(kIntegers);
    std::mt19937 random(7);
    for (uint32_t& v : values)
        v = random();
    const size_t bytes = kIntegers * 4;
    std::vector<unsigned char> source(bytes), target(bytes);
    std::memcpy(source.data(), values.data(), bytes);

    auto packet = Own(new ZPacket(bytes, false));
    if (littleEndian)
        packet->SetLittleEndian();
    for (uint32_t v : values)
        packet->PutUint32(static_cast<unsigned long>(v));
    auto wide = Own(new ZPacket(bytes, false));
    if (littleEndian)
        wide->SetLittleEndian();

    const Bench::Case copy{"memcpy", [&] {
                               std::memcpy(target.data(), source.data(), bytes);
                               return size_t(target[bytes - 1]);
                           }};
    harness.Compare(std::string("put 32-bit") + order, bytes, copy,
                    {{"PutUint32", [&] {
                          Restart(packet.Get());
                          for (uint32_t v : values)
                              packet->PutUint32(static_cast<unsigned long>(v));
                          return packet->GetWritePosition();
                      }},
                     {"PutUint64 (half as many)", [&] {
                          Restart(wide.Get());
                          for (size_t i = 0; i < kIntegers; i += 2)
                              wide->PutUint64((uint64_t(values[i]) << 32) | values[i + 1]);
                          return wide->GetWritePosition();
                      }}});
    harness.Compare(std::string("get 32-bit") + order, bytes, copy,
                    {{"GetUint32", [&] {
                          packet->Rewind();
                          unsigned long sum = 0, v = 0;
                          while (packet->GetUint32(v))
                              sum += v;
                          return size_t(sum);
                      }},
                     {"GetUint64 (half as many)", [&] {
                          packet->Rewind();
                          unsigned __int64 sum = 0, v = 0;
                          while (packet->GetUint64(v))
                              sum += v;
                          return size_t(sum);
                      }}});
}

void CompareStrings(Bench::Harness& harness)
{
    // Mostly ASCII words with some accented, CJK and emoji text, as chat lines are.
    const wchar_t* words[] = {L"session", L"transfer", L"host", L"caf\u00E9", L"Gr\u00FC\u00DFe", L"\u65E5\u672C",
                              L"\U0001F600", L"file.txt", L"connected", L"\u00E0 bient\u00F4t"};
    std::mt19937 random(11);
    std::vector<ZUnicodeString> texts;
    std::vector<std::string> utf8;
    size_t bytes = 0;
    for (size_t i = 0; i < kStrings; ++i) {
        std::wstring line;
        while (line.size() < 60) {
            line += words[random() % std::size(words)];
            line += L' ';
        }
        texts.emplace_back(line);
        utf8.push_back(ZEncodeUTF8(line.data(), line.size()));
        bytes += 4 + utf8.back().size();
    }
    std::vector<unsigned char> source(bytes), target(bytes);

    auto packet = Own(new ZPacket(bytes + 1024, false));
    for (const ZUnicodeString& t : texts)
        packet->PutString(t, LengthPrefix32);
    auto raw = Own(new ZPacket(bytes + 1024, false));

    const Bench::Case copy{"memcpy", [&] {
                               std::memcpy(target.data(), source.data(), bytes);
                               return size_t(target[bytes - 1]);
                           }};
    harness.Compare("put strings", bytes, copy,
                    {{"PutString UTF-16 to UTF-8", [&] {
                          Restart(packet.Get());
                          for (const ZUnicodeString& t : texts)
                              packet->PutString(t, LengthPrefix32);
                          return packet->GetWritePosition();
                      }},
                     {"PutBytes of the UTF-8", [&] {
                          Restart(raw.Get());
                          for (const std::string& s : utf8)
                              raw->PutBytes(s.data(), s.size(), LengthPrefix32);
                          return raw->GetWritePosition();
                      }}});
    ZUnicodeString text;
    std::string narrow;
    text.reserve(128);
    narrow.reserve(256);
    harness.Compare("get strings", bytes, copy,
                    {{"GetString UTF-8 to UTF-16", [&] {
                          packet->Rewind();
                          size_t units = 0;
                          while (packet->GetString(text, LengthPrefix32))
                              units += text.length();
                          return units;
                      }},
                     {"GetString as bytes", [&] {
                          packet->Rewind();
                          size_t total = 0;
                          while (packet->GetString(narrow, LengthPrefix32))
                              total += narrow.size();
                          return total;
                      }}});
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::Harness harness("bench_packets", argc, argv);
    CompareIntegers(harness, false);
    CompareIntegers(harness, true);
    CompareStrings(harness);
    return harness.Finish();
}
