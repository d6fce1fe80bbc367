// ZFileProfileStoreFactory: a profile store for hosts, kept in text files.
// Hosts hand it to TessaroInit (through their factory function) or to
// ZProfileStore directly; it is not part of the library itself.
//
// Layout: each top-level key, with all its subkeys, lives in one file named by
// the key with ".ini" added, in the folder given to the factory. The file is
// UTF-8 (a byte-order mark is accepted on reading), lines end in CRLF:
//
//   Width=dword:1024                   the top-level key's own values first
//   Title=sz:Main window%000Asecond line
//   [Recent]                           then one section per subkey, by path
//   Files=multi_sz:a.txt,b%002C c.txt,   each element ends in ","
//   [Recent\Window]
//   Placement=hex:2c0000000200
//
// Types: dword = unsigned decimal; sz = text; hex = bytes as pairs of hex
// digits; multi_sz = texts each followed by "," (nothing for an empty array).
// Names, texts and path components escape "%", "=", "[", "]", ";", ",", "\",
// control characters, unpaired surrogates and a leading or trailing blank as
// "%" with four hex digits of the UTF-16 unit, so any UTF-16 text survives.
// Lines starting with ";" are comments; blanks around names, types and
// contents are ignored.
//
// Names: keys and values are found without regard to case (ordinal, like the
// registry), and keep the case they were first stored with. A key name given
// to OpenKey may be a path of several keys separated by "\"; empty components
// are refused, and so are keys more than 512 levels below a top-level key. A
// top-level name must be usable as a file name (no control characters or
// <>:"/\|?*, not a device name such as CON or LPT1, at most 251 characters);
// OpenKey refuses others. Opening a key creates it in memory; it reaches the
// disk with the next write to its top-level key.
//
// Writing: every write goes through to the disk before it returns. The whole
// file is written to a temporary file beside it, flushed, and moved over the
// old one, so a crash or a full disk leaves either the old or the new file,
// never a mixture; a failed write leaves the file and the value in memory as
// they were and returns false. Writing a value equal to the stored one does
// not touch the disk. A writer killed between making its temporary file
// ("<key>.ini.<process id>.<n>.tmp") and the move leaves it behind; the next
// write of that file removes such temporaries once their writer is gone (its
// process has ended, or the process now holding that id started after the
// temporary was made), never a live writer's.
//
// Sharing: every store and key made by one factory shares one copy of each
// open top-level key, so a value written through one is read through any
// other; the file is read again once no handle to the key is left. Before
// each write the file is read again under a mutex named after it, and what
// other processes wrote meanwhile is taken in (their values win, except the
// one being written), so instances of a host do not undo each other's
// settings. Reads see others' writes only after such a refresh. All
// operations are safe across threads.
//
// A file that cannot be fully understood (bad UTF-8, a line of unknown form or
// type, a value name given twice in a key, a name holding a NUL unit, which no
// caller could open) is never overwritten: what could be
// read is readable and every write to that top-level key fails, so a newer
// or hand-edited file is not destroyed. A file that cannot be read at all
// (access denied, larger than 64 MiB) makes OpenKey fail.
//
// Files are opened, read and written through ZFile and encoded with the
// library's UTF-8 encoder. They are decoded strictly (no stray continuation
// bytes, overlong forms or encoded surrogates) with the platform's converter:
// the library's decoder accepts those for older peers, and a file read that way
// would count as understood and be rewritten with other bytes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "settings/ZProfileStoreFactory.h"

namespace HostStore {
struct SharedState;
}

class ZFileProfileStoreFactory : public ZProfileStoreFactory {
public:
    // The steps of writing a file, for the fault hook.
    enum class WriteStep { CreateTemporary, Write, Flush, Replace };
    // Returns true to make that step fail as if the disk were full (the Write
    // step then writes half of the data first).
    using WriteFaultHook = std::function<bool(WriteStep)>;

    // folder: where the files live; created, with its parents, on the first
    // write. A trailing backslash is allowed.
    explicit ZFileProfileStoreFactory(const wchar_t* folder);
    ~ZFileProfileStoreFactory() override;

    ZFileProfileStoreFactory(const ZFileProfileStoreFactory&) = delete;
    ZFileProfileStoreFactory& operator=(const ZFileProfileStoreFactory&) = delete;

    IProfileStoreImpl* CreateStore() override;

    const std::wstring& GetFolder() const;
    // The file that holds the top-level key of that name.
    std::wstring GetFilePath(const wchar_t* topLevelKey) const;
    static bool IsValidTopLevelName(const wchar_t* name);

    // Test seam: failures of the disk on demand. An empty hook removes it.
    void SetWriteFaultHook(WriteFaultHook hook);

private:
    std::shared_ptr<HostStore::SharedState> m_state;
};
