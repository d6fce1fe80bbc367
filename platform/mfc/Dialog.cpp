#include "afxwin.h"
#include "afximpl.h"

#include "TessaroMessages.h"

#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace {

// The dialog manager's procedure for framework dialogs: AfxWndProc sees every
// message first, so whatever reaches here gets the default handling.
INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// Tells the user what is wrong with a value, in the user's language, from the
// message table this module carries.
void Prompt(DWORD messageId, DWORD_PTR first = 0, DWORD_PTR second = 0)
{
    DWORD_PTR arguments[] = {first, second};
    LPWSTR text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        ThisModule(), messageId, 0, reinterpret_cast<LPWSTR>(&text), 0, reinterpret_cast<va_list*>(arguments));
    if (length == 0 || !text)
        return;
    // The table ends each text with a line break that a box does not need.
    for (DWORD end = length; end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n'); --end)
        text[end - 1] = L'\0';
    AfxMessageBox(text, MB_ICONEXCLAMATION);
    ::LocalFree(text);
}

bool IsBlank(const wchar_t* text)
{
    for (; *text; ++text) {
        if (!std::iswspace(*text))
            return false;
    }
    return true;
}

// A whole signed decimal number in range, blanks around it allowed.
bool ParseInt(const CStringW& text, int& value)
{
    const wchar_t* begin = text;
    wchar_t* end = nullptr;
    errno = 0;
    const long long parsed = std::wcstoll(begin, &end, 10);
    if (end == begin || errno == ERANGE || !IsBlank(end) || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseUInt(const CStringW& text, UINT& value)
{
    const wchar_t* begin = text;
    while (std::iswspace(*begin))
        ++begin;
    if (*begin == L'-')
        return false;  // wcstoull would wrap a negative number round
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::wcstoull(begin, &end, 10);
    if (end == begin || errno == ERANGE || !IsBlank(end) || parsed > UINT_MAX)
        return false;
    value = static_cast<UINT>(parsed);
    return true;
}

bool HasEdit(HWND combo)
{
    return (::GetWindowLongPtrW(combo, GWL_STYLE) & 3) != CBS_DROPDOWNLIST;
}

void ReadComboString(HWND combo, CStringW& value)
{
    if (HasEdit(combo)) {
        CWnd::FromHandle(combo)->GetWindowText(value);
        return;
    }
    value.Empty();
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return;
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return;
    LPWSTR buffer = value.GetBuffer(static_cast<int>(length) + 1);
    const LRESULT copied = ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    value.ReleaseBuffer(copied == CB_ERR ? 0 : static_cast<int>(copied));
}

}  // namespace

IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CDialog, CWnd)

[[noreturn]] void AFXAPI AfxThrowUserException()
{
    throw new CUserException;
}

// --- data exchange ----------------------------------------------------------

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

HWND CDataExchange::PrepareCtrl(int id)
{
    HWND control = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), id);
    ASSERT(control != nullptr);
    m_hWndLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id)
{
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl) {
        // Through the dialog manager, so that the default button follows.
        ::SendMessageW(m_pDlgWnd->GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), TRUE);
        if (::GetFocus() != m_hWndLastControl)
            ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

void AFXAPI DDX_Text(CDataExchange* dx, int id, CStringW& value)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        CWnd::FromHandle(control)->GetWindowText(value);
    else
        ::SetWindowTextW(control, value);
}

void AFXAPI DDX_Text(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        CStringW text;
        CWnd::FromHandle(control)->GetWindowText(text);
        if (!ParseInt(text, value)) {
            Prompt(MSG_DDX_PARSE_INT);
            dx->Fail();
        }
    } else {
        CStringW text;
        text.Format(L"%d", value);
        ::SetWindowTextW(control, text);
    }
}

void AFXAPI DDX_Text(CDataExchange* dx, int id, UINT& value)
{
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        CStringW text;
        CWnd::FromHandle(control)->GetWindowText(text);
        if (!ParseUInt(text, value)) {
            Prompt(MSG_DDX_PARSE_UINT);
            dx->Fail();
        }
    } else {
        CStringW text;
        text.Format(L"%u", value);
        ::SetWindowTextW(control, text);
    }
}

void AFXAPI DDX_Text(CDataExchange* dx, int id, DWORD& value)
{
    // DWORD is as wide as UINT here: the same text, the same refusals.
    static_assert(sizeof(DWORD) == sizeof(UINT));
    UINT copy = value;
    DDX_Text(dx, id, copy);
    value = copy;
}

