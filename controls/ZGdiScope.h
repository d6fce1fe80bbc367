// Scope owners for memory device contexts and the objects selected into them.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

struct ZDcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
using ZMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, ZDcDeleter>;

// Selects object into dc for one scope.
class ZSelection {
public:
    ZSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~ZSelection() { ::SelectObject(m_dc, m_old); }
    ZSelection(const ZSelection&) = delete;
    ZSelection& operator=(const ZSelection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};
