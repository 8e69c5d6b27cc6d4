#include "platform/posix/posix_stream.h"

#include "platform/posix/posix_tls.h"

#include <sys/socket.h>

namespace pictorn::platform::posix {

namespace {

// Reads and drops whatever the peer has sent that nobody read. Closing a socket with unread
// bytes makes the kernel reset the connection instead of ending it, and the peer then loses
// what it has not read yet: the tail of an upload, when the unread bytes were the session
// tickets a TLS 1.3 server sends after the handshake.
void dropUnreadBytes(int fd) noexcept {
    char sink[4096];
    while (::recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
}

} // namespace

PosixStream::PosixStream(Socket socket, std::shared_ptr<TlsContext> tls)
    : socket_(std::move(socket)), context_(std::move(tls)) {}

PosixStream::~PosixStream() {
    close();
}

NetResult PosixStream::readSome(std::span<char> buffer, int timeoutMs, const AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    const auto deadline = deadlineIn(timeoutMs);
    return session_ ? session_->read(buffer, deadline, abort)
                    : recvSome(socket_.get(), buffer, deadline, abort);
}

NetResult PosixStream::writeAll(std::string_view data, int timeoutMs, const AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    return session_ ? session_->write(data, timeoutMs, abort)
                    : sendAll(socket_.get(), data, timeoutMs, abort);
}

NetResult PosixStream::startTls(const std::string& hostName, int timeoutMs,
                                const AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    if (session_) {
        return NetResult{NetStatus::Failed, 0, "connection is already tls"};
    }
    return TlsSession::handshake(session_, *context_, socket_.get(), hostName, timeoutMs, abort);
}

bool PosixStream::isTls() const noexcept {
    return session_ != nullptr;
}

Address PosixStream::localAddress() const {
    return socketAddress(socket_.get(), false);
}

Address PosixStream::peerAddress() const {
    return socketAddress(socket_.get(), true);
}

void PosixStream::close() noexcept {
    if (session_) {
        session_->shutdown();
        session_.reset();
    }
    if (socket_) {
        dropUnreadBytes(socket_.get());
        ::shutdown(socket_.get(), SHUT_RDWR);
        socket_.reset();
    }
}

} // namespace pictorn::platform::posix
