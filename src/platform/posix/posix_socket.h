#pragma once
// The socket-level pieces of the POSIX transport: an owned descriptor, waits in short slices
// that ask the abort check, and the mapping of errno values to NetStatus.
#include "platform/network.h"

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace pictorn::platform::posix {

class Socket {
public:
    Socket() noexcept = default;
    explicit Socket(int fd) noexcept : fd_(fd) {}
    ~Socket() { reset(); }
    Socket(Socket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.fd_, -1));
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    void reset(int fd = -1) noexcept;

private:
    int fd_ = -1;
};

using Clock = std::chrono::steady_clock;

// A point in time `timeoutMs` from now (negative timeouts count as zero).
Clock::time_point deadlineIn(int timeoutMs);
// Milliseconds left until `deadline`, never negative.
int msUntil(Clock::time_point deadline);

// Waits until `fd` is ready for `events` (POLLIN / POLLOUT) or the deadline passes, asking
// `abort` before every slice of at most 100 ms. Ok when ready.
NetResult waitReady(int fd, short events, Clock::time_point deadline, const AbortCheck& abort);

// The result for a failed system call with this errno value.
NetResult errnoResult(int error);

// Non-blocking send/receive with waits. recvSome returns Closed with 0 bytes at end of
// stream; sendAll bounds each wait for the peer by timeoutMs.
NetResult recvSome(int fd, std::span<char> buffer, Clock::time_point deadline,
                   const AbortCheck& abort);
NetResult sendAll(int fd, std::string_view data, int timeoutMs, const AbortCheck& abort);

Address socketAddress(int fd, bool peer);

} // namespace pictorn::platform::posix
