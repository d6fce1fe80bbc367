// The host store's files: each input becomes a top-level key's file, whose
// whole tree is read; then one value is written. A file the store understood
// must read back the same with that value added; one it did not must be left
// exactly as it was.
#include <map>
#include <stdexcept>

#include "fuzz/FuzzHarness.h"
#include "fuzz/targets/ScratchFile.h"
#include "tests/settings/HostStoreTree.h"
#include "hoststore/ZFileProfileStore.h"
#include "settings/ZProfileStore.h"

namespace {

using HostStoreTree::Host;
using HostStoreTree::Tree;
using HostStoreTree::TreeOf;

const ScratchFile* g_file = nullptr;

Fuzz::Bytes FileBytes(const std::wstring& path)
{
    Fuzz::Bytes bytes;
    if (!Fuzz::ReadFileBytes(path, bytes))
        bytes.clear();
    return bytes;
}

std::string Read(const unsigned char* bytes, size_t size)
{
    if (!g_file->Write(bytes, size))
        throw std::runtime_error("cannot write the scratch file");
    Tree before;
    bool wrote;
    {
        Host host(g_file->Folder());
        ZProfileKey key = host.Key(L"M");
        if (!key.IsOpen())
            return "refused";
        before = TreeOf(key);
        // Writing flushes a file to the disk, which costs most of the time:
        // every eighth input (and a replayed one) is written back.
        static unsigned count = 0;
        if (count++ % 8 != 0)
            return "read";
        wrote = key.WriteDword(L"probe", 1);
    }
    if (!wrote) {
        if (FileBytes(g_file->Path()) != Fuzz::Bytes(bytes, bytes + size))
            throw std::logic_error("a file the store could not write was changed");
        return "read, kept as it was";
    }
    before[L"|probe"] = L"0:1";
    if (TreeOf(Host(g_file->Folder()).Key(L"M")) != before)
        throw std::logic_error("the rewritten file reads differently");
    return "read and rewritten";
}

}  // namespace

int main()
{
    const ScratchFile scratch(L"M.ini");
    g_file = &scratch;
    Fuzz::Target target{
        "hoststore", Read,
        [] {
            const ScratchFile seed(L"M.ini");
            std::vector<Fuzz::Bytes> seeds;
            {
                Host host(seed.Folder());
                ZProfileKey key = host.Key(L"M");
                ZProfileKey sub(key, L"S=1\\T");
                key.WriteDword(L"n", 123456);
                key.WriteString(L"s", L"x=y;\n\u00e9 [a] ,%");
                ZStringArray list;
                list.Add(ZUnicodeString(L"p"));
                list.Add(ZUnicodeString(L"q,r"));
                sub.WriteStringArray(L"a", list);
                const BYTE blob[] = {1, 2, 250};
                sub.WriteBinary(L"b", blob, 3);
                ZProfileKey deep(sub, L"U\\V\\W");
                deep.WriteString(L" lead", L"\xD800 lone");
            }
            seeds.push_back(FileBytes(seed.Path()));
            {
                Host host(seed.Folder());
                ZProfileKey key = host.Key(L"M");
                key.WriteDword(L"n", 0xFFFFFFFF);
                ZProfileKey empty(key, L"E");
                empty.WriteStringArray(L"none", ZStringArray());
                empty.WriteBinary(L"nothing", nullptr, 0);
            }
            seeds.push_back(FileBytes(seed.Path()));
            return seeds;
        },
        8 * 1024};
    return Fuzz::RunFuzzer(target);
}
