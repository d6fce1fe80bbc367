// Demo section: the text view's model. A log longer than the view's history
// goes in line by line, a stream and a column selection are made with the
// mouse as a window would report it, copied to the clipboard and read back.
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "demo/DemoOutput.h"
#include "demo/DemoSelectionText.h"
#include "textview/ClipboardBuffer.h"
#include "textview/ZTextViewBase.h"

namespace {

void Print(const std::wstring& text)
{
    DemoPrint(text.c_str());
}

// A view without a window: 8 x 16 pixel cells, a client area of 60 x 10 cells.
class DemoView : public ZTextViewBase {
public:
    DemoView()
    {
        UpdateSize(8, 16);
        OnCreate();
    }
    void Drag(int fromColumn, int fromRow, int toColumn, int toRow)
    {
        OnLButtonDown(Cell(fromColumn, fromRow));
        OnMouseMove(Cell(toColumn, toRow));
        OnLButtonUp(Cell(toColumn, toRow));
    }
    using ZTextViewBase::OnEditCopy;
    using ZTextViewBase::OnGoToStart;
    unsigned long long FirstLine() const { return GetVScrollPoint(); }

protected:
    static POINT Cell(int column, int row) { return {column * 8 + 2, row * 16 + 3}; }
    void UpdateVScrollSize(unsigned long long total, unsigned long long page) override
    {
        m_maxFirst = total > page ? total - page : 0;
        m_firstLine = m_firstLine < m_maxFirst ? m_firstLine : m_maxFirst;
    }
    void UpdateHScrollSize(unsigned long long, unsigned long long) override {}
    unsigned long long GetVScrollPointInternal() const override { return m_firstLine; }
    unsigned long long GetHScrollPointInternal() const override { return 0; }
    void ScrollToVPoint(unsigned long long line) override { m_firstLine = line < m_maxFirst ? line : m_maxFirst; }
    void ScrollToHPoint(unsigned long long) override {}
    void DrawTextW(CDC*, const DrawTextInfo&) override {}
    void DrawLine(CDC*, COLORREF, const std::vector<ZTextViewLineDrawInfo>&) override {}
    void GetTextColor(COLORREF& text, COLORREF& background) const override { text = background = 0; }
    void GetHighlightColor(COLORREF& text, COLORREF& background) const override { text = background = 0; }
    void GetClientRect(RECT* rect) const override { *rect = {0, 0, 480, 160}; }
    void InvalidateWindow() override {}
    void RepaintWindow() override {}
    void CaptureMouse() override {}
    bool ReleaseMouse() override { return true; }
    void UpdateFontInternal() override {}

private:
    unsigned long long m_firstLine = 0;
    unsigned long long m_maxFirst = 0;
};

bool g_altHeld = false;
bool DemoKeys(int key)
{
    return key == VK_MENU && g_altHeld;
}

std::wstring ReadClipboard()
{
    if (!::OpenClipboard(nullptr))
        return L"(clipboard not available)";
    ClipboardBuffer buffer(CF_UNICODETEXT);
    ZUnicodeString text;
    if (!buffer.GetData(text))
        return L"(clipboard empty)";
    return text.str();
}

}  // namespace

void ShowTextView()
{
    Print(L"== Text view model\n");
    const HRESULT ole = ::OleInitialize(nullptr);
    const ZTextViewBase::KeyModifierProbe previousProbe = ZTextViewBase::SetKeyModifierProbe(DemoKeys);
    {
        DemoView view;
        view.SetBufferSize(12);
        std::vector<ZTextViewBuffer::LineInfo> lines;
        const wchar_t* levels[] = {L"INFO ", L"DEBUG", L"WARN "};
        for (int i = 0; i < 20; ++i) {
            const std::wstring text = L"09:00:" + std::wstring(i < 10 ? L"0" : L"") + std::to_wstring(i) + L" " +
                                      levels[i % 3] + L" r\u00e9ponse n\u00b0" + std::to_wstring(i) + L" \u2192 ok";
            ZTextViewBuffer::LineInfo line;
            line.text.assign(text.begin(), text.end());
            view.AppendLines(&line, 1);
        }
        const ZTextViewBuffer& buffer = view.GetBuffer();
        Print(L"20 lines appended to a buffer of 12: " + std::to_wstring(buffer.GetLineCount()) +
                  L" kept, longest " + std::to_wstring(buffer.GetMaxLineLength()) + L" characters, view following from line " +
                  std::to_wstring(view.FirstLine()) + L"\n");
        for (unsigned long long i = 0; i < buffer.GetLineCount(); ++i) {
            const std::vector<wchar_t>& text = buffer.GetLineInfo(i).text;
            Print(L"  " + std::to_wstring(i) + L": " + std::wstring(text.begin(), text.end()) + L"\n");
        }

        view.OnGoToStart();
        view.Drag(9, 1, 4, 3);
        Print(L"stream selection: " + DemoSelectionText(view.GetHighlight()) + L"\n");
        view.OnEditCopy();
        Print(L"clipboard (CF_UNICODETEXT):\n" + ReadClipboard() + L"\n");

        g_altHeld = true;
        view.Drag(9, 4, 13, 7);
        g_altHeld = false;
        Print(L"column selection: " + DemoSelectionText(view.GetHighlight()) + L"\n");
        view.OnEditCopy();
        Print(L"clipboard (CF_UNICODETEXT):\n" + ReadClipboard());

        ZCopyTextToClipboard(L"\u201cquoted\u201d \u2013 dashed");
        if (::OpenClipboard(nullptr)) {
            ClipboardBuffer ascii(ClipboardBuffer::CF_TEXT_ASCII);
            ZUnicodeString text;
            ascii.GetData(text);
            Print(L"the same text read as format 19 (ASCII for terminals): " + text.str() + L"\n");
        }
    }
    ZTextViewBase::SetKeyModifierProbe(previousProbe);
    if (SUCCEEDED(ole))
        ::OleUninitialize();
    Print(L"\n");
}
