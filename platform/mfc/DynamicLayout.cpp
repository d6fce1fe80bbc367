#include "afxwin.h"
#include "DynamicLayout.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CMFCDynamicLayout, CObject)

namespace {

int ClampRatio(int ratio)
{
    return std::clamp(ratio, 0, 100);
}

SIZE ClientSize(HWND window)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

// The share of the host's change that one coordinate follows, rounded to the
// nearest pixel the same way for growing and shrinking.
int Share(int delta, int ratio)
{
    return ::MulDiv(delta, ratio, 100);
}

}  // namespace

BOOL CMFCDynamicLayout::Create(CWnd* host)
{
    if (!host || !::IsWindow(host->m_hWnd))
        return FALSE;
    m_pHostWnd = host;
    m_initialHostSize = ClientSize(host->m_hWnd);
    m_items.clear();
    return TRUE;
}

BOOL CMFCDynamicLayout::AddItem(HWND child, MoveSettings move, SizeSettings size)
{
    if (!m_pHostWnd || !::IsWindow(m_pHostWnd->m_hWnd) || !::IsWindow(child) ||
        ::GetParent(child) != m_pHostWnd->m_hWnd || HasItem(child))
        return FALSE;
    Item item = {child, {ClampRatio(move.m_nXRatio), ClampRatio(move.m_nYRatio)},
                 {ClampRatio(size.m_nXRatio), ClampRatio(size.m_nYRatio)}, {}};
    ::GetWindowRect(child, &item.initial);
    ::MapWindowPoints(nullptr, m_pHostWnd->m_hWnd, reinterpret_cast<LPPOINT>(&item.initial), 2);
    m_items.push_back(item);
    return TRUE;
}

BOOL CMFCDynamicLayout::AddItem(UINT id, MoveSettings move, SizeSettings size)
{
    if (!m_pHostWnd || !::IsWindow(m_pHostWnd->m_hWnd))
        return FALSE;
    HWND child = ::GetDlgItem(m_pHostWnd->m_hWnd, static_cast<int>(id));
    return child && AddItem(child, move, size);
}

BOOL CMFCDynamicLayout::HasItem(HWND child) const
{
    return std::any_of(m_items.begin(), m_items.end(), [child](const Item& item) { return item.window == child; });
}

void CMFCDynamicLayout::Adjust()
{
    if (!m_pHostWnd || !::IsWindow(m_pHostWnd->m_hWnd) || ::IsIconic(m_pHostWnd->m_hWnd) || m_items.empty())
        return;
    HWND host = m_pHostWnd->m_hWnd;
    const SIZE now = ClientSize(host);
    const int dx = now.cx - m_initialHostSize.cx;
    const int dy = now.cy - m_initialHostSize.cy;

    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_items.size()));
    if (!batch)
        return;
    for (const Item& item : m_items) {
        if (!::IsWindow(item.window) || ::GetParent(item.window) != host)
            continue;  // destroyed or moved elsewhere since it was added
        const int x = item.initial.left + Share(dx, item.move.m_nXRatio);
        const int y = item.initial.top + Share(dy, item.move.m_nYRatio);
        const int width = std::max<int>(0, item.initial.right - item.initial.left + Share(dx, item.size.m_nXRatio));
        const int height = std::max<int>(0, item.initial.bottom - item.initial.top + Share(dy, item.size.m_nYRatio));

        RECT current = {};
        ::GetWindowRect(item.window, &current);
        ::MapWindowPoints(nullptr, host, reinterpret_cast<LPPOINT>(&current), 2);
        if (current.left == x && current.top == y && current.right - current.left == width &&
            current.bottom - current.top == height)
            continue;
        // A failed deferral has already freed the batch: nothing more can be done with it.
        batch = ::DeferWindowPos(batch, item.window, nullptr, x, y, width, height,
                                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        if (!batch)
            return;
    }
    ::EndDeferWindowPos(batch);
}

BOOL CMFCDynamicLayout::LoadResource(CWnd* host, const void* resource, DWORD size)
{
    constexpr DWORD kEntryBytes = 4 * sizeof(WORD);
    if (!host || !::IsWindow(host->m_hWnd) || !resource || size < sizeof(WORD))
        return FALSE;
    const BYTE* bytes = static_cast<const BYTE*>(resource);
    WORD version = 0;
    std::memcpy(&version, bytes, sizeof version);
    // Only whole entries count: a trailing fragment has no meaning.
    const DWORD entries = (size - sizeof(WORD)) / kEntryBytes;
    if (version != 0 || entries == 0)
        return FALSE;

    host->EnableDynamicLayout(TRUE);
    CMFCDynamicLayout* layout = host->GetDynamicLayout();
    if (!layout || !layout->Create(host))
        return FALSE;
    // Children missing an entry stay where they are; entries beyond the last
    // child are ignored.
    DWORD entry = 0;
    for (HWND child = ::GetWindow(host->m_hWnd, GW_CHILD); child && entry < entries;
         child = ::GetWindow(child, GW_HWNDNEXT), ++entry) {
        WORD words[4] = {};
        std::memcpy(words, bytes + sizeof(WORD) + entry * kEntryBytes, sizeof words);
        layout->AddItem(child, MoveSettings{words[0], words[1]}, SizeSettings{words[2], words[3]});
    }
    return TRUE;
}
