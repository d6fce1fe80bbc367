// ZRecentFileList: the most-recently-used file list kept in the host's profile
// store rather than the application profile.
//
// The names are stored under the key named by the section, directly below the
// store's root, one string value per slot; the value names come from the entry
// format, a message-formatter pattern with the slot number counted from 1
// ("File%1!d!"). Store failures are ignored: a failed read leaves the slot
// empty, a failed write goes unreported.
#pragma once

#include <afxadv.h>

#include <cstdint>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZRecentFileList : public CRecentFileList {
public:
    ZRecentFileList(UINT start, const wchar_t* section, const wchar_t* entryFormat, uint64_t count,
                    int maxDisplayLength);
    ZRecentFileList(const ZRecentFileList&) = default;
    ZRecentFileList& operator=(const ZRecentFileList&) = default;

    void ReadList() override;
    // Writes only the slots whose stored value is missing or differs.
    void WriteList() override;
    ~ZRecentFileList() override;

    // Moves path to slot 0 (an exact match is moved, not repeated; otherwise
    // the oldest name falls off) and writes the list.
    void AddToMostRecent(const wchar_t* path);
    // Removes the first exact match, if any, and writes the list.
    void RemoveFromList(const wchar_t* path);

    // Writes and deletes list (which becomes null); then, for a positive count,
    // makes a list of count slots from the store and writes it back, so that
    // slots the store lacked are stored empty.
    static void UpdateMRUCount(const wchar_t* section, const wchar_t* entryFormat, CRecentFileList*& list,
                               int count);

private:
    ZUnicodeString ValueName(int slot) const;
};
