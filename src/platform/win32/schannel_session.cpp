#include "platform/win32/schannel_session.h"

#include "platform/win32/certificate_check.h"
#include "platform/win32/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace pictorn::platform::win32 {

namespace {

constexpr DWORD requestFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                               ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                               ISC_REQ_EXTENDED_ERROR | ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr int closeNotifyMs = 500;
constexpr std::size_t receiveChunk = 16 * 1024 + 512;
constexpr unsigned char alertContentType = 21; // the first byte of a TLS alert record

NetResult fail(NetStatus status, std::string detail) {
    return NetResult{status, 0, std::move(detail)};
}

NetResult securityFailure(const char* what, SECURITY_STATUS status) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (0x%08lx)", what,
                  static_cast<unsigned long>(static_cast<DWORD>(status)));
    return fail(NetStatus::TlsFailed, text);
}

Credentials acquireCredentials(SECURITY_STATUS& status) {
    SCHANNEL_CRED settings{};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    // We check the certificate ourselves, with the host name, after the handshake.
    settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    Credentials credentials;
    SecurityHandleRef handle;
    TimeStamp expiry{};
    wchar_t package[] = UNISP_NAME_W;
    status = AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &settings,
                                       nullptr, nullptr, handle.get(), &expiry);
    if (status == SEC_E_OK) {
        credentials.reset(handle);
    }
    return credentials;
}

} // namespace

wchar_t* SchannelResumption::targetName() noexcept {
    return addressLiteralBytes(host_).empty() ? host_.data() : nullptr;
}

NetResult SchannelSession::handshake(std::unique_ptr<SchannelSession>& session, SOCKET socket,
                                     const std::string& hostName,
                                     const std::shared_ptr<SchannelResumption>& from, int timeoutMs,
                                     const AbortCheck& abort) {
    std::wstring host = toWide(hostName);
    std::shared_ptr<SchannelResumption> group = from;
    SECURITY_STATUS status = SEC_E_OK;
    if (!group || group->hostName() != host) {
        Credentials credentials = acquireCredentials(status);
        if (!credentials) {
            return securityFailure("tls is not available", status);
        }
        group = std::make_shared<SchannelResumption>(std::move(credentials), std::move(host));
    }
    std::unique_ptr<SchannelSession> made(new SchannelSession(socket, std::move(group)));
    if (auto negotiated = made->negotiate(netDeadlineIn(timeoutMs), timeoutMs, abort);
        !negotiated.ok()) {
        return negotiated;
    }
    CertContext certificate;
    status = QueryContextAttributesW(made->context_.get().get(), SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                     certificate.put());
    if (status != SEC_E_OK) {
        return securityFailure("the server sent no certificate", status);
    }
    status = QueryContextAttributesW(made->context_.get().get(), SECPKG_ATTR_STREAM_SIZES,
                                     &made->sizes_);
    if (status != SEC_E_OK) {
        return securityFailure("tls stream sizes are unknown", status);
    }
    if (auto checked = checkServerCertificate(certificate.get(), made->group_->hostName());
        !checked.ok()) {
        // The session stays up, refused, so the caller can say goodbye over it (QUIT)
        // instead of dropping the connection; nothing else goes over it.
        session = std::move(made);
        return checked;
    }
    SecPkgContext_SessionInfo info{};
    made->resumed_ = QueryContextAttributesW(made->context_.get().get(), SECPKG_ATTR_SESSION_INFO,
                                             &info) == SEC_E_OK &&
                     (info.dwFlags & SSL_SESSION_RECONNECT) != 0;
    session = std::move(made);
    return {};
}

NetResult SchannelSession::sendToken(const SecBuffer& token, int timeoutMs,
                                     const AbortCheck& abort) {
    SecurityBuffer owned(token.pvBuffer);
    if (token.cbBuffer == 0 || !token.pvBuffer) {
        return {};
    }
    auto sent = sendAll(WinsockCalls(socket_),
                        std::string_view(static_cast<const char*>(token.pvBuffer), token.cbBuffer),
                        timeoutMs, abort);
    sent.bytes = 0;
    return sent;
}

