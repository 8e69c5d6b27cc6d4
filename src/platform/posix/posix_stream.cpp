#include "platform/posix/posix_stream.h"

#include "platform/posix/posix_tls.h"

#include <sys/socket.h>

namespace pictorn::platform::posix {

namespace {

// How long close waits for the peer to end the connection too.
constexpr int lingerMs = 500;

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
    const auto deadline = netDeadlineIn(timeoutMs);
    NetResult got = session_ ? session_->read(buffer, deadline, abort)
                             : receiveSome(FdCalls(socket_.get()), buffer, deadline, abort);
    stalled_ = stalled_ || got.status == NetStatus::TimedOut || got.status == NetStatus::Aborted;
    return got;
}

NetResult PosixStream::writeAll(std::string_view data, int timeoutMs, const AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    NetResult sent = session_ ? session_->write(data, timeoutMs, abort)
                              : sendAll(FdCalls(socket_.get()), data, timeoutMs, abort);
    stalled_ = stalled_ || !sent.ok();
    return sent;
}

NetResult PosixStream::startTls(const std::string& hostName, int timeoutMs,
                                const AbortCheck& abort) {
    return resumeTls(hostName, nullptr, timeoutMs, abort);
}

NetResult PosixStream::resumeTls(const std::string& hostName,
                                 const std::shared_ptr<TlsResumption>& from, int timeoutMs,
                                 const AbortCheck& abort) {
    if (!socket_) {
        return NetResult{NetStatus::Closed, 0, "connection is closed"};
    }
    if (session_) {
        return NetResult{NetStatus::Failed, 0, "connection is already tls"};
    }
    return TlsSession::handshake(session_, *context_, socket_.get(), hostName,
                                 std::dynamic_pointer_cast<TlsSessionCache>(from), timeoutMs,
                                 abort);
}

std::shared_ptr<TlsResumption> PosixStream::tlsResumption() const {
    return session_ ? session_->group() : nullptr;
}

bool PosixStream::tlsResumed() const noexcept {
    return session_ && session_->resumed();
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
    if (!socket_) {
        return;
    }
    if (session_) {
        session_->shutdown();
    }
    ::shutdown(socket_.get(), SHUT_WR);
    // Closing with unread bytes resets the connection, and the peer then loses what it has
    // not read yet: the tail of an upload, when the unread bytes are the session tickets a
    // TLS 1.3 server sends after the handshake, maybe late. So on a TLS connection we read
    // until the peer ends too, briefly, unless it has stopped answering or taking data
    // (nothing to save there, and an Abort must not wait).
    const auto deadline = netDeadlineIn(session_ && !stalled_ ? lingerMs : 0);
    char sink[16384];
    NetResult got;
    while (got.ok()) {
        got = session_ ? session_->read(sink, deadline, {})
                       : receiveSome(FdCalls(socket_.get()), sink, deadline, {});
    }
    session_.reset();
    socket_.reset();
}

void PosixStream::abandon() noexcept {
    if (!socket_) {
        return;
    }
    const linger reset{1, 0};
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    session_.reset(); // no close_notify: that would say the data ended where it should
    socket_.reset();
}

} // namespace pictorn::platform::posix
