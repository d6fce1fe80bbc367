#include "afxadv.h"

#include <algorithm>

CRecentFileList::CRecentFileList(UINT nStart, LPCWSTR lpszSection, LPCWSTR lpszEntryFormat, int nSize,
                                 int nMaxDispLen)
    : m_nStart(nStart),
      m_arrNames(new CStringW[static_cast<size_t>(std::max(nSize, 0))]),
      m_nSize(std::max(nSize, 0)),
      m_strSectionName(lpszSection ? lpszSection : L""),
      m_strEntryFormat(lpszEntryFormat ? lpszEntryFormat : L""),
      m_nMaxDisplayLength(nMaxDispLen)
{
}

CRecentFileList::CRecentFileList(const CRecentFileList& other)
    : m_nStart(other.m_nStart),
      m_arrNames(new CStringW[static_cast<size_t>(other.m_nSize)]),
      m_nSize(other.m_nSize),
      m_strSectionName(other.m_strSectionName),
      m_strEntryFormat(other.m_strEntryFormat),
      m_nMaxDisplayLength(other.m_nMaxDisplayLength),
      m_strOriginal(other.m_strOriginal)
{
    std::copy(other.m_arrNames.get(), other.m_arrNames.get() + m_nSize, m_arrNames.get());
}

CRecentFileList& CRecentFileList::operator=(const CRecentFileList& other)
{
    if (this != &other) {
        CRecentFileList copy(other);
        m_nStart = copy.m_nStart;
        m_arrNames = std::move(copy.m_arrNames);
        m_nSize = copy.m_nSize;
        m_strSectionName = copy.m_strSectionName;
        m_strEntryFormat = copy.m_strEntryFormat;
        m_nMaxDisplayLength = copy.m_nMaxDisplayLength;
        m_strOriginal = copy.m_strOriginal;
    }
    return *this;
}

CRecentFileList::~CRecentFileList() = default;

CStringW& CRecentFileList::operator[](int nIndex)
{
    ASSERT(nIndex >= 0 && nIndex < m_nSize);
    return m_arrNames[static_cast<size_t>(nIndex)];
}

void CRecentFileList::Remove(int nIndex)
{
    ASSERT(nIndex >= 0 && nIndex < m_nSize);
    if (nIndex < 0 || nIndex >= m_nSize)
        return;
    for (int i = nIndex; i < m_nSize - 1; ++i)
        m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i) + 1];
    m_arrNames[static_cast<size_t>(m_nSize) - 1].Empty();
}

void CRecentFileList::Add(LPCWSTR lpszPathName)
{
    if (!lpszPathName || !*lpszPathName || m_nSize == 0)
        return;
    int found = m_nSize - 1;
    for (int i = 0; i < m_nSize - 1; ++i) {
        if (m_arrNames[static_cast<size_t>(i)].CompareNoCase(lpszPathName) == 0) {
            found = i;
            break;
        }
    }
    for (int i = found; i > 0; --i)
        m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i) - 1];
    m_arrNames[0] = lpszPathName;
}

void CRecentFileList::Add(LPCWSTR lpszPathName, LPCWSTR)
{
    Add(lpszPathName);
}

BOOL CRecentFileList::GetDisplayName(CStringW& strName, int nIndex, LPCWSTR lpszCurDir, int nCurDir,
                                     BOOL bAtLeastName) const
{
    if (nIndex < 0 || nIndex >= m_nSize || m_arrNames[static_cast<size_t>(nIndex)].IsEmpty())
        return FALSE;
    strName = m_arrNames[static_cast<size_t>(nIndex)];
    if (lpszCurDir && nCurDir > 0 && strName.GetLength() > nCurDir &&
        strName.Left(nCurDir).CompareNoCase(lpszCurDir) == 0 && (strName[nCurDir] == L'\\' || strName[nCurDir] == L'/'))
        strName = strName.Mid(nCurDir + 1);
    if (bAtLeastName && strName.GetLength() > m_nMaxDisplayLength) {
        const int slash = std::max(strName.ReverseFind(L'\\'), strName.ReverseFind(L'/'));
        strName = strName.Mid(slash + 1);
    }
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    CMenu* menu = pCmdUI->m_pMenu;
    if (m_strOriginal.IsEmpty() && menu)
        menu->GetMenuString(pCmdUI->m_nID, m_strOriginal, MF_BYCOMMAND);
    if (m_nSize == 0 || m_arrNames[0].IsEmpty()) {
        if (!m_strOriginal.IsEmpty())
            pCmdUI->SetText(m_strOriginal);
        pCmdUI->Enable(FALSE);
        return;
    }
    if (!menu)
        return;
    for (int i = 0; i < m_nSize; ++i)
        menu->DeleteMenu(pCmdUI->m_nID + static_cast<UINT>(i), MF_BYCOMMAND);

    wchar_t currentFolder[MAX_PATH + 1] = {};
    const DWORD currentLength = ::GetCurrentDirectoryW(MAX_PATH + 1, currentFolder);
    const int usableLength = currentLength <= MAX_PATH ? static_cast<int>(currentLength) : 0;
    UINT index = pCmdUI->m_nIndex;
    for (int i = 0; i < m_nSize; ++i) {
        CStringW name;
        if (!GetDisplayName(name, i, currentFolder, usableLength))
            break;
        // A single ampersand in a file name would underline the next letter.
        name.Replace(L"&", L"&&");
        CStringW text;
        text.Format(L"&%d %s", i + 1 + static_cast<int>(m_nStart), name.GetString());
        menu->InsertMenu(index++, MF_STRING | MF_BYPOSITION, pCmdUI->m_nID + static_cast<UINT>(i), text);
    }
    pCmdUI->m_bEnableChanged = TRUE;
}

void CRecentFileList::ReadList() {}

void CRecentFileList::WriteList() {}
