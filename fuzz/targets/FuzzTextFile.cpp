// Text files with and without byte-order marks, read line by line to the end.
#include <stdexcept>

#include "fuzz/targets/TextFileSeeds.h"

namespace {

ScratchFile* g_file = nullptr;

std::string Read(const unsigned char* bytes, size_t size)
{
    ZTextFile file;
    if (!OpenInput(*g_file, bytes, size, file))
        return "open failed " + std::to_string(::GetLastError());
    ZUnicodeString line;
    size_t lines = 0, units = 0;
    while (file.ReadLine(line)) {
        units += line.size();
        // Each line ends one terminator further, or at the end.
        if (++lines > size + 1 || units > size)
            throw std::logic_error("more lines or text than the file has bytes");
        if (line.view().find_first_of(L"\r\n") != std::wstring_view::npos)
            throw std::logic_error("a line holds a line end");
    }
    return "encoding " + std::to_string(file.GetEncoding()) + ", ended " + std::to_string(::GetLastError());
}

}  // namespace

int main()
{
    ScratchFile scratch(L"input.txt");
    g_file = &scratch;
    Fuzz::Target target{"textfile", Read,
                        [] {
                            return TextFileSeeds(L"first line\r\nsecond caf\u00e9\rthird \u20ac\n\n"
                                                 L"\U0001F600 last without end");
                        },
                        16 * 1024};
    return Fuzz::RunFuzzer(target);
}
