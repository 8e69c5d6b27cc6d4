#pragma once
#include "platform/network.h"
#include "platform/win32/net_handles.h"

#include <memory>

namespace pictorn::platform::win32 {

class SchannelSession;

// One connected non-blocking socket, plain or (after startTls) TLS.
class Win32Stream final : public ByteStream {
public:
    explicit Win32Stream(Socket socket);
    ~Win32Stream() override;

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
    std::unique_ptr<SchannelSession> session_;
};

} // namespace pictorn::platform::win32
