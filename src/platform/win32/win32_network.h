#pragma once
// net::Network on Winsock, with Schannel for TLS. Make one per program (it starts and ends
// Winsock); it must outlive the connections and listeners it makes.
#include "net/byte_stream.h"

namespace pictorn::platform::win32 {

class Win32Network final : public net::Network {
public:
    Win32Network();
    ~Win32Network() override;
    Win32Network(const Win32Network&) = delete;
    Win32Network& operator=(const Win32Network&) = delete;

    net::NetResult connect(std::unique_ptr<net::ByteStream>& connected, const std::string& host,
                           std::uint16_t port, int timeoutMs,
                           const net::AbortCheck& abort) override;
    net::NetResult listen(std::unique_ptr<net::Listener>& listener,
                          const std::string& localIp) override;

private:
    bool started_ = false;
};

} // namespace pictorn::platform::win32
