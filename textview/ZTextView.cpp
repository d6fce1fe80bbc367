#include "textview/ZTextView.h"

#include <algorithm>
#include <climits>
#include <cwchar>

#include "controls/ZDpiScale.h"
#include "controls/ZFont.h"

namespace {

int ClampToInt(unsigned long long value)
{
    return value > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

// Where the platform puts a requested position: within minimum and maximum
// less the page (plus one, as the page counts the last position too).
int ClampedScrollPosition(const SCROLLINFO& info, int position)
{
    const long long last = static_cast<long long>(info.nMax) - std::max<long long>(info.nPage, 1) + 1;
    const long long highest = std::max<long long>(info.nMin, last);
    return static_cast<int>(std::clamp<long long>(position, info.nMin, highest));
}

// Paints of a stream of appends come at most this often (about 25 a second),
// and at least this often while appends keep arriving.
constexpr unsigned long long kAppendPaintInterval = 40;
constexpr UINT_PTR kAppendPaintTimer = 0x5A7E;

unsigned long long WheelScrollLines(unsigned long long pageHeight)
{
    UINT lines = 3;
    if (!::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        lines = 3;
    return lines == WHEEL_PAGESCROLL ? pageHeight : lines;
}

}  // namespace

BEGIN_MESSAGE_MAP(ZTextView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

ZTextView::ZTextView() = default;

ZTextView::~ZTextView()
{
    ReleasePaintBitmap();
}

void ZTextView::ReleasePaintBitmap()
{
    // A bitmap still selected into a context cannot be deleted.
    if (m_paintPreviousBitmap)
        ::SelectObject(m_paintMemory.GetSafeHdc(), m_paintPreviousBitmap);
    m_paintPreviousBitmap = nullptr;
    m_paintBitmap.DeleteObject();
    m_paintBitmapSize = CSize(0, 0);
}

// --- Messages ----------------------------------------------------------------------

int ZTextView::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    UpdateFontInternal();
    ZTextViewBase::OnCreate();
    return 0;
}

void ZTextView::OnLinesAppended()
{
    if (!m_hWnd) {
        ApplyPendingAppends();
        return;
    }
    const unsigned long long now = ::GetTickCount64();
    const unsigned long long sincePaint = now - m_lastPaintTick;
    if (m_appendBurst) {
        if (sincePaint >= kAppendPaintInterval)
            PaintAppendsNow(now);
        return;
    }
    // The first append since a paint: the paint comes when the queue is idle,
    // or from the timer, or from a later append once it is overdue.
    m_appendBurst = true;
    if (sincePaint >= kAppendPaintInterval)
        InvalidateRect(nullptr, FALSE);
    const unsigned long long wait = sincePaint >= kAppendPaintInterval ? 0 : kAppendPaintInterval - sincePaint;
    SetTimer(kAppendPaintTimer, static_cast<UINT>(std::max<unsigned long long>(wait, USER_TIMER_MINIMUM)), nullptr);
}

void ZTextView::PaintAppendsNow(unsigned long long now)
{
    ApplyPendingAppends();
    UpdateWindow();
    // A hidden window gets no paint: it still counts as one, so that the
    // appends to it are not brought up to date one by one.
    m_lastPaintTick = now;
    m_appendBurst = false;
    KillTimer(kAppendPaintTimer);
}

// Here rather than in the message map, so that a derived host's own timer or
// paint handler, which passes straight to the framework, cannot skip them.
LRESULT ZTextView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kAppendPaintTimer) {
        PaintAppendsNow(::GetTickCount64());
        return 0;
    }
    if (message == WM_PAINT) {
        ApplyPendingAppends();  // the scroll bars and the follow scroll before the text
        m_lastPaintTick = ::GetTickCount64();
        if (std::exchange(m_appendBurst, false))
            KillTimer(kAppendPaintTimer);
    }
    return CView::WindowProc(message, wParam, lParam);
}

