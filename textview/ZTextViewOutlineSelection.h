// ZTextViewOutlineSelection: the outline of a view's normalized selection, for
// the outline draw style. A closed figure around the selected cells of the
// visible lines: a top and a bottom edge, a step below the top and above the
// bottom where a stream selection starts or ends mid-line, and the vertical
// edges joining them. Built for one paint, then read and discarded.
#pragma once

#include <vector>

#include "foundation/TessaroApi.h"
#include "textview/ZTextViewInterfaces.h"

class TESSARO_API ZTextViewOutlineSelection {
public:
    // Builds the outline for the visible lines firstLine to firstLine + lineCount - 1,
    // with column 0 at x = xOrigin and line firstLine at y = 0.
    ZTextViewOutlineSelection(const ITextViewSelectionSink* sink, int xOrigin, unsigned long long firstLine,
                              unsigned long long lineCount);
    ZTextViewOutlineSelection(const ZTextViewOutlineSelection&) = default;
    ZTextViewOutlineSelection(ZTextViewOutlineSelection&&) = default;
    ZTextViewOutlineSelection& operator=(const ZTextViewOutlineSelection&) = default;
    ZTextViewOutlineSelection& operator=(ZTextViewOutlineSelection&&) = default;

    const std::vector<ZTextViewLineDrawInfo>& GetSegments() const { return m_segments; }
    bool HasTopStep() const { return m_topStep; }
    bool HasBottomStep() const { return m_bottomStep; }

private:
    // The selection's ends and the rows they fall on (ZTextViewOutlineSelection.cpp).
    struct Span;

    void Build(unsigned long long firstLine, unsigned long long lineCount);
    // One function per edge and step, called in this order.
    void AddTopEdge(const Span& span);
    void AddTopStep(const Span& span);
    void AddLeftEdge(const Span& span);
    // Returns the last column the bottom edge covers (the end column when the
    // end line is empty and there is no bottom edge).
    unsigned long long AddBottomEdge(const Span& span);
    void AddBottomStep(const Span& span, unsigned long long bottomEdgeEnd);
    void AddRightEdge(const Span& span);
    // A horizontal edge along the top (or, not top, the bottom pixel row) of a row,
    // across columns c1 to c2 inclusive.
    ZTextViewLineDrawInfo Horizontal(long long row, unsigned long long c1, unsigned long long c2, bool top) const;
    // A vertical edge along the left (or, not left, the right pixel column) of a
    // column, down rows r1 to r2 inclusive.
    ZTextViewLineDrawInfo Vertical(unsigned long long column, long long r1, long long r2, bool left) const;

    std::vector<ZTextViewLineDrawInfo> m_segments;
    const ITextViewSelectionSink* m_sink;  // not owned
    int m_xOrigin;
    bool m_topStep = false;
    bool m_bottomStep = false;
};
