// Reference counting for the library's interfaces.
//
// ZUnknown<I> implements IUnknown for an interface I: QueryInterface never finds
// anything (objects are passed by their concrete interface), the count starts at 1
// and the last Release calls DeleteThis. ZUnknownPointer<T> owns one reference.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

template <class I>
class ZUnknown : public I {
public:
    ZUnknown() = default;
    ZUnknown(const ZUnknown&) : I() {}
    ZUnknown& operator=(const ZUnknown&) { return *this; }  // the count belongs to the object

    // None of these is marked override: DeleteThis overrides only where I
    // declares it, and a class marks all of its overriders or none.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object)
    {
        if (object)
            *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef()
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
    }

    ULONG STDMETHODCALLTYPE Release()
    {
        const LONG after = ::InterlockedDecrement(&m_refCount);
        if (after + 1 <= 1) {
            DeleteThis();
            return 0;
        }
        return static_cast<ULONG>(after);
    }

    virtual ~ZUnknown() = default;

protected:
    virtual void DeleteThis() { delete this; }

    // A reference for code that may meet the object while another thread is
    // releasing it for the last time: fails, taking nothing, once the count
    // has reached zero.
    bool TryAddRef()
    {
        for (LONG count = m_refCount; count > 0;) {
            const LONG seen = ::InterlockedCompareExchange(&m_refCount, count + 1, count);
            if (seen == count)
                return true;
            count = seen;
        }
        return false;
    }

private:
    volatile LONG m_refCount = 1;
};

// Owns one reference to a counted object, or nothing.
template <class T>
class ZUnknownPointer {
public:
    ZUnknownPointer() = default;
    // Takes a reference of its own; use Attach to adopt one the caller holds.
    explicit ZUnknownPointer(T* object) : m_object(object)
    {
        if (m_object)
            m_object->AddRef();
    }
    ZUnknownPointer(const ZUnknownPointer& other) : ZUnknownPointer(other.m_object) {}
    ZUnknownPointer(ZUnknownPointer&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ~ZUnknownPointer() { Reset(); }

    ZUnknownPointer& operator=(T* object)
    {
        if (object)
            object->AddRef();
        T* old = std::exchange(m_object, nullptr);
        if (old)
            old->Release();
        m_object = object;
        return *this;
    }
    ZUnknownPointer& operator=(const ZUnknownPointer& other) { return *this = other.m_object; }
    ZUnknownPointer& operator=(ZUnknownPointer&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    // Adopts a reference that the caller already holds (from a factory, say).
    void Attach(T* object)
    {
        Reset();
        m_object = object;
    }
    // Hands the reference to the caller.
    T* Detach() { return std::exchange(m_object, nullptr); }
    void Reset()
    {
        if (T* old = std::exchange(m_object, nullptr))
            old->Release();
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

// Wraps a reference the caller already holds (from `new` or a Create function),
// so that it is released on every path.
template <class T>
ZUnknownPointer<T> ZAdoptReference(T* object)
{
    ZUnknownPointer<T> owner;
    owner.Attach(object);
    return owner;
}
