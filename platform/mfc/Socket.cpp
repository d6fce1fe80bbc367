#include "afxsock.h"

#include <mutex>
#include <unordered_map>

LRESULT CALLBACK AfxSocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

constexpr wchar_t kSocketWindowClass[] = L"TessaroMfcSocketWindow";
// Notification messages handed out to sockets, one each, in turn.
constexpr UINT kFirstNotifyMessage = WM_APP;
constexpr UINT kLastNotifyMessage = 0xBFFF;

struct AttachedSocket {
    CAsyncSocket* object;
    UINT message;
};

// The calling thread's socket window and the sockets attached on this thread.
struct SocketThreadState {
    HWND window = nullptr;
    std::unordered_map<SOCKET, AttachedSocket> sockets;
    UINT nextMessage = kFirstNotifyMessage;

    ~SocketThreadState()
    {
        if (window)
            ::DestroyWindow(window);
    }
};

thread_local SocketThreadState t_sockets;

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

bool RegisterSocketWindowClass()
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = AfxSocketWindowProc;
        windowClass.hInstance = ThisModule();
        windowClass.lpszClassName = kSocketWindowClass;
        return ::RegisterClassW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

UINT NextNotifyMessage()
{
    const UINT message = t_sockets.nextMessage;
    t_sockets.nextMessage = message == kLastNotifyMessage ? kFirstNotifyMessage : message + 1;
    return message;
}

}  // namespace

LRESULT CALLBACK AfxSocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message < kFirstNotifyMessage || message > kLastNotifyMessage)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const auto found = t_sockets.sockets.find(static_cast<SOCKET>(wParam));
    // A notification for a handle closed since, or for an earlier socket that had
    // the same handle value, is dropped.
    if (found == t_sockets.sockets.end() || found->second.message != message)
        return 0;
    found->second.object->DoCallBack(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
    return 0;
}

BOOL AFXAPI AfxSocketInit(WSADATA* data)
{
    static WSADATA started = {};
    static const bool ok = ::WSAStartup(MAKEWORD(2, 2), &started) == 0;
    if (ok && data)
        *data = started;
    return ok;
}

IMPLEMENT_DYNAMIC(CAsyncSocket, CObject)

CAsyncSocket::CAsyncSocket() : m_hSocket(INVALID_SOCKET) {}

CAsyncSocket::~CAsyncSocket()
{
    if (m_hSocket != INVALID_SOCKET)
        Close();
}

void PASCAL CAsyncSocket::AttachHandle(SOCKET socket, CAsyncSocket* object, BOOL)
{
    ASSERT(socket != INVALID_SOCKET && object != nullptr);
    SocketThreadState& state = t_sockets;
    if (!state.window && RegisterSocketWindowClass())
        state.window = ::CreateWindowExW(0, kSocketWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, HWND_MESSAGE,
                                         nullptr, ThisModule(), nullptr);
    object->m_notifyMessage = NextNotifyMessage();
    object->m_notifyWindow = state.window;
    state.sockets[socket] = {object, object->m_notifyMessage};
}

void PASCAL CAsyncSocket::DetachHandle(SOCKET socket, BOOL)
{
    SocketThreadState& state = t_sockets;
    state.sockets.erase(socket);
    if (state.sockets.empty() && state.window) {
        ::DestroyWindow(state.window);
        state.window = nullptr;
    }
}

CAsyncSocket* PASCAL CAsyncSocket::FromHandle(SOCKET socket)
{
    const auto found = t_sockets.sockets.find(socket);
    return found == t_sockets.sockets.end() ? nullptr : found->second.object;
}

BOOL CAsyncSocket::Attach(SOCKET socket, long events)
{
    ASSERT(m_hSocket == INVALID_SOCKET);
    m_hSocket = socket;
    AttachHandle(socket, this);
    return AsyncSelect(events);
}

BOOL CAsyncSocket::AsyncSelect(long events)
{
    ASSERT(m_hSocket != INVALID_SOCKET);
    if (!m_notifyWindow) {
        ::WSASetLastError(WSAENOTSOCK);
        return FALSE;
    }
    return ::WSAAsyncSelect(m_hSocket, m_notifyWindow, m_notifyMessage, events) != SOCKET_ERROR;
}

