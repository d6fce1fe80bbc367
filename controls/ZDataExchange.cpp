#include "controls/ZDataExchange.h"

#include <string_view>

#include "TessaroMessages.h"
#include "controls/ZExchangeRules.h"
#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"

namespace {

constexpr UINT kHighestPort = 65535;

// The framework's copy of a value on its way through the framework's own
// exchange; a sensitive value's copy is wiped before it is freed.
class FrameworkText {
public:
    explicit FrameworkText(bool sensitive = false) : m_sensitive(sensitive) {}
    FrameworkText(const wchar_t* text, size_t length, bool sensitive = false)
        : m_text(text, static_cast<int>(length)), m_sensitive(sensitive)
    {
    }
    ~FrameworkText()
    {
        if (m_sensitive && !m_text.IsEmpty())
            ::SecureZeroMemory(m_text.GetBuffer(), static_cast<size_t>(m_text.GetLength()) * sizeof(wchar_t));
    }
    FrameworkText(const FrameworkText&) = delete;
    FrameworkText& operator=(const FrameworkText&) = delete;

    CStringW& Get() { return m_text; }
    std::wstring_view View() const { return {m_text.GetString(), static_cast<size_t>(m_text.GetLength())}; }

private:
    CStringW m_text;
    bool m_sensitive;
};

bool IsFieldEnabled(CDataExchange* pDX, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(pDX->m_pDlgWnd->GetSafeHwnd(), id)) != FALSE;
}

// A disabled field is read leniently and never refused; an enabled one goes
// through the framework's exchange with its checks and prompts.
template <class Number, class Parse>
void ExchangeEnabledNumber(CDataExchange* pDX, int id, Number& value, Parse parse)
{
    HWND control = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate && !::IsWindowEnabled(control)) {
        FrameworkText text;
        CWnd::FromHandle(control)->GetWindowText(text.Get());
        value = static_cast<Number>(parse(text.View()));
        return;
    }
    DDX_Text(pDX, id, value);
}

void ExchangePort(CDataExchange* pDX, int id, unsigned short& port, unsigned short minimum)
{
    UINT value = port;
    DDX_Text(pDX, id, value);
    DDV_MinMaxUInt(pDX, value, minimum, kHighestPort);
    if (pDX->m_bSaveAndValidate)
        port = static_cast<unsigned short>(value);
}

void ExchangeEnabledPort(CDataExchange* pDX, int id, unsigned short& port, unsigned short minimum)
{
    UINT value = port;
    ZDDX_EnabledText(pDX, id, value);
    if (IsFieldEnabled(pDX, id))
        DDV_MinMaxUInt(pDX, value, minimum, kHighestPort);
    else if (value > kHighestPort)
        value = 0;  // cut down to 16 bits it would become some other port
    if (pDX->m_bSaveAndValidate)
        port = static_cast<unsigned short>(value);
}

}  // namespace

void AFXAPI DDX_Port(CDataExchange* pDX, int id, unsigned short& port)
{
    ExchangePort(pDX, id, port, 1);
}

void AFXAPI DDX_Port(CDataExchange* pDX, int id, unsigned short& port, unsigned short minimum)
{
    ExchangePort(pDX, id, port, minimum);
}

void AFXAPI DDX_EnabledPort(CDataExchange* pDX, int id, unsigned short& port)
{
    ExchangeEnabledPort(pDX, id, port, 1);
}

void AFXAPI DDX_EnabledPort(CDataExchange* pDX, int id, unsigned short& port, unsigned short minimum)
{
    ExchangeEnabledPort(pDX, id, port, minimum);
}

void AFXAPI ZDDX_EnabledText(CDataExchange* pDX, int id, int& value)
{
    ExchangeEnabledNumber(pDX, id, value, Tessaro::ParseLenientInt);
}

void AFXAPI ZDDX_EnabledText(CDataExchange* pDX, int id, unsigned int& value)
{
    ExchangeEnabledNumber(pDX, id, value, Tessaro::ParseLenientUInt);
}

void AFXAPI ZDDX_EnabledText(CDataExchange* pDX, int id, unsigned long& value)
{
    ExchangeEnabledNumber(pDX, id, value, Tessaro::ParseLenientUInt);
}

