// The TLS versions setting as text: read into the mask, and the mask written
// back must read as the same versions.
#include <stdexcept>

#include "controls/ZProfileTlsVersions.h"
#include "fuzz/FuzzHarness.h"

int main()
{
    Fuzz::Target target{
        "tls",
        [](const unsigned char* bytes, size_t size) -> std::string {
            const ZProfileTlsVersions versions(ZUnicodeString(Fuzz::PlaceText(Fuzz::AsUnits(bytes, size))));
            unsigned mask = 0xFFFFFE0Fu;
            if (!versions.GetEnabledVersions(mask))
                return mask == 0xFFFFFE0Fu ? "refused" : throw std::logic_error("refused but mask changed");
            if ((mask & ~ZProfileTlsVersions::kMaskBits) != (0xFFFFFE0Fu & ~ZProfileTlsVersions::kMaskBits))
                throw std::logic_error("bits outside the versions changed");
            ZProfileTlsVersions written;
            written.SetEnabledVersions(mask);
            unsigned again = 0;
            if (!written.GetEnabledVersions(again) ||
                (again & ZProfileTlsVersions::kMaskBits) != (mask & ZProfileTlsVersions::kMaskBits))
                throw std::logic_error("written text does not read back");
            return "accepted";
        },
        [] {
            return std::vector<Fuzz::Bytes>{
                Fuzz::ToBytes(std::wstring(L"1.0=0,1.1=1,1.2=1,1.3=1")),
                Fuzz::ToBytes(std::wstring(L"1.2=1,1.3=0,9.9=1")),
                Fuzz::ToBytes(std::wstring(L"1.0=1")),
            };
        },
        2048};
    return Fuzz::RunFuzzer(target);
}
