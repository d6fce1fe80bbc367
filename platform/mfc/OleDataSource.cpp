#include "afxole.h"

#include <cstring>
#include <new>

namespace {

COleDataSource::CacheHook g_cacheHook = nullptr;

// A private copy of a block, as a consumer of GetData owns what it receives.
HGLOBAL CopyGlobal(HGLOBAL source)
{
    const SIZE_T size = ::GlobalSize(source);
    const void* from = ::GlobalLock(source);
    if (!from)
        return nullptr;
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    void* to = copy ? ::GlobalLock(copy) : nullptr;
    if (to) {
        std::memcpy(to, from, size);
        ::GlobalUnlock(copy);
    } else if (copy) {
        ::GlobalFree(copy);
        copy = nullptr;
    }
    ::GlobalUnlock(source);
    return copy;
}

// Enumerates a snapshot of the offered formats.
class FormatEnumerator final : public IEnumFORMATETC {
public:
    explicit FormatEnumerator(std::vector<FORMATETC> formats, size_t position = 0)
        : m_formats(std::move(formats)), m_position(position) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IEnumFORMATETC) {
            *object = static_cast<IEnumFORMATETC*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_ref); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG after = ::InterlockedDecrement(&m_ref);
        if (after == 0)
            delete this;
        return after;
    }
    STDMETHODIMP Next(ULONG wanted, FORMATETC* out, ULONG* fetched) override
    {
        if (!out || (wanted > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        while (n < wanted && m_position < m_formats.size())
            out[n++] = m_formats[m_position++];
        if (fetched)
            *fetched = n;
        return n == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        const size_t left = m_formats.size() - m_position;
        m_position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFORMATETC** clone) override
    {
        if (!clone)
            return E_POINTER;
        *clone = new (std::nothrow) FormatEnumerator(m_formats, m_position);
        return *clone ? S_OK : E_OUTOFMEMORY;
    }

private:
    volatile LONG m_ref = 1;
    std::vector<FORMATETC> m_formats;
    size_t m_position;
};

}  // namespace

COleDataSource::COleDataSource() = default;

COleDataSource::~COleDataSource()
{
    for (Entry& entry : m_cache)
        ::GlobalFree(entry.data);
}

COleDataSource::CacheHook COleDataSource::SetCacheHook(CacheHook hook)
{
    CacheHook previous = g_cacheHook;
    g_cacheHook = hook;
    return previous;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc)
{
    if (CacheHook hook = g_cacheHook)
        hook(*this);
    FORMATETC format = {cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (lpFormatEtc) {
        format = *lpFormatEtc;
        format.cfFormat = cfFormat;
        format.tymed = TYMED_HGLOBAL;
    }
    for (Entry& entry : m_cache) {
        if (entry.format.cfFormat == cfFormat) {
            if (entry.data != hGlobal)
                ::GlobalFree(entry.data);
            entry = Entry{format, hGlobal};
            return;
        }
    }
    m_cache.push_back(Entry{format, hGlobal});
}

HRESULT COleDataSource::SetClipboard()
{
    const HRESULT result = ::OleSetClipboard(&m_xDataObject);
    if (SUCCEEDED(result))
        InternalRelease();  // the clipboard's reference is the one that counts now
    return result;
}

DWORD COleDataSource::InternalAddRef()
{
    return static_cast<DWORD>(::InterlockedIncrement(&m_dwRef));
}

DWORD COleDataSource::InternalRelease()
{
    const LONG after = ::InterlockedDecrement(&m_dwRef);
    if (after == 0)
        delete this;
    return static_cast<DWORD>(after);
}

const COleDataSource::Entry* COleDataSource::Find(const FORMATETC& format) const
{
    for (const Entry& entry : m_cache) {
        if (entry.format.cfFormat == format.cfFormat && (format.tymed & TYMED_HGLOBAL) &&
            (format.dwAspect == 0 || format.dwAspect == entry.format.dwAspect))
            return &entry;
    }
    return nullptr;
}

STDMETHODIMP COleDataSource::XDataObject::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::AddRef() { return Owner()->InternalAddRef(); }
STDMETHODIMP_(ULONG) COleDataSource::XDataObject::Release() { return Owner()->InternalRelease(); }

STDMETHODIMP COleDataSource::XDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_POINTER;
    const Entry* entry = Owner()->Find(*format);
    if (!entry)
        return DV_E_FORMATETC;
    HGLOBAL copy = CopyGlobal(entry->data);
    if (!copy)
        return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP COleDataSource::XDataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_POINTER;
    const Entry* entry = Owner()->Find(*format);
    if (!entry || medium->tymed != TYMED_HGLOBAL)
        return DV_E_FORMATETC;
    const SIZE_T size = ::GlobalSize(entry->data);
    if (::GlobalSize(medium->hGlobal) < size)
        return STG_E_MEDIUMFULL;
    const void* from = ::GlobalLock(entry->data);
    void* to = ::GlobalLock(medium->hGlobal);
    if (from && to)
        std::memcpy(to, from, size);
    if (from)
        ::GlobalUnlock(entry->data);
    if (to)
        ::GlobalUnlock(medium->hGlobal);
    return from && to ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleDataSource::XDataObject::QueryGetData(FORMATETC* format)
{
    if (!format)
        return E_POINTER;
    return Owner()->Find(*format) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out)
        out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP COleDataSource::XDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const Entry& entry : Owner()->m_cache)
        formats.push_back(entry.format);
    *enumerator = new (std::nothrow) FormatEnumerator(std::move(formats));
    return *enumerator ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP COleDataSource::XDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleDataSource::XDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP COleDataSource::XDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }
