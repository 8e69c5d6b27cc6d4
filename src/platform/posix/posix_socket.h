#pragma once
// The socket-level pieces of the POSIX transport: an owned descriptor, its system calls for
// the shared loops (platform/socket_loops.h), and the mapping of errno values to NetStatus.
#include "platform/network.h"
#include "platform/socket_loops.h"

#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace pictorn::platform {
template <> SocketStep SystemSocket<int>::receive(std::span<char> buffer) const;
template <> SocketStep SystemSocket<int>::send(std::string_view data) const;
template <> NetResult SystemSocket<int>::poll(WaitFor what, int sliceMs, bool& ready) const;
} // namespace pictorn::platform

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

// The system calls of one non-blocking descriptor, for the shared loops of socket_loops.h.
using FdCalls = SystemSocket<int>;

// The result for a failed system call with this errno value.
NetResult errnoResult(int error);

Address socketAddress(int fd, bool peer);

} // namespace pictorn::platform::posix
