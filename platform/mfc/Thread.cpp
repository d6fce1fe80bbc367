#include "afxwin.h"
#include "afximpl.h"

#include <process.h>

namespace {

// The CWinThread that runs on this thread, if the framework started it.
thread_local CWinThread* t_currentThread = nullptr;

unsigned __stdcall ThreadEntry(void* argument)
{
    CWinThread* thread = static_cast<CWinThread*>(argument);
    t_currentThread = thread;
    // Settled while the thread was born suspended. An object that does not
    // delete itself belongs to its creator, who may free it while the function
    // is still returning: it is not touched after the function.
    const bool autoDelete = thread->m_bAutoDelete;
    const UINT code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    t_currentThread = nullptr;
    if (autoDelete)
        thread->Delete();
    return code;
}

}  // namespace

void AfxSetCurrentThread(CWinThread* thread)
{
    t_currentThread = thread;
}

IMPLEMENT_DYNAMIC(CWinThread, CObject)

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC function, LPVOID parameter)
    : m_pfnThreadProc(function), m_pThreadParams(parameter)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
    if (t_currentThread == this)
        t_currentThread = nullptr;
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security)
{
    ASSERT(m_hThread == nullptr && m_pfnThreadProc != nullptr);
    if (m_hThread || !m_pfnThreadProc)
        return FALSE;
    // Always born suspended, so that the handle and id are in place before the
    // thread can run (and, with auto-delete, free this object).
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(security, stackSize, ThreadEntry, this,
                                            createFlags | CREATE_SUSPENDED, &id);
    if (handle == 0)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = id;
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread()
{
    ASSERT(m_hThread != nullptr);
    return ::ResumeThread(m_hThread);
}

DWORD CWinThread::SuspendThread()
{
    ASSERT(m_hThread != nullptr);
    return ::SuspendThread(m_hThread);
}

int CWinThread::GetThreadPriority()
{
    ASSERT(m_hThread != nullptr);
    return ::GetThreadPriority(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int priority)
{
    ASSERT(m_hThread != nullptr);
    return ::SetThreadPriority(m_hThread, priority);
}

CWnd* CWinThread::GetMainWnd()
{
    return m_pMainWnd;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

int CWinThread::Run()
{
    for (;;) {
        LONG idleCount = 0;
        while (!::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idleCount++)) {
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
        } while (::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    if (!::GetMessageW(&m_msgCur, nullptr, 0, 0))
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg)
{
    CWnd* main = AfxGetMainWnd();
    return CWnd::WalkPreTranslateTree(main->GetSafeHwnd(), msg);
}

BOOL CWinThread::OnIdle(LONG)
{
    AfxDeleteTempMaps();
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

BOOL AFXAPI AfxPreTranslateMessage(MSG* msg)
{
    if (CWinThread* thread = AfxGetThread())
        return thread->PreTranslateMessage(msg);
    CWnd* main = AfxGetMainWnd();
    return CWnd::WalkPreTranslateTree(main->GetSafeHwnd(), msg);
}

CWinThread* AFXAPI AfxGetThread()
{
    return t_currentThread;
}

CWnd* AFXAPI AfxGetMainWnd()
{
    if (CWinThread* thread = AfxGetThread())
        return thread->GetMainWnd();
    CWinApp* app = AfxGetApp();
    return app ? app->GetMainWnd() : nullptr;
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC function, LPVOID parameter, int priority,
                                  UINT stackSize, DWORD createFlags, LPSECURITY_ATTRIBUTES security)
{
    if (!function)
        return nullptr;
    CWinThread* thread = new CWinThread(function, parameter);
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, security)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(createFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}
