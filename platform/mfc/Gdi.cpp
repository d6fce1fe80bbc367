#include "afxwin.h"
#include "afximpl.h"

#include <map>
#include <memory>

namespace {

// Temporary wrappers, per thread, freed in idle time with the window ones.
thread_local AfxTemporaryMap<HGDIOBJ, CGdiObject, &CGdiObject::m_hObject> t_temporaryGdi;

std::unique_ptr<CGdiObject> WrapperFor(HGDIOBJ object)
{
    switch (::GetObjectType(object)) {
    case OBJ_FONT: return std::make_unique<CFont>();
    case OBJ_PEN: return std::make_unique<CPen>();
    case OBJ_BRUSH: return std::make_unique<CBrush>();
    case OBJ_BITMAP: return std::make_unique<CBitmap>();
    default: return std::make_unique<CGdiObject>();
    }
}

}  // namespace

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNCREATE(CFont, CGdiObject)
IMPLEMENT_DYNCREATE(CPen, CGdiObject)
IMPLEMENT_DYNCREATE(CBrush, CGdiObject)
IMPLEMENT_DYNCREATE(CBitmap, CGdiObject)
IMPLEMENT_DYNCREATE(CDC, CObject)

void AFXAPI AfxDeleteTempGdiMap()
{
    t_temporaryGdi.DeleteAll();
}

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* AFXAPI CGdiObject::FromHandle(HGDIOBJ object)
{
    if (!object)
        return nullptr;
    return t_temporaryGdi.Get(object, [object] { return WrapperFor(object); });
}

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    return AfxAttachHandle(m_hObject, object);
}

HGDIOBJ CGdiObject::Detach()
{
    return AfxDetachHandle(m_hObject);
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

HGDIOBJ CGdiObject::GetSafeHandle() const
{
    return AfxSafeHandle(this, &CGdiObject::m_hObject);
}

int CGdiObject::GetObject(int size, LPVOID buffer) const
{
    ASSERT(m_hObject != nullptr);
    return ::GetObjectW(m_hObject, size, buffer);
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    return Attach(::CreateFontIndirectW(logFont));
}

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCWSTR faceName, CDC* dc)
{
    HDC screen = dc ? dc->m_hDC : ::GetDC(nullptr);
    LOGFONTW logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = -::MulDiv(pointSizeTenths, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
    lstrcpynW(logFont.lfFaceName, faceName ? faceName : L"", LF_FACESIZE);
    if (!dc)
        ::ReleaseDC(nullptr, screen);
    return CreateFontIndirect(&logFont);
}

int CFont::GetLogFont(LOGFONTW* logFont) const
{
    return GetObject(sizeof(LOGFONTW), logFont);
}

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    return Attach(::CreatePen(style, width, color));
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    return Attach(::CreateSolidBrush(color));
}

BOOL CBrush::CreateSysColorBrush(int index)
{
    return Attach(::GetSysColorBrush(index)) ? TRUE : FALSE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

BOOL CBitmap::LoadBitmap(UINT id)
{
    LPCWSTR name = MAKEINTRESOURCEW(id);
    return Attach(::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name));
}

// --- device contexts ---------------------------------------------------------

CDC::~CDC()
{
    if (m_owned)
        DeleteDC();
}

BOOL CDC::Attach(HDC dc)
{
    return AfxAttachHandle(m_hDC, dc);
}

HDC CDC::Detach()
{
    m_owned = false;
    return AfxDetachHandle(m_hDC);
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (!Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)))
        return FALSE;
    m_owned = true;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

HGDIOBJ CDC::Select(HGDIOBJ object)
{
    ASSERT(m_hDC != nullptr);
    return ::SelectObject(m_hDC, object);
}

CGdiObject* CDC::SelectStockObject(int index)
{
    return CGdiObject::FromHandle(Select(::GetStockObject(index)));
}

CFont* CDC::SelectObject(CFont* font)
{
    return static_cast<CFont*>(CGdiObject::FromHandle(Select(font->m_hObject)));
}

CPen* CDC::SelectObject(CPen* pen)
{
    return static_cast<CPen*>(CGdiObject::FromHandle(Select(pen->m_hObject)));
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    return static_cast<CBrush*>(CGdiObject::FromHandle(Select(brush->m_hObject)));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    return static_cast<CBitmap*>(CGdiObject::FromHandle(Select(bitmap->m_hObject)));
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    return CGdiObject::FromHandle(Select(object->m_hObject));
}

