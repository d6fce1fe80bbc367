#include "afx.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr UINT kVersionableSchema = 0x80000000;
// Longer class names are refused on loading, so a corrupt length cannot ask
// for a large allocation.
constexpr WORD kMaxClassNameLength = 64;
constexpr UINT kMinBufferSize = 128;

}  // namespace

void AFXAPI AfxThrowMemoryException()
{
    throw new CMemoryException;
}

void AFXAPI AfxThrowArchiveException(int cause, LPCWSTR archiveName)
{
    throw new CArchiveException(cause, archiveName);
}

void CObject::Serialize(CArchive&)
{
}

BOOL CObject::IsSerializable() const
{
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void* buffer)
    : m_pFile(file), m_nMode(mode), m_nBufSize(std::max<UINT>(static_cast<UINT>(std::max(bufferSize, 0)), kMinBufferSize)),
      m_bUserBuf(buffer != nullptr)
{
    ASSERT(file != nullptr);
    if (buffer && static_cast<UINT>(std::max(bufferSize, 0)) < kMinBufferSize) {
        // A caller's buffer below the minimum is not used; ours is.
        buffer = nullptr;
        m_bUserBuf = false;
    }
    m_lpBufStart = buffer ? static_cast<BYTE*>(buffer) : new (std::nothrow) BYTE[m_nBufSize];
    if (!m_lpBufStart)
        AfxThrowMemoryException();
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
    m_loadArray.push_back({nullptr, false});  // index 0 is the null reference
}

CArchive::~CArchive()
{
    if (m_pFile && !(m_nMode & bNoFlushOnDelete)) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        }
    }
    Abort();
    if (!m_bUserBuf)
        delete[] m_lpBufStart;
}

void CArchive::CheckLoading() const
{
    if (!IsLoading())
        AfxThrowArchiveException(CArchiveException::writeOnly);
    if (!m_pFile)
        AfxThrowArchiveException(CArchiveException::genericException);
}

void CArchive::CheckStoring() const
{
    if (!IsStoring())
        AfxThrowArchiveException(CArchiveException::readOnly);
    if (!m_pFile)
        AfxThrowArchiveException(CArchiveException::genericException);
}

void CArchive::Flush()
{
    if (!m_pFile)
        return;
    if (IsStoring()) {
        if (m_lpBufCur != m_lpBufStart)
            m_pFile->Write(m_lpBufStart, static_cast<UINT>(m_lpBufCur - m_lpBufStart));
        m_lpBufCur = m_lpBufStart;
    } else if (m_lpBufCur != m_lpBufMax) {
        // Hand the unread bytes back to the file, so its position is where
        // reading stopped.
        m_pFile->Seek(-static_cast<LONGLONG>(m_lpBufMax - m_lpBufCur), CFile::current);
        m_lpBufCur = m_lpBufMax = m_lpBufStart;
        m_bEndOfFile = false;
    }
}

void CArchive::Close()
{
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_pFile = nullptr;
}

void CArchive::FillBuffer()
{
    m_lpBufCur = m_lpBufMax = m_lpBufStart;
    if (m_bEndOfFile)
        return;
    const UINT read = m_pFile->Read(m_lpBufStart, m_nBufSize);
    if (read == 0)
        m_bEndOfFile = true;
    m_lpBufMax = m_lpBufStart + read;
}

UINT CArchive::Read(void* buffer, UINT count)
{
    CheckLoading();
    BYTE* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_lpBufCur == m_lpBufMax) {
            FillBuffer();
            if (m_lpBufCur == m_lpBufMax)
                break;
        }
        const UINT chunk = std::min<UINT>(count - done, static_cast<UINT>(m_lpBufMax - m_lpBufCur));
        std::memcpy(out + done, m_lpBufCur, chunk);
        m_lpBufCur += chunk;
        done += chunk;
    }
    return done;
}

