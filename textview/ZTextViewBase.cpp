#include "textview/ZTextViewBase.h"

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
        UpdateScrollSize();
    if (!m_caret)
        ScrollToEnd();
    if (removed) {
        // The selection moves up with its text; one that lay wholly in the dropped lines goes.
        if (m_mouseHighlight && !m_mouseHighlight->Scroll(removed))
            ResetMouseHighlight();
        if (m_normalizedHighlight && !m_normalizedHighlight->Scroll(removed))
            ResetNormalizedHighlight();
    }
    InvalidateWindow();
}

void ZTextViewBase::SetBufferSize(unsigned long long size)
{
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
    m_caret = caret;
}

// --- Sizes and scrolling -------------------------------------------------------

void ZTextViewBase::OnCreate()
{
    UpdateScrollSize();
}

void ZTextViewBase::OnSizeChange()
{
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
    if (m_buffer.GetLineCount() > m_pageHeight)
        ScrollToPoint(0, GetHScrollPointInternal());
}

void ZTextViewBase::OnCtrlEnd()
{
    SetCaret(false);
    ScrollToEnd();
}

void ZTextViewBase::OnPageDown()
{
    const unsigned long long lines = m_buffer.GetLineCount();
    if (lines <= m_pageHeight)
        return;
    ScrollToPoint(std::min(AddSaturated(GetVScrollPoint(), m_pageHeight), lines - 1), GetHScrollPointInternal());
}

void ZTextViewBase::OnPageUp()
{
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

int ZTextViewBase::GetHorizontalPoint(unsigned long long column) const
{
    return static_cast<int>(static_cast<double>(column) * m_characterWidth);
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

namespace {

POINT WithoutLeftOffset(POINT point, unsigned long long leftOffset, double characterWidth)
{
    point.x = static_cast<LONG>(point.x - static_cast<double>(leftOffset) * characterWidth);
    return point;
}

}  // namespace

void ZTextViewBase::OnLButtonDown(POINT point)
{
    point = WithoutLeftOffset(point, m_leftOffset, m_characterWidth);
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
    point = WithoutLeftOffset(point, m_leftOffset, m_characterWidth);
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
    point = WithoutLeftOffset(point, m_leftOffset, m_characterWidth);
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
