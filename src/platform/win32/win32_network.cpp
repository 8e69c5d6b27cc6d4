#include "platform/win32/win32_network.h"

#include "platform/socket_setup.h"

#include "platform/win32/net_handles.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_stream.h"
#include "platform/win32/winsock_io.h"

namespace pictorn::platform::win32 {

namespace {

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

struct AddressListDeleter {
    void operator()(ADDRINFOW* list) const noexcept { FreeAddrInfoW(list); }
};

// Non-blocking, and not inherited: an editor or viewer the program starts must not keep a
// mail or FTP connection open after we have closed it.
bool prepareSocket(SOCKET socket) {
    SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    u_long nonBlocking = 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

// The Winsock calls of the shared set-up (platform/socket_setup.h).
struct WinsockSystem {
    using Socket = win32::Socket;
    using Resolved = ADDRINFOW;
    using AddressList = std::unique_ptr<ADDRINFOW, AddressListDeleter>;

    static int lookup(const std::string& host, std::uint16_t port, LookupKind kind,
                      AddressList& found, int& error) {
        ADDRINFOW hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        if (kind != LookupKind::Name)
            hints.ai_flags = AI_NUMERICHOST;
        if (kind == LookupKind::Passive)
            hints.ai_flags |= AI_PASSIVE;
        ADDRINFOW* list = nullptr;
        error = GetAddrInfoW(toWide(host).c_str(), std::to_wstring(port).c_str(), &hints, &list);
        found.reset(list);
        return error;
    }

    // Any failed lookup is a name not found; the system's reason goes in brackets.
    static NetResult lookupFailed(int rc, int) {
        const NetResult result = wsaResult(rc);
        if (result.status == NetStatus::NotFound)
            return result;
        NetResult notFound = socketFailure(SocketFailure::HostNotFound);
        notFound.detail += " (" + result.detail + ")";
        return notFound;
    }

    static Socket open(int family) {
        Socket socket(::socket(family, SOCK_STREAM, IPPROTO_TCP));
        if (socket && !prepareSocket(socket.get()))
            socket.reset();
        return socket;
    }

    static NetResult lastError() { return wsaResult(WSAGetLastError()); }

    static SocketStep startConnect(const Socket& socket, const ADDRINFOW& address) {
        if (::connect(socket.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0)
            return {};
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS)
            return {{}, true};
        return {wsaResult(error)};
    }

    // select() reported a failed connect already (its exception set).
    static NetResult connectOutcome(const Socket&) { return {}; }

    static NetResult bindAndListen(const Socket& socket, const ADDRINFOW& address) {
        // Nobody else may take over the port we announce to the server.
        BOOL exclusive = TRUE;
        setsockopt(socket.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                   reinterpret_cast<char*>(&exclusive), sizeof exclusive);
        if (bind(socket.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0 ||
            ::listen(socket.get(), 8) != 0)
            return wsaResult(WSAGetLastError());
        return {};
    }

    static SocketStep acceptOne(const Socket& listening, Socket& accepted) {
        Socket socket(::accept(listening.get(), nullptr, nullptr));
        if (socket) {
            prepareSocket(socket.get());
            accepted = std::move(socket);
            return {};
        }
        const int error = WSAGetLastError();
        // A connection that was reset before we took it is not an error of ours.
        if (error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAECONNRESET)
            return {{}, true};
        return {wsaResult(error)};
    }

    static Address localAddress(const Socket& socket) { return socketAddress(socket.get(), false); }
};

std::unique_ptr<ByteStream> makeStream(Socket socket) {
    return std::make_unique<Win32Stream>(std::move(socket));
}

} // namespace

Win32Network::Win32Network() {
    WSADATA data{};
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Win32Network::~Win32Network() {
    if (started_) {
        WSACleanup();
    }
}

NetResult Win32Network::connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                                std::uint16_t port, int timeoutMs, const AbortCheck& abort) {
    if (!started_) {
        return fail(NetStatus::Failed, "networking is not available");
    }
    return connectSocket<WinsockSystem>(connected, host, port, timeoutMs, abort, makeStream);
}

NetResult Win32Network::listen(std::unique_ptr<Listener>& listener, const std::string& localIp) {
    if (!started_) {
        return fail(NetStatus::Failed, "networking is not available");
    }
    return listenSocket<WinsockSystem>(listener, localIp, makeStream);
}

} // namespace pictorn::platform::win32
