#include "textview/ZTextViewBase.h"

#include "textview/ZTextViewOutlineSelection.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {

bool KeyStateProbe(int virtualKey)
{
    return ::GetKeyState(virtualKey) < 0;
}

ZTextViewBase::KeyModifierProbe g_keyModifierProbe = KeyStateProbe;

constexpr unsigned long long kLargest = std::numeric_limits<unsigned long long>::max();

unsigned long long AddSaturated(unsigned long long a, unsigned long long b)
{
    return b > kLargest - a ? kLargest : a + b;
}

unsigned long long SubtractSaturated(unsigned long long a, unsigned long long b)
{
    return b > a ? 0 : a - b;
}

}  // namespace

ZTextViewBase::KeyModifierProbe ZTextViewBase::SetKeyModifierProbe(KeyModifierProbe probe)
{
    return std::exchange(g_keyModifierProbe, probe ? probe : KeyStateProbe);
}

bool ZTextViewBase::IsKeyModifierPressed(int virtualKey)
{
    return g_keyModifierProbe(virtualKey);
}

ZTextViewBase::ZTextViewBase() : m_buffer(50) {}

ZTextViewBase::~ZTextViewBase() = default;

void ZTextViewBase::OnHighlightChange()
{
    NormalizeHighlight();
}

void ZTextViewBase::ShowVertScrollbarIfNeeded(bool show)
{
    m_showVertScrollbarIfNeeded = show;
}

void ZTextViewBase::ShowHorzScrollbarIfNeeded(bool show)
{
    m_showHorzScrollbarIfNeeded = show;
}

void ZTextViewBase::UpdateFont(const ZLogFont& font)
{
    UpdateFontInternal(font);
    if (m_linkedView)
        m_linkedView->UpdateFontInternal(font);
}

void ZTextViewBase::UpdateFontInternal(const ZLogFont& font)
{
    if (m_font && *m_font == font)
        return;
    m_font = std::make_unique<ZLogFont>(font);
    UpdateFontInternal();
}

void ZTextViewBase::GetLineColor(unsigned long long, COLORREF&) const {}

void ZTextViewBase::OnBeforeNormalizeHighlight() {}

bool ZTextViewBase::FinishNormalizeHighlight(ZTextViewCharPosition&, ZTextViewCharPosition&)
{
    return true;
}

void ZTextViewBase::OnNormalizedHighlightChanged() {}

// --- Lines -------------------------------------------------------------------

void ZTextViewBase::AppendLines(const ZTextViewBuffer::LineInfo* lines, unsigned long long count)
{
    unsigned long long removed = 0;
    if (m_buffer.AppendLines(lines, count, removed))
        m_scrollSizeStale = true;
    m_appendsPending = true;
    if (removed) {
        // The selection moves up with its text; one that lay wholly in the dropped lines goes.
        if (m_mouseHighlight && !m_mouseHighlight->Scroll(removed))
            ResetMouseHighlight();
        if (m_normalizedHighlight && !m_normalizedHighlight->Scroll(removed))
            ResetNormalizedHighlight();
    }
    OnLinesAppended();
}

void ZTextViewBase::OnLinesAppended()
{
    ApplyPendingAppends();
}

void ZTextViewBase::ApplyPendingAppends()
{
    if (!m_appendsPending)
        return;
    m_appendsPending = false;
    if (std::exchange(m_scrollSizeStale, false))
        UpdateScrollSize();
    if (!m_caret)
        ScrollToEnd();
    InvalidateWindow();
}

void ZTextViewBase::SetBufferSize(unsigned long long size)
{
    ApplyPendingAppends();
    if (!m_buffer.SetBufferSize(size))
        return;
    UpdateScrollSize();
    DropMouseHighlight();
    InvalidateWindow();
}

void ZTextViewBase::Clear()
{
    ClearInternal();
    if (m_linkedView)
        m_linkedView->ClearInternal();
}