void AFXAPI DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void AFXAPI DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void AFXAPI DDX_CBString(CDataExchange* dx, int id, CStringW& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        ReadComboString(control, value);
        return;
    }
    // The first item starting with the value; a value no item has stays as text.
    if (::SendMessageW(control, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(value))) == CB_ERR && HasEdit(control))
        ::SetWindowTextW(control, value);
}

void AFXAPI DDX_CBStringExact(CDataExchange* dx, int id, CStringW& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        ReadComboString(control, value);
        return;
    }
    const LRESULT index = ::SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(value)));
    if (index != CB_ERR)
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else if (HasEdit(control))
        ::SetWindowTextW(control, value);
}

void AFXAPI DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    HWND window = dx->PrepareCtrl(id);
    VERIFY(control.SubclassWindow(window));
}

void AFXAPI DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum)
{
    ASSERT(minimum <= maximum);
    if (!dx->m_bSaveAndValidate || (minimum <= value && value <= maximum))
        return;
    Prompt(MSG_DDX_RANGE_INT, static_cast<DWORD_PTR>(static_cast<INT_PTR>(minimum)),
           static_cast<DWORD_PTR>(static_cast<INT_PTR>(maximum)));
    dx->Fail();
}

void AFXAPI DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum)
{
    ASSERT(minimum <= maximum);
    if (!dx->m_bSaveAndValidate || (minimum <= value && value <= maximum))
        return;
    Prompt(MSG_DDX_RANGE_UINT, minimum, maximum);
    dx->Fail();
}

void AFXAPI DDV_MaxChars(CDataExchange* dx, const CStringW& value, int maximum)
{
    ASSERT(maximum >= 1);
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_hWndLastControl && dx->m_bEditLastControl)
            ::SendMessageW(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maximum), 0);
        return;
    }
    if (value.GetLength() <= maximum)
        return;
    Prompt(MSG_DDX_MAX_CHARS, static_cast<DWORD_PTR>(maximum));
    dx->Fail();
}

// --- dialogs ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_pParentWnd(parent), m_lpszTemplateName(MAKEINTRESOURCEW(templateId))
{
}

CDialog::CDialog(LPCWSTR templateName, CWnd* parent)
    : m_pParentWnd(parent), m_lpszTemplateName(templateName)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent, void* initData)
{
    ASSERT(dialogTemplate != nullptr);
    m_lpDialogTemplate = dialogTemplate;
    m_lpDialogInit = initData;
    m_pParentWnd = parent;
    return dialogTemplate != nullptr;
}

LPCDLGTEMPLATEW CDialog::LoadTemplate()
{
    if (m_lpDialogTemplate)
        return m_lpDialogTemplate;
    if (!m_lpszTemplateName)
        return nullptr;
    HINSTANCE module = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC resource = ::FindResourceW(module, m_lpszTemplateName, RT_DIALOG);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    if (!loaded)
        return nullptr;
    if (!m_lpDialogInit) {
        if (HRSRC init = ::FindResourceW(module, m_lpszTemplateName, MAKEINTRESOURCEW(240) /* RT_DLGINIT */)) {
            if (HGLOBAL initLoaded = ::LoadResource(module, init))
                m_lpDialogInit = ::LockResource(initLoaded);
        }
    }
    return static_cast<LPCDLGTEMPLATEW>(::LockResource(loaded));
}

BOOL CDialog::CreateFromTemplate(LPCDLGTEMPLATEW dialogTemplate, HWND owner, void* initData)
{
    ASSERT(m_hWnd == nullptr);
    if (!dialogTemplate || m_hWnd)
        return FALSE;
    m_lpDialogInit = initData;
    if (!AfxHookWindowCreate(this))
        return FALSE;
    HWND window = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), dialogTemplate, owner, AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    return window != nullptr && window == m_hWnd;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    return Create(MAKEINTRESOURCEW(templateId), parent);
}

BOOL CDialog::Create(LPCWSTR templateName, CWnd* parent)
{
    m_lpszTemplateName = templateName;
    m_pParentWnd = parent;
    return CreateFromTemplate(LoadTemplate(), parent->GetSafeHwnd(), m_lpDialogInit);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent, void* initData)
{
    m_pParentWnd = parent;
    return CreateFromTemplate(dialogTemplate, parent->GetSafeHwnd(), initData);
}