void ZTextView::OnSize(UINT, int, int)
{
    Default();
    OnSizeChange();
}

BOOL ZTextView::OnEraseBkgnd(CDC*)
{
    return TRUE;  // painting fills the background itself, without flicker
}

BOOL ZTextView::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest != HTCLIENT)
        return static_cast<BOOL>(Default());
    ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
    return TRUE;
}

void ZTextView::OnLButtonDown(UINT, CPoint point)
{
    ZTextViewBase::OnLButtonDown(point);
    MirrorSelectionToLinkedView();
}

void ZTextView::OnLButtonUp(UINT, CPoint point)
{
    ZTextViewBase::OnLButtonUp(point);
    MirrorSelectionToLinkedView();
}

void ZTextView::OnMouseMove(UINT, CPoint point)
{
    ZTextViewBase::OnMouseMove(point);
    MirrorSelectionToLinkedView();
}

void ZTextView::MirrorSelectionToLinkedView()
{
    ITextViewLinkedView* linked = GetLinkedView();
    if (!linked)
        return;
    const ZTextViewHighlight* selection = GetHighlight();
    std::optional<std::pair<ZTextViewCharPosition, ZTextViewCharPosition>> now;
    if (selection)
        now.emplace(selection->GetBegin(), selection->GetEnd());
    if (now == m_mirroredSelection)
        return;
    m_mirroredSelection = now;
    if (!selection) {
        linked->UpdateHighlight(nullptr, IsColumnSelect());
        return;
    }
    ZTextViewHighlight copy(*selection);  // the receiver keeps copies of its own
    linked->UpdateHighlight(&copy, IsColumnSelect());
}

BOOL ZTextView::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_KEYFIRST && msg->message <= 0x0109 && msg->wParam == VK_END &&
        IsKeyModifierPressed(VK_CONTROL)) {
        OnCtrlEnd();
        ::TranslateMessage(msg);
        ::DispatchMessageW(msg);
        return TRUE;
    }
    return CView::PreTranslateMessage(msg);
}

void ZTextView::OnVScroll(UINT code, UINT position, CScrollBar* scrollBar)
{
    ApplyPendingAppends();
    if (UsesLinkedVerticalScrollbar()) {
        GetLinkedVerticalScrollbar()->OnVScroll(code, position, scrollBar);
        return;
    }
    HandleScroll(SB_VERT, code);
}

void ZTextView::OnHScroll(UINT code, UINT, CScrollBar*)
{
    ApplyPendingAppends();
    HandleScroll(SB_HORZ, code);
}

void ZTextView::HandleScroll(int bar, UINT code)
{
    unsigned long long position = 0;
    if (PositionForScrollCode(bar, code, position))
        ScrollBarTo(bar, position);
    Default();
}

bool ZTextView::PositionForScrollCode(int bar, UINT code, unsigned long long& position)
{
    const bool vertical = bar == SB_VERT;
    const unsigned long long current = vertical ? GetVScrollPointInternal() : GetHScrollPointInternal();
    const unsigned long long page = vertical ? GetPageHeight() : GetPageWidth();
    switch (code) {
    case SB_LINEUP:
        if (current == 0)
            return false;
        position = current - 1;
        return true;
    case SB_LINEDOWN:
        if (current == ULLONG_MAX)
            return false;
        position = current + 1;
        return true;
    case SB_PAGEUP:
        position = current > page ? current - page : 0;
        return true;
    case SB_PAGEDOWN:
        position = page > ULLONG_MAX - current ? ULLONG_MAX : current + page;
        return true;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info{};
        if (!GetScrollInfo(bar, &info, SIF_TRACKPOS))
            return false;
        position = static_cast<unsigned long long>(std::max(0, info.nTrackPos));
        return true;
    }
    case SB_TOP:
        if (!vertical)
            return false;
        position = 0;
        return true;
    case SB_BOTTOM:
        if (!vertical)
            return false;
        position = GetTotalVert() ? GetTotalVert() - 1 : 0;
        return true;
    default:
        return false;  // SB_ENDSCROLL
    }
}

