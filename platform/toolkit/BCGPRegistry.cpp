#include "BCGPRegistry.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

IMPLEMENT_DYNCREATE(CBCGPRegistry, CObject)

namespace {

CRuntimeClass* g_registryClass = nullptr;  // null: CBCGPRegistry itself

constexpr UINT kArchiveBufferSize = 4096;
constexpr UINT kMemFileGrowBy = 1024;

// Registry functions take paths without a leading backslash.
LPCWSTR RelativePath(LPCWSTR path)
{
    if (!path)
        return L"";
    while (*path == L'\\')
        ++path;
    return path;
}

// Reads a binary value through the virtual byte reader and gives it to
// loader in a memory file; archive and memory failures become FALSE.
template <class Loader>
BOOL LoadThroughArchive(CBCGPRegistry& registry, LPCTSTR name, Loader loader)
{
    BYTE* data = nullptr;
    UINT size = 0;
    if (!registry.Read(name, &data, &size))
        return FALSE;
    std::unique_ptr<BYTE[]> owned(data);
    try {
        CMemFile file(owned.get(), size);
        CArchive ar(&file, CArchive::load, kArchiveBufferSize);
        loader(ar);
        ar.Close();
        return TRUE;
    } catch (CArchiveException* e) {
        e->Delete();
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (CFileException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

// The names enumerate gives for the indexes 0, 1, ... until it reports no
// more; names keeps its content unless every name was read.
template <class Enumerate>
BOOL ReadNames(Enumerate enumerate, CStringArray& names)
{
    CStringArray read;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];  // the registry's longest value name plus the terminator; key names are shorter
        DWORD length = static_cast<DWORD>(std::size(name));
        const LONG status = enumerate(index, name, &length);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            return FALSE;
        read.Add(CString(name, static_cast<int>(length)));
    }
    names.RemoveAll();
    for (INT_PTR i = 0; i < read.GetSize(); ++i)
        names.Add(read[i]);
    return TRUE;
}

}  // namespace

CBCGPRegistry::CBCGPRegistry(BOOL admin, BOOL readOnly) : m_bAdmin(admin), m_bReadOnly(readOnly)
{
}

CBCGPRegistry::~CBCGPRegistry()
{
    // Not the virtual Close: a derived object is already gone here.
    if (m_hKey)
        ::RegCloseKey(m_hKey);
}

BOOL CBCGPRegistry::ReadKeyValues(CStringArray& values)
{
    return m_hKey && ReadNames(
                         [this](DWORD index, LPWSTR name, LPDWORD length) {
                             return ::RegEnumValueW(m_hKey, index, name, length, nullptr, nullptr, nullptr, nullptr);
                         },
                         values);
}

BOOL CBCGPRegistry::VerifyKey(LPCTSTR path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(GetRootKey(), RelativePath(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return FALSE;
    ::RegCloseKey(key);
    return TRUE;
}

BOOL CBCGPRegistry::VerifyValue(LPCTSTR name)
{
    return m_hKey && ::RegQueryValueExW(m_hKey, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL CBCGPRegistry::CreateKey(LPCTSTR path)
{
    if (m_bReadOnly)
        return Open(path);
    Close();
    HKEY key = nullptr;
    if (::RegCreateKeyExW(GetRootKey(), RelativePath(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return FALSE;
    m_hKey = key;
    m_sPath = path;
    return TRUE;
}

BOOL CBCGPRegistry::Open(LPCTSTR path)
{
    Close();
    HKEY key = nullptr;
    if (::RegOpenKeyExW(GetRootKey(), RelativePath(path), 0, m_bReadOnly ? KEY_READ : KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return FALSE;
    m_hKey = key;
    m_sPath = path;
    return TRUE;
}

void CBCGPRegistry::Close()
{
    if (m_hKey) {
        ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

BOOL CBCGPRegistry::DeleteValue(LPCTSTR name)
{
    return m_hKey && !m_bReadOnly && ::RegDeleteValueW(m_hKey, name) == ERROR_SUCCESS;
}

BOOL CBCGPRegistry::DeleteKey(LPCTSTR path, BOOL admin)
{
    LPCWSTR relative = RelativePath(path);
    // An empty path would name the whole root.
    if (m_bReadOnly || !*relative)
        return FALSE;
    return ::RegDeleteTreeW(admin ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, relative) == ERROR_SUCCESS;
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CObject* object)
{
    return object ? Write(name, *object) : FALSE;
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CObject& object)
{
    try {
        CMemFile file(kMemFileGrowBy);
        CArchive ar(&file, CArchive::store, kArchiveBufferSize);
        object.Serialize(ar);
        ar.Close();
        const ULONGLONG length = file.GetLength();
        if (length > MAXDWORD)
            return FALSE;  // a binary value's size is 32 bits
        std::unique_ptr<BYTE, decltype(&std::free)> data(file.Detach(), &std::free);
        return Write(name, data.get(), static_cast<UINT>(length));
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (CArchiveException* e) {
        // An object the archive cannot write (a class without a schema); the
        // toolkit's callers are not prepared for the exception.
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CObList& list)
{
    return Write(name, static_cast<CObject&>(list));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, LPBYTE data, UINT size)
{
    if (!m_hKey || m_bReadOnly || (!data && size))
        return FALSE;
    return ::RegSetValueExW(m_hKey, name, 0, REG_BINARY, data, size) == ERROR_SUCCESS;
}

BOOL CBCGPRegistry::Write(LPCTSTR name, LPPOINT& point)
{
    if (!point)
        return FALSE;
    POINT copy = *point;
    return Write(name, reinterpret_cast<LPBYTE>(&copy), sizeof(copy));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, const CRect& rect)
{
    RECT copy = rect;
    return Write(name, reinterpret_cast<LPBYTE>(&copy), sizeof(copy));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CWordArray& array)
{
    return Write(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CDWordArray& array)
{
    return Write(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CStringArray& array)
{
    return Write(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CByteArray& array)
{
    return Write(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, CStringList& list)
{
    return Write(name, static_cast<CObject&>(list));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, LPCTSTR text)
{
    if (!m_hKey || m_bReadOnly || !text)
        return FALSE;
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

BOOL CBCGPRegistry::Write(LPCTSTR name, double value)
{
    return Write(name, reinterpret_cast<LPBYTE>(&value), sizeof(value));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, int value)
{
    return Write(name, static_cast<DWORD>(value));
}

BOOL CBCGPRegistry::Write(LPCTSTR name, DWORD value)
{
    if (!m_hKey || m_bReadOnly)
        return FALSE;
    return ::RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CObject*& object)
{
    return object ? Read(name, *object) : FALSE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CObject& object)
{
    return LoadThroughArchive(*this, name, [&object](CArchive& ar) { object.Serialize(ar); });
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CObList& list)
{
    return Read(name, static_cast<CObject&>(list));
}

BOOL CBCGPRegistry::Read(LPCTSTR name, BYTE** data, UINT* size)
{
    if (!data || !size || !m_hKey)
        return FALSE;
    return ReadSizedValue(
        [this, name](BYTE* buffer, DWORD& bytes) {
            DWORD type = 0;
            return ::RegQueryValueExW(m_hKey, name, nullptr, &type, buffer, &bytes) == ERROR_SUCCESS &&
                   type == REG_BINARY;
        },
        data, size);
}

BOOL CBCGPRegistry::ReadFixed(LPCTSTR name, void* buffer, UINT size)
{
    BYTE* data = nullptr;
    UINT read = 0;
    if (!Read(name, &data, &read))
        return FALSE;
    std::unique_ptr<BYTE[]> owned(data);
    if (read != size)
        return FALSE;
    std::memcpy(buffer, data, size);
    return TRUE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CRect& rect)
{
    RECT read;
    if (!ReadFixed(name, &read, sizeof(read)))
        return FALSE;
    rect = read;
    return TRUE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, LPPOINT& point)
{
    return point && ReadFixed(name, point, sizeof(POINT));
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CByteArray& array)
{
    return Read(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CWordArray& array)
{
    return Read(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CDWordArray& array)
{
    return Read(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CStringArray& array)
{
    return Read(name, static_cast<CObject&>(array));
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CStringList& list)
{
    // Read into a fresh list first, so a failed read leaves list as it was.
    CStringList loaded;
    if (!Read(name, static_cast<CObject&>(loaded)))
        return FALSE;
    for (POSITION position = loaded.GetHeadPosition(); position;)
        list.AddTail(loaded.GetNext(position));
    return TRUE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, CString& text)
{
    if (!m_hKey)
        return FALSE;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD read = bytes;
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
            ERROR_SUCCESS ||
        read > bytes)
        return FALSE;
    size_t length = read / sizeof(wchar_t);
    while (length > 0 && buffer[length - 1] == L'\0')
        --length;
    text = CString(buffer.data(), static_cast<int>(length));
    return TRUE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, double& value)
{
    double read = 0;
    if (!ReadFixed(name, &read, sizeof(read)))
        return FALSE;
    value = read;
    return TRUE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, DWORD& value)
{
    if (!m_hKey)
        return FALSE;
    DWORD type = 0;
    DWORD read = 0;
    DWORD bytes = sizeof(read);
    if (::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(read))
        return FALSE;
    value = read;
    return TRUE;
}

BOOL CBCGPRegistry::Read(LPCTSTR name, int& value)
{
    DWORD read = static_cast<DWORD>(value);
    if (!Read(name, read))
        return FALSE;
    value = static_cast<int>(read);
    return TRUE;
}

BOOL CBCGPRegistry::ReadSubKeys(CStringArray& subKeys)
{
    return m_hKey && ReadNames(
                         [this](DWORD index, LPWSTR name, LPDWORD length) {
                             return ::RegEnumKeyExW(m_hKey, index, name, length, nullptr, nullptr, nullptr, nullptr);
                         },
                         subKeys);
}

CBCGPRegistrySP::~CBCGPRegistrySP()
{
    delete m_pRegistry;
}

BOOL CBCGPRegistrySP::SetRuntimeClass(CRuntimeClass* registryClass)
{
    if (registryClass &&
        (!registryClass->m_pfnCreateObject || !registryClass->IsDerivedFrom(RUNTIME_CLASS(CBCGPRegistry))))
        return FALSE;
    g_registryClass = registryClass;
    return TRUE;
}

CRuntimeClass* CBCGPRegistrySP::GetRuntimeClass()
{
    return g_registryClass ? g_registryClass : RUNTIME_CLASS(CBCGPRegistry);
}

CBCGPRegistry& CBCGPRegistrySP::Create(BOOL admin, BOOL readOnly)
{
    delete m_pRegistry;
    m_pRegistry = nullptr;
    CObject* made = GetRuntimeClass()->CreateObject();
    m_pRegistry = static_cast<CBCGPRegistry*>(made);
    if (!m_pRegistry)
        m_pRegistry = new CBCGPRegistry;
    m_pRegistry->m_bAdmin = admin;
    m_pRegistry->m_bReadOnly = readOnly;
    return *m_pRegistry;
}
