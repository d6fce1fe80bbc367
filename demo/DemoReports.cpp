#include "demo/DemoReports.h"

#include <windows.h>

#include <string>

#include "TessaroMessages.h"
#include "demo/DemoOutput.h"
#include "foundation/ZReportMessageParams.h"

namespace {

constexpr LCID kFrench = 0x40C;

// One report per entry; its further lines are indented under the first.
void PrintReport(const wchar_t* what, ZReportMessageParams& report)
{
    std::wstring text = report.GetTextNoFinalBreak();
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) {
        if (text.compare(at + 2, 2, L"\r\n") != 0)
            text.insert(at + 2, 37, L' ');
    }
    DemoPrintf(L"  %-34ls %ls\n", what, text.c_str());
}

// The same set of reports, in whatever language the thread reads the table.
void ShowReportSet()
{
    ZReportMessageParams filled(MSG_ENTER_INTEGER_BETWEEN);
    filled.AddFormattedInsert(L"%1!d!", uint32_t{1});
    filled.AddFormattedInsert(L"%1!d!", uint32_t{10});
    PrintReport(L"0xE133000D, inserts 1 and 10:", filled);

    ZReportMessageParams short1(MSG_ENTER_INTEGER_BETWEEN);
    short1.AddInsert(L"1");
    PrintReport(L"0xE133000D, one insert only:", short1);

    ZReportMessageParams folder(MSG_FOLDER_ACCESS_DENIED);
    folder.AddInsert(L"C:\\Données\\Privé");
    PrintReport(L"0xE133000B, table line breaks:", folder);

    ZReportMessageParams oneLine(MSG_TOOLBAR_CHANGED);
    DemoPrintf(L"  %-34ls %ls\n", L"0x61330011 on one line:", oneLine.GetSingleLineTextTrimmed());

    ZReportMessageParams outside;
    ValidateIntMinMax(outside, 42, 1, 10, 0);
    PrintReport(L"ValidateIntMinMax(42, 1, 10):", outside);

    DemoPrintf(L"  %-34ls %ls\n", L"label 0x6133005F:", LoadMessageLabel(MSG_ABOUT_TITLE).c_str());
    DemoPrintf(L"  %-34ls %ls\n", L"label 0x6133004B:", LoadMessageLabel(MSG_MENU_COPY_SHORTCUT).c_str());

    ZReportMessageParams unknown(0x6133FFFF);
    PrintReport(L"unknown identifier 0x6133FFFF:", unknown);

    ZReportMessageParams platform(ERROR_FILE_NOT_FOUND);
    PrintReport(L"platform error 2:", platform);
}

std::wstring FromFrenchTable(DWORD id)
{
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                         GetTessaroDll(), id, kFrench, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result(text ? text : L"", length);
    if (text)
        ::LocalFree(text);
    return result;
}

}  // namespace

void ShowReports()
{
    DemoPrint(L"== Message reports\n");
    DemoPrintf(L"As the process runs (user language 0x%04X):\n", ::GetUserDefaultUILanguage());
    ShowReportSet();

    // Reports read the table in the thread's language; fresh reports made
    // while the thread locale is French come out in French.
    const LCID previous = ::GetThreadLocale();
    ::SetThreadLocale(kFrench);
    DemoPrintf(L"With the thread locale 0x%04X:\n", kFrench);
    ShowReportSet();
    ::SetThreadLocale(previous);

    DemoPrint(L"The French table read directly (language 0x040C):\n");
    for (DWORD id : {MSG_FIND_WHAT, MSG_CERT_FILE_EXISTS_OVERWRITE, MSG_CRASH_PACKAGING})
        DemoPrintf(L"  0x%08lX %ls", static_cast<unsigned long>(id), FromFrenchTable(id).c_str());
    DemoPrint(L"\n");
}
