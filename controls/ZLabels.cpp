#include "controls/ZLabels.h"

#include <cstdint>
#include <cwchar>
#include <iterator>

#include "TessaroMessages.h"
#include "foundation/ZReportMessageParams.h"

namespace {

// The hosts store the index, so entries are only ever added at the end.
constexpr uint32_t kMappedFunctionTypes[] = {
    MSG_FUNCTION_SEND_STRING, MSG_FUNCTION_MENU,       MSG_FUNCTION_SCROLL_BAR,
    MSG_FUNCTION_TELNET,      MSG_FUNCTION_TN3270,     MSG_FUNCTION_VT,
    MSG_FUNCTION_SSH,         MSG_BUTTON_BAR,          MSG_FUNCTION_RUN_SCRIPT,
    MSG_FUNCTION_LAUNCH_APPLICATION, MSG_FUNCTION_DISABLE,
};

}  // namespace

size_t GetMappedFunctionTypesSize()
{
    return std::size(kMappedFunctionTypes);
}

std::wstring GetMappedFunctionType(size_t index)
{
    if (index >= std::size(kMappedFunctionTypes))
        return std::wstring();
    return LoadMessageLabel(kMappedFunctionTypes[index]);
}

std::wstring GetSelectSessionLabel()
{
    return LoadMessageLabel(MSG_SELECT_SESSION);
}

std::wstring GetNewFirewallLabel()
{
    return LoadMessageLabel(MSG_NEW_ELLIPSIS);
}

std::wstring DoubleToString(double value)
{
    // The widest finite double needs 309 digits before the point.
    wchar_t text[400];
    const int length = std::swprintf(text, std::size(text), L"%.3f", value);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}
