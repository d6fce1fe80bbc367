#include "settings/ZProfileStore.h"

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "foundation/TessaroInit.h"

namespace {

// Deeper than any real settings tree (the registry stops at 512 levels); a
// store whose keys contain themselves would otherwise copy until the stack
// runs out.
constexpr int kMaxCopyDepth = 512;

// Copies one binary value through a buffer of its size. The buffer is wiped
// before it is freed: binary values often hold protected secrets.
bool CopyBinaryValue(const ZProfileKey& source, ZProfileKey& destination, const wchar_t* name)
{
    DWORD size = 0;
    if (!source.ReadBinary(name, nullptr, size))
        return false;
    // Wiped however the copy ends, an exception from either store included.
    struct WipedBuffer {
        std::vector<BYTE> bytes;
        ~WipedBuffer() { ::SecureZeroMemory(bytes.data(), bytes.size()); }
    } buffer;
    try {
        // One byte at least, so that an empty value is read through a real
        // buffer and not mistaken for another size request.
        buffer.bytes.resize(size ? size : 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD read = size;
    return source.ReadBinary(name, buffer.bytes.data(), read) && read <= size &&
           destination.WriteBinary(name, buffer.bytes.data(), read);
}

bool CopyValue(const ZProfileKey& source, ZProfileKey& destination, const wchar_t* name, DWORD type)
{
    switch (type) {
    case ZProfileValueDword: {
        DWORD value = 0;
        return source.ReadDword(name, value) && destination.WriteDword(name, value);
    }
    case ZProfileValueString: {
        ZUnicodeString value;
        return source.ReadString(name, value) && destination.WriteString(name, value.c_str());
    }
    case ZProfileValueBinary:
        return CopyBinaryValue(source, destination, name);
    case ZProfileValueStringArray: {
        ZStringArray value;
        return source.ReadStringArray(name, value) && destination.WriteStringArray(name, value);
    }
    default:
        return false;
    }
}

}  // namespace

// ZProfileKey

ZProfileKey::ZProfileKey(const ZProfileKey& parent, const wchar_t* name, int flags)
    : m_impl(parent.m_impl ? parent.m_impl->OpenKey(name, 0, flags) : nullptr)
{
}

ZProfileKey::ZProfileKey(IProfileStoreImpl* store, bool openRootKeyFlag)
    : m_impl(store ? store->OpenRootKey(openRootKeyFlag) : nullptr)
{
}

ZProfileKey::~ZProfileKey() = default;

bool ZProfileKey::ReadDword(const wchar_t* name, DWORD& value) const
{
    return m_impl && m_impl->ReadDword(name, value);
}

bool ZProfileKey::ReadString(const wchar_t* name, ZUnicodeString& value) const
{
    return m_impl && m_impl->ReadString(name, value);
}

bool ZProfileKey::ReadBinary(const wchar_t* name, void* buffer, DWORD& size) const
{
    if (!m_impl)
        return false;
    UINT64 wide = size;
    if (!m_impl->ReadBinary(name, buffer, wide))
        return false;
    if (wide > MAXDWORD)
        return false;
    size = static_cast<DWORD>(wide);
    return true;
}

bool ZProfileKey::ReadStringArray(const wchar_t* name, ZStringArray& value) const
{
    return m_impl && m_impl->ReadStringArray(name, value);
}

bool ZProfileKey::WriteDword(const wchar_t* name, DWORD value)
{
    return m_impl && m_impl->WriteDword(name, value);
}

bool ZProfileKey::WriteString(const wchar_t* name, const wchar_t* value)
{
    return m_impl && m_impl->WriteString(name, value);
}

bool ZProfileKey::WriteBinary(const wchar_t* name, const void* data, DWORD size)
{
    return m_impl && m_impl->WriteBinary(name, data, size);
}

bool ZProfileKey::WriteStringArray(const wchar_t* name, const ZStringArray& value)
{
    return m_impl && m_impl->WriteStringArray(name, value);
}

bool ZProfileKey::CopyFrom(const ZProfileKey& source)
{
    return CopyFrom(source, 0);
}

bool ZProfileKey::CopyFrom(const ZProfileKey& source, int depth)
{
    if (!m_impl || !source.m_impl || depth >= kMaxCopyDepth)
        return false;

    ZUnicodeString name;
    {
        ZProfileKeyIterator values(source, true);
        DWORD type = 0;
        while (values.NextValue(name, type)) {
            if (!CopyValue(source, *this, name.c_str(), type))
                return false;
        }
    }

    ZProfileKeyIterator keys(source, false);
    while (keys.NextKey(name)) {
        ZProfileKey sourceChild(source, name.c_str(), 0);
        ZProfileKey destinationChild(*this, name.c_str(), 0);
        if (!destinationChild.CopyFrom(sourceChild, depth + 1))
            return false;
    }
    return true;
}

// ZProfileStore

ZProfileStore::ZProfileStore(ZProfileStoreFactory* factory)
{
    if (ZProfileStoreFactory* chosen = factory ? factory : Tessaro::GetProfileStoreFactory())
        m_impl.reset(chosen->CreateStore());
    m_root.reset(new ZProfileKey(m_impl.get(), m_openRootKeyFlag));
}

// The members' order destroys the implementation before the root key.
ZProfileStore::~ZProfileStore() = default;

// ZProfileKeyIterator

ZProfileKeyIterator::ZProfileKeyIterator(const ZProfileKey& key, bool values)
    : m_impl(key.GetImpl() ? key.GetImpl()->CreateIterator(values) : nullptr)
{
}

ZProfileKeyIterator::~ZProfileKeyIterator() = default;

bool ZProfileKeyIterator::NextValue(ZUnicodeString& name, DWORD& type)
{
    return m_impl && m_impl->NextValue(name, type);
}

bool ZProfileKeyIterator::NextKey(ZUnicodeString& name)
{
    return m_impl && m_impl->NextKey(name);
}
