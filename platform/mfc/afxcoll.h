// The framework's collections that the toolkit stores: arrays of bytes, words,
// double words and strings, and lists of strings and objects. Each serialises
// in the framework's format: a count (CArchive::WriteCount), then the elements.
// Loading an array replaces its contents; loading a list appends to it.
//
// A bad index is a caller's error: it asserts and throws std::out_of_range
// rather than touch memory outside the array.
#pragma once

#include "afx.h"

#include <stdexcept>
#include <vector>

struct __POSITION {};
using POSITION = __POSITION*;

// Storage shared by the array classes; the classes themselves carry the
// run-time class and the element format.
template <class T>
class CValueArrayBase : public CObject {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    void SetSize(INT_PTR newSize, INT_PTR = -1) { m_data.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0); }
    void RemoveAll() { m_data.clear(); }

    const T& GetAt(INT_PTR index) const { return m_data.at(Checked(index)); }
    T& ElementAt(INT_PTR index) { return m_data.at(Checked(index)); }
    void SetAt(INT_PTR index, const T& value) { m_data.at(Checked(index)) = value; }
    const T& operator[](INT_PTR index) const { return GetAt(index); }
    T& operator[](INT_PTR index) { return ElementAt(index); }
    const T* GetData() const { return m_data.data(); }
    T* GetData() { return m_data.data(); }

    INT_PTR Add(const T& value)
    {
        m_data.push_back(value);
        return GetSize() - 1;
    }
    void InsertAt(INT_PTR index, const T& value, INT_PTR count = 1)
    {
        ASSERT(index >= 0 && count >= 0);
        if (index < 0 || count < 0)
            return;
        if (static_cast<size_t>(index) > m_data.size())
            m_data.resize(static_cast<size_t>(index));
        m_data.insert(m_data.begin() + index, static_cast<size_t>(count), value);
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1)
    {
        ASSERT(index >= 0 && count >= 0 && index + count <= GetSize());
        if (index < 0 || count < 0 || index + count > GetSize())
            return;
        m_data.erase(m_data.begin() + index, m_data.begin() + index + count);
    }

protected:
    static size_t Checked(INT_PTR index)
    {
        ASSERT(index >= 0);
        return static_cast<size_t>(index);  // negative becomes huge, which at() refuses
    }

    std::vector<T> m_data;
};

class TESSARO_MFC_API CByteArray : public CValueArrayBase<BYTE> {
    DECLARE_SERIAL(CByteArray)
public:
    CByteArray() = default;
    void Serialize(CArchive& ar) override;
};

class TESSARO_MFC_API CWordArray : public CValueArrayBase<WORD> {
    DECLARE_SERIAL(CWordArray)
public:
    CWordArray() = default;
    void Serialize(CArchive& ar) override;
};

class TESSARO_MFC_API CDWordArray : public CValueArrayBase<DWORD> {
    DECLARE_SERIAL(CDWordArray)
public:
    CDWordArray() = default;
    void Serialize(CArchive& ar) override;
};

class TESSARO_MFC_API CStringArray : public CValueArrayBase<CStringW> {
    DECLARE_SERIAL(CStringArray)
public:
    CStringArray() = default;
    void Serialize(CArchive& ar) override;
};

// A doubly linked list; a POSITION is a node, valid until that node is removed.
template <class T>
class CValueListBase : public CObject {
public:
    CValueListBase() = default;
    ~CValueListBase() override { RemoveAll(); }
    CValueListBase(const CValueListBase&) = delete;
    CValueListBase& operator=(const CValueListBase&) = delete;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    POSITION AddTail(const T& value)
    {
        Node* node = new Node{value, nullptr, m_pNodeTail};
        (m_pNodeTail ? m_pNodeTail->next : m_pNodeHead) = node;
        m_pNodeTail = node;
        ++m_nCount;
        return ToPosition(node);
    }
    POSITION AddHead(const T& value)
    {
        Node* node = new Node{value, m_pNodeHead, nullptr};
        (m_pNodeHead ? m_pNodeHead->prev : m_pNodeTail) = node;
        m_pNodeHead = node;
        ++m_nCount;
        return ToPosition(node);
    }
    void RemoveAt(POSITION position)
    {
        Node* node = FromPosition(position);
        ASSERT(node != nullptr);
        if (!node)
            return;
        (node->prev ? node->prev->next : m_pNodeHead) = node->next;
        (node->next ? node->next->prev : m_pNodeTail) = node->prev;
        delete node;
        --m_nCount;
    }
    void RemoveAll()
    {
        while (m_pNodeHead) {
            Node* next = m_pNodeHead->next;
            delete m_pNodeHead;
            m_pNodeHead = next;
        }
        m_pNodeTail = nullptr;
        m_nCount = 0;
    }

    POSITION GetHeadPosition() const { return ToPosition(m_pNodeHead); }
    POSITION GetTailPosition() const { return ToPosition(m_pNodeTail); }
    // Returns the element at position and moves position to the next (null at the end).
    T& GetNext(POSITION& position)
    {
        Node* node = Valid(position);
        position = ToPosition(node->next);
        return node->data;
    }
    const T& GetNext(POSITION& position) const
    {
        const Node* node = Valid(position);
        position = ToPosition(node->next);
        return node->data;
    }
    T& GetAt(POSITION position) { return Valid(position)->data; }
    const T& GetAt(POSITION position) const { return Valid(position)->data; }
    T& GetHead() { return Valid(ToPosition(m_pNodeHead))->data; }
    T& GetTail() { return Valid(ToPosition(m_pNodeTail))->data; }
    T RemoveHead()
    {
        T value = GetHead();
        RemoveAt(ToPosition(m_pNodeHead));
        return value;
    }

protected:
    struct Node {
        T data;
        Node* next;
        Node* prev;
    };

    static POSITION ToPosition(Node* node) { return reinterpret_cast<POSITION>(node); }
    static Node* FromPosition(POSITION position) { return reinterpret_cast<Node*>(position); }
    static Node* Valid(POSITION position)
    {
        Node* node = FromPosition(position);
        ASSERT(node != nullptr);
        if (!node)
            throw std::out_of_range("empty list position");
        return node;
    }

    Node* m_pNodeHead = nullptr;
    Node* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
};

class TESSARO_MFC_API CStringList : public CValueListBase<CStringW> {
    DECLARE_SERIAL(CStringList)
public:
    CStringList() = default;
    void Serialize(CArchive& ar) override;
};

// A list of object pointers. The list does not own the objects: whoever
// loads one (Serialize) deletes what it created.
class TESSARO_MFC_API CObList : public CValueListBase<CObject*> {
    DECLARE_SERIAL(CObList)
public:
    CObList() = default;
    void Serialize(CArchive& ar) override;
};
