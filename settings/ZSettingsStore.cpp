#include "settings/ZSettingsStore.h"

#include <cwctype>

#include "net/ZCriticalSection.h"
#include "net/ZSynchObjectLock.h"
#include "settings/ZProfileStore.h"

IMPLEMENT_DYNCREATE(ZSettingsStore, CBCGPRegistry)

const wchar_t INI_FILE_POSTFIX[] = L"MenuToolbarV3";
const wchar_t INI_FILE_POSTFIX_DEPRECATED[] = L"MenuToolbar";
const wchar_t INI_FILE_POSTFIX_DEPRECATED_V2[] = L"MenuToolbarV2";
const wchar_t XML_FILENAME[] = L"MenuToolbar";

std::unique_ptr<ZProfileKey> ZSettingsStore::m_pKey;
DWORD ZSettingsStore::m_dwReleaseMenuBarVersion = 0;
DWORD ZSettingsStore::m_dwReleaseToolBarVersion = 0;
DWORD ZSettingsStore::m_dwLoadedMenuBarVersion = 0;
DWORD ZSettingsStore::m_dwLoadedToolBarVersion = 0;
bool ZSettingsStore::m_bIsCurrentToolbarCustomized = false;
int ZSettingsStore::m_iToolBarsToLoad = 0;
ZUnicodeString ZSettingsStore::m_szAppName;
ZUnicodeString ZSettingsStore::m_szAppConfigPath;

namespace {

constexpr wchar_t kMenuBarVersion[] = L"MenuBar-Version";
constexpr wchar_t kToolBarVersion[] = L"ToolBar-Version";
constexpr wchar_t kToolBarIsCustom[] = L"ToolBar-IsCustom";
constexpr wchar_t kFrameworkVersionKey[] = L"\\BCGControlBarVersion";
constexpr wchar_t kOtherAppName[] = L"KLTX";
constexpr wchar_t kOtherAppSibling[] = L"QMF";
constexpr int kToolBarMatches = 2;
constexpr int kMenuBarMatches = 4;

// Made while the library loads and kept for the life of the process, so no
// toolkit object ever finds it gone.
ISynchObject* const g_storeLock = new ZCriticalSection;

// The configuration folder and a file name with exactly one backslash between.
ZUnicodeString InConfigFolder(const ZUnicodeString& folder, const ZUnicodeString& fileName)
{
    if (folder.empty())
        return fileName;
    if (folder[folder.length() - 1] == L'\\')
        return folder + fileName;
    return folder + L"\\" + fileName;
}

bool FileExists(const ZUnicodeString& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One field of a rectangle text: blanks, an optional sign, at least one digit;
// whatever follows the digits is ignored. False for no digits or a number
// outside 32 bits.
bool ParseCoordinate(const wchar_t* begin, const wchar_t* end, LONG& value)
{
    const wchar_t* p = begin;
    while (p < end && std::iswspace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == L'-' || *p == L'+'))
        negative = *p++ == L'-';
    if (p == end || *p < L'0' || *p > L'9')
        return false;
    long long number = 0;
    for (; p < end && *p >= L'0' && *p <= L'9'; ++p) {
        number = number * 10 + (*p - L'0');
        if (number > 0x80000000LL)
            return false;
    }
    if (negative)
        number = -number;
    if (number > 0x7FFFFFFFLL || number < -0x80000000LL)
        return false;
    value = static_cast<LONG>(number);
    return true;
}

}  // namespace

ZSettingsStore::ZSettingsStore() = default;

ZSettingsStore::~ZSettingsStore() = default;

bool ZSettingsStore::OpenWorkingKey()
{
    if (m_pKey)
        return false;
    ZProfileStore store;
    // The key outlives the store it was opened from.
    m_pKey = std::make_unique<ZProfileKey>(*store.GetRootKey(), GetIniFilename().c_str());
    return true;
}

