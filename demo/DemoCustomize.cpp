// Demo section: toolbar customisations as the toolkit keeps them, redirected
// by ZSettingsStore into the host's file-backed profile store.
#include <windows.h>

#include <afxcoll.h>

#include <memory>
#include <string>

#include "demo/DemoOutput.h"
#include "foundation/TessaroInit.h"
#include "hoststore/ZFileProfileStore.h"
#include "settings/ZSettingsStore.h"

namespace {

constexpr wchar_t kAppName[] = L"TessaroDemo";
constexpr wchar_t kWorkspaceKey[] = L"Software\\Tessaro\\Demo\\Workspace";

std::unique_ptr<ZFileProfileStoreFactory> g_factory;

ZProfileStoreFactory* CustomizeFactorySource()
{
    return g_factory.get();
}

// The same folder as the settings section: TESSARO_DEMO_OUTPUT or the temp folder.
std::wstring ConfigFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TESSARO_DEMO_OUTPUT", buffer, MAX_PATH);
    std::wstring base;
    if (length > 0 && length < MAX_PATH) {
        base = buffer;
        if (base.front() == L'/') {
            for (wchar_t& c : base)
                c = c == L'/' ? L'\\' : c;
            base = L"Z:" + base;
        }
    } else {
        ::GetTempPathW(MAX_PATH, buffer);
        base = buffer;
    }
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    return base + L"settings";
}

void Print(const wchar_t* when, const CRect& frame, const CStringList& toolbars)
{
    std::wstring line = std::wstring(when) + L": frame " + std::to_wstring(frame.left) + L"," +
                        std::to_wstring(frame.top) + L" " + std::to_wstring(frame.Width()) + L"x" +
                        std::to_wstring(frame.Height()) + L", toolbars [";
    POSITION position = toolbars.GetHeadPosition();
    for (bool first = true; position; first = false)
        line += (first ? L"" : L", ") + std::wstring(toolbars.GetNext(position).GetString());
    DemoPrint((line + L"]\n").c_str());
}

// Reads the workspace the way the toolkit does: one registry object per key,
// of the class the host registered.
void Load(CRect& frame, CStringList& toolbars)
{
    CBCGPRegistrySP maker;
    CBCGPRegistry& registry = maker.Create(FALSE, TRUE);
    if (registry.Open(kWorkspaceKey)) {
        registry.Read(L"Frame", frame);
        registry.Read(L"Toolbars", toolbars);
    }
}

bool Save(const CRect& frame, CStringList& toolbars)
{
    CBCGPRegistrySP maker;
    CBCGPRegistry& registry = maker.Create(FALSE, FALSE);
    return registry.CreateKey(kWorkspaceKey) && registry.Write(L"Frame", frame) &&
           registry.Write(L"Toolbars", toolbars);
}

}  // namespace

void ShowCustomize()
{
    const std::wstring folder = ConfigFolder();
    DemoPrint(L"== Toolbar customisation\n");

    // The library reaches the store through the host's factory source.
    const ZHostnameResolverFactory resolvers = Tessaro::GetResolverFactory();
    const ZProfileStoreFactorySource previous = Tessaro::GetProfileStoreFactorySource();
    g_factory = std::make_unique<ZFileProfileStoreFactory>(folder.c_str());
    TessaroInit(resolvers, CustomizeFactorySource);

    ZSettingsStore::SetAppName(kAppName);
    ZSettingsStore::SetAppConfigPath(folder.c_str());
    ZSettingsStore::SetMenuBarVersion(2);
    ZSettingsStore::SetToolBarVersion(3);
    CBCGPRegistrySP::SetRuntimeClass(RUNTIME_CLASS(ZSettingsStore));
    const bool stored = ZSettingsStore::HasRecentCustomizeConfig();

    CRect frame(40, 30, 840, 630);
    CStringList toolbars;
    Load(frame, toolbars);
    Print(stored ? L"stored" : L"first start", frame, toolbars);

    // This run's changes: the frame moves, and the user adds a toolbar.
    frame.OffsetRect(frame.left >= 400 ? -360 : 20, 10);
    CString name;
    name.Format(L"Custom %d", static_cast<int>(toolbars.GetCount()) + 1);
    toolbars.AddTail(name);
    if (toolbars.GetCount() > 3)
        toolbars.RemoveHead();
    const bool saved = Save(frame, toolbars);
    ZSettingsStore::StoreMenuBarVersion();
    ZSettingsStore::StoreToolBarVersion();
    ZSettingsStore::SetToolBarCustomized(true);
    ZSettingsStore::CleanUp();

    // A fresh factory reads the file again, as the next start of the host would.
    g_factory = std::make_unique<ZFileProfileStoreFactory>(folder.c_str());
    CRect reloaded;
    CStringList reloadedToolbars;
    Load(reloaded, reloadedToolbars);
    Print(saved ? L"reloaded" : L"could not save; reloaded", reloaded, reloadedToolbars);
    DemoPrint((L"kept in " + std::wstring(ZSettingsStore::GetIniFilename().c_str()) + L".ini; toolbars to load: " +
               std::to_wstring(ZSettingsStore::FindToolBarsToLoad()) + L"\n\n")
                  .c_str());

    ZSettingsStore::CleanUp();
    CBCGPRegistrySP::SetRuntimeClass(nullptr);
    TessaroInit(resolvers, previous);
    g_factory.reset();
}
