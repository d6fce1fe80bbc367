// Path substitution and path abbreviation: the codes expanded at a fixed moment,
// the path cut into components and shortened to several widths.
#include <cstdio>
#include <stdexcept>

#include "controls/ZPathAbbreviation.h"
#include "controls/ZPathSubstitutions.h"
#include "foundation/ZReportMessageParams.h"
#include "fuzz/FuzzHarness.h"

namespace {

std::string Expand(const wchar_t* text)
{
    const SYSTEMTIME moment{2026, 12, 1, 7, 4, 35, 9, 123};
    ZReportMessageParams report;
    const ZUnicodeString expanded = Tessaro::ExpandPathSubstitutions(text, report, L"host:22", L"session", moment);
    if (report.GetMessageId() == 0)
        return "expanded";
    if (!expanded.empty())
        throw std::logic_error("a refused text expanded to something");
    char outcome[32];
    std::snprintf(outcome, sizeof outcome, "refused %08X", static_cast<unsigned>(report.GetMessageId()));
    return outcome;
}

std::string Abbreviate(std::wstring_view path)
{
    const Tessaro::PathComponents components = Tessaro::SplitPathComponents(path);
    size_t length = 0;
    for (const auto& part : components.parts)
        length += part.size();
    if (length > path.size())
        throw std::logic_error("components longer than the path");
    const Tessaro::MeasureText measure = [](std::wstring_view text) { return static_cast<int>(text.size()) * 7; };
    bool fitted = true;
    for (int width : {0, 70, 210, 700}) {
        for (bool keepLastFolder : {false, true}) {
            const std::wstring shortened = Tessaro::AbbreviatePath(path, width, keepLastFolder, measure);
            if (shortened.size() > path.size() + 4)
                throw std::logic_error("abbreviation longer than the path and its ellipsis");
            fitted = fitted && measure(shortened) <= width;
        }
    }
    return fitted ? "fits" : "shortest";
}

}  // namespace

int main()
{
    Fuzz::Target target{
        "paths",
        [](const unsigned char* bytes, size_t size) {
            const std::wstring units = Fuzz::AsUnits(bytes, size);
            const wchar_t* text = Fuzz::PlaceText(units);
            return Expand(text) + ", " + Abbreviate(std::wstring_view(text, units.size()));
        },
        [] {
            return std::vector<Fuzz::Bytes>{
                Fuzz::ToBytes(std::wstring(L"C:\\logs\\%H\\%Y-%M-%D\\%h%m%s.%t-%S.log")),
                Fuzz::ToBytes(std::wstring(L"\\\\server\\share\\dir\\sub\\file.txt")),
                Fuzz::ToBytes(std::wstring(L"%%USERPROFILE%%\\a\\b\\c\\d\\e\\%F%")),
                Fuzz::ToBytes(std::wstring(L"\\\\?\\C:\\very\\long\\path\\name\\here.session")),
            };
        },
        4096};
    return Fuzz::RunFuzzer(target);
}
