// Windows Sockets in the framework: CAsyncSocket turns Winsock's window-message
// notifications into virtual calls on the socket object.
//
// Each thread that attaches a socket gets one hidden socket window and a map
// from socket handle to object; WSAAsyncSelect posts the socket's events to
// that window, and the window procedure calls OnReceive, OnSend, OnOutOfBandData,
// OnAccept, OnConnect or OnClose on the object, on that thread. Every attached
// socket has a notification message of its own, so that a notification still
// queued for a closed handle never reaches a later socket given the same handle.
// The window goes when the thread's last socket is detached.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include "afxwin.h"

// Starts Winsock 2.2 for the process (once); FALSE when it cannot be started.
TESSARO_MFC_API BOOL AFXAPI AfxSocketInit(WSADATA* data = nullptr);

class TESSARO_MFC_API CAsyncSocket : public CObject {
    DECLARE_DYNAMIC(CAsyncSocket)
public:
    static constexpr long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

    CAsyncSocket();
    // Closes the handle if one is still attached.
    ~CAsyncSocket() override;
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;

    SOCKET m_hSocket;
    operator SOCKET() const { return m_hSocket; }

    // Takes over an open handle on the calling thread and selects the events.
    BOOL Attach(SOCKET socket, long events = kAllEvents);
    // The object attached to a handle on the calling thread, or null.
    static CAsyncSocket* PASCAL FromHandle(SOCKET socket);
    static int PASCAL GetLastError() { return ::WSAGetLastError(); }

    BOOL AsyncSelect(long events = kAllEvents);
    virtual BOOL Accept(CAsyncSocket& connected, SOCKADDR* address = nullptr, int* addressLength = nullptr);
    BOOL Bind(const SOCKADDR* address, int addressLength);
    // Detaches and closes the handle.
    virtual void Close();
    BOOL Connect(const SOCKADDR* address, int addressLength);
    BOOL Listen(int backlog = 5);
    virtual int Receive(void* buffer, int length, int flags = 0);
    int ReceiveFrom(void* buffer, int length, SOCKADDR* address, int* addressLength, int flags = 0);
    virtual int Send(const void* buffer, int length, int flags = 0);
    int SendTo(const void* buffer, int length, const SOCKADDR* address, int addressLength, int flags = 0);
    BOOL ShutDown(int how = 1);
    BOOL GetSockName(CString& address, UINT& port);
    BOOL SetSockOpt(int name, const void* value, int length, int level = SOL_SOCKET);
    BOOL GetSockOpt(int name, void* value, int* length, int level = SOL_SOCKET);

    // The framework's calls from the socket window; the error is the event's.
    virtual void OnReceive(int error);
    virtual void OnSend(int error);
    virtual void OnOutOfBandData(int error);
    virtual void OnAccept(int error);
    virtual void OnConnect(int error);
    virtual void OnClose(int error);

protected:
    // Enters the handle in the calling thread's map (making the thread's socket
    // window first if needed) and gives it its notification message.
    static void PASCAL AttachHandle(SOCKET socket, CAsyncSocket* object, BOOL dead = FALSE);
    // Leaves the map; the thread's window goes with its last socket.
    static void PASCAL DetachHandle(SOCKET socket, BOOL dead = FALSE);

private:
    friend LRESULT CALLBACK AfxSocketWindowProc(HWND, UINT, WPARAM, LPARAM);
    void DoCallBack(long event, int error);

    UINT m_notifyMessage = 0;  // the message WSAAsyncSelect posts for this socket
    HWND m_notifyWindow = nullptr;
};
