// Windows part of the application-framework stand-in: windows, threads, the
// application object, message boxes and extension modules.
//
//   CWnd, message maps        CWnd.h, afxmsg_.h
//   CDC, CFont, CBrush, ...   Gdi.h
//   CDialog, CDataExchange    Dialog.h
//   CEdit, CComboBox, CMenu.. Controls.h (common controls: afxcmn.h)
//   CView, CFrameWnd          View.h
//   CMDIFrameWnd, CMDIChildWnd MDI.h
//   CMFCDynamicLayout         DynamicLayout.h
//   CCmdUI                    CmdUI.h
//   CWinThread, CWinApp       below
#pragma once

#include "afx.h"
#include "CWnd.h"
#include "Gdi.h"
#include "Dialog.h"
#include "Controls.h"
#include "View.h"
#include "MDI.h"
#include "DynamicLayout.h"
#include "CmdUI.h"

// The message-map callers that need a device context: the handler sees a CDC
// attached for the duration of the call.
template <class T, auto F> BOOL AfxMsg::b_dc(CWnd* w, WPARAM wp, LPARAM, LRESULT* r)
{
    CDC dc;
    dc.Attach(reinterpret_cast<HDC>(wp));
    *r = (static_cast<T*>(w)->*F)(&dc);
    dc.Detach();
    return TRUE;
}

template <class T, auto F> BOOL AfxMsg::h_ctlcolor(CWnd* w, WPARAM wp, LPARAM l, LRESULT* r)
{
    CDC dc;
    dc.Attach(reinterpret_cast<HDC>(wp));
    const UINT kind = AfxGetCurrentMessage()->message - WM_CTLCOLORMSGBOX;
    *r = reinterpret_cast<LRESULT>((static_cast<T*>(w)->*F)(&dc, WndOf(reinterpret_cast<HWND>(l)), kind));
    dc.Detach();
    return TRUE;
}

template <class T, auto F> BOOL AfxMsg::h_ctlcolor_reflect(CWnd* w, WPARAM wp, LPARAM, LRESULT* r)
{
    CDC dc;
    dc.Attach(reinterpret_cast<HDC>(wp));
    const UINT kind = AfxGetCurrentMessage()->message - WM_CTLCOLORMSGBOX;
    HBRUSH brush = (static_cast<T*>(w)->*F)(&dc, kind);
    dc.Detach();
    if (!brush)
        return FALSE;  // the parent colours the control
    *r = reinterpret_cast<LRESULT>(brush);
    return TRUE;
}

using AFX_THREADPROC = UINT(__cdecl*)(LPVOID);

// A thread known to the framework: the application's main thread (the CWinApp)
// or a worker started with AfxBeginThread.
class TESSARO_MFC_API CWinThread : public CObject {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC function, LPVOID parameter);
    // Closes the thread handle.
    ~CWinThread() override;

    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
    DWORD ResumeThread();
    DWORD SuspendThread();
    int GetThreadPriority();
    BOOL SetThreadPriority(int priority);
    operator HANDLE() const { return m_hThread; }

    virtual CWnd* GetMainWnd();
    // Deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    // The message loop. Run pumps until WM_QUIT and returns ExitInstance();
    // between bursts of messages OnIdle frees the thread's temporary objects.
    virtual int Run();
    virtual BOOL PumpMessage();
    // Walks the message's window and its parents up to the main window.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // FALSE when no more idle time is wanted.
    virtual BOOL OnIdle(LONG count);
    virtual int ExitInstance();
    MSG m_msgCur = {};

    CWnd* m_pMainWnd = nullptr;
    BOOL m_bAutoDelete = TRUE;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;
};

// The application. One per process; making it makes it the module state's
// current application and the current thread's CWinThread.
class TESSARO_MFC_API CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // A null name gives the application-title string (0xE000) of the
    // executable, else the executable's base name.
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    int ExitInstance() override { return 0; }
    virtual int DoMessageBox(LPCWSTR prompt, UINT type, UINT helpId);

    // The application profile. By default an initialisation file named by
    // m_pszProfileName ("<executable>.INI", relative names in the Windows
    // folder); hosts override them to keep their settings elsewhere.
    virtual UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue);
    virtual CStringW GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
    virtual BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value);
    // A null value removes the entry; a null entry removes the section.
    virtual BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value);

    // Strings owned by the application and freed with free(), as the framework
    // does: a host may replace one with its own _wcsdup copy.
    LPCWSTR m_pszAppName = nullptr;
    LPCWSTR m_pszExeName = nullptr;
    LPCWSTR m_pszProfileName = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

// The current thread's CWinThread, or null on a thread the framework did not start.
TESSARO_MFC_API CWinThread* AFXAPI AfxGetThread();
TESSARO_MFC_API CWinApp* AFXAPI AfxGetApp();
// The main window of the current thread's CWinThread, else of the application.
TESSARO_MFC_API CWnd* AFXAPI AfxGetMainWnd();

// Starts a worker thread running function(parameter). With CREATE_SUSPENDED the
// thread waits for ResumeThread. Null when the thread cannot be made.
TESSARO_MFC_API CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC function, LPVOID parameter,
                                                  int priority = THREAD_PRIORITY_NORMAL,
                                                  UINT stackSize = 0, DWORD createFlags = 0,
                                                  LPSECURITY_ATTRIBUTES security = nullptr);

// A message box owned by the main window, captioned with the application's
// name. The type is passed on as it is: no icon is added.
TESSARO_MFC_API int AFXAPI AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
TESSARO_MFC_API int AFXAPI AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = (UINT)-1);

// The current thread's PreTranslateMessage, or the walk up to the main window
// on a thread the framework did not start.
TESSARO_MFC_API BOOL AFXAPI AfxPreTranslateMessage(MSG* msg);