BOOL ZTextView::OnMouseWheel(UINT, short delta, CPoint)
{
    ApplyPendingAppends();
    if (UsesLinkedVerticalScrollbar()) {
        const MSG* message = AfxGetCurrentMessage();
        GetLinkedVerticalScrollbar()->OnMouseWheel(message->wParam, message->lParam);
        return TRUE;
    }
    if (delta == 0)
        return TRUE;
    long long notches = delta / WHEEL_DELTA;
    if (notches == 0)
        notches = delta < 0 ? -1 : 1;
    const long long lines = static_cast<long long>(WheelScrollLines(GetPageHeight())) * notches;
    SCROLLINFO info{};
    const unsigned long long current =
        GetScrollInfo(SB_VERT, &info, SIF_POS) ? static_cast<unsigned long long>(std::max(0, info.nPos)) : 0;
    // A forward turn (positive delta) moves toward the oldest line.
    unsigned long long line = 0;
    if (lines > 0)
        line = current > static_cast<unsigned long long>(lines) ? current - lines : 0;
    else
        line = current + static_cast<unsigned long long>(-lines);
    ScrollBarTo(SB_VERT, line);
    return TRUE;
}

// --- Scroll bars -----------------------------------------------------------------------

void ZTextView::UpdateVScrollSize(unsigned long long total, unsigned long long page)
{
    SetScrollSize(SB_VERT, VerticalShown, IsVertScrollbarShownIfNeeded(), total, page);
}

void ZTextView::UpdateHScrollSize(unsigned long long total, unsigned long long page)
{
    SetScrollSize(SB_HORZ, HorizontalShown, IsHorzScrollbarShownIfNeeded(), total, page);
}

void ZTextView::SetScrollSize(int bar, unsigned shownBit, bool showIfNeeded, unsigned long long total,
                              unsigned long long page)
{
    if (!m_hWnd)
        return;
    if (showIfNeeded && total > page) {
        m_scrollBarsShown |= shownBit;
        SCROLLINFO info{};
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMin = 0;
        info.nMax = ClampToInt(total - 1);
        info.nPage = static_cast<UINT>(ClampToInt(page));
        if (!SetScrollInfo(bar, &info))
            SetScrollRange(bar, 0, ClampToInt(total));
        return;
    }
    SetScrollRange(bar, 0, 0);  // removes the bar
    m_scrollBarsShown &= ~shownBit;
}

unsigned long long ZTextView::GetVScrollPointInternal() const
{
    if (!m_hWnd || !(m_scrollBarsShown & VerticalShown))
        return 0;
    return static_cast<unsigned long long>(std::max(0, GetScrollPos(SB_VERT)));
}

unsigned long long ZTextView::GetHScrollPointInternal() const
{
    if (!m_hWnd || !(m_scrollBarsShown & HorizontalShown))
        return 0;
    return static_cast<unsigned long long>(std::max(0, GetScrollPos(SB_HORZ)));
}

void ZTextView::ScrollToVPoint(unsigned long long line)
{
    ScrollBarTo(SB_VERT, line);
}

void ZTextView::ScrollToHPoint(unsigned long long column)
{
    ScrollBarTo(SB_HORZ, column);
}

void ZTextView::ScrollBarTo(int bar, unsigned long long position)
{
    if (!m_hWnd)
        return;
    SCROLLINFO info{};
    info.fMask = SIF_POS;
    info.nPos = ClampToInt(position);
    // A view that follows the end asks for the same last line with every
    // appended line: only a move that the platform's clamping lets through is
    // set, so the bar is not redrawn for nothing.
    // A window without that bar has nothing to move; asking would only make
    // the platform recalculate the frame.
    SCROLLINFO current{};
    if (!GetScrollInfo(bar, &current, SIF_POS | SIF_RANGE | SIF_PAGE))
        current = SCROLLINFO{};
    const int taken = ClampedScrollPosition(current, info.nPos);
    if (taken != current.nPos)
        SetScrollInfo(bar, &info);
    InvalidateWindow();
    // The linked bar hears where the view went, not where it was asked to go;
    // a linked bar that carries the position clamps it itself, as the view's
    // own bar then has no range.
    if (bar == SB_VERT && GetLinkedVerticalScrollbar())
        GetLinkedVerticalScrollbar()->OnViewScrolled(
            UsesLinkedVerticalScrollbar() ? position : static_cast<unsigned long long>(std::max(0, taken)));
}