void ZSettingsStore::CheckVersions()
{
    DWORD menuBar = 0;
    DWORD toolBar = 0;
    m_pKey->ReadDword(kMenuBarVersion, menuBar);
    m_pKey->ReadDword(kToolBarVersion, toolBar);
    m_dwLoadedMenuBarVersion = menuBar;
    m_dwLoadedToolBarVersion = toolBar;

    DWORD customized = 0;
    m_pKey->ReadDword(kToolBarIsCustom, customized);
    if (toolBar == m_dwReleaseToolBarVersion) {
        if (customized)
            m_iToolBarsToLoad |= kToolBarMatches;
    } else if (customized) {
        // The customisation belongs to a toolbar this build replaces: remember
        // that for the host and stop calling it the user's.
        m_bIsCurrentToolbarCustomized = true;
        m_pKey->WriteDword(kToolBarIsCustom, 0);
    }
    if (menuBar == m_dwReleaseMenuBarVersion)
        m_iToolBarsToLoad |= kMenuBarMatches;
}

ZUnicodeString ZSettingsStore::ValueName(LPCTSTR name) const
{
    return m_szKeyName + L"-" + (name ? name : L"");
}

BOOL ZSettingsStore::CreateKey(LPCTSTR path)
{
    if (m_bHasKey || !path)
        return FALSE;
    const wchar_t* last = wcsrchr(path, L'\\');
    m_szKeyName = last ? last + 1 : path;
    m_bHasKey = true;

    ZSynchObjectLock lock(g_storeLock);
    if (OpenWorkingKey())
        CheckVersions();
    return TRUE;
}

BOOL ZSettingsStore::Open(LPCTSTR path)
{
    return CreateKey(path);
}

void ZSettingsStore::Close()
{
}

BOOL ZSettingsStore::DeleteValue(LPCTSTR)
{
    return FALSE;
}

BOOL ZSettingsStore::DeleteKey(LPCTSTR path, BOOL admin)
{
    ZUnicodeString message;
    message.Format(L"Ignoring ZSettingsStore::DeleteKey: %1, %2!d!\n", path ? path : L"", admin);
    TRACE(L"%ls", message.c_str());
    return FALSE;
}

// The toolkit's own object and number forms already end in the byte and
// DWORD operations below, which reach the working key.
BOOL ZSettingsStore::Write(LPCTSTR name, CObject* object)
{
    return CBCGPRegistry::Write(name, object);
}

BOOL ZSettingsStore::Write(LPCTSTR name, CObject& object)
{
    return CBCGPRegistry::Write(name, object);
}

BOOL ZSettingsStore::Write(LPCTSTR name, LPBYTE data, UINT size)
{
    if (!data && size)
        return FALSE;
    ZSynchObjectLock lock(g_storeLock);
    return m_pKey && m_pKey->WriteBinary(ValueName(name).c_str(), data, size);
}

BOOL ZSettingsStore::Write(LPCTSTR name, const CRect& rect)
{
    ZUnicodeString text;
    if (!text.Format(L"%1!d!, %2!d!, %3!d!, %4!d!", rect.bottom, rect.right, rect.top, rect.left))
        return FALSE;
    return Write(name, text.c_str());
}

BOOL ZSettingsStore::Write(LPCTSTR name, LPCTSTR text)
{
    if (!text)
        return FALSE;
    ZSynchObjectLock lock(g_storeLock);
    return m_pKey && m_pKey->WriteString(ValueName(name).c_str(), text);
}

BOOL ZSettingsStore::Write(LPCTSTR name, int value)
{
    return CBCGPRegistry::Write(name, value);
}

BOOL ZSettingsStore::Write(LPCTSTR name, DWORD value)
{
    ZSynchObjectLock lock(g_storeLock);
    return m_pKey && m_pKey->WriteDword(ValueName(name).c_str(), value);
}

BOOL ZSettingsStore::Read(LPCTSTR name, CObject*& object)
{
    return CBCGPRegistry::Read(name, object);
}

BOOL ZSettingsStore::Read(LPCTSTR name, CObject& object)
{
    return CBCGPRegistry::Read(name, object);
}

