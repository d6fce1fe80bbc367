// Secrets through packets: neither the conversions a put or a get makes nor the
// packet's own buffers leave a sensitive string's bytes in freed memory.
#include <gtest/gtest.h>

#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"
#include "net/ZPacket.h"
#include "tests/support/FreedMemoryWatch.h"
#include "tests/support/OwnedReference.h"

namespace {

using TestSupport::Own;

constexpr wchar_t kSecret[] = L"Tr0ub4dor&3-packet-secret";
constexpr char kNarrowSecret[] = "Tr0ub4dor&3-packet-secret";

ZString NarrowSecret()
{
    return ZString(ZUnicodeString(kSecret, Str::Sensitive));
}

struct SecretPath {
    const char* name;
    void (*run)();
};

const SecretPath kSecretPaths[] = {
    {"GetString into a sensitive ZString",
     [] {
         auto packet = Own(new ZPacket(0, true));
         ASSERT_TRUE(packet->PutString(kSecret, LengthPrefix32));
         ZString value(Str::Sensitive);
         ASSERT_TRUE(packet->GetString(value, LengthPrefix32));
         EXPECT_EQ(value, kNarrowSecret);
     }},
    {"PutString of a sensitive ZString into a wiping packet",
     [] { EXPECT_TRUE(Own(new ZPacket(0, true))->PutString(NarrowSecret(), LengthPrefix32)); }},
    {"PutAnsiString into a wiping packet",
     [] { EXPECT_TRUE(Own(new ZPacket(0, true))->PutAnsiString(kNarrowSecret, NulTerminated)); }},
    {"PutString of a sensitive ZUnicodeString into a plain packet",
     [] {
         auto packet = Own(new ZPacket(0, false));
         packet->PutUint32(7ul);
         EXPECT_TRUE(packet->PutString(ZUnicodeString(kSecret, Str::Sensitive), LengthPrefix32));
     }},
    {"PutString of a sensitive ZString into the buffer a plain packet was made with",
     [] {
         auto packet = Own(new ZPacket(64, false));
         packet->PutUint32(7ul);
         EXPECT_TRUE(packet->PutString(NarrowSecret(), NulTerminated));
     }},
    {"PutPacket of a wiping packet into itself",
     [] {
         auto packet = Own(new ZPacket(0, true));
         ASSERT_TRUE(packet->PutString(kSecret, LengthPrefix32));
         EXPECT_TRUE(packet->PutPacket(packet.Get(), LengthPrefix32));
     }},
};

TEST(PacketSecrets, SensitiveTextLeavesNoCopyInFreedMemory)
{
    for (const SecretPath& path : kSecretPaths) {
        SCOPED_TRACE(path.name);
        TestSupport::FreedMemoryWatch watch;
        path.run();
        EXPECT_GT(watch.BlocksFreed(), 0u);
        EXPECT_FALSE(watch.HoldsText(kSecret)) << "the secret is in a block freed without a wipe";
    }
}

}  // namespace