BOOL CAsyncSocket::Accept(CAsyncSocket& connected, SOCKADDR* address, int* addressLength)
{
    ASSERT(connected.m_hSocket == INVALID_SOCKET);
    const SOCKET socket = ::accept(m_hSocket, address, addressLength);
    if (socket == INVALID_SOCKET)
        return FALSE;
    connected.m_hSocket = socket;
    AttachHandle(socket, &connected);
    return TRUE;
}

BOOL CAsyncSocket::Bind(const SOCKADDR* address, int addressLength)
{
    return ::bind(m_hSocket, address, addressLength) != SOCKET_ERROR;
}

void CAsyncSocket::Close()
{
    if (m_hSocket == INVALID_SOCKET)
        return;
    const SOCKET socket = m_hSocket;
    m_hSocket = INVALID_SOCKET;
    if (FromHandle(socket) == this)
        DetachHandle(socket);
    m_notifyWindow = nullptr;
    ::closesocket(socket);
}

BOOL CAsyncSocket::Connect(const SOCKADDR* address, int addressLength)
{
    return ::connect(m_hSocket, address, addressLength) != SOCKET_ERROR;
}

BOOL CAsyncSocket::Listen(int backlog)
{
    return ::listen(m_hSocket, backlog) != SOCKET_ERROR;
}

int CAsyncSocket::Receive(void* buffer, int length, int flags)
{
    return ::recv(m_hSocket, static_cast<char*>(buffer), length, flags);
}

int CAsyncSocket::ReceiveFrom(void* buffer, int length, SOCKADDR* address, int* addressLength, int flags)
{
    return ::recvfrom(m_hSocket, static_cast<char*>(buffer), length, flags, address, addressLength);
}

int CAsyncSocket::Send(const void* buffer, int length, int flags)
{
    return ::send(m_hSocket, static_cast<const char*>(buffer), length, flags);
}

int CAsyncSocket::SendTo(const void* buffer, int length, const SOCKADDR* address, int addressLength, int flags)
{
    return ::sendto(m_hSocket, static_cast<const char*>(buffer), length, flags, address, addressLength);
}

BOOL CAsyncSocket::ShutDown(int how)
{
    return ::shutdown(m_hSocket, how) != SOCKET_ERROR;
}

BOOL CAsyncSocket::GetSockName(CString& address, UINT& port)
{
    sockaddr_storage name = {};
    int length = sizeof name;
    if (::getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&name), &length) == SOCKET_ERROR)
        return FALSE;
    wchar_t host[INET6_ADDRSTRLEN] = {};
    const void* raw = nullptr;
    if (name.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&name);
        raw = &v4->sin_addr;
        port = ::ntohs(v4->sin_port);
    } else if (name.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&name);
        raw = &v6->sin6_addr;
        port = ::ntohs(v6->sin6_port);
    }
    if (!raw || !::InetNtopW(name.ss_family, raw, host, INET6_ADDRSTRLEN)) {
        ::WSASetLastError(WSAEAFNOSUPPORT);
        return FALSE;
    }
    address = host;
    return TRUE;
}

BOOL CAsyncSocket::SetSockOpt(int name, const void* value, int length, int level)
{
    return ::setsockopt(m_hSocket, level, name, static_cast<const char*>(value), length) != SOCKET_ERROR;
}

BOOL CAsyncSocket::GetSockOpt(int name, void* value, int* length, int level)
{
    return ::getsockopt(m_hSocket, level, name, static_cast<char*>(value), length) != SOCKET_ERROR;
}

void CAsyncSocket::DoCallBack(long event, int error)
{
    switch (event) {
    case FD_READ:
        OnReceive(error);
        break;
    case FD_WRITE:
        OnSend(error);
        break;
    case FD_OOB:
        OnOutOfBandData(error);
        break;
    case FD_ACCEPT:
        OnAccept(error);
        break;
    case FD_CONNECT:
        OnConnect(error);
        break;
    case FD_CLOSE:
        OnClose(error);
        break;
    default:
        break;
    }
}

void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnOutOfBandData(int) {}
void CAsyncSocket::OnAccept(int) {}
void CAsyncSocket::OnConnect(int) {}
void CAsyncSocket::OnClose(int) {}
