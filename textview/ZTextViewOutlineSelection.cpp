#include "textview/ZTextViewOutlineSelection.h"

#include <algorithm>

#include "textview/ZTextViewBuffer.h"
#include "textview/ZTextViewHighlight.h"

namespace {

ZTextViewLineDrawInfo Shifted(ZTextViewLineDrawInfo segment, double d)
{
    segment.x1 += d;
    segment.x2 += d;
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

void ZTextViewOutlineSelection::Build(unsigned long long first, unsigned long long lineCount)
{
    const ZTextViewHighlight* highlight = m_sink->GetHighlight();
    if (!highlight)
        return;
    const ZTextViewBuffer& buffer = m_sink->GetBuffer();
    const ZTextViewCharPosition B = highlight->GetBegin();
    const ZTextViewCharPosition E = highlight->GetEnd();
    const bool col = m_sink->IsColumnSelect();
    if (E.line >= buffer.GetLineCount() || B.line > E.line)
        return;
    auto len = [&](unsigned long long line) { return static_cast<unsigned long long>(buffer.GetLineInfo(line).text.size()); };
    // Last column of a line; an empty line (which normalisation never leaves at an end) counts as column 0.
    auto lastColumn = [&](unsigned long long line) { return len(line) ? len(line) - 1 : 0; };
    auto row = [&](unsigned long long line) { return static_cast<long long>(line) - static_cast<long long>(first); };

    if (!(B.line < first + lineCount && E.line >= first))
        return;

    // Top edge.
    if (B.line >= first && len(B.line) > 0) {
        const unsigned long long c = (col || B.line == E.line) ? E.column : len(B.line) - 1;
        m_segments.push_back(Horizontal(row(B.line), B.column, c, true));
    }

    // Top step: the second line of a stream selection starts at column 0, left of the begin.
    if (!col && B.line + 1 >= first && B.column > 0 && B.line != E.line && len(B.line + 1) > 0) {
        unsigned long long c = std::min(len(B.line + 1), B.column) - 1;
        if (B.line + 1 == E.line)
            c = std::min(c, E.column);
        m_segments.push_back(Horizontal(row(B.line + 1), 0, c, true));
        m_topStep = true;
    }

    const long long topRow = B.line >= first ? row(B.line) : 0;
    const long long bottomRow = E.line >= first ? row(E.line) : 0;

    // Left edge.
    if (m_topStep) {
        if (B.line >= first) {
            m_segments.push_back(Shifted(Vertical(B.column, topRow, topRow, true), -1));
            m_segments.push_back(Vertical(0, topRow + 1, bottomRow, true));
        } else {
            m_segments.push_back(Vertical(0, topRow, bottomRow, true));
        }
    } else {
        const unsigned long long c = (!col && B.line < first) ? 0 : B.column;
        m_segments.push_back(Vertical(c, topRow, bottomRow, true));
    }

    // Bottom edge.
    unsigned long long c2 = E.column;
    if (len(E.line) > 0) {
        unsigned long long c1 = 0;
        if (B.line == E.line) {
            c1 = B.column;
            c2 = E.column;
        } else {
            c2 = std::min(len(E.line) - 1, E.column);
        }
        if (col) {
            c1 = B.column;
            c2 = std::min(E.column, c2);
        }
        m_segments.push_back(Horizontal(row(E.line), c1, c2, false));
    }

    // Bottom step: the line above the end reaches further right than the end.
    const bool columnFullWidth = col && c2 == E.column;
    if (!columnFullWidth && B.line != E.line && E.line > 0 && E.line - 1 >= first && len(E.line - 1) > 0 &&
        len(E.line - 1) - 1 > c2) {
        unsigned long long s = c2 + 1;
        if (E.line == B.line + 1)
            s = std::max(s, B.column);
        const unsigned long long e = col ? E.column : len(E.line - 1) - 1;
        m_segments.push_back(Horizontal(row(E.line - 1), s, e, false));
        m_bottomStep = true;
    }

    // Right edge.
    if (m_bottomStep) {
        if (bottomRow > 0) {
            const unsigned long long c = col ? E.column : lastColumn(B.line);
            m_segments.push_back(Vertical(c, topRow, bottomRow - 1, false));
        }
        const unsigned long long c = col ? lastColumn(E.line) : E.column;
        m_segments.push_back(Shifted(Vertical(c, bottomRow, bottomRow, false), 1));
    } else {
        m_segments.push_back(Vertical(E.column, topRow, bottomRow, false));
    }
}
