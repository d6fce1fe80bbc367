// The library's message table as the tests see it: every identifier, and the
// table read directly in one language, bypassing the report code under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TessaroMessages.h"
#include "foundation/TessaroInit.h"

namespace TestSupport {

inline constexpr uint32_t kLibraryMessageIds[] = {
    MSG_CERT_HELP_COMMON_NAME, MSG_CERT_HELP_ORGANIZATION, MSG_CERT_HELP_ORGANIZATIONAL_UNIT,
    MSG_CERT_HELP_COUNTRY, MSG_CERT_HELP_STATE, MSG_CERT_HELP_LOCALITY,
    MSG_CERT_HELP_EMAIL, MSG_CERT_HELP_PATH, MSG_CERT_FILE_EXISTS_OVERWRITE,
    MSG_CERT_HELP_EXPIRATION, MSG_CERT_HELP_KEY_SIZE, MSG_TOOLBAR_CHANGED,
    MSG_TOOLBAR_UPDATE_QUESTION, MSG_CRASH_REPORT_TITLE, MSG_CRASH_MAIL_SUBJECT,
    MSG_FIND_END_OF_BUFFER, MSG_FIND_WHAT, MSG_FIND_NEXT,
    MSG_FIND_CANCEL, MSG_FIND_MATCH_WHOLE_WORD, MSG_FIND_MATCH_CASE,
    MSG_FIND_WRAP_AROUND, MSG_FIND_DIRECTION, MSG_FIND_DOWN,
    MSG_FIND_UP, MSG_FIND_TITLE, MSG_CRASH_DELETE_INFORMATION,
    MSG_CRASH_REPORT, MSG_CRASH_NOT_NOW, MSG_CRASH_MAIL_BODY,
    MSG_CRASH_TIME, MSG_CRASH_VERSION, MSG_CRASH_REVISION,
    MSG_CRASH_CORE, MSG_CRASH_CORE_SIZE, MSG_SELECT_SESSION,
    MSG_NEW_ELLIPSIS, MSG_SELECT_CERTIFICATE_FILE, MSG_FILES_OF_TYPE,
    MSG_CHOOSE, MSG_BUTTON_OK, MSG_BUTTON_YES,
    MSG_BUTTON_NO, MSG_BUTTON_ABORT, MSG_BUTTON_RETRY,
    MSG_SELECT_WINDOW, MSG_BUTTON_IGNORE, MSG_FUNCTION_SEND_STRING,
    MSG_FUNCTION_MENU, MSG_FUNCTION_SCROLL_BAR, MSG_FUNCTION_TELNET,
    MSG_FUNCTION_TN3270, MSG_FUNCTION_VT, MSG_FUNCTION_SSH,
    MSG_FUNCTION_RUN_SCRIPT, MSG_FUNCTION_LAUNCH_APPLICATION, MSG_FUNCTION_DISABLE,
    MSG_FILTER_PFX_FILES, MSG_BROWSE_PATH, MSG_FILTER_ALL_FILES,
    MSG_FILTER_SCRIPT_FILES, MSG_MENU_OPEN, MSG_MENU_COPY_SHORTCUT,
    MSG_SEARCH, MSG_SEARCH_CLEAR, MSG_HASH_SHA1,
    MSG_HASH_SHA2, MSG_MENU_NEW_FOLDER, MSG_FILTER_EXE_FILES,
    MSG_FILTER_APPLICATIONS, MSG_FILTER_KEYMAP_FILES, MSG_FILTER_LOG_FILES,
    MSG_FILTER_GIF_IMAGES, MSG_FILTER_HTML_FILES, MSG_FILTER_JPEG_IMAGES,
    MSG_FILTER_ZIP_FILES, MSG_FILTER_TEXT_FILES, MSG_CRASH_PACKAGING,
    MSG_ABOUT_TITLE, MSG_ABOUT_ACKNOWLEDGEMENT_1, MSG_ABOUT_ACKNOWLEDGEMENT_2,
    MSG_ABOUT_ACKNOWLEDGEMENT_3, MSG_CONTACT_SUPPORT, MSG_ABOUT_ACKNOWLEDGEMENT_4,
    MSG_BUTTON_BAR, MSG_CRASH_MAIL_ATTACHMENT, MSG_TLS_VERSION_REQUIRED,
    MSG_UNEXPECTED_SOCKET_ERROR, MSG_FOLDER_ACCESS_DENIED, MSG_FOLDER_NOT_VALID,
    MSG_ENTER_INTEGER_BETWEEN, MSG_ENTER_POSITIVE_INTEGER, MSG_CORE_FOLDER_MISSING,
    MSG_CORE_FOLDER_NOT_CREATED, MSG_CORE_FOLDER_ACCESS_DENIED, MSG_CORE_FOLDER_NO_SPACE,
    MSG_UPDATE_NOT_STARTED, MSG_REMOVE_OLDER_FROM_DESKTOP, MSG_FILE_NOT_FOUND,
    MSG_REMOTE_INITIAL_PATH_FAILED, MSG_REMOTE_LISTING_FAILED, MSG_FONT_NOT_LOADED,
    MSG_FONT_FALLBACK_FAILED, MSG_HISTORY_LOAD_FAILED, MSG_CLIPBOARD_FAILURE,
    MSG_DDX_PARSE_INT, MSG_DDX_PARSE_UINT, MSG_DDX_RANGE_INT,
    MSG_DDX_RANGE_UINT, MSG_DDX_MAX_CHARS,
};

// The message in one language, inserts left as they are; empty when missing.
inline std::wstring TableText(uint32_t id, LANGID language)
{
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                         GetTessaroDll(), id, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result(text ? text : L"", length);
    if (text)
        ::LocalFree(text);
    return result;
}

// Every identifier that the library's message-table resource holds in one
// language, read from the resource's blocks.
inline std::vector<uint32_t> TableIdentifiers(LANGID language)
{
    std::vector<uint32_t> ids;
    HRSRC resource = ::FindResourceExW(GetTessaroDll(), RT_MESSAGETABLE, MAKEINTRESOURCEW(1), language);
    HGLOBAL loaded = resource ? ::LoadResource(GetTessaroDll(), resource) : nullptr;
    const auto* table = loaded ? static_cast<const MESSAGE_RESOURCE_DATA*>(::LockResource(loaded)) : nullptr;
    if (!table)
        return ids;
    for (DWORD block = 0; block < table->NumberOfBlocks; ++block)
        for (DWORD id = table->Blocks[block].LowId; id <= table->Blocks[block].HighId; ++id)
            ids.push_back(id);
    return ids;
}

}  // namespace TestSupport
