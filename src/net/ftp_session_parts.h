#pragma once
// Pieces of FtpSession shared by its two source files (connection and upload).
#include "net/ftp_session.h"

#include <algorithm>
#include <chrono>

namespace pictorn::net {

// A server reply, or why none came.
struct FtpSession::Exchange : ReplyWait {
    int timeoutMs = 0; // the wait that was allowed, for the error text
};

// Hands the caller's abort check to every wait, but asks it at most about every 100 ms:
// the caller's check may repaint a window and process its events, which must neither slow
// a fast transfer down nor run far more often than the progress display expects. Once it
// has answered true it stays true for the rest of the session. It also ends every wait
// once the session's deadline has passed (which the session then reports as a timeout).
class FtpSession::PacedAbort {
public:
    using Clock = std::chrono::steady_clock;

    PacedAbort(platform::AbortCheck check, int intervalMs)
        : check_(std::move(check)), interval_(intervalMs) {}
    bool operator()() {
        if (fired_) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline_) {
            return true;
        }
        if (!check_) {
            return false;
        }
        if (asked_ && now - last_ < interval_) {
            return false;
        }
        asked_ = true;
        last_ = now;
        fired_ = check_();
        return fired_;
    }
    bool fired() const noexcept { return fired_; }
    bool overdue() const { return Clock::now() >= deadline_; }
    void allowMore(std::chrono::milliseconds more) {
        deadline_ = std::max(deadline_, Clock::now()) + more;
    }

private:
    platform::AbortCheck check_;
    std::chrono::milliseconds interval_;
    Clock::time_point last_{};
    Clock::time_point deadline_{}; // nothing may wait before the first call allows it
    bool asked_ = false;
    bool fired_ = false;
};

struct FtpSession::DataChannel {
    std::unique_ptr<platform::ByteStream> stream; // passive: connected before STOR
    std::unique_ptr<platform::Listener> listener; // active: accepts after STOR
};

// Joins "what" and "reason" into "Step: what: reason." without doubling the final period.
std::string errorLine(FtpStep step, const std::string& what, const std::string& reason);

} // namespace pictorn::net
