#pragma once
#include "net/byte_stream.h"
#include "platform/win32/net_handles.h"

#include <memory>

namespace pictorn::platform::win32 {

class SchannelSession;

// One connected non-blocking socket, plain or (after startTls) TLS.
class Win32Stream final : public net::ByteStream {
public:
    explicit Win32Stream(Socket socket);
    ~Win32Stream() override;

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
    std::unique_ptr<SchannelSession> session_;
};

} // namespace pictorn::platform::win32