int CDC::SaveDC()
{
    ASSERT(m_hDC != nullptr);
    return ::SaveDC(m_hDC);
}

BOOL CDC::RestoreDC(int saved)
{
    ASSERT(m_hDC != nullptr);
    return ::RestoreDC(m_hDC, saved);
}

COLORREF CDC::SetTextColor(COLORREF color)
{
    ASSERT(m_hDC != nullptr);
    return ::SetTextColor(m_hDC, color);
}

COLORREF CDC::SetBkColor(COLORREF color)
{
    ASSERT(m_hDC != nullptr);
    return ::SetBkColor(m_hDC, color);
}

int CDC::SetBkMode(int mode)
{
    ASSERT(m_hDC != nullptr);
    return ::SetBkMode(m_hDC, mode);
}

BOOL CDC::TextOut(int x, int y, LPCWSTR text, int length)
{
    ASSERT(m_hDC != nullptr);
    return ::TextOutW(m_hDC, x, y, text, length);
}

CSize CDC::TabbedTextOut(int x, int y, LPCWSTR text, int length, int tabCount, LPINT tabStops, int tabOrigin)
{
    ASSERT(m_hDC != nullptr);
    const LONG extent = ::TabbedTextOutW(m_hDC, x, y, text, length, tabCount, tabStops, tabOrigin);
    return CSize(LOWORD(extent), HIWORD(extent));
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCWSTR text, UINT length, LPINT widths)
{
    ASSERT(m_hDC != nullptr);
    return ::ExtTextOutW(m_hDC, x, y, options, rect, text, length, widths);
}

int CDC::DrawText(LPCWSTR text, int length, LPRECT rect, UINT format)
{
    ASSERT(m_hDC != nullptr);
    return ::DrawTextW(m_hDC, text, length, rect, format);
}

CSize CDC::GetTextExtent(LPCWSTR text, int length) const
{
    ASSERT(m_hDC != nullptr);
    SIZE size = {};
    ::GetTextExtentPoint32W(m_hDC, text, length, &size);
    return size;
}

BOOL CDC::GetTextMetrics(LPTEXTMETRICW metrics) const
{
    ASSERT(m_hDC != nullptr);
    return ::GetTextMetricsW(m_hDC, metrics);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    ASSERT(m_hDC != nullptr);
    const COLORREF previous = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

void CDC::FillRect(LPCRECT rect, CBrush* brush)
{
    ASSERT(m_hDC != nullptr);
    ::FillRect(m_hDC, rect, static_cast<HBRUSH>(brush->m_hObject));
}

BOOL CDC::Rectangle(LPCRECT rect)
{
    ASSERT(m_hDC != nullptr);
    return ::Rectangle(m_hDC, rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::MoveTo(int x, int y)
{
    ASSERT(m_hDC != nullptr);
    return ::MoveToEx(m_hDC, x, y, nullptr);
}

BOOL CDC::LineTo(int x, int y)
{
    ASSERT(m_hDC != nullptr);
    return ::LineTo(m_hDC, x, y);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop)
{
    ASSERT(m_hDC != nullptr);
    return ::BitBlt(m_hDC, x, y, width, height, source->GetSafeHdc(), sourceX, sourceY, rop);
}

int CDC::GetDeviceCaps(int index) const
{
    ASSERT(m_hDC != nullptr);
    return ::GetDeviceCaps(m_hDC, index);
}

int CDC::GetClipBox(LPRECT rect) const
{
    ASSERT(m_hDC != nullptr);
    return ::GetClipBox(m_hDC, rect);
}

int CDC::IntersectClipRect(LPCRECT rect)
{
    ASSERT(m_hDC != nullptr);
    return ::IntersectClipRect(m_hDC, rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::LPtoDP(LPRECT rect) const
{
    ASSERT(m_hDC != nullptr);
    return ::LPtoDP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    ASSERT(m_hDC != nullptr);
    POINT previous = {};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::SetBrushOrg(int x, int y)
{
    ASSERT(m_hDC != nullptr);
    POINT previous = {};
    ::SetBrushOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd)
{
    ASSERT(::IsWindow(m_hWnd));
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hDC)
        ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* window) : m_hWnd(window->GetSafeHwnd())
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

// --- window fonts ----------------------------------------------------------------

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    ASSERT(::IsWindow(m_hWnd));
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font->GetSafeHandle()), redraw);
}

CFont* CWnd::GetFont() const
{
    ASSERT(::IsWindow(m_hWnd));
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}
