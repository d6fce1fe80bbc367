#include "foundation/ZReportMessageParams.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "foundation/ZExceptions.h"
#include "foundation/ZString.h"

namespace {

constexpr uint32_t kCustomerBit = 0x20000000;
constexpr uint32_t kEnterIntegerBetween = 0xE133000D;
constexpr DWORD kUserDefaultLanguage = 0x0400;
constexpr DWORD kOneLine = FORMAT_MESSAGE_MAX_WIDTH_MASK;

// The kernel layer's module, looked up once per process.
HMODULE KernelLayerModule()
{
    static const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll;
}

// 1812 is what the platform answers for a module without any resources: for a
// search through several tables that is "no such message" as much as 1813 is.
bool IsMessageMissing(DWORD error)
{
    return error == ERROR_MR_MID_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
           error == ERROR_RESOURCE_DATA_NOT_FOUND;
}

// One message table: the system's, or a module's.
struct MessageTable {
    DWORD source;
    HMODULE module;
};

class LocalBuffer {
public:
    LocalBuffer() = default;
    LocalBuffer(const LocalBuffer&) = delete;
    LocalBuffer& operator=(const LocalBuffer&) = delete;
    ~LocalBuffer()
    {
        if (m_text)
            ::LocalFree(m_text);
    }
    wchar_t** Receiver() { return &m_text; }
    const wchar_t* Get() const { return m_text; }

private:
    wchar_t* m_text = nullptr;
};

// One call of the platform formatter. The error is kept in `error` before the
// exception is thrown, since unwinding may change the thread's last error.
std::wstring Fetch(const MessageTable& table, uint32_t id, DWORD flags, const DWORD_PTR* arguments,
                   DWORD& error)
{
    LocalBuffer buffer;
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY | table.source | flags, table.module, id,
        kUserDefaultLanguage, reinterpret_cast<wchar_t*>(buffer.Receiver()), 0,
        reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
    if (length == 0) {
        error = ::GetLastError();
        if (error == ERROR_SUCCESS)
            return std::wstring();  // a message that formats to nothing ("%0")
        if (IsMessageMissing(error))
            throw MessageNotFound();
        if (error == ERROR_INVALID_PARAMETER)
            throw InvalidParameter();
        throw std::runtime_error("FormatMessage");
    }
    return std::wstring(buffer.Get(), length);
}

// The highest insert number the text asks for (%1 ... %99, and "%%1" counts,
// as the formatter reads it with inserts ignored); 0 when there is none.
size_t HighestPlaceholder(std::wstring_view text)
{
    constexpr size_t kCap = 100000;  // far above any insert count, and no overflow
    size_t highest = 0;
    size_t percent = text.find(L'%');
    while (percent != std::wstring_view::npos && percent + 1 < text.size()) {
        size_t next = percent + 1;
        if (text[next] >= L'1' && text[next] <= L'9') {
            size_t number = 0;
            while (next < text.size() && text[next] >= L'0' && text[next] <= L'9') {
                number = std::min(kCap, number * 10 + static_cast<size_t>(text[next] - L'0'));
                ++next;
            }
            highest = std::max(highest, number);
        }
        percent = text.find(L'%', next);
    }
    return highest;
}

// The message from one table. MessageNotFound: the table does not hold it.
// The formatter is never handed fewer inserts than the text asks for: then the
// raw text, placeholders and all, is the result.
std::wstring LookUp(const MessageTable& table, uint32_t id, DWORD width, const std::vector<DWORD_PTR>& arguments,
                    size_t insertCount, bool ignoreInserts, DWORD& error)
{
    try {
        std::wstring raw = Fetch(table, id, width | FORMAT_MESSAGE_IGNORE_INSERTS, arguments.data(), error);
        if (ignoreInserts || HighestPlaceholder(raw) > insertCount)
            return raw;
        return Fetch(table, id, width, arguments.data(), error);
    } catch (const InvalidParameter&) {
        if (ignoreInserts)
            throw;
        return LookUp(table, id, width, arguments, insertCount, true, error);
    }
}

std::wstring UnknownMessageText(uint32_t id)
{
    ZUnicodeString text;
    if (text.Format(L"Could not retrieve the error text for error code 0x%1!08x!.\r\n", id))
        return text.str();
    wchar_t plain[80];
    std::swprintf(plain, 80, L"Could not retrieve the error text for error code 0x%08lx.\r\n",
                  static_cast<unsigned long>(id));
    return plain;
}

// Describing a lookup failure makes a report of its own; a failure while
// describing one is not described again.
thread_local int t_describingFailure = 0;

class DescribingFailure {
public:
    DescribingFailure() { ++t_describingFailure; }
    DescribingFailure(const DescribingFailure&) = delete;
    DescribingFailure& operator=(const DescribingFailure&) = delete;
    ~DescribingFailure() { --t_describingFailure; }
};

}  // namespace

