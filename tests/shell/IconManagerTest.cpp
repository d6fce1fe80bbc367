// ZIconManager under Wine: stock icons are a semi-stub there (no icon for any
// id), so every system picture comes from the library's own icons; file types
// come from icon files the tests build with several depths and sizes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/ZFileTypeManager.h"
#include "shell/ZIconFile.h"
#include "shell/ZIconManager.h"
#include "tests/shell/IconFiles.h"
#include "tests/support/ScratchFolder.h"

namespace IconManagerTest {

using IconFiles::Entry;
using IconFiles::MakeDirectory;
using IconFiles::MakeImage;

constexpr COLORREF kDeep = RGB(0, 0, 255);    // the 32-bit images
constexpr COLORREF kMiddle = RGB(255, 0, 0);  // 8 bits
constexpr COLORREF kShallow = RGB(0, 255, 0); // 4 bits
constexpr COLORREF kSmallOnly = RGB(255, 255, 0);

constexpr int kDepthsGroup = 100;    // 32, 8 and 4 bits at 32x32, 32 bits at 16x16
constexpr int kSmallOnlyGroup = 101;
constexpr int kTruncatedGroup = 102;  // claims three entries, holds one
constexpr int kMissingImageGroup = 103;
constexpr int kCutImageGroup = 104;   // its image ends before its mask

class FileTypes : public ZFileTypeManager {
public:
    struct Definition {
        std::wstring extension;
        std::wstring iconFile;
        int iconIndex;
        int imageIndex = -1;
    };
    int GetDefinitionCount() const override { return static_cast<int>(definitions.size()); }
    std::wstring GetIconFile(int d) const override { return definitions[static_cast<size_t>(d)].iconFile; }
    int GetIconIndex(int d) const override { return definitions[static_cast<size_t>(d)].iconIndex; }
    int GetImageIndex(int d) const override { return definitions[static_cast<size_t>(d)].imageIndex; }
    void SetImageIndex(int d, int index) override { definitions[static_cast<size_t>(d)].imageIndex = index; }
    unsigned GetApplicationDefinition() const override { return application; }
    int FindDefinition(const wchar_t* fileName) const override
    {
        const wchar_t* dot = wcsrchr(fileName, L'.');
        for (size_t i = 0; dot && i < definitions.size(); ++i) {
            if (_wcsicmp(definitions[i].extension.c_str(), dot + 1) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }

    std::vector<Definition> definitions;
    unsigned application = kNoDefinition;
};

// "Shell Icon BPP" for the life of the object (none for null), removed afterwards.
struct ShellIconBpp {
    static constexpr wchar_t kKey[] = L"Control Panel\\Desktop\\WindowMetrics";
    explicit ShellIconBpp(const wchar_t* value)
        : written(!value || ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Shell Icon BPP", REG_SZ, value,
                                              static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) == 0)
    {
    }
    ~ShellIconBpp() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Shell Icon BPP"); }
    const bool written;
};

class IconManager : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = std::make_unique<ScratchFolder>();
        s_library = s_folder->File(L"icons.dll");
        const auto image = [](int id, int size, int bits, COLORREF colour) {
            return IconFiles::Resource{RT_ICON, id, MakeImage(size, size, bits, colour)};
        };
        const auto group = [](int id, const IconFiles::Bytes& directory) {
            return IconFiles::Resource{RT_GROUP_ICON, id, directory};
        };
        IconFiles::Bytes cut = MakeImage(32, 32, 32, kDeep);
        cut.resize(cut.size() - 100);
        IconFiles::Bytes truncated = MakeDirectory({{32, 32, 32, 1}, {32, 32, 8, 2}, {32, 32, 4, 3}});
        truncated.resize(6 + 14);
        s_built = IconFiles::MakeLibrary(
            s_library, {image(1, 32, 32, kDeep), image(2, 32, 8, kMiddle), image(3, 32, 4, kShallow),
                        image(4, 16, 32, kDeep), image(5, 16, 32, kSmallOnly), {RT_ICON, 6, cut},
                        group(kDepthsGroup, MakeDirectory({{32, 32, 32, 1}, {32, 32, 8, 2}, {32, 32, 4, 3},
                                                           {16, 16, 32, 4}})),
                        group(kSmallOnlyGroup, MakeDirectory({{16, 16, 32, 5}})), group(kTruncatedGroup, truncated),
                        group(kMissingImageGroup, MakeDirectory({{32, 32, 32, 77}})),
                        group(kCutImageGroup, MakeDirectory({{32, 32, 32, 6}}))});
    }
    static void TearDownTestSuite() { s_folder.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_built) << "the icon library could not be written";
        m_types.definitions = {
            {L"deep", s_library, -kDepthsGroup},
            {L"small", s_library, -kSmallOnlyGroup},
            {L"doc", L"%1", 0},
            {L"broken", s_library, -kTruncatedGroup},
            {L"gone", s_folder->File(L"missing.dll"), 0},
            {L"exe", L"", 0},
        };
        m_types.application = 5;
    }

    static COLORREF ColourAt(ZIconManager& manager, int index)
    {
        HICON icon = nullptr;
        if (!manager.GetFileTypeIconFromImageIndex(index, icon))
            return CLR_INVALID;
        const COLORREF colour = IconFiles::CentreColour(icon);
        ::DestroyIcon(icon);
        return colour;
    }

    static inline std::unique_ptr<ScratchFolder> s_folder;
    static inline std::wstring s_library;
    static inline bool s_built = false;
    FileTypes m_types;
};

