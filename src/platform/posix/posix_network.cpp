#include "platform/posix/posix_network.h"

#include "platform/socket_setup.h"

#include "platform/posix/posix_socket.h"
#include "platform/posix/posix_stream.h"
#include "platform/posix/posix_tls.h"

#include <cerrno>
#include <netdb.h>
#include <string>
#include <sys/socket.h>

namespace pictorn::platform::posix {

namespace {

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
};

// The system calls of the shared set-up (platform/socket_setup.h).
struct PosixSystem {
    using Socket = posix::Socket;
    using Resolved = addrinfo;
    using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

    static int lookup(const std::string& host, std::uint16_t port, LookupKind kind,
                      AddressList& found, int& error) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        if (kind != LookupKind::Name)
            hints.ai_flags |= AI_NUMERICHOST;
        if (kind == LookupKind::Passive)
            hints.ai_flags |= AI_PASSIVE;
        addrinfo* list = nullptr;
        const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
        error = errno;
        found.reset(list);
        return rc;
    }

    static NetResult lookupFailed(int rc, int error) {
        switch (rc) {
        case EAI_NONAME:
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
        case EAI_FAIL:
        case EAI_AGAIN:
            return socketFailure(SocketFailure::HostNotFound);
        case EAI_SYSTEM:
            return errnoResult(error);
        default:
            return fail(NetStatus::Failed, "host name lookup failed");
        }
    }

    static Socket open(int family) {
        return Socket{::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP)};
    }

    static NetResult lastError() {
        return errnoResult(errno);
    }

    static SocketStep startConnect(const Socket& socket, const addrinfo& address) {
        if (::connect(socket.get(), address.ai_addr, address.ai_addrlen) == 0)
            return {};
        if (errno == EINPROGRESS || errno == EINTR)
            return {{}, true};
        return {errnoResult(errno)};
    }

    // poll() reports a failed connect as writable: the socket's error tells.
    static NetResult connectOutcome(const Socket& socket) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return errnoResult(errno);
        return error != 0 ? errnoResult(error) : NetResult{};
    }

    static NetResult bindAndListen(const Socket& socket, const addrinfo& address) {
        if (::bind(socket.get(), address.ai_addr, address.ai_addrlen) != 0 ||
            ::listen(socket.get(), 8) != 0)
            return errnoResult(errno);
        return {};
    }

    static SocketStep acceptOne(const Socket& listening, Socket& accepted) {
        const int fd = ::accept4(listening.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            accepted = Socket{fd};
            return {};
        }
        // A connection that was reset before we took it is not an error of ours.
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED)
            return {{}, true};
        return {errnoResult(errno)};
    }

    static Address localAddress(const Socket& socket) {
        return socketAddress(socket.get(), false);
    }
};

// Connections, made and accepted, share the group's TLS settings and session cache.
StreamMaker<PosixSystem> streamsWith(std::shared_ptr<TlsContext> tls) {
    return [tls = std::move(tls)](Socket socket) -> std::unique_ptr<ByteStream> {
        return std::make_unique<PosixStream>(std::move(socket), tls);
    };
}

} // namespace

PosixNetwork::PosixNetwork(std::vector<std::string> extraTrustedCertificateFiles, bool upToTls12)
    : tls_(std::make_shared<TlsContext>(extraTrustedCertificateFiles, upToTls12)) {}

PosixNetwork::~PosixNetwork() = default;

NetResult PosixNetwork::connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                                std::uint16_t port, int timeoutMs, const AbortCheck& abort) {
    return connectSocket<PosixSystem>(connected, host, port, timeoutMs, abort, streamsWith(tls_));
}

NetResult PosixNetwork::listen(std::unique_ptr<Listener>& listener, const std::string& localIp) {
    return listenSocket<PosixSystem>(listener, localIp, streamsWith(tls_));
}

} // namespace pictorn::platform::posix
