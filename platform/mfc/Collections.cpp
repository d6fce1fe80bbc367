#include "afxcoll.h"

IMPLEMENT_SERIAL(CByteArray, CObject, 0)
IMPLEMENT_SERIAL(CWordArray, CObject, 0)
IMPLEMENT_SERIAL(CDWordArray, CObject, 0)
IMPLEMENT_SERIAL(CStringArray, CObject, 0)
IMPLEMENT_SERIAL(CStringList, CObject, 0)
IMPLEMENT_SERIAL(CObList, CObject, 0)

namespace {

// Numbers are stored in the machine's order, which is little-endian on every
// target of this build, so the elements go out as one block.
template <class T>
void SerializeNumbers(CArchive& ar, std::vector<T>& data)
{
    if (ar.IsStoring()) {
        ar.WriteCount(data.size());
        if (!data.empty())
            ar.Write(data.data(), static_cast<UINT>(data.size() * sizeof(T)));
        return;
    }
    const DWORD_PTR count = ar.ReadCount();
    if (count > 0x7FFFFFFF / sizeof(T))
        AfxThrowArchiveException(CArchiveException::genericException);
    ar.EnsureAvailable(count * sizeof(T));
    std::vector<T> loaded(count);
    const UINT bytes = static_cast<UINT>(count * sizeof(T));
    if (count && ar.Read(loaded.data(), bytes) != bytes)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    data.swap(loaded);
}

// The smallest stored string is one byte (its length), so a count larger than
// the bytes left is refused before anything is allocated.
DWORD_PTR ReadElementCount(CArchive& ar, ULONGLONG minimumElementSize)
{
    const DWORD_PTR count = ar.ReadCount();
    if (count > ~0ULL / minimumElementSize)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    ar.EnsureAvailable(count * minimumElementSize);
    return count;
}

}  // namespace

void CByteArray::Serialize(CArchive& ar)
{
    SerializeNumbers(ar, m_data);
}

void CWordArray::Serialize(CArchive& ar)
{
    SerializeNumbers(ar, m_data);
}

void CDWordArray::Serialize(CArchive& ar)
{
    SerializeNumbers(ar, m_data);
}

void CStringArray::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(m_data.size());
        for (const CStringW& text : m_data)
            ar << text;
        return;
    }
    const DWORD_PTR count = ReadElementCount(ar, 1);
    std::vector<CStringW> loaded(count);
    for (CStringW& text : loaded)
        ar >> text;
    m_data.swap(loaded);
}

void CStringList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD_PTR>(m_nCount));
        for (Node* node = m_pNodeHead; node; node = node->next)
            ar << node->data;
        return;
    }
    for (DWORD_PTR count = ReadElementCount(ar, 1); count > 0; --count) {
        CStringW text;
        ar >> text;
        AddTail(text);
    }
}

void CObList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD_PTR>(m_nCount));
        for (Node* node = m_pNodeHead; node; node = node->next)
            ar << node->data;
        return;
    }
    // Each element is at least its two-byte tag.
    for (DWORD_PTR count = ReadElementCount(ar, 2); count > 0; --count) {
        CObject* object = nullptr;
        ar >> object;
        AddTail(object);
    }
}
