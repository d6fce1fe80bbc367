// A 32-bit memory bitmap with a CDC on it, cleared to one colour: somewhere to
// draw without a window and read single pixels back.
#pragma once

#include <afxwin.h>

namespace TestSupport {

class Canvas {
public:
    Canvas(int width, int height, COLORREF clear)
    {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc.Attach(::CreateCompatibleDC(nullptr));
        m_old = ::SelectObject(m_dc, m_bitmap);
        m_dc.FillSolidRect(CRect(0, 0, width, height), clear);
    }
    ~Canvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc.Detach());
        ::DeleteObject(m_bitmap);
    }
    CDC* dc() { return &m_dc; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }

private:
    HBITMAP m_bitmap = nullptr;
    CDC m_dc;
    HGDIOBJ m_old = nullptr;
};

}  // namespace TestSupport
