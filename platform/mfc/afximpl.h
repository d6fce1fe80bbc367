// Shared inside the stand-in DLL only.
#pragma once

class CWinThread;

// Makes thread the calling thread's CWinThread (null: none).
void AfxSetCurrentThread(CWinThread* thread);

class CWnd;

// Attaches wnd to the next window the calling thread creates, before its first
// message; FALSE when the hook cannot be set. Always pair with the unhook.
BOOL AfxHookWindowCreate(CWnd* wnd);
void AfxUnhookWindowCreate();
