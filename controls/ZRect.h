// ZRect and ZRectF: rectangles as the hosts store them. ZRect has the layout of
// the platform's RECT and a text form ("bottom, right, top, left", the order
// stored window positions have always used); ZRectF holds doubles in the
// order left, right, top, bottom.
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZRect {
public:
    ZRect() = default;
    ZRect(int left, int top, int right, int bottom) : m_left(left), m_top(top), m_right(right), m_bottom(bottom) {}
    ZRect(const RECT& rect) : ZRect(rect.left, rect.top, rect.right, rect.bottom) {}
    ZRect(const CRect& rect) : ZRect(static_cast<const RECT&>(rect)) {}
    // Reads the text form: four comma-separated decimal fields, bottom first.
    // Each field may start with blanks and ends at its first non-digit; one
    // without digits reads 0. Fewer than four fields throw
    // ZArray<ZUnicodeString>::OutOfRange; fields after the fourth are ignored.
    explicit ZRect(const ZUnicodeString& text);

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }
    int Bottom() const { return m_bottom; }
    int Width() const { return m_right - m_left; }
    int Height() const { return m_bottom - m_top; }
    void SetLeft(int value) { m_left = value; }
    void SetTop(int value) { m_top = value; }
    void SetRight(int value) { m_right = value; }
    void SetBottom(int value) { m_bottom = value; }

    // Swaps top and bottom, then left and right, where they are the wrong way round.
    void NormalizeRect();
    CRect ToCRect() const { return CRect(m_left, m_top, m_right, m_bottom); }
    // "bottom, right, top, left".
    ZUnicodeString ToString() const;

    bool operator==(const ZRect& other) const
    {
        return m_left == other.m_left && m_top == other.m_top && m_right == other.m_right &&
               m_bottom == other.m_bottom;
    }
    bool operator!=(const ZRect& other) const { return !(*this == other); }

private:
    // The layout of RECT.
    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
    int m_bottom = 0;
};

class TESSARO_API ZRectF {
public:
    ZRectF() = default;
    ZRectF(double left, double top, double right, double bottom)
        : m_left(left), m_right(right), m_top(top), m_bottom(bottom) {}
    ZRectF(const RECT& rect) : ZRectF(rect.left, rect.top, rect.right, rect.bottom) {}
    ZRectF(const CRect& rect) : ZRectF(static_cast<const RECT&>(rect)) {}

    double Left() const { return m_left; }
    double Right() const { return m_right; }
    double Top() const { return m_top; }
    double Bottom() const { return m_bottom; }
    double Width() const { return m_right - m_left; }
    double Height() const { return m_bottom - m_top; }
    void SetLeft(double value) { m_left = value; }
    void SetRight(double value) { m_right = value; }
    void SetTop(double value) { m_top = value; }
    void SetBottom(double value) { m_bottom = value; }

    void NormalizeRect();
    // The smallest integer rectangle covering this one: left and top truncated
    // toward zero, right and bottom rounded up. Values beyond the range of int
    // (and NaN, as 0) are clamped rather than wrapped.
    CRect ToCRect() const;

private:
    // Note the order: right before top.
    double m_left = 0.0;
    double m_right = 0.0;
    double m_top = 0.0;
    double m_bottom = 0.0;
};
