// The file-type filters of the open and save dialogs, in the framework's format
// "description|pattern|...|" with one more "|" at the end. Each description is
// a message whose "%1" is replaced by its pattern: "PFX Files (*.pfx;*.p12)".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"

struct TESSARO_API FileFilterInfo {
    FileFilterInfo(const ZReportMessageParams& description, std::wstring pattern)
        : description(description), pattern(std::move(pattern))
    {
    }

    ZReportMessageParams description;  // one insert, %1, for the pattern
    std::wstring pattern;              // "*.pfx;*.p12"
};

// Appends one entry and returns the filter string of the whole list.
TESSARO_API std::wstring ZAppendFileFilter(std::vector<FileFilterInfo>& list, ZReportMessageParams description,
                                           const wchar_t* pattern);
TESSARO_API std::wstring ZGetFileFilters(std::vector<FileFilterInfo>& list);

// The fixed lists; each ends with "All Files (*.*)" except the transfer list,
// which starts with it.
TESSARO_API std::wstring GetAllFileFilterDescription();
TESSARO_API std::wstring GetApplicationFileFilterDescription();
TESSARO_API std::wstring GetCertificateFileFilterDescription();
TESSARO_API std::wstring GetKeymapFileFilterDescription();
TESSARO_API std::wstring GetLogFileFilterDescription();
TESSARO_API std::wstring GetRecordScriptFileFilterDescription();
TESSARO_API std::wstring GetRunScriptFileFilterDescription();
TESSARO_API std::wstring GetTransferFileFilterDescriptionASCII();
TESSARO_API std::wstring GetTransferFileFilterDescription();