void ZTextView::ShowVertScrollbarIfNeeded(bool show)
{
    ApplyPendingAppends();
    const bool changed = show != IsVertScrollbarShownIfNeeded();
    ZTextViewBase::ShowVertScrollbarIfNeeded(show);
    ITextViewLinkedScrollbar* linked = GetLinkedVerticalScrollbar();
    if (!changed || !linked || !m_hWnd)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    linked->GetScrollInfo(info);
    UpdateVScrollSize(static_cast<unsigned long long>(std::max(0, info.nMax) + 1), info.nPage);
    if (show) {
        SCROLLINFO position{};
        position.fMask = SIF_POS;
        position.nPos = info.nPos;
        SetScrollInfo(SB_VERT, &position);
    }
}

// --- Painting ------------------------------------------------------------------------------

void ZTextView::OnDraw(CDC* dc)
{
    CRect clip;
    dc->GetClipBox(&clip);
    dc->LPtoDP(&clip);
    clip.NormalizeRect();
    if (clip.IsRectEmpty())
        return;

    // One off-screen bitmap covering the clip box; on a printer, or when it
    // cannot be made, the text goes straight to dc.
    CDC* target = dc;
    if (!dc->IsPrinting()) {
        if (CDC* memory = PaintMemory(dc, clip.Size())) {
            ::SelectClipRgn(memory->GetSafeHdc(), nullptr);
            memory->SetViewportOrg(-clip.left, -clip.top);
            memory->SetBrushOrg(clip.left % 8, clip.top % 8);
            memory->IntersectClipRect(&clip);
            target = memory;
        }
    }

    ::FillRect(target->GetSafeHdc(), &clip, ::GetSysColorBrush(COLOR_WINDOW));
    target->SetBkMode(OPAQUE);
    HGDIOBJ previousFont = m_font && m_font->GetSafeHandle()
                               ? ::SelectObject(target->GetSafeHdc(), m_font->GetSafeHandle())
                               : nullptr;
    ZTextViewBase::OnDraw(target, clip);
    if (previousFont)
        ::SelectObject(target->GetSafeHdc(), previousFont);

    if (target != dc)
        dc->BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), target, clip.left, clip.top, SRCCOPY);
}

CDC* ZTextView::PaintMemory(CDC* screen, CSize size)
{
    if (size.cx <= m_paintBitmapSize.cx && size.cy <= m_paintBitmapSize.cy)
        return &m_paintMemory;
    if (!m_paintMemory.GetSafeHdc() && !m_paintMemory.CreateCompatibleDC(screen))
        return nullptr;
    const CSize grown(std::max(size.cx, m_paintBitmapSize.cx), std::max(size.cy, m_paintBitmapSize.cy));
    ReleasePaintBitmap();
    if (!m_paintBitmap.CreateCompatibleBitmap(screen, grown.cx, grown.cy))
        return nullptr;
    m_paintPreviousBitmap = ::SelectObject(m_paintMemory.GetSafeHdc(), m_paintBitmap.GetSafeHandle());
    m_paintBitmapSize = grown;
    return &m_paintMemory;
}