void AFXAPI DDX_Check(CDataExchange* pDX, int id, ZTriState& state)
{
    int check = static_cast<int>(state);
    DDX_Check(pDX, id, check);
    if (pDX->m_bSaveAndValidate)
        state = static_cast<ZTriState>(check);
}

void AFXAPI DDX_Check(CDataExchange* pDX, int id, bool& checked)
{
    int check = checked ? BST_CHECKED : BST_UNCHECKED;
    DDX_Check(pDX, id, check);
    if (pDX->m_bSaveAndValidate)
        checked = check != BST_UNCHECKED;
}

void AFXAPI DDX_Text(CDataExchange* pDX, int id, ZUnicodeString& value)
{
    FrameworkText text(value.c_str(), value.length(), value.IsSensitive());
    DDX_Text(pDX, id, text.Get());
    if (pDX->m_bSaveAndValidate)
        value = text.Get();
}

void AFXAPI DDX_Text(CDataExchange* pDX, int id, ZString& value)
{
    ZUnicodeString wide(value.GetSensitiveState());
    wide = value.ToUnicode();
    DDX_Text(pDX, id, wide);
    if (pDX->m_bSaveAndValidate)
        value = ZString(wide);
}

void AFXAPI DDX_Text(CDataExchange* pDX, int id, std::wstring& value)
{
    FrameworkText text(value.data(), value.size());
    DDX_Text(pDX, id, text.Get());
    if (pDX->m_bSaveAndValidate)
        value.assign(text.View());
}

void AFXAPI DDX_Text(CDataExchange* pDX, int id, ZStringArray& lines)
{
    if (!pDX->m_bSaveAndValidate) {
        const std::wstring joined = Tessaro::JoinLines(lines);
        FrameworkText text(joined.data(), joined.size());
        DDX_Text(pDX, id, text.Get());
        return;
    }
    FrameworkText text;
    DDX_Text(pDX, id, text.Get());
    Tessaro::SplitLines(text.View(), lines);
}

void AFXAPI DDX_CBString(CDataExchange* pDX, int id, ZUnicodeString& value)
{
    FrameworkText text(value.c_str(), value.length(), value.IsSensitive());
    DDX_CBString(pDX, id, text.Get());
    if (pDX->m_bSaveAndValidate)
        value = text.Get();
}

void AFXAPI DDX_CBString(CDataExchange* pDX, int id, std::wstring& value)
{
    FrameworkText text(value.data(), value.size());
    DDX_CBString(pDX, id, text.Get());
    if (pDX->m_bSaveAndValidate)
        value.assign(text.View());
}

void AFXAPI DDX_CBStringExact(CDataExchange* pDX, int id, ZUnicodeString& value)
{
    FrameworkText text(value.c_str(), value.length(), value.IsSensitive());
    DDX_CBStringExact(pDX, id, text.Get());
    if (pDX->m_bSaveAndValidate)
        value = text.Get();
}

void AFXAPI DDV_MaxChars(CDataExchange* pDX, const ZString& value, int maximum)
{
    const ZUnicodeString wide = value.ToUnicode();
    FrameworkText text(wide.c_str(), wide.length(), value.IsSensitive());
    DDV_MaxChars(pDX, text.Get(), maximum);
}

void AFXAPI DDV_MaxChars(CDataExchange* pDX, const ZUnicodeString& value, int maximum)
{
    FrameworkText text(value.c_str(), value.length(), value.IsSensitive());
    DDV_MaxChars(pDX, text.Get(), maximum);
}

void AFXAPI ZDDV_ValidateHostName(CDataExchange* pDX, int id, const wchar_t* hostName)
{
    if (!pDX->m_bSaveAndValidate || !hostName || !Tessaro::IsReservedDeviceName(hostName))
        return;
    pDX->PrepareEditCtrl(id);
    ZReportMessageParams report(MSG_RESERVED_DEVICE_NAME);
    report.AddInsert(hostName);
    AfxMessageBox(report.GetTextNoFinalBreak());
    pDX->Fail();
}

void AFXAPI ZDDV_ValidatePath(CDataExchange* pDX, int id, const wchar_t* path)
{
    if (!pDX->m_bSaveAndValidate || !path || !*path || ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return;
    ZReportMessageParams report(MSG_FILE_NOT_FOUND);
    report.AddInsert(path);
    ZMessageBox(pDX->m_pDlgWnd, &report);
    pDX->PrepareEditCtrl(id);
    pDX->Fail();
}