void ZTextViewBase::ClearInternal()
{
    m_appendsPending = false;  // the update below covers them
    m_buffer.Clear();
    DropMouseHighlight();
    ResetNormalizedHighlight();
    SetCaret(false);
    UpdateScrollSize();
    InvalidateWindow();
    RepaintWindow();
}

void ZTextViewBase::ClearLastLine()
{
    m_buffer.ClearLastLine();
}

void ZTextViewBase::SetCaret(bool caret)
{
    SetCaretInternal(caret);
    if (m_linkedView)
        m_linkedView->SetCaretInternal(caret);
}

void ZTextViewBase::SetCaretInternal(bool caret)
{
    ApplyPendingAppends();  // lines that came before the change still scroll as the old flag says
    m_caret = caret;
}

// --- Sizes and scrolling -------------------------------------------------------

void ZTextViewBase::OnCreate()
{
    UpdateScrollSize();
}

void ZTextViewBase::OnSizeChange()
{
    ApplyPendingAppends();
    UpdatePageSize();
    UpdateScrollSize();
}

void ZTextViewBase::UpdateSize(double characterWidth, int characterHeight)
{
    m_characterWidth = characterWidth;
    m_characterHeight = characterHeight;
    m_pageWidth = 0;
    m_pageHeight = 0;
}

void ZTextViewBase::UpdatePageSize()
{
    RECT client{};
    GetClientRect(&client);
    if (m_characterWidth > 0)
        m_pageWidth = ToHorzCharPosition(client.right);
    if (m_characterHeight > 0)
        m_pageHeight = ToVertCharPosition(client.bottom);
}

void ZTextViewBase::UpdateScrollSize()
{
    m_scrollSizeStale = false;
    if (m_pageWidth == 0 || m_pageHeight == 0)
        UpdatePageSize();
    UpdateVScrollSize(m_buffer.GetLineCount(), m_pageHeight);
    if (UsesLinkedVerticalScrollbar())
        m_linkedVerticalScrollbar->SetScrollRange(m_buffer.GetLineCount(), m_pageHeight);
    UpdateHScrollSize(m_buffer.GetMaxLineLength(), m_pageWidth);
}

unsigned long long ZTextViewBase::GetVScrollPoint() const
{
    return UsesLinkedVerticalScrollbar() ? m_linkedVerticalScrollbar->GetScrollPosition() : GetVScrollPointInternal();
}

void ZTextViewBase::ScrollToPoint(unsigned long long line, unsigned long long column)
{
    // The range must hold the lines appended so far, and their follow scroll
    // must not undo this one later.
    ApplyPendingAppends();
    ScrollToVPoint(line);
    if (UsesLinkedVerticalScrollbar())
        m_linkedVerticalScrollbar->SetScrollPosition(line);
    ScrollToHPoint(column);
}

void ZTextViewBase::ScrollToEnd()
{
    const unsigned long long lines = m_buffer.GetLineCount();
    if (lines > m_pageHeight)
        ScrollToPoint(lines - 1, 0);  // the window class clamps the line to its range
}

void ZTextViewBase::OnGoToStart()
{
    ApplyPendingAppends();
    if (m_buffer.GetLineCount() > m_pageHeight)
        ScrollToPoint(0, GetHScrollPointInternal());
}

void ZTextViewBase::OnCtrlEnd()
{
    ApplyPendingAppends();
    SetCaret(false);
    ScrollToEnd();
}

void ZTextViewBase::OnPageDown()
{
    ApplyPendingAppends();
    const unsigned long long lines = m_buffer.GetLineCount();
    if (lines <= m_pageHeight)
        return;
    ScrollToPoint(std::min(AddSaturated(GetVScrollPoint(), m_pageHeight), lines - 1), GetHScrollPointInternal());
}

void ZTextViewBase::OnPageUp()
{
    ApplyPendingAppends();
    ScrollToPoint(SubtractSaturated(GetVScrollPoint(), m_pageHeight), GetHScrollPointInternal());
}

void ZTextViewBase::Update()
{
    InvalidateWindow();
}

// --- Positions -------------------------------------------------------------------

