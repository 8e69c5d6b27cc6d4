#include "platform/posix/posix_socket.h"
#include "text/ascii.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pictorn::platform::posix {

namespace {

constexpr int sliceMs = 100;

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

void Socket::reset(int fd) noexcept {
    if (fd_ >= 0 && fd_ != fd) {
        ::close(fd_);
    }
    fd_ = fd;
}

Clock::time_point deadlineIn(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

int msUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

NetResult waitReady(int fd, short events, Clock::time_point deadline, const AbortCheck& abort) {
    for (;;) {
        if (abort && abort()) {
            return fail(NetStatus::Aborted, "cancelled");
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        // One last poll with no wait even when the time is up, so a ready socket is never
        // reported as a timeout.
        const int slice = static_cast<int>(std::clamp<long long>(left, 0, sliceMs));
        const int ready = ::poll(&entry, 1, slice);
        if (ready > 0) {
            // Errors and hang-ups count as ready: the next send/recv reports them.
            return {};
        }
        if (ready < 0 && errno != EINTR) {
            return errnoResult(errno);
        }
        if (ready == 0 && left <= 0) {
            return fail(NetStatus::TimedOut, "timed out");
        }
    }
}

NetResult errnoResult(int error) {
    switch (error) {
    case ECONNREFUSED:
        return fail(NetStatus::Refused, "connection refused");
    case ETIMEDOUT:
        return fail(NetStatus::TimedOut, "timed out");
    case ECONNRESET:
        return fail(NetStatus::Closed, "connection reset by the peer");
    case EPIPE:
    case ESHUTDOWN:
        return fail(NetStatus::Closed, "connection closed by the peer");
    case ENETUNREACH:
    case ENETDOWN:
        return fail(NetStatus::Failed, "network is unreachable");
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return fail(NetStatus::Failed, "host is unreachable");
    case EADDRNOTAVAIL:
        return fail(NetStatus::Failed, "address is not available");
    case EADDRINUSE:
        return fail(NetStatus::Failed, "address is already in use");
    case EAFNOSUPPORT:
        return fail(NetStatus::Failed, "address family is not supported");
    default:
        return fail(NetStatus::Failed, text::asciiLowerCase(std::strerror(error)));
    }
}

NetResult recvSome(int fd, std::span<char> buffer, Clock::time_point deadline,
                   const AbortCheck& abort) {
    if (buffer.empty()) {
        return {};
    }
    for (;;) {
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got > 0) {
            return NetResult{NetStatus::Ok, static_cast<std::size_t>(got), {}};
        }
        if (got == 0) {
            return fail(NetStatus::Closed, "connection closed by the peer");
        }
        if (!wouldBlock(errno)) {
            return errnoResult(errno);
        }
        if (auto waited = waitReady(fd, POLLIN, deadline, abort); !waited.ok()) {
            return waited;
        }
    }
}

NetResult sendAll(int fd, std::string_view data, int timeoutMs, const AbortCheck& abort) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t put = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && !wouldBlock(errno)) {
            auto result = errnoResult(errno);
            result.bytes = sent;
            return result;
        }
        if (auto waited = waitReady(fd, POLLOUT, deadlineIn(timeoutMs), abort); !waited.ok()) {
            waited.bytes = sent;
            return waited;
        }
    }
    return NetResult{NetStatus::Ok, sent, {}};
}

Address socketAddress(int fd, bool peer) {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    auto* raw = reinterpret_cast<sockaddr*>(&storage);
    const int rc = peer ? ::getpeername(fd, raw, &length) : ::getsockname(fd, raw, &length);
    if (rc != 0) {
        return {};
    }
    char host[NI_MAXHOST] = {};
    char port[NI_MAXSERV] = {};
    if (::getnameinfo(raw, length, host, sizeof host, port, sizeof port,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return {};
    }
    return Address{host, static_cast<std::uint16_t>(std::strtoul(port, nullptr, 10))};
}

} // namespace pictorn::platform::posix
