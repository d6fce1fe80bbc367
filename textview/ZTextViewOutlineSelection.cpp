#include "textview/ZTextViewOutlineSelection.h"

#include <algorithm>

#include "textview/ZTextViewBuffer.h"
#include "textview/ZTextViewHighlight.h"

namespace {

ZTextViewLineDrawInfo Shifted(ZTextViewLineDrawInfo segment, double dx)
{
    segment.x1 += dx;
    segment.x2 += dx;
    return segment;
}

}  // namespace

ZTextViewOutlineSelection::ZTextViewOutlineSelection(const ITextViewSelectionSink* sink, int xOrigin,
                                                     unsigned long long firstLine, unsigned long long lineCount)
    : m_sink(sink), m_xOrigin(xOrigin)
{
    if (m_sink)
        Build(firstLine, lineCount);
}

ZTextViewLineDrawInfo ZTextViewOutlineSelection::Horizontal(long long row, unsigned long long c1,
                                                            unsigned long long c2, bool top) const
{
    const double cw = m_sink->GetCharacterWidth();
    const int ch = m_sink->GetCharacterHeight();
    const int y = static_cast<int>(row * ch + (top ? 0 : ch - 1));
    return {m_xOrigin + static_cast<double>(c1) * cw, y, m_xOrigin + static_cast<double>(c2 + 1) * cw, y};
}

ZTextViewLineDrawInfo ZTextViewOutlineSelection::Vertical(unsigned long long column, long long r1, long long r2,
                                                          bool left) const
{
    const double cw = m_sink->GetCharacterWidth();
    const int ch = m_sink->GetCharacterHeight();
    const double x = m_xOrigin + static_cast<double>(column) * cw + (left ? 0 : cw - 1);
    return {x, static_cast<int>(r1 * ch), x, static_cast<int>((r2 + 1) * ch)};
}

struct ZTextViewOutlineSelection::Span {
    const ZTextViewBuffer& buffer;
    ZTextViewCharPosition begin;
    ZTextViewCharPosition end;
    bool columnSelect;
    unsigned long long firstLine;
    // Rows of the begin and end lines, 0 for a line above the visible ones.
    long long topRow;
    long long bottomRow;

    unsigned long long Length(unsigned long long line) const
    {
        return static_cast<unsigned long long>(buffer.GetLineInfo(line).text.size());
    }
    // An empty line (which normalisation never leaves at an end) counts as column 0.
    unsigned long long LastColumn(unsigned long long line) const { return Length(line) ? Length(line) - 1 : 0; }
    long long Row(unsigned long long line) const
    {
        return static_cast<long long>(line) - static_cast<long long>(firstLine);
    }
    bool IsVisible(unsigned long long line) const { return line >= firstLine; }
    bool IsOneLine() const { return begin.line == end.line; }
};

void ZTextViewOutlineSelection::Build(unsigned long long firstLine, unsigned long long lineCount)
{
    const ZTextViewHighlight* highlight = m_sink->GetHighlight();
    if (!highlight)
        return;
    const ZTextViewBuffer& buffer = m_sink->GetBuffer();
    const ZTextViewCharPosition begin = highlight->GetBegin();
    const ZTextViewCharPosition end = highlight->GetEnd();
    if (end.line >= buffer.GetLineCount() || begin.line > end.line)
        return;
    if (begin.line >= firstLine + lineCount || end.line < firstLine)
        return;

    Span span{buffer, begin, end, m_sink->IsColumnSelect(), firstLine, 0, 0};
    span.topRow = span.IsVisible(begin.line) ? span.Row(begin.line) : 0;
    span.bottomRow = span.IsVisible(end.line) ? span.Row(end.line) : 0;

    AddTopEdge(span);
    AddTopStep(span);
    AddLeftEdge(span);
    AddBottomStep(span, AddBottomEdge(span));
    AddRightEdge(span);
}

