#pragma once
#include "platform/instance_guard.h"
#include "platform/win32/handle.h"

#include <string>
#include <string_view>

namespace pictorn::platform::win32 {

// One copy per user: a named mutex whose name carries the user's SID, so another user on
// the same machine (fast user switching, terminal server) is not refused. The mutex is
// held for as long as this object lives; the program keeps it for its whole run.
class Win32InstanceGuard final : public InstanceGuard {
public:
    explicit Win32InstanceGuard(std::string_view programId = "Pictorn");
    bool claim() override;
    // Sent as WM_COPYDATA to the running copy's main window: the arguments in UTF-8, each
    // ended by a NUL; the answer comes back the same way (win32_instance_forwarding.cpp).
    ForwardOutcome forward(const std::vector<std::string>& arguments, int waitMs) override;
    void listen(ui::Form& mainWindow) override;

    const std::wstring& mutexName() const noexcept { return name_; }

private:
    std::wstring name_;
    Handle mutex_;
};

// The current user's SID as text ("S-1-5-21-..."), or empty when it cannot be read.
std::wstring currentUserSid();

} // namespace pictorn::platform::win32
