// Drawing objects and device contexts.
//
//   CGdiObject, CFont, CPen, CBrush, CBitmap   owners of one GDI object each
//   CDC, CPaintDC, CClientDC                   device contexts
//
// An object owns what it made or attached and deletes it when it dies; FromHandle
// gives a temporary object (per thread, freed with the window temporaries) that
// never deletes the handle it wraps.
#pragma once

#include "afx.h"

class CWnd;

class TESSARO_MFC_API CGdiObject : public CObject {
    DECLARE_DYNCREATE(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    static CGdiObject* AFXAPI FromHandle(HGDIOBJ object);
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const;
    int GetObject(int size, LPVOID buffer) const;

    HGDIOBJ m_hObject = nullptr;
};

class TESSARO_MFC_API CFont : public CGdiObject {
    DECLARE_DYNCREATE(CFont)
public:
    static CFont* AFXAPI FromHandle(HFONT font) { return static_cast<CFont*>(CGdiObject::FromHandle(font)); }
    BOOL CreateFontIndirect(const LOGFONTW* logFont);
    BOOL CreatePointFont(int pointSizeTenths, LPCWSTR faceName, CDC* dc = nullptr);
    int GetLogFont(LOGFONTW* logFont) const;
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class TESSARO_MFC_API CPen : public CGdiObject {
    DECLARE_DYNCREATE(CPen)
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class TESSARO_MFC_API CBrush : public CGdiObject {
    DECLARE_DYNCREATE(CBrush)
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    static CBrush* AFXAPI FromHandle(HBRUSH brush) { return static_cast<CBrush*>(CGdiObject::FromHandle(brush)); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateSysColorBrush(int index);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class TESSARO_MFC_API CBitmap : public CGdiObject {
    DECLARE_DYNCREATE(CBitmap)
public:
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL LoadBitmap(UINT id);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class TESSARO_MFC_API CDC : public CObject {
    DECLARE_DYNCREATE(CDC)
public:
    CDC() = default;
    // Deletes a device context the object made with CreateCompatibleDC.
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    CGdiObject* SelectStockObject(int index);
    CFont* SelectObject(CFont* font);
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectObject(CGdiObject* object);
    int SaveDC();
    BOOL RestoreDC(int saved);

    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);
    BOOL TextOut(int x, int y, LPCWSTR text, int length);
    // Tabs expand to the given stops (none: every eight average character widths).
    CSize TabbedTextOut(int x, int y, LPCWSTR text, int length, int tabCount, LPINT tabStops, int tabOrigin);
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT length, LPINT widths = nullptr);
    int DrawText(LPCWSTR text, int length, LPRECT rect, UINT format);
    CSize GetTextExtent(LPCWSTR text, int length) const;
    BOOL GetTextMetrics(LPTEXTMETRICW metrics) const;
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillRect(LPCRECT rect, CBrush* brush);
    BOOL Rectangle(LPCRECT rect);
    BOOL MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop);
    int GetDeviceCaps(int index) const;

    // Clipping and mapping.
    int GetClipBox(LPRECT rect) const;
    int IntersectClipRect(LPCRECT rect);
    BOOL LPtoDP(LPRECT rect) const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetBrushOrg(int x, int y);
    // Whether the context draws on a printer (set by whoever prepares one).
    BOOL IsPrinting() const { return m_bPrinting; }

    HDC m_hDC = nullptr;
    BOOL m_bPrinting = FALSE;

private:
    HGDIOBJ Select(HGDIOBJ object);
    bool m_owned = false;   // made by CreateCompatibleDC
};

// BeginPaint/EndPaint around the object's life.
class TESSARO_MFC_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps = {};

protected:
    HWND m_hWnd;
};

// GetDC/ReleaseDC around the object's life.
class TESSARO_MFC_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// Frees the calling thread's temporary drawing objects.
TESSARO_MFC_API void AFXAPI AfxDeleteTempGdiMap();
