// ZMap<K, V>: the library's chained hash map. The bucket count is fixed at
// construction and never changes (no rehashing), so a caller sizes it for the
// expected number of keys. Strings hash to the sum of their code units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"

template <class K>
struct ZMapHash {
    size_t operator()(const K& key) const
    {
        static_assert(std::is_integral_v<K> || std::is_enum_v<K> || std::is_pointer_v<K>,
                      "specialise ZMapHash for this key type");
        if constexpr (std::is_pointer_v<K>)
            return reinterpret_cast<uintptr_t>(key);
        else
            return static_cast<size_t>(key);
    }
};

namespace Tessaro::MapDetail {
template <class CharT>
size_t SumOfUnits(const CharT* text, size_t length)
{
    size_t sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum += static_cast<std::make_unsigned_t<CharT>>(text[i]);
    return sum;
}
}  // namespace Tessaro::MapDetail

template <>
struct ZMapHash<ZUnicodeString> {
    size_t operator()(const ZUnicodeString& key) const { return Tessaro::MapDetail::SumOfUnits(key.c_str(), key.length()); }
};
template <>
struct ZMapHash<ZString> {
    size_t operator()(const ZString& key) const { return Tessaro::MapDetail::SumOfUnits(key.c_str(), key.length()); }
};
template <>
struct ZMapHash<std::wstring> {
    size_t operator()(const std::wstring& key) const { return Tessaro::MapDetail::SumOfUnits(key.data(), key.size()); }
};
template <>
struct ZMapHash<std::string> {
    size_t operator()(const std::string& key) const { return Tessaro::MapDetail::SumOfUnits(key.data(), key.size()); }
};

template <class K, class V, class Hash = ZMapHash<K>>
class ZMap {
public:
    explicit ZMap(size_t bucketCount = 17) : m_bucketCount(bucketCount ? bucketCount : 1)
    {
        m_buckets = new Node*[m_bucketCount]();
    }
    ZMap(const ZMap& other) : ZMap(other.m_bucketCount)
    {
        other.ForEach([this](const K& key, const V& value) { SetAt(key, value); });
    }
    ZMap& operator=(const ZMap& other)
    {
        if (this != &other) {
            ZMap copy(other);
            std::swap(m_buckets, copy.m_buckets);
            std::swap(m_bucketCount, copy.m_bucketCount);
            std::swap(m_count, copy.m_count);
        }
        return *this;
    }
    ~ZMap()
    {
        RemoveAll();
        delete[] m_buckets;
    }

    size_t GetCount() const { return m_count; }
    size_t GetBucketCount() const { return m_bucketCount; }
    bool IsEmpty() const { return m_count == 0; }

    // Null when the key is absent.
    V* Lookup(const K& key)
    {
        Node* node = Find(key);
        return node ? &node->value : nullptr;
    }
    const V* Lookup(const K& key) const
    {
        const Node* node = const_cast<ZMap*>(this)->Find(key);
        return node ? &node->value : nullptr;
    }
    bool Lookup(const K& key, V& value) const
    {
        const V* found = Lookup(key);
        if (!found)
            return false;
        value = *found;
        return true;
    }

    // Inserts a default value when the key is absent.
    V& operator[](const K& key)
    {
        if (Node* node = Find(key))
            return node->value;
        return Insert(key, V())->value;
    }
    void SetAt(const K& key, const V& value) { (*this)[key] = value; }

    bool RemoveKey(const K& key)
    {
        Node** link = &m_buckets[BucketOf(key)];
        for (; *link; link = &(*link)->next) {
            if ((*link)->key == key) {
                Node* dead = *link;
                *link = dead->next;
                delete dead;
                --m_count;
                return true;
            }
        }
        return false;
    }

    void RemoveAll()
    {
        for (size_t i = 0; i < m_bucketCount; ++i) {
            Node* node = m_buckets[i];
            while (node) {
                Node* next = node->next;
                delete node;
                node = next;
            }
            m_buckets[i] = nullptr;
        }
        m_count = 0;
    }

    // Visits every entry, bucket by bucket; the callback must not change the map.
    template <class F>
    void ForEach(F&& visit) const
    {
        for (size_t i = 0; i < m_bucketCount; ++i)
            for (const Node* node = m_buckets[i]; node; node = node->next)
                visit(node->key, node->value);
    }

private:
    struct Node {
        K key;
        V value;
        Node* next;
    };

    size_t BucketOf(const K& key) const { return Hash()(key) % m_bucketCount; }

    Node* Find(const K& key)
    {
        for (Node* node = m_buckets[BucketOf(key)]; node; node = node->next)
            if (node->key == key)
                return node;
        return nullptr;
    }

    Node* Insert(const K& key, V&& value)
    {
        Node*& head = m_buckets[BucketOf(key)];
        head = new Node{key, std::move(value), head};
        ++m_count;
        return head;
    }

    Node** m_buckets = nullptr;
    size_t m_bucketCount = 0;
    size_t m_count = 0;
};