TEST_F(IconManager, SystemPicturesComeFromTheLibrarysIcons)
{
    ZIconManager manager(&m_types);
    ASSERT_TRUE(manager.PrepareImageLists());
    EXPECT_EQ(manager.GetLargeIconImageList()->GetImageCount(), 11);
    EXPECT_EQ(manager.GetSmallIconImageList()->GetImageCount(), 11);
    // In the order they are made: computer first, the shortcut overlay last.
    const std::pair<ZIconManager::IMAGEID, int> indices[] = {
        {ZIconManager::COMPUTER, 0},          {ZIconManager::CD_DRIVE, 3}, {ZIconManager::NETWORK_DRIVE, 4},
        {ZIconManager::SHORTCUT_OVERLAY, 10}, {ZIconManager::APPLICATION, -1}, {ZIconManager::NONE, -1},
        {ZIconManager::FOLDER_CLOSED, manager.GetImageIndex(ZIconManager::FOLDER)}};
    for (const auto& [picture, index] : indices)
        EXPECT_EQ(manager.GetImageIndex(picture), index) << picture;
    // The computer picture's screen, as drawn by scripts/make-shell-icons.py.
    EXPECT_EQ(ColourAt(manager, 0), RGB(40, 140, 220));

    EXPECT_EQ(manager.GetImageIndex(ZIconManager::FOLDER_SHORTCUT), 11);
    EXPECT_EQ(manager.GetImageIndex(ZIconManager::FOLDER_SHORTCUT), 11);  // made once
    EXPECT_EQ(manager.GetLargeIconImageList()->GetImageCount(), 12);
    HICON icon = nullptr;
    ASSERT_TRUE(manager.GetStandardIcon(ZIconManager::DOCUMENT, icon));
    ::DestroyIcon(icon);
    EXPECT_FALSE(manager.GetStandardIcon(ZIconManager::APPLICATION, icon));
}

TEST_F(IconManager, ImagesAreChosenByTheColourDepth)
{
    const struct {
        const wchar_t* shellIconBpp;  // null: the value is absent
        int depth;
        COLORREF colour;
    } cases[] = {{nullptr, 32, kDeep}, {L"8", 4, kShallow}, {L"16", 32, kDeep}};  // Wine's display has 32 bits
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shellIconBpp ? c.shellIconBpp : L"absent");
        const ShellIconBpp value(c.shellIconBpp);
        ASSERT_TRUE(value.written);
        FileTypes types = m_types;
        ZIconManager manager(&types);
        ASSERT_TRUE(manager.PrepareImageLists());
        EXPECT_EQ(manager.GetColorDepth(), c.depth);
        EXPECT_EQ(manager.GetImageIndex(L"picture.DEEP"), 11);
        EXPECT_EQ(types.definitions[0].imageIndex, 11);
        EXPECT_EQ(ColourAt(manager, 11), c.colour);
        EXPECT_EQ(manager.GetImageIndex(L"again.deep"), 11);
    }
}

TEST_F(IconManager, IconsAreExtractedByDepthFromWellFormedGroupsOnly)
{
    const std::wstring missing = s_folder->File(L"missing.dll");
    const struct {
        const char* name;
        const wchar_t* file;
        int index;  // below 0: a group identifier
        int depth;
        COLORREF colour;  // of both icons; CLR_INVALID: none made
    } cases[] = {
        // The only small image is deeper than 16 bits: the small icon is the large one scaled.
        {"the middle depth on a 16-bit choice", s_library.c_str(), -kDepthsGroup, 16, kMiddle},
        {"a small image alone gives both sizes", s_library.c_str(), -kSmallOnlyGroup, 32, kSmallOnly},
        {"truncated directory", s_library.c_str(), -kTruncatedGroup, 32, CLR_INVALID},
        {"missing image", s_library.c_str(), -kMissingImageGroup, 32, CLR_INVALID},
        {"image cut before its mask", s_library.c_str(), -kCutImageGroup, 32, CLR_INVALID},
        {"no such group", s_library.c_str(), -999, 32, CLR_INVALID},
        {"index past the groups", s_library.c_str(), 50, 32, CLR_INVALID},
        {"missing file", missing.c_str(), 0, 32, CLR_INVALID},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HICON large = reinterpret_cast<HICON>(1);
        HICON small = reinterpret_cast<HICON>(1);
        ASSERT_EQ(Tessaro::ExtractIconsByDepth(c.file, c.index, c.depth, {32, 32}, {16, 16}, large, small),
                  c.colour != CLR_INVALID);
        if (c.colour == CLR_INVALID) {
            EXPECT_EQ(large, reinterpret_cast<HICON>(1));
            EXPECT_EQ(small, reinterpret_cast<HICON>(1));
            continue;
        }
        int largeWidth = 0;
        int smallWidth = 0;
        EXPECT_EQ(IconFiles::CentreColour(large, &largeWidth), c.colour);
        EXPECT_EQ(IconFiles::CentreColour(small, &smallWidth), c.colour);
        EXPECT_EQ(largeWidth, 32);
        EXPECT_EQ(smallWidth, 16);
        ::DestroyIcon(large);
        ::DestroyIcon(small);
    }
}

