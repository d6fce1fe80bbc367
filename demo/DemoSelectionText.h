// A text view's selection as the demo prints it.
#pragma once

#include <string>

#include "textview/ZTextViewHighlight.h"

inline std::wstring DemoSelectionText(const ZTextViewHighlight* highlight)
{
    if (!highlight)
        return L"none";
    return L"line " + std::to_wstring(highlight->GetBegin().line) + L" column " +
           std::to_wstring(highlight->GetBegin().column) + L" to line " + std::to_wstring(highlight->GetEnd().line) +
           L" column " + std::to_wstring(highlight->GetEnd().column);
}
