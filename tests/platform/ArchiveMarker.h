// A small serialisable class for archives that hold objects by class name (the
// program that uses it says IMPLEMENT_SERIAL(Marker, CObject, 3) once), and the
// serialisable collections, stored and loaded in one order.
#pragma once

#include <afx.h>

class Marker : public CObject {
    DECLARE_SERIAL(Marker)
public:
    Marker() = default;
    Marker(int id, const wchar_t* label) : m_id(id), m_label(label) {}
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_id << m_label;
        else
            ar >> m_id >> m_label;
    }
    int m_id = 0;
    CString m_label;
};

struct ArchiveCollections {
    CByteArray bytes;
    CWordArray words;
    CDWordArray dwords;
    CStringArray strings;
    CStringList names;
    CObList objects;

    void Serialize(CArchive& ar)
    {
        bytes.Serialize(ar);
        words.Serialize(ar);
        dwords.Serialize(ar);
        strings.Serialize(ar);
        names.Serialize(ar);
        objects.Serialize(ar);
    }
};
