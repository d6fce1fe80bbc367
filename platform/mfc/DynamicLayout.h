// CMFCDynamicLayout: moves and sizes a window's children as the window is resized.
//
// Create records the host's client size; each item records its rectangle when
// it is added. Adjust places every item at that rectangle moved by
// delta * move / 100 and grown by delta * size / 100, delta being how far the
// host's client size is from the recorded one. Positions are always computed
// from the recorded rectangles, never from the last ones, so that returning to
// a size gives back exactly the layout that size had. Add the items right after
// Create, before the host is resized.
#pragma once

#include "afx.h"

#include <vector>

class CWnd;

class TESSARO_MFC_API CMFCDynamicLayout : public CObject {
    DECLARE_DYNAMIC(CMFCDynamicLayout)
public:
    // Ratios in percent of the host's change, 0 to 100 (others are clamped).
    struct MoveSettings {
        int m_nXRatio = 0;
        int m_nYRatio = 0;
    };
    struct SizeSettings {
        int m_nXRatio = 0;
        int m_nYRatio = 0;
    };

    // FALSE when host has no window.
    BOOL Create(CWnd* host);
    CWnd* GetHostWnd() const { return m_pHostWnd; }

    // The child must be a direct child of the host; FALSE before Create, for
    // any other window, or for a child already added.
    BOOL AddItem(HWND child, MoveSettings move, SizeSettings size);
    BOOL AddItem(UINT id, MoveSettings move, SizeSettings size);
    BOOL HasItem(HWND child) const;
    bool IsEmpty() const { return m_items.empty(); }

    // Moves and sizes the items for the host's present client size, all in one
    // deferred batch; nothing happens while the host is minimised.
    void Adjust();

    // Gives host the layout described by a layout resource: a version word
    // (0), then four words per child in the order the children were created
    // (move x, move y, size x, size y). FALSE, with the host's layout left as it
    // was, when the data is missing, of another version or holds no entry.
    static BOOL LoadResource(CWnd* host, const void* resource, DWORD size);

private:
    struct Item {
        HWND window;
        MoveSettings move;
        SizeSettings size;
        RECT initial;  // in the host's client coordinates when added
    };

    CWnd* m_pHostWnd = nullptr;
    SIZE m_initialHostSize = {};  // client size at Create
    std::vector<Item> m_items;
};
