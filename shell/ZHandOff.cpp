#include "shell/ZHandOff.h"

#include <climits>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "net/ZPacket.h"
#include "net/ZSynchObjectLock.h"
#include "settings/ZIpcLock.h"
#include "shell/ZMemoryMappedBuffer.h"

namespace {

// How long the sender waits once the running instance stops pumping messages;
// a hung instance must not hang the one that is starting, while one that is
// merely busy (a prompt, a long task) is waited for: giving up on it would
// start a second instance and run the command twice.
constexpr UINT kSendTimeout = 30000;

void Activate(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (::GetWindowPlacement(window, &placement) &&
        (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE))
        ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(::GetLastActivePopup(window));
}

// Another process may have made the section first with its pages only
// reserved; touching those would fault. True when every byte is committed.
bool IsCommitted(const void* data, size_t length)
{
    const auto* at = static_cast<const unsigned char*>(data);
    const auto* const end = at + length;
    while (at < end) {
        MEMORY_BASIC_INFORMATION region = {};
        if (!::VirtualQuery(at, &region, sizeof(region)) || region.State != MEM_COMMIT)
            return false;
        at = static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

// The section holds `length` readable bytes.
bool CanRead(ZMemoryMappedBuffer& section, size_t length)
{
    return length <= section.GetCapacity() && IsCommitted(section.GetData(), length);
}

// The mutex beside a section: sections and mutexes share one namespace, so
// the name gets a suffix.
std::wstring HandOffLockName(const wchar_t* sectionName)
{
    return std::wstring(sectionName ? sectionName : L"") + L".sender";
}

}  // namespace

namespace Tessaro {

bool WriteHandOffBlock(const ZArray<ZUnicodeString>& arguments, IPacket& block)
{
    for (const ZUnicodeString& argument : arguments) {
        if (!block.PutString(argument, LengthPrefix32))
            return false;
    }
    // The length travels in an LPARAM, which is 32 bits wide in a 32-bit receiver.
    return block.GetTotalLength() <= static_cast<size_t>(LONG_MAX);
}

bool ReadHandOffBlock(IBuffer* block, size_t length, size_t count, ZArray<ZUnicodeString>& arguments)
{
    arguments.RemoveAll();
    if (!block || length > block->GetCapacity())
        return false;
    // All or nothing: a block that fails half-way hands over no strings at all.
    ZArray<ZUnicodeString> read;
    try {
        block->SetDataLength(length);
        ZPacket packet;
        packet.AddBuffer(block);
        const size_t wanted = count == SIZE_MAX ? 1 : count;
        for (size_t i = 0; i < wanted; ++i) {
            ZUnicodeString argument;
            if (!packet.GetString(argument, LengthPrefix32))
                return false;
            read.Add(argument);
        }
        if (count != SIZE_MAX && packet.GetRemaining() != 0)
            return false;
    } catch (const std::exception&) {
        return false;  // out of memory for a string the block claims
    }
    arguments = std::move(read);
    return true;
}

}  // namespace Tessaro

bool SendMessageToExistingApp(const wchar_t* sectionName, const wchar_t* windowClass, UINT message,
                              const ZArray<ZUnicodeString>& arguments, bool activate)
{
    HWND window = ::FindWindowW(windowClass, nullptr);
    if (!window)
        return false;

    // Senders of one section name take turns from writing the block until the
    // send returns, so that no one overwrites a block before it is read. Only
    // senders take it: the receiver reads while its sender holds it.
    // Declared before the section, which is therefore released first.
    ZUnknownPointer<ZIpcLock> turn;
    std::optional<ZSynchObjectLock> holding;
    ZUnknownPointer<ZMemoryMappedBuffer> section;
    size_t length = 0;
    if (arguments.GetCount() > 0) {
        turn.Attach(new ZIpcLock(HandOffLockName(sectionName).c_str()));
        if (!turn->IsValid())
            return false;
        holding.emplace(turn.Get(), true);
        ZUnknownPointer<ZPacket> block;
        block.Attach(new ZPacket(1024));
        if (!Tessaro::WriteHandOffBlock(arguments, *block))
            return false;
        length = block->GetTotalLength();
        section.Attach(new ZMemoryMappedBuffer(sectionName, length, true));
        if (!section->IsMapped())
            return false;
        ZByteBlock bytes;
        bytes.size = length;
        bytes.data = static_cast<unsigned char*>(section->Append(nullptr, length, 0));
        if (!bytes.data || !IsCommitted(bytes.data, length) || !block->GetBytes(bytes, LengthGiven))
            return false;
    }

    if (activate)
        Activate(window);

    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, message, static_cast<WPARAM>(arguments.GetCount()), static_cast<LPARAM>(length),
                                 SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG, kSendTimeout, &result) != 0;
}

ZUnicodeString LParamToString(const wchar_t* sectionName, LPARAM length)
{
    ZArray<ZUnicodeString> arguments;
    if (length < 0)
        return {};
    ZUnknownPointer<ZMemoryMappedBuffer> section;
    section.Attach(new ZMemoryMappedBuffer(sectionName, static_cast<size_t>(length), false));
    if (!CanRead(*section, static_cast<size_t>(length)) ||
        !Tessaro::ReadHandOffBlock(section.Get(), static_cast<size_t>(length), SIZE_MAX, arguments))
        return {};
    return arguments[0];
}

bool LParamToStrings(const wchar_t* sectionName, WPARAM count, LPARAM length, ZArray<ZUnicodeString>& arguments)
{
    arguments.RemoveAll();
    if (count == 0)
        return length == 0;
    // Every argument takes at least its 4-byte length: a larger count (SIZE_MAX
    // above all, which the reader takes as "the first one only") is refused.
    if (length < 0 || count > static_cast<size_t>(length) / 4)
        return false;
    ZUnknownPointer<ZMemoryMappedBuffer> section;
    section.Attach(new ZMemoryMappedBuffer(sectionName, static_cast<size_t>(length), false));
    return CanRead(*section, static_cast<size_t>(length)) &&
           Tessaro::ReadHandOffBlock(section.Get(), static_cast<size_t>(length), count, arguments);
}
