#pragma once
// Client TLS on a socket we already own, with OpenSSL working on memory buffers: every byte
// still goes through our own non-blocking send/receive, so TLS waits obey the same timeouts
// and abort checks as plain ones, and no write can raise SIGPIPE.
#include "platform/network.h"
#include "platform/posix/posix_socket.h"

#include <memory>
#include <string>
#include <vector>

using SSL = struct ssl_st;
using SSL_CTX = struct ssl_ctx_st;
using BIO = struct bio_st;

namespace pictorn::platform::posix {

// Settings shared by every connection of one network: TLS 1.2 or later, certificates checked
// against the system's roots plus the given PEM files.
class TlsContext {
public:
    explicit TlsContext(const std::vector<std::string>& extraTrustedCertificateFiles);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* get() const noexcept { return context_; }
    // Why the context cannot be used (a trusted file would not load); empty when it can.
    const std::string& problem() const noexcept { return problem_; }

private:
    SSL_CTX* context_ = nullptr;
    std::string problem_;
};

class TlsSession {
public:
    // Runs the client handshake on `fd`; on success `session` carries the connection on.
    static NetResult handshake(std::unique_ptr<TlsSession>& session, const TlsContext& context,
                               int fd, const std::string& hostName, int timeoutMs,
                               const AbortCheck& abort);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    NetResult read(std::span<char> buffer, Clock::time_point deadline, const AbortCheck& abort);
    NetResult write(std::string_view data, int timeoutMs, const AbortCheck& abort);
    // Sends close_notify (briefly, without waiting for the peer's).
    void shutdown() noexcept;

private:
    TlsSession(SSL* ssl, int fd) noexcept : ssl_(ssl), fd_(fd) {}
    // Sends what OpenSSL has queued for the peer.
    NetResult flush(int timeoutMs, const AbortCheck& abort);
    // Receives more bytes from the peer for OpenSSL to work on.
    NetResult fill(Clock::time_point deadline, const AbortCheck& abort);

    SSL* ssl_;
    int fd_;
};

} // namespace pictorn::platform::posix
