// Demo section: the host keeps its own settings (window size, recent choices,
// a run counter) in the file-backed profile store, so they survive a restart.
#include <windows.h>

#include <string>

#include "demo/DemoOutput.h"
#include "hoststore/ZFileProfileStore.h"
#include "settings/ZProfileStore.h"

namespace {

constexpr wchar_t kTopKey[] = L"TessaroDemo";
constexpr size_t kMaxRecent = 4;

void PrintText(const std::wstring& text)
{
    DemoPrint(text.c_str());
}

// The demo's output folder: TESSARO_DEMO_OUTPUT (a Unix path when the demo
// runs under Wine, reached through drive Z:) or the temp folder.
std::wstring SettingsFolder()
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

struct DemoSettings {
    DWORD runs = 0;
    DWORD width = 800;
    DWORD height = 600;
    ZStringArray recent;
};

DemoSettings Load(ZProfileStoreFactory& factory)
{
    DemoSettings settings;
    ZProfileStore store(&factory);
    ZProfileKey top(*store.GetRootKey(), kTopKey);
    ZProfileKey window(top, L"Window");
    top.ReadDword(L"RunCount", settings.runs);
    window.ReadDword(L"Width", settings.width);
    window.ReadDword(L"Height", settings.height);
    top.ReadStringArray(L"Recent", settings.recent);
    return settings;
}

bool Save(ZProfileStoreFactory& factory, const DemoSettings& settings)
{
    ZProfileStore store(&factory);
    ZProfileKey top(*store.GetRootKey(), kTopKey);
    ZProfileKey window(top, L"Window");
    return top.WriteDword(L"RunCount", settings.runs) && window.WriteDword(L"Width", settings.width) &&
           window.WriteDword(L"Height", settings.height) && top.WriteStringArray(L"Recent", settings.recent);
}

void Print(const wchar_t* when, const DemoSettings& settings)
{
    std::wstring line = std::wstring(when) + L": run " + std::to_wstring(settings.runs) + L", window " +
                        std::to_wstring(settings.width) + L"x" + std::to_wstring(settings.height) + L", recent [";
    for (size_t i = 0; i < settings.recent.GetCount(); ++i)
        line += (i ? L", " : L"") + std::wstring(L"\"") + settings.recent[i].str() + L"\"";
    PrintText(line + L"]\n");
}

}  // namespace

void ShowSettings()
{
    const std::wstring folder = SettingsFolder();
    PrintText(L"== Settings\nfolder: " + folder + L"\n");

    DemoSettings settings;
    {
        ZFileProfileStoreFactory factory(folder.c_str());
        settings = Load(factory);
        Print(L"before", settings);

        // This run's changes: one more run, a wider window, a new recent choice.
        static const wchar_t* const choices[] = {L"report.txt", L"Caf\u00e9 menu.pdf", L"\u65e5\u672c.log",
                                                 L"notes = [draft]"};
        ++settings.runs;
        settings.width = settings.width >= 1600 ? 800 : settings.width + 16;
        settings.height = settings.height >= 900 ? 600 : settings.height + 9;
        settings.recent.InsertAt(0, ZUnicodeString(choices[(settings.runs - 1) % std::size(choices)]));
        if (settings.recent.GetCount() > kMaxRecent)
            settings.recent.SetSize(kMaxRecent);
        if (!Save(factory, settings)) {
            PrintText(L"the settings could not be saved (error " + std::to_wstring(::GetLastError()) + L")\n\n");
            return;
        }
    }

    // A new factory reads the file again, as the next start of the host would.
    ZFileProfileStoreFactory restarted(folder.c_str());
    Print(L"after", Load(restarted));
    PrintText(L"stored in " + restarted.GetFilePath(kTopKey) + L"; run the demo again to see the counter grow\n\n");
}
