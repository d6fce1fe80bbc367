#include "settings/ZRecentFileList.h"

#include <climits>
#include <memory>

#include "settings/ZProfileStore.h"

namespace {

// The base class counts slots in an int.
int SlotCount(uint64_t count)
{
    return count > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(count);
}

}  // namespace

ZRecentFileList::ZRecentFileList(UINT start, const wchar_t* section, const wchar_t* entryFormat, uint64_t count,
                                 int maxDisplayLength)
    : CRecentFileList(start, section, entryFormat, SlotCount(count), maxDisplayLength)
{
}

ZRecentFileList::~ZRecentFileList() = default;

ZUnicodeString ZRecentFileList::ValueName(int slot) const
{
    ZUnicodeString name;
    name.Format(m_strEntryFormat.GetString(), slot + 1);
    return name;
}

void ZRecentFileList::ReadList()
{
    ZProfileStore store;
    ZProfileKey key(*store.GetRootKey(), m_strSectionName.GetString());
    for (int i = 0; i < m_nSize; ++i) {
        ZUnicodeString value;
        if (key.ReadString(ValueName(i).c_str(), value))
            m_arrNames[static_cast<size_t>(i)] = CStringW(value.c_str(), static_cast<int>(value.length()));
        else
            m_arrNames[static_cast<size_t>(i)].Empty();
    }
}

void ZRecentFileList::WriteList()
{
    ZProfileStore store;
    ZProfileKey key(*store.GetRootKey(), m_strSectionName.GetString());
    for (int i = 0; i < m_nSize; ++i) {
        const ZUnicodeString name = ValueName(i);
        const CStringW& slot = m_arrNames[static_cast<size_t>(i)];
        ZUnicodeString stored;
        if (key.ReadString(name.c_str(), stored) && stored == slot)
            continue;
        key.WriteString(name.c_str(), slot.GetString());
    }
}

void ZRecentFileList::AddToMostRecent(const wchar_t* path)
{
    if (!path || m_nSize <= 0)
        return;
    int slot = m_nSize - 1;
    for (int i = 0; i < m_nSize - 1; ++i) {
        if (m_arrNames[static_cast<size_t>(i)] == path) {
            slot = i;
            break;
        }
    }
    for (; slot > 0; --slot)
        m_arrNames[static_cast<size_t>(slot)] = m_arrNames[static_cast<size_t>(slot) - 1];
    m_arrNames[0] = path;
    WriteList();
}

void ZRecentFileList::RemoveFromList(const wchar_t* path)
{
    if (!path)
        return;
    for (int i = 0; i < m_nSize; ++i) {
        if (m_arrNames[static_cast<size_t>(i)] == path) {
            Remove(i);
            WriteList();
            return;
        }
    }
}

void ZRecentFileList::UpdateMRUCount(const wchar_t* section, const wchar_t* entryFormat, CRecentFileList*& list,
                                     int count)
{
    if (list) {
        list->WriteList();
        std::unique_ptr<CRecentFileList> old(list);
        list = nullptr;
    }
    if (count <= 0)
        return;
    auto fresh = std::make_unique<ZRecentFileList>(0, section, entryFormat, static_cast<uint64_t>(count), 30);
    fresh->ReadList();
    list = fresh.release();
    list->WriteList();
}
