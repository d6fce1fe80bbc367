// The library's message table read straight from its resource, without the
// formatting calls the code under test makes: which identifiers each language
// holds, and an entry's text as stored (inserts and the final break kept).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TessaroMessages.h"
#include "foundation/TessaroInit.h"

namespace TestSupport {

inline const MESSAGE_RESOURCE_DATA* MessageTable(HMODULE module, LANGID language)
{
    HRSRC resource = ::FindResourceExW(module, RT_MESSAGETABLE, MAKEINTRESOURCEW(1), language);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    return loaded ? static_cast<const MESSAGE_RESOURCE_DATA*>(::LockResource(loaded)) : nullptr;
}

// Every identifier the table holds in one language, in the table's order.
inline std::vector<uint32_t> TableIdentifiers(LANGID language, HMODULE module = GetTessaroDll())
{
    std::vector<uint32_t> ids;
    if (const MESSAGE_RESOURCE_DATA* table = MessageTable(module, language))
        for (DWORD block = 0; block < table->NumberOfBlocks; ++block)
            for (DWORD id = table->Blocks[block].LowId; id <= table->Blocks[block].HighId; ++id)
                ids.push_back(id);
    return ids;
}

// The entry's UTF-16 text without its padding; empty when missing.
inline std::wstring TableText(uint32_t id, LANGID language, HMODULE module = GetTessaroDll())
{
    const MESSAGE_RESOURCE_DATA* table = MessageTable(module, language);
    for (DWORD block = 0; table && block < table->NumberOfBlocks; ++block) {
        const MESSAGE_RESOURCE_BLOCK& range = table->Blocks[block];
        if (id < range.LowId || id > range.HighId)
            continue;
        const BYTE* at = reinterpret_cast<const BYTE*>(table) + range.OffsetToEntries;
        for (DWORD skip = range.LowId; skip < id; ++skip)
            at += reinterpret_cast<const MESSAGE_RESOURCE_ENTRY*>(at)->Length;
        const auto* entry = reinterpret_cast<const MESSAGE_RESOURCE_ENTRY*>(at);
        std::wstring text(reinterpret_cast<const wchar_t*>(entry->Text),
                          (entry->Length - offsetof(MESSAGE_RESOURCE_ENTRY, Text)) / sizeof(wchar_t));
        text.resize(text.find_last_not_of(L'\0') + 1);
        return text;
    }
    return {};
}

}  // namespace TestSupport