BOOL ZSettingsStore::Read(LPCTSTR name, BYTE** data, UINT* size)
{
    if (!data || !size)
        return FALSE;
    const ZUnicodeString valueName = ValueName(name);
    ZSynchObjectLock lock(g_storeLock);
    if (!m_pKey)
        return FALSE;
    return ReadSizedValue(
        [&valueName](BYTE* buffer, DWORD& bytes) { return m_pKey->ReadBinary(valueName.c_str(), buffer, bytes); },
        data, size);
}

BOOL ZSettingsStore::Read(LPCTSTR name, CRect& rect)
{
    CString text;
    if (!Read(name, text) || text.IsEmpty())
        return FALSE;
    // Fields in the order written: bottom, right, top, left. Fields past the
    // fourth are ignored; fewer than four, or one without a number, fail.
    LONG fields[4] = {};
    const wchar_t* p = text.GetString();
    const wchar_t* const end = p + text.GetLength();
    for (LONG& field : fields) {
        if (p > end)
            return FALSE;
        const wchar_t* comma = p;
        while (comma < end && *comma != L',')
            ++comma;
        if (!ParseCoordinate(p, comma, field))
            return FALSE;
        p = comma + 1;
    }
    rect.bottom = fields[0];
    rect.right = fields[1];
    rect.top = fields[2];
    rect.left = fields[3];
    return TRUE;
}

BOOL ZSettingsStore::Read(LPCTSTR name, CString& text)
{
    ZUnicodeString value;
    {
        ZSynchObjectLock lock(g_storeLock);
        if (!m_pKey || !m_pKey->ReadString(ValueName(name).c_str(), value))
            return FALSE;
    }
    if (value.length() > 0x7FFFFFFF)
        return FALSE;  // longer than a CString can hold
    text = CString(value.c_str(), static_cast<int>(value.length()));
    return TRUE;
}

BOOL ZSettingsStore::Read(LPCTSTR name, DWORD& value)
{
    DWORD read = value;
    ZSynchObjectLock lock(g_storeLock);
    if (!m_pKey || !m_pKey->ReadDword(ValueName(name).c_str(), read))
        return FALSE;
    value = read;
    return TRUE;
}

BOOL ZSettingsStore::Read(LPCTSTR name, int& value)
{
    return CBCGPRegistry::Read(name, value);
}

void ZSettingsStore::SetAppName(LPCTSTR name)
{
    m_szAppName = name ? name : L"";
}

void ZSettingsStore::SetAppConfigPath(LPCTSTR path)
{
    m_szAppConfigPath = path ? path : L"";
}

void ZSettingsStore::SetMenuBarVersion(DWORD version)
{
    m_dwReleaseMenuBarVersion = version;
}

void ZSettingsStore::SetToolBarVersion(DWORD version)
{
    m_dwReleaseToolBarVersion = version;
}

bool ZSettingsStore::StoreMenuBarVersion()
{
    ZSynchObjectLock lock(g_storeLock);
    return m_pKey && m_pKey->WriteDword(kMenuBarVersion, m_dwReleaseMenuBarVersion);
}

bool ZSettingsStore::StoreToolBarVersion()
{
    ZSynchObjectLock lock(g_storeLock);
    return m_pKey && m_pKey->WriteDword(kToolBarVersion, m_dwReleaseToolBarVersion);
}

bool ZSettingsStore::MenuReleaseVersionGreaterThanLoadedVersion()
{
    return m_dwReleaseMenuBarVersion > m_dwLoadedMenuBarVersion;
}

bool ZSettingsStore::ToolBarReleaseVersionGreaterThanLoadedVersion()
{
    return m_dwReleaseToolBarVersion > m_dwLoadedToolBarVersion;
}

bool ZSettingsStore::IsToolBarCustomized()
{
    DWORD customized = 0;
    ZSynchObjectLock lock(g_storeLock);
    if (m_pKey)
        m_pKey->ReadDword(kToolBarIsCustom, customized);
    return customized != 0;
}

