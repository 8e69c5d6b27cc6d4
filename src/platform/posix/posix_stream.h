#pragma once
#include "net/byte_stream.h"
#include "platform/posix/posix_socket.h"

#include <memory>

namespace pictorn::platform::posix {

class TlsContext;
class TlsSession;

// One connected socket, plain or (after startTls) TLS.
class PosixStream final : public net::ByteStream {
public:
    PosixStream(Socket socket, std::shared_ptr<TlsContext> tls);
    ~PosixStream() override;

    net::NetResult readSome(std::span<char> buffer, int timeoutMs,
                            const net::AbortCheck& abort) override;
    net::NetResult writeAll(std::string_view data, int timeoutMs,
                            const net::AbortCheck& abort) override;
    net::NetResult startTls(const std::string& hostName, int timeoutMs,
                            const net::AbortCheck& abort) override;
    bool isTls() const noexcept override;
    net::Address localAddress() const override;
    net::Address peerAddress() const override;
    void close() noexcept override;

private:
    Socket socket_;
    std::shared_ptr<TlsContext> context_;
    std::unique_ptr<TlsSession> session_;
};

} // namespace pictorn::platform::posix
