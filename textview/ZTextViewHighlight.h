// ZTextViewHighlight: a selection as a begin and an end position, reference
// counted so that a view, its linked view and a paint can share it. An optional
// sink hears when the end moves (the mouse selection's sink normalizes it).
#pragma once

#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "textview/ZTextViewInterfaces.h"

class TESSARO_API ZTextViewHighlight : public ZUnknown<IUnknown> {
public:
    // Begin and end at column 0 of line 0.
    explicit ZTextViewHighlight(ITextViewHighlightSink* sink);
    ZTextViewHighlight(ITextViewHighlightSink* sink, ZTextViewCharPosition begin, ZTextViewCharPosition end);
    // Copies the positions and the sink; the copy has a count of its own.
    ZTextViewHighlight(const ZTextViewHighlight& other) = default;
    ZTextViewHighlight& operator=(const ZTextViewHighlight& other) = default;

    ZTextViewCharPosition GetBegin() const { return m_begin; }
    ZTextViewCharPosition GetEnd() const { return m_end; }
    ITextViewHighlightSink* GetSink() const { return m_sink; }

    // Tells nobody.
    void UpdateBegin(ZTextViewCharPosition begin) { m_begin = begin; }
    // Tells the sink, unless the end stays where it was.
    void UpdateEnd(ZTextViewCharPosition end);
    // Tells the sink when asked to and something changed.
    void Update(ZTextViewCharPosition begin, ZTextViewCharPosition end, bool notify);

    bool ContainsLine(unsigned long long line) const { return m_begin.line <= line && line <= m_end.line; }
    bool Equal(const ZTextViewHighlight& other) const { return m_begin == other.m_begin && m_end == other.m_end; }

    // Follows the text after the buffer dropped its n oldest lines. A highlight
    // lying wholly in the dropped lines is left as it was and false returned;
    // one that reached into them starts at column 0 of line 0.
    bool Scroll(unsigned long long n);

private:
    ZTextViewCharPosition m_begin;
    ZTextViewCharPosition m_end;
    ITextViewHighlightSink* m_sink;  // not owned
};
