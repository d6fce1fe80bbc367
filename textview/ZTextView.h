// ZTextView: the text view window. A view with the platform's standard scroll
// bars that supplies ZTextViewBase's window operations: scroll-bar ranges and
// positions, the font and its cell, colours, double-buffered painting, mouse
// capture, and the messages a user causes (mouse, scroll bars, wheel, Ctrl+End).
//
// Like every view it is made with new and deletes itself when its window is
// destroyed.
#pragma once

#include <afxwin.h>

#include <memory>
#include <optional>
#include <utility>

#include "foundation/TessaroApi.h"
#include "textview/ZTextViewBase.h"

class TESSARO_API ZTextView : public CView, public ZTextViewBase {
public:
    ZTextView();
    ~ZTextView() override;

    // Ctrl+End (any keyboard message for VK_END with Ctrl down) resumes following
    // the newest line before the message is dispatched.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Handing the vertical position to the linked scroll bar, or taking it back,
    // copies that bar's range, page and position to the view's own.
    void ShowVertScrollbarIfNeeded(bool show) override;
    // The linked view's form of the font change.
    using ZTextViewBase::UpdateFontInternal;
    // The font painting selects (null before the window exists).
    const CFont* GetViewFont() const;

protected:
    void OnDraw(CDC* dc) override;

    // The window operations of ZTextViewBase.
    void UpdateVScrollSize(unsigned long long total, unsigned long long page) override;
    void UpdateHScrollSize(unsigned long long total, unsigned long long page) override;
    unsigned long long GetVScrollPointInternal() const override;
    unsigned long long GetHScrollPointInternal() const override;
    void ScrollToVPoint(unsigned long long line) override;
    void ScrollToHPoint(unsigned long long column) override;
    void DrawTextW(CDC* dc, const DrawTextInfo& run) override;
    void DrawLine(CDC* dc, COLORREF color, const std::vector<ZTextViewLineDrawInfo>& segments) override;
    void GetTextColor(COLORREF& text, COLORREF& background) const override;
    void GetHighlightColor(COLORREF& text, COLORREF& background) const override;
    void GetClientRect(RECT* rect) const override;
    void InvalidateWindow() override;
    void RepaintWindow() override;
    void CaptureMouse() override;
    bool ReleaseMouse() override;
    // Makes the font (the stored one, else 10-point "Courier New") and measures the cell.
    void UpdateFontInternal() override;
    // Gathers a burst of appends into one update, brought in by the next
    // paint; while appends keep the message queue busy the view paints by
    // itself once a paint is overdue, at most once per append call.
    void OnLinesAppended() override;
    // Brings appends up to date before each paint and paints them on the view's timer.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg int OnCreate(LPCREATESTRUCTW create);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar* scrollBar);
    afx_msg void OnHScroll(UINT code, UINT position, CScrollBar* scrollBar);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    enum ScrollBarsShown : unsigned { VerticalShown = 1, HorizontalShown = 2 };

    void SetScrollSize(int bar, unsigned shownBit, bool showIfNeeded, unsigned long long total,
                       unsigned long long page);
    // Sets a bar's position (the platform clamps it) and redraws; the vertical
    // one is reported to the linked scroll bar.
    void ScrollBarTo(int bar, unsigned long long position);
    // The position a scroll-bar code asks for; false when the code changes nothing.
    bool PositionForScrollCode(int bar, UINT code, unsigned long long& position);
    void HandleScroll(int bar, UINT code);
    // Hands the user's selection to the linked view when it changed.
    void MirrorSelectionToLinkedView();

    // Appends since the last paint: the platform sends a paint only when no
    // message is posted, so a busy stream is painted from here instead.
    void PaintAppendsNow(unsigned long long now);
    // The memory context holding a bitmap of at least size, or null when none can be made.
    CDC* PaintMemory(CDC* screen, CSize size);
    void ReleasePaintBitmap();

    unsigned m_scrollBarsShown = 0;
    // The off-screen bitmap painting draws into, kept from paint to paint and
    // grown to the largest clip box seen.
    CDC m_paintMemory;
    CBitmap m_paintBitmap;
    HGDIOBJ m_paintPreviousBitmap = nullptr;
    CSize m_paintBitmapSize{0, 0};
    unsigned long long m_lastPaintTick = 0;  // GetTickCount64 of the last paint
    bool m_appendBurst = false;              // appends wait for a paint
    std::unique_ptr<CFont> m_font;
    // The selection last handed to the linked view (begin, end); none when none.
    std::optional<std::pair<ZTextViewCharPosition, ZTextViewCharPosition>> m_mirroredSelection;
};
