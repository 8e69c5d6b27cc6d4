#pragma once
// Client TLS 1.2 over a socket we own, with Schannel. Schannel only transforms buffers; the
// bytes still travel through our own non-blocking waits, so TLS obeys the same timeouts and
// abort checks. The server's certificate is checked by us after the handshake
// (certificate_check.h): Wine's Schannel does not check it at all.
#include "platform/network.h"
#include "platform/win32/net_handles.h"
#include "platform/win32/winsock_io.h"

#include <memory>
#include <string>
#include <vector>

namespace pictorn::platform::win32 {

// What the connections of one group share so that Windows resumes the first one's TLS
// session on the others: Schannel finds a session to resume by the credentials handle and
// the target name of the new context.
class SchannelResumption final : public TlsResumption {
public:
    SchannelResumption(Credentials credentials, std::wstring hostName) noexcept
        : credentials_(std::move(credentials)), host_(std::move(hostName)) {}

    SecurityHandleRef credentials() const noexcept { return credentials_.get(); }
    const std::wstring& hostName() const noexcept { return host_; }
    // The name the handshake gives the server (SNI): none for an address, which SNI cannot
    // carry (Wine would send it anyway).
    wchar_t* targetName() noexcept;

private:
    Credentials credentials_;
    std::wstring host_;
};

class SchannelSession {
public:
    // Runs the client handshake on `socket` within the group `from` when it is for the same
    // host (so that the server can resume its session), or in a group of its own.
    static NetResult handshake(std::unique_ptr<SchannelSession>& session, SOCKET socket,
                               const std::string& hostName,
                               const std::shared_ptr<SchannelResumption>& from, int timeoutMs,
                               const AbortCheck& abort);
    SchannelSession(const SchannelSession&) = delete;
    SchannelSession& operator=(const SchannelSession&) = delete;

    NetResult read(std::span<char> buffer, NetClock::time_point deadline, const AbortCheck& abort);
    NetResult write(std::string_view data, int timeoutMs, const AbortCheck& abort);
    // Sends close_notify, briefly, without waiting for the peer's.
    void shutdown() noexcept;
    const std::shared_ptr<SchannelResumption>& group() const noexcept { return group_; }
    // Whether Schannel says it resumed a session (Wine's does not say).
    bool resumed() const noexcept { return resumed_; }

private:
    SchannelSession(SOCKET socket, std::shared_ptr<SchannelResumption> group) noexcept
        : socket_(socket), group_(std::move(group)) {}

    // Runs handshake messages until the context is complete, starting with what is already
    // in received_ (also used when the server starts a renegotiation).
    NetResult negotiate(NetClock::time_point deadline, int timeoutMs, const AbortCheck& abort);
    NetResult sendToken(const SecBuffer& token, int timeoutMs, const AbortCheck& abort);
    NetResult receiveMore(NetClock::time_point deadline, const AbortCheck& abort);
    // Keeps the bytes Schannel did not consume (a SECBUFFER_EXTRA) for the next step.
    void keepExtra(const SecBuffer* buffers, int count);

    SOCKET socket_;
    std::shared_ptr<SchannelResumption> group_;
    SecurityContext context_;
    SecPkgContext_StreamSizes sizes_{};
    std::vector<char> received_; // from the peer, not yet decrypted
    std::string plain_;          // decrypted, not yet handed out
    bool peerClosed_ = false;
    bool resumed_ = false;
};

} // namespace pictorn::platform::win32
