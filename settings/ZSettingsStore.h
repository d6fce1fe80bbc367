// ZSettingsStore: the toolkit's registry class redirected into the host's
// profile store, for toolbar, menu bar and docking customisations.
//
// The host sets the application name, configuration folder and this build's
// layout versions, then hands RUNTIME_CLASS(ZSettingsStore) to the toolkit
// (CBCGPRegistrySP::SetRuntimeClass), which creates one object per key it
// opens. Every key is flattened into one working key, the application name
// followed by "MenuToolbarV3", directly under the store's root; a value is
// stored there as the last component of the object's key path, "-" and the
// value name ('Workspace-Size'). The first CreateKey of the process opens the
// working key and compares the stored layout versions with this build's; the
// results stay for the life of the process. At shut-down the host calls
// CleanUp while its store still exists (a working key left open is deleted
// when the library unloads).
//
// Reads fail, leaving the caller's variable as it was, when the value is
// missing or unusable; writes return what the store reports. Access to the
// working key is serialised by one process-wide lock.
#pragma once

#include <BCGPRegistry.h>

#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class ZProfileKey;

// Suffixes of the customisation files and keys; each follows the application name.
extern TESSARO_API const wchar_t INI_FILE_POSTFIX[];             // "MenuToolbarV3", the current layout
extern TESSARO_API const wchar_t INI_FILE_POSTFIX_DEPRECATED[];  // "MenuToolbar", the first layout
extern TESSARO_API const wchar_t INI_FILE_POSTFIX_DEPRECATED_V2[];  // "MenuToolbarV2"
extern TESSARO_API const wchar_t XML_FILENAME[];                 // "MenuToolbar", the older XML file

class TESSARO_API ZSettingsStore : public CBCGPRegistry {
    DECLARE_DYNCREATE(ZSettingsStore)

public:
    ZSettingsStore();
    ~ZSettingsStore() override;

    using CBCGPRegistry::Read;
    using CBCGPRegistry::Write;

    // Takes the text after the last backslash of path as this object's key
    // name; fails on an object that already has one. The first call of the
    // process opens the working key and runs the version check.
    BOOL CreateKey(LPCTSTR path) override;
    BOOL Open(LPCTSTR path) override;
    void Close() override;
    // Customisations are never deleted through the toolkit: both refuse (0).
    BOOL DeleteValue(LPCTSTR name) override;
    BOOL DeleteKey(LPCTSTR path, BOOL admin = FALSE) override;

    // The object's bytes as written by its Serialize; 0 when memory runs out
    // or the archive cannot write the object. Other exceptions pass on.
    BOOL Write(LPCTSTR name, CObject* object) override;
    BOOL Write(LPCTSTR name, CObject& object) override;
    BOOL Write(LPCTSTR name, LPBYTE data, UINT size) override;
    // As the text "bottom, right, top, left".
    BOOL Write(LPCTSTR name, const CRect& rect) override;
    BOOL Write(LPCTSTR name, LPCTSTR text) override;
    BOOL Write(LPCTSTR name, int value) override;
    BOOL Write(LPCTSTR name, DWORD value) override;

    BOOL Read(LPCTSTR name, CObject*& object) override;
    // 0 when the value is missing or its bytes do not load.
    BOOL Read(LPCTSTR name, CObject& object) override;
    // *data: a new array (free with delete[]) of *size bytes; a missing or
    // empty value fails and allocates nothing.
    BOOL Read(LPCTSTR name, BYTE** data, UINT* size) override;
    // Needs four numeric fields; otherwise fails with rect unchanged.
    BOOL Read(LPCTSTR name, CRect& rect) override;
    BOOL Read(LPCTSTR name, CString& text) override;
    BOOL Read(LPCTSTR name, DWORD& value) override;
    BOOL Read(LPCTSTR name, int& value) override;

    static void SetAppName(LPCTSTR name);
    static void SetAppConfigPath(LPCTSTR path);
    static void SetMenuBarVersion(DWORD version);
    static void SetToolBarVersion(DWORD version);
    // Write this build's versions into the working key; false when it is not
    // open yet or the store refuses.
    static bool StoreMenuBarVersion();
    static bool StoreToolBarVersion();
    static bool MenuReleaseVersionGreaterThanLoadedVersion();
    static bool ToolBarReleaseVersionGreaterThanLoadedVersion();
    static bool IsToolBarCustomized();
    static bool SetToolBarCustomized(bool customized);
    // Bit 2: the stored toolbar matches this build and is customised; bit 4:
    // the stored menu bar matches this build.
    static int FindToolBarsToLoad();

    static void StoreFrameworkVersion(int major, int minor);
    // Each variable is unchanged when nothing is stored; always true.
    static bool LoadFrameworkVersion(int& major, int& minor);

    // Copy the working key's tree from / to the child of that name under the
    // given key; each returns the copy's result.
    static bool Load(const ZProfileKey& from);
    static bool Save(const ZProfileKey& to);
    static void CleanUp();

    // File names without extension, and the XML file's full path.
    static ZUnicodeString GetIniFilename();
    static ZUnicodeString GetDeprecatedIniFilename();
    static ZUnicodeString GetDeprecatedIniFilenameV2();
    static ZUnicodeString GetOtherIniFilename();
    static ZUnicodeString GetXmlFilePath();

    // Whether each file exists in the configuration folder.
    static bool HasDeprecatedCustomizeConfig();
    static bool HasDeprecatedCustomizeConfigV2();
    static bool HasRecentCustomizeConfig();
    static bool HasXmlCustomizeConfig();
    // The user had customised a toolbar layout that this build replaces.
    static bool HasIncompatibleCustomizeConfig();

protected:
    // The working key; null until the first CreateKey, Load or Save and after CleanUp.
    static std::unique_ptr<ZProfileKey> m_pKey;
    static DWORD m_dwReleaseMenuBarVersion;
    static DWORD m_dwReleaseToolBarVersion;
    static DWORD m_dwLoadedMenuBarVersion;
    static DWORD m_dwLoadedToolBarVersion;
    static bool m_bIsCurrentToolbarCustomized;
    static int m_iToolBarsToLoad;
    static ZUnicodeString m_szAppName;
    static ZUnicodeString m_szAppConfigPath;

private:
    // Opens the working key if it is not open; true when this call opened it.
    // The caller holds the store lock.
    static bool OpenWorkingKey();
    static void CheckVersions();
    ZUnicodeString ValueName(LPCTSTR name) const;

    ZUnicodeString m_szKeyName;
    bool m_bHasKey = false;  // an empty key name is still a key
};
