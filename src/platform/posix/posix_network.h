#pragma once
// Network on POSIX sockets (and OpenSSL for TLS). Native tests run the mail and FTP
// clients through it against real local servers; the program itself uses Winsock.
#include "platform/network.h"

#include <memory>
#include <string>
#include <vector>

namespace pictorn::platform::posix {

class TlsContext;

class PosixNetwork final : public Network {
public:
    // TLS trusts the system's roots plus the certificates in these PEM files (tests add their
    // own certificate authority this way); `upToTls12` keeps TLS 1.3 out (to try both).
    explicit PosixNetwork(std::vector<std::string> extraTrustedCertificateFiles = {},
                          bool upToTls12 = false);
    ~PosixNetwork() override;

    NetResult connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                      std::uint16_t port, int timeoutMs, const AbortCheck& abort) override;
    NetResult listen(std::unique_ptr<Listener>& listener, const std::string& localIp) override;

private:
    std::shared_ptr<TlsContext> tls_;
};

} // namespace pictorn::platform::posix