NetResult SchannelSession::receiveMore(NetClock::time_point deadline, const AbortCheck& abort) {
    const std::size_t had = received_.size();
    received_.resize(had + receiveChunk);
    auto got = receiveSome(WinsockCalls(socket_),
                           std::span<char>(received_.data() + had, receiveChunk), deadline, abort);
    received_.resize(had + got.bytes);
    return got;
}

void SchannelSession::keepExtra(const SecBuffer* buffers, int count) {
    for (int i = 0; i < count; ++i) {
        if (buffers[i].BufferType == SECBUFFER_EXTRA && buffers[i].cbBuffer > 0) {
            // The extra bytes are the tail of what we handed in.
            const std::size_t extra = buffers[i].cbBuffer;
            received_.erase(received_.begin(),
                            received_.end() - static_cast<std::ptrdiff_t>(extra));
            return;
        }
    }
    received_.clear();
}

NetResult SchannelSession::negotiate(NetClock::time_point deadline, int timeoutMs,
                                     const AbortCheck& abort) {
    const bool renegotiating = static_cast<bool>(context_);
    bool needInput = renegotiating && received_.empty();
    if (!renegotiating) {
        // The first message carries no input.
        SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
        SecurityHandleRef handle;
        ULONG attributes = 0;
        const SECURITY_STATUS status = InitializeSecurityContextW(
            group_->credentials().get(), nullptr, group_->targetName(), requestFlags, 0, 0, nullptr,
            0, handle.get(), &outDesc, &attributes, nullptr);
        if (status != SEC_I_CONTINUE_NEEDED) {
            SecurityBuffer owned(out.pvBuffer);
            return securityFailure("tls handshake failed", status);
        }
        context_.reset(handle);
        if (auto sent = sendToken(out, timeoutMs, abort); !sent.ok()) {
            return sent;
        }
        needInput = true;
    }
    int credentialRequests = 0;
    for (;;) {
        if (needInput || received_.empty()) {
            auto got = receiveMore(deadline, abort);
            if (got.status == NetStatus::Closed) {
                return fail(NetStatus::TlsFailed,
                            "the server ended the connection during the tls handshake");
            }
            if (!got.ok()) {
                return got;
            }
        }
        SecBuffer in[2] = {
            {static_cast<ULONG>(received_.size()), SECBUFFER_TOKEN, received_.data()},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
        SecBuffer out[2] = {{0, SECBUFFER_TOKEN, nullptr}, {0, SECBUFFER_ALERT, nullptr}};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 2, out};
        ULONG attributes = 0;
        SecurityHandleRef handle = context_.get();
        const SECURITY_STATUS status = InitializeSecurityContextW(
            group_->credentials().get(), handle.get(), group_->targetName(), requestFlags, 0, 0,
            &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
        SecurityBuffer alert(out[1].pvBuffer);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            SecurityBuffer unused(out[0].pvBuffer);
            needInput = true;
            continue;
        }
        // Tokens go out even with an error: they tell the server why we stop.
        auto sent = sendToken(out[0], timeoutMs, abort);
        if (status == SEC_I_INCOMPLETE_CREDENTIALS && sent.ok() && ++credentialRequests <= 2) {
            // The server asks for a client certificate; we have none, and the same input
            // run again makes Schannel answer without one.
            needInput = false;
            continue;
        }
        if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) {
            if (!sent.ok()) {
                return sent;
            }
            keepExtra(in, 2);
            if (status == SEC_E_OK) {
                return {};
            }
            needInput = received_.empty();
            continue;
        }
        return securityFailure("tls handshake failed", status);
    }
}

