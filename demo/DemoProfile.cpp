// Writes two sections of a profile text file the way a host does (header and
// separator lines by the host, entry lines by the profile values), then reads
// the file back section by section and prints what each value became.
#include "demo/DemoProfile.h"

#include <afxwin.h>

#include "demo/DemoOutput.h"
#include "settings/ProfileRecord.h"
#include "settings/ProfileValues.h"
#include "settings/ZFile.h"
#include "settings/ZTextFile.h"

namespace {

bool WriteDemoProfile(const wchar_t* path)
{
    CStdioFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
        return false;
    try {
        file.Write("\xFF\xFE", 2);  // UTF-16 little-endian, so any text survives
        file.WriteString(L"[Window]\n");
        ProfileInt columns(L"Columns", 0);
        columns = 80;
        columns.save(file);
        ProfileDouble ratio(L"Ratio", 1.5);
        ratio.save(file);
        ProfileString title(L"Title", L"");
        title = L"Caf\u00e9 log = \u20ac";
        title.save(file);
        ProfileLogfont font;
        font.init(ProfileRecord(), L"Font", L"Courier New", 13);
        font.save(file);
        file.WriteString(L"\n[Colors]\n");
        ProfileColorref back(L"Back", 0x00FFFFFF);
        back = 0x00202020ul;
        back.save(file);
        file.Close();
    } catch (CFileException* error) {
        error->Delete();
        return false;
    }
    return true;
}

void PrintFileLines(const wchar_t* path)
{
    ZTextFile file;
    if (!file.Open(path, GENERIC_READ, OPEN_EXISTING))
        return;
    DemoPrintf(L"file (encoding %d):\n", static_cast<int>(file.GetEncoding()));
    ZUnicodeString line;
    while (file.ReadLine(line))
        DemoPrintf(L"  | %ls\n", line.c_str());
}

void PrintSections(const wchar_t* path)
{
    ZTextFile file;
    if (!file.Open(path, GENERIC_READ, OPEN_EXISTING)) {
        DemoPrintf(L"cannot open the profile (error %lu)\n", ::GetLastError());
        return;
    }
    ProfileRecord record;
    ZUnicodeString name = record.load(file);
    DemoPrintf(L"section [%ls]: %u entries\n", name.c_str(), static_cast<unsigned>(record.GetCount()));
    ProfileInt columns;
    columns.init(record, L"Columns", 0);
    ProfileDouble ratio;
    ratio.init(record, L"Ratio", 0.0);
    ProfileString title;
    title.init(record, L"Title", L"Untitled");
    ProfileString missing;
    missing.init(record, L"Missing", L"(default kept)");
    ProfileLogfont font;
    font.init(record, L"Font", L"");
    DemoPrintf(L"  Columns = %d\n  Ratio = %.3f\n  Title = %ls\n  Missing = %ls\n", static_cast<int>(columns),
               static_cast<double>(ratio), title.GetValue().GetString(), missing.GetValue().GetString());
    DemoPrintf(L"  Font = face \"%ls\", height %ld, weight %ld, %d.%d pt\n", font.m_logFont.lfFaceName, font.m_logFont.lfHeight,
               font.m_logFont.lfWeight, font.m_size / 10, font.m_size % 10);

    name = record.load(file);
    ProfileColorref back;
    back.init(record, L"Back", 0x00FFFFFF);
    DemoPrintf(L"section [%ls]: Back = 0x%06lx\n", name.c_str(), static_cast<unsigned long>(back));
    name = record.load(file);
    DemoPrintf(L"next load: \"%ls\" (end of file)\n", name.c_str());
}

}  // namespace

void ShowProfile()
{
    DemoPrint(L"== Profile text file\n");
    ZFile temp;
    ZUnicodeString path;
    if (!temp.CreateTempFile(nullptr, L"tessaro-profile-", 0, path)) {
        DemoPrintf(L"no temporary file (error %lu)\n\n", ::GetLastError());
        return;
    }
    temp.Close();
    if (WriteDemoProfile(path.c_str())) {
        PrintFileLines(path.c_str());
        PrintSections(path.c_str());
    } else {
        DemoPrint(L"the profile could not be written\n");
    }
    ::DeleteFileW(path.c_str());
    DemoPrint(L"\n");
}