INT_PTR CDialog::DoModal()
{
    LPCDLGTEMPLATEW dialogTemplate = LoadTemplate();
    if (!dialogTemplate)
        return -1;

    // The owner is a top-level window: the parent's, else the main window.
    HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->GetSafeHwnd(), GA_ROOT) : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main && ::IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
    }
    const bool disabledOwner = owner && ::IsWindowEnabled(owner);
    if (disabledOwner)
        ::EnableWindow(owner, FALSE);

    m_bContinueModal = TRUE;
    m_nModalResult = -1;
    if (CreateFromTemplate(dialogTemplate, owner, m_lpDialogInit)) {
        if (m_bContinueModal)  // OnInitDialog may already have ended it
            RunModalLoop();
        if (m_hWnd)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    // Give activation back to the owner before the dialog goes, so that it does
    // not land on some other application's window.
    if (disabledOwner) {
        ::EnableWindow(owner, TRUE);
        if (::GetActiveWindow() == m_hWnd || !::GetActiveWindow())
            ::SetActiveWindow(owner);
    }
    if (m_hWnd)
        DestroyWindow();
    m_bContinueModal = FALSE;
    return m_nModalResult;
}

int CDialog::RunModalLoop()
{
    if (!(GetStyle() & WS_VISIBLE))
        ShowWindow(SW_SHOWNORMAL);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MSG msg = {};
    while (m_bContinueModal) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // Idle: let the owner know, and free the temporaries of the last burst.
            if (owner)
                ::SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
            AfxDeleteTempMaps();
            if (!m_bContinueModal)
                break;
        }
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            // WM_QUIT ends the dialog without a result and goes on, with its
            // exit code, to the enclosing loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            EndModalLoop(-1);
            break;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return m_nModalResult;
}

void CDialog::EndModalLoop(int result)
{
    m_nModalResult = result;
    if (m_bContinueModal) {
        m_bContinueModal = FALSE;
        if (m_hWnd)
            PostMessage(WM_NULL);  // wakes the loop
    }
}

void CDialog::EndDialog(int result)
{
    ASSERT(::IsWindow(m_hWnd));
    EndModalLoop(result);
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    const UINT message = msg->message;
    // Ctrl+Tab and Ctrl+Page Up/Down switch the pages of whatever holds a
    // child dialog: IsDialogMessage here would take them as keys of its own.
    if (message == WM_KEYDOWN && (GetStyle() & WS_CHILD) && (::GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg->wParam == VK_TAB || msg->wParam == VK_PRIOR || msg->wParam == VK_NEXT))
        return FALSE;
    const bool input = (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                       (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    return input && ::IsDialogMessageW(m_hWnd, msg);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    if (m_lpDialogInit && !ExecuteDlgInit(m_lpDialogInit))
        TRACE(L"CDialog: dialog initialisation data not applied\n");
    // A template from resources brings its layout, when it has one, before
    // OnInitDialog may resize the dialog.
    if (m_lpszTemplateName)
        LoadDynamicLayoutResource(m_lpszTemplateName);
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    ASSERT(::IsWindow(m_hWnd));
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
        return TRUE;
    } catch (CException* e) {
        e->Delete();  // the user has been told (CUserException)
        return FALSE;
    }
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    ASSERT(::IsWindow(m_hWnd) && control != nullptr);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->GetSafeHwnd()), TRUE);
}

void CDialog::NextDlgCtrl() const
{
    SendMessage(WM_NEXTDLGCTL, 0, 0);
}

void CDialog::SetDefID(UINT id)
{
    SendMessage(DM_SETDEFID, id, 0);
}

BOOL CDialog::ExecuteDlgInit(void* initData)
{
    // Records of: control id (WORD), message (WORD, the 16-bit list and combo
    // add-string numbers), data length (DWORD), narrow text; a zero id ends them.
    constexpr WORD kListAddString = 0x0401;
    constexpr WORD kComboAddString = 0x0403;
    const BYTE* cursor = static_cast<const BYTE*>(initData);
    BOOL ok = TRUE;
    for (;;) {
        WORD id = 0, message = 0;
        DWORD length = 0;
        memcpy(&id, cursor, sizeof id);
        if (id == 0)
            break;
        memcpy(&message, cursor + 2, sizeof message);
        memcpy(&length, cursor + 4, sizeof length);
        const char* text = reinterpret_cast<const char*>(cursor + 8);
        cursor += 8 + length;
        const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
        CStringW wide;
        LPWSTR buffer = wide.GetBuffer(wideLength + 1);
        ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), buffer, wideLength);
        buffer[wideLength] = L'\0';
        wide.ReleaseBuffer();
        const UINT sent = message == kListAddString ? LB_ADDSTRING : message == kComboAddString ? CB_ADDSTRING : 0;
        if (!sent) {
            ok = FALSE;
            continue;
        }
        const LRESULT added = ::SendDlgItemMessageW(m_hWnd, id, sent, 0,
                                                    reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(wide)));
        if (added == LB_ERR || added == LB_ERRSPACE)
            ok = FALSE;
    }
    return ok;
}
