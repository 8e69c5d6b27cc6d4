#include "platform/posix/posix_tls.h"
#include "text/ascii.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

#include <algorithm>

namespace pictorn::platform::posix {

namespace {

constexpr std::size_t chunkSize = 64 * 1024;
constexpr int closeNotifyMs = 500;

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

bool isIpAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

NetResult verifyFailure(long verdict) {
    switch (verdict) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return fail(NetStatus::TlsFailed, "certificate is for another host");
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        return fail(NetStatus::TlsFailed, "certificate is not trusted");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return fail(NetStatus::TlsFailed, "certificate has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return fail(NetStatus::TlsFailed, "certificate is not valid yet");
    default:
        return fail(NetStatus::TlsFailed,
                    "certificate is not valid (" +
                        text::asciiLowerCase(X509_verify_cert_error_string(verdict)) + ")");
    }
}

// The first queued OpenSSL error as text, for details.
std::string sslErrorText() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return reason ? text::asciiLowerCase(reason) : "protocol error";
}

// OpenSSL hands every session it can resume later to this callback; the group keeps those
// of its first connection.
int keepNewSession(SSL* ssl, SSL_SESSION* session) {
    auto* group = static_cast<TlsSessionCache*>(SSL_get_app_data(ssl));
    if (!group) {
        return 0;
    }
    group->add(session);
    return 1;
}

} // namespace

TlsSessionCache::~TlsSessionCache() {
    SSL_SESSION_free(newest_);
}

void TlsSessionCache::add(SSL_SESSION* session) {
    SSL_SESSION_free(newest_);
    newest_ = session;
}

TlsContext::TlsContext(const std::vector<std::string>& extraTrustedCertificateFiles,
                       bool upToTls12) {
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) {
        problem_ = "tls is not available";
        return;
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    if (upToTls12) {
        SSL_CTX_set_max_proto_version(context_, TLS1_2_VERSION);
    }
    // The chain and the name are still checked during the handshake, but a refusal is
    // acted on after it (TlsSession::handshake), so the session is up to say goodbye over.
    SSL_CTX_set_verify(context_, SSL_VERIFY_NONE, nullptr);
    // Sessions are kept per group of connections (TlsSessionCache), not in the context.
    SSL_CTX_set_session_cache_mode(context_,
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(context_, keepNewSession);
    SSL_CTX_set_default_verify_paths(context_);
    for (const auto& file : extraTrustedCertificateFiles) {
        if (SSL_CTX_load_verify_locations(context_, file.c_str(), nullptr) != 1) {
            ERR_clear_error();
            problem_ = "cannot load trusted certificates from " + file;
        }
    }
}

TlsContext::~TlsContext() {
    SSL_CTX_free(context_);
}

NetResult TlsSession::handshake(std::unique_ptr<TlsSession>& session, const TlsContext& context,
                                int fd, const std::string& hostName,
                                std::shared_ptr<TlsSessionCache> group, int timeoutMs,
                                const AbortCheck& abort) {
    if (!context.problem().empty()) {
        return fail(NetStatus::TlsFailed, context.problem());
    }
    SSL* ssl = SSL_new(context.get());
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!ssl || !in || !out) {
        SSL_free(ssl);
        BIO_free(in);
        BIO_free(out);
        return fail(NetStatus::Failed, "out of memory");
    }
    // An empty input buffer means "wait for more", not end of stream.
    BIO_set_mem_eof_return(in, -1);
    SSL_set_bio(ssl, in, out);
    if (!group || group->hostName() != hostName) {
        group = std::make_shared<TlsSessionCache>(hostName);
        SSL_set_app_data(ssl, group.get());
    } else if (SSL_SESSION* earlier = group->newest()) {
        // A copy: OpenSSL marks the session a connection resumed as used up once that
        // connection gets a ticket of its own.
        SSL_SESSION* copy = SSL_SESSION_dup(earlier);
        SSL_set_session(ssl, copy);
        SSL_SESSION_free(copy);
    }
    std::unique_ptr<TlsSession> made(new TlsSession(ssl, fd, std::move(group)));

    if (isIpAddress(hostName)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), hostName.c_str());
    } else {
        SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(ssl, hostName.c_str());
        SSL_set_tlsext_host_name(ssl, hostName.c_str());
    }
    SSL_set_connect_state(ssl);

    const auto deadline = netDeadlineIn(timeoutMs);
    for (;;) {
        ERR_clear_error();
        const int rc = SSL_do_handshake(ssl);
        const int error = SSL_get_error(ssl, rc);
        // Whatever OpenSSL produced goes out first, an alert after a failure included.
        auto flushed = made->flush(timeoutMs, abort);
        if (rc == 1) {
            if (!flushed.ok()) {
                return flushed;
            }
            const long verdict = SSL_get_verify_result(ssl);
            const bool presented = SSL_get0_peer_certificate(ssl) != nullptr;
            session = std::move(made);
            if (verdict != X509_V_OK) {
                // Refused, but the session stays up so the caller can say goodbye over it
                // (QUIT) instead of dropping the connection; nothing else goes over it.
                return verifyFailure(verdict);
            }
            if (!presented) {
                return fail(NetStatus::TlsFailed, "the server sent no certificate");
            }
            return {};
        }
        if (error == SSL_ERROR_WANT_READ) {
            if (!flushed.ok()) {
                return flushed;
            }
            auto filled = made->fill(deadline, abort);
            if (filled.status == NetStatus::Closed) {
                return fail(NetStatus::TlsFailed, "the server ended the connection during the "
                                                  "tls handshake");
            }
            if (!filled.ok()) {
                return filled;
            }
            continue;
        }
        if (const long verdict = SSL_get_verify_result(ssl); verdict != X509_V_OK) {
            ERR_clear_error();
            return verifyFailure(verdict);
        }
        return fail(NetStatus::TlsFailed, "tls handshake failed (" + sslErrorText() + ")");
    }
}

