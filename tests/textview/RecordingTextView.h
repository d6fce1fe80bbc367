// The view core in a window stand-in of 100 x 20 cells of 8 x 16 pixels that records what it is asked to do and draw.
#pragma once

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/textview/TextViewTestLines.h"
#include "textview/ZTextViewBase.h"

namespace TextViewTest {

constexpr COLORREF kText = 0x000001;
constexpr COLORREF kBackground = 0x000002;
constexpr COLORREF kHighlightText = 0x000003;
constexpr COLORREF kHighlightBackground = 0x000004;
constexpr COLORREF kAlarm = 0x0000AA;  // the line colour hook's colour for kAlarmAttribute
constexpr unsigned long long kAlarmAttribute = 7;

// One run as DrawTextW received it.
struct DrawnRun {
    COLORREF text;
    COLORREF background;
    int x;
    int y;
    std::wstring characters;
    friend bool operator==(const DrawnRun&, const DrawnRun&) = default;
    friend std::ostream& operator<<(std::ostream& out, const DrawnRun& run)
    {
        return out << "{" << run.text << "/" << run.background << " at " << run.x << "," << run.y << " \""
                   << std::string(run.characters.begin(), run.characters.end()) << "\"}";
    }
};

// The point in the middle of a cell of the visible grid.
inline POINT Cell(int column, int row)
{
    return {column * 8 + 2, row * 16 + 3};
}

// Scroll bars as the platform keeps them: a position clamped to total - page.
class RecordingView : public ZTextViewBase {
public:
    explicit RecordingView(const std::vector<std::wstring>& texts = {})
    {
        UpdateSize(8, 16);
        OnCreate();
        Fill(texts);
    }

    using ZTextViewBase::Clear, ZTextViewBase::ClearLastLine, ZTextViewBase::GetFont, ZTextViewBase::GetMouseHighlight;
    using ZTextViewBase::GetPageHeight, ZTextViewBase::GetPageWidth, ZTextViewBase::GetVScrollPoint;
    using ZTextViewBase::GetHorizontalPoint, ZTextViewBase::PointToCharposition;
    using ZTextViewBase::OnCtrlEnd, ZTextViewBase::OnEditCopy, ZTextViewBase::OnGoToStart;
    using ZTextViewBase::OnPageDown, ZTextViewBase::OnPageUp, ZTextViewBase::SelectAll;
    using ZTextViewBase::OnLButtonDown, ZTextViewBase::OnLButtonUp, ZTextViewBase::OnMouseMove;
    using ZTextViewBase::SetLeftOffset, ZTextViewBase::UpdateFont;

    // What the view asked of its window.
    std::vector<unsigned long long> vScrolls;  // lines asked for, before clamping
    std::vector<unsigned long long> hScrolls;
    std::vector<std::pair<unsigned long long, unsigned long long>> vSizes;  // total, page
    int invalidations = 0;
    int repaints = 0;
    int captures = 0;
    int releases = 0;
    int fontMeasures = 0;
    std::vector<DrawnRun> runs;
    std::vector<std::vector<ZTextViewLineDrawInfo>> outlines;
    std::vector<COLORREF> outlineColors;

    unsigned long long firstLine = 0;
    unsigned long long firstColumn = 0;

    void ForgetRequests()
    {
        vScrolls.clear();
        hScrolls.clear();
        vSizes.clear();
        invalidations = repaints = captures = releases = 0;
    }
    void Fill(const std::vector<std::wstring>& texts)
    {
        const auto lines = Lines(texts);
        AppendLines(lines.data(), lines.size());
    }
    void Click(POINT point)
    {
        OnLButtonDown(point);
        OnLButtonUp(point);
    }
    void Drag(POINT from, POINT to)
    {
        OnLButtonDown(from);
        OnMouseMove(to);
        OnLButtonUp(to);
    }
    // A selection as a linked view would hand it over.
    void Select(ZTextViewCharPosition begin, ZTextViewCharPosition end, bool columns)
    {
        ZTextViewHighlight selection(nullptr, begin, end);
        UpdateHighlight(&selection, columns);
    }
    void Paint(RECT clip = {0, 0, 800, 320})
    {
        runs.clear();
        outlines.clear();
        outlineColors.clear();
        OnDraw(nullptr, clip);
    }

protected:
    void UpdateVScrollSize(unsigned long long total, unsigned long long page) override
    {
        vSizes.emplace_back(total, page);
        m_maxFirstLine = total > page ? total - page : 0;
        firstLine = std::min(firstLine, m_maxFirstLine);
    }
    void UpdateHScrollSize(unsigned long long, unsigned long long) override {}
    unsigned long long GetVScrollPointInternal() const override { return firstLine; }
    unsigned long long GetHScrollPointInternal() const override { return firstColumn; }
    void ScrollToVPoint(unsigned long long line) override
    {
        vScrolls.push_back(line);
        firstLine = std::min(line, m_maxFirstLine);
    }
    void ScrollToHPoint(unsigned long long column) override
    {
        hScrolls.push_back(column);
        firstColumn = column;
    }
    void DrawTextW(CDC*, const DrawTextInfo& run) override
    {
        runs.push_back({run.textColor, run.backgroundColor, run.x, run.y,
                        std::wstring(run.text, static_cast<size_t>(run.length))});
    }
    void DrawLine(CDC*, COLORREF color, const std::vector<ZTextViewLineDrawInfo>& segments) override
    {
        outlines.push_back(segments);
        outlineColors.push_back(color);
    }
    void GetLineColor(unsigned long long attribute, COLORREF& color) const override
    {
        if (attribute == kAlarmAttribute)
            color = kAlarm;
    }
    void GetTextColor(COLORREF& text, COLORREF& background) const override
    {
        text = kText;
        background = kBackground;
    }
    void GetHighlightColor(COLORREF& text, COLORREF& background) const override
    {
        text = kHighlightText;
        background = kHighlightBackground;
    }
    void GetClientRect(RECT* rect) const override { *rect = {0, 0, 800, 320}; }
    void InvalidateWindow() override { ++invalidations; }
    void RepaintWindow() override { ++repaints; }
    void CaptureMouse() override { ++captures; }
    bool ReleaseMouse() override { return ++releases > 0; }
    void UpdateFontInternal() override { ++fontMeasures; }

private:
    unsigned long long m_maxFirstLine = 0;
};

}  // namespace TextViewTest
