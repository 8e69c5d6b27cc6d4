#pragma once
#include "platform/network.h"
#include "platform/posix/posix_socket.h"

#include <memory>

namespace pictorn::platform::posix {

class TlsContext;
class TlsSession;

// One connected socket, plain or (after startTls) TLS.
class PosixStream final : public ByteStream {
public:
    PosixStream(Socket socket, std::shared_ptr<TlsContext> tls);
    ~PosixStream() override;

    NetResult readSome(std::span<char> buffer, int timeoutMs, const AbortCheck& abort) override;
    NetResult writeAll(std::string_view data, int timeoutMs, const AbortCheck& abort) override;
    NetResult startTls(const std::string& hostName, int timeoutMs,
                       const AbortCheck& abort) override;
    NetResult resumeTls(const std::string& hostName, const std::shared_ptr<TlsResumption>& from,
                        int timeoutMs, const AbortCheck& abort) override;
    std::shared_ptr<TlsResumption> tlsResumption() const override;
    bool tlsResumed() const noexcept override;
    bool isTls() const noexcept override;
    Address localAddress() const override;
    Address peerAddress() const override;
    void close() noexcept override;
    void abandon() noexcept override;

private:
    Socket socket_;
    std::shared_ptr<TlsContext> context_;
    std::unique_ptr<TlsSession> session_;
    bool stalled_ = false; // a wait timed out or was aborted, or a write failed
};

} // namespace pictorn::platform::posix
