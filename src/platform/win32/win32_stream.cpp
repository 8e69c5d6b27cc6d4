#include "platform/win32/win32_stream.h"

#include "platform/win32/schannel_session.h"
#include "platform/win32/winsock_io.h"

namespace pictorn::platform::win32 {

namespace {

NetResult closedResult() {
    return NetResult{NetStatus::Closed, 0, "connection is closed"};
}

// Reads and drops whatever the peer has sent that nobody read (the socket does not block).
// Closing a socket with unread bytes resets the connection instead of ending it, and the
// peer then loses what it has not read yet: the tail of an upload, when the unread bytes
// were the session tickets a TLS 1.3 server sends after the handshake.
void dropUnreadBytes(SOCKET socket) noexcept {
    char sink[4096];
    while (recv(socket, sink, sizeof sink, 0) > 0) {
    }
}

} // namespace

Win32Stream::Win32Stream(Socket socket) : socket_(std::move(socket)) {}

Win32Stream::~Win32Stream() {
    close();
}

NetResult Win32Stream::readSome(std::span<char> buffer, int timeoutMs, const AbortCheck& abort) {
    if (!socket_) {
        return closedResult();
    }
    const auto deadline = netDeadlineIn(timeoutMs);
    return session_ ? session_->read(buffer, deadline, abort)
                    : receiveSome(WinsockCalls(socket_.get()), buffer, deadline, abort);
}

NetResult Win32Stream::writeAll(std::string_view data, int timeoutMs, const AbortCheck& abort) {
    if (!socket_) {
        return closedResult();
    }
    return session_ ? session_->write(data, timeoutMs, abort)
                    : sendAll(WinsockCalls(socket_.get()), data, timeoutMs, abort);
}

NetResult Win32Stream::startTls(const std::string& hostName, int timeoutMs,
                                const AbortCheck& abort) {
    return resumeTls(hostName, nullptr, timeoutMs, abort);
}

NetResult Win32Stream::resumeTls(const std::string& hostName,
                                 const std::shared_ptr<TlsResumption>& from, int timeoutMs,
                                 const AbortCheck& abort) {
    if (!socket_) {
        return closedResult();
    }
    if (session_) {
        return NetResult{NetStatus::Failed, 0, "connection is already tls"};
    }
    return SchannelSession::handshake(session_, socket_.get(), hostName,
                                      std::dynamic_pointer_cast<SchannelResumption>(from),
                                      timeoutMs, abort);
}

std::shared_ptr<TlsResumption> Win32Stream::tlsResumption() const {
    return session_ ? session_->group() : nullptr;
}

bool Win32Stream::tlsResumed() const noexcept {
    return session_ && session_->resumed();
}

bool Win32Stream::isTls() const noexcept {
    return session_ != nullptr;
}

Address Win32Stream::localAddress() const {
    return socketAddress(socket_.get(), false);
}

Address Win32Stream::peerAddress() const {
    return socketAddress(socket_.get(), true);
}

void Win32Stream::abandon() noexcept {
    if (socket_) {
        LINGER reset{1, 0};
        setsockopt(socket_.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset),
                   sizeof reset);
    }
    session_.reset(); // no close_notify: that would say the data ended where it should
    socket_.reset();
}

void Win32Stream::close() noexcept {
    if (session_) {
        session_->shutdown();
        session_.reset();
    }
    if (socket_) {
        dropUnreadBytes(socket_.get());
        shutdown(socket_.get(), SD_BOTH);
        socket_.reset();
    }
}

} // namespace pictorn::platform::win32
