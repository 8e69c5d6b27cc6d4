#pragma once
// The body of the network transport that POSIX sockets and Winsock share: deadlines, waits
// in slices of at most 100 ms that ask the abort check first, and the receive, send, accept
// and connect loops around non-blocking calls. Each platform supplies only the system calls
// of one socket (SocketCalls), so both transports wait, abort and time out alike.
#include "platform/network.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

namespace pictorn::platform {

using NetClock = std::chrono::steady_clock;

// A point in time `timeoutMs` from now (negative timeouts count as zero).
NetClock::time_point netDeadlineIn(int timeoutMs);
// Milliseconds left until `deadline`, never negative.
int msUntil(NetClock::time_point deadline);

// The failures both transports word alike; each maps its own error codes to these.
enum class SocketFailure {
    Refused,             // Refused: "connection refused"
    TimedOut,            // TimedOut: "timed out"
    Reset,               // Closed: "connection reset by the peer"
    ClosedByPeer,        // Closed: "connection closed by the peer"
    HostNotFound,        // NotFound: "host not found"
    NetworkUnreachable,  // Failed: "network is unreachable"
    HostUnreachable,     // Failed: "host is unreachable"
    AddressNotAvailable, // Failed: "address is not available"
    AddressInUse,        // Failed: "address is already in use"
    FamilyNotSupported,  // Failed: "address family is not supported"
};
NetResult socketFailure(SocketFailure failure);

enum class WaitFor { Read, Write, Connect };

// What one non-blocking system call did: Ok with the bytes it moved, the failure, or
// nothing yet (wouldBlock).
struct SocketStep {
    NetResult result;
    bool wouldBlock = false;
};

class SocketCalls {
public:
    // One non-blocking recv: Ok with the bytes read, Closed at the end of the stream.
    virtual SocketStep receive(std::span<char> buffer) const = 0;
    // One non-blocking send: Ok with the bytes the system took.
    virtual SocketStep send(std::string_view data) const = 0;
    // Waits at most sliceMs for the socket to be ready for `what`; `ready` says whether it
    // is. A failure (a connect that failed reports its error) ends the wait.
    virtual NetResult poll(WaitFor what, int sliceMs, bool& ready) const = 0;

protected:
    ~SocketCalls() = default;
};

// A platform's socket handle with its system calls: each platform defines the three members
// for its handle type (a descriptor, a SOCKET).
template <class Handle> class SystemSocket final : public SocketCalls {
public:
    explicit SystemSocket(Handle handle) noexcept : handle_(handle) {}
    SocketStep receive(std::span<char> buffer) const override;
    SocketStep send(std::string_view data) const override;
    NetResult poll(WaitFor what, int sliceMs, bool& ready) const override;

private:
    Handle handle_;
};

// Ok once the socket is ready; TimedOut ("timed out"), Aborted or the system's failure
// otherwise. The last slice does not wait, so a ready socket is never reported as a timeout.
NetResult waitReady(const SocketCalls& socket, WaitFor what, NetClock::time_point deadline,
                    const AbortCheck& abort);
// Reads what has arrived, waiting up to the deadline for the first byte.
NetResult receiveSome(const SocketCalls& socket, std::span<char> buffer,
                      NetClock::time_point deadline, const AbortCheck& abort);
// Sends every byte; timeoutMs bounds each wait for the peer to take more. The result's bytes
// are those sent, also on failure.
NetResult sendAll(const SocketCalls& socket, std::string_view data, int timeoutMs,
                  const AbortCheck& abort);
// Repeats a non-blocking `attempt` (accept) until it is no longer wouldBlock, waiting for
// `what` between tries.
NetResult retryWhenReady(const SocketCalls& socket, WaitFor what,
                         const std::function<SocketStep()>& attempt, NetClock::time_point deadline,
                         const AbortCheck& abort);
// Connects to the resolved addresses in turn (`connectTo(i)` for i < count) until one
// answers; an abort or the shared deadline ends the round. NotFound when there is none.
NetResult connectToEach(std::size_t count, const std::function<NetResult(std::size_t)>& connectTo);

} // namespace pictorn::platform
