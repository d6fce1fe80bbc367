#include "shell/ZIconManager.h"

#include <shellapi.h>

#include <climits>
#include <optional>
#include <string>

#include "foundation/TessaroInit.h"
#include "shell/ZFileTypeManager.h"
#include "shell/ZIconDirectory.h"
#include "shell/ZIconFile.h"

namespace {

struct SystemPicture {
    int stockIcon;   // SHSTOCKICONID, -1 for none
    bool linkOverlay;
    unsigned resource;  // the library's icon, 0 for none
};

// Indexed by IMAGEID.
constexpr SystemPicture kPictures[15] = {
    {94, false, 3001}, {7, false, 3006},  {8, false, 3005},  {9, false, 3008}, {11, false, 3004},
    {12, false, 3007}, {58, false, 3009}, {3, false, 0},     {3, false, 3002}, {4, false, 3003},
    {0, false, 3011},  {2, false, 3010},  {29, false, 3014}, {3, true, 3012},  {0, true, 3013},
};

// Made here, in this order; 11, 13 and 14 wait until they are asked for.
constexpr ZIconManager::IMAGEID kPreparedPictures[] = {
    ZIconManager::COMPUTER,      ZIconManager::REMOVABLE_DRIVE, ZIconManager::FIXED_DRIVE,
    ZIconManager::CD_DRIVE,      ZIconManager::NETWORK_DRIVE,   ZIconManager::RAM_DRIVE,
    ZIconManager::UNKNOWN_DRIVE, ZIconManager::FOLDER_OPEN,     ZIconManager::FOLDER,
    ZIconManager::DOCUMENT,      ZIconManager::SHORTCUT_OVERLAY,
};

constexpr unsigned kApplicationResource = 3010;

struct IconSizes {
    SIZE largeIcon;
    SIZE smallIcon;
};

const IconSizes& Sizes()
{
    static const IconSizes sizes = {{::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)},
                                    {::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON)}};
    return sizes;
}

void Destroy(ZIconManager::ZICONSET& set)
{
    if (set.largeIcon)
        ::DestroyIcon(set.largeIcon);
    if (set.smallIcon)
        ::DestroyIcon(set.smallIcon);
    set = {};
}

std::optional<std::wstring> ReadShellIconBpp(size_t& bytes)
{
    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\WindowMetrics", L"Shell Icon BPP", RRF_RT_REG_SZ,
                       nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes = size;
    return std::wstring(text);
}

Tessaro::IconColorDepth GetIconColorDepth()
{
    size_t bytes = 0;
    const std::optional<std::wstring> bpp = ReadShellIconBpp(bytes);
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    const int display = ::EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmBitsPerPel : 0;
    return Tessaro::ChooseIconColorDepth(Tessaro::AllColoursAllowed(bpp, bytes), display);
}

bool StockIcon(int id, UINT flags, HICON& icon, std::wstring* path = nullptr, int* index = nullptr)
{
    SHSTOCKICONINFO info = {};
    info.cbSize = sizeof(info);
    if (FAILED(::SHGetStockIconInfo(static_cast<SHSTOCKICONID>(id), flags, &info)))
        return false;
    icon = info.hIcon;
    if (path)
        *path = info.szPath;
    if (index)
        *index = info.iIcon;
    return true;
}

bool LoadLibraryIcon(unsigned resource, ZIconManager::ZICONSET& set)
{
    const auto load = [&](SIZE size) {
        return static_cast<HICON>(
            ::LoadImageW(GetTessaroDll(), MAKEINTRESOURCEW(resource), IMAGE_ICON, size.cx, size.cy, 0));
    };
    set.smallIcon = load(Sizes().smallIcon);
    set.largeIcon = load(Sizes().largeIcon);
    if (set.smallIcon && set.largeIcon)
        return true;
    Destroy(set);
    return false;
}

}  // namespace

ZIconManager::ZIconManager(ZFileTypeManager* fileTypes) : m_fileTypes(fileTypes)
{
    for (size_t i = 0; i < 15; ++i)
        m_resourceIds.Add(0);
}

ZIconManager::~ZIconManager() = default;

