// OLE part of the application-framework stand-in: the data source that puts
// data on the clipboard.
//
//   COleDataSource   below
#pragma once

#include "afx.h"

#include <objidl.h>

#include <vector>

// A data object that offers blocks of global memory in chosen formats. Made with
// new; after SetClipboard the clipboard owns it and deletes it when other data
// replaces it. One that never reached the clipboard is deleted by its maker.
class TESSARO_MFC_API COleDataSource : public CObject {
public:
    COleDataSource();
    // Frees every cached block.
    ~COleDataSource() override;
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // The source owns hGlobal from now on; caching a format again replaces its
    // block. When it throws (out of memory) the caller still owns hGlobal.
    void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc = nullptr);
    // Offers the cached data on the clipboard (OleSetClipboard, so OLE must be
    // initialised on the thread). The framework reports a failure by throwing;
    // the stand-in returns it instead, and the caller keeps ownership then.
    HRESULT SetClipboard();

    DWORD InternalAddRef();
    // Deletes the source when the last reference goes.
    DWORD InternalRelease();

    // Test seam: called as CacheGlobalData begins; a hook that throws stands in
    // for running out of memory there. Returns the previous hook.
    using CacheHook = void (*)(COleDataSource& source);
    static CacheHook SetCacheHook(CacheHook hook);

private:
    struct Entry {
        FORMATETC format;
        HGLOBAL data;
    };
    const Entry* Find(const FORMATETC& format) const;

    class XDataObject : public IDataObject {
    public:
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
        STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
        STDMETHODIMP QueryGetData(FORMATETC* format) override;
        STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
        STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
        STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
        STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
        STDMETHODIMP DUnadvise(DWORD connection) override;
        STDMETHODIMP EnumDAdvise(IEnumSTATDATA** enumerator) override;
        explicit XDataObject(COleDataSource* owner) : m_owner(owner) {}
        COleDataSource* Owner() { return m_owner; }

    private:
        COleDataSource* m_owner;
    } m_xDataObject{this};

    volatile LONG m_dwRef = 1;
    std::vector<Entry> m_cache;
};
