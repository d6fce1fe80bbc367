// ZReportMessageParams: the library's report of a message. A function that can
// fail takes one by reference and fills it; the caller shows its text.
//
// The text is looked up on the first request: platform codes (bit 29 clear) in
// the system's table and the kernel layer's first, then the report's module and
// the host executable. Formatting never throws: a message no table holds reads
// "Could not retrieve the error text for error code 0x........", and any other
// failure gives the platform's description of what went wrong.
//
// The layout is shared with the hosts, which build reports of their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/IReportMessageParams.h"
#include "foundation/TessaroApi.h"
#include "foundation/TessaroInit.h"
#include "foundation/ZArray.h"
#include "foundation/ZUnicodeString.h"
#include "foundation/ZUnknown.h"

// A button caption, menu item or filter name: the message on one line, inserts
// left as placeholders, without the final blank. Used by the library's dialogs.
TESSARO_API std::wstring LoadMessageLabel(uint32_t id, HMODULE module = GetTessaroDll());

class TESSARO_API ZReportMessageParams : public ZUnknown<IReportMessageParams> {
public:
    ZReportMessageParams();
    explicit ZReportMessageParams(uint32_t id, HMODULE module = GetTessaroDll());
    // Everything but the cached and wrapped texts.
    ZReportMessageParams(const ZReportMessageParams& other);
    // Reports are copied by Assign, which keeps the auxiliary code.
    ZReportMessageParams& operator=(const ZReportMessageParams&) = delete;
    ~ZReportMessageParams() override;

    void Reset(uint32_t id) override;
    IReportMessageParams* Assign(const IReportMessageParams* other) override;

    uint32_t GetMessageId() const override;
    void SetMessageId(uint32_t id) override;
    uint32_t GetAuxCode() const override;
    void SetAuxCode(uint32_t code) override;
    uint64_t GetAuxValue() const override;
    void SetAuxValue(uint64_t value) override;

    void AddInsert(const std::wstring& text) override;
    void AddInsert(const wchar_t* text) override;
    void AddInsert(const std::string& text) override;
    void AddInsert(const char* text) override;
    void AddFormattedInsert(const wchar_t* pattern, uint32_t value) override;
    void AddFormattedInsert(const wchar_t* pattern, uint64_t value) override;

    HMODULE GetModule() const override;

    const wchar_t* GetText() const override;
    const wchar_t* GetTextNoFinalBreak() override;
    const wchar_t* GetSingleLineText() const override;
    const wchar_t* GetSingleLineTextTrimmed() override;
    const wchar_t* GetTextWithOrigin(uint32_t wrapperId) override;
    uint64_t GetTextLength() const override;
    const ZStringArray& GetInserts() const override;

    // Where the failure arose, for GetTextWithOrigin. The text is not copied:
    // it must outlive the report (a string literal such as __FILE__).
    void SetOrigin(const char* text, int32_t number);

protected:
    // width: 0 keeps the table's line breaks, FORMAT_MESSAGE_MAX_WIDTH_MASK
    // makes one line. Returns the cache when there is one.
    const wchar_t* FormatMessageText(DWORD width, bool ignoreInserts = false) const;

private:
    std::wstring ComposeText(DWORD width, bool ignoreInserts) const;
    void StoreText(const std::wstring& text) const;
    void DropText();

    uint32_t m_auxCode = 0xFFFFFFFF;
    ZStringArray m_inserts;
    uint32_t m_messageId = 0;
    HMODULE m_module = nullptr;
    // The cache: null-terminated, m_textLength characters; none until a getter runs.
    mutable std::unique_ptr<wchar_t[]> m_text;
    mutable uint64_t m_textLength = 0;
    const char* m_originText = nullptr;
    int32_t m_originNumber = 0;
    uint64_t m_auxValue = 0;
    std::wstring m_wrappedText;
};

// True when min <= value <= max. Otherwise the report is reset to messageId
// (0: "Please enter an integer between %1 and %2.") with min and max as its
// inserts, and the result is false.
TESSARO_API bool ValidateIntMinMax(ZReportMessageParams& report, int value, int min, int max,
                                   unsigned long messageId);
