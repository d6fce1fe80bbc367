// The hand-off block a second instance leaves for the running one: read as the
// two strings the message claims, as the first string alone, and as one.
#include <stdexcept>

#include "fuzz/FuzzHarness.h"
#include "net/ZPacket.h"
#include "shell/ZHandOff.h"
#include "tests/net/PacketTestSupport.h"

namespace {

std::string Read(const unsigned char* bytes, size_t size, size_t count)
{
    auto buffer = PacketTest::Own(new PacketTest::ExternalBuffer(const_cast<unsigned char*>(bytes), size));
    ZArray<ZUnicodeString> arguments;
    const bool read = Tessaro::ReadHandOffBlock(buffer.Get(), size, count, arguments);
    if (read != (arguments.GetCount() > 0))
        throw std::logic_error("strings handed out with a refusal, or none with success");
    return read ? "read" : "refused";
}

ZArray<ZUnicodeString> Arguments(std::initializer_list<const wchar_t*> texts)
{
    ZArray<ZUnicodeString> arguments;
    for (const wchar_t* text : texts)
        arguments.Add(ZUnicodeString(text));
    return arguments;
}

Fuzz::Bytes Block(std::initializer_list<const wchar_t*> texts)
{
    ZPacket packet;
    Tessaro::WriteHandOffBlock(Arguments(texts), packet);
    Fuzz::Bytes bytes(packet.GetTotalLength());
    ZByteBlock block{bytes.size(), bytes.data()};
    if (!bytes.empty())
        packet.GetBytes(block, LengthGiven);
    return bytes;
}

}  // namespace

int main()
{
    Fuzz::Target target{
        "handoff",
        [](const unsigned char* bytes, size_t size) {
            return "two " + Read(bytes, size, 2) + ", first " + Read(bytes, size, SIZE_MAX) + ", one " +
                   Read(bytes, size, 1);
        },
        [] {
            return std::vector<Fuzz::Bytes>{
                Block({L"-x", L"\u00e9t\u00e9 \U0001F600"}),
                Block({L"C:\\Users\\me\\Documents\\site.session", L"/open"}),
                Block({L"", L"a"}),
            };
        },
        4096};
    return Fuzz::RunFuzzer(target);
}
