// CRecentFileList: the most-recently-used file names behind a File menu.
//
// The names live in slots 0 .. m_nSize-1, newest first; an empty slot ends the
// list. This stand-in has no application profile: ReadList and WriteList do
// nothing here and exist for classes that keep the list elsewhere. Copies
// (and moves) copy every slot, so each object owns its own names.
#pragma once

#include <memory>

#include "afxwin.h"

class TESSARO_MFC_API CRecentFileList {
public:
    // nStart offsets the numbers shown in the menu ("&1 ...").
    CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize, int nMaxDispLen = 30);
    CRecentFileList(const CRecentFileList& other);
    CRecentFileList& operator=(const CRecentFileList& other);

    int GetSize() const { return m_nSize; }
    CStringW& operator[](int nIndex);

    virtual void Remove(int nIndex);
    // Moves the name to slot 0; a name already listed (compared without regard
    // to case) is not listed twice.
    virtual void Add(LPCWSTR lpszPathName);
    virtual void Add(LPCWSTR lpszPathName, LPCWSTR lpszAppID);
    // The slot's name for the menu: relative to lpszCurDir when it lies
    // there, and just the file name when longer than m_nMaxDisplayLength.
    // FALSE for an empty slot.
    virtual BOOL GetDisplayName(CStringW& strName, int nIndex, LPCWSTR lpszCurDir, int nCurDir,
                                BOOL bAtLeastName = TRUE) const;
    // Replaces the items from pCmdUI's position on by one item per name; with
    // no names, shows the original item disabled.
    virtual void UpdateMenu(CCmdUI* pCmdUI);
    virtual void ReadList();
    virtual void WriteList();
    virtual ~CRecentFileList();

    UINT m_nStart;
    std::unique_ptr<CStringW[]> m_arrNames;
    int m_nSize;
    CStringW m_strSectionName;
    CStringW m_strEntryFormat;
    int m_nMaxDisplayLength;
    CStringW m_strOriginal;  // the menu item's text before the first update
};