ZReportMessageParams::ZReportMessageParams() : ZReportMessageParams(0) {}

ZReportMessageParams::ZReportMessageParams(uint32_t id, HMODULE module) : m_messageId(id), m_module(module) {}

ZReportMessageParams::ZReportMessageParams(const ZReportMessageParams& other)
    : ZUnknown<IReportMessageParams>(other),
      m_auxCode(other.m_auxCode),
      m_inserts(other.m_inserts),
      m_messageId(other.m_messageId),
      m_module(other.m_module),
      m_originText(other.m_originText),
      m_originNumber(other.m_originNumber),
      m_auxValue(other.m_auxValue)
{
}

ZReportMessageParams::~ZReportMessageParams() = default;

void ZReportMessageParams::Reset(uint32_t id)
{
    m_messageId = id;
    m_module = GetTessaroDll();
    m_inserts.RemoveAll();
    m_originText = nullptr;
    m_originNumber = 0;
    m_auxValue = 0;
    DropText();
}

IReportMessageParams* ZReportMessageParams::Assign(const IReportMessageParams* other)
{
    const auto* source = dynamic_cast<const ZReportMessageParams*>(other);
    if (!source)
        return nullptr;
    if (source != this) {
        m_auxValue = source->m_auxValue;
        m_messageId = source->m_messageId;
        m_module = source->m_module;
        m_originText = source->m_originText;
        m_originNumber = source->m_originNumber;
        m_inserts = source->m_inserts;
    }
    DropText();
    return this;
}

uint32_t ZReportMessageParams::GetMessageId() const
{
    return m_messageId;
}

void ZReportMessageParams::SetMessageId(uint32_t id)
{
    m_messageId = id;
}

uint32_t ZReportMessageParams::GetAuxCode() const
{
    return m_auxCode;
}

void ZReportMessageParams::SetAuxCode(uint32_t code)
{
    m_auxCode = code;
}

uint64_t ZReportMessageParams::GetAuxValue() const
{
    return m_auxValue;
}

void ZReportMessageParams::SetAuxValue(uint64_t value)
{
    m_auxValue = value;
}

void ZReportMessageParams::AddInsert(const std::wstring& text)
{
    m_inserts.Add(ZUnicodeString(text));
}

void ZReportMessageParams::AddInsert(const wchar_t* text)
{
    m_inserts.Add(ZUnicodeString(text));
}

void ZReportMessageParams::AddInsert(const std::string& text)
{
    m_inserts.Add(ZUnicodeString(ZString(text)));
}

void ZReportMessageParams::AddInsert(const char* text)
{
    m_inserts.Add(ZUnicodeString(ZString(text)));
}

void ZReportMessageParams::AddFormattedInsert(const wchar_t* pattern, uint32_t value)
{
    ZUnicodeString text;
    text.Format(pattern, value);
    m_inserts.Add(text);
}

void ZReportMessageParams::AddFormattedInsert(const wchar_t* pattern, uint64_t value)
{
    ZUnicodeString text;
    text.Format(pattern, value);
    m_inserts.Add(text);
}

HMODULE ZReportMessageParams::GetModule() const
{
    return m_module;
}

const wchar_t* ZReportMessageParams::GetText() const
{
    return FormatMessageText(0);
}

const wchar_t* ZReportMessageParams::GetTextNoFinalBreak()
{
    FormatMessageText(0);
    if (m_text && m_textLength >= 2 && m_text[m_textLength - 2] == L'\r' && m_text[m_textLength - 1] == L'\n') {
        m_textLength -= 2;
        m_text[m_textLength] = L'\0';
    }
    return GetText();
}

const wchar_t* ZReportMessageParams::GetSingleLineText() const
{
    return FormatMessageText(kOneLine);
}

const wchar_t* ZReportMessageParams::GetSingleLineTextTrimmed()
{
    FormatMessageText(kOneLine);
    if (m_text && m_textLength >= 1 && m_text[m_textLength - 1] == L' ') {
        m_textLength -= 1;
        m_text[m_textLength] = L'\0';
    }
    return GetText();
}

