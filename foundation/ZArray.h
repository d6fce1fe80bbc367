// ZArray<T>: the library's growable array (capacity, count, data, growth step).
// A bad index throws the nested ZArray<T>::OutOfRange, one class per element
// type and deliberately not a std::exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <utility>

template <class T>
class ZArray {
public:
    class OutOfRange {};

    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    // growBy: how many elements each growth adds; 0 lets the array choose
    // (a quarter of the current size, at least 4), so appends stay amortised O(1).
    explicit ZArray(size_t growBy = 0) : m_growBy(growBy) {}
    // Both delegate, so that a copy that throws half-way destroys what it made.
    ZArray(std::initializer_list<T> items) : ZArray()
    {
        Reserve(items.size());
        for (const T& item : items)
            Add(item);
    }
    ZArray(const ZArray& other) : ZArray(other.m_growBy)
    {
        Reserve(other.m_count);
        for (const T& item : other)
            Add(item);
    }
    ZArray(ZArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)),
          m_capacity(std::exchange(other.m_capacity, 0)),
          m_count(std::exchange(other.m_count, 0)),
          m_growBy(other.m_growBy) {}
    ~ZArray() { Destroy(); }

    ZArray& operator=(const ZArray& other)
    {
        if (this != &other) {
            ZArray copy(other);
            Swap(copy);
        }
        return *this;
    }
    ZArray& operator=(ZArray&& other) noexcept
    {
        if (this != &other) {
            Destroy();
            m_data = std::exchange(other.m_data, nullptr);
            m_capacity = std::exchange(other.m_capacity, 0);
            m_count = std::exchange(other.m_count, 0);
            m_growBy = other.m_growBy;
        }
        return *this;
    }

    void Swap(ZArray& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_count, other.m_count);
        std::swap(m_growBy, other.m_growBy);
    }

    size_t GetCount() const { return m_count; }
    size_t GetSize() const { return m_count; }
    size_t GetCapacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }

    T& GetAt(size_t index)
    {
        CheckIndex(index);
        return m_data[index];
    }
    const T& GetAt(size_t index) const
    {
        CheckIndex(index);
        return m_data[index];
    }
    T& operator[](size_t index) { return GetAt(index); }
    const T& operator[](size_t index) const { return GetAt(index); }
    void SetAt(size_t index, const T& value) { GetAt(index) = value; }

    // Appends and returns the new element's index.
    size_t Add(const T& value) { return Emplace(value); }
    size_t Add(T&& value) { return Emplace(std::move(value)); }

    // Inserts before index; index == GetCount() appends.
    void InsertAt(size_t index, const T& value)
    {
        if (index > m_count)
            throw OutOfRange();
        T copy(value);  // value may live inside this array
        Emplace(std::move(copy));
        for (size_t i = m_count - 1; i > index; --i)
            std::swap(m_data[i], m_data[i - 1]);
    }

    void RemoveAt(size_t index, size_t count = 1)
    {
        if (index > m_count || count > m_count - index)
            throw OutOfRange();
        for (size_t i = index; i + count < m_count; ++i)
            m_data[i] = std::move(m_data[i + count]);
        for (size_t i = m_count - count; i < m_count; ++i)
            m_data[i].~T();
        m_count -= count;
    }

    void RemoveAll()
    {
        for (size_t i = 0; i < m_count; ++i)
            m_data[i].~T();
        m_count = 0;
    }

    // Grows with default-constructed elements or shrinks.
    void SetSize(size_t count)
    {
        if (count < m_count) {
            RemoveAt(count, m_count - count);
            return;
        }
        Reserve(count);
        while (m_count < count) {
            new (m_data + m_count) T();
            ++m_count;
        }
    }

    // Strong guarantee: elements whose move may throw are copied, and the
    // array is left as it was when one of those copies throws.
    void Reserve(size_t capacity)
    {
        if (capacity <= m_capacity)
            return;
        if (capacity > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        T* data = static_cast<T*>(::operator new(capacity * sizeof(T)));
        size_t made = 0;
        try {
            for (; made < m_count; ++made)
                new (data + made) T(std::move_if_noexcept(m_data[made]));
        } catch (...) {
            for (size_t i = 0; i < made; ++i)
                data[i].~T();
            ::operator delete(data);
            throw;
        }
        for (size_t i = 0; i < m_count; ++i)
            m_data[i].~T();
        ::operator delete(m_data);
        m_data = data;
        m_capacity = capacity;
    }

    iterator begin() { return m_data; }
    iterator end() { return m_data + m_count; }
    const_iterator begin() const { return m_data; }
    const_iterator end() const { return m_data + m_count; }

private:
    template <class U>
    size_t Emplace(U&& value)
    {
        if (m_count == m_capacity) {
            if (m_count > 0 && &value >= m_data && &value < m_data + m_count) {
                T copy(std::forward<U>(value));  // growth would move the source away
                Reserve(NextCapacity());
                new (m_data + m_count) T(std::move(copy));
                return m_count++;
            }
            Reserve(NextCapacity());
        }
        new (m_data + m_count) T(std::forward<U>(value));
        return m_count++;
    }

    size_t NextCapacity() const
    {
        size_t step = m_growBy;
        if (step == 0) {
            step = m_capacity / 4;
            if (step < 4)
                step = 4;
        }
        return m_capacity + step;
    }

    void CheckIndex(size_t index) const
    {
        if (index >= m_count)
            throw OutOfRange();
    }

    void Destroy()
    {
        RemoveAll();
        ::operator delete(m_data);
        m_data = nullptr;
        m_capacity = 0;
    }

    T* m_data = nullptr;
    size_t m_capacity = 0;
    size_t m_count = 0;
    size_t m_growBy = 0;
};
