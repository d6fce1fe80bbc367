#include "controls/ZFileFilters.h"

#include <cstdint>
#include <initializer_list>

#include "TessaroMessages.h"

namespace {

struct FixedFilter {
    uint32_t descriptionId;
    const wchar_t* pattern;
};

constexpr FixedFilter kAllFiles = {MSG_FILTER_ALL_FILES, L"*.*"};
constexpr FixedFilter kExeFiles = {MSG_FILTER_EXE_FILES, L"*.exe"};
constexpr FixedFilter kTextFiles = {MSG_FILTER_TEXT_FILES, L"*.txt"};

std::wstring FixedFilters(std::initializer_list<FixedFilter> filters)
{
    std::vector<FileFilterInfo> list;
    list.reserve(filters.size());
    for (const FixedFilter& filter : filters)
        list.emplace_back(ZReportMessageParams(filter.descriptionId), filter.pattern);
    return ZGetFileFilters(list);
}

}  // namespace

std::wstring ZAppendFileFilter(std::vector<FileFilterInfo>& list, ZReportMessageParams description,
                               const wchar_t* pattern)
{
    list.emplace_back(description, pattern ? pattern : L"");
    return ZGetFileFilters(list);
}

std::wstring ZGetFileFilters(std::vector<FileFilterInfo>& list)
{
    std::wstring filters;
    for (const FileFilterInfo& entry : list) {
        ZReportMessageParams description(entry.description);
        description.AddInsert(entry.pattern);
        filters += description.GetSingleLineTextTrimmed();
        filters += L'|';
        filters += entry.pattern;
        filters += L'|';
    }
    filters += L'|';
    return filters;
}

std::wstring GetAllFileFilterDescription()
{
    return FixedFilters({kAllFiles});
}

std::wstring GetApplicationFileFilterDescription()
{
    return FixedFilters({kExeFiles, kAllFiles});
}

std::wstring GetCertificateFileFilterDescription()
{
    return FixedFilters({{MSG_FILTER_PFX_FILES, L"*.pfx;*.p12"}, kAllFiles});
}

std::wstring GetKeymapFileFilterDescription()
{
    return FixedFilters({{MSG_FILTER_KEYMAP_FILES, L"*.key"}, kAllFiles});
}

std::wstring GetLogFileFilterDescription()
{
    return FixedFilters({{MSG_FILTER_LOG_FILES, L"*.log"}, kAllFiles});
}

std::wstring GetRecordScriptFileFilterDescription()
{
    return FixedFilters({{MSG_FILTER_SCRIPT_FILES, L"*.vbs;*.py"}, kAllFiles});
}

std::wstring GetRunScriptFileFilterDescription()
{
    return FixedFilters({{MSG_FILTER_SCRIPT_FILES, L"*.vbs;*.vbe;*.js;*.pl;*.py"}, kAllFiles});
}

std::wstring GetTransferFileFilterDescriptionASCII()
{
    return FixedFilters({kTextFiles, kAllFiles});
}

std::wstring GetTransferFileFilterDescription()
{
    return FixedFilters({kAllFiles,
                         kExeFiles,
                         {MSG_FILTER_GIF_IMAGES, L"*.gif"},
                         {MSG_FILTER_HTML_FILES, L"*.html"},
                         {MSG_FILTER_JPEG_IMAGES, L"*.jpg"},
                         kTextFiles,
                         {MSG_FILTER_ZIP_FILES, L"*.zip"}});
}