const wchar_t* ZReportMessageParams::GetTextWithOrigin(uint32_t wrapperId)
{
    if (!m_originText)
        return GetText();
    ZReportMessageParams wrapper(wrapperId, GetTessaroDll());
    wrapper.AddInsert(GetText());
    wrapper.AddInsert(m_originText);
    wrapper.AddFormattedInsert(L"%1!d!", static_cast<uint32_t>(m_originNumber));
    m_wrappedText = wrapper.GetText();
    return m_wrappedText.c_str();
}

uint64_t ZReportMessageParams::GetTextLength() const
{
    return m_textLength;
}

const ZStringArray& ZReportMessageParams::GetInserts() const
{
    return m_inserts;
}

void ZReportMessageParams::SetOrigin(const char* text, int32_t number)
{
    m_originText = text;
    m_originNumber = number;
}

const wchar_t* ZReportMessageParams::FormatMessageText(DWORD width, bool ignoreInserts) const
{
    if (m_text)
        return m_text.get();
    try {
        StoreText(ComposeText(width, ignoreInserts));
    } catch (...) {
        try {
            StoreText(UnknownMessageText(m_messageId));
        } catch (...) {
            // Out of memory: nothing to cache; the next getter tries again.
            return L"";
        }
    }
    return m_text.get();
}

std::wstring ZReportMessageParams::ComposeText(DWORD width, bool ignoreInserts) const
{
    // One pointer per insert; the formatter reads no more than the text asks for.
    std::vector<DWORD_PTR> arguments;
    arguments.reserve(m_inserts.GetCount() + 1);
    for (const ZUnicodeString& insert : m_inserts)
        arguments.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
    arguments.push_back(0);

    const HMODULE host = Tessaro::GetHostModule();
    std::vector<MessageTable> tables;
    if (!(m_messageId & kCustomerBit)) {
        tables.push_back({FORMAT_MESSAGE_FROM_SYSTEM, nullptr});
        tables.push_back({FORMAT_MESSAGE_FROM_HMODULE, KernelLayerModule()});
    }
    // A null module already means the host executable to the platform.
    if (m_module && m_module != host)
        tables.push_back({FORMAT_MESSAGE_FROM_HMODULE, m_module});
    tables.push_back({FORMAT_MESSAGE_FROM_HMODULE, host});

    DWORD error = ERROR_MR_MID_NOT_FOUND;
    for (const MessageTable& table : tables) {
        try {
            return LookUp(table, m_messageId, width, arguments, m_inserts.GetCount(), ignoreInserts, error);
        } catch (const MessageNotFound&) {
            continue;
        } catch (const InvalidParameter&) {
            break;
        } catch (const std::runtime_error&) {
            break;
        }
    }
    if (IsMessageMissing(error) || t_describingFailure > 0)
        return UnknownMessageText(m_messageId);

    DescribingFailure guard;
    ZReportMessageParams description(error, GetTessaroDll());
    std::wstring text = description.GetTextNoFinalBreak();
    text += L"\r\n";
    return text;
}

void ZReportMessageParams::StoreText(const std::wstring& text) const
{
    auto copy = std::make_unique<wchar_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), copy.get());
    copy[text.size()] = L'\0';
    m_text = std::move(copy);
    m_textLength = text.size();
}

void ZReportMessageParams::DropText()
{
    m_text.reset();
    m_textLength = 0;
    m_wrappedText.clear();
}

bool ValidateIntMinMax(ZReportMessageParams& report, int value, int min, int max, unsigned long messageId)
{
    if (min <= value && value <= max)
        return true;
    report.Reset(messageId != 0 ? static_cast<uint32_t>(messageId) : kEnterIntegerBetween);
    report.AddFormattedInsert(L"%1!d!", static_cast<uint32_t>(min));
    report.AddFormattedInsert(L"%1!d!", static_cast<uint32_t>(max));
    return false;
}

std::wstring LoadMessageLabel(uint32_t id, HMODULE module)
{
    class Label : public ZReportMessageParams {
    public:
        Label(uint32_t id, HMODULE module) : ZReportMessageParams(id, module) { FormatMessageText(kOneLine, true); }
    };
    Label label(id, module);
    return label.GetSingleLineTextTrimmed();
}
