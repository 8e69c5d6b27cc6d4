#include "platform/posix/posix_stream.h"

#include <sys/socket.h>

namespace pictorn::platform::posix {

using net::NetResult;
using net::NetStatus;

PosixStream::PosixStream(Socket socket, std::shared_ptr<TlsContext> tls)
    : socket_(std::move(socket)), context_(std::move(tls)) {}

PosixStream::~PosixStream() {
    close();
}

NetResult PosixStream::readSome(std::span<char> buffer, int timeoutMs,
                                const net::AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    return recvSome(socket_.get(), buffer, deadlineIn(timeoutMs), abort);
}

NetResult PosixStream::writeAll(std::string_view data, int timeoutMs,
                                const net::AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    return sendAll(socket_.get(), data, timeoutMs, abort);
}

NetResult PosixStream::startTls(const std::string&, int, const net::AbortCheck&) {
    return NetResult{NetStatus::TlsFailed, 0, "tls is not available"};
}

bool PosixStream::isTls() const noexcept {
    return false;
}

net::Address PosixStream::localAddress() const {
    return socketAddress(socket_.get(), false);
}

net::Address PosixStream::peerAddress() const {
    return socketAddress(socket_.get(), true);
}

void PosixStream::close() noexcept {
    if (socket_) {
        ::shutdown(socket_.get(), SHUT_RDWR);
        socket_.reset();
    }
}

} // namespace pictorn::platform::posix
