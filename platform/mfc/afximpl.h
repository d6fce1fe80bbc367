// Shared inside the stand-in DLL only.
#pragma once

class CWinThread;

// Makes thread the calling thread's CWinThread (null: none).
void AfxSetCurrentThread(CWinThread* thread);
