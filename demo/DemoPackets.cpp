#include "demo/DemoPackets.h"

#include <winsock2.h>

#include <string>

#include "demo/DemoOutput.h"
#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"
#include "net/ZBasicBuffer.h"
#include "net/ZInternetAddress.h"
#include "net/ZPacket.h"

namespace {

template <class T>
ZUnknownPointer<T> Own(T* object)
{
    ZUnknownPointer<T> owner;
    owner.Attach(object);
    return owner;
}

// The packet's bytes in hexadecimal, one line per buffer.
void DumpBuffers(IPacket* packet)
{
    auto state = Own(packet->SaveState());
    packet->Rewind();
    IBuffer* buffer;
    size_t offset;
    for (int index = 0; packet->GetNextBuffer(buffer, offset); ++index) {
        std::wstring line;
        for (size_t i = offset; i < buffer->GetDataLength(); ++i) {
            wchar_t hex[4];
            swprintf(hex, 4, L"%02X ", buffer->GetData()[i]);
            line += hex;
        }
        DemoPrintf(L"  buffer %d (%zu of %zu bytes): %ls\n", index, buffer->GetDataLength(), buffer->GetCapacity(),
                   line.c_str());
        buffer->Release();
    }
    packet->RestoreState(state.Get());
}

void ShowRoundTrip()
{
    DemoPrint(L"-- packet round trip (first buffer 12 bytes, so fields cross buffers)\n");
    auto packet = Own(new ZPacket(12, false));
    const wchar_t* text = L"Gr\u00FC\u00DFe \U0001F600 \U0001D11E";
    packet->PutUint16(0x1234);
    packet->SetLittleEndian();
    packet->PutUint32(0xA1B2C3D4ul);
    packet->SetBigEndian();
    packet->PutInt64(-2);
    packet->PutString(text, LengthPrefix32);
    packet->PutCString("end", CrLfTerminated);
    DumpBuffers(packet.Get());

    unsigned short u16 = 0;
    unsigned long u32 = 0;
    __int64 i64 = 0;
    ZUnicodeString back;
    std::string tail;
    bool ok = packet->GetUint16(u16);
    packet->SetLittleEndian();
    ok = ok && packet->GetUint32(u32);
    packet->SetBigEndian();
    ok = ok && packet->GetInt64(i64) && packet->GetString(back, LengthPrefix32) &&
         packet->GetString(tail, CrLfTerminated);
    DemoPrintf(L"  read back: %ls\n", ok ? L"all fields" : L"FAILED");
    DemoPrintf(L"  16-bit big-endian    0x%04X\n", u16);
    DemoPrintf(L"  32-bit little-endian 0x%08lX\n", u32);
    DemoPrintf(L"  64-bit big-endian    %lld\n", static_cast<long long>(i64));
    DemoPrintf(L"  text (length 0)      \"%ls\" %ls\n", back.c_str(), back == text ? L"(same text)" : L"(DIFFERS)");
    DemoPrintf(L"  text (CR LF)         \"%hs\"\n", tail.c_str());

    const std::string longText(300, 'x');
    auto refused = Own(new ZPacket(0, false));
    const bool written = refused->PutBytes(longText.data(), longText.size(), LengthPrefix8);
    DemoPrintf(L"  300 bytes behind a one-byte length: %ls (%zu bytes in the packet)\n",
               written ? L"written" : L"refused", refused->GetTotalLength());
}

void ShowAddress(const char* text)
{
    ZString host;
    unsigned short port = 0;
    bool hadPort = false;
    if (!SplitHostAndPort(text, host, port, &hadPort)) {
        DemoPrintf(L"  %-32hs not host[:port] text\n", text);
        return;
    }
    auto address = Own(CreateAddressFromNumericHost(host.c_str(), port));
    if (!address) {
        DemoPrintf(L"  %-32hs not a numeric address\n", text);
        return;
    }
    std::wstring notes = address->GetFamily() == AF_INET ? L"IPv4" : L"IPv6";
    if (address->IsAny())
        notes += L", any";
    if (address->IsLoopback())
        notes += L", loopback";
    if (!hadPort)
        notes += L", no port";
    const ZUnicodeString printed = address->ToString(true);
    const std::wstring next = address->Increment() ? address->ToString(false).str() : L"(none)";
    DemoPrintf(L"  %-32hs %-26ls %-22ls next %ls\n", text, printed.c_str(), notes.c_str(), next.c_str());
}

void ShowAddresses()
{
    DemoPrint(L"-- addresses\n");
    for (const char* text : {"10.0.0.1:22", "10.0.0.255", "127.0.0.1:8080", "127.1", "0x7f.0.0.1", "0.0.0.0:0",
                             "192.168.1.300", "[fe80::1]:2222", "::1", "[2001:db8::ffff:ffff]:443", "[::1",
                             "x[::1]:5", "10.0.0.1:65536", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "host.example:22"})
        ShowAddress(text);

    auto net = Own(CreateAddressFromNumericHost("192.168.1.7", 0));
    auto other = Own(CreateAddressFromNumericHost("192.168.1.200", 0));
    if (net && other)
        DemoPrintf(L"  192.168.1.7 and 192.168.1.200 in one /24: %ls, /25: %ls\n",
                   net->IsInSubnet(other.Get(), 24) ? L"yes" : L"no", net->IsInSubnet(other.Get(), 25) ? L"yes" : L"no");
}

}  // namespace

void ShowPackets()
{
    DemoPrint(L"== Packets and addresses\n");
    ShowRoundTrip();
    ShowAddresses();
    DemoPrint(L"\n");
}