bool ZIconManager::PrepareImageLists()
{
    const Tessaro::IconColorDepth colour = GetIconColorDepth();
    m_colorDepth = colour.depth;
    if (!m_largeList)
        m_largeList = std::make_unique<CImageList>();
    if (!m_smallList)
        m_smallList = std::make_unique<CImageList>();
    for (size_t i = 0; i < 15; ++i)
        m_resourceIds[i] = kPictures[i].resource;
    const int fileTypes = m_fileTypes ? m_fileTypes->GetDefinitionCount() : 0;
    // Lists of an earlier preparation are let go, not leaked under new ones.
    m_largeList->DeleteImageList();
    m_smallList->DeleteImageList();
    if (!m_largeList->Create(Sizes().largeIcon.cx, Sizes().largeIcon.cy, colour.listFlag | ILC_MASK, fileTypes + 14, 1) ||
        !m_smallList->Create(Sizes().smallIcon.cx, Sizes().smallIcon.cy, colour.listFlag | ILC_MASK, fileTypes + 14, 1))
        return false;
    // Indices of a former filling would name other pictures now.
    m_imageIndices.clear();
    for (IMAGEID id : kPreparedPictures)
        AddSystemIcon(id);
    return true;
}

bool ZIconManager::ReloadIcons()
{
    if (m_largeList)
        m_largeList->DeleteImageList();
    if (m_smallList)
        m_smallList->DeleteImageList();
    return PrepareImageLists() && LoadIcons();
}

// Both lists take the set at the same index, or neither does: one list a
// picture ahead would pair every later large icon with the wrong small one.
int ZIconManager::AppendSet(ZICONSET& set)
{
    int index = -1;
    if (set.largeIcon && set.smallIcon) {
        index = m_largeList->Add(set.largeIcon);
        if (index >= 0 && m_smallList->Add(set.smallIcon) != index) {
            m_largeList->Remove(index);
            index = -1;
        }
    }
    Destroy(set);
    return index;
}

int ZIconManager::AddSystemIcon(IMAGEID id)
{
    ZICONSET set;
    if (!m_largeList || !LoadSystemIcon(id, set))
        return -1;
    const int index = AppendSet(set);
    m_imageIndices[id] = index;
    return index;
}

bool ZIconManager::LoadSystemIcon(IMAGEID id, ZICONSET& set) const
{
    if (id < 0 || id >= NONE)
        return false;
    const SystemPicture& picture = kPictures[id];
    const UINT overlay = picture.linkOverlay ? SHGSI_LINKOVERLAY : 0;
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
    StockIcon(picture.stockIcon, SHGSI_ICON | overlay, largeIcon);
    StockIcon(picture.stockIcon, SHGSI_ICON | SHGSI_SMALLICON | overlay, smallIcon);
    if (largeIcon && smallIcon) {
        set = {largeIcon, smallIcon};
        return true;
    }
    ZICONSET partial = {largeIcon, smallIcon};
    Destroy(partial);
    return m_resourceIds[static_cast<size_t>(id)] != 0 && LoadLibraryIcon(m_resourceIds[static_cast<size_t>(id)], set);
}

int ZIconManager::GetImageIndex(IMAGEID id)
{
    if (id == FOLDER_CLOSED)
        id = FOLDER;
    const auto found = m_imageIndices.find(id);
    if (found != m_imageIndices.end())
        return found->second;
    if (id == FOLDER_SHORTCUT || id == DOCUMENT_SHORTCUT)
        return AddSystemIcon(id);
    return -1;
}

int ZIconManager::GetImageIndex(const wchar_t* fileName)
{
    const int definition = m_fileTypes && fileName ? m_fileTypes->FindDefinition(fileName) : -1;
    if (definition < 0 || definition >= m_fileTypes->GetDefinitionCount())
        return GetImageIndex(DOCUMENT);
    const int known = m_fileTypes->GetImageIndex(definition);
    if (known >= 0)
        return known;
    int index = -1;
    if (!UpdateFileTypeIcon(definition, index))
        return GetImageIndex(DOCUMENT);
    return index;
}

int ZIconManager::GetImageIndexFromDefinitionIndex(int definition)
{
    if (!m_fileTypes || definition < 0 || definition >= m_fileTypes->GetDefinitionCount())
        return -1;
    const int known = m_fileTypes->GetImageIndex(definition);
    if (known >= 0)
        return known;
    int index = -1;
    return UpdateFileTypeIcon(definition, index) ? index : -1;
}

int ZIconManager::UpdateIcons(int definition)
{
    if (!m_fileTypes || definition < 0 || definition >= m_fileTypes->GetDefinitionCount())
        return -1;
    int index = m_fileTypes->GetImageIndex(definition);
    if (UpdateFileTypeIcon(definition, index))
        return index;
    m_fileTypes->SetImageIndex(definition, -1);
    return -1;
}

