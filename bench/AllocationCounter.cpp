#include "bench/AllocationCounter.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Bench {

namespace {

std::atomic<uint64_t> g_allocations{0};

using Malloc = void* (*)(size_t);
using Calloc = void* (*)(size_t, size_t);
using Realloc = void* (*)(void*, size_t);
Malloc g_malloc = nullptr;
Calloc g_calloc = nullptr;
Realloc g_realloc = nullptr;

void* CountingMalloc(size_t size)
{
    ++g_allocations;
    return g_malloc(size);
}

void* CountingCalloc(size_t count, size_t size)
{
    ++g_allocations;
    return g_calloc(count, size);
}

void* CountingRealloc(void* block, size_t size)
{
    ++g_allocations;
    return g_realloc(block, size);
}

struct Patch {
    ULONG_PTR* slot;
    ULONG_PTR original;
};
std::vector<Patch> g_patches;

void WriteSlot(ULONG_PTR* slot, ULONG_PTR value)
{
    DWORD protection = 0;
    if (::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
        *slot = value;
        ::VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
}

// Replaces module's import of function from the C runtime; keeps the original.
void ReplaceImport(HMODULE module, const char* function, void* replacement, void** original)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<char*>(base + entry->Name), "msvcrt.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0)
                continue;
            ULONG_PTR* slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            if (!*original)
                *original = reinterpret_cast<void*>(*slot);
            g_patches.push_back({slot, *slot});
            WriteSlot(slot, reinterpret_cast<ULONG_PTR>(replacement));
        }
    }
}

}  // namespace

AllocationCounter::AllocationCounter()
{
    for (const wchar_t* name : {L"Tessaro87U.dll", L"libstdc++-6.dll"}) {
        HMODULE module = ::GetModuleHandleW(name);
        if (!module)
            continue;
        ReplaceImport(module, "malloc", reinterpret_cast<void*>(CountingMalloc), reinterpret_cast<void**>(&g_malloc));
        ReplaceImport(module, "calloc", reinterpret_cast<void*>(CountingCalloc), reinterpret_cast<void**>(&g_calloc));
        ReplaceImport(module, "realloc", reinterpret_cast<void*>(CountingRealloc),
                      reinterpret_cast<void**>(&g_realloc));
    }
    m_installed = !g_patches.empty();
    g_allocations = 0;
}

AllocationCounter::~AllocationCounter()
{
    for (const Patch& patch : g_patches)
        WriteSlot(patch.slot, patch.original);
    g_patches.clear();
}

uint64_t AllocationCounter::Count() const
{
    return g_allocations;
}

}  // namespace Bench
