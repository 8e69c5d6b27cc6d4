#pragma once
// A network without connections: every connect is refused at once. The default of the
// headless services, so a window test that does not bring a real network of its own can
// never reach out of the machine by accident.
#include "platform/network.h"

namespace pictorn::headless {

class OfflineNetwork final : public platform::Network {
public:
    platform::NetResult connect(std::unique_ptr<platform::ByteStream>&, const std::string&,
                                std::uint16_t, int, const platform::AbortCheck&) override {
        ++connectAttempts;
        return {platform::NetStatus::Refused, 0, "connection refused"};
    }
    platform::NetResult listen(std::unique_ptr<platform::Listener>&, const std::string&) override {
        return {platform::NetStatus::Failed, 0, "no network"};
    }
    int connectAttempts = 0;
};

} // namespace pictorn::headless
