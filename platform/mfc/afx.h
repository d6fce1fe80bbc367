// Core of the application-framework stand-in: objects with run-time classes,
// strings, files, geometry and the diagnostic macros.
//
//   CObject, CRuntimeClass, AFX_CLASSINIT   afx.h (below)
//   CStringW / CString                      afxstr.h
//   CFile, CStdioFile, CFileException       afxfile_.h
//   CArchive, CMemFile, memory and archive exceptions, DECLARE_SERIAL   afxarch_.h
//   CPoint, CSize, CRect                    atltypes.h
//   module state and resource chain         afxstat_.h
#pragma once

#include "afxver_.h"

#include <cstddef>

// Diagnostics. Like the framework's release build, ASSERT and TRACE vanish
// unless _DEBUG is defined; VERIFY always evaluates its expression.
TESSARO_MFC_API void AFXAPI AfxTrace(LPCWSTR format, ...);
TESSARO_MFC_API BOOL AFXAPI AfxAssertFailedLine(LPCSTR file, int line);

#ifdef _DEBUG
#define TRACE(...) ::AfxTrace(__VA_ARGS__)
#define ASSERT(f) ((void)((f) || (::AfxAssertFailedLine(__FILE__, __LINE__), 0)))
#define VERIFY(f) ASSERT(f)
#else
#define TRACE(...) ((void)0)
#define ASSERT(f) ((void)sizeof(!(f)))
#define VERIFY(f) ((void)(f))
#endif
#define ASSERT_VALID(p) ASSERT((p) != nullptr)

class CObject;
class CArchive;

// One record per class with DECLARE_DYNAMIC or DECLARE_DYNCREATE: its name,
// size, base and, for creatable classes, its factory.
struct TESSARO_MFC_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (AFXAPI* m_pfnCreateObject)();
    CRuntimeClass* (AFXAPI* m_pfnGetBaseClass)();
    CRuntimeClass* m_pNextClass;
    const struct AFX_CLASSINIT* m_pClassInit;

    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* baseClass) const;

    // Classes are found among all registered classes of the process by name.
    static CRuntimeClass* AFXAPI FromName(LPCSTR className);
    static CRuntimeClass* AFXAPI FromName(LPCWSTR className);
    static CObject* AFXAPI CreateObject(LPCSTR className);
    static CObject* AFXAPI CreateObject(LPCWSTR className);
};

// Registers a run-time class for FromName for as long as its module is loaded.
struct TESSARO_MFC_API AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* newClass);
    ~AFX_CLASSINIT();
    AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
    AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;

private:
    CRuntimeClass* m_class;
};

#define _RUNTIME_CLASS(class_name) ((CRuntimeClass*)(&class_name::class##class_name))
#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name) \
protected: \
    static CRuntimeClass* AFXAPI _GetBaseClass(); \
public: \
    static const CRuntimeClass class##class_name; \
    static CRuntimeClass* AFXAPI GetThisClass(); \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name) \
    static CObject* AFXAPI CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew) \
    CRuntimeClass* AFXAPI class_name::_GetBaseClass() { return RUNTIME_CLASS(base_class_name); } \
    const CRuntimeClass class_name::class##class_name = { \
        #class_name, sizeof(class class_name), wSchema, pfnNew, \
        &class_name::_GetBaseClass, nullptr, nullptr}; \
    CRuntimeClass* AFXAPI class_name::GetThisClass() { return _RUNTIME_CLASS(class_name); } \
    CRuntimeClass* class_name::GetRuntimeClass() const { return _RUNTIME_CLASS(class_name); } \
    static AFX_CLASSINIT _init_##class_name(_RUNTIME_CLASS(class_name));

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* AFXAPI class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

// Root of the framework's classes.
class TESSARO_MFC_API CObject {
public:
    static const CRuntimeClass classCObject;
    static CRuntimeClass* AFXAPI GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;

    virtual ~CObject() = default;
    BOOL IsKindOf(const CRuntimeClass* classInfo) const;
    // Writes the object's state to, or reads it from, ar (see afxarch_.h).
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const {}
    BOOL IsSerializable() const;

protected:
    CObject() = default;
    // Framework objects are not copied unless a class says so.
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#include "afxstr.h"
#include "atltypes.h"
#include "afxfile_.h"
#include "afxarch_.h"
#include "afxstat_.h"
