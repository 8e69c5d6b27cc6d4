#pragma once

namespace pictorn::platform {

// Recognises a running copy of the program for the same user.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // Claims the program for this process; false when another copy already holds it.
    virtual bool claim() = 0;
};

} // namespace pictorn::platform
