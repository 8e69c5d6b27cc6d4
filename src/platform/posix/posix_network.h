#pragma once
// net::Network on POSIX sockets (and OpenSSL for TLS). Native tests run the mail and FTP
// clients through it against real local servers; the program itself uses Winsock.
#include "net/byte_stream.h"

#include <memory>
#include <string>
#include <vector>

namespace pictorn::platform::posix {

class TlsContext;

class PosixNetwork final : public net::Network {
public:
    // TLS trusts the system's roots plus the certificates in these PEM files (tests add their
    // own certificate authority this way).
    explicit PosixNetwork(std::vector<std::string> extraTrustedCertificateFiles = {});
    ~PosixNetwork() override;

    net::NetResult connect(std::unique_ptr<net::ByteStream>& connected, const std::string& host,
                           std::uint16_t port, int timeoutMs,
                           const net::AbortCheck& abort) override;
    net::NetResult listen(std::unique_ptr<net::Listener>& listener,
                          const std::string& localIp) override;

private:
    std::shared_ptr<TlsContext> tls_;
};

} // namespace pictorn::platform::posix
