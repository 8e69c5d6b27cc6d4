#pragma once
// A network without connections: every connect is refused at once. The default of the
// headless services, so a window test that does not bring a real network of its own can
// never reach out of the machine by accident.
#include "net/byte_stream.h"

namespace pictorn::headless {

class OfflineNetwork final : public net::Network {
public:
    net::NetResult connect(std::unique_ptr<net::ByteStream>&, const std::string&, std::uint16_t,
                           int, const net::AbortCheck&) override {
        ++connectAttempts;
        return {net::NetStatus::Refused, 0, "connection refused"};
    }
    net::NetResult listen(std::unique_ptr<net::Listener>&, const std::string&) override {
        return {net::NetStatus::Failed, 0, "no network"};
    }
    int connectAttempts = 0;
};

} // namespace pictorn::headless