bool ZSettingsStore::SetToolBarCustomized(bool customized)
{
    ZSynchObjectLock lock(g_storeLock);
    return m_pKey && m_pKey->WriteDword(kToolBarIsCustom, customized ? 1 : 0);
}

int ZSettingsStore::FindToolBarsToLoad()
{
    return m_iToolBarsToLoad;
}

void ZSettingsStore::StoreFrameworkVersion(int major, int minor)
{
    ZSettingsStore store;
    if (!store.CreateKey(kFrameworkVersionKey))
        return;
    store.Write(L"Major", major);
    store.Write(L"Minor", minor);
}

bool ZSettingsStore::LoadFrameworkVersion(int& major, int& minor)
{
    ZSettingsStore store;
    if (store.CreateKey(kFrameworkVersionKey)) {
        store.Read(L"Major", major);
        store.Read(L"Minor", minor);
    }
    return true;
}

// Both hold the lock for the whole copy, so a CleanUp on another thread
// cannot free the working key while it is read or written.
bool ZSettingsStore::Load(const ZProfileKey& from)
{
    ZProfileKey source(from, GetIniFilename().c_str());
    ZSynchObjectLock lock(g_storeLock);
    OpenWorkingKey();
    return m_pKey->CopyFrom(source);
}

bool ZSettingsStore::Save(const ZProfileKey& to)
{
    ZProfileKey destination(to, GetIniFilename().c_str());
    ZSynchObjectLock lock(g_storeLock);
    OpenWorkingKey();
    return destination.CopyFrom(*m_pKey);
}

void ZSettingsStore::CleanUp()
{
    ZSynchObjectLock lock(g_storeLock);
    m_pKey.reset();
}

ZUnicodeString ZSettingsStore::GetIniFilename()
{
    return m_szAppName + INI_FILE_POSTFIX;
}

ZUnicodeString ZSettingsStore::GetDeprecatedIniFilename()
{
    return m_szAppName + INI_FILE_POSTFIX_DEPRECATED;
}

ZUnicodeString ZSettingsStore::GetDeprecatedIniFilenameV2()
{
    return m_szAppName + INI_FILE_POSTFIX_DEPRECATED_V2;
}

ZUnicodeString ZSettingsStore::GetOtherIniFilename()
{
    const wchar_t* other = m_szAppName == kOtherAppName ? kOtherAppSibling : kOtherAppName;
    return ZUnicodeString(other) + INI_FILE_POSTFIX;
}

ZUnicodeString ZSettingsStore::GetXmlFilePath()
{
    return InConfigFolder(m_szAppConfigPath, m_szAppName + XML_FILENAME + L".xml");
}

bool ZSettingsStore::HasDeprecatedCustomizeConfig()
{
    return FileExists(InConfigFolder(m_szAppConfigPath, GetDeprecatedIniFilename() + L".ini"));
}

bool ZSettingsStore::HasDeprecatedCustomizeConfigV2()
{
    return FileExists(InConfigFolder(m_szAppConfigPath, GetDeprecatedIniFilenameV2() + L".ini"));
}

bool ZSettingsStore::HasRecentCustomizeConfig()
{
    return FileExists(InConfigFolder(m_szAppConfigPath, GetIniFilename() + L".ini"));
}

bool ZSettingsStore::HasXmlCustomizeConfig()
{
    return FileExists(GetXmlFilePath());
}

bool ZSettingsStore::HasIncompatibleCustomizeConfig()
{
    if (HasRecentCustomizeConfig())
        return m_bIsCurrentToolbarCustomized;
    if (!HasDeprecatedCustomizeConfigV2())
        return false;
    ZSynchObjectLock lock(g_storeLock);
    ZProfileStore store;
    ZProfileKey older(*store.GetRootKey(), GetDeprecatedIniFilenameV2().c_str());
    DWORD customized = 0;
    return older.ReadDword(kToolBarIsCustom, customized) && customized != 0;
}