void CArchive::ReadExactly(void* buffer, UINT count)
{
    if (Read(buffer, count) != count)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

void CArchive::Write(const void* buffer, UINT count)
{
    CheckStoring();
    const BYTE* in = static_cast<const BYTE*>(buffer);
    while (count > 0) {
        if (m_lpBufCur == m_lpBufMax)
            Flush();
        const UINT chunk = std::min<UINT>(count, static_cast<UINT>(m_lpBufMax - m_lpBufCur));
        std::memcpy(m_lpBufCur, in, chunk);
        m_lpBufCur += chunk;
        in += chunk;
        count -= chunk;
    }
}

void CArchive::EnsureAvailable(ULONGLONG count)
{
    CheckLoading();
    const ULONGLONG buffered = static_cast<ULONGLONG>(m_lpBufMax - m_lpBufCur);
    if (count <= buffered)
        return;
    const ULONGLONG length = m_pFile->GetLength();
    const ULONGLONG position = m_pFile->GetPosition();
    const ULONGLONG inFile = length > position ? length - position : 0;
    if (count - buffered > inFile)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

void CArchive::WriteCount(DWORD_PTR count)
{
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (count < 0xFFFFFFFF) {
        *this << static_cast<DWORD>(count);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(count);
}

DWORD_PTR CArchive::ReadCount()
{
    WORD small = 0;
    *this >> small;
    if (small != 0xFFFF)
        return small;
    DWORD medium = 0;
    *this >> medium;
    if (medium != 0xFFFFFFFF)
        return medium;
    ULONGLONG large = 0;
    *this >> large;
    return static_cast<DWORD_PTR>(large);
}

void CArchive::WriteString(LPCWSTR text)
{
    if (text)
        Write(text, static_cast<UINT>(std::wcslen(text) * sizeof(wchar_t)));
}

CArchive& CArchive::operator<<(const CStringW& text)
{
    // 0xFF 0xFFFE marks UTF-16 text; the length follows in the shortest form.
    *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
    const ULONGLONG length = static_cast<ULONGLONG>(text.GetLength());
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    }
    Write(text.GetString(), static_cast<UINT>(length * sizeof(wchar_t)));
    return *this;
}

CArchive& CArchive::operator>>(bool& value)
{
    BYTE read = 0;
    *this >> read;
    value = read != 0;
    return *this;
}

CArchive& CArchive::operator>>(CStringW& text)
{
    UINT charSize = 1;
    ULONGLONG length = 0;
    for (;;) {
        BYTE first = 0;
        *this >> first;
        if (first < 0xFF) {
            length = first;
            break;
        }
        WORD second = 0;
        *this >> second;
        if (second == 0xFFFE) {
            if (charSize == 2)  // the marker twice is not a string
                AfxThrowArchiveException(CArchiveException::genericException);
            charSize = 2;
            continue;
        }
        if (second < 0xFFFF) {
            length = second;
            break;
        }
        DWORD third = 0;
        *this >> third;
        if (third < 0xFFFFFFFF) {
            length = third;
            break;
        }
        *this >> length;
        break;
    }
    if (length > 0x7FFFFFFF / charSize)
        AfxThrowArchiveException(CArchiveException::genericException);
    EnsureAvailable(length * charSize);

    CStringW result;
    if (charSize == 2) {
        LPWSTR buffer = result.GetBuffer(static_cast<int>(length));
        ReadExactly(buffer, static_cast<UINT>(length * sizeof(wchar_t)));
        result.ReleaseBuffer(static_cast<int>(length));
    } else if (length > 0) {
        std::vector<char> narrow(static_cast<size_t>(length));
        ReadExactly(narrow.data(), static_cast<UINT>(length));
        const int wide = ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(length), nullptr, 0);
        LPWSTR buffer = result.GetBuffer(wide);
        ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(length), buffer, wide);
        result.ReleaseBuffer(wide);
    }
    text = result;
    return *this;
}

void CArchive::WriteClass(const CRuntimeClass* classInfo)
{
    ASSERT(classInfo != nullptr);
    CheckStoring();
    if (classInfo->m_wSchema == 0xFFFF)  // not DECLARE_SERIAL: it could not be read back
        AfxThrowArchiveException(CArchiveException::badClass);
    auto found = m_storeMap.find(classInfo);
    if (found != m_storeMap.end()) {
        if (found->second < kBigObjectTag)
            *this << static_cast<WORD>(kClassTag | found->second);
        else
            *this << kBigObjectTag << (kBigClassTag | found->second);
        return;
    }
    if (m_storeMap.size() + 1 > kMaxMapCount)
        AfxThrowArchiveException(CArchiveException::badIndex);
    const size_t nameLength = std::strlen(classInfo->m_lpszClassName);
    *this << kNewClassTag << static_cast<WORD>(classInfo->m_wSchema) << static_cast<WORD>(nameLength);
    Write(classInfo->m_lpszClassName, static_cast<UINT>(nameLength));
    const DWORD index = static_cast<DWORD>(m_storeMap.size() + 1);
    m_storeMap[classInfo] = index;
}

