#include "platform/win32/win32_network.h"

#include "platform/background_wait.h"

#include "platform/win32/net_handles.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_stream.h"
#include "platform/win32/winsock_io.h"

#include <vector>

namespace pictorn::platform::win32 {

namespace {

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

struct AddressListDeleter {
    void operator()(ADDRINFOW* list) const noexcept { FreeAddrInfoW(list); }
};
using AddressList = std::unique_ptr<ADDRINFOW, AddressListDeleter>;

// GetAddrInfoW cannot be interrupted: a name (not a numeric address) is looked up in the
// background, so the lookup still obeys the timeout and the abort check.
NetResult resolve(AddressList& found, const std::string& host, std::uint16_t port,
                  NetClock::time_point deadline, const AbortCheck& abort) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    const std::wstring wideHost = toWide(host);
    const std::wstring service = std::to_wstring(port);

    ADDRINFOW numericHints = hints;
    numericHints.ai_flags = AI_NUMERICHOST;
    ADDRINFOW* list = nullptr;
    if (GetAddrInfoW(wideHost.c_str(), service.c_str(), &numericHints, &list) == 0) {
        found.reset(list);
        return {};
    }

    struct Lookup {
        int rc = 0;
        AddressList list;
    };
    Lookup lookup;
    auto waited = waitInBackground(
        [wideHost, service, hints] {
            ADDRINFOW* result = nullptr;
            Lookup done;
            done.rc = GetAddrInfoW(wideHost.c_str(), service.c_str(), &hints, &result);
            done.list.reset(result);
            return done;
        },
        lookup, deadline, abort, "host name lookup timed out");
    if (!waited.ok()) {
        return waited;
    }
    if (lookup.rc != 0) {
        auto result = wsaResult(lookup.rc);
        return result.status == NetStatus::NotFound
                   ? result
                   : fail(NetStatus::NotFound, "host not found (" + result.detail + ")");
    }
    found = std::move(lookup.list);
    return {};
}

// Non-blocking, and not inherited: an editor or viewer the program starts must not keep a
// mail or FTP connection open after we have closed it.
bool prepareSocket(SOCKET socket) {
    SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    u_long nonBlocking = 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

Socket openSocket(int family) {
    Socket socket(::socket(family, SOCK_STREAM, IPPROTO_TCP));
    if (socket && !prepareSocket(socket.get())) {
        socket.reset();
    }
    return socket;
}

NetResult connectOne(Socket& connected, const ADDRINFOW& address, NetClock::time_point deadline,
                     const AbortCheck& abort) {
    Socket socket = openSocket(address.ai_family);
    if (!socket) {
        return wsaResult(WSAGetLastError());
    }
    if (::connect(socket.get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
            return wsaResult(error);
        }
        auto waited = waitReady(WinsockCalls(socket.get()), WaitFor::Connect, deadline, abort);
        if (!waited.ok()) {
            if (waited.status == NetStatus::TimedOut) {
                waited.detail = "connection timed out";
            }
            return waited;
        }
    }
    connected = std::move(socket);
    return {};
}

class Win32Listener final : public Listener {
public:
    explicit Win32Listener(Socket socket) : socket_(std::move(socket)) {}

    Address address() const override { return socketAddress(socket_.get(), false); }

    NetResult accept(std::unique_ptr<ByteStream>& accepted, int timeoutMs,
                     const AbortCheck& abort) override {
        return retryWhenReady(
            WinsockCalls(socket_.get()), WaitFor::Read,
            [&]() -> SocketStep {
                Socket socket(::accept(socket_.get(), nullptr, nullptr));
                if (socket) {
                    prepareSocket(socket.get());
                    accepted = std::make_unique<Win32Stream>(std::move(socket));
                    return {};
                }
                const int error = WSAGetLastError();
                // A connection that was reset before we took it is not an error of ours.
                if (error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAECONNRESET) {
                    return {{}, true};
                }
                return {wsaResult(error)};
            },
            netDeadlineIn(timeoutMs), abort);
    }

private:
    Socket socket_;
};

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
    if (abort && abort()) {
        return fail(NetStatus::Aborted, "aborted");
    }
    const auto deadline = netDeadlineIn(timeoutMs);
    AddressList addresses;
    if (auto resolved = resolve(addresses, host, port, deadline, abort); !resolved.ok()) {
        return resolved;
    }
    std::vector<const ADDRINFOW*> each;
    for (const ADDRINFOW* address = addresses.get(); address; address = address->ai_next) {
        each.push_back(address);
    }
    return connectToEach(each.size(), [&](std::size_t i) {
        Socket socket;
        NetResult result = connectOne(socket, *each[i], deadline, abort);
        if (result.ok()) {
            connected = std::make_unique<Win32Stream>(std::move(socket));
        }
        return result;
    });
}

NetResult Win32Network::listen(std::unique_ptr<Listener>& listener, const std::string& localIp) {
    if (!started_) {
        return fail(NetStatus::Failed, "networking is not available");
    }
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
    ADDRINFOW* list = nullptr;
    if (GetAddrInfoW(toWide(localIp).c_str(), L"0", &hints, &list) != 0) {
        return fail(NetStatus::Failed, "not a numeric local address");
    }
    AddressList addresses(list);
    Socket socket = openSocket(addresses->ai_family);
    if (!socket) {
        return wsaResult(WSAGetLastError());
    }
    // Nobody else may take over the port we announce to the server.
    BOOL exclusive = TRUE;
    setsockopt(socket.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<char*>(&exclusive),
               sizeof exclusive);
    if (bind(socket.get(), addresses->ai_addr, static_cast<int>(addresses->ai_addrlen)) != 0 ||
        ::listen(socket.get(), 8) != 0) {
        return wsaResult(WSAGetLastError());
    }
    listener = std::make_unique<Win32Listener>(std::move(socket));
    return {};
}

} // namespace pictorn::platform::win32