TEST_F(IconManager, FileTypesWithoutAPictureOfTheirOwn)
{
    ZIconManager manager(&m_types);
    ASSERT_TRUE(manager.PrepareImageLists());
    const int document = manager.GetImageIndex(ZIconManager::DOCUMENT);
    EXPECT_EQ(manager.GetImageIndex(L"archive.unknown"), document);
    // A missing icon file (ExtractIconExW answers it with UINT_MAX, not 0).
    EXPECT_EQ(manager.GetImageIndex(L"x.gone"), document);
    EXPECT_EQ(m_types.definitions[4].imageIndex, -1);
    for (const int definition : {4, 6, -1})
        EXPECT_EQ(manager.GetImageIndexFromDefinitionIndex(definition), -1) << definition;
    EXPECT_EQ(manager.UpdateIcons(42), -1);
    // "%1": the shell's picture of a document without association.
    EXPECT_GE(manager.GetImageIndexFromDefinitionIndex(2), 11);
    // The application type falls back to the library's application picture.
    const int application = manager.GetImageIndexFromDefinitionIndex(5);
    ASSERT_GE(application, 11);
    EXPECT_EQ(ColourAt(manager, application), RGB(250, 250, 250));
}

TEST_F(IconManager, ReloadingRebuildsEveryPictureWithFreshIndices)
{
    ZIconManager manager(&m_types);
    ASSERT_TRUE(manager.PrepareImageLists());
    EXPECT_EQ(manager.GetImageIndex(ZIconManager::DOCUMENT_SHORTCUT), 11);

    ASSERT_TRUE(manager.ReloadIcons());
    // Every type but the one whose icon file is missing; the truncated group is
    // refused by the depth choice and left to the platform's own extraction.
    const int count = 11 + static_cast<int>(m_types.definitions.size()) - 1;
    EXPECT_EQ(manager.GetLargeIconImageList()->GetImageCount(), count);
    EXPECT_EQ(manager.GetSmallIconImageList()->GetImageCount(), count);
    EXPECT_EQ(m_types.definitions[0].imageIndex, 11);
    EXPECT_EQ(m_types.definitions[1].imageIndex, 12);
    EXPECT_EQ(m_types.definitions[4].imageIndex, -1);
    EXPECT_EQ(ColourAt(manager, 11), kDeep);
    // The shortcut picture's former slot now holds a file type: it is made again.
    EXPECT_EQ(manager.GetImageIndex(ZIconManager::DOCUMENT_SHORTCUT), count);

    EXPECT_EQ(manager.UpdateIcons(1), 12);
    EXPECT_EQ(ColourAt(manager, 12), kSmallOnly);
    m_types.definitions[1].iconFile = s_folder->File(L"missing.dll");
    EXPECT_EQ(manager.UpdateIcons(1), -1);
    EXPECT_EQ(m_types.definitions[1].imageIndex, -1);
}

TEST_F(IconManager, PreparingAgainStartsTheListsAfresh)
{
    ZIconManager manager(&m_types);
    ASSERT_TRUE(manager.PrepareImageLists());
    EXPECT_EQ(manager.GetImageIndex(ZIconManager::DOCUMENT_SHORTCUT), 11);
    ASSERT_TRUE(manager.PrepareImageLists());
    EXPECT_EQ(manager.GetLargeIconImageList()->GetImageCount(), 11);
    EXPECT_EQ(manager.GetSmallIconImageList()->GetImageCount(), 11);
    EXPECT_EQ(ColourAt(manager, 0), RGB(40, 140, 220));
}

TEST_F(IconManager, IconGroupsAreFoundByIdentifier)
{
    const int position = ZIconManager::FindIndexOfResourceID(s_library.c_str(), kSmallOnlyGroup);
    ASSERT_GE(position, 0);
    HICON icon = nullptr;
    ZIconManager manager(&m_types);
    ASSERT_TRUE(manager.ExtractDefaultIcon(s_library.c_str(), static_cast<unsigned>(position), icon));
    EXPECT_EQ(IconFiles::CentreColour(icon), kSmallOnly);
    ::DestroyIcon(icon);
    EXPECT_EQ(ZIconManager::FindIndexOfResourceID(s_library.c_str(), 4242), -1);
    EXPECT_EQ(ZIconManager::FindIndexOfResourceID(s_folder->File(L"missing.dll").c_str(), 1), -1);
}

}  // namespace IconManagerTest
