#include "platform/posix/posix_socket.h"
#include "text/ascii.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pictorn::platform::posix {

namespace {

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

NetResult errnoResult(int error) {
    using enum SocketFailure;
    switch (error) {
    case ECONNREFUSED:
        return socketFailure(Refused);
    case ETIMEDOUT:
        return socketFailure(TimedOut);
    case ECONNRESET:
        return socketFailure(Reset);
    case EPIPE:
    case ESHUTDOWN:
        return socketFailure(ClosedByPeer);
    case ENETUNREACH:
    case ENETDOWN:
        return socketFailure(NetworkUnreachable);
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return socketFailure(HostUnreachable);
    case EADDRNOTAVAIL:
        return socketFailure(AddressNotAvailable);
    case EADDRINUSE:
        return socketFailure(AddressInUse);
    case EAFNOSUPPORT:
        return socketFailure(FamilyNotSupported);
    default:
        return fail(NetStatus::Failed, text::asciiLowerCase(std::strerror(error)));
    }
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

// The system calls of the shared loops, defined where their template lives.
namespace pictorn::platform {

template <> SocketStep SystemSocket<int>::receive(std::span<char> buffer) const {
    const ssize_t got = ::recv(handle_, buffer.data(), buffer.size(), 0);
    if (got > 0) {
        return {NetResult{NetStatus::Ok, static_cast<std::size_t>(got), {}}};
    }
    if (got == 0) {
        return {socketFailure(SocketFailure::ClosedByPeer)};
    }
    if (posix::wouldBlock(errno)) {
        return {{}, true};
    }
    return {posix::errnoResult(errno)};
}

template <> SocketStep SystemSocket<int>::send(std::string_view data) const {
    const ssize_t put = ::send(handle_, data.data(), data.size(), MSG_NOSIGNAL);
    if (put > 0) {
        return {NetResult{NetStatus::Ok, static_cast<std::size_t>(put), {}}};
    }
    if (put == 0 || posix::wouldBlock(errno)) {
        return {{}, true};
    }
    return {posix::errnoResult(errno)};
}

template <> NetResult SystemSocket<int>::poll(WaitFor what, int sliceMs, bool& ready) const {
    pollfd entry{handle_, static_cast<short>(what == WaitFor::Read ? POLLIN : POLLOUT), 0};
    const int count = ::poll(&entry, 1, sliceMs);
    if (count < 0 && errno != EINTR) {
        return posix::errnoResult(errno);
    }
    // Errors and hang-ups count as ready: the next call reports them.
    ready = count > 0;
    return {};
}

} // namespace pictorn::platform
