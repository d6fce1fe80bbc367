// ZIconManager: the large and small image lists that views of computers,
// drives, folders and files share, with the same index for the same picture in
// both. System pictures come from the shell's stock icons or, when the shell
// has none, from the library's own icons; file types get the picture of their
// icon file, chosen at the best colour depth the display and the user's
// "Shell Icon BPP" allow. Failures give -1, false or no icon; nothing is
// reported. Icon files are untrusted: directories and images are bounds-checked
// before the platform sees them.
#pragma once

#include <afxcmn.h>

#include <map>
#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZArray.h"

class ZFileTypeManager;

class TESSARO_API ZIconManager {
public:
    enum IMAGEID {
        COMPUTER = 0,
        REMOVABLE_DRIVE = 1,
        FIXED_DRIVE = 2,
        NETWORK_DRIVE = 3,
        CD_DRIVE = 4,
        RAM_DRIVE = 5,
        UNKNOWN_DRIVE = 6,
        FOLDER_CLOSED = 7,  // served as FOLDER
        FOLDER = 8,
        FOLDER_OPEN = 9,
        DOCUMENT = 10,
        APPLICATION = 11,
        SHORTCUT_OVERLAY = 12,
        FOLDER_SHORTCUT = 13,
        DOCUMENT_SHORTCUT = 14,
        NONE = 15,
    };

    struct ZICONSET {
        HICON largeIcon = nullptr;
        HICON smallIcon = nullptr;
    };

    explicit ZIconManager(ZFileTypeManager* fileTypes);
    ~ZIconManager();
    ZIconManager(const ZIconManager&) = delete;
    ZIconManager& operator=(const ZIconManager&) = delete;

    bool PrepareImageLists();
    bool ReloadIcons();

    int GetImageIndex(IMAGEID id);
    int GetImageIndex(const wchar_t* fileName);
    int GetImageIndexFromDefinitionIndex(int definition);
    int UpdateIcons(int definition);

    CImageList* GetLargeIconImageList() const { return m_largeList.get(); }
    CImageList* GetSmallIconImageList() const { return m_smallList.get(); }

    bool GetStandardIcon(IMAGEID id, HICON& icon);
    bool GetFileTypeIcon(int definition, HICON& icon);
    bool GetFileTypeIconFromImageIndex(int index, HICON& icon);
    bool ExtractDefaultIcon(const wchar_t* file, unsigned index, HICON& icon);

    // The position of icon group `id` among the file's groups, -1 when none.
    static int FindIndexOfResourceID(const wchar_t* file, unsigned id);

    // The depth the lists were prepared at; -1 before.
    int GetColorDepth() const { return m_colorDepth; }

private:
    int AddSystemIcon(IMAGEID id);
    bool LoadSystemIcon(IMAGEID id, ZICONSET& set) const;
    bool GetFileTypeIcon(int definition, ZICONSET& set, int depth) const;
    bool ExtractDefaultIcon(const wchar_t* file, int index, ZICONSET& set, int depth) const;
    bool LoadIcons();
    bool UpdateFileTypeIcon(int definition, int& index);
    int AppendSet(ZICONSET& set);

    ZFileTypeManager* m_fileTypes;
    int m_colorDepth = -1;
    std::map<int, int> m_imageIndices;  // IMAGEID to index in both lists
    std::unique_ptr<CImageList> m_largeList;
    std::unique_ptr<CImageList> m_smallList;
    ZArray<unsigned int> m_resourceIds;  // IMAGEID to the library's icon resource, 0 for none
};
