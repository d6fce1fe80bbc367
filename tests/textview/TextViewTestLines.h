// Small helpers shared by the text view tests: lines from strings, selections,
// held modifier keys and a message loop.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "textview/ZTextViewBase.h"
#include "textview/ZTextViewBuffer.h"

namespace TextViewTest {

ZTextViewBuffer::LineInfo Line(const std::wstring& text, unsigned long long attribute = 0);
std::vector<ZTextViewBuffer::LineInfo> Lines(const std::vector<std::wstring>& texts);
void Append(ZTextViewBuffer& buffer, const std::vector<std::wstring>& texts);
// "line N of the log" for N in [from, from + count).
std::vector<std::wstring> Numbered(int from, int count);

// A selection as its begin and end; kNoSelection when there is none.
using Selection = std::pair<ZTextViewCharPosition, ZTextViewCharPosition>;
inline const Selection kNoSelection{{~0ULL, ~0ULL}, {~0ULL, ~0ULL}};
Selection Sel(unsigned long long column1, unsigned long long line1, unsigned long long column2,
              unsigned long long line2);
Selection SelectionOf(const ZTextViewHighlight* highlight);

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
    HeldKeys();
    ~HeldKeys();
    ZTextViewBase::KeyModifierProbe previous;
};

// Runs the message loop, PreTranslateMessage walk included, until a sentinel
// posted to window after everything already queued comes back.
void RunUntilSentinel(HWND window);

}  // namespace TextViewTest