void CArchive::WriteObject(const CObject* object)
{
    CheckStoring();
    if (!object) {
        *this << kNullTag;
        return;
    }
    auto found = m_storeMap.find(object);
    if (found != m_storeMap.end()) {
        if (found->second < kBigObjectTag)
            *this << static_cast<WORD>(found->second);
        else
            *this << kBigObjectTag << found->second;
        return;
    }
    WriteClass(object->GetRuntimeClass());
    const DWORD index = static_cast<DWORD>(m_storeMap.size() + 1);
    m_storeMap[object] = index;
    const_cast<CObject*>(object)->Serialize(*this);
}

// Reads what follows a class tag (new class: schema and name; earlier class:
// its index) and returns the class. index holds the DWORD that followed a
// big-object tag.
CRuntimeClass* CArchive::LoadClassAfterTag(WORD tag, DWORD index, UINT* schema)
{
    if (tag == kNewClassTag) {
        WORD classSchema = 0;
        WORD nameLength = 0;
        *this >> classSchema >> nameLength;
        if (nameLength == 0 || nameLength >= kMaxClassNameLength)
            AfxThrowArchiveException(CArchiveException::badClass);
        char name[kMaxClassNameLength] = {};
        ReadExactly(name, nameLength);
        CRuntimeClass* classInfo = CRuntimeClass::FromName(name);
        if (!classInfo || !classInfo->m_pfnCreateObject)
            AfxThrowArchiveException(CArchiveException::badClass);
        if (!(classInfo->m_wSchema & kVersionableSchema) && classInfo->m_wSchema != classSchema)
            AfxThrowArchiveException(CArchiveException::badSchema);
        if (m_loadArray.size() > kMaxMapCount)
            AfxThrowArchiveException(CArchiveException::badIndex);
        m_loadArray.push_back({classInfo, true});
        if (schema)
            *schema = classSchema;
        return classInfo;
    }
    index = (tag == kBigObjectTag) ? (index & ~kBigClassTag) : static_cast<DWORD>(tag & ~kClassTag);
    if (index == 0 || index >= m_loadArray.size() || !m_loadArray[index].isClass)
        AfxThrowArchiveException(CArchiveException::badIndex);
    CRuntimeClass* classInfo = static_cast<CRuntimeClass*>(const_cast<void*>(m_loadArray[index].pointer));
    if (schema)
        *schema = classInfo->m_wSchema;
    return classInfo;
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, UINT* schema)
{
    CheckLoading();
    WORD tag = 0;
    *this >> tag;
    DWORD index = 0;
    if (tag == kBigObjectTag)
        *this >> index;
    const bool isClass = tag == kNewClassTag || (tag == kBigObjectTag ? (index & kBigClassTag) != 0 : (tag & kClassTag) != 0);
    if (!isClass)
        AfxThrowArchiveException(CArchiveException::badClass);  // an object where a class belongs
    CRuntimeClass* classInfo = LoadClassAfterTag(tag, index, schema);
    if (requested && !classInfo->IsDerivedFrom(requested))
        AfxThrowArchiveException(CArchiveException::badClass);
    return classInfo;
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested)
{
    CheckLoading();
    WORD tag = 0;
    *this >> tag;
    if (tag == kNullTag)
        return nullptr;

    DWORD index = tag;
    if (tag == kBigObjectTag)
        *this >> index;
    const bool isClass = tag == kNewClassTag || (tag == kBigObjectTag ? (index & kBigClassTag) != 0 : (tag & kClassTag) != 0);
    if (!isClass) {
        // A reference to an object read earlier.
        if (index >= m_loadArray.size() || m_loadArray[index].isClass || !m_loadArray[index].pointer)
            AfxThrowArchiveException(CArchiveException::badIndex);
        CObject* object = static_cast<CObject*>(const_cast<void*>(m_loadArray[index].pointer));
        if (requested && !object->IsKindOf(requested))
            AfxThrowArchiveException(CArchiveException::badClass);
        return object;
    }

    CRuntimeClass* classInfo = LoadClassAfterTag(tag, index, nullptr);
    if (requested && !classInfo->IsDerivedFrom(requested))
        AfxThrowArchiveException(CArchiveException::badClass);
    std::unique_ptr<CObject> object(classInfo->CreateObject());
    if (!object)
        AfxThrowMemoryException();
    const size_t slot = m_loadArray.size();
    m_loadArray.push_back({object.get(), false});
    try {
        object->Serialize(*this);
    } catch (...) {
        // The archive is unusable after a failed load; the half-read object goes.
        m_loadArray[slot].pointer = nullptr;
        throw;
    }
    return object.release();
}
