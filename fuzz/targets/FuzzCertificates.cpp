// Certificate files, read through the platform's PKCS #12 and certificate
// parsers: the input's first byte picks its role (0: the PFX loaded, 1: a PEM
// companion beside a good PFX, 2: a DER companion), the rest is the file.
#include <cstdio>
#include <stdexcept>

#include "certificates/ZCertificate.h"
#include "foundation/ZReportMessageParams.h"
#include "fuzz/FuzzHarness.h"
#include "fuzz/targets/ScratchFile.h"

namespace {

struct Files {
    ScratchFile pfx{L"input.pfx"};
    ScratchFile companionPfx{L"companion.pfx"};
    ScratchFile pem{L"companion.crt"};
    ScratchFile der{L"companion.cer"};
};

Files* g_files = nullptr;

std::string Load(const unsigned char* bytes, size_t size)
{
    if (size == 0)
        return "empty";
    const int role = bytes[0] % 3;
    const ScratchFile& file = role == 0 ? g_files->pfx : role == 1 ? g_files->pem : g_files->der;
    ::DeleteFileW(g_files->pem.Path().c_str());
    ::DeleteFileW(g_files->der.Path().c_str());
    if (!file.Write(bytes + 1, size - 1))
        throw std::runtime_error("cannot write the scratch file");
    ZCertificate certificate;
    ZReportMessageParams report;
    const bool loaded =
        certificate.Load((role == 0 ? g_files->pfx : g_files->companionPfx).Path().c_str(), nullptr, report);
    if (loaded != (certificate.GetCertificate() != nullptr))
        throw std::logic_error("load result and certificate disagree");
    char outcome[48];
    std::snprintf(outcome, sizeof outcome, "%s %s %08X", role == 0 ? "pfx" : role == 1 ? "pem" : "der",
                  loaded ? "loaded" : "refused", static_cast<unsigned>(report.GetMessageId()));
    return outcome;
}

}  // namespace

int main()
{
    Files files;
    g_files = &files;
    Fuzz::Target target{"pfx", Load, [] { return std::vector<Fuzz::Bytes>{}; }, 8 * 1024, 30000,
                        [](const std::vector<Fuzz::Bytes>& corpus) {
                            // The good PFX beside each companion: the corpus's first entry.
                            if (!corpus.empty() && !corpus[0].empty())
                                g_files->companionPfx.Write(corpus[0].data() + 1, corpus[0].size() - 1);
                        }};
    return Fuzz::RunFuzzer(target);
}
