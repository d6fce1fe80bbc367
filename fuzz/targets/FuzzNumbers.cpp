// Lenient numbers and the data-exchange rules: numbers, reserved device names,
// multi-line fields split and joined, and the command-bar numbers.
#include <stdexcept>

#include "controls/ZExchangeRules.h"
#include "fuzz/FuzzHarness.h"
#include "settings/ZXtXmlMigrator.h"

int main()
{
    Fuzz::Target target{
        "numbers",
        [](const unsigned char* bytes, size_t size) {
            const std::wstring units = Fuzz::AsUnits(bytes, size);
            const std::wstring_view text(Fuzz::PlaceText(units), units.size());
            std::string outcome = Tessaro::ParseLenientInt(text) ? "number" : "zero";
            if (Tessaro::ParseLenientUInt(text) != 0 && Tessaro::ParseLenientInt(text) < 0)
                throw std::logic_error("a negative number read as unsigned");
            outcome += Tessaro::ParseXtNumber(text) ? ", bar number" : ", no bar number";
            if (Tessaro::IsReservedDeviceName(text))
                outcome += ", reserved";
            ZStringArray lines;
            Tessaro::SplitLines(text, lines);
            ZStringArray again;
            Tessaro::SplitLines(Tessaro::JoinLines(lines), again);
            if (again.GetCount() != lines.GetCount())
                throw std::logic_error("joined lines split differently");
            for (size_t i = 0; i < lines.GetCount(); ++i)
                if (again[i] != lines[i])
                    throw std::logic_error("joined lines split differently");
            return outcome;
        },
        [] {
            return std::vector<Fuzz::Bytes>{
                Fuzz::ToBytes(std::wstring(L"  -2147483648 tail")),
                Fuzz::ToBytes(std::wstring(L"+4294967295")),
                Fuzz::ToBytes(std::wstring(L"COM1.example")),
                Fuzz::ToBytes(std::wstring(L"first\r\n\r\nsecond\nthird\r")),
            };
        },
        2048};
    return Fuzz::RunFuzzer(target);
}
