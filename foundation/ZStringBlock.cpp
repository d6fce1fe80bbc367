#include "foundation/ZStringBlock.h"

#include <cstdlib>
#include <new>

namespace Tessaro::StringBlock {
namespace {

// The empty blocks carry a terminator of the widest character type right after
// the header, so both string kinds can point at them.
struct StaticEmpty {
    Header header;
    wchar_t terminator[2];
};

StaticEmpty g_empty[2] = {
    {{sizeof(wchar_t), 0, &g_empty[0].terminator, Str::NotSensitive, 1}, {0, 0}},
    {{sizeof(wchar_t), 0, &g_empty[1].terminator, Str::Sensitive, 1}, {0, 0}},
};

FreeHook g_freeHook = nullptr;

void Free(Header* block)
{
    const size_t bytes = sizeof(Header) + static_cast<size_t>(block->capacityBytes);
    if (block->sensitive == Str::Sensitive)
        ::SecureZeroMemory(block, bytes);
    if (FreeHook hook = g_freeHook)
        hook(block, bytes);
    std::free(block);
}

}  // namespace

Header* Allocate(size_t capacityBytes, Str::SensitiveState state)
{
    if (capacityBytes > SIZE_MAX - sizeof(Header))
        throw std::bad_alloc();
    auto* block = static_cast<Header*>(std::malloc(sizeof(Header) + capacityBytes));
    if (!block)
        throw std::bad_alloc();
    block->capacityBytes = capacityBytes;
    block->lengthBytes = 0;
    block->chars = block + 1;
    block->sensitive = state;
    block->refCount = 1;
    static_cast<unsigned char*>(block->chars)[0] = 0;
    if (capacityBytes > 1)
        static_cast<unsigned char*>(block->chars)[1] = 0;
    return block;
}

Header* Empty(Str::SensitiveState state)
{
    return &g_empty[state == Str::Sensitive ? 1 : 0].header;
}

bool IsEmptyBlock(const Header* block)
{
    return block == &g_empty[0].header || block == &g_empty[1].header;
}

void AddRef(Header* block)
{
    if (!IsEmptyBlock(block))
        ::InterlockedIncrement(&block->refCount);
}

void Release(Header* block)
{
    if (IsEmptyBlock(block))
        return;
    if (::InterlockedDecrement(&block->refCount) == 0)
        Free(block);
}

FreeHook SetFreeHook(FreeHook hook)
{
    FreeHook previous = g_freeHook;
    g_freeHook = hook;
    return previous;
}

}  // namespace Tessaro::StringBlock
