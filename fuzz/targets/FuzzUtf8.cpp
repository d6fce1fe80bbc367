// UTF-8 decoding: the streaming decoder, the one-sequence decoder, the whole-text
// decoder, and the encoder over the same bytes read as UTF-16 units. Outputs end
// at no-access pages too, so a write past the capacity faults.
#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "foundation/ZExceptions.h"
#include "foundation/ZUTF8.h"
#include "fuzz/FuzzHarness.h"
#include "tests/support/GuardedBuffer.h"

namespace {

constexpr size_t kMaxInput = 8 * 1024;

std::string Decode(const unsigned char* bytes, size_t size)
{
    static TestSupport::GuardedBuffer output(kMaxInput * sizeof(wchar_t));
    // Every byte gives at most one unit, and a four-byte sequence two.
    wchar_t* out = output.DataAs<wchar_t>() + (kMaxInput - size);
    std::string outcome;
    size_t used = 0;
    try {
        const size_t needed = ZDecodeUTF8(bytes, size, used, nullptr, 0);
        used = 0;
        const size_t units = ZDecodeUTF8(bytes, size, used, out, size);
        if (units != needed)
            throw std::logic_error("counted and written units differ");
        outcome = used == size ? "accepted" : "incomplete tail";
    } catch (const IllegalSequence&) {
        outcome = "illegal sequence";
    }
    if (used > size)
        throw std::logic_error("decoder used more bytes than given");
    for (size_t at = 0; at < size;) {
        uint32_t codePoint = 0;
        size_t length = 0;
        try {
            length = ZDecodeUTF8(bytes + at, size - at, codePoint);
        } catch (const IllegalSequence&) {
            length = 1;  // step over it
        }
        if (length == 0)
            break;
        if (length > size - at || codePoint > 0x10FFFF)
            throw std::logic_error("sequence decoded past its bytes or beyond U+10FFFF");
        at += length;
    }
    try {
        ZDecodeUTF8(reinterpret_cast<const char*>(bytes), size);
    } catch (const IllegalSequence&) {
    }
    return outcome;
}

void Encode(const unsigned char* bytes, size_t size)
{
    static TestSupport::GuardedBuffer output(kMaxInput / 2 * 3);
    const std::wstring units = Fuzz::AsUnits(bytes, size);
    const size_t capacity = units.size() * 3;
    unsigned char* out = output.Data() + output.Size() - capacity;
    size_t consumed = 0;
    try {
        const size_t written = ZEncodeUTF8(units.data(), units.size(), out, capacity, &consumed);
        if (written > capacity || consumed > units.size())
            throw std::logic_error("encoder went past its input or output");
        const std::wstring back = ZDecodeUTF8(reinterpret_cast<const char*>(out), written);
        if (back != units.substr(0, consumed))
            throw std::logic_error("encoded text does not decode to itself");
    } catch (const IllegalSequence&) {
    }
}

Fuzz::Bytes Utf8(const wchar_t* text) { return Fuzz::ToBytes(ZEncodeUTF8(text, std::wcslen(text))); }

}  // namespace

int main()
{
    Fuzz::Target target{"utf8",
                        [](const unsigned char* bytes, size_t size) {
                            Encode(bytes, size);
                            return Decode(bytes, size);
                        },
                        [] {
                            return std::vector<Fuzz::Bytes>{
                                Utf8(L"plain ASCII text\r\n"),
                                Utf8(L"caf\u00e9 \u20ac \u4e2d\u6587 \U0001F600\U00010348"),
                                Fuzz::ToBytes(std::string("\x80\xBF stray, \xC0\xAF overlong, \xED\xA0\x80 surrogate")),
                                Fuzz::ToBytes(std::wstring(L"units \u00e9\U0001F600")),
                            };
                        },
                        kMaxInput};
    return Fuzz::RunFuzzer(target);
}
