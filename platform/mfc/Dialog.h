// Dialogs and data exchange.
//
//   CDialog          modal (its own message loop) and modeless dialogs
//   CDataExchange    one UpdateData pass; Fail refocuses the failing control
//   DDX_... DDV_...  the exchange and validation functions
//
// A modal dialog is created modelessly, its owner disabled, and pumped by
// RunModalLoop: each message goes through the PreTranslateMessage walk (the
// dialog's own step is IsDialogMessage) before it is dispatched.
#pragma once

#include "afx.h"
#include "CWnd.h"

// Thrown by CDataExchange::Fail once the user has been told; UpdateData catches it.
class TESSARO_MFC_API CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
};

[[noreturn]] TESSARO_MFC_API void AFXAPI AfxThrowUserException();

class TESSARO_MFC_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    // The control's window; the last control prepared is the one Fail refocuses.
    HWND PrepareCtrl(int id);
    // The same for an edit control: Fail also selects its text.
    HWND PrepareEditCtrl(int id);
    // Focuses the last prepared control (selecting an edit's text) and throws
    // CUserException; call it after telling the user what is wrong.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

class TESSARO_MFC_API CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    CDialog(UINT templateId, CWnd* parent = nullptr);
    // The name must outlive the dialog.
    CDialog(LPCWSTR templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // Prepares a modal dialog from a template in memory (which must outlive
    // DoModal); initData is optional dialog initialisation data.
    BOOL InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr, void* initData = nullptr);
    // The result given to EndDialog; -1 when the dialog could not be made or
    // WM_QUIT ended it (the quit message is posted again for the outer loop).
    virtual INT_PTR DoModal();

    // Modeless.
    using CWnd::Create;
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual BOOL Create(LPCWSTR templateName, CWnd* parent = nullptr);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr, void* initData = nullptr);

    virtual BOOL OnInitDialog();
    // Runs DoDataExchange; FALSE (with the failing control focused) when a
    // value was refused.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);
    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const;
    void SetDefID(UINT id);

    BOOL PreTranslateMessage(MSG* msg) override;

    // The modal loop, run by DoModal; ends when EndModalLoop is called.
    virtual int RunModalLoop();
    void EndModalLoop(int result);
    BOOL ContinueModal() const { return m_bContinueModal; }

    CWnd* m_pParentWnd = nullptr;
    LPCWSTR m_lpszTemplateName = nullptr;
    LPCDLGTEMPLATEW m_lpDialogTemplate = nullptr;
    void* m_lpDialogInit = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();
    // Fills list and combo boxes from dialog initialisation data.
    BOOL ExecuteDlgInit(void* initData);

    afx_msg LRESULT HandleInitDialog(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateFromTemplate(LPCDLGTEMPLATEW dialogTemplate, HWND owner, void* initData);
    LPCDLGTEMPLATEW LoadTemplate();

    BOOL m_bContinueModal = FALSE;
    int m_nModalResult = -1;
};

// Data exchange: with m_bSaveAndValidate the control's value is read into the
// variable (a bad value is reported and the exchange fails), otherwise the
// variable's value is shown.
TESSARO_MFC_API void AFXAPI DDX_Text(CDataExchange* dx, int id, CStringW& value);
TESSARO_MFC_API void AFXAPI DDX_Text(CDataExchange* dx, int id, int& value);
TESSARO_MFC_API void AFXAPI DDX_Text(CDataExchange* dx, int id, UINT& value);
TESSARO_MFC_API void AFXAPI DDX_Text(CDataExchange* dx, int id, DWORD& value);
TESSARO_MFC_API void AFXAPI DDX_Check(CDataExchange* dx, int id, int& value);
TESSARO_MFC_API void AFXAPI DDX_CBIndex(CDataExchange* dx, int id, int& index);
TESSARO_MFC_API void AFXAPI DDX_CBString(CDataExchange* dx, int id, CStringW& value);
TESSARO_MFC_API void AFXAPI DDX_CBStringExact(CDataExchange* dx, int id, CStringW& value);
// Subclasses the control into the object the first time.
TESSARO_MFC_API void AFXAPI DDX_Control(CDataExchange* dx, int id, CWnd& control);

// Validation, after the matching DDX_ call.
TESSARO_MFC_API void AFXAPI DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);
TESSARO_MFC_API void AFXAPI DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum);
// When showing, limits the edit control's length instead.
TESSARO_MFC_API void AFXAPI DDV_MaxChars(CDataExchange* dx, const CStringW& value, int maximum);
