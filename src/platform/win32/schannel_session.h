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

class SchannelSession {
public:
    static NetResult handshake(std::unique_ptr<SchannelSession>& session, SOCKET socket,
                               const std::string& hostName, int timeoutMs, const AbortCheck& abort);
    SchannelSession(const SchannelSession&) = delete;
    SchannelSession& operator=(const SchannelSession&) = delete;

    NetResult read(std::span<char> buffer, NetClock::time_point deadline, const AbortCheck& abort);
    NetResult write(std::string_view data, int timeoutMs, const AbortCheck& abort);
    // Sends close_notify, briefly, without waiting for the peer's.
    void shutdown() noexcept;

private:
    SchannelSession(SOCKET socket, std::wstring hostName) noexcept
        : socket_(socket), host_(std::move(hostName)) {}

    // The name the handshake gives the server (SNI): none for an address, which SNI cannot
    // carry (Wine would send it anyway).
    wchar_t* targetName() noexcept;

    // Runs handshake messages until the context is complete, starting with what is already
    // in received_ (also used when the server starts a renegotiation).
    NetResult negotiate(NetClock::time_point deadline, int timeoutMs, const AbortCheck& abort);
    NetResult sendToken(const SecBuffer& token, int timeoutMs, const AbortCheck& abort);
    NetResult receiveMore(NetClock::time_point deadline, const AbortCheck& abort);
    // Keeps the bytes Schannel did not consume (a SECBUFFER_EXTRA) for the next step.
    void keepExtra(const SecBuffer* buffers, int count);

    SOCKET socket_;
    std::wstring host_;
    Credentials credentials_;
    SecurityContext context_;
    SecPkgContext_StreamSizes sizes_{};
    std::vector<char> received_; // from the peer, not yet decrypted
    std::string plain_;          // decrypted, not yet handed out
    bool peerClosed_ = false;
};

} // namespace pictorn::platform::win32
