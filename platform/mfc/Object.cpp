#include "afx.h"

#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Every registered run-time class of the process. Entries leave with their
// module (AFX_CLASSINIT's destructor), so no pointer outlives its class.
struct ClassRegistry {
    std::mutex lock;
    std::vector<CRuntimeClass*> classes;
};

ClassRegistry& Registry()
{
    static ClassRegistry* registry = new ClassRegistry;  // outlives every module's statics
    return *registry;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {
    "CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(_RUNTIME_CLASS(CObject));

CRuntimeClass* AFXAPI CObject::GetThisClass()
{
    return _RUNTIME_CLASS(CObject);
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return _RUNTIME_CLASS(CObject);
}

BOOL CObject::IsKindOf(const CRuntimeClass* classInfo) const
{
    ASSERT(classInfo != nullptr);
    return GetRuntimeClass()->IsDerivedFrom(classInfo);
}

CObject* CRuntimeClass::CreateObject() const
{
    if (!m_pfnCreateObject) {
        TRACE(L"CreateObject: %hs is not creatable\n", m_lpszClassName);
        return nullptr;
    }
    return m_pfnCreateObject();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* baseClass) const
{
    if (!baseClass)
        return FALSE;
    for (const CRuntimeClass* cls = this; cls; cls = cls->m_pfnGetBaseClass ? cls->m_pfnGetBaseClass() : nullptr) {
        if (cls == baseClass)
            return TRUE;
    }
    return FALSE;
}

CRuntimeClass* AFXAPI CRuntimeClass::FromName(LPCSTR className)
{
    if (!className)
        return nullptr;
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (CRuntimeClass* cls : registry.classes) {
        if (std::strcmp(cls->m_lpszClassName, className) == 0)
            return cls;
    }
    return nullptr;
}

CRuntimeClass* AFXAPI CRuntimeClass::FromName(LPCWSTR className)
{
    if (!className)
        return nullptr;
    // Class names are identifiers, so a plain ASCII narrowing is exact; anything
    // else cannot name a class.
    std::string narrow;
    for (const wchar_t* p = className; *p; ++p) {
        if (*p > 0x7F)
            return nullptr;
        narrow += static_cast<char>(*p);
    }
    return FromName(narrow.c_str());
}

CObject* AFXAPI CRuntimeClass::CreateObject(LPCSTR className)
{
    CRuntimeClass* cls = FromName(className);
    return cls ? cls->CreateObject() : nullptr;
}

CObject* AFXAPI CRuntimeClass::CreateObject(LPCWSTR className)
{
    CRuntimeClass* cls = FromName(className);
    return cls ? cls->CreateObject() : nullptr;
}

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* newClass) : m_class(newClass)
{
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.classes.push_back(newClass);
}

AFX_CLASSINIT::~AFX_CLASSINIT()
{
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (auto it = registry.classes.begin(); it != registry.classes.end(); ++it) {
        if (*it == m_class) {
            registry.classes.erase(it);
            break;
        }
    }
}

void AFXAPI AfxTrace(LPCWSTR format, ...)
{
    CStringW text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    ::OutputDebugStringW(text);
}

BOOL AFXAPI AfxAssertFailedLine(LPCSTR file, int line)
{
    CStringW text;
    text.Format(L"Assertion failed: %hs(%d)\n", file ? file : "?", line);
    ::OutputDebugStringW(text);
    if (::IsDebuggerPresent())
        ::DebugBreak();
    return FALSE;
}