void ZTextView::DrawTextW(CDC* dc, const DrawTextInfo& run)
{
    dc->SetTextColor(run.textColor);
    dc->SetBkColor(run.backgroundColor);
    const int length = ClampToInt(run.length);
    // No tab stops given: a tab advances to the context's default stops. A run
    // without tabs draws the same with the plain call, which skips measuring.
    if (std::wmemchr(run.text, L'\t', static_cast<size_t>(length)))
        dc->TabbedTextOut(run.x, run.y, run.text, length, 0, nullptr, 0);
    else
        dc->ExtTextOut(run.x, run.y, 0, nullptr, run.text, static_cast<UINT>(length));
}

void ZTextView::DrawLine(CDC* dc, COLORREF color, const std::vector<ZTextViewLineDrawInfo>& segments)
{
    if (segments.empty())
        return;
    CPen pen(PS_SOLID, AdjustForDpiX(dc, 1), color);
    HGDIOBJ previous = ::SelectObject(dc->GetSafeHdc(), pen.GetSafeHandle());
    for (const ZTextViewLineDrawInfo& segment : segments) {
        dc->MoveTo(ToPixel(segment.x1), segment.y1);
        dc->LineTo(ToPixel(segment.x2), segment.y2);
    }
    ::SelectObject(dc->GetSafeHdc(), previous);
}

void ZTextView::GetTextColor(COLORREF& text, COLORREF& background) const
{
    text = ::GetSysColor(COLOR_WINDOWTEXT);
    background = ::GetSysColor(COLOR_WINDOW);
}

void ZTextView::GetHighlightColor(COLORREF& text, COLORREF& background) const
{
    text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    background = ::GetSysColor(COLOR_HIGHLIGHT);
}

// --- Window operations ------------------------------------------------------------------------

void ZTextView::GetClientRect(RECT* rect) const
{
    if (!m_hWnd) {
        *rect = RECT{};
        return;
    }
    CWnd::GetClientRect(rect);
}

void ZTextView::InvalidateWindow()
{
    if (m_hWnd)
        InvalidateRect(nullptr, TRUE);
}

void ZTextView::RepaintWindow()
{
    if (m_hWnd)
        UpdateWindow();
}

void ZTextView::CaptureMouse()
{
    if (m_hWnd)
        SetCapture();
}

bool ZTextView::ReleaseMouse()
{
    return ::ReleaseCapture() != FALSE;
}

void ZTextView::UpdateFontInternal()
{
    if (!m_hWnd)
        return;
    m_font.reset();
    CClientDC dc(this);
    if (const ZLogFont* stored = ZTextViewBase::GetFont()) {
        const ZFontData data{stored->logFont, stored->heightOverride, static_cast<uint32_t>(stored->reserved)};
        m_font.reset(ZCreateFont(dc, data, true));
    } else {
        LOGFONTW logFont{};
        logFont.lfHeight = -(10 * dc.GetDeviceCaps(LOGPIXELSY) / 72);
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = DEFAULT_CHARSET;
        logFont.lfOutPrecision = OUT_CHARACTER_PRECIS;
        logFont.lfClipPrecision = CLIP_CHARACTER_PRECIS;
        logFont.lfQuality = DEFAULT_QUALITY;
        logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        lstrcpynW(logFont.lfFaceName, L"Courier New", LF_FACESIZE);
        m_font = std::make_unique<CFont>();
        m_font->CreateFontIndirect(&logFont);
    }
    if (!m_font || !m_font->GetSafeHandle())
        return;  // the cell stays as it was
    HGDIOBJ previous = ::SelectObject(dc.GetSafeHdc(), m_font->GetSafeHandle());
    TEXTMETRICW metrics{};
    const BOOL measured = dc.GetTextMetrics(&metrics);
    ::SelectObject(dc.GetSafeHdc(), previous);
    if (!measured)
        return;
    UpdateSize(metrics.tmAveCharWidth, metrics.tmHeight + metrics.tmExternalLeading);
    // A later font change re-ranges the bars and repaints at once.
    UpdateScrollSize();
    InvalidateWindow();
}

const CFont* ZTextView::GetViewFont() const
{
    return m_font.get();
}
