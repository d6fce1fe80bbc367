// Builds dialog templates in memory (DLGTEMPLATE followed by its items), so that
// tests can shape each dialog next to the test that runs it.
#pragma once

#include <windows.h>

#include <cwchar>
#include <vector>

namespace TestSupport {

class DialogTemplate {
public:
    // Predefined control classes, by their template atoms.
    enum Class : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082, ListBox = 0x0083, ComboBox = 0x0085 };

    DialogTemplate(const wchar_t* title, short width, short height,
                   DWORD style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU)
    {
        DLGTEMPLATE header = {style, 0, 0, 10, 10, width, height};
        m_words.assign(reinterpret_cast<WORD*>(&header), reinterpret_cast<WORD*>(&header) + sizeof header / 2);
        m_words.insert(m_words.end(), {0, 0});  // no menu, the dialog class
        Text(title);
        Word(9);           // point size, with DS_SETFONT
        Text(L"MS Shell Dlg");
    }

    DialogTemplate& Add(Class kind, WORD id, const wchar_t* text, short x, short y, short cx, short cy,
                        DWORD style = 0)
    {
        while (m_words.size() % 2)
            Word(0);  // items start on a DWORD boundary
        DLGITEMTEMPLATE item = {style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
        const WORD* raw = reinterpret_cast<const WORD*>(&item);
        m_words.insert(m_words.end(), raw, raw + sizeof item / 2);
        Word(0xFFFF), Word(kind);
        Text(text);
        Word(0);  // no creation data
        ++m_items;
        return *this;
    }

    LPCDLGTEMPLATEW Get()
    {
        reinterpret_cast<DLGTEMPLATE*>(m_words.data())->cdit = m_items;
        return reinterpret_cast<LPCDLGTEMPLATEW>(m_words.data());
    }

private:
    void Word(WORD value) { m_words.push_back(value); }
    void Text(const wchar_t* text) { m_words.insert(m_words.end(), text, text + std::wcslen(text) + 1); }

    std::vector<WORD> m_words;
    WORD m_items = 0;
};

}  // namespace TestSupport