unsigned long long ZTextViewBase::ToHorzCharPosition(int x) const
{
    if (x <= 0 || !(m_characterWidth > 0))
        return 0;
    return static_cast<unsigned long long>(x / m_characterWidth);
}

unsigned long long ZTextViewBase::ToVertCharPosition(int y) const
{
    if (y <= 0 || m_characterHeight <= 0)
        return 0;
    return static_cast<unsigned long long>(y / m_characterHeight);
}

int ZTextViewBase::ToPixel(double value)
{
    if (!(value > std::numeric_limits<int>::min()))  // NaN too
        return value != value ? 0 : std::numeric_limits<int>::min();
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

int ZTextViewBase::GetHorizontalPoint(unsigned long long column) const
{
    return ToPixel(static_cast<double>(column) * m_characterWidth);
}

ZTextViewCharPosition ZTextViewBase::PointToCharposition(POINT point) const
{
    // |INT_MIN| does not fit an int; clamp it one short, a cell count no view reaches.
    const int dx = point.x == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(static_cast<int>(point.x));
    const int dy = point.y == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(static_cast<int>(point.y));
    const unsigned long long firstColumn = GetHScrollPointInternal();
    const unsigned long long firstLine = GetVScrollPoint();
    ZTextViewCharPosition position;
    position.column = point.x < 0 ? SubtractSaturated(firstColumn, ToHorzCharPosition(dx))
                                  : AddSaturated(firstColumn, ToHorzCharPosition(dx));
    position.line = point.y < 0 ? SubtractSaturated(firstLine, ToVertCharPosition(dy))
                                : AddSaturated(firstLine, ToVertCharPosition(dy));
    return position;
}

// --- Mouse selection ---------------------------------------------------------------

POINT ZTextViewBase::WithoutLeftOffset(POINT point) const
{
    point.x = ToPixel(point.x - static_cast<double>(m_leftOffset) * m_characterWidth);
    return point;
}

void ZTextViewBase::OnLButtonDown(POINT point)
{
    ApplyPendingAppends();
    point = WithoutLeftOffset(point);
    m_buttonDown = true;
    SetCaret(true);

    if (IsKeyModifierPressed(VK_SHIFT)) {
        // Extend the selection from where the button last went down.
        if (!m_mouseHighlight) {
            const ZTextViewCharPosition anchor = PointToCharposition(m_anchorPoint);
            m_mouseHighlight.Attach(new ZTextViewHighlight(this, anchor, anchor));
        }
        m_mouseHighlight->UpdateEnd(PointToCharposition(point));
        InvalidateWindow();
        CaptureMouse();
        return;
    }

    m_columnSelect = IsKeyModifierPressed(VK_MENU);
    m_anchorPoint = point;
    if (m_mouseHighlight) {
        m_mouseHighlight.Reset();
        OnHighlightChange();
        InvalidateWindow();
    }
    CaptureMouse();
}

void ZTextViewBase::OnMouseMove(POINT point)
{
    if (!m_buttonDown)
        return;
    ApplyPendingAppends();
    point = WithoutLeftOffset(point);
    m_lastMousePoint = point;

    if (!m_mouseHighlight) {
        // A press that barely moves is a click, not a selection.
        const bool beyondThreshold = std::abs(point.x - m_anchorPoint.x) > m_characterWidth / 2 ||
                                     std::abs(point.y - m_anchorPoint.y) > m_characterHeight / 2;
        if (beyondThreshold) {
            const ZTextViewCharPosition anchor = PointToCharposition(m_anchorPoint);
            m_mouseHighlight.Attach(new ZTextViewHighlight(this, anchor, anchor));
        }
    }
    if (m_mouseHighlight)
        m_mouseHighlight->UpdateEnd(PointToCharposition(point));

    RECT client{};
    GetClientRect(&client);
    bool scrolled = false;
    AutoScroll(point, client, scrolled);
    if (!scrolled) {
        const bool unchanged = (!m_paintedHighlight && !m_normalizedHighlight) ||
                               (m_paintedHighlight && m_normalizedHighlight &&
                                m_paintedHighlight->Equal(*m_normalizedHighlight));
        if (unchanged)
            return;
        if (m_normalizedHighlight)
            m_paintedHighlight.Attach(new ZTextViewHighlight(*m_normalizedHighlight));
        else
            m_paintedHighlight.Reset();
    }
    InvalidateWindow();
    RepaintWindow();
}

// Scrolls while the mouse drags outside the client area; only mouse messages
// drive it, so holding still outside the view scrolls no further.
void ZTextViewBase::AutoScroll(POINT point, const RECT& client, bool& scrolled)
{
    unsigned long long line = GetVScrollPoint();
    unsigned long long column = GetHScrollPointInternal();
    if (point.x < 0) {
        column = PointToCharposition(point).column;
        scrolled = true;
    } else if (point.x > client.right) {
        column = AddSaturated(column, ToHorzCharPosition(point.x - client.right));
        scrolled = true;
    }
    if (point.y < 0) {
        line = PointToCharposition(point).line;
        scrolled = true;
    } else if (point.y > client.bottom) {
        line = AddSaturated(line, ToVertCharPosition(point.y - client.bottom));
        scrolled = true;
    }
    if (scrolled)
        ScrollToPoint(line, column);
}

void ZTextViewBase::OnLButtonUp(POINT point)
{
    ApplyPendingAppends();
    point = WithoutLeftOffset(point);
    SetCaret(true);
    if (m_buttonDown) {
        m_buttonDown = false;
        if (m_mouseHighlight)
            m_mouseHighlight->UpdateEnd(PointToCharposition(point));
    }
    ReleaseMouse();
    InvalidateWindow();
    RepaintWindow();
}

// --- Normalisation -------------------------------------------------------------------

bool ZTextViewBase::NormalizeHighlight()
{
    if (!m_mouseHighlight) {
        OnBeforeNormalizeHighlight();
        ResetNormalizedHighlight();
        return false;
    }
    const ZTextViewHighlight mouse(*m_mouseHighlight);
    return NormalizeHighlight(mouse);
}

bool ZTextViewBase::NormalizeHighlight(const ZTextViewHighlight& highlight)
{
    OnBeforeNormalizeHighlight();
    ZTextViewCharPosition begin = highlight.GetBegin();
    ZTextViewCharPosition end = highlight.GetEnd();
    if (!NormalizeHighlight(begin, end)) {
        ResetNormalizedHighlight();
        return false;
    }
    const ZTextViewHighlight normalized(nullptr, begin, end);
    if (m_normalizedHighlight && m_normalizedHighlight->Equal(normalized))
        return true;
    m_normalizedHighlight.Attach(new ZTextViewHighlight(normalized));
    OnNormalizedHighlightChanged();
    return true;
}

bool ZTextViewBase::NormalizeHighlight(ZTextViewCharPosition& begin, ZTextViewCharPosition& end)
{
    const unsigned long long lines = m_buffer.GetLineCount();
    if (lines == 0 || (begin.line >= lines && end.line >= lines))
        return false;
    begin.line = std::min(begin.line, lines - 1);
    end.line = std::min(end.line, lines - 1);
    auto length = [&](unsigned long long line) {
        return static_cast<unsigned long long>(m_buffer.GetLineInfo(line).text.size());
    };

    if (m_columnSelect) {
        const unsigned long long top = std::min(begin.line, end.line);
        unsigned long long bottom = std::max(begin.line, end.line);
        const unsigned long long left = std::min(begin.column, end.column);
        const unsigned long long right = std::max(begin.column, end.column);
        // A bottom line that does not reach the rectangle gives up its row; the
        // rectangle never ends above its own top line.
        while (length(bottom) <= left) {
            if (bottom == top)
                return false;
            --bottom;
        }
        begin = {left, top};
        end = {right, bottom};
    } else {
        if (end < begin)
            std::swap(begin, end);
        if (begin.column >= length(begin.line))
            begin = {0, begin.line + 1};
        if (end.column >= length(end.line)) {
            unsigned long long line = end.line;
            while (length(line) == 0) {
                if (line == 0)
                    return false;
                --line;
            }
            end = {length(line) - 1, line};
        }
        if (end < begin)
            return false;
    }
    return FinishNormalizeHighlight(begin, end);
}

void ZTextViewBase::ResetMouseHighlight()
{
    m_mouseHighlight.Reset();
    OnHighlightChange();
}

void ZTextViewBase::ResetNormalizedHighlight()
{
    if (!m_normalizedHighlight)
        return;
    m_normalizedHighlight.Reset();
    OnNormalizedHighlightChanged();
}

void ZTextViewBase::DropMouseHighlight()
{
    if (!m_mouseHighlight)
        return;
    ResetMouseHighlight();
    InvalidateWindow();
}

// --- Commands ------------------------------------------------------------------------

void ZTextViewBase::SelectAll()
{
    SelectAllInternal();
    if (m_linkedView)
        m_linkedView->SelectAllInternal();
}

void ZTextViewBase::SelectAllInternal()
{
    ApplyPendingAppends();
    const unsigned long long lines = m_buffer.GetLineCount();
    if (lines == 0)
        return;
    // All of the text is a stream, whatever the last selection was.
    m_columnSelect = false;
    const ZTextViewCharPosition begin{0, 0};
    const ZTextViewCharPosition end{m_buffer.GetLineInfo(lines - 1).text.size(), lines - 1};
    if (m_mouseHighlight)
        m_mouseHighlight->Update(begin, end, false);
    else
        m_mouseHighlight.Attach(new ZTextViewHighlight(this, begin, end));
    NormalizeHighlight();
    InvalidateWindow();
}

void ZTextViewBase::OnEditCopy()
{
    if (!CanCopy())
        return;
    const ZTextViewCharPosition begin = m_normalizedHighlight->GetBegin();
    const ZTextViewCharPosition end = m_normalizedHighlight->GetEnd();
    // The normalized end is inclusive; the buffer's end column is not.
    m_buffer.CopyTextToClipboard(begin.line, begin.column, end.line, end.column + 1, m_columnSelect);
}

void ZTextViewBase::SetSelectionDrawStyle(SelectionDrawStyle style)
{
    if (style == m_selectionDrawStyle)
        return;
    m_selectionDrawStyle = style;
    InvalidateWindow();
    RepaintWindow();
}

void ZTextViewBase::UpdateHighlight(ZTextViewHighlight* highlight, bool columnSelect)
{
    if (highlight) {
        m_columnSelect = columnSelect;
        const ZTextViewCharPosition begin = highlight->GetBegin();
        const ZTextViewCharPosition end = highlight->GetEnd();
        m_normalizedHighlight.Attach(new ZTextViewHighlight(nullptr, begin, end));
        m_paintedHighlight.Attach(new ZTextViewHighlight(nullptr, begin, end));
        m_mouseHighlight.Attach(new ZTextViewHighlight(this, begin, end));
    } else {
        m_normalizedHighlight.Reset();
        m_paintedHighlight.Reset();
        m_mouseHighlight.Reset();
    }
    InvalidateWindow();
}

// --- Painting ----------------------------------------------------------------------------

namespace {

// Hands one line to DrawTextW as consecutive runs, each cut to the columns
// that remain to be drawn; x advances by each run's width, truncated per run.
class RunWriter {
public:
    RunWriter(const std::vector<wchar_t>& text, unsigned long long firstColumn, unsigned long long columns,
              long long x, int y, double characterWidth)
        : m_text(text), m_column(firstColumn), m_remaining(columns), m_x(x), m_y(y), m_characterWidth(characterWidth)
    {
    }

    // Columns from the current one up to (not including) to.
    template <class Draw>
    void RunTo(unsigned long long to, COLORREF text, COLORREF background, Draw&& draw)
    {
        to = std::min<unsigned long long>(to, m_text.size());
        if (m_column >= to || m_remaining == 0)
            return;
        const unsigned long long length = std::min(to - m_column, m_remaining);
        ZTextViewBase::DrawTextInfo run{text, background, ZTextViewBase::ToPixel(static_cast<double>(m_x)), m_y,
                                        m_text.data() + m_column, length};
        draw(run);
        m_x += static_cast<long long>(static_cast<double>(length) * m_characterWidth);
        m_column += length;
        m_remaining -= length;
    }

private:
    const std::vector<wchar_t>& m_text;
    unsigned long long m_column;
    unsigned long long m_remaining;
    long long m_x;
    int m_y;
    double m_characterWidth;
};

constexpr COLORREF kNoLineColor = 0xFFFFFFFF;

}  // namespace

void ZTextViewBase::OnDraw(CDC* dc, RECT clip)
{
    if (m_characterHeight <= 0 || !(m_characterWidth > 0))
        return;
    RECT client{};
    GetClientRect(&client);
    const unsigned long long lines = m_buffer.GetLineCount();
    const unsigned long long first = GetVScrollPoint();
    if (first >= lines || client.bottom <= 0)
        return;
    unsigned long long count = static_cast<unsigned long long>(client.bottom / m_characterHeight) +
                               (client.bottom % m_characterHeight ? 1 : 0);
    count = std::min(count, lines - first);

    COLORREF text = 0, background = 0, highlightText = 0, highlightBackground = 0;
    GetTextColor(text, background);
    GetHighlightColor(highlightText, highlightBackground);

    const double originX = static_cast<double>(m_leftOffset) * m_characterWidth;
    const long long x0 = static_cast<long long>(std::min(originX, 9.0e18));
    const unsigned long long columns =
        clip.right > 0 ? static_cast<unsigned long long>(clip.right / m_characterWidth) + 1 : 1;
    const unsigned long long firstColumn = GetHScrollPointInternal();
    const ZTextViewHighlight* selection =
        m_selectionDrawStyle == SelectionDrawHighlight ? m_normalizedHighlight.Get() : nullptr;
    auto draw = [this, dc](const DrawTextInfo& run) { DrawTextW(dc, run); };

    for (unsigned long long i = 0; i < count; ++i) {
        const unsigned long long line = first + i;
        const ZTextViewBuffer::LineInfo& info = m_buffer.GetLineInfo(line);
        const unsigned long long length = info.text.size();
        // i is below client.bottom / height + 1, so y fits an int.
        const int y = static_cast<int>(i) * m_characterHeight;
        if (length == 0 || y + m_characterHeight <= clip.top || y >= clip.bottom)
            continue;
        COLORREF lineColor = kNoLineColor;
        GetLineColor(info.attribute, lineColor);
        if (lineColor == kNoLineColor)
            lineColor = text;
        if (length <= firstColumn)
            continue;

        RunWriter writer(info.text, firstColumn, columns, x0, y, m_characterWidth);
        if (selection && selection->ContainsLine(line)) {
            const unsigned long long last = length - 1;
            const ZTextViewCharPosition begin = selection->GetBegin();
            const ZTextViewCharPosition end = selection->GetEnd();
            unsigned long long start = 0;
            unsigned long long stop = 0;
            bool selected = true;
            if (m_columnSelect) {
                selected = begin.column <= last;  // a rectangle right of a short line misses it
                start = std::min(last, begin.column);
                stop = std::min(last, end.column);
            } else {
                start = line > begin.line ? 0 : std::min(last, begin.column);
                stop = line < end.line ? last : std::min(last, end.column);
                selected = start <= stop;
            }
            if (selected) {
                writer.RunTo(start, lineColor, background, draw);
                writer.RunTo(stop + 1, highlightText, highlightBackground, draw);
            }
        }
        writer.RunTo(length, lineColor, background, draw);
    }

    if (m_selectionDrawStyle == SelectionDrawOutline && m_normalizedHighlight) {
        // The outline counts columns from column 0; the text from the first visible one.
        const double outlineOrigin = originX - static_cast<double>(firstColumn) * m_characterWidth;
        const ZTextViewOutlineSelection outline(this, ToPixel(outlineOrigin), first, count);
        DrawLine(dc, highlightBackground, outline.GetSegments());
    }
}
