// The archives the customisation store keeps: collections, strings, numbers and
// objects by class name, loaded from the bytes. Each either loads or throws the
// archive's or memory's exception.
#include <afx.h>
#include <afxcoll.h>

#include <cstdlib>
#include <functional>
#include <set>

#include "fuzz/FuzzHarness.h"
#include "tests/platform/ArchiveMarker.h"

IMPLEMENT_SERIAL(Marker, CObject, 3)

namespace {

struct Contents : ArchiveCollections {
    CString title;
    DWORD version = 0;
    CObject* single = nullptr;

    ~Contents()
    {
        std::set<CObject*> unique{single};
        for (POSITION p = objects.GetHeadPosition(); p;)
            unique.insert(objects.GetNext(p));
        for (CObject* object : unique)
            delete object;
    }
    void Serialize(CArchive& ar)
    {
        if (ar.IsStoring())
            ar << version << title << single;
        else
            ar >> version >> title >> single;
        ArchiveCollections::Serialize(ar);
    }
};

std::string Load(const unsigned char* bytes, size_t size)
{
    CMemFile file(const_cast<BYTE*>(bytes), static_cast<UINT>(size));
    CArchive ar(&file, CArchive::load, 4096);
    Contents read;
    try {
        read.Serialize(ar);
    } catch (CArchiveException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return "archive exception " + std::to_string(cause);
    } catch (CMemoryException* e) {
        e->Delete();
        return "memory exception";
    }
    return "accepted";
}

Fuzz::Bytes Store(const std::function<void(Contents&)>& fill)
{
    CMemFile file;
    {
        Contents stored;
        fill(stored);
        CArchive ar(&file, CArchive::store, 4096);
        stored.Serialize(ar);
        ar.Close();
        // The objects are shared with the list: the destructor frees each once.
    }
    const UINT length = static_cast<UINT>(file.GetLength());
    BYTE* data = file.Detach();
    Fuzz::Bytes bytes(data, data + length);
    std::free(data);
    return bytes;
}

}  // namespace

int main()
{
    Fuzz::Target target{
        "archive", Load,
        [] {
            return std::vector<Fuzz::Bytes>{
                Store([](Contents& c) {
                    c.version = 3;
                    c.title = L"Toolbar \x00E9";
                    c.single = new Marker(9, L"alone");
                    c.bytes.Add(1);
                    c.words.Add(0xFFFF);
                    c.dwords.Add(0x12345678);
                    c.strings.Add(L"alpha");
                    c.strings.Add(L"\x00E9t\x00E9");
                    c.names.AddTail(L"x");
                    auto* a = new Marker(1, L"a");
                    c.objects.AddTail(a);
                    c.objects.AddTail(new Marker(2, L"bee"));
                    c.objects.AddTail(a);
                }),
                Store([](Contents&) {}),
                Store([](Contents& c) {
                    for (int i = 0; i < 40; ++i) {
                        c.words.Add(static_cast<WORD>(i * 211));
                        c.strings.Add(CString(L"item"));
                    }
                    c.single = new Marker(5, L"shared");
                    c.objects.AddTail(c.single);
                }),
            };
        },
        8 * 1024};
    return Fuzz::RunFuzzer(target);
}
