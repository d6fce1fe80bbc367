// ZTextViewBase: the window-independent core of the text view.
//
// It owns the line buffer, turns mouse points into character positions on a
// fixed-pitch grid, runs the selection (a stream of text, or with Alt held a
// rectangle of columns), follows the newest line until the user clicks into the
// view, pages and scrolls, and mirrors its font, selection, caret state and
// vertical position into an optional linked view and linked scroll bar.
// Everything that needs a window (scroll bars, painting, capture, colours) it
// asks of the derived window class through the virtual operations below.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "textview/ZLogFont.h"
#include "textview/ZTextViewBuffer.h"
#include "textview/ZTextViewHighlight.h"
#include "textview/ZTextViewInterfaces.h"

class CDC;

class TESSARO_API ZTextViewBase : public ITextViewHighlightSink,
                                  public ITextViewLinkedView,
                                  public ITextViewLinkedScrollbarSink,
                                  public ITextViewSelectionSink {
public:
    enum SelectionDrawStyle : int {
        SelectionDrawHighlight = 1,  // selected text in the highlight colours
        SelectionDrawOutline = 2,    // an outline around the selected cells
    };

    // One run of same-coloured text for DrawTextW.
    struct DrawTextInfo {
        COLORREF textColor;
        COLORREF backgroundColor;
        int x;
        int y;
        const wchar_t* text;  // into the line's storage, not owned
        unsigned long long length;
    };

    // Whether a modifier key (VK_SHIFT, VK_MENU) is held; replaceable so that a
    // view can be driven without a keyboard. Returns the previous probe.
    using KeyModifierProbe = bool (*)(int virtualKey);
    static KeyModifierProbe SetKeyModifierProbe(KeyModifierProbe probe);

    // Pixels for a coordinate that may lie far outside the platform's int
    // range (a large left offset or column): clamped, never wrapped.
    static int ToPixel(double value);

    ZTextViewBase();
    ZTextViewBase(const ZTextViewBase&) = delete;
    ZTextViewBase& operator=(const ZTextViewBase&) = delete;

    // The virtual operations, in table order. Those without a body here are
    // the window class's.

    // The mouse selection moved: normalize it.
    void OnHighlightChange() override;
    virtual void ShowVertScrollbarIfNeeded(bool show);
    virtual void ShowHorzScrollbarIfNeeded(bool show);
    // Uses font here and on the linked view.
    virtual void UpdateFont(const ZLogFont& font);
    virtual ~ZTextViewBase();

protected:
    virtual void UpdateVScrollSize(unsigned long long total, unsigned long long page) = 0;
    virtual void UpdateHScrollSize(unsigned long long total, unsigned long long page) = 0;
    virtual unsigned long long GetVScrollPointInternal() const = 0;  // first visible line
    virtual unsigned long long GetHScrollPointInternal() const = 0;  // first visible column
    virtual void ScrollToVPoint(unsigned long long line) = 0;        // the window class clamps the line
    virtual void ScrollToHPoint(unsigned long long column) = 0;
    virtual void DrawTextW(CDC* dc, const DrawTextInfo& run) = 0;
    virtual void DrawLine(CDC* dc, COLORREF color, const std::vector<ZTextViewLineDrawInfo>& segments) = 0;
    // May store a colour for a line with this attribute in color, which holds all bits set on entry.
    virtual void GetLineColor(unsigned long long attribute, COLORREF& color) const;
    virtual void GetTextColor(COLORREF& text, COLORREF& background) const = 0;
    virtual void GetHighlightColor(COLORREF& text, COLORREF& background) const = 0;
    virtual void GetClientRect(RECT* rect) const = 0;
    virtual void InvalidateWindow() = 0;
    virtual void RepaintWindow() = 0;
    virtual void CaptureMouse() = 0;
    virtual bool ReleaseMouse() = 0;
    // Empties the view here and on the linked view.
    virtual void Clear();
    // Re-measure the character cell after a font change.
    virtual void UpdateFontInternal() = 0;
    virtual void OnBeforeNormalizeHighlight();
    // Last say on a normalized selection: false drops it.
    virtual bool FinishNormalizeHighlight(ZTextViewCharPosition& begin, ZTextViewCharPosition& end);
    virtual void OnNormalizedHighlightChanged();
    // Lines went into the buffer and the selection moved with them; the scroll
    // bars, the follow-the-end scroll and the redraw wait for
    // ApplyPendingAppends. Here they happen at once; a window class may gather
    // a burst of appends into one update.
    virtual void OnLinesAppended();

public:
    void AppendLines(const ZTextViewBuffer::LineInfo* lines, unsigned long long count);
    void SetBufferSize(unsigned long long size);
    // Brings the scroll bars, the follow-the-end scroll and the redraw up to
    // date with every append since the last update; nothing when none is due.
    void ApplyPendingAppends();
    // Appends wait for that update (until the next paint, in a window).
    bool HasPendingAppends() const { return m_appendsPending; }
    bool CanCopy() const { return m_normalizedHighlight && m_copyEnabled; }
    void EnableCopy(bool enable) { m_copyEnabled = enable; }
    void SetLinkedView(ITextViewLinkedView* view) { m_linkedView = view; }
    void SetLinkedVerticalScrollbar(ITextViewLinkedScrollbar* scrollbar) { m_linkedVerticalScrollbar = scrollbar; }
    void SetSelectionDrawStyle(SelectionDrawStyle style);
    SelectionDrawStyle GetSelectionDrawStyle() const { return m_selectionDrawStyle; }
    bool HasCaret() const { return m_caret; }

    // ITextViewSelectionSink
    const ZTextViewBuffer& GetBuffer() const override { return m_buffer; }
    const ZTextViewHighlight* GetHighlight() const override { return m_normalizedHighlight.Get(); }
    bool IsColumnSelect() const override { return m_columnSelect; }
    double GetCharacterWidth() const override { return m_characterWidth; }
    int GetCharacterHeight() const override { return m_characterHeight; }

    // ITextViewLinkedView: what a linked view asks of this one.
    void UpdateFontInternal(const ZLogFont& font) override;
    void SelectAllInternal() override;
    void ClearInternal() override;
    void SetCaretInternal(bool caret) override;
    void UpdateHighlight(ZTextViewHighlight* highlight, bool columnSelect) override;

    // ITextViewLinkedScrollbarSink: the linked scroll bar moved.
    void Update() override;

protected:
    // Called by the window class on its messages.
    void OnCreate();
    // Paints the visible lines that cross clip (client coordinates): each line
    // as at most three runs split at the selection's edges, handed to DrawTextW;
    // in outline style the selection's outline goes to DrawLine.
    void OnDraw(CDC* dc, RECT clip);
    void OnSizeChange();
    void OnLButtonDown(POINT point);
    void OnLButtonUp(POINT point);
    void OnMouseMove(POINT point);
    void OnEditCopy();
    void OnGoToStart();
    void OnCtrlEnd();
    void OnPageUp();
    void OnPageDown();
    void SelectAll();
    void ClearLastLine();
    bool CanClear() const { return m_buffer.GetLineCount() != 0; }
    // Sets the caret flag here and on the linked view.
    void SetCaret(bool caret);

    void UpdateSize(double characterWidth, int characterHeight);
    void UpdatePageSize();
    void UpdateScrollSize();
    void ScrollToPoint(unsigned long long line, unsigned long long column);
    unsigned long long GetVScrollPoint() const;
    unsigned long long GetPageWidth() const { return m_pageWidth; }
    unsigned long long GetPageHeight() const { return m_pageHeight; }
    unsigned long long GetTotalHorz() const { return m_buffer.GetMaxLineLength(); }
    unsigned long long GetTotalVert() const { return m_buffer.GetLineCount(); }
    unsigned long long GetLeftOffset() const { return m_leftOffset; }
    void SetLeftOffset(unsigned long long cells) { m_leftOffset = cells; }
    const ZLogFont* GetFont() const { return m_font.get(); }
    const ZTextViewHighlight* GetMouseHighlight() const { return m_mouseHighlight.Get(); }
    ITextViewLinkedView* GetLinkedView() const { return m_linkedView; }
    ITextViewLinkedScrollbar* GetLinkedVerticalScrollbar() const { return m_linkedVerticalScrollbar; }
    bool IsVertScrollbarShownIfNeeded() const { return m_showVertScrollbarIfNeeded; }
    bool IsHorzScrollbarShownIfNeeded() const { return m_showHorzScrollbarIfNeeded; }
    // The vertical position is carried by the linked scroll bar, not the view's own.
    bool UsesLinkedVerticalScrollbar() const { return !m_showVertScrollbarIfNeeded && m_linkedVerticalScrollbar; }

    // Normalizes the mouse selection into the one that is drawn and copied;
    // false when there is none.
    bool NormalizeHighlight();
    // Normalizes a given selection into the drawn one.
    bool NormalizeHighlight(const ZTextViewHighlight& highlight);
    // The normalisation itself on two positions: ordered, clamped to the
    // buffer and moved off line ends; false when nothing is left selected.
    bool NormalizeHighlight(ZTextViewCharPosition& begin, ZTextViewCharPosition& end);
    // Drop the mouse selection (and with it the normalized one) / the normalized one.
    void ResetMouseHighlight();
    void ResetNormalizedHighlight();

    unsigned long long ToHorzCharPosition(int x) const;
    unsigned long long ToVertCharPosition(int y) const;
    int GetHorizontalPoint(unsigned long long column) const;
    ZTextViewCharPosition PointToCharposition(POINT point) const;
    static bool IsKeyModifierPressed(int virtualKey);

private:
    void ScrollToEnd();
    POINT WithoutLeftOffset(POINT point) const;
    void DropMouseHighlight();
    void AutoScroll(POINT point, const RECT& client, bool& scrolled);

    ITextViewLinkedView* m_linkedView = nullptr;                    // not owned
    ITextViewLinkedScrollbar* m_linkedVerticalScrollbar = nullptr;  // not owned
    std::unique_ptr<ZLogFont> m_font;
    bool m_showVertScrollbarIfNeeded = true;
    bool m_showHorzScrollbarIfNeeded = true;
    bool m_columnSelect = false;
    unsigned long long m_leftOffset = 0;  // character cells left of column 0
    SelectionDrawStyle m_selectionDrawStyle = SelectionDrawHighlight;
    double m_characterWidth = 0;
    int m_characterHeight = 0;
    unsigned long long m_pageWidth = 0;   // 0: not yet calculated
    unsigned long long m_pageHeight = 0;  // 0: not yet calculated
    ZTextViewBuffer m_buffer;
    bool m_appendsPending = false;     // appends whose scroll update has not run yet
    bool m_scrollSizeStale = false;    // and they changed the line count or the longest line
    bool m_caret = false;  // set once the user clicked into the view: new lines no longer scroll it
    bool m_buttonDown = false;
    bool m_copyEnabled = true;
    POINT m_anchorPoint{};
    POINT m_lastMousePoint{};
    ZUnknownPointer<ZTextViewHighlight> m_mouseHighlight;       // as the mouse made it; sink is this view
    ZUnknownPointer<ZTextViewHighlight> m_normalizedHighlight;  // what is drawn and copied
    ZUnknownPointer<ZTextViewHighlight> m_paintedHighlight;     // as last painted
};
