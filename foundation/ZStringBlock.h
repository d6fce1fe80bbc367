// The shared, reference-counted character block behind ZUnicodeString and ZString.
//
// Memory layout: one heap allocation, a 32-byte header followed by the characters
// and their terminator. The string object holds only a pointer to the characters;
// the header sits just in front of them:
//   capacity in bytes including the terminator (64-bit), length in bytes (64-bit),
//   pointer to the characters, sensitive state (32-bit), reference count (32-bit).
// Two process-wide empty blocks (one per sensitive state) are never freed.
// A sensitive block is overwritten with zeros, header included, before it is freed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "foundation/TessaroApi.h"

namespace Str {
enum SensitiveState : uint32_t {
    NotSensitive = 0,
    Sensitive = 1,
};
}  // namespace Str

namespace Tessaro::StringBlock {

struct Header {
    uint64_t capacityBytes;  // including the terminator
    uint64_t lengthBytes;    // excluding the terminator
    void* chars;             // == this + 1
    uint32_t sensitive;      // Str::SensitiveState
    volatile LONG refCount;
};
static_assert(sizeof(Header) == 32, "the characters follow a 32-byte header");

// A block with room for capacityBytes (terminator included), length 0, count 1.
// Throws std::bad_alloc.
TESSARO_API Header* Allocate(size_t capacityBytes, Str::SensitiveState state);
TESSARO_API Header* Empty(Str::SensitiveState state);
TESSARO_API bool IsEmptyBlock(const Header* block);
TESSARO_API void AddRef(Header* block);
// Frees the block with its last reference (wiped first when sensitive).
TESSARO_API void Release(Header* block);

// Test hook: called with each block and its size just before it is freed,
// after any wipe. Returns the previous hook.
using FreeHook = void (*)(const void* block, size_t bytes);
TESSARO_API FreeHook SetFreeHook(FreeHook hook);

}  // namespace Tessaro::StringBlock
