// Handing a command line to a running instance of the host.
//
// The sender writes its arguments into a named shared-memory section, one
// string each (an unsigned 32-bit big-endian byte count, then the UTF-8
// bytes), and sends the instance's main window `message` with wParam = the
// argument count and lParam = the block's length. The receiver reads the
// section while the send is in progress.
//
// The receiving side treats the block as untrusted: a length that does not
// match the section, a string running past the block, bad UTF-8 or a block
// that is too short all give an empty result, never an exception.
#pragma once

#include <windows.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"

class IBuffer;
class IPacket;

// False when no window of `windowClass` exists, or when the block could not be
// placed in the section or the message not delivered: the caller then starts
// normally with its own command line.
TESSARO_API bool SendMessageToExistingApp(const wchar_t* sectionName, const wchar_t* windowClass, UINT message,
                                          const ZArray<ZUnicodeString>& arguments, bool activate);

// The first string of the block, or empty.
TESSARO_API ZUnicodeString LParamToString(const wchar_t* sectionName, LPARAM length);

// All `count` strings of the block (the message's wParam), which must fill it
// exactly; false and no strings otherwise.
TESSARO_API bool LParamToStrings(const wchar_t* sectionName, WPARAM count, LPARAM length,
                                 ZArray<ZUnicodeString>& arguments);

namespace Tessaro {

// The block written to `block`; false when an argument is not valid UTF-16 or
// the block would be too long for the message's lParam.
TESSARO_API bool WriteHandOffBlock(const ZArray<ZUnicodeString>& arguments, IPacket& block);

// The first `length` bytes of `block` read as `count` strings (SIZE_MAX: only
// the first string, the rest ignored).
TESSARO_API bool ReadHandOffBlock(IBuffer* block, size_t length, size_t count, ZArray<ZUnicodeString>& arguments);

}  // namespace Tessaro