void ZTextViewOutlineSelection::AddTopEdge(const Span& span)
{
    const ZTextViewCharPosition& begin = span.begin;
    if (!span.IsVisible(begin.line) || span.Length(begin.line) == 0)
        return;
    const unsigned long long last =
        (span.columnSelect || span.IsOneLine()) ? span.end.column : span.Length(begin.line) - 1;
    m_segments.push_back(Horizontal(span.Row(begin.line), begin.column, last, true));
}

// The second line of a stream selection starts at column 0, left of the begin.
void ZTextViewOutlineSelection::AddTopStep(const Span& span)
{
    const unsigned long long second = span.begin.line + 1;
    if (span.columnSelect || !span.IsVisible(second) || span.begin.column == 0 || span.IsOneLine() ||
        span.Length(second) == 0)
        return;
    unsigned long long last = std::min(span.Length(second), span.begin.column) - 1;
    if (second == span.end.line)
        last = std::min(last, span.end.column);
    m_segments.push_back(Horizontal(span.Row(second), 0, last, true));
    m_topStep = true;
}

void ZTextViewOutlineSelection::AddLeftEdge(const Span& span)
{
    if (!m_topStep) {
        const unsigned long long column =
            (!span.columnSelect && !span.IsVisible(span.begin.line)) ? 0 : span.begin.column;
        m_segments.push_back(Vertical(column, span.topRow, span.bottomRow, true));
    } else if (span.IsVisible(span.begin.line)) {
        // Two pieces: the begin line's row one pixel further out, then from the step down.
        m_segments.push_back(Shifted(Vertical(span.begin.column, span.topRow, span.topRow, true), -1));
        m_segments.push_back(Vertical(0, span.topRow + 1, span.bottomRow, true));
    } else {
        m_segments.push_back(Vertical(0, span.topRow, span.bottomRow, true));
    }
}

unsigned long long ZTextViewOutlineSelection::AddBottomEdge(const Span& span)
{
    const ZTextViewCharPosition& end = span.end;
    if (span.Length(end.line) == 0)
        return end.column;
    unsigned long long first = 0;
    unsigned long long last = 0;
    if (span.IsOneLine()) {
        first = span.begin.column;
        last = end.column;
    } else {
        last = std::min(span.Length(end.line) - 1, end.column);
    }
    if (span.columnSelect) {
        first = span.begin.column;
        last = std::min(end.column, last);
    }
    m_segments.push_back(Horizontal(span.Row(end.line), first, last, false));
    return last;
}

// The line above the end reaches further right than the bottom edge.
void ZTextViewOutlineSelection::AddBottomStep(const Span& span, unsigned long long bottomEdgeEnd)
{
    const ZTextViewCharPosition& end = span.end;
    const bool columnFullWidth = span.columnSelect && bottomEdgeEnd == end.column;
    if (columnFullWidth || span.IsOneLine() || end.line == 0)
        return;
    const unsigned long long above = end.line - 1;
    if (!span.IsVisible(above) || span.Length(above) == 0 || span.Length(above) - 1 <= bottomEdgeEnd)
        return;
    unsigned long long first = bottomEdgeEnd + 1;
    if (above == span.begin.line)
        first = std::max(first, span.begin.column);
    const unsigned long long last = span.columnSelect ? end.column : span.Length(above) - 1;
    m_segments.push_back(Horizontal(span.Row(above), first, last, false));
    m_bottomStep = true;
}

void ZTextViewOutlineSelection::AddRightEdge(const Span& span)
{
    const ZTextViewCharPosition& end = span.end;
    if (!m_bottomStep) {
        m_segments.push_back(Vertical(end.column, span.topRow, span.bottomRow, false));
        return;
    }
    // Two pieces: the rows above the step, then the end line's row one pixel further out.
    if (span.bottomRow > 0) {
        const unsigned long long column = span.columnSelect ? end.column : span.LastColumn(span.begin.line);
        m_segments.push_back(Vertical(column, span.topRow, span.bottomRow - 1, false));
    }
    const unsigned long long column = span.columnSelect ? span.LastColumn(end.line) : end.column;
    m_segments.push_back(Shifted(Vertical(column, span.bottomRow, span.bottomRow, false), 1));
}