bool ZIconManager::UpdateFileTypeIcon(int definition, int& index)
{
    ZICONSET set;
    if (!m_largeList || !GetFileTypeIcon(definition, set, m_colorDepth))
        return false;
    if (index < 0) {
        index = AppendSet(set);
    } else if (!set.largeIcon || !set.smallIcon) {
        Destroy(set);
        index = -1;
    } else {
        const int replaced = m_largeList->Replace(index, set.largeIcon);
        m_smallList->Replace(index, set.smallIcon);
        Destroy(set);
        index = replaced;
    }
    m_fileTypes->SetImageIndex(definition, index);
    return index >= 0;
}

bool ZIconManager::LoadIcons()
{
    if (!m_fileTypes)
        return true;
    for (int definition = 0; definition < m_fileTypes->GetDefinitionCount(); ++definition) {
        ZICONSET set;
        m_fileTypes->SetImageIndex(definition,
                                   GetFileTypeIcon(definition, set, m_colorDepth) ? AppendSet(set) : -1);
    }
    return true;
}

bool ZIconManager::GetFileTypeIcon(int definition, ZICONSET& set, int depth) const
{
    if (!m_fileTypes || definition < 0 || definition >= m_fileTypes->GetDefinitionCount())
        return false;
    if (static_cast<unsigned>(definition) == m_fileTypes->GetApplicationDefinition()) {
        HICON largeIcon = nullptr;
        HICON smallIcon = nullptr;
        StockIcon(kPictures[APPLICATION].stockIcon, SHGSI_ICON, largeIcon);
        StockIcon(kPictures[APPLICATION].stockIcon, SHGSI_ICON | SHGSI_SMALLICON, smallIcon);
        if (largeIcon && smallIcon) {
            set = {largeIcon, smallIcon};
            return true;
        }
        ZICONSET partial = {largeIcon, smallIcon};
        Destroy(partial);
        return LoadLibraryIcon(kApplicationResource, set);
    }
    const std::wstring file = m_fileTypes->GetIconFile(definition);
    return ExtractDefaultIcon(file.c_str(), m_fileTypes->GetIconIndex(definition), set, depth);
}

bool ZIconManager::ExtractDefaultIcon(const wchar_t* file, int index, ZICONSET& set, int depth) const
{
    if (!file)
        return false;
    std::wstring source = file;
    if (source.empty() || source == L"%1") {
        // A document without an association: the shell's own picture for it.
        HICON unused = nullptr;
        if (!StockIcon(0, 0, unused, &source, &index))
            return false;
    }
    if (depth > 0 &&
        Tessaro::ExtractIconsByDepth(source.c_str(), index, depth, Sizes().largeIcon, Sizes().smallIcon, set.largeIcon, set.smallIcon))
        return true;
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
    const UINT count = ::ExtractIconExW(source.c_str(), index, &largeIcon, &smallIcon, 1);
    // A missing file gives UINT_MAX, not 0.
    if (count == 0 || count == UINT_MAX || (!largeIcon && !smallIcon)) {
        ZICONSET partial = {largeIcon, smallIcon};
        Destroy(partial);
        return false;
    }
    if (!largeIcon)
        ::ExtractIconExW(source.c_str(), index, &largeIcon, nullptr, 1);
    if (!smallIcon)
        ::ExtractIconExW(source.c_str(), index, nullptr, &smallIcon, 1);
    set = {largeIcon, smallIcon};
    return true;
}

bool ZIconManager::GetStandardIcon(IMAGEID id, HICON& icon)
{
    const int index = GetImageIndex(id);
    return GetFileTypeIconFromImageIndex(index, icon);
}

bool ZIconManager::GetFileTypeIcon(int definition, HICON& icon)
{
    ZICONSET set;
    if (!GetFileTypeIcon(definition, set, 0))
        return false;
    icon = set.largeIcon;
    set.largeIcon = nullptr;
    Destroy(set);
    return icon != nullptr;
}

bool ZIconManager::GetFileTypeIconFromImageIndex(int index, HICON& icon)
{
    if (index < 0 || !m_largeList || !m_largeList->GetSafeHandle())
        return false;
    icon = ::ImageList_GetIcon(m_largeList->GetSafeHandle(), index, ILD_NORMAL);
    return icon != nullptr;
}

bool ZIconManager::ExtractDefaultIcon(const wchar_t* file, unsigned index, HICON& icon)
{
    ZICONSET set;
    if (!ExtractDefaultIcon(file, static_cast<int>(index), set, 0))
        return false;
    icon = set.largeIcon;
    set.largeIcon = nullptr;
    Destroy(set);
    return icon != nullptr;
}

int ZIconManager::FindIndexOfResourceID(const wchar_t* file, unsigned id)
{
    const std::vector<Tessaro::ResourceName> groups = Tessaro::ListIconGroups(file);
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].text.empty() && groups[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}
