// The profile text format: sections read with ProfileRecord::load from a text
// file in any encoding, and every value turned into each typed setting (the font
// form parsed from a copy that ends at a no-access page).
#include <stdexcept>

#include "fuzz/targets/TextFileSeeds.h"
#include "settings/ProfileRecord.h"
#include "settings/ProfileValues.h"

namespace {

ScratchFile* g_file = nullptr;
const wchar_t* const kKeys[] = {L"Columns", L"Ratio", L"Title", L"Font", L"Back", L"Name"};

void Type(const ProfileRecord& record)
{
    for (const wchar_t* key : kKeys) {
        const ZUnicodeString value = record[key];
        ProfileInt number;
        number.init(record, key, 1);
        ProfileColorref colour;
        colour.init(record, key, 2);
        ProfileDouble ratio;
        ratio.init(record, key, 3.0);
        ProfileString text;
        text.init(record, key, L"d");
        ProfileLogfont font;
        font.init(record, key, L"Start", 13);
        font = Fuzz::PlaceText(value.str());
        if (font.m_logFont.lfFaceName[LF_FACESIZE - 1] != L'\0')
            throw std::logic_error("face name without terminator");
    }
}

std::string Read(const unsigned char* bytes, size_t size)
{
    ZTextFile file;
    if (!OpenInput(*g_file, bytes, size, file))
        return "open failed " + std::to_string(::GetLastError());
    int sections = 0;
    // Each load consumes at least one line until the end; sections past the
    // 64th add nothing new.
    for (size_t load = 0; load < 64; ++load) {
        ProfileRecord record;
        record[L"sentinel"] = L"kept";
        const ZUnicodeString name = record.load(file);
        if (name.view().find_first_of(L"\r\n") != std::wstring_view::npos)
            throw std::logic_error("a section name holds a line end");
        const ProfileRecord& view = record;
        if (!view[L"sentinel"].empty()) {
            if (name.empty() && ::GetLastError() == ERROR_HANDLE_EOF)
                break;
            continue;
        }
        ++sections;
        Type(record);
    }
    return sections == 0 ? "no section" : sections < 3 ? std::to_string(sections) + " sections" : "3+ sections";
}

}  // namespace

int main()
{
    ScratchFile scratch(L"profile.ini");
    g_file = &scratch;
    Fuzz::Target target{"profile", Read,
                        [] {
                            return TextFileSeeds(L"[Window]\r\n"
                                                 L"Columns=00000050\r\n"
                                                 L"Ratio=000005dc\r\n"
                                                 L"Title=a=b\r\n"
                                                 L"Font=97,-13,0,0,0,400,0,0,0,1,0,0,0,1,Courier New\r\n"
                                                 L"\r\n"
                                                 L"[Colors]\n"
                                                 L"Back=00c0ffee\n"
                                                 L"Name=caf\u00e9 \u20ac\n");
                        },
                        16 * 1024};
    return Fuzz::RunFuzzer(target);
}
