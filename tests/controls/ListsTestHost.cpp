#include "tests/controls/ListsTestHost.h"

namespace ListsTest {

BEGIN_MESSAGE_MAP(Host, CWnd)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
END_MESSAGE_MAP()

Host::~Host()
{
    if (m_hWnd)
        DestroyWindow();
    if (m_font)
        ::DeleteObject(m_font);
}

bool Host::Make(int width, int height)
{
    RECT frame = {0, 0, width, height};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const LPCWSTR windowClass = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                    ::GetSysColorBrush(COLOR_BTNFACE));
    if (!CreateEx(0, windowClass, L"lists", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr))
        return false;
    Pump();
    return true;
}

void Host::UseFont(int height)
{
    if (m_font)
        ::DeleteObject(m_font);
    m_font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"");
}

LRESULT Host::OnGetFont(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_font);
}

LRESULT Host::Notify(CWnd& control, NMHDR& header, UINT code)
{
    header.hwndFrom = control.m_hWnd;
    header.idFrom = static_cast<UINT_PTR>(control.GetDlgCtrlID());
    header.code = code;
    return ::SendMessageW(::GetParent(control.m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace ListsTest