NetResult SchannelSession::read(std::span<char> buffer, NetClock::time_point deadline,
                                const AbortCheck& abort) {
    if (buffer.empty()) {
        return {};
    }
    while (plain_.empty()) {
        if (peerClosed_) {
            return socketFailure(SocketFailure::ClosedByPeer);
        }
        if (!received_.empty()) {
            // After the handshake the server sends an alert only to end the connection
            // (close_notify, or a fatal error). Windows reports close_notify as
            // SEC_I_CONTEXT_EXPIRED; Wine as a record with no data, so we look ourselves.
            const bool alert = static_cast<unsigned char>(received_[0]) == alertContentType;
            SecBuffer buffers[4] = {
                {static_cast<ULONG>(received_.size()), SECBUFFER_DATA, received_.data()},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
            SecurityHandleRef handle = context_.get();
            const SECURITY_STATUS status = DecryptMessage(handle.get(), &desc, 0, nullptr);
            if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE ||
                status == SEC_I_CONTEXT_EXPIRED) {
                for (const auto& piece : buffers) {
                    if (piece.BufferType == SECBUFFER_DATA && piece.cbBuffer > 0) {
                        plain_.append(static_cast<const char*>(piece.pvBuffer), piece.cbBuffer);
                    }
                }
                keepExtra(buffers, 4);
            }
            if (status == SEC_E_OK && !alert) {
                continue;
            }
            if (status == SEC_E_OK || status == SEC_I_CONTEXT_EXPIRED) {
                // close_notify: the data before it is still handed out first.
                peerClosed_ = true;
                continue;
            }
            if (status == SEC_I_RENEGOTIATE) {
                // The server wants more handshake (TLS 1.2 renegotiation, or TLS 1.3 tickets
                // on Windows): the handshake messages are in what is left over.
                if (auto again = negotiate(deadline, msUntil(deadline) + 100, abort); !again.ok()) {
                    return again;
                }
                continue;
            }
            if (status != SEC_E_INCOMPLETE_MESSAGE) {
                return securityFailure("tls error", status);
            }
        }
        if (auto got = receiveMore(deadline, abort); !got.ok()) {
            // Many servers end a TLS transfer without close_notify; the end of the
            // connection is the end of the data then, as for a plain connection.
            return got;
        }
    }
    const std::size_t count = std::min(buffer.size(), plain_.size());
    std::memcpy(buffer.data(), plain_.data(), count);
    plain_.erase(0, count);
    return NetResult{NetStatus::Ok, count, {}};
}

NetResult SchannelSession::write(std::string_view data, int timeoutMs, const AbortCheck& abort) {
    std::size_t done = 0;
    std::vector<char> record(sizes_.cbHeader + sizes_.cbMaximumMessage + sizes_.cbTrailer);
    while (done < data.size()) {
        const std::size_t piece =
            std::min<std::size_t>(data.size() - done, sizes_.cbMaximumMessage);
        std::memcpy(record.data() + sizes_.cbHeader, data.data() + done, piece);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {static_cast<ULONG>(piece), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + piece},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        SecurityHandleRef handle = context_.get();
        const SECURITY_STATUS status = EncryptMessage(handle.get(), 0, &desc, 0);
        if (status != SEC_E_OK) {
            auto failed = securityFailure("tls error", status);
            failed.bytes = done;
            return failed;
        }
        const std::size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        auto sent = sendAll(WinsockCalls(socket_), std::string_view(record.data(), total),
                            timeoutMs, abort);
        if (!sent.ok()) {
            sent.bytes = done;
            return sent;
        }
        done += piece;
    }
    return NetResult{NetStatus::Ok, done, {}};
}

void SchannelSession::shutdown() noexcept {
    if (!context_) {
        return;
    }
    DWORD kind = SCHANNEL_SHUTDOWN;
    SecBuffer control{sizeof kind, SECBUFFER_TOKEN, &kind};
    SecBufferDesc controlDesc{SECBUFFER_VERSION, 1, &control};
    SecurityHandleRef handle = context_.get();
    if (ApplyControlToken(handle.get(), &controlDesc) != SEC_E_OK) {
        return;
    }
    SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    const SECURITY_STATUS status = InitializeSecurityContextW(
        group_->credentials().get(), handle.get(), group_->targetName(), requestFlags, 0, 0,
        nullptr, 0, nullptr, &outDesc, &attributes, nullptr);
    if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) {
        sendToken(out, closeNotifyMs, {});
    } else {
        SecurityBuffer owned(out.pvBuffer);
    }
}

} // namespace pictorn::platform::win32
