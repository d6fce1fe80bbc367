// Under a French user language, reports and labels read the library's French table.
#include <gtest/gtest.h>

#include <string>

#include "foundation/ZReportMessageParams.h"
#include "tests/support/LibraryMessages.h"

namespace {

constexpr LANGID kFrench = 0x40C;

TEST(FrenchReports, ReportsReadTheFrenchTable)
{
    const struct {
        uint32_t id;
        std::initializer_list<const wchar_t*> inserts;
        const wchar_t* expected;
    } cases[] = {
        {MSG_ENTER_INTEGER_BETWEEN, {L"1", L"10"}, L"Veuillez saisir un nombre entier compris entre 1 et 10.\r\n"},
        {MSG_FILE_NOT_FOUND, {L"a.txt"}, L"Le fichier «\u00A0a.txt\u00A0» est introuvable.\r\n"},
        // The fallback text stays as it is.
        {0x6133FFFF, {}, L"Could not retrieve the error text for error code 0x6133ffff.\r\n"},
    };
    for (const auto& c : cases) {
        ZReportMessageParams report(c.id);
        for (const wchar_t* insert : c.inserts)
            report.AddInsert(insert);
        EXPECT_EQ(std::wstring(report.GetText()), c.expected) << std::hex << c.id;
    }
}

TEST(FrenchReports, LabelsReadTheFrenchTable)
{
    EXPECT_EQ(LoadMessageLabel(MSG_MENU_OPEN), L"&Ouvrir");
    EXPECT_EQ(LoadMessageLabel(MSG_FOLDER_ACCESS_DENIED),
              L"L'accès au dossier suivant est refusé\u00A0:  «\u00A0%1\u00A0»  Veuillez choisir un autre dossier.");
}

TEST(FrenchReports, EveryMessageComesFromTheFrenchTable)
{
    ASSERT_EQ(::GetUserDefaultUILanguage(), kFrench);
    for (uint32_t id : TestSupport::TableIdentifiers(kFrench))
        EXPECT_EQ(std::wstring(ZReportMessageParams(id).GetText()), TestSupport::TableText(id, kFrench))
            << std::hex << id;
}

}  // namespace
