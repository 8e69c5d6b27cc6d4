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
using SSL_SESSION = struct ssl_session_st;
using BIO = struct bio_st;

namespace pictorn::platform::posix {

// Settings shared by every connection of one network: TLS 1.2 or later (or exactly 1.2),
// certificates checked against the system's roots plus the given PEM files.
class TlsContext {
public:
    TlsContext(const std::vector<std::string>& extraTrustedCertificateFiles, bool upToTls12);
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

// The session later connections to a server resume: the newest the first connection was
// given. TLS 1.3 servers send their tickets after the handshake. By experiment, vsftpd
// takes any of its tickets, even again; proftpd only its control connection's newest, again
// and again, but neither an older one a second time nor one sent on a data connection.
class TlsSessionCache final : public TlsResumption {
public:
    explicit TlsSessionCache(std::string hostName) : host_(std::move(hostName)) {}
    ~TlsSessionCache() override;
    TlsSessionCache(const TlsSessionCache&) = delete;
    TlsSessionCache& operator=(const TlsSessionCache&) = delete;

    const std::string& hostName() const noexcept { return host_; }
    // Takes over a session OpenSSL made.
    void add(SSL_SESSION* session);
    // The session to offer (still owned here), or null.
    SSL_SESSION* newest() const noexcept { return newest_; }

private:
    std::string host_;
    SSL_SESSION* newest_ = nullptr;
};

class TlsSession {
public:
    // Runs the client handshake on `fd`, offering the session of `group` when there is one
    // for the same host (else this connection starts a group); on success `session`
    // carries the connection on.
    static NetResult handshake(std::unique_ptr<TlsSession>& session, const TlsContext& context,
                               int fd, const std::string& hostName,
                               std::shared_ptr<TlsSessionCache> group, int timeoutMs,
                               const AbortCheck& abort);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    NetResult read(std::span<char> buffer, NetClock::time_point deadline, const AbortCheck& abort);
    NetResult write(std::string_view data, int timeoutMs, const AbortCheck& abort);
    // Sends close_notify (briefly, without waiting for the peer's).
    void shutdown() noexcept;
    bool resumed() const noexcept;
    const std::shared_ptr<TlsSessionCache>& group() const noexcept { return group_; }

private:
    TlsSession(SSL* ssl, int fd, std::shared_ptr<TlsSessionCache> group) noexcept
        : ssl_(ssl), fd_(fd), group_(std::move(group)) {}
    // Sends what OpenSSL has queued for the peer.
    NetResult flush(int timeoutMs, const AbortCheck& abort);
    // Receives more bytes from the peer for OpenSSL to work on.
    NetResult fill(NetClock::time_point deadline, const AbortCheck& abort);

    SSL* ssl_;
    int fd_;
    std::shared_ptr<TlsSessionCache> group_;
};

} // namespace pictorn::platform::posix
