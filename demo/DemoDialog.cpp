// Demo section: a data-exchange form from a resource template, run modally on
// the framework stand-in and driven by a timer as a user would: it types a
// host and a port that is out of range, presses Enter, has the refusal shown
// (the box closes itself), corrects the port, and presses Enter again. A
// screenshot of the filled form is saved as PNG in TESSARO_DEMO_OUTPUT.
#include <afxwin.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/DemoOutput.h"

namespace {

constexpr UINT kTemplate = 300;
constexpr int kHost = 1001;
constexpr int kPort = 1002;
constexpr int kRetries = 1003;
constexpr int kKeepAlive = 1004;
constexpr UINT_PTR kStepTimer = 1;
constexpr UINT_PTR kCloseTimer = 2;

// --- PNG writing: 8-bit RGB, zlib "stored" blocks (no compression needed for
// one screenshot), so the demo needs no image library.

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static uint32_t table[256];
    if (!table[1]) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

// rows: top-down 32-bit BGRX pixels.
bool WritePng(const wchar_t* path, const uint32_t* pixels, int width, int height)
{
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw.push_back(static_cast<uint8_t>(p >> 16));
            raw.push_back(static_cast<uint8_t>(p >> 8));
            raw.push_back(static_cast<uint8_t>(p));
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || raw.empty(); at += 65535) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + length >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        if (raw.empty())
            break;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});

    FILE* file = _wfopen(path, L"wb");
    if (!file)
        return false;
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}

// The window as it is on the screen, saved as PNG; the path, or empty.
std::wstring SaveScreenshot(HWND window, const wchar_t* name)
{
    const char* folder = std::getenv("TESSARO_DEMO_OUTPUT");
    if (!folder || !*folder)
        return {};
    std::wstring path(folder, folder + strlen(folder));
    if (path[0] == L'/')
        path = L"Z:" + path;  // a Unix folder, seen through Wine's root drive
    path += L"/";
    path += name;

    CRect rect;
    ::GetWindowRect(window, &rect);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = rect.Width();
    info.bmiHeader.biHeight = -rect.Height();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return {};
    HDC source = ::GetWindowDC(window);
    HDC memory = ::CreateCompatibleDC(source);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const bool copied = ::BitBlt(memory, 0, 0, rect.Width(), rect.Height(), source, 0, 0, SRCCOPY) != FALSE;
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(window, source);
    const bool saved = copied && WritePng(path.c_str(), static_cast<const uint32_t*>(bits), rect.Width(), rect.Height());
    ::DeleteObject(bitmap);
    return saved ? path : std::wstring();
}

// Refusals are shown in message boxes; each closes itself after a moment.
HHOOK g_boxHook = nullptr;
std::wstring g_lastBoxText;

void CALLBACK CloseBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(box, timer);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

BOOL CALLBACK FindBoxText(HWND child, LPARAM text)
{
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") == 0 && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
        wchar_t buffer[256] = {};
        ::GetWindowTextW(child, buffer, 256);
        if (buffer[0]) {
            *reinterpret_cast<std::wstring*>(text) = buffer;
            return FALSE;
        }
    }
    return TRUE;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (::GetDlgCtrlID(box) == 0 && ::GetDlgItem(box, kHost) == nullptr &&
            ::SetTimer(box, kCloseTimer, 700, CloseBox))
            ::EnumChildWindows(box, FindBoxText, reinterpret_cast<LPARAM>(&g_lastBoxText));
    }
    return ::CallNextHookEx(g_boxHook, code, wParam, lParam);
}

class ConnectionDialog : public CDialog {
public:
    ConnectionDialog() : CDialog(kTemplate) {}

    CStringW m_host = L"localhost";
    UINT m_port = 22;
    int m_retries = 3;
    int m_keepAlive = BST_UNCHECKED;
    std::wstring m_screenshot;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kHost, m_host);
        DDV_MaxChars(dx, m_host, 40);
        DDX_Text(dx, kPort, m_port);
        DDV_MinMaxUInt(dx, m_port, 1, 65535);
        DDX_Text(dx, kRetries, m_retries);
        DDV_MinMaxInt(dx, m_retries, 0, 10);
        DDX_Check(dx, kKeepAlive, m_keepAlive);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(kStepTimer, 300);
        return TRUE;
    }

    void OnOK() override
    {
        m_inOk = true;
        CDialog::OnOK();
        m_inOk = false;
        if (m_hWnd && ContinueModal())
            DemoPrintf(L"refused: \"%ls\"\n", g_lastBoxText.c_str());
    }

    void Type(int id, const wchar_t* text)
    {
        HWND edit = ::GetDlgItem(m_hWnd, id);
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);  // selects the text
        for (; *text; ++text)
            ::PostMessageW(edit, WM_CHAR, *text, 1);
    }

    void PressEnter() { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1); }

    afx_msg void OnTimer(UINT_PTR)
    {
        if (m_inOk)
            return;  // a refusal is on the screen
        switch (m_step++) {
        case 0:
            DemoPrintf(L"typing host \"example.org\" and port 70000, then Enter\n");
            Type(kHost, L"example.org");
            Type(kPort, L"70000");
            PressEnter();
            break;
        case 1: {
            HWND focus = ::GetFocus();
            DWORD start = 0, end = 0;
            ::SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            DemoPrintf(L"after the refusal the focus is on the %ls field, characters %lu to %lu selected\n",
                       focus == ::GetDlgItem(m_hWnd, kPort) ? L"port" : L"other", start, end);
            DemoPrintf(L"typing port 8022 and ticking keep-alive\n");
            for (const wchar_t* ch = L"8022"; *ch; ++ch)
                ::PostMessageW(focus, WM_CHAR, *ch, 1);
            ::CheckDlgButton(m_hWnd, kKeepAlive, BST_CHECKED);
            break;
        }
        case 2:
            m_screenshot = SaveScreenshot(m_hWnd, L"dialog-form.png");
            PressEnter();
            break;
        default:
            break;
        }
    }

    DECLARE_MESSAGE_MAP()

private:
    int m_step = 0;
    bool m_inOk = false;
};

BEGIN_MESSAGE_MAP(ConnectionDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

}  // namespace

void ShowDataExchangeDialog()
{
    DemoPrintf(L"== Dialog with data exchange\n");
    g_boxHook = ::SetWindowsHookExW(WH_CBT, WatchBoxes, nullptr, ::GetCurrentThreadId());
    ConnectionDialog dialog;
    const INT_PTR result = dialog.DoModal();
    if (g_boxHook)
        ::UnhookWindowsHookEx(g_boxHook);
    g_boxHook = nullptr;
    if (result == -1) {
        DemoPrintf(L"skipped: the dialog could not be created (no display?)\n\n");
        return;
    }
    DemoPrintf(L"DoModal returned %ls\n", result == IDOK ? L"IDOK" : result == IDCANCEL ? L"IDCANCEL" : L"other");
    DemoPrintf(L"host \"%ls\", port %u, retries %d, keep-alive %ls\n", static_cast<LPCWSTR>(dialog.m_host),
               dialog.m_port, dialog.m_retries, dialog.m_keepAlive == BST_CHECKED ? L"on" : L"off");
    if (!dialog.m_screenshot.empty())
        DemoPrintf(L"screenshot: %ls\n", dialog.m_screenshot.c_str());
    DemoPrintf(L"\n");
}
