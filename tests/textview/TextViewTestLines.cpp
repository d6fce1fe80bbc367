#include "tests/textview/TextViewTestLines.h"

#include <afxwin.h>

namespace TextViewTest {

ZTextViewBuffer::LineInfo Line(const std::wstring& text, unsigned long long attribute)
{
    ZTextViewBuffer::LineInfo line;
    line.text.assign(text.begin(), text.end());
    line.attribute = attribute;
    return line;
}

std::vector<ZTextViewBuffer::LineInfo> Lines(const std::vector<std::wstring>& texts)
{
    std::vector<ZTextViewBuffer::LineInfo> lines;
    for (const std::wstring& text : texts)
        lines.push_back(Line(text));
    return lines;
}

void Append(ZTextViewBuffer& buffer, const std::vector<std::wstring>& texts)
{
    const std::vector<ZTextViewBuffer::LineInfo> lines = Lines(texts);
    unsigned long long removed = 0;
    buffer.AppendLines(lines.data(), lines.size(), removed);
}

std::vector<std::wstring> Numbered(int from, int count)
{
    std::vector<std::wstring> texts;
    for (int i = from; i < from + count; ++i)
        texts.push_back(L"line " + std::to_wstring(i) + L" of the log");
    return texts;
}

Selection Sel(unsigned long long column1, unsigned long long line1, unsigned long long column2,
              unsigned long long line2)
{
    return {{column1, line1}, {column2, line2}};
}

Selection SelectionOf(const ZTextViewHighlight* highlight)
{
    return highlight ? Selection{highlight->GetBegin(), highlight->GetEnd()} : kNoSelection;
}

HeldKeys::HeldKeys()
{
    shift = alt = control = false;
    previous = ZTextViewBase::SetKeyModifierProbe([](int key) {
        return (key == VK_SHIFT && shift) || (key == VK_MENU && alt) || (key == VK_CONTROL && control);
    });
}

HeldKeys::~HeldKeys()
{
    ZTextViewBase::SetKeyModifierProbe(previous);
}

void RunUntilSentinel(HWND window)
{
    constexpr UINT kSentinel = WM_APP + 7;
    ::PostMessageW(window, kSentinel, 0, 0);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kSentinel && msg.hwnd == window)
            return;
        if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

}  // namespace TextViewTest
