// Helpers shared by the text view tests: lines from strings, selections, held modifier keys, a message loop.
#pragma once

#include <windows.h>

#include <afxwin.h>

#include <string>
#include <utility>
#include <vector>

#include "textview/ZTextViewBase.h"
#include "textview/ZTextViewBuffer.h"

namespace TextViewTest {

// A fixed-pitch font of the given height, as a host stores it.
inline ZLogFont FixedFont(LONG height)
{
    ZLogFont font;
    font.logFont.lfHeight = height;
    font.logFont.lfCharSet = DEFAULT_CHARSET;
    font.logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(font.logFont.lfFaceName, L"Courier New", LF_FACESIZE);
    return font;
}

inline ZTextViewBuffer::LineInfo Line(const std::wstring& text, unsigned long long attribute = 0)
{
    ZTextViewBuffer::LineInfo line;
    line.text.assign(text.begin(), text.end());
    line.attribute = attribute;
    return line;
}

inline std::vector<ZTextViewBuffer::LineInfo> Lines(const std::vector<std::wstring>& texts)
{
    std::vector<ZTextViewBuffer::LineInfo> lines;
    for (const std::wstring& text : texts)
        lines.push_back(Line(text));
    return lines;
}

inline void Append(ZTextViewBuffer& buffer, const std::vector<std::wstring>& texts)
{
    const std::vector<ZTextViewBuffer::LineInfo> lines = Lines(texts);
    unsigned long long removed = 0;
    buffer.AppendLines(lines.data(), lines.size(), removed);
}

// "line N of the log" for N in [from, from + count).
inline std::vector<std::wstring> Numbered(int from, int count)
{
    std::vector<std::wstring> texts;
    for (int i = from; i < from + count; ++i)
        texts.push_back(L"line " + std::to_wstring(i) + L" of the log");
    return texts;
}

// A selection as its begin and end; kNoSelection when there is none.
using Selection = std::pair<ZTextViewCharPosition, ZTextViewCharPosition>;
inline const Selection kNoSelection{{~0ULL, ~0ULL}, {~0ULL, ~0ULL}};

inline Selection Sel(unsigned long long column1, unsigned long long line1, unsigned long long column2,
                     unsigned long long line2)
{
    return {{column1, line1}, {column2, line2}};
}

inline Selection SelectionOf(const ZTextViewHighlight* highlight)
{
    return highlight ? Selection{highlight->GetBegin(), highlight->GetEnd()} : kNoSelection;
}

// A linked view that records what the view asks of it.
struct RecordingLinkedView : ITextViewLinkedView {
    std::vector<std::string> calls;
    std::vector<Selection> selections;
    void UpdateFontInternal(const ZLogFont&) override { calls.push_back("font"); }
    void SelectAllInternal() override { calls.push_back("select all"); }
    void ClearInternal() override { calls.push_back("clear"); }
    void SetCaretInternal(bool caret) override { calls.push_back(caret ? "caret on" : "caret off"); }
    void UpdateHighlight(ZTextViewHighlight* highlight, bool) override
    {
        calls.push_back("highlight");
        selections.push_back(SelectionOf(highlight));
    }
};

// While one lives, views see these modifier keys held instead of the keyboard's.
struct HeldKeys {
    static inline bool shift = false;
    static inline bool alt = false;
    static inline bool control = false;
    HeldKeys()
    {
        shift = alt = control = false;
        previous = ZTextViewBase::SetKeyModifierProbe([](int key) {
            return (key == VK_SHIFT && shift) || (key == VK_MENU && alt) || (key == VK_CONTROL && control);
        });
    }
    ~HeldKeys() { ZTextViewBase::SetKeyModifierProbe(previous); }
    ZTextViewBase::KeyModifierProbe previous;
};

// Runs the message loop, PreTranslateMessage walk included, until a sentinel posted behind the queue comes back.
inline void RunUntilSentinel(HWND window)
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