TlsSession::~TlsSession() {
    SSL_free(ssl_);
}

NetResult TlsSession::flush(int timeoutMs, const AbortCheck& abort) {
    BIO* out = SSL_get_wbio(ssl_);
    char buffer[16384];
    while (BIO_ctrl_pending(out) > 0) {
        const int got = BIO_read(out, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        auto sent = sendAll(FdCalls(fd_), std::string_view(buffer, static_cast<std::size_t>(got)),
                            timeoutMs, abort);
        if (!sent.ok()) {
            sent.bytes = 0;
            return sent;
        }
    }
    return {};
}

NetResult TlsSession::fill(NetClock::time_point deadline, const AbortCheck& abort) {
    char buffer[16384];
    auto got = receiveSome(FdCalls(fd_), buffer, deadline, abort);
    if (got.ok()) {
        BIO_write(SSL_get_rbio(ssl_), buffer, static_cast<int>(got.bytes));
    }
    return got;
}

NetResult TlsSession::read(std::span<char> buffer, NetClock::time_point deadline,
                           const AbortCheck& abort) {
    if (buffer.empty()) {
        return {};
    }
    const int wanted = static_cast<int>(std::min(buffer.size(), chunkSize));
    for (;;) {
        ERR_clear_error();
        const int got = SSL_read(ssl_, buffer.data(), wanted);
        const int error = SSL_get_error(ssl_, got);
        // Reading can make answers of its own (a key update, say).
        auto flushed = flush(std::max(100, msUntil(deadline)), abort);
        if (got > 0) {
            return NetResult{NetStatus::Ok, static_cast<std::size_t>(got), {}};
        }
        if (!flushed.ok()) {
            return flushed;
        }
        switch (error) {
        case SSL_ERROR_WANT_READ:
            // Many servers end a TLS transfer without close_notify; the end of the
            // connection is the end of the data for them, as for a plain connection.
            if (auto filled = fill(deadline, abort); !filled.ok()) {
                return filled;
            }
            break;
        case SSL_ERROR_ZERO_RETURN:
            return socketFailure(SocketFailure::ClosedByPeer);
        default:
            return fail(NetStatus::Failed, "tls error (" + sslErrorText() + ")");
        }
    }
}

NetResult TlsSession::write(std::string_view data, int timeoutMs, const AbortCheck& abort) {
    std::size_t done = 0;
    while (done < data.size()) {
        const int piece = static_cast<int>(std::min(data.size() - done, chunkSize));
        ERR_clear_error();
        const int put = SSL_write(ssl_, data.data() + done, piece);
        const int error = SSL_get_error(ssl_, put);
        auto flushed = flush(timeoutMs, abort);
        if (!flushed.ok()) {
            flushed.bytes = done;
            return flushed;
        }
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (error == SSL_ERROR_WANT_READ) {
            if (auto filled = fill(netDeadlineIn(timeoutMs), abort); !filled.ok()) {
                filled.bytes = done;
                return filled;
            }
            continue;
        }
        return NetResult{NetStatus::Failed, done, "tls error (" + sslErrorText() + ")"};
    }
    return NetResult{NetStatus::Ok, done, {}};
}

bool TlsSession::resumed() const noexcept {
    return SSL_session_reused(ssl_) == 1;
}

void TlsSession::shutdown() noexcept {
    ERR_clear_error();
    SSL_shutdown(ssl_);
    ERR_clear_error();
    flush(closeNotifyMs, {});
}

} // namespace pictorn::platform::posix
