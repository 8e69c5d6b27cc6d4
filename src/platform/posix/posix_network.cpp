#include "platform/posix/posix_network.h"

#include "platform/background_wait.h"

#include "platform/posix/posix_socket.h"
#include "platform/posix/posix_stream.h"
#include "platform/posix/posix_tls.h"

#include <cerrno>
#include <netdb.h>
#include <sys/socket.h>
#include <vector>

namespace pictorn::platform::posix {

namespace {

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

NetResult lookupResult(int rc) {
    switch (rc) {
    case 0:
        return {};
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
    case EAI_FAIL:
    case EAI_AGAIN:
        return fail(NetStatus::NotFound, "host not found");
    case EAI_SYSTEM:
        return errnoResult(errno);
    default:
        return fail(NetStatus::Failed, "host name lookup failed");
    }
}

// getaddrinfo cannot be interrupted: a name (not a numeric address) is looked up in the
// background, so the lookup still obeys the timeout and the abort check.
NetResult resolve(AddressList& found, const std::string& host, std::uint16_t port,
                  NetClock::time_point deadline, const AbortCheck& abort) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    const std::string service = std::to_string(port);

    addrinfo numericHints = hints;
    numericHints.ai_flags |= AI_NUMERICHOST;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), service.c_str(), &numericHints, &list) == 0) {
        found.reset(list);
        return {};
    }

    struct Lookup {
        int rc = 0;
        int error = 0;
        AddressList list;
    };
    Lookup lookup;
    auto waited = waitInBackground(
        [host, service, hints] {
            addrinfo* result = nullptr;
            Lookup done;
            done.rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
            done.error = errno;
            done.list.reset(result);
            return done;
        },
        lookup, deadline, abort, "host name lookup timed out");
    if (!waited.ok()) {
        return waited;
    }
    if (lookup.rc == EAI_SYSTEM) {
        return errnoResult(lookup.error);
    }
    if (auto result = lookupResult(lookup.rc); !result.ok()) {
        return result;
    }
    found = std::move(lookup.list);
    return {};
}

Socket openSocket(int family) {
    return Socket{::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP)};
}

NetResult connectOne(Socket& connected, const addrinfo& address, NetClock::time_point deadline,
                     const AbortCheck& abort) {
    Socket socket = openSocket(address.ai_family);
    if (!socket) {
        return errnoResult(errno);
    }
    if (::connect(socket.get(), address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            return errnoResult(errno);
        }
        if (auto waited = waitReady(FdCalls(socket.get()), WaitFor::Connect, deadline, abort);
            !waited.ok()) {
            if (waited.status == NetStatus::TimedOut) {
                waited.detail = "connection timed out";
            }
            return waited;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            return errnoResult(errno);
        }
        if (error != 0) {
            return errnoResult(error);
        }
    }
    connected = std::move(socket);
    return {};
}

class PosixListener final : public Listener {
public:
    PosixListener(Socket socket, std::shared_ptr<TlsContext> tls)
        : socket_(std::move(socket)), tls_(std::move(tls)) {}

    Address address() const override { return socketAddress(socket_.get(), false); }

    NetResult accept(std::unique_ptr<ByteStream>& accepted, int timeoutMs,
                     const AbortCheck& abort) override {
        return retryWhenReady(
            FdCalls(socket_.get()), WaitFor::Read,
            [&]() -> SocketStep {
                const int fd =
                    ::accept4(socket_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd >= 0) {
                    accepted = std::make_unique<PosixStream>(Socket{fd}, tls_);
                    return {};
                }
                // A connection that was reset before we took it is not an error of ours.
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                    errno == ECONNABORTED) {
                    return {{}, true};
                }
                return {errnoResult(errno)};
            },
            netDeadlineIn(timeoutMs), abort);
    }

private:
    Socket socket_;
    std::shared_ptr<TlsContext> tls_;
};

} // namespace

PosixNetwork::PosixNetwork(std::vector<std::string> extraTrustedCertificateFiles, bool upToTls12)
    : tls_(std::make_shared<TlsContext>(extraTrustedCertificateFiles, upToTls12)) {}

PosixNetwork::~PosixNetwork() = default;

NetResult PosixNetwork::connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                                std::uint16_t port, int timeoutMs, const AbortCheck& abort) {
    if (abort && abort()) {
        return fail(NetStatus::Aborted, "aborted");
    }
    const auto deadline = netDeadlineIn(timeoutMs);
    AddressList addresses;
    if (auto resolved = resolve(addresses, host, port, deadline, abort); !resolved.ok()) {
        return resolved;
    }
    std::vector<const addrinfo*> each;
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next) {
        each.push_back(address);
    }
    return connectToEach(each.size(), [&](std::size_t i) {
        Socket socket;
        NetResult result = connectOne(socket, *each[i], deadline, abort);
        if (result.ok()) {
            connected = std::make_unique<PosixStream>(std::move(socket), tls_);
        }
        return result;
    });
}

NetResult PosixNetwork::listen(std::unique_ptr<Listener>& listener, const std::string& localIp) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* list = nullptr;
    if (::getaddrinfo(localIp.c_str(), "0", &hints, &list) != 0) {
        return fail(NetStatus::Failed, "not a numeric local address");
    }
    AddressList addresses(list);
    Socket socket = openSocket(addresses->ai_family);
    if (!socket) {
        return errnoResult(errno);
    }
    if (::bind(socket.get(), addresses->ai_addr, addresses->ai_addrlen) != 0 ||
        ::listen(socket.get(), 8) != 0) {
        return errnoResult(errno);
    }
    listener = std::make_unique<PosixListener>(std::move(socket), tls_);
    return {};
}

} // namespace pictorn::platform::posix
