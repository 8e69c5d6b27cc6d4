#pragma once
#include "platform/instance_guard.h"

namespace pictorn::headless {

class FakeInstanceGuard : public platform::InstanceGuard {
public:
    bool claim() override {
        ++claims;
        return !otherCopyRunning;
    }

    bool otherCopyRunning = false;
    int claims = 0;
};

} // namespace pictorn::headless
