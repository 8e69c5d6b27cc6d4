#pragma once
// Network on Winsock, with Schannel for TLS. Make one per program (it starts and ends
// Winsock); it must outlive the connections and listeners it makes.
#include "platform/network.h"

namespace pictorn::platform::win32 {

class Win32Network final : public Network {
public:
    Win32Network();
    ~Win32Network() override;
    Win32Network(const Win32Network&) = delete;
    Win32Network& operator=(const Win32Network&) = delete;

    NetResult connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                      std::uint16_t port, int timeoutMs, const AbortCheck& abort) override;
    NetResult listen(std::unique_ptr<Listener>& listener, const std::string& localIp) override;

private:
    bool started_ = false;
};

} // namespace pictorn::platform::win32
