#include "about/ZVersionHistory.h"

#include "TessaroMessages.h"
#include "settings/ZTextFile.h"

namespace {

bool Fail(const wchar_t* path, DWORD error, ZUnicodeString& text, ZReportMessageParams& report)
{
    text = ZUnicodeString();
    ZReportMessageParams cause(error);
    report.Reset(MSG_HISTORY_LOAD_FAILED);
    report.AddInsert(path ? path : L"");
    report.AddInsert(cause.GetTextNoFinalBreak());
    return false;
}

}  // namespace

bool ZLoadVersionHistory(const wchar_t* path, ZUnicodeString& text, ZReportMessageParams& report)
{
    if (!path || !*path)
        return Fail(path, ERROR_INVALID_NAME, text, report);
    ZTextFile file;
    if (!file.Open(path, GENERIC_READ, OPEN_EXISTING))
        return Fail(path, ::GetLastError(), text, report);
    ZUnicodeString history;
    ZUnicodeString line;
    bool first = true;
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const bool more = file.ReadLine(line);
        const DWORD error = ::GetLastError();
        // An illegal UTF-8 sequence ends the reading early, possibly with a
        // last partial line: the history would be cut short without a word.
        if (error == ERROR_NO_UNICODE_TRANSLATION)
            return Fail(path, error, text, report);
        if (!more) {
            if (error != ERROR_HANDLE_EOF && error != ERROR_SUCCESS)
                return Fail(path, error, text, report);
            break;
        }
        if (!first)
            history += L"\r\n";
        history += line;
        first = false;
    }
    text = history;
    return true;
}
