// Icon group directories and icon images, as the icon manager reads them from
// resources of any file: every directory choice and every image check.
#include <stdexcept>

#include "fuzz/FuzzHarness.h"
#include "shell/ZIconDirectory.h"
#include "tests/shell/IconFiles.h"
#include "tests/support/PngWriter.h"

int main()
{
    Fuzz::Target target{
        "icons",
        [](const unsigned char* bytes, size_t size) -> std::string {
            std::string outcome = "no choice";
            for (int depth : {4, 8, 32}) {
                const auto choice = Tessaro::ChooseIconImages(bytes, size, depth, SIZE{32, 32}, SIZE{16, 16});
                if (choice) {
                    if (choice->largeId < -1 || choice->smallId < -1)
                        throw std::logic_error("identifier out of range");
                    outcome = "choice";
                }
            }
            return outcome + (Tessaro::IconImageFits(bytes, size) ? ", image fits" : ", image refused");
        },
        [] {
            using IconFiles::Entry;
            const std::string png = TestSupport::PngWriter::Encode(2, 2, {{1, 2, 3, 255}, {4, 5, 6, 255},
                                                                          {7, 8, 9, 255}, {9, 9, 9, 0}}, true);
            return std::vector<Fuzz::Bytes>{
                IconFiles::MakeDirectory({{32, 32, 32, 1}, {16, 16, 8, 2}, {256, 256, 32, 3}, {48, 48, 4, 4}}),
                IconFiles::MakeDirectory({{16, 16, 32, 7}}),
                IconFiles::MakeImage(16, 16, 32, RGB(1, 2, 3)),
                IconFiles::MakeImage(4, 4, 4, RGB(9, 8, 7)),
                IconFiles::MakeImage(8, 8, 8, RGB(5, 5, 5)),
                Fuzz::ToBytes(png),
            };
        },
        16 * 1024};
    return Fuzz::RunFuzzer(target);
}
