// Positions, outline segments and the interfaces through which the parts of
// a text view meet:
//
//   ZTextViewCharPosition          a column and line in the buffer
//   ZTextViewLineDrawInfo          one straight segment of a selection outline
//   ITextViewHighlightSink         hears that a highlight's end moved
//   ITextViewLinkedView            a second view that mirrors the first
//   ITextViewLinkedScrollbar       an outside scroll bar that carries the vertical position
//   ITextViewLinkedScrollbarSink   told by that scroll bar that it moved
//   ITextViewSelectionSink         what the outline builder reads of a view
#pragma once

#include <windows.h>

#include <compare>

class CScrollBar;
class ZTextViewBuffer;
class ZTextViewHighlight;
struct ZLogFont;

struct ZTextViewCharPosition {
    unsigned long long column = 0;  // code units from the line start
    unsigned long long line = 0;    // 0 is the oldest line in the buffer

    friend bool operator==(const ZTextViewCharPosition&, const ZTextViewCharPosition&) = default;
    friend std::strong_ordering operator<=>(const ZTextViewCharPosition& a, const ZTextViewCharPosition& b)
    {
        if (auto order = a.line <=> b.line; order != 0)
            return order;
        return a.column <=> b.column;
    }
};

struct ZTextViewLineDrawInfo {
    double x1 = 0;
    int y1 = 0;
    double x2 = 0;
    int y2 = 0;

    friend bool operator==(const ZTextViewLineDrawInfo&, const ZTextViewLineDrawInfo&) = default;
};

class ITextViewHighlightSink {
public:
    virtual void OnHighlightChange() = 0;

protected:
    ~ITextViewHighlightSink() = default;
};

class ITextViewLinkedView {
public:
    virtual void UpdateFontInternal(const ZLogFont& font) = 0;
    virtual void SelectAllInternal() = 0;
    virtual void ClearInternal() = 0;
    virtual void SetCaretInternal(bool caret) = 0;
    // Replaces the receiver's selection with a copy of highlight (nullptr: none).
    virtual void UpdateHighlight(ZTextViewHighlight* highlight, bool columnSelect) = 0;

protected:
    ~ITextViewLinkedView() = default;
};

// Implemented outside the library.
class ITextViewLinkedScrollbar {
public:
    virtual void SetScrollRange(unsigned long long total, unsigned long long page) = 0;
    virtual void SetScrollPosition(unsigned long long line) = 0;
    virtual unsigned long long GetScrollPosition() const = 0;
    virtual void OnVScroll(UINT code, UINT position, CScrollBar* scrollBar) = 0;
    virtual void OnMouseWheel(WPARAM wParam, LPARAM lParam) = 0;
    // The view's own vertical position changed.
    virtual void OnViewScrolled(unsigned long long line) = 0;
    virtual void GetScrollInfo(SCROLLINFO& info) const = 0;

protected:
    ~ITextViewLinkedScrollbar() = default;
};

class ITextViewLinkedScrollbarSink {
public:
    virtual void Update() = 0;

protected:
    ~ITextViewLinkedScrollbarSink() = default;
};

class ITextViewSelectionSink {
public:
    virtual const ZTextViewBuffer& GetBuffer() const = 0;
    // The normalized selection, or nullptr.
    virtual const ZTextViewHighlight* GetHighlight() const = 0;
    virtual bool IsColumnSelect() const = 0;
    virtual double GetCharacterWidth() const = 0;
    virtual int GetCharacterHeight() const = 0;

protected:
    ~ITextViewSelectionSink() = default;
};
